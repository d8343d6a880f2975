#include "descriptions/candevicefactory.h"
#include "descriptions/unknownj1939device.h"
#include "model/devicedispatcher.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "ui/mainwindow.h"

#include <QAction>
#include <QPointer>
#include <QSettings>
#include <QTreeView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Open over a scheme whose units live in a real bus thread: they are deleted there, and the
// catalogue hears of it through queued calls, while the new file wants the same keys and
// addresses.
class tst_SchemeOpen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void sameSchemeTwice();
    void overAutoAddedScheme();

private:
    QList<AbstractDisplayableItem *> devices() const;

    std::unique_ptr<CanDeviceFactory> m_catalogue;
    QThread m_bus;
    DeviceDispatcher *m_dispatcher = nullptr;
    std::unique_ptr<MainWindow> m_window;
    QTemporaryDir m_dir;
};

void tst_SchemeOpen::initTestCase()
{
    TestEnvironment::initSchemeTests(QStringLiteral("TarvikSchemeOpenTest"));
    QVERIFY(m_dir.isValid());
}

void tst_SchemeOpen::init()
{
    m_catalogue = CanDeviceFactory::create();
    m_dispatcher = new DeviceDispatcher;
    m_dispatcher->setCatalogue(m_catalogue.get());
    m_dispatcher->moveToThread(&m_bus);
    m_bus.start();
    m_window = std::make_unique<MainWindow>();
    m_window->setDispatcher(m_dispatcher);
}

void tst_SchemeOpen::cleanup()
{
    m_window->schemeController()->clearScheme();
    m_window.reset();
    QMetaObject::invokeMethod(m_dispatcher, "deleteLater", Qt::BlockingQueuedConnection);
    m_bus.quit();
    QVERIFY(m_bus.wait(10000));
    m_catalogue.reset();
    QSettings().clear();
}

QList<AbstractDisplayableItem *> tst_SchemeOpen::devices() const
{
    QList<AbstractDisplayableItem *> out;
    for (AbstractSchemeTreeItem *node : m_window->schemeModel()->topLevelItems())
        out << node->displayable();
    return out;
}

void tst_SchemeOpen::sameSchemeTwice()
{
    SchemeController *controller = m_window->schemeController();
    const QString demo = QStringLiteral(":/demo/demo.tvsx");
    QVERIFY2(controller->deserialize(demo), qPrintable(controller->lastError()));
    const QList<AbstractDisplayableItem *> first = devices();
    QCOMPARE(first.size(), TestEnvironment::schemeUnits());
    QCOMPARE(first.first()->thread(), &m_bus);
    const QList<QPointer<AbstractDisplayableItem>> old(first.begin(), first.end());
    QVERIFY2(controller->deserialize(demo), qPrintable(controller->lastError()));
    QCOMPARE(m_window->schemeModel()->rowCount(), TestEnvironment::schemeUnits());
    QCOMPARE(m_dispatcher->devices().size(), TestEnvironment::schemeUnits());
    // The old units are gone (a new one may well take the address a deleted one freed).
    for (const QPointer<AbstractDisplayableItem> &unit : old)
        QVERIFY(unit.isNull());
    // And a third time, from a file the program saved itself.
    const QString path = m_dir.filePath(QStringLiteral("demo-again.tvsx"));
    QVERIFY(controller->serialize(path));
    QVERIFY2(controller->deserialize(path), qPrintable(controller->lastError()));
    QCOMPARE(m_dispatcher->devices().size(), TestEnvironment::schemeUnits());
    // The catalogue counts exactly the units of the scheme as alive.
    int alive = 0;
    for (const DeviceFactoryEntry &e : m_window->catalogue()->entries())
        alive += e.instance ? 1 : 0;
    QCOMPARE(alive, TestEnvironment::schemeUnits());
}

void tst_SchemeOpen::overAutoAddedScheme()
{
    // Units the window made for unknown traffic.
    AbstractCanHandler::MessagePack pack;
    for (quint32 id : {0x18FEF533u, 0x18FEEE51u, 0x0CF00400u})
        pack.append({makeFrame(id, {1, 2, 3, 4, 5, 6, 7, 8}),
                     DispatchResult(DispatchResult::Received, 0)});
    m_window->slotCheckForNewDevices(pack);
    QCOMPARE(m_window->schemeModel()->rowCount(), 3);
    for (AbstractDisplayableItem *d : devices()) {
        QVERIFY(qobject_cast<UnknownJ1939Device *>(d));
        QCOMPARE(d->thread(), &m_bus);
    }
    const QString path = m_dir.filePath(QStringLiteral("auto.tvsx"));
    QVERIFY(m_window->schemeController()->serialize(path));
    for (int round = 0; round < 2; ++round) {
        QVERIFY2(m_window->schemeController()->deserialize(path),
                 qPrintable(m_window->schemeController()->lastError()));
        QStringList addresses;
        for (AbstractDisplayableItem *d : devices())
            addresses << QString::number(d->address().value, 16);
        QCOMPARE(addresses, (QStringList{"33", "51", "0"}));
    }
}

QTEST_MAIN(tst_SchemeOpen)
#include "tst_schemeopen.moc"
