#include "app/jobsession.h"
#include "app/language.h"
#include "can/canhandlerfactory.h"
#include "can/recordingreader.h"
#include "job/inventorycomparison.h"
#include "job/jobreport.h"
#include "job/rawrecorder.h"
#include "job/servicejob.h"
#include "job/snapshotwriter.h"
#include "scheme/schemetreemodel.h"
#include "support/demobuswindow.h"
#include "support/librarywords.h"
#include "support/testenvironment.h"
#include "ui/servicejobactions.h"
#include "ui/servicejobdock.h"
#include "ui/windowbuses.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <memory>

namespace {

constexpr quint32 EngineAddress = 0x01;
constexpr int LongWaitMs = 30000;
const char *const ChildVariable = "TARVIK_JOB_CHILD";
const char *const KeepJobVariable = "TARVIK_KEEP_JOB";

// The texts the walkthrough finds, in the window's language.
struct Expected
{
    QString engine;  // the engine's label in the job's tables
    QString summary; // the clearing as the Changes tab notes it
    QString done;
    QString title; // what the status bar calls the job
    QString finishedTitle;
    QString finishQuestion;
    QString cleared;
    QString stillActive;
    QString stillStored; // in the report
    QString toolRow;     // the report's row of the tool
    QString notes;       // what the engineer types
};

// Short enough for a test, long enough for the demo's units to answer every request.
JobSession::Timing testTiming()
{
    JobSession::Timing t;
    t.listenMs = 3500;
    t.snapshotBeforeS = 2;
    t.snapshotAfterS = 1;
    return t;
}

JobSession *sessionOf(DemoBusWindow &demo)
{
    return demo.window()->jobActions()->session();
}

QStringList columnTexts(const QTableWidget *table, int column)
{
    QStringList texts;
    for (int r = 0; table && r < table->rowCount(); ++r)
        texts << (table->item(r, column) ? table->item(r, column)->text() : QString());
    return texts;
}

// The row of the table whose first column reads `first`; -1 when none.
int rowOf(const QTableWidget *table, const QString &first)
{
    return int(columnTexts(table, 0).indexOf(first));
}

QString cell(const QTableWidget *table, int row, int column)
{
    return table && row >= 0 && table->item(row, column) ? table->item(row, column)->text()
                                                         : QString();
}

bool autoAddEngine(DemoBusWindow &demo)
{
    QAction *autoAdd = demo.action("actionAutoAdd");
    if (!autoAdd->isChecked())
        autoAdd->trigger();
    return DemoBusWindow::waitFor([&] { return demo.unitAt(EngineAddress).isValid(); }, LongWaitMs);
}

// The cells of a row, joined by '|'; the rows of a table, by new lines.
QString rowTexts(const QTableWidget *table, int row)
{
    QStringList cells;
    for (int c = 0; c < table->columnCount(); ++c)
        cells << cell(table, row, c);
    return cells.join(QLatin1Char('|'));
}

QString tableTexts(const QTableWidget *table)
{
    QStringList rows;
    for (int r = 0; table && r < table->rowCount(); ++r)
        rows << rowTexts(table, r);
    return rows.join(QLatin1Char('\n'));
}

// The library's words in `text` that the program said: not those of what the units sent of
// themselves (their identification texts may hold any word) nor of what the engineer typed.
QStringList programsLibraryWords(const QString &text, const InventoryRecord &record,
                                 const QString &notes)
{
    QStringList own{notes};
    for (const InventoryRecord::Unit &u : record.units) {
        own << u.ecu << u.software << u.vin << u.componentFields;
        for (const InventoryRecord::Calibration &c : u.calibrations)
            own << c.calId;
    }
    QStringList words = LibraryWords::englishWords(text);
    for (const QString &w : LibraryWords::englishWords(own.join(QLatin1Char(' '))))
        words.removeAll(w);
    return words;
}

// File ▸ New service job…, the dialog filled in as the engineer does.
// `vinHintWhole`: whether the hint of the empty VIN field had the room to show whole.
bool startJob(DemoBusWindow &demo, const QString &jobsDir,
              const QString &notesText = QStringLiteral("Coolant warning reported by the operator"),
              bool *vinHintWhole = nullptr)
{
    ModalAnswerer dialog([jobsDir, notesText, vinHintWhole](QWidget *d) {
        const struct
        {
            const char *name;
            QString text;
        } fields[] = {{"jobSerial", QStringLiteral("SN4711")},
                      {"jobOrder", QStringLiteral("A-17")},
                      {"jobEngineer", QStringLiteral("Jüri Tamm")},
                      {"jobDirectory", jobsDir}};
        for (const auto &f : fields) {
            if (auto *edit = d->findChild<QLineEdit *>(QLatin1String(f.name)))
                edit->setText(f.text);
        }
        if (auto *notes = d->findChild<QPlainTextEdit *>(QStringLiteral("jobNotes")))
            notes->setPlainText(notesText);
        // The VIN is left empty, so its hint shows: the room for text beside the clear button.
        auto *vin = d->findChild<QLineEdit *>(QStringLiteral("jobVin"));
        if (vin && vinHintWhole) {
            QStyleOptionFrame frame;
            frame.initFrom(vin);
            frame.rect = vin->rect();
            frame.lineWidth = vin->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, vin);
            const int room
                = vin->style()->subElementRect(QStyle::SE_LineEditContents, &frame, vin).width()
                  - vin->textMargins().left() - vin->textMargins().right()
                  - vin->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, vin);
            *vinHintWhole = room >= vin->fontMetrics().horizontalAdvance(vin->placeholderText());
        }
        ModalAnswerer::accept()(d);
    });
    demo.action("actionNewServiceJob")->trigger();
    return dialog.answered() && sessionOf(demo)->isActive();
}

