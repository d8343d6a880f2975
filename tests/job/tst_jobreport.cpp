#include "app/language.h"
#include "job/jobreport.h"
#include "job/rawrecorder.h"
#include "job/servicejob.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include "jobfixtures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace JobFixtures;
using TestEnvironment::readFile;
using TestEnvironment::writeFile;

namespace {

QByteArray plotPng()
{
    QImage image(64, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int x = 0; x < 64; ++x)
        image.setPixel(x, 12 + (x % 7) - 3, qRgb(0, 0, 200));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// The table row of the report that holds `text`.
QString rowWith(const QString &html, const QString &text)
{
    const int at = html.indexOf(text);
    if (at < 0)
        return QString();
    const int start = html.lastIndexOf(QLatin1String("<tr"), at);
    const int end = html.indexOf(QLatin1String("</tr>"), at);
    return start < 0 || end < 0 ? QString() : html.mid(start, end - start);
}

int pageObjects(const QByteArray &pdf)
{
    // Page objects, not the page tree ("/Type /Pages").
    const QByteArray page("/Type /Page");
    int count = 0;
    for (int at = pdf.indexOf(page); at >= 0; at = pdf.indexOf(page, at + 1)) {
        if (pdf.mid(at + page.size(), 1) != "s")
            ++count;
    }
    return count;
}

} // namespace

class tst_JobReport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void htmlShowsTheVisit();
    void openJobMarked_data();
    void openJobMarked();
    void pdfPages_data();
    void pdfPages();
    void consoleProgramWritesBoth();
    void damagedJobNamed();

private:
    QString m_job;
    QTemporaryDir m_dir;
    QByteArray m_png;
};

void tst_JobReport::initTestCase()
{
    TestEnvironment::init();
    QVERIFY(m_dir.isValid());
    QString error;
    ServiceJob::Header header{QStringLiteral("SN4711"), QStringLiteral("VIN<1>"),
                              QStringLiteral("Заказ 118"), QStringLiteral("Jürgen"),
                              QStringLiteral("Leak & noise")};
    ServiceJob::Setup setup;
    setup.connection = QStringLiteral("Demo bus (built in)");
    std::unique_ptr<ServiceJob> job = ServiceJob::create(m_dir.path(), header, &error, setup);
    QVERIFY2(job, qPrintable(error));
    // The window's second bus has an engine at the same address, without codes.
    InventoryRecord::Unit secondBus = engine();
    secondBus.bus = QStringLiteral("can1");
    secondBus.software = QStringLiteral("SW 1.0");
    secondBus.active.clear();
    secondBus.previous.clear();
    const InventoryRecord found = record({engine(), controller(), secondBus});
    InventoryRecord left = found;
    left.units[2].software = QStringLiteral("SW 1.1");
    left.units[0].calibrations[0].cvn = QStringLiteral("0x55AA55AA");
    left.units[0].active.removeFirst(); // SPN 110 FMI 0 cleared, kept as previously active
    left.units[0].previous << InventoryRecord::Code{110, 0, 1};
    QVERIFY(job->setAsFound(found, &error));
    QVERIFY(job->setAsLeft(left, &error));
    ServiceJournal::Entry clearing;
    clearing.kind = ServiceJournal::CodeClearing;
    clearing.unit = QStringLiteral("Engine #1 (0x00)");
    clearing.summary = QStringLiteral("Active codes cleared on Engine #1");
    clearing.details = QStringList{QStringLiteral("before: SPN 110 FMI 0")};
    QVERIFY(job->appendChange(clearing, &error));
    ServiceJournal::Entry test;
    test.kind = ServiceJournal::AcceptanceTest;
    test.summary = QStringLiteral("Boom support test passed");
    test.outcome = ServiceJournal::Outcome::Failed;
    test.files = QStringList{QStringLiteral("tests/boom.txt")};
    QVERIFY(job->appendChange(test, &error));

    m_png = plotPng();
    const QString snapDir = QDir(job->snapshotsDir()).filePath(QStringLiteral("001-0x00-spn110"));
    QVERIFY(QDir().mkpath(snapDir));
    QVERIFY(writeFile(QDir(snapDir).filePath(QStringLiteral("plot.png")), m_png));
    QVERIFY(writeFile(QDir(job->snapshotsDir()).filePath(QStringLiteral("index.json")),
                      R"({"version":1,"snapshots":[{"id":1,"time":"2026-12-07T14:15:00Z","timeUs":1,
            "unit":0,"unitName":"Engine #1","change":"SPN 110 FMI 0 appeared",
            "appeared":[{"spn":110,"fmi":0,"oc":1}],"gone":[],"countChanged":[],"codes":[],
            "fromUs":0,"toUs":2,"frames":1234,"dir":"001-0x00-spn110"},
           {"id":2,"unit":1,"unitName":"Escape","change":"x","dir":"../.."}]})"));
    RawRecorder raw(job->rawDir());
    QVERIFY(raw.take(
        {TimedFrame{1733580723000000LL, makeFrame(0x18FECA00, {0, 0, 0, 0, 0, 0, 0, 0})}}));
    raw.close();
    m_job = job->dir();
}

