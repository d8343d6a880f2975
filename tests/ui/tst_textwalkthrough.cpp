#include "app/language.h"
#include "can/abstractcanhandler.h"
#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"
#include "ui/editors/rawdataview.h"
#include "ui/rawdatamodel.h"

#include <QAction>
#include <QDockWidget>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// The newest "Decoded data" text of the raw view that starts with prefix; empty when none.
QString decodedRow(const DemoBusWindow &demo, const QString &prefix)
{
    const auto *view = demo.window()->findChild<RawDataView *>(QStringLiteral("rawDataView"));
    const QAbstractItemModel *model = view->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        const QString text = model->index(r, 1).data().toString();
        if (text.startsWith(prefix))
            return text;
    }
    return QString();
}

// The index of the cell whose text starts with prefix, in the view the user reads it in: the
// scheme tree (that row's column), the Devices catalogue, or the raw view's decoded column.
QModelIndex cellOf(const DemoBusWindow &demo, const QString &place, const QString &prefix,
                   int column)
{
    if (place == QLatin1String("tree")) {
        const QModelIndex row = demo.row(prefix);
        return row.sibling(row.row(), column);
    }
    const QAbstractItemModel *model
        = place == QLatin1String("catalogue")
              ? demo.window()->findChild<QTableView *>(QStringLiteral("constructorView"))->model()
              : demo.window()->rawDataModel();
    for (int r = 0; r < model->rowCount(); ++r) {
        const QModelIndex cell = model->index(r, column);
        if (cell.data().toString().startsWith(prefix))
            return cell;
    }
    return QModelIndex();
}

QStringList tabTexts(const DemoBusWindow &demo)
{
    auto *tabs = demo.window()->findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QStringList out;
    for (int i = 0; tabs && i < tabs->count(); ++i)
        out << tabs->tabText(i);
    return out;
}

} // namespace

// What the window says on the demo bus: decoded frames in the raw view, titles that follow a
// rename, and the example scheme in Russian.
class tst_TextWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestEnvironment::initSchemeTests(QStringLiteral("TarvikTextWalkthroughTest"));
    }
    // Each window starts decoding, whatever a test before it left in the settings.
    void init() { QSettings().setValue(QStringLiteral("RawState/Decode"), true); }
    void rawViewShowsDecodedFrames();
    void cutTextsAreWholeInToolTips_data();
    void cutTextsAreWholeInToolTips();
    void renameRetitlesDetails();
    void russianWindowShowsExampleScheme();
};

void tst_TextWalkthrough::rawViewShowsDecodedFrames()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    // The engine's EEC1 every 20 ms: its row names the function and gives its values.
    const QString eec1 = QStringLiteral("EEC1 - Electronic Engine Controller 1: ");
    QVERIFY(DemoBusWindow::waitFor([&] { return !decodedRow(demo, eec1).isEmpty(); }));
    const QString text = decodedRow(demo, eec1);
    QVERIFY2(QRegularExpression(QStringLiteral("^EEC1 - Electronic Engine Controller 1: n=[0-9.]+ "
                                               "rpm, torque [-0-9.]+ %, demand [-0-9.]+ %$"))
                 .match(text)
                 .hasMatch(),
             qPrintable(text));

    // Windows > Raw data: at the window's first size the time column is as wide as its text,
    // and the decoded text has the rest of the view.
    auto *view = DemoBusWindow::find<RawDataView>(demo.window(), "rawDataView");
    QVERIFY(demo.showDock("rawDataWindow"));
    const QHeaderView *header = view->horizontalHeader();
    const int time = RawDataModel::TimeColumn;
    const int decoded = RawDataModel::DecodedColumn;
    QTRY_COMPARE(header->sectionViewportPosition(time) + header->sectionSize(time),
                 view->viewport()->width());
    QVERIFY2(header->sectionSize(time) < header->sectionSize(decoded),
             qPrintable(QStringLiteral("time %1, decoded %2")
                            .arg(header->sectionSize(time))
                            .arg(header->sectionSize(decoded))));
    const QString seconds = view->model()->index(0, time).data().toString();
    QVERIFY(view->fontMetrics().horizontalAdvance(seconds) < header->sectionSize(time));

    // Switched off from the raw view's context menu: new rows keep only the function's name,
    // and the choice is kept.
    QAction *decode = nullptr;
    for (QAction *a : view->actions()) {
        if (a->objectName() == QLatin1String("actionRawDecode"))
            decode = a;
    }
    QVERIFY(decode);
    QVERIFY(decode->isChecked());
    decode->trigger();
    QVERIFY(!demo.window()->dispatcher()->describesFrames());
    QCOMPARE(QSettings().value(QStringLiteral("RawState/Decode")).toBool(), false);
    // Frames decoded before the switch may still be on their way: once one decoded after it
    // has come, the view is cleared and fills with such frames only.
    const QString nameOnly = QStringLiteral("EEC1 - Electronic Engine Controller 1");
    QVERIFY(DemoBusWindow::waitFor([&] { return decodedRow(demo, nameOnly) == nameOnly; }));
    demo.action("actionRawClear")->trigger();
    QVERIFY(DemoBusWindow::waitFor([&] { return decodedRow(demo, nameOnly) == nameOnly; }));
    QVERIFY(decodedRow(demo, eec1).isEmpty());
    decode->trigger();
    QVERIFY(demo.window()->dispatcher()->describesFrames());
    QCOMPARE(QSettings().value(QStringLiteral("RawState/Decode")).toBool(), true);
}