QVector<TimedFrame> readFrames(const QString &path)
{
    RecordingReader reader;
    return reader.readFile(path) ? reader.frames() : QVector<TimedFrame>();
}

// The frames of every part of the job's raw recording, in order.
QVector<TimedFrame> rawFrames(const QString &rawDir)
{
    QVector<TimedFrame> frames;
    for (int part : RawRecorder::partNumbers(rawDir))
        frames += readFrames(QDir(rawDir).filePath(RawRecorder::partFileName(part)));
    return frames;
}

bool sameFrame(const TimedFrame &a, const TimedFrame &b)
{
    return a.timeUs == b.timeUs && a.message.id == b.message.id
           && a.message.length == b.message.length
           && std::equal(a.message.data, a.message.data + a.message.length, b.message.data);
}

// The child process of reopenAfterTheProgramWasKilled: starts a job, makes a change, says
// "ready" and waits to be killed.
int runChild(const QString &jobsDir)
{
    DemoBusWindow demo;
    if (!demo.start())
        return 3;
    sessionOf(demo)->setTiming(testTiming());
    if (!startJob(demo, jobsDir))
        return 4;
    if (!DemoBusWindow::waitFor([&] { return sessionOf(demo)->job()->hasAsFound(); }, LongWaitMs))
        return 5;
    demo.window()->confirm = true;
    demo.trigger("actionSuspendBroadcasts", ModalAnswerer::press(QStringLiteral("OK")));
    if (!DemoBusWindow::waitFor([&] { return !sessionOf(demo)->job()->changes().isEmpty(); }))
        return 6;
    // A little traffic in the raw recording's first second.
    QTest::qWait(1500);
    QTextStream(stdout) << "ready " << sessionOf(demo)->job()->dir() << Qt::endl;
    QTest::qWait(60000);
    return 7;
}

// Stands in for the desktop's program for files: keeps what it was asked to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

} // namespace

Q_DECLARE_METATYPE(Expected)

// A service job on the demo bus, walked as the README walks it: started from the File menu,
// the inventory as found, a code cleared, a fault snapshot of the bus around it, the job
// finished and its report; and a job the program was killed in, opened again at the next start.
class tst_JobWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wholeJobOnTheDemoBus_data();
    void wholeJobOnTheDemoBus();
    void reopenAfterTheProgramWasKilled();
    void rawRecordingKeepsEveryBus_data();
    void rawRecordingKeepsEveryBus();
};

void tst_JobWalkthrough::initTestCase()
{
    TestEnvironment::initSchemeTests(QStringLiteral("TarvikJobWalkthroughTest"));
    QSettings().remove(QStringLiteral("ServiceJob"));
}