void tst_JobReport::htmlShowsTheVisit()
{
    QString error;
    const QString html = JobReport::html(m_job, &error);
    QVERIFY2(!html.isEmpty(), qPrintable(error));
    // What differs, marked in words, in the row of what changed; what stayed is not repeated.
    const QString cvn = rowWith(html, QStringLiteral("CAL ID CAL-ENGINE-01"));
    QVERIFY2(cvn.contains(QLatin1String("0x1234ABCD")) && cvn.contains(QLatin1String("0x55AA55AA")),
             qPrintable(cvn));
    QVERIFY2(cvn.contains(QLatin1String(">changed<")), qPrintable(cvn));
    QVERIFY(!html.contains(QLatin1String("CAL ID BOOT")));
    // Every code with what became of it, active (DM1) and previously active (DM2) apart.
    const struct
    {
        const char *code;
        const char *fate;
    } codes[] = {{"Active (DM1) SPN 110 FMI 0", "cleared"},
                 {"Active (DM1) SPN 100 FMI 18", "still active"},
                 {"Previously active (DM2) SPN 190 FMI 2", "still stored"},
                 {"Previously active (DM2) SPN 110 FMI 0", "stored since, no longer active"}};
    for (const auto &c : codes) {
        const QString row = rowWith(html, QLatin1String(c.code));
        QVERIFY2(row.contains(QLatin1String(c.fate)), qPrintable(row));
        QVERIFY2(!row.contains(QLatin1String("added")) && !row.contains(QLatin1String(">new<")),
                 qPrintable(row));
    }
    // The second bus's engine is a unit of its own, named with its bus.
    const QString software = rowWith(html, QStringLiteral("SW 1.1"));
    QVERIFY2(software.contains(QLatin1String("SW 1.0")), qPrintable(software));
    QCOMPARE(html.count(QLatin1String("Boom support test passed")), 1);
    QVERIFY(html.contains(QLatin1String("data:image/png;base64,")
                          + QString::fromLatin1(m_png.toBase64())));
    const QStringList present{
        "Engine #1 (0x00) on can1",
        // Header texts escaped, changes and the acceptance test listed.
        "VIN&lt;1&gt;", "Leak &amp; noise", QStringLiteral("Заказ 118"),
        "Active codes cleared on Engine #1", "tests/boom.txt",
        // The snapshot's plot inline (above), under the unit's name as the inventory has it.
        "Active codes appeared: SPN 110 FMI 0", "UTC, Engine #1 (0x00)",
        "snapshots/001-0x00-spn110/", "raw/"};
    for (const QString &text : present)
        QVERIFY2(html.contains(text), qPrintable(text));
    // The index entry pointing out of the folder gets no files; files go by their place in the
    // job's folder (the engineer's folders stay out); self-contained: no file is referenced for
    // display.
    const QStringList absent{"../..", QDir::toNativeSeparators(m_dir.path()), m_dir.path(),
                             "src=\"snapshot", "<link"};
    for (const QString &text : absent)
        QVERIFY2(!html.contains(text), qPrintable(text));
}

void tst_JobReport::openJobMarked_data()
{
    QTest::addColumn<bool>("finish");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("openMark");
    QTest::newRow("open") << false << QString("en") << QString("Job not finished");
    QTest::newRow("finished") << true << QString("en") << QString("Job not finished");
    QTest::newRow("open, in Russian") << false << QString("ru") << QString("Работа не завершена");
}

