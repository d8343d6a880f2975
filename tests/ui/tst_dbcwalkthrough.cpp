#include "descriptions/dbcfunction.h"
#include "descriptions/unknownpgnfunction.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"
#include "ui/editors/databasesdialog.h"
#include "ui/editors/parameterplotter.h"
#include "ui/editors/plotdocks.h"
#include "ui/editors/plottable.h"
#include "ui/editors/plotwidget.h"
#include "ui/rawdatamodel.h"
#include "ui/recordingplayer.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using TestEnvironment::readFile;
using TestEnvironment::writeFile;

// A group of the truck the library does not describe: PGN F023, byte 2 in halves of a percent.
const QByteArray TruckDbc = "VERSION \"\"\n"
                            "BO_ 2565874686 TruckF023: 8 Vector__XXX\n"
                            " SG_ ThirdByte : 16|8@1+ (0.5,0) [0|127.5] \"%\" Vector__XXX\n"
                            "BA_DEF_ BO_ \"VFrameFormat\" ENUM \"StandardCAN\",\"ExtendedCAN\","
                            "\"reserved\",\"J1939PG\";\n"
                            "BA_ \"VFrameFormat\" BO_ 2565874686 3;\n";

// Whether a unit lists group F023 as a raw function.
bool rawF023(const SchemeTreeModel *model)
{
    for (AbstractSchemeTreeItem *unit : model->unitNodes()) {
        for (AbstractSchemeTreeItem *function : unit->childNodes()) {
            const auto *raw = qobject_cast<const UnknownPgnFunction *>(function->displayable());
            if (raw && raw->pgnValue() == 0xF023)
                return true;
        }
    }
    return false;
}

QString rowText(const QModelIndex &index)
{
    QStringList texts;
    for (int column = 0; column < index.model()->columnCount(index.parent()); ++column)
        texts << index.siblingAtColumn(column).data().toString();
    return texts.join(QLatin1Char('|'));
}

// Options ▸ Databases…, `edit` doing in the dialog what the engineer does, then OK.
bool editDatabases(DemoBusWindow &demo, const std::function<void(QWidget *)> &edit)
{
    ModalAnswerer dialog([edit](QWidget *d) {
        edit(d);
        ModalAnswerer::accept()(d);
    });
    demo.action("actionDatabases")->trigger();
    return dialog.answered();
}

QTableWidget *table(QWidget *dialog)
{
    return dialog->findChild<QTableWidget *>(QStringLiteral("databasesTable"));
}

} // namespace

// Options ▸ Databases… with the engineer's DBC files, the truck's recording decoded with them.
class tst_DbcWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void databasesDecodeAndStayWithTheScheme();
};

void tst_DbcWalkthrough::initTestCase()
{
    TestEnvironment::initSchemeTests(QStringLiteral("TarvikDbcWalkthroughTest"));
}

