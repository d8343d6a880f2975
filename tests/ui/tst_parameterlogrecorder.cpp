#include "app/parameterlog.h"
#include "model/j1939device.h"
#include "model/zxintparameter.h"
#include "model/zxstringparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"
#include "support/testitems.h"
#include "support/windowtestcase.h"
#include "ui/mainwindow.h"

#include <QAction>
#include <QLabel>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

// The parameter log as the window records it: Options and the toolbar start and stop it, the
// status bar counts its records, and a failing disk stops it with a message.
namespace {

int fieldCount(const QByteArray &line)
{
    return line.split(',').size();
}

} // namespace

class tst_ParameterLogRecorder : public WindowTestCase
{
    Q_OBJECT

public:
    tst_ParameterLogRecorder()
        : WindowTestCase(QStringLiteral("TarvikParameterLogRecorderTest"))
    {}

private slots:
    void parameterLogFileName();
    void parameterLogColumnsStayFixed();
    void parameterLogUnwritableDirectory();
    void parameterLogNeverReplacesALog();
    void parameterLogStopsOnWriteError();
    void parameterLogDialogs();
};

void tst_ParameterLogRecorder::parameterLogFileName()
{
    const QDateTime start(QDate(2016, 4, 14), QTime(9, 5, 3));
    const QString name = ParameterLog::fileName(m_dir.path(), start);
    QCOMPARE(QFileInfo(name).fileName(), QStringLiteral("log16-04-14T09-05-03.csv"));
    QCOMPARE(QFileInfo(name).absolutePath(), QFileInfo(m_dir.path()).absoluteFilePath());
    QVERIFY(!name.contains(QLatin1Char('\\')));
}

void tst_ParameterLogRecorder::parameterLogColumnsStayFixed()
{
    QTemporaryDir logDir;
    QSettings().setValue(QStringLiteral("ParameterLog/Directory"), logDir.path());
    QSettings().setValue(QStringLiteral("ParameterLog/Period"), 20);
    auto a = deviceWithParameters(0x10, 2);
    auto b = deviceWithParameters(0x11, 3);
    auto c = deviceWithParameters(0x12, 4);
    // A marked item's parameter with a separator in its text keeps the field count.
    b->addStringParameter(QStringLiteral("text"))->setVariantValue(QStringLiteral("a,b"));
    a->setFiltered(true);
    b->setFiltered(true);
    // Their values came from the bus: an item that has received nothing logs empty fields.
    for (auto *d : {a.get(), b.get(), c.get()})
        d->counterInc();
    J1939Device *aRaw = a.get();
    for (auto *d : {a.release(), b.release(), c.release()})
        m_window->addDisplayable(d);
    QVERIFY(!action("actionLiveParameterLog")->isChecked());
    QAction *start = action("actionStartParameterLog");
    start->setChecked(true);
    QVERIFY(m_window->parameterLog()->isRunning());
    const QString path = m_window->parameterLog()->path();
    QVERIFY(
        QRegularExpression(QStringLiteral("log\\d\\d-\\d\\d-\\d\\dT\\d\\d-\\d\\d-\\d\\d\\.csv$"))
            .match(path)
            .hasMatch());
    const QString shown = QDir::toNativeSeparators(path);
    QCOMPARE(m_window->statusBar()->currentMessage(),
             QStringLiteral("Parameter log started: %1").arg(shown));
    auto *counter = m_window->findChild<QLabel *>(QStringLiteral("parameterLogCounterLabel"));
    QVERIFY(counter->toolTip().contains(shown));
    const qint64 headerSize = QFileInfo(path).size();
    QVERIFY(headerSize > 0);
    // Without "Live Parameter Log" the records still reach the disk within about a second.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path).size() > headerSize, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(counter->text().toInt() >= 2, 5000);
    // Marks and deletions while logging do not move columns.
    m_window->schemeModel()->topLevelItems().at(2)->displayable()->setFiltered(true);
    aRaw->setFiltered(false);
    m_window->mainView()->setCurrentIndex(
        m_window->schemeModel()->index(aRaw->existingTreeItem(), 1));
    action("actionDeleteDevice")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const int before = counter->text().toInt();
    QTRY_VERIFY_WITH_TIMEOUT(counter->text().toInt() >= before + 2, 5000);
    start->setChecked(false);
    QVERIFY(!m_window->parameterLog()->isRunning());
    const int written = counter->text().toInt();
    QCOMPARE(m_window->statusBar()->currentMessage(),
             QStringLiteral("Parameter log stopped: %1 records in %2").arg(written).arg(shown));
    QVERIFY(!counter->toolTip().contains(shown));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QVERIFY(lines.size() >= 5);
    QVERIFY(lines.last().isEmpty());
    const QByteArray header = lines.first();
    QVERIFY(header.startsWith("Time,10D16p0,10D16p1,11D17p0,"));
    QCOMPARE(fieldCount(header), 7); // Time, 2 of a, 3 of b and its text
    int records = 0;
    for (int i = 1; i < lines.size() - 1; ++i) {
        const QByteArray line = lines.at(i);
        QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d{3},"))
                    .match(QString::fromLatin1(line))
                    .hasMatch());
        QVERIFY2(line.endsWith(",\"a,b\""), line.constData());
        // Quoted separators aside, every record has the header's field count.
        QCOMPARE(fieldCount(line) - 1, 7);
        ++records;
    }
    QCOMPARE(records, written);
    QVERIFY(records >= 4);
    QVERIFY(lines.at(1).contains(",16,26,17,27,37,"));
    QVERIFY(lines.at(lines.size() - 2).contains(",,,17,27,37,")); // the deleted device is empty
}

