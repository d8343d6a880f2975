#include "can/candumpreader.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/descriptionfiles.h"
#include "diagnostics/diagnosticsregistry.h"
#include "diagnostics/dm1function.h"
#include "diagnostics/dtcarrayparameter.h"
#include "model/devicedispatcher.h"
#include "model/zxparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "support/testenvironment.h"
#include "ui/mainwindow.h"

#include <QSettings>
#include <QtTest>

#include <memory>

// The example scheme played against the demo recording: every unit of the recording is in the
// scheme and decodes its traffic.
class tst_DemoScheme : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyFrameReachesAUnit();
    void decodedValuesAreInRange();

private:
    AbstractDisplayableItem *device(quint32 address) const;
    std::unique_ptr<DeviceDispatcher> m_dispatcher;
    std::unique_ptr<MainWindow> m_window;
};

void tst_DemoScheme::initTestCase()
{
    TestEnvironment::init();
    QCoreApplication::setApplicationName(QStringLiteral("TarvikDemoSchemeTest"));
    QSettings().clear();
    DescriptionFiles::setBaseDirectory(QDir::tempPath() + QStringLiteral("/no-such-tarvik-dir"));
    registerDiagnosticsFunctions();
    CanDeviceFactory::init();
    m_dispatcher = std::make_unique<DeviceDispatcher>();
    m_window = std::make_unique<MainWindow>();
    QVERIFY(m_window->schemeController()->deserialize(QStringLiteral(":/demo/demo.tvsx")));
    QCOMPARE(m_window->schemeModel()->rowCount(), 8);
}

void tst_DemoScheme::cleanupTestCase()
{
    m_window->schemeController()->clearScheme();
    m_window.reset();
    QSettings().clear();
}

AbstractDisplayableItem *tst_DemoScheme::device(quint32 address) const
{
    for (AbstractSchemeTreeItem *node : m_window->schemeModel()->topLevelItems()) {
        if (node->displayable()->address().value == address)
            return node->displayable();
    }
    return nullptr;
}

void tst_DemoScheme::everyFrameReachesAUnit()
{
    CandumpReader reader;
    QVERIFY(reader.readFile(QStringLiteral(":/demo/demo-bus.log")));
    QCOMPARE(reader.skippedLines(), 0);
    QVERIFY(reader.frames().size() > 20000);
    int undispatched = 0;
    for (const TimedFrame &f : reader.frames()) {
        DispatchResult result(DispatchResult::Received, f.timeUs / 1000);
        m_dispatcher->dispatchMessage(f.message, &result);
        if (!result.status.testFlag(DispatchResult::Dispatched) && ++undispatched < 5)
            qWarning("not taken: %s", qPrintable(f.message.toString()));
    }
    QCOMPARE(undispatched, 0);
    for (AbstractSchemeTreeItem *node : m_window->schemeModel()->topLevelItems())
        QVERIFY2(node->displayable()->totalEvents() > 0, qPrintable(node->displayable()->name()));
}

void tst_DemoScheme::decodedValuesAreInRange()
{
    AbstractDisplayableItem *engine = device(0x00);
    QVERIFY(engine);
    ZxParameter *speed = nullptr;
    DM1Function *dm1 = nullptr;
    for (AbstractDisplayableItem *f : engine->children()) {
        if (!speed)
            speed = f->parameter(QStringLiteral("SPN190"));
        if (!dm1)
            dm1 = qobject_cast<DM1Function *>(f);
    }
    QVERIFY(speed);
    const double rpm = speed->variantValue().toDouble();
    QVERIFY2(rpm >= 800 && rpm <= 1900, qPrintable(QString::number(rpm)));
    QVERIFY(dm1);
    const QVector<DtcArrayParameter::DtcItem> codes = dm1->dtcParameter()->codes();
    QCOMPARE(codes.size(), 2);
    QCOMPARE(codes.at(0).spn, 110u);
    QCOMPARE(codes.at(0).fmi, 16u);
    for (quint32 panel : {0x9Du, 0x9Eu, 0x9Fu}) {
        AbstractDisplayableItem *p = device(panel);
        QVERIFY(p && p->children().size() == 1);
        const int lx = p->children().at(0)->parameter(QStringLiteral("LX"))->variantValue().toInt();
        QVERIFY2(lx >= 0 && lx <= 100, qPrintable(QString::number(lx)));
        QVERIFY(!p->children().at(0)->textDataImpl().isEmpty());
    }
    AbstractDisplayableItem *cabin = device(0x0A);
    const int aux = cabin->children().at(0)->parameter(QStringLiteral("AUX2"))->variantValue().toInt();
    QCOMPARE(aux, 1000);
}

QTEST_MAIN(tst_DemoScheme)
#include "tst_demoscheme.moc"