void tst_JobWalkthrough::wholeJobOnTheDemoBus_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<Expected>("expected");
    QTest::newRow("English") << "en"
                             << Expected{"Engine #2 (0x01)",
                                         "Clear codes of Engine #2 (0x01): cleared; 1 code(s) came "
                                         "back",
                                         "done",
                                         "Job SN4711",
                                         "Job SN4711 (finished)",
                                         "Finish service job|",
                                         "cleared",
                                         "still active",
                                         "still stored",
                                         "Tool\nTarvik",
                                         "Coolant warning reported by the operator"};
    QTest::newRow("Russian") << "ru"
                             << Expected{"Двигатель №2 (0x01)",
                                         "Двигатель №2 (0x01): коды стёрты; вернулся 1 код",
                                         "выполнено",
                                         "Задание SN4711",
                                         "Задание SN4711 (завершено)",
                                         "Завершить сервисное задание|",
                                         "стёрт",
                                         "всё ещё активен",
                                         "по-прежнему в памяти",
                                         "Инструмент\nTarvik",
                                         "Оператор сообщил о перегреве"};
}

void tst_JobWalkthrough::wholeJobOnTheDemoBus()
{
    QFETCH(QString, language);
    QFETCH(Expected, expected);
    // As the program does at start, before the window is made.
    QObject translations;
    QVERIFY(Language::install(language, &translations));
    QTemporaryDir jobs;
    // TARVIK_KEEP_JOB=1 keeps the job's folder, for tests/tools/reportpages.
    jobs.setAutoRemove(qEnvironmentVariableIsEmpty(KeepJobVariable));
    DemoBusWindow demo;
    QVERIFY(demo.start());
    JobSession *session = sessionOf(demo);
    session->setTiming(testTiming());
    QVERIFY(autoAddEngine(demo));
    ScriptedMainWindow *window = demo.window();

    // Start: the dock shows the job, the title and the status bar name it.
    bool vinHintWhole = false;
    QVERIFY(startJob(demo, jobs.path(), expected.notes, &vinHintWhole));
    QVERIFY(vinHintWhole);
    auto *dock = window->findChild<ServiceJobDock *>(QStringLiteral("serviceJobDock"));
    QVERIFY(dock);
    QTRY_VERIFY(dock->isVisible());
    QVERIFY2(window->windowTitle().contains(expected.title), qPrintable(window->windowTitle()));
    auto *label = window->findChild<QLabel *>(QStringLiteral("jobLabel"));
    QCOMPARE(label->text(), expected.title);
    const QString dir = session->job()->dir();
    if (!jobs.autoRemove())
        qInfo("job folder: %s", qPrintable(dir));
    QVERIFY2(QDir(dir).dirName().endsWith(QLatin1String("_SN4711")), qPrintable(dir));

    // As found: the engine's identification and codes, the VIN taken from the bus.
    QTableWidget *found = dock->asFoundTable();
    int engine = -1;
    QVERIFY(DemoBusWindow::waitFor(
        [&] {
            engine = rowOf(found, expected.engine);
            return session->job()->hasAsFound() && engine >= 0;
        },
        LongWaitMs));
    const QString all = rowTexts(found, engine);
    // SPN 168 FMI 1 is previously active.
    for (const char *text :
         {"X89TVK290R0000417", "EMR4TCD29L4V0312", "SPN 110 FMI 16", "SPN 168 FMI 1"})
        QVERIFY2(all.contains(QLatin1String(text)), qPrintable(all));
    QCOMPARE(session->job()->header().vin, QStringLiteral("X89TVK290R0000417"));
    QVERIFY(rowOf(found, QStringLiteral("Unit 0xA0")) >= 0
            || columnTexts(found, 0).join(QLatin1Char('|')).contains(QLatin1String("0xA0")));

    // What was done: the engine's active codes cleared from its row.
    demo.select(demo.unitAt(EngineAddress));
    QAction *clear = demo.treeAction("actionUnitClearCodes");
    QVERIFY(clear && clear->isEnabled());
    window->confirm = true;
    QVERIFY(ModalAnswerer::run(ModalAnswerer::accept(), [clear] { clear->trigger(); }));
    const QString summary = expected.summary;
    QTableWidget *changes = dock->changesTable();
    QVERIFY2(DemoBusWindow::waitFor([&] { return columnTexts(changes, 1).contains(summary); },
                                    LongWaitMs),
             qPrintable(columnTexts(changes, 1).join(QLatin1Char('\n'))));
    const int change = int(columnTexts(changes, 1).indexOf(summary));
    QCOMPARE(cell(changes, change, 2), expected.engine);
    QCOMPARE(cell(changes, change, 3), expected.done);
    QVERIFY(cell(changes, change, 4).contains(QLatin1String("DM11 ACK")));

    // The codes changed: a fault snapshot of the engine, listed in the dock.
    QTableWidget *snapshots = dock->snapshotsTable();
    QVERIFY(DemoBusWindow::waitFor(
        [&] { return columnTexts(snapshots, 2).contains(expected.engine); }, LongWaitMs));

    // Finish: the inventory as left against the one as found, the report written.
    window->asked.clear();
    QSignalSpy finished(session, &JobSession::finished);
    demo.action("actionFinishServiceJob")->trigger();
    QVERIFY(window->asked.value(0).startsWith(expected.finishQuestion));
    QVERIFY(finished.wait(LongWaitMs));
    QVERIFY(session->isFinished());
    QCOMPARE(label->text(), expected.finishedTitle);
    const QString table = tableTexts(dock->comparisonTable());
    const QStringList engineRows
        = table.split(QLatin1Char('\n')).filter(expected.engine + QLatin1Char('|'));
    for (const auto &[code, kind] :
         {std::pair(QStringLiteral("SPN 100 FMI 18"), expected.cleared),
          std::pair(QStringLiteral("SPN 110 FMI 16"), expected.stillActive)})
        QVERIFY2(engineRows.filter(code).filter(QLatin1Char('|') + kind).size() == 1,
                 qPrintable(table));
    // The dock's tables name the library's units, groups and parameters in the window's
    // language.
    if (language == QLatin1String("ru")) {
        for (const QTableWidget *t : {found, changes, snapshots, dock->comparisonTable()}) {
            const QString texts = tableTexts(t);
            const QStringList words
                = programsLibraryWords(texts, session->job()->asFound(), expected.notes);
            QVERIFY2(words.isEmpty(),
                     qPrintable(words.join(QLatin1Char(' ')) + QLatin1Char('\n') + texts));
        }
    }

    // The report: its HTML has the differences and the change, the PDF has pages.
    QFile html(QDir(dir).filePath(QStringLiteral("report.html")));
    QVERIFY(html.open(QIODevice::ReadOnly));
    const QString report = QString::fromUtf8(html.readAll());
    for (const QString &part : {QStringLiteral("SN4711"), summary.toHtmlEscaped(), expected.cleared,
                                QStringLiteral("data:image/png;base64,")})
        QVERIFY2(report.contains(part), qPrintable(part));
    QFile pdf(QDir(dir).filePath(QStringLiteral("report.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray pdfBytes = pdf.readAll();
    QVERIFY(pdfBytes.startsWith("%PDF"));
    // Page by page: the job fits on two, its files are named without the engineer's folders,
    // each unit once by its name, the tool apart from the machine's units.
    JobReport::Content content;
    QString reportError;
    QVERIFY2(JobReport::build(dir, &content, &reportError), qPrintable(reportError));
    const QStringList pages = JobReport::pageTexts(content, QPageSize::A4);
    const QString text = pages.join(QLatin1Char('\n'));
    QVERIFY2(!pages.isEmpty() && pages.size() <= 2, qPrintable(text));
    QVERIFY2(!text.contains(jobs.path()) && !text.contains(QDir::toNativeSeparators(jobs.path())),
             qPrintable(text));
    QVERIFY2(!text.contains(QLatin1String("(0x01) (0x01)")), qPrintable(text));
    QVERIFY2(!text.contains(QLatin1String("0xF9")), qPrintable(text));
    QVERIFY(!session->job()->asFound().unit(0xF9));
    // Words a narrow column wrapped read as one line.
    const QString flat = QString(text)
                             .replace(QLatin1String("-\n"), QLatin1String("-"))
                             .replace(QLatin1Char('\n'), QLatin1Char(' '));
    QVERIFY2(flat.contains(expected.stillStored), qPrintable(text));
    QVERIFY2(text.contains(expected.toolRow), qPrintable(text));
    // The same job's report in Russian, whatever the language it was done in: no name of the
    // library left in English (the engineer's own notes aside), still two pages at most.
    QStringList russian;
    {
        QObject owner;
        QVERIFY(Language::install(QStringLiteral("ru"), &owner));
        QVERIFY2(JobReport::build(dir, &content, &reportError), qPrintable(reportError));
        russian = JobReport::pageTexts(content, QPageSize::A4);
    }
    const QString russianText = russian.join(QLatin1Char('\n'));
    QVERIFY2(!russian.isEmpty() && russian.size() <= 2, qPrintable(russianText));
    QVERIFY2(russianText.contains(QString::fromUtf8("Двигатель №2 (0x01)")),
             qPrintable(russianText));
    QVERIFY2(LibraryWords::brokenWords(russian, content.html).isEmpty(),
             qPrintable(LibraryWords::brokenWords(russian, content.html).join(QLatin1Char(' '))));
    // Laid out to its end: the last snapshot's folder is named.
    QVERIFY2(russianText.contains(QLatin1String("snapshots/00")), qPrintable(russianText));
    const QStringList words
        = programsLibraryWords(russianText, session->job()->asFound(), expected.notes);
    QVERIFY2(words.isEmpty(),
             qPrintable(words.join(QLatin1Char(' ')) + QLatin1Char('\n') + russianText));

    // "Open report": the desktop gets the report; a computer without a program for it (the
    // offscreen platform has none) says so in the status bar instead of nothing happening.
    auto *openReport = dock->findChild<QPushButton *>(QStringLiteral("jobOpenReport"));
    QVERIFY(openReport && openReport->isEnabled());
    // A report not completed (its PDF gone) is written again first, while the window goes on:
    // the status bar says so, with Cancel, after which it is still to be written.
    QVERIFY(QFile::remove(QDir(dir).filePath(QStringLiteral("report.pdf"))));
    auto *cancel = window->statusBar()->findChild<QPushButton *>(QStringLiteral("reportCancel"));
    QVERIFY(cancel);
    openReport->click();
    QVERIFY(cancel->isVisible());
    QCOMPARE(window->statusBar()->currentMessage(),
             QCoreApplication::translate("ServiceJobActions", "Writing the report…"));
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(!cancel->isVisible());
    QCOMPARE(window->statusBar()->currentMessage(),
             QCoreApplication::translate("ServiceJobActions",
                                         "The report was not written; Open report writes it"));
    openReport->click();
    QVERIFY(cancel->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!cancel->isVisible(), LongWaitMs);
    QVERIFY(QFile::exists(QDir(dir).filePath(QStringLiteral("report.pdf"))));
    const QString reportPath = QDir(dir).filePath(QStringLiteral("report.html"));
    QCOMPARE(window->statusBar()->currentMessage(),
             QCoreApplication::translate("DesktopFiles",
                                         "No program on this computer opens %1; it is there to "
                                         "copy or open by hand")
                 .arg(QDir::toNativeSeparators(reportPath)));
    UrlCatcher desktop;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &desktop, "open");
    openReport->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(desktop.urls.size(), 1);
    QCOMPARE(QFileInfo(desktop.urls.first().toLocalFile()).canonicalFilePath(),
             QFileInfo(reportPath).canonicalFilePath());

    // A snapshot holds exactly the frames of its window, the same the raw recording kept.
    QJsonArray index;
    QString error;
    QVERIFY2(SnapshotWriter::readIndex(QDir(dir).filePath(QStringLiteral("snapshots/index.json")),
                                       &index, &error),
             qPrintable(error));
    QVERIFY(!index.isEmpty());
    const QVector<TimedFrame> raw = rawFrames(QDir(dir).filePath(QStringLiteral("raw")));
    QVERIFY(!raw.isEmpty());
    const QJsonObject first = index.first().toObject();
    const qint64 fromUs = qint64(first.value(QStringLiteral("fromUs")).toDouble());
    const qint64 toUs = qint64(first.value(QStringLiteral("toUs")).toDouble());
    QVector<TimedFrame> inWindow;
    for (const TimedFrame &f : raw) {
        if (f.timeUs >= fromUs && f.timeUs <= toUs)
            inWindow.append(f);
    }
    const QVector<TimedFrame> kept
        = readFrames(QDir(dir).filePath(QStringLiteral("snapshots/%1/frames.log")
                                            .arg(first.value(QStringLiteral("dir")).toString())));
    QCOMPARE(kept.size(), inWindow.size());
    QVERIFY(!kept.isEmpty());
    for (int i = 0; i < kept.size(); ++i)
        QVERIFY2(sameFrame(kept.at(i), inWindow.at(i)), qPrintable(QString::number(i)));
    QCOMPARE(first.value(QStringLiteral("frames")).toInt(), kept.size());
    // Its parameters and plot lie beside the frames.
    const QString snapshotDir = QDir(dir).filePath(QStringLiteral("snapshots/")
                                                   + first.value(QStringLiteral("dir")).toString());
    QVERIFY(QFileInfo(QDir(snapshotDir).filePath(QStringLiteral("parameters.csv"))).size() > 0);
    QVERIFY(!QImage(QDir(snapshotDir).filePath(QStringLiteral("plot.png"))).isNull());
    // Finished: nothing is offered at the next start.
    QVERIFY(QSettings().value(QStringLiteral("ServiceJob/Open")).toString().isEmpty());
}

void tst_JobWalkthrough::reopenAfterTheProgramWasKilled()
{
    QTemporaryDir jobs;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(ChildVariable), jobs.path());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), QStringList());
    QVERIFY(child.waitForStarted());
    QString dir;
    QVERIFY(DemoBusWindow::waitFor(
        [&] {
            const QString line = QString::fromUtf8(child.readLine()).trimmed();
            if (line.startsWith(QLatin1String("ready ")))
                dir = line.mid(6);
            return !dir.isEmpty() || child.state() == QProcess::NotRunning;
        },
        90000));
    QVERIFY2(!dir.isEmpty(), qPrintable(QString::number(child.exitCode())));
    child.kill(); // as a pulled plug or a crash would end it
    QVERIFY(child.waitForFinished());

    // What the job had so far is in its folder.
    QString error;
    std::unique_ptr<ServiceJob> left = ServiceJob::open(dir, &error);
    QVERIFY2(left, qPrintable(error));
    QVERIFY(!left->isFinished());
    QVERIFY(left->hasAsFound());
    QCOMPARE(left->header().engineer, QStringLiteral("Jüri Tamm"));
    QCOMPARE(left->changes().size(), 1);
    QCOMPARE(left->changes().first().kind, ServiceJournal::Suspension);
    const QString rawDir = QDir(dir).filePath(QStringLiteral("raw"));
    QCOMPARE(RawRecorder::partNumbers(rawDir), QVector<int>{1});
    const int framesBefore = readFrames(QDir(rawDir).filePath(RawRecorder::partFileName(1))).size();
    QVERIFY(framesBefore > 100);

    // The next start offers the job; the engineer goes on with it (Yes, as the scripted window
    // answers).
    DemoBusWindow demo;
    QVERIFY(demo.start());
    JobSession *session = sessionOf(demo);
    QTRY_VERIFY(session->isActive());
    QVERIFY2(demo.window()->asked.filter(QStringLiteral("was left open")).size() == 1,
             qPrintable(demo.window()->asked.join(QLatin1Char('\n'))));
    QCOMPARE(session->job()->dir(), dir);
    QCOMPARE(session->job()->changes().size(), 1);
    QCOMPARE(session->job()->asFound(), left->asFound());
    // The raw recording goes on in a new part; the old one is kept as it was.
    QTRY_VERIFY(RawRecorder::partNumbers(rawDir).size() == 2);
    session->close();
    QCOMPARE(readFrames(QDir(rawDir).filePath(RawRecorder::partFileName(1))).size(), framesBefore);
    QVERIFY(!readFrames(QDir(rawDir).filePath(RawRecorder::partFileName(2))).isEmpty());
}

