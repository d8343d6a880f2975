#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/zxfloatparameter.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/testitems.h"

#include <QtTest>

#include <atomic>

// The bus thread dispatches at full speed while this (GUI) thread reads every parameter's text
// and every item's state, name and last frame, and renames items. Run under ThreadSanitizer to
// catch unguarded shared values; here it checks that every value read is one that was written.
class tst_ThreadStress : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void dispatchWhileReading();
};

void tst_ThreadStress::dispatchWhileReading()
{
    QThread bus;
    auto *dispatcher = new DeviceDispatcher;
    dispatcher->moveToThread(&bus);
    bus.start();

    QList<J1939Device *> devices;
    QList<AbstractDisplayableItem *> items;
    for (quint8 address = 0; address < 8; ++address) {
        auto *device = new J1939Device(address);
        device->setName(QStringLiteral("device %1").arg(address));
        for (quint8 ps = 0; ps < 4; ++ps) {
            auto *f = new BindingFunction(0xFF, ps, device);
            f->setDeviceType(AbstractDisplayableItem::Continuous, 20);
            f->setState(AbstractDisplayableItem::ReceiveOk);
            for (unsigned b = 0; b < 4; ++b)
                f->addField(QStringLiteral("p%1").arg(b), b * 2, 0, 16, 0.5f);
            items << f;
        }
        items << device;
        devices << device;
        dispatcher->registerDisplayable(device);
    }

    std::atomic<bool> stop{false};
    std::atomic<qint64> dispatched{0};
    // Chunks re-post themselves so the bus thread's timers keep running in between.
    std::function<void()> chunk = [&] {
        for (int i = 0; i < 2000; ++i) {
            const qint64 n = dispatched.fetch_add(1);
            // Every field carries a value v = 2 x k for some k below 1000: text "k".
            const quint16 raw = quint16((n * 7) % 2000);
            CanMessage m
                = makeFrame(0x18FF0000 | quint32((n % 4) << 8) | quint32(n % 8),
                            {quint8(raw), quint8(raw >> 8), quint8(raw), quint8(raw >> 8),
                             quint8(raw), quint8(raw >> 8), quint8(raw), quint8(raw >> 8)});
            DispatchResult r(DispatchResult::Received, n);
            dispatcher->dispatchMessage(m, &r);
        }
        if (!stop.load())
            QMetaObject::invokeMethod(dispatcher, chunk, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(dispatcher, chunk, Qt::QueuedConnection);

    QElapsedTimer clock;
    clock.start();
    qint64 reads = 0;
    while (clock.elapsed() < 1500) {
        for (AbstractDisplayableItem *item : qAsConst(items)) {
            const int state = item->state();
            QVERIFY(state >= 0 && state <= 7);
            QVERIFY(item->name().startsWith(QLatin1String("device")) || item->name().isEmpty()
                    || item->name().startsWith(QLatin1String("renamed")));
            const CanMessage last = item->lastMessage();
            QVERIFY(last.length == 8 || last.id == 0);
            for (const ZxParameter *p : item->parameters()) {
                const QString text = p->toString();
                bool ok = false;
                const double v = text.toDouble(&ok);
                QVERIFY2(ok && v >= 0 && v < 1000, qPrintable(text));
                ++reads;
            }
            (void)item->textDataImpl();
            (void)item->userReadableAddress();
        }
        devices.at(int(reads % 8))->setName(QStringLiteral("renamed %1").arg(reads));
        QCoreApplication::processEvents();
    }
    stop.store(true);
    QVERIFY(dispatcher->clearScheme());
    QMetaObject::invokeMethod(dispatcher, "deleteLater", Qt::BlockingQueuedConnection);
    bus.quit();
    QVERIFY(bus.wait(10000));
    QVERIFY2(dispatched.load() > 10000, qPrintable(QString::number(dispatched.load())));
    QVERIFY(reads > 1000);
    qInfo("%lld frames dispatched, %lld parameter reads", dispatched.load(), reads);
}

QTEST_MAIN(tst_ThreadStress)
#include "tst_threadstress.moc"
