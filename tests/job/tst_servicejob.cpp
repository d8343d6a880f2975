#include "job/servicejob.h"
#include "support/testenvironment.h"

#include "jobfixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

using namespace JobFixtures;

namespace {

ServiceJob::Header nonAsciiHeader()
{
    return {QStringLiteral("SN4711"), QStringLiteral("XTC6520\"1¿"), QStringLiteral("З-2026/118"),
            QStringLiteral("Jürgen Øberg"), QStringLiteral("Утечка у крана\nline two, «quoted»")};
}

ServiceJournal::Entry entry(const QString &summary, const QString &kind = ServiceJournal::Note)
{
    ServiceJournal::Entry e;
    e.time = utc("2026-12-07T14:20:00Z");
    e.kind = kind;
    e.unit = QStringLiteral("Engine #1 (0x00)");
    e.summary = summary;
    return e;
}

void compareEntries(const QVector<ServiceJournal::Entry> &a,
                    const QVector<ServiceJournal::Entry> &b)
{
    QCOMPARE(a.size(), b.size());
    for (int i = 0; i < a.size(); ++i) {
        QCOMPARE(a[i].time, b[i].time);
        QCOMPARE(a[i].kind, b[i].kind);
        QCOMPARE(a[i].unit, b[i].unit);
        QCOMPARE(a[i].summary, b[i].summary);
        QCOMPARE(a[i].outcome, b[i].outcome);
        QCOMPARE(a[i].details, b[i].details);
        QCOMPARE(a[i].files, b[i].files);
        QVERIFY(a[i].summaryText == b[i].summaryText);
        QVERIFY(a[i].detailTexts == b[i].detailTexts);
    }
}

} // namespace

Q_DECLARE_METATYPE(ServiceJob::Header)

class tst_ServiceJob : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnvironment::init(); }
    void reopenGivesBackEverything();
    void folderName_data();
    void folderName();
    void sameMinuteGetsUniqueFolders();
    void changesFromTwoThreads();
    void unreadable_data();
    void unreadable();
    void changeTexts_data();
    void changeTexts();
};

