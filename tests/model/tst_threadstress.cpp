#include "descriptions/abstractdevicefactory.h"
#include "descriptions/deviceconstructormodel.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/zxfloatparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/testitems.h"
#include "ui/rawdatamodel.h"

#include <QDomDocument>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <functional>
#include <mutex>

// The bus thread dispatches at full speed, or grows units by functions, while this (GUI) thread
// reads every parameter's text and every item's state, name and last frame, renames items,
// refreshes the scheme tree with open editors, saves the scheme or changes the selection. Run
// under ThreadSanitizer (scripts/sanitize.sh) to catch unguarded shared values; here it checks
// that every value read is one that was written.
class tst_ThreadStress : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void dispatchWhileReading();
    void treeRefreshWhileDispatching();
    void functionAddedWhileDispatching();
    void unitsGrowWhileWindowReads();
    void unitsJoinWhileTheBusWalksThem();
    void catalogueChangesWhileTheWindowListsIt();
};

namespace {

// Posts work to the bus thread through a connection made before the thread started, the work
// itself handed over under a mutex: ThreadSanitizer sees every step of the hand-over, which it
// cannot in the copy QMetaObject::invokeMethod makes of a functor inside uninstrumented Qt.
class Poster : public QObject
{
    Q_OBJECT

public:
    void connectTo(QObject *inThread)
    {
        connect(this, &Poster::posted, inThread, [this] {
            std::function<void()> work;
            {
                std::lock_guard locker(m_lock);
                if (m_queue.isEmpty())
                    return;
                work = m_queue.takeFirst();
            }
            work();
        }, Qt::QueuedConnection);
    }
    void post(const std::function<void()> &work)
    {
        {
            std::lock_guard locker(m_lock);
            m_queue.append(work);
        }
        emit posted();
    }

signals:
    void posted();

private:
    std::mutex m_lock;
    QVector<std::function<void()>> m_queue;
};

// Eight devices of four functions dispatched at full speed in a bus thread of their own.
struct BusUnderLoad
{
    QThread bus;
    Poster poster;
    DeviceDispatcher *dispatcher = new DeviceDispatcher;
    QList<J1939Device *> devices;
    QList<AbstractDisplayableItem *> items;
    std::atomic<bool> stop{false};
    std::atomic<qint64> dispatched{0};
    // Made before the bus thread starts, so only the atomic accesses cross threads.
    std::atomic<bool> walking{false};
    std::atomic<qint64> walks{0};
    // Locked by the bus thread as it ends and by finish() after it: ThreadSanitizer does not
    // see QThread::wait (Qt is not instrumented), but sees that everything the bus thread did
    // came before what this thread does with the rig afterwards.
    std::mutex ended;
    std::function<void()> chunk;

    BusUnderLoad()
    {
        dispatcher->moveToThread(&bus);
        poster.connectTo(dispatcher);
        QObject::connect(
            &bus, &QThread::finished, &bus, [this] { std::lock_guard locker(ended); },
            Qt::DirectConnection);
        bus.start();
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
        }
    }

    void start()
    {
        for (J1939Device *device : qAsConst(devices))
            dispatcher->registerDisplayable(device);
        // Chunks re-post themselves so the bus thread's timers keep running in between.
        chunk = [this] {
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
            // As the handler does after every pack it received.
            dispatcher->checkDropNewData();
            if (!stop.load())
                post(chunk);
        };
        post(chunk);
    }

    void post(const std::function<void()> &work) { poster.post(work); }

    bool finish()
    {
        stop.store(true);
        const bool cleared = dispatcher->clearScheme();
        QMetaObject::invokeMethod(dispatcher, "deleteLater", Qt::BlockingQueuedConnection);
        bus.quit();
        const bool stopped = bus.wait(10000);
        std::lock_guard locker(ended);
        return cleared && stopped;
    }
};

} // namespace