void tst_DbcWalkthrough::databasesDecodeAndStayWithTheScheme()
{
    QTemporaryDir dir;
    const QString demoDbc = dir.filePath(QStringLiteral("css_j1939_demo.dbc"));
    const QString truckDbc = dir.filePath(QStringLiteral("truck.dbc"));
    QVERIFY(QFile::copy(TestEnvironment::dataFile(QStringLiteral("css_j1939_demo.dbc")), demoDbc));
    QVERIFY(writeFile(truckDbc, TruckDbc));

    DemoBusWindow demo;
    QVERIFY(demo.start());
    ScriptedMainWindow *window = demo.window();
    demo.action("actionClearScheme")->trigger();

    // The demo database, put before the library.
    int rows = -1;
    QVERIFY(editDatabases(demo, [&](QWidget *d) {
        window->fileAnswer = demoDbc;
        QVERIFY(DemoBusWindow::click(d, "databasesAdd"));
        rows = table(d)->rowCount();
        table(d)->item(0, DatabasesDialog::WinsColumn)->setCheckState(Qt::Checked);
    }));
    QCOMPARE(rows, 1);
    QVERIFY2(window->errors.isEmpty(), qPrintable(window->errors.join('\n')));
    QTRY_VERIFY(window->isWindowModified());

    // The truck's recording: EEC1 from the demo database, F023 listed raw.
    QSignalSpy opened(window->player(), &RecordingPlayer::recordingOpened);
    window->fileAnswer
        = TestEnvironment::dataFile(QStringLiteral("css_FCBF0606_j1939_truck_bam.log"));
    demo.action("actionOpenRecording")->trigger();
    QVERIFY(opened.wait(20000));
    const QModelIndex eec1 = demo.waitRow(QStringLiteral("EEC1"), QModelIndex(), 20000);
    QVERIFY(eec1.isValid());
    QVERIFY(DemoBusWindow::waitFor([&] { return rawF023(window->schemeModel()); }, 20000));

    // The engineer's own database for F023, added while the recording plays: the raw group
    // becomes the database's.
    QVERIFY(editDatabases(demo, [&](QWidget *d) {
        window->fileAnswer = truckDbc;
        QVERIFY(DemoBusWindow::click(d, "databasesAdd"));
        rows = table(d)->rowCount();
    }));
    QCOMPARE(rows, 2);
    const QModelIndex level = demo.waitRow(QStringLiteral("TruckF023"), QModelIndex(), 20000);
    QVERIFY(level.isValid());
    QVERIFY(!rawF023(window->schemeModel()));
    QVERIFY(qobject_cast<DbcFunction *>(demo.item(eec1)));
    // 0xF0 in byte 2 of every F023 frame: 240 halves of a percent.
    QTRY_VERIFY2(rowText(level).contains(QStringLiteral("ThirdByte=120 %")),
                 qPrintable(rowText(level)));
    // The raw view's decoded text is the database's too.
    const RawDataModel *raw = window->rawDataModel();
    QVERIFY(DemoBusWindow::waitFor([&] {
        for (int r = raw->rowCount() - 1; r >= 0; --r) {
            if (raw->index(r, RawDataModel::DecodedColumn)
                    .data()
                    .toString()
                    .contains(QStringLiteral("ThirdByte=120 %")))
                return true;
        }
        return false;
    }));
    // Every unit's catalogue offers the database's groups: the chassis controller gets F023 by
    // a double-click in the Devices list.
    const QModelIndex chassis = demo.row(QStringLiteral("0x47"));
    QVERIFY(chassis.isValid());
    demo.select(chassis);
    QVERIFY(demo.addFromCatalogue(QStringLiteral("TruckF023"), "addModeReceiveButton"));
    QTRY_VERIFY(demo.row(QStringLiteral("TruckF023"), chassis).isValid());
    QDockWidget *details = demo.openDetails(eec1);
    QVERIFY(details);
    auto *note = details->findChild<QLabel *>(QStringLiteral("detailsNote"));
    QVERIFY(note);
    QVERIFY2(note->text().contains(QStringLiteral("css_j1939_demo.dbc"))
                 && note->text().contains(QStringLiteral("before the library")),
             qPrintable(note->text()));

    // The group only the engineer's database knows is plotted.
    demo.select(level);
    demo.action("actionPlot")->trigger();
    QCOMPARE(window->plotDocks()->plots().size(), 1);
    QTRY_VERIFY(window->plotDocks()->plots().constFirst()->plotter().table().rowCount() > 2);

    // Saved beside its databases, which it names by relative paths.
    const QString scheme = dir.filePath(QStringLiteral("truck.tvsx"));
    window->fileAnswer = scheme;
    demo.action("actionSaveAs")->trigger();
    const QByteArray saved = readFile(scheme);
    QVERIFY2(saved.contains("path=\"css_j1939_demo.dbc\"") && saved.contains("path=\"truck.dbc\""),
             saved.constData());

    // The engineer removes both; the scheme opened again brings them back, in order and with
    // their choices, and the F023 function comes back as the database's.
    QVERIFY(editDatabases(demo, [&](QWidget *d) {
        for (int i = 0; i < 2; ++i) {
            table(d)->selectRow(0);
            QVERIFY(DemoBusWindow::click(d, "databasesRemove"));
        }
        rows = table(d)->rowCount();
    }));
    QCOMPARE(rows, 0);
    window->fileAnswer = scheme;
    demo.action("actionOpen")->trigger();
    QVERIFY2(window->errors.isEmpty(), qPrintable(window->errors.join('\n')));
    QStringList names;
    QList<Qt::CheckState> wins;
    QVERIFY(editDatabases(demo, [&](QWidget *d) {
        for (int r = 0; r < table(d)->rowCount(); ++r) {
            names << table(d)->item(r, DatabasesDialog::FileColumn)->text();
            wins << table(d)->item(r, DatabasesDialog::WinsColumn)->checkState();
        }
    }));
    QCOMPARE(names,
             QStringList({QStringLiteral("css_j1939_demo.dbc"), QStringLiteral("truck.dbc")}));
    QCOMPARE(wins, QList<Qt::CheckState>({Qt::Checked, Qt::Unchecked}));
    const QModelIndex reopened = demo.row(QStringLiteral("TruckF023"));
    QVERIFY(reopened.isValid());
    QVERIFY(qobject_cast<DbcFunction *>(demo.item(reopened)));
    QCOMPARE(window->plotDocks()->plots().size(), 1);

    // Elsewhere, one database missing and the other changed: both told at open, and saving
    // keeps them named.
    QTemporaryDir other;
    const QString moved = other.filePath(QStringLiteral("truck.tvsx"));
    QVERIFY(QFile::copy(scheme, moved));
    QVERIFY(writeFile(other.filePath(QStringLiteral("truck.dbc")), TruckDbc + "\n"));
    window->fileAnswer = moved;
    demo.action("actionOpen")->trigger();
    const QString told = window->errors.join('\n');
    QVERIFY2(told.contains(QStringLiteral("css_j1939_demo.dbc is missing"))
                 && told.contains(QStringLiteral("truck.dbc has changed")),
             qPrintable(told));
    demo.action("actionSave")->trigger();
    const QByteArray again = readFile(moved);
    QVERIFY2(again.contains("path=\"css_j1939_demo.dbc\"") && again.contains("path=\"truck.dbc\""),
             again.constData());
}

QTEST_MAIN(tst_DbcWalkthrough)
#include "tst_dbcwalkthrough.moc"