void tst_ServiceJob::reopenGivesBackEverything()
{
    QTemporaryDir jobs;
    QVERIFY(jobs.isValid());
    ServiceJob::Setup setup;
    setup.connectionText
        = TranslatableText::catalogue("MainWindow", "%1 on %2")
              .arg(TranslatableText::catalogue("AdapterChoiceDialog", "Slcan (new)"))
              .arg(QStringLiteral("COM3"));
    setup.requests = false;
    setup.snapshotBeforeS = 20;
    setup.snapshotAfterS = 7;
    setup.started = QDateTime::fromString(QStringLiteral("2026-12-07T14:12:03.456Z"), Qt::ISODate);
    QString error;
    std::unique_ptr<ServiceJob> job
        = ServiceJob::create(jobs.path(), nonAsciiHeader(), &error, setup);
    QVERIFY2(job, qPrintable(error));
    QVERIFY(QFileInfo(job->rawDir()).isDir());
    QVERIFY(QFileInfo(job->snapshotsDir()).isDir());
    QVERIFY(!job->isFinished());

    ServiceJob::Header changed = nonAsciiHeader();
    changed.engineer = QStringLiteral("Ольга Петрова");
    QVERIFY(job->setHeader(changed, &error));
    // The same address on the window's second bus is a unit of its own.
    InventoryRecord::Unit secondBus = engine();
    secondBus.bus = QStringLiteral("can1");
    secondBus.software = QStringLiteral("SW 1.0");
    const InventoryRecord found = record({engine(), controller(), secondBus});
    InventoryRecord left = found;
    left.units[0].software = QStringLiteral("SW 5.0 — новая");
    left.taken = utc("2026-12-07T16:00:00Z");
    QVERIFY(job->setAsFound(found, &error));
    QVERIFY(job->setAsLeft(left, &error));
    ServiceJournal::Entry write
        = entry(QStringLiteral("Записано 2 байта"), ServiceJournal::MemoryWrite);
    write.outcome = ServiceJournal::Outcome::Failed;
    write.details = QStringList{QStringLiteral("before: 01 02"), QStringLiteral("after: 03 04")};
    write.files
        = QStringList{QStringLiteral("backup/ecu.bin"), QStringLiteral("C:\\flash\\log.txt")};
    write.summaryText = TranslatableText::catalogue("MemoryAccessFunction", "Memory access: %1")
                            .arg(QStringLiteral("2 байта"));
    write.detailTexts
        = {TranslatableText::joined({TranslatableText::name(QStringLiteral("Engine #1")),
                                     TranslatableText::catalogue("X", "%n code(s)", 3)},
                                    QStringLiteral(": ")),
           TranslatableText::plain(QStringLiteral("after: 03 04"))};
    QVERIFY(job->appendChange(write, &error));
    ServiceJournal::Entry cancelled = entry(QStringLiteral("Cancelled"));
    cancelled.outcome = ServiceJournal::Outcome::Cancelled;
    QVERIFY(job->appendChange(cancelled, &error));
    ServiceJob::Health health;
    health.loadMeanPercent = 12.5;
    health.loadMaxPercent = 30.1;
    health.frames = 123456789012;
    health.transportAborts = 3;
    health.silentUnits
        = QStringList{QStringLiteral("0x21"), QStringLiteral("0xA0"), QStringLiteral("can1 0x00")};
    QVERIFY(job->finish(health, &error, utc("2026-12-07T16:05:09Z")));

    std::unique_ptr<ServiceJob> back = ServiceJob::open(job->dir(), &error);
    QVERIFY2(back, qPrintable(error));
    QCOMPARE(back->dir(), job->dir());
    QVERIFY(back->header() == changed);
    QVERIFY(back->isFinished());
    const ServiceJob::Info &info = back->info();
    QCOMPARE(info.started, utc("2026-12-07T14:12:03Z"));
    QCOMPARE(info.finishedAt, utc("2026-12-07T16:05:09Z"));
    QCOMPARE(info.connection, QStringLiteral("Slcan (new) on COM3"));
    QVERIFY(info.connectionText == setup.connectionText);
    QCOMPARE(info.requests, false);
    QCOMPARE(back->snapshotBeforeS(), 20);
    QCOMPARE(back->snapshotAfterS(), 7);
    QVERIFY(info.hasHealth);
    QVERIFY(info.health == health);
    QVERIFY(back->hasAsFound());
    QVERIFY(back->hasAsLeft());
    QVERIFY(back->asFound() == found);
    QVERIFY(back->asFound().unit(0, QStringLiteral("can1")));
    QCOMPARE(back->asFound().unit(0, QStringLiteral("can1"))->software, secondBus.software);
    // Only the other bus's unit names a bus: a job with one bus writes what it always did.
    QCOMPARE(TestEnvironment::readFile(back->filePath(ServiceJob::AsFoundFile)).count("\"bus\""),
             1);
    QVERIFY(back->asLeft() == left);
    compareEntries(back->changes(), job->changes());
    QCOMPARE(back->changes().size(), 2);
    QCOMPARE(back->changes().constFirst().outcome, ServiceJournal::Outcome::Failed);
}

void tst_ServiceJob::folderName_data()
{
    QTest::addColumn<ServiceJob::Header>("header");
    QTest::addColumn<QString>("name");
    const auto header = [](const QString &serial, const QString &order) {
        ServiceJob::Header h;
        h.serial = serial;
        h.order = order;
        return h;
    };
    QTest::newRow("serial") << header("SN4711", "A-1") << "2026-12-07_1412_SN4711";
    QTest::newRow("order when no serial") << header("", "A-1") << "2026-12-07_1412_A-1";
    QTest::newRow("job when neither") << header(" ", "") << "2026-12-07_1412_job";
    QTest::newRow("forbidden characters replaced")
        << header("a\\b/c:d*e?f\"g<h>i|j", "") << "2026-12-07_1412_a_b_c_d_e_f_g_h_i_j";
    QTest::newRow("control characters replaced")
        << header("a\tb\nc", "") << "2026-12-07_1412_a_b_c";
    QTest::newRow("trailing dots and spaces dropped")
        << header("SN 12. . ", "") << "2026-12-07_1412_SN 12";
    QTest::newRow("only dots: the order") << header("...", "Z 9") << "2026-12-07_1412_Z 9";
    QTest::newRow("non-ASCII kept") << header("Кран-7", "") << "2026-12-07_1412_Кран-7";
    QTest::newRow("long serial cut")
        << header(QString(200, QLatin1Char('x')), "") << "2026-12-07_1412_" + QString(60, 'x');
}