// A job in a window of two buses (File ▸ Add Bus…, the demo bus again): its raw recording
// holds the frames of both, each with its bus; removing the second bus leaves the job going.
void tst_JobWalkthrough::rawRecordingKeepsEveryBus_data()
{
    QTest::addColumn<bool>("addedFirst");
    QTest::newRow("bus added before the job") << true;
    QTest::newRow("bus added while the job runs") << false;
}

void tst_JobWalkthrough::rawRecordingKeepsEveryBus()
{
    QFETCH(bool, addedFirst);
    QTemporaryDir jobs;
    DemoBusWindow demo;
    QVERIFY(demo.start());
    ScriptedMainWindow *window = demo.window();
    JobSession *session = sessionOf(demo);
    session->setTiming(testTiming());
    const auto addBus = [&] {
        window->adapterAnswer = CanHandlerFactory::Replay;
        window->choiceAnswer = 0;
        demo.action("actionAddBus")->trigger();
        return window->errors.isEmpty();
    };
    if (addedFirst)
        QVERIFY(addBus());
    QVERIFY(startJob(demo, jobs.path()));
    if (!addedFirst)
        QVERIFY(addBus());
    const QString rawDir = QDir(session->job()->dir()).filePath(QStringLiteral("raw"));
    const auto buses = [&] {
        QMap<int, int> frames;
        for (const TimedFrame &f : rawFrames(rawDir))
            ++frames[f.bus];
        return frames;
    };
    QVERIFY(DemoBusWindow::waitFor([&] { return buses().value(0) > 100 && buses().value(1) > 100; },
                                   LongWaitMs));
    QCOMPARE(buses().keys(), (QList<int>{0, 1}));

    // The inventory as found lists both buses' units: the demo bus twice has every address twice,
    // the second's named with their bus. A bus added after it had begun waits for the next one.
    auto *dock = window->findChild<ServiceJobDock *>(QStringLiteral("serviceJobDock"));
    QVERIFY(DemoBusWindow::waitFor([&] { return session->job()->hasAsFound(); }, LongWaitMs));
    QMap<QString, QList<int>> addresses; // by bus
    for (const InventoryRecord::Unit &u : session->job()->asFound().units)
        addresses[u.bus] << u.address;
    const QStringList names = columnTexts(dock->asFoundTable(), 0);
    const QStringList onSecond = names.filter(QRegularExpression(QStringLiteral(" on can1$")));
    QVERIFY(!addresses.value(QString()).isEmpty());
    if (addedFirst) {
        QCOMPARE(addresses.keys(), (QStringList{QString(), QStringLiteral("can1")}));
        QCOMPARE(addresses.value(QStringLiteral("can1")), addresses.value(QString()));
        QCOMPARE(onSecond.size(), addresses.value(QStringLiteral("can1")).size());
        QCOMPARE(names.size(), 2 * onSecond.size());
    } else {
        QCOMPARE(addresses.keys(), QStringList{QString()});
        QVERIFY2(onSecond.isEmpty(), qPrintable(onSecond.join(QLatin1Char('|'))));
    }

    // The second bus goes; the job records its own bus on.
    window->confirm = true;
    demo.select(window->schemeModel()->index(1, 0));
    demo.action("actionRemoveBus")->trigger();
    QCOMPARE(window->buses()->count(), 1);
    // What was taken before it went reaches the disk with the next flush, and nothing after.
    const auto grown = [&] {
        const QMap<int, int> before = buses();
        return DemoBusWindow::waitFor([&] { return buses().value(0) > before.value(0) + 100; },
                                      LongWaitMs);
    };
    QVERIFY(grown());
    const int secondBus = buses().value(1);
    QVERIFY(grown());
    QCOMPARE(buses().value(1), secondBus);
    QVERIFY(session->isActive());
    if (!addedFirst) {
        session->close();
        return;
    }

    // Finished without it: the second bus's units are gone and silent, the first bus's stay.
    window->confirm = true;
    QSignalSpy finished(session, &JobSession::finished);
    demo.action("actionFinishServiceJob")->trigger();
    QVERIFY(finished.wait(LongWaitMs));
    for (const InventoryRecord::Unit &u : session->job()->asLeft().units)
        QVERIFY2(u.bus.isEmpty(), qPrintable(u.bus));
    const QStringList silent = session->job()->info().health.silentUnits;
    QCOMPARE(silent.filter(QStringLiteral("can1 0x")).size(), onSecond.size());
    QCOMPARE(silent.size(), onSecond.size());
    QStringList removed;
    for (int r = 0; r < dock->comparisonTable()->rowCount(); ++r) {
        if (cell(dock->comparisonTable(), r, 4)
            == InventoryComparison::kindText(InventoryComparison::Kind::Removed))
            removed << cell(dock->comparisonTable(), r, 0);
    }
    QCOMPARE(removed, onSecond);
    QFile html(QDir(session->job()->dir()).filePath(QStringLiteral("report.html")));
    QVERIFY(html.open(QIODevice::ReadOnly));
    const QString report = QString::fromUtf8(html.readAll());
    for (const QString &name : onSecond)
        QVERIFY2(report.contains(name.toHtmlEscaped()), qPrintable(name));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString childJobs = qEnvironmentVariable(ChildVariable);
    if (!childJobs.isEmpty()) {
        TestEnvironment::initSchemeTests(QStringLiteral("TarvikJobWalkthroughTest"));
        return runChild(childJobs);
    }
    tst_JobWalkthrough test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_jobwalkthrough.moc"