void tst_ParameterLogRecorder::parameterLogUnwritableDirectory()
{
    QSettings().setValue(QStringLiteral("ParameterLog/Directory"),
                         m_dir.filePath(QStringLiteral("missing/sub")));
    QAction *start = action("actionStartParameterLog");
    start->setChecked(true);
    QVERIFY(!start->isChecked());
    QVERIFY(!m_window->parameterLog()->isRunning());
}

void tst_ParameterLogRecorder::parameterLogNeverReplacesALog()
{
    QTemporaryDir dir;
    const QString path = ParameterLog::fileName(dir.path(), QDateTime::currentDateTime());
    ParameterLog first;
    QVERIFY(first.start(path, {}, 0));
    QVERIFY(first.writeRecord(1000, true));
    first.stop();
    // Started again within the same second: a second file, the first one intact.
    ParameterLog second;
    QVERIFY(second.start(path, {}, 0));
    QVERIFY(second.path() != path);
    QVERIFY(second.path().endsWith(QStringLiteral("-2.csv")));
    second.stop();
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("Time\n1.000\n"));
}

void tst_ParameterLogRecorder::parameterLogStopsOnWriteError()
{
#ifdef Q_OS_UNIX
    QTemporaryDir logDir;
    QSettings().setValue(QStringLiteral("ParameterLog/Directory"), logDir.path());
    QSettings().setValue(QStringLiteral("ParameterLog/Period"), 10);
    auto device = deviceWithParameters(0x50, 3);
    device->setFiltered(true);
    m_window->addDisplayable(device.release());
    action("actionLiveParameterLog")->setChecked(true);
    QAction *start = action("actionStartParameterLog");
    start->setChecked(true);
    QVERIFY(m_window->parameterLog()->isRunning());
    const QString path = m_window->parameterLog()->path();
    // The disk fills up: writes beyond the header fail.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 40;
    setrlimit(RLIMIT_FSIZE, &small);
    QTRY_VERIFY_WITH_TIMEOUT(!start->isChecked(), 5000);
    setrlimit(RLIMIT_FSIZE, &saved);
    QVERIFY(!m_window->parameterLog()->isRunning());
    QVERIFY(m_window->statusBar()->currentMessage().startsWith(
        QStringLiteral("Parameter log stopped: ")));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("Time,50D80p0"));
#else
    QSKIP("needs a file size limit");
#endif
}

void tst_ParameterLogRecorder::parameterLogDialogs()
{
    m_window->intAnswer = 250;
    action("actionParameter_Log_Period")->trigger();
    QCOMPARE(m_window->asked.last(),
             QStringLiteral("Parameter Log Period|Period, ms|1000|10|99999"));
    QCOMPARE(QSettings().value(QStringLiteral("ParameterLog/Period")).toInt(), 250);
    m_window->accept = false;
    m_window->intAnswer = 40;
    action("actionParameter_Log_Period")->trigger();
    QCOMPARE(QSettings().value(QStringLiteral("ParameterLog/Period")).toInt(), 250);
    // Never chosen: the dialog starts in Tarvik's folder among the engineer's documents, which
    // exists, never in the folder the program happened to start in.
    QSettings().remove(QStringLiteral("ParameterLog/Directory"));
    m_window->directoryAnswer.clear();
    action("actionParameter_Log_Directory")->trigger();
    const QString start = m_window->asked.last().section(QLatin1Char('|'), 1);
    QCOMPARE(QFileInfo(start).fileName(), QStringLiteral("Tarvik"));
    QVERIFY(QFileInfo(start).isDir());
    QVERIFY(QDir(start) != QDir::current());
    QVERIFY(!QSettings().contains(QStringLiteral("ParameterLog/Directory")));
    m_window->directoryAnswer = m_dir.path();
    action("actionParameter_Log_Directory")->trigger();
    QCOMPARE(QSettings().value(QStringLiteral("ParameterLog/Directory")).toString(), m_dir.path());
}

QTEST_MAIN(tst_ParameterLogRecorder)
#include "tst_parameterlogrecorder.moc"