void tst_ThreadStress::dispatchWhileReading()
{
    BusUnderLoad load;
    load.start();
    QElapsedTimer clock;
    clock.start();
    qint64 reads = 0;
    while (clock.elapsed() < 1500) {
        for (AbstractDisplayableItem *item : qAsConst(load.items)) {
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
        load.devices.at(int(reads % 8))->setName(QStringLiteral("renamed %1").arg(reads));
        QCoreApplication::processEvents();
    }
    QVERIFY(load.finish());
    QVERIFY2(load.dispatched.load() > 10000, qPrintable(QString::number(load.dispatched.load())));
    QVERIFY(reads > 1000);
    qInfo("%lld frames dispatched, %lld parameter reads", load.dispatched.load(), reads);
}

void tst_ThreadStress::treeRefreshWhileDispatching()
{
    BusUnderLoad load;
    SchemeTreeModel model;
    for (J1939Device *device : qAsConst(load.devices))
        model.addItem(device->treeItem());
    // Open editors: every refresh pushes the new values into them.
    QList<QWidget *> editors;
    for (AbstractDisplayableItem *item : qAsConst(load.items))
        editors << item->treeItem()->getWidget();
    load.start();
    QElapsedTimer clock;
    clock.start();
    qint64 cells = 0;
    int refreshed = 0;
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    while (clock.elapsed() < 1500) {
        model.checkForUpdates();
        for (int r = 0; r < model.rowCount(); ++r) {
            const QModelIndex device = model.index(r, 0);
            // A device's function catalogue is made on first use, from this thread.
            (void)device.data(AbstractSchemeTreeItem::SubFactoryRole);
            for (int c = 0; c < model.rowCount(device); ++c) {
                for (int column = 0; column < model.columnCount(); ++column) {
                    const QModelIndex cell = model.index(c, column, device);
                    for (int role :
                         {int(Qt::DisplayRole), int(Qt::DecorationRole), int(Qt::ToolTipRole),
                          int(Qt::BackgroundRole), AbstractSchemeTreeItem::SubFactoryRole})
                        (void)cell.data(role);
                    ++cells;
                }
            }
        }
        refreshed = changed.count();
        QCoreApplication::processEvents();
    }
    QVERIFY(refreshed > 0);
    model.clear();
    QVERIFY(load.finish());
    QVERIFY(cells > 1000);
    qInfo("%lld cells read, %d rows refreshed", cells, refreshed);
}

void tst_ThreadStress::functionAddedWhileDispatching()
{
    BusUnderLoad load;
    SchemeTreeModel model;
    for (J1939Device *device : qAsConst(load.devices))
        model.addItem(device->treeItem());
    load.start();
    // As the main window adds a function chosen from a device's catalogue: the factory lives
    // here, the device in the bus thread, which adopts the function on registration.
    J1939Device *device = load.devices.at(3);
    AbstractDeviceFactory *catalogue = device->subFactory();
    QVERIFY(catalogue);
    AbstractDisplayableItem *eec1 = catalogue->createDevice(QByteArray("eec1"));
    QVERIFY(eec1);
    load.dispatcher->registerDisplayable(eec1);
    QCOMPARE(eec1->parentItem(), static_cast<AbstractDisplayableItem *>(device));
    QCOMPARE(eec1->thread(), &load.bus);
    model.addItem(eec1->treeItem(), device->existingTreeItem());
    QCOMPARE(model.rowCount(model.index(device->existingTreeItem(), 0)), 5);
    // EEC1 frames of that device now reach the new function.
    QMetaObject::invokeMethod(
        load.dispatcher,
        [&] {
            for (int i = 0; i < 10; ++i) {
                DispatchResult r(DispatchResult::Received, i);
                load.dispatcher->dispatchMessage(
                    makeFrame(0x0CF00403, {0, 0, 0, 0x40, 0x1F, 0, 0, 0}), &r);
            }
        },
        Qt::BlockingQueuedConnection);
    QCOMPARE(eec1->totalEvents(), 10);
    QCOMPARE(eec1->parameter(QStringLiteral("SPN190"))->variantValue().toDouble(), 1000.0);
    model.clear();
    QVERIFY(load.finish());
}

void tst_ThreadStress::unitsGrowWhileWindowReads()
{
    BusUnderLoad load;
    // Made before registration, the catalogues move to the bus thread with their units and make
    // functions there, as for units of a scheme read from a file.
    for (J1939Device *device : qAsConst(load.devices))
        QVERIFY(device->subFactory());
    SchemeTreeModel model;
    for (J1939Device *device : qAsConst(load.devices))
        model.addItem(device->treeItem());
    SchemeController scheme(&model, nullptr);
    scheme.setDispatcher(load.dispatcher);
    RawDataModel raw;
    load.start();
    // Auto-detection in the bus thread, one new group at a time between the dispatch chunks:
    // every unit's list grows from 4 to 36 and is reallocated on the way.
    constexpr int PerDevice = 32;
    constexpr int Total = PerDevice * 8;
    std::atomic<int> added{0};
    std::function<void()> grow = [&] {
        const int n = added.load();
        const quint32 pgn = 0xFF10 + quint32(n / 8);
        if (!load.devices.at(n % 8)->findOrCreateFunction(QByteArrayLiteral("unknown_pgn"),
                                                          QString::number(pgn, 16)))
            return; // the count stops short: the test fails below
        if (added.fetch_add(1) + 1 < Total)
            load.post(grow);
    };
    load.post(grow);
    QElapsedTimer clock;
    clock.start();
    int rounds = 0;
    while (added.load() < Total && clock.elapsed() < 60000) {
        // A save lists the 32 first functions and every one added before it, and at most the
        // one being added while it ran.
        const int before = added.load();
        const int saved = scheme.toDocument()
                              .documentElement()
                              .elementsByTagName(QStringLiteral("func"))
                              .size();
        QVERIFY2(saved >= 32 + before && saved <= 33 + added.load(),
                 qPrintable(QString::number(saved)));
        model.checkForUpdates();
        for (int r = 0; r < model.rowCount(); ++r)
            (void)model.index(r, 0).data(Qt::DecorationRole); // the unit's state icon
        raw.setActiveDisplayables({load.devices.at(rounds % 8)});
        for (const J1939Device *device : qAsConst(load.devices)) {
            const int state = device->state();
            QVERIFY(state >= AbstractDisplayableItem::Unknown
                    && state <= AbstractDisplayableItem::Mixed);
        }
        ++rounds;
        QCoreApplication::processEvents();
    }
    QCOMPARE(added.load(), Total);
    // Everything the bus thread added is what the window now saves and selects.
    const QDomElement saved = scheme.toDocument().documentElement();
    QCOMPARE(saved.elementsByTagName(QStringLiteral("func")).size(), Total + 32);
    J1939Device *selected = load.devices.at(5);
    QCOMPARE(selected->children().size(), 4 + PerDevice);
    AbstractCanHandler::MessagePack pack;
    for (const J1939Device *device : qAsConst(load.devices)) {
        DispatchResult result(DispatchResult::Received, 0);
        result.item = device->children().last();
        pack.append({makeFrame(0x18FF3700 | device->address().value, {1}), result});
    }
    raw.setFlowEnabled(true);
    raw.slotNotifyPack(pack);
    raw.setActiveDisplayables({selected});
    QCOMPARE(raw.rowCount(), 8);
    for (int r = 0; r < raw.rowCount(); ++r)
        QCOMPARE(raw.row(r).active, raw.row(r).item == selected->children().last());
    model.clear();
    QVERIFY(load.finish());
    qInfo("%d window rounds while %d functions were added", rounds, Total);
}

void tst_ThreadStress::unitsJoinWhileTheBusWalksThem()
{
    BusUnderLoad load;
    // Read from a file, already in the bus thread, registered while the bus runs.
    constexpr int Joining = 200;
    QList<J1939Device *> joining;
    for (int n = 0; n < Joining; ++n) {
        joining << new J1939Device(quint8(0x20 + n));
        joining.last()->moveToThread(&load.bus);
    }
    for (J1939Device *device : qAsConst(load.devices))
        load.dispatcher->registerDisplayable(device);
    // Between packs the bus thread walks its units (new data dropped, low latency asked).
    BusUnderLoad *bus = &load;
    load.post([bus] {
        bus->walking.store(true);
        qint64 n = 0;
        for (; !bus->stop.load(std::memory_order_relaxed); ++n) {
            bus->dispatcher->checkDropNewData();
            (void)bus->dispatcher->isLowLatencyEnabled();
        }
        bus->walks.store(n);
    });
    while (!load.walking.load())
        QThread::yieldCurrentThread();
    for (J1939Device *device : qAsConst(joining)) {
        load.dispatcher->registerDisplayable(device);
        for (int spin = 0; spin < 2000; ++spin) // the bus thread walks in between
            QThread::yieldCurrentThread();
    }
    QCOMPARE(load.dispatcher->devices().size(), 8 + Joining);
    QVERIFY(load.finish());
    QVERIFY(load.walks.load() > 0);
}

void tst_ThreadStress::catalogueChangesWhileTheWindowListsIt()
{
    BusUnderLoad load;
    J1939Device *unit = load.devices.first();
    AbstractDeviceFactory *catalogue = unit->subFactory();
    QVERIFY(catalogue);
    const int listed = catalogue->count();
    DeviceConstructorModel shown;
    shown.setFactory(catalogue);
    load.start();
    // The bus thread makes a function for a new group (a derived entry joins the catalogue) and
    // drops it again (its entry goes), round after round.
    constexpr int Rounds = 400;
    std::atomic<int> done{0};
    std::function<void()> churn = [&] {
        const int n = done.load();
        const QString group = QString::number(0xFF40 + n % 16, 16);
        AbstractDisplayableItem *function
            = unit->findOrCreateFunction(QByteArrayLiteral("unknown_pgn"), group);
        if (!function)
            return; // the count stops short: the test fails below
        delete function;
        if (done.fetch_add(1) + 1 < Rounds)
            load.post(churn);
    };
    load.post(churn);
    QElapsedTimer clock;
    clock.start();
    int reads = 0;
    // The window reads as the bus thread's news arrives (each dead function's), not in a spin
    // that would keep the catalogue's lock from the bus thread; the timer wakes it regardless.
    QTimer wake;
    wake.start(50);
    while (done.load() < Rounds && clock.elapsed() < 60000) {
        // What the window's Devices list and its actions read.
        const QList<DeviceFactoryEntry> entries = catalogue->entries();
        // The catalogue stays in the window's thread: it drops an entry once the window has
        // heard its function is gone, so several may wait.
        QVERIFY2(entries.size() >= listed && entries.size() <= listed + Rounds,
                 qPrintable(QString::number(entries.size())));
        for (const DeviceFactoryEntry &e : entries)
            QVERIFY(!e.key.isEmpty());
        // The rows that change; every row through entries() above.
        for (int row = qMax(0, listed - 1); row < listed + 2; ++row) {
            const AbstractDeviceFactory::Entry e = catalogue->entry(row);
            QVERIFY(row < listed ? e.has_value() : !e || e->derived);
            (void)shown.index(row, 1).data();
        }
        if (listed > 0)
            QCOMPARE(catalogue->getEntry(entries.first().key)->key, entries.first().key);
        ++reads;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QCOMPARE(done.load(), Rounds);
    QTRY_COMPARE(catalogue->count(), listed);
    QVERIFY(load.finish());
    qInfo("%d window reads of %d entries while functions came and went %d times", reads, listed,
          Rounds);
}

QTEST_MAIN(tst_ThreadStress)
#include "tst_threadstress.moc"