void tst_TextWalkthrough::cutTextsAreWholeInToolTips_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("column");
    QTest::newRow("tree: a function's name") << "tree" << "EEC1 - Electronic Engine Controller 1"
                                             << 2;
    QTest::newRow("tree: the active codes in words")
        << "tree" << "DM - Active Diagnostic Trouble Codes" << 3;
    QTest::newRow("tree: an address range") << "tree" << "Tune variables" << 1;
    QTest::newRow("tree: a unit") << "tree" << "Support indication panel" << 2;
    QTest::newRow("catalogue: a unit") << "catalogue" << "Support indication panel" << 1;
    QTest::newRow("raw view: a decoded frame")
        << "raw" << "EEC1 - Electronic Engine Controller 1: " << 1;
}

// Wherever a column may cut its text, pointing at the cell shows the whole of it.
void tst_TextWalkthrough::cutTextsAreWholeInToolTips()
{
    QFETCH(QString, place);
    QFETCH(QString, prefix);
    QFETCH(int, column);
    DemoBusWindow demo;
    QVERIFY(demo.start());
    QModelIndex cell;
    QString shown;
    QString tip;
    const bool agree = DemoBusWindow::waitFor([&] {
        cell = cellOf(demo, place, prefix, column);
        // The data column follows the bus: the text and its tip are read together, once the
        // unit has sent its data, until a refresh of the view does not fall between them.
        shown = cell.data().toString();
        tip = cell.data(Qt::ToolTipRole).toString();
        return cell.isValid() && !shown.isEmpty() && shown != QLatin1String("no data yet")
               && tip.section(QLatin1Char('\n'), 0, 0) == shown;
    });
    QVERIFY2(agree, qPrintable(QStringLiteral("shown: %1\ntip: %2").arg(shown, tip)));
    // What follows reads as words, not as a key left for a translation.
    QVERIFY2(!tip.contains(QLatin1String("_PH")), qPrintable(tip));
}

void tst_TextWalkthrough::renameRetitlesDetails()
{
    DemoBusWindow demo;
    QVERIFY(demo.start());
    const QModelIndex controller = demo.row(QStringLiteral("Controller"));
    QVERIFY(controller.isValid());
    QDockWidget *dock = demo.openDetails(controller);
    auto *panel = DemoBusWindow::find<QDockWidget>(demo.window(), "detailsWindow");
    QVERIFY(dock && panel);
    QCOMPARE(panel->windowTitle(), QStringLiteral("Details - [0xa0] Controller"));
    QCOMPARE(dock->windowTitle(), QStringLiteral("[0xa0] Controller"));

    demo.window()->textAnswer = QStringLiteral("Boom controller");
    demo.action("actionRename")->trigger();
    QCOMPARE(demo.window()->asked.last(), QStringLiteral("Device Name|Controller"));
    QTRY_COMPARE(panel->windowTitle(), QStringLiteral("Details - [0xa0] Boom controller"));
    QTRY_COMPARE(dock->windowTitle(), QStringLiteral("[0xa0] Boom controller"));
    QVERIFY(demo.row(QStringLiteral("Boom controller")).isValid());
}

void tst_TextWalkthrough::russianWindowShowsExampleScheme()
{
    // As the program does at start, before the window is made.
    QObject translations;
    QVERIFY(Language::install(QStringLiteral("ru"), &translations));
    {
        DemoBusWindow demo;
        QVERIFY(demo.start());
        QVERIFY(tabTexts(demo).contains(QString::fromUtf8("Пульт, контроллер и двигатель")));
        QVERIFY(demo.row(QString::fromUtf8("Двигатель №1")).isValid());
        QVERIFY(demo.row(QString::fromUtf8("Контроллер")).isValid());
        QVERIFY(demo.row(QString::fromUtf8("Выносной пульт управления")).isValid());

        QWidget *tab = demo.window()->schemeTabs().value(0);
        QVERIFY(tab);
        QStringList titles;
        for (const QGroupBox *group : tab->findChildren<QGroupBox *>())
            titles << group->title();
        QVERIFY2(titles.contains(QString::fromUtf8("Обороты двигателя")),
                 qPrintable(titles.join(QLatin1Char('|'))));
        QStringList labels;
        for (const QLabel *label : tab->findChildren<QLabel *>())
            labels << label->text();
        for (const char *label : {"Выносной пульт управления", "Контроллер", "Двигатель №1"})
            QVERIFY2(labels.contains(QString::fromUtf8(label)),
                     qPrintable(labels.join(QLatin1Char('|'))));

        // The engine's frames decode in Russian.
        const QString eec1 = QString::fromUtf8("EEC1 — Электронный контроллер двигателя 1: n=");
        QVERIFY(DemoBusWindow::waitFor([&] { return !decodedRow(demo, eec1).isEmpty(); }));
        QVERIFY2(decodedRow(demo, eec1).contains(QString::fromUtf8("об/мин, момент")),
                 qPrintable(decodedRow(demo, eec1)));

        // A broken scheme file: the message is Russian throughout, the parser's words too.
        QTemporaryDir dir;
        demo.window()->fileAnswer = TestEnvironment::writeFile(
            dir, QStringLiteral("broken.tvsx"), "<devices><device key=\"controller\"");
        demo.window()->errors.clear();
        demo.action("actionOpen")->trigger();
        QTRY_COMPARE(demo.window()->errors.size(), 1);
        const QString error = demo.window()->errors.first();
        QVERIFY2(error.contains(QString::fromUtf8("не является файлом схемы")), qPrintable(error));
        QVERIFY2(!QRegularExpression(QStringLiteral("[A-Za-z]{3,}"))
                      .match(error.section(QStringLiteral("tvsx"), -1))
                      .hasMatch(),
                 qPrintable(error));
    }
}

QTEST_MAIN(tst_TextWalkthrough)
#include "tst_textwalkthrough.moc"
