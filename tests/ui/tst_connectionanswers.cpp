#include "support/demobuswindow.h"
#include "support/testenvironment.h"

#include <QAction>
#include <QDockWidget>
#include <QRadioButton>
#include <QTableView>
#include <QTreeView>
#include <QtTest>

namespace {

constexpr int DataColumn = 3;

QString rowText(const QModelIndex &index)
{
    return index.sibling(index.row(), DataColumn).data().toString();
}

// The function row below unit whose address column reads address.
QModelIndex functionRow(const DemoBusWindow &demo, const QModelIndex &unit, const QString &address)
{
    const QAbstractItemModel *model = demo.window()->mainView()->model();
    for (int r = 0; r < model->rowCount(unit); ++r) {
        if (model->index(r, 1, unit).data().toString() == address)
            return model->index(r, 0, unit);
    }
    return {};
}

QAction *treeAction(const DemoBusWindow &demo, const char *name)
{
    for (QAction *a : demo.window()->mainView()->actions()) {
        if (a->objectName() == QLatin1String(name))
            return a;
    }
    return nullptr;
}

} // namespace

// What a unit answers the tool by a connection (RTS/CTS) shows in the unit's own functions, not
// only in the tool unit's copy.
class tst_ConnectionAnswers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestEnvironment::initSchemeTests(QStringLiteral("TarvikConnectionAnswersTest"));
    }
    void unitShowsWhatItAnsweredTheTool();
};

void tst_ConnectionAnswers::unitShowsWhatItAnsweredTheTool()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    // The tool unit at 0xF9 receives the long answers (it sends the CTS frames).
    demo.action("actionAddFlasher")->trigger();
    const QModelIndex controller = demo.row(QStringLiteral("Controller"));
    QVERIFY(controller.isValid());
    demo.select(controller);

    // Its function catalogue in Devices: "ECU Identification" added to receive, by a double click.
    QVERIFY(demo.addFromCatalogue(QStringLiteral("ECU Identification"), "addModeReceiveButton"));
    QModelIndex ecuid;
    QVERIFY(DemoBusWindow::waitFor([&] {
        return (ecuid = functionRow(demo, controller, QStringLiteral("0xfdc5"))).isValid();
    }));
    QVERIFY(!rowText(ecuid).contains(QLatin1String("TVK-MC2")));

    // The unit's Identification: the controller answers 0xF9 by RTS/CTS; its own function
    // decodes what it sent.
    demo.select(controller);
    QAction *identification = treeAction(demo, "actionUnitIdentification");
    QVERIFY(identification);
    QVERIFY(identification->isEnabled());
    identification->trigger();
    QVERIFY2(
        DemoBusWindow::waitFor(
            [&] { return rowText(ecuid).contains(QLatin1String("TVK-MC2*A0-0417*Boom*Tarvik*")); },
            15000),
        qPrintable(rowText(ecuid)));
}

QTEST_MAIN(tst_ConnectionAnswers)
#include "tst_connectionanswers.moc"