void tst_JobReport::openJobMarked()
{
    QFETCH(bool, finish);
    QFETCH(QString, language);
    QFETCH(QString, openMark);
    // The report speaks the program's language: the translators live as long as `owner`.
    QObject owner;
    QVERIFY(Language::install(language, &owner));
    QTemporaryDir dir;
    QString error;
    std::unique_ptr<ServiceJob> job = ServiceJob::create(dir.path(), {}, &error);
    QVERIFY2(job, qPrintable(error));
    ServiceJob::Health health;
    health.loadMeanPercent = 12.5;
    health.silentUnits = QStringList{QStringLiteral("0x21")};
    if (finish)
        QVERIFY(job->finish(health, &error));
    const QString html = JobReport::html(job->dir(), &error);
    QVERIFY2(!html.isEmpty(), qPrintable(error));
    QCOMPARE(html.contains(openMark), !finish);
    QCOMPARE(html.contains(QLatin1String("0x21")), finish);
    QCOMPARE(html.contains(QLatin1String("No inventory was taken.")), language == "en");
}

void tst_JobReport::pdfPages_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("mediaBox");
    QTest::newRow("A4") << int(QPageSize::A4) << "595 842";
    QTest::newRow("Letter") << int(QPageSize::Letter) << "612 792";
}

void tst_JobReport::pdfPages()
{
    QFETCH(int, page);
    QFETCH(QString, mediaBox);
    const QString path = m_dir.filePath(QStringLiteral("report-%1.pdf").arg(page));
    QString error;
    QVERIFY2(JobReport::writePdf(m_job, path, QPageSize::PageSizeId(page), &error),
             qPrintable(error));
    const QByteArray pdf = readFile(path);
    QVERIFY(pdf.startsWith("%PDF"));
    // The PDF has the pages the report is laid out on, and a small job fits on one or two.
    JobReport::Content content;
    QVERIFY2(JobReport::build(m_job, &content, &error), qPrintable(error));
    const QStringList pages = JobReport::pageTexts(content, QPageSize::PageSizeId(page));
    QCOMPARE(pageObjects(pdf), pages.size());
    QVERIFY2(pages.size() <= 2, qPrintable(pages.join(QLatin1String("\f"))));
    QVERIFY(pages.first().contains(QLatin1String("Service job report")));
    const QRegularExpression box(QStringLiteral("/MediaBox \\[0 0 ([\\d.]+) ([\\d.]+)\\]"));
    // Latin-1 of every byte: QString::fromLatin1 would stop at the first zero byte.
    QString text;
    for (const char c : pdf)
        text += QChar(uchar(c));
    const QRegularExpressionMatch m = box.match(text);
    QVERIFY(m.hasMatch());
    QCOMPARE(QStringLiteral("%1 %2")
                 .arg(qRound(m.captured(1).toDouble()))
                 .arg(qRound(m.captured(2).toDouble())),
             mediaBox);
}

void tst_JobReport::consoleProgramWritesBoth()
{
    for (const QString &name : {QStringLiteral("report.html"), QStringLiteral("report.pdf")})
        QFile::remove(QDir(m_job).filePath(name));
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No platform named: the program picks the offscreen one itself.
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(TARVIK_CLI_EXECUTABLE), {QStringLiteral("report"), m_job});
    QVERIFY(cli.waitForFinished(60000));
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
    QVERIFY(readFile(QDir(m_job).filePath(QStringLiteral("report.pdf"))).startsWith("%PDF"));
    QVERIFY(
        readFile(QDir(m_job).filePath(QStringLiteral("report.html"))).contains("CAL-ENGINE-01"));
}

void tst_JobReport::damagedJobNamed()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(QStringLiteral("job.json")), "{\"format\":"));
    QString error;
    QVERIFY(JobReport::html(dir.path(), &error).isEmpty());
    QVERIFY2(error.contains(QLatin1String("job.json is damaged")), qPrintable(error));
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    QVERIFY(!JobReport::writePdf(dir.path(), pdf, QPageSize::A4, &error));
    QVERIFY(!QFile::exists(pdf));
}

QTEST_MAIN(tst_JobReport)
#include "tst_jobreport.moc"