void tst_ServiceJob::folderName()
{
    QFETCH(ServiceJob::Header, header);
    QFETCH(QString, name);
    // A local time of another zone names the folder by its UTC time, as job.json keeps it.
    const QDateTime started = utc("2026-12-07T14:12:59Z").toOffsetFromUtc(3 * 3600);
    QCOMPARE(ServiceJob::folderName(started, header), name);

    QTemporaryDir jobs;
    ServiceJob::Setup setup;
    setup.started = started;
    QString error;
    const std::unique_ptr<ServiceJob> job = ServiceJob::create(jobs.path(), header, &error, setup);
    QVERIFY2(job, qPrintable(error));
    QCOMPARE(QFileInfo(job->dir()).fileName(), name);
}

void tst_ServiceJob::sameMinuteGetsUniqueFolders()
{
    QTemporaryDir jobs;
    ServiceJob::Setup setup;
    setup.started = utc("2026-12-07T14:12:03Z");
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        ServiceJob::Header header = nonAsciiHeader();
        header.notes = QString::number(i);
        QString error;
        const std::unique_ptr<ServiceJob> job
            = ServiceJob::create(jobs.path(), header, &error, setup);
        QVERIFY2(job, qPrintable(error));
        names << QFileInfo(job->dir()).fileName();
        // Each job keeps its own header: no folder was taken over.
        QCOMPARE(ServiceJob::open(job->dir(), &error)->header().notes, QString::number(i));
    }
    QCOMPARE(names, (QStringList{"2026-12-07_1412_SN4711", "2026-12-07_1412_SN4711-2",
                                 "2026-12-07_1412_SN4711-3"}));
}

void tst_ServiceJob::changesFromTwoThreads()
{
    QTemporaryDir jobs;
    QString error;
    std::unique_ptr<ServiceJob> job = ServiceJob::create(jobs.path(), {}, &error);
    QVERIFY2(job, qPrintable(error));
    constexpr int PerThread = 40;
    const auto note = [&job](const QString &prefix) {
        for (int i = 0; i < PerThread; ++i)
            job->appendChange(entry(prefix + QString::number(i)));
    };
    std::thread other(note, QStringLiteral("bus "));
    note(QStringLiteral("gui "));
    other.join();
    const QVector<ServiceJournal::Entry> kept = job->changes();
    QCOMPARE(kept.size(), 2 * PerThread);
    std::unique_ptr<ServiceJob> back = ServiceJob::open(job->dir(), &error);
    QVERIFY2(back, qPrintable(error));
    compareEntries(back->changes(), kept);
    // Each thread's entries in the order it noted them.
    for (const QString &prefix : {QStringLiteral("bus "), QStringLiteral("gui ")}) {
        int next = 0;
        for (const ServiceJournal::Entry &e : kept) {
            if (e.summary.startsWith(prefix))
                QCOMPARE(e.summary, prefix + QString::number(next++));
        }
        QCOMPARE(next, PerThread);
    }
}

void tst_ServiceJob::unreadable_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("job.json missing") << "job.json" << QByteArray("-") << "has no job.json";
    QTest::newRow("job.json cut short")
        << "job.json" << QByteArray("{\"format\":\"tarvik-ser") << "job.json is damaged";
    QTest::newRow("job.json of another program")
        << "job.json" << QByteArray("{\"format\":\"other\",\"version\":1}")
        << "not a Tarvik service job";
    QTest::newRow("job.json newer")
        << "job.json" << QByteArray("{\"format\":\"tarvik-service-job\",\"version\":3}")
        << "This job was written by a newer Tarvik (format 3)";
    QTest::newRow("as-found.json damaged")
        << "as-found.json" << QByteArray("{]") << "as-found.json is damaged";
    QTest::newRow("as-left.json newer")
        << "as-left.json" << QByteArray("{\"version\":2}") << "newer Tarvik (format 2)";
    QTest::newRow("changes.json damaged")
        << "changes.json" << QByteArray("\xff\xfe") << "changes.json is damaged";
    QTest::newRow("changes.json without entries")
        << "changes.json" << QByteArray("{\"version\":1}") << "the entries are not a list";
}

