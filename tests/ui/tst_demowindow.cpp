#include "can/abstractcanhandler.h"
#include "ui/rawdatamodel.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"

#include <QDockWidget>
#include <QTreeView>
#include <QtTest>

// The README's first steps: the demo bus starts with the example scheme, its units decode live
// traffic, and a unit's details open from the tree.
class tst_DemoWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::initSchemeTests(QStringLiteral("TarvikDemoWindowTest")); }
    void startsOnTheDemoBus();
};

void tst_DemoWindow::startsOnTheDemoBus()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    QVERIFY(demo.handler()->isOpen());
    const QModelIndex controller = demo.row(QStringLiteral("Controller"));
    QVERIFY(controller.isValid());
    QDockWidget *dock = demo.openDetails(controller);
    QVERIFY(dock);
    QTRY_VERIFY(dock->isVisible());
    QVERIFY(demo.details());
    // Live traffic reaches the window: the raw view fills within a second or two.
    QVERIFY(DemoBusWindow::waitFor([&] { return demo.window()->rawDataModel()->rowCount() > 0; }));
}

QTEST_MAIN(tst_DemoWindow)
#include "tst_demowindow.moc"