void tst_ServiceJob::unreadable()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, text);
    QFETCH(QString, message);
    QTemporaryDir jobs;
    QString error;
    std::unique_ptr<ServiceJob> job = ServiceJob::create(jobs.path(), nonAsciiHeader(), &error);
    QVERIFY2(job, qPrintable(error));
    QVERIFY(job->setAsFound(record({engine()}), &error));
    QVERIFY(job->setAsLeft(record({engine()}), &error));
    QVERIFY(job->appendChange(entry(QStringLiteral("x")), &error));
    QVERIFY(ServiceJob::open(job->dir(), &error));
    const QString path = job->filePath(file);
    if (text == "-")
        QVERIFY(QFile::remove(path));
    else
        QVERIFY(TestEnvironment::writeFile(path, text));
    error.clear();
    QVERIFY(!ServiceJob::open(job->dir(), &error));
    QVERIFY2(error.contains(message), qPrintable(error));
}

void tst_ServiceJob::changeTexts_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QStringList>("details");
    const QByteArray noted(R"j("summary":"Gelöscht","details":["a","b"])j");
    const auto with = [&noted](const char *texts) { return noted + ',' + texts; };
    const auto asNoted = [](const char *name, const QByteArray &entry) {
        QTest::newRow(name) << entry << QString("Gelöscht") << QStringList{"a", "b"};
    };
    asNoted("older version: as noted", noted);
    QTest::newRow("in the words of the code")
        << with(R"j("summaryText":{"context":"X","source":"Cleared %1: %2",
                    "args":[{"name":"Engine #1 (0x00)"},{"context":"X","source":"done"}]},
                    "detailTexts":["DM11 ACK",{"parts":["x",{"name":"y"}],"separator":" = "}])j")
        << "Cleared Engine #1 (0x00): done" << QStringList{"DM11 ACK", "x = y"};
    QTest::newRow("arguments filled in one pass")
        << with(R"j("summaryText":{"context":"X","source":"%1 and %2","args":["%2","b"]})j")
        << "%2 and b" << QStringList{"a", "b"};
    QTest::newRow("a count for the plural form")
        << with(R"j("summaryText":{"context":"X","source":"%n code(s) came back","n":2})j")
        << "2 code(s) came back" << QStringList{"a", "b"};
    asNoted("a damaged text: as noted", with(R"j("summaryText":{"context":5,"source":"x"})j"));
    asNoted("arguments not a list: as noted",
            with(R"j("summaryText":{"context":"X","source":"%1","args":"y"})j"));
    QByteArray deep("\"z\"");
    for (int i = 0; i <= TranslatableText::MaxDepth; ++i)
        deep = R"j({"context":"X","source":"(%1)","args":[)j" + deep + "]}";
    asNoted("nested deeper than ours: as noted", with("\"summaryText\":" + deep));
    asNoted("one damaged detail: every detail as noted",
            with(R"j("detailTexts":["x",{"source":"no context"}])j"));
}

// What a change says in the reader's language: from the texts in the words of the code when
// the entry has them whole, else as noted (a job of an older version, a damaged file).
void tst_ServiceJob::changeTexts()
{
    QFETCH(QByteArray, entry);
    QFETCH(QString, summary);
    QFETCH(QStringList, details);
    QVector<ServiceJournal::Entry> entries;
    QString error;
    QVERIFY2(ServiceJob::changesFromBytes(
                 R"({"version":1,"entries":[{"kind":"note",)" + entry + "}]}", &entries, &error),
             qPrintable(error));
    QCOMPARE(entries.size(), 1);
    QCOMPARE(ServiceJournal::summaryOf(entries.first()), summary);
    QCOMPARE(ServiceJournal::detailsOf(entries.first()), details);
    // Written again, read again: the same.
    QVector<ServiceJournal::Entry> again;
    QVERIFY(ServiceJob::changesFromBytes(ServiceJob::changesToBytes(entries), &again, &error));
    compareEntries(again, entries);
}

QTEST_GUILESS_MAIN(tst_ServiceJob)
#include "tst_servicejob.moc"
