#include "cli/consoleprogress.h"
#include "support/testenvironment.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// What a run of tarvik-cli printed.
struct ProcessRun
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// A pseudo-terminal for a child's standard error, in raw mode: the bytes arrive as written.
class Terminal
{
public:
    Terminal()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return;
        m_path = QString::fromLocal8Bit(::ptsname(m_master));
        m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY);
        termios raw;
        if (m_slave < 0 || ::tcgetattr(m_slave, &raw) != 0)
            return;
        ::cfmakeraw(&raw);
        ::tcsetattr(m_slave, TCSANOW, &raw);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~Terminal()
    {
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
    }
    bool isOpen() const { return m_slave >= 0; }
    QString path() const { return m_path; }

    // Reads what arrived so far, without waiting.
    void drain()
    {
        char buffer[4096];
        for (ssize_t got; (got = ::read(m_master, buffer, sizeof buffer)) > 0;)
            m_received.append(buffer, int(got));
    }
    // Everything the child wrote: a mark written after it comes out after it.
    QByteArray takeAll()
    {
        static const QByteArray mark("\x01end of run\x01");
        if (::write(m_slave, mark.constData(), size_t(mark.size())) != mark.size())
            return QByteArray();
        QElapsedTimer waited;
        waited.start();
        while (!m_received.endsWith(mark) && waited.elapsed() < 10000) {
            pollfd readable{m_master, POLLIN, 0};
            ::poll(&readable, 1, 100);
            drain();
        }
        if (!m_received.endsWith(mark))
            return QByteArray();
        QByteArray all = m_received;
        all.chop(mark.size());
        m_received.clear();
        return all;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QByteArray m_received;
};

ProcessRun runCli(const QStringList &arguments, Terminal *terminal)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Every piece of frames redraws the line.
    environment.insert(QStringLiteral("TARVIK_PROGRESS_INTERVAL_MS"), QStringLiteral("0"));
    process.setProcessEnvironment(environment);
    if (terminal)
        process.setStandardErrorFile(terminal->path());
    process.start(QStringLiteral(TARVIK_CLI_EXECUTABLE), arguments);
    ProcessRun run;
    // The terminal is read meanwhile: a child whose writes fill it would wait for ever.
    while (!process.waitForFinished(20)) {
        if (process.state() == QProcess::NotRunning)
            return run;
        if (terminal)
            terminal->drain();
    }
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = terminal ? terminal->takeAll() : process.readAllStandardError();
    return run;
}

// The texts written to a terminal line: each "\r" starts one, spaces only for a wiping.
QList<QByteArray> drawnTexts(const QByteArray &written)
{
    QList<QByteArray> texts = written.split('\r');
    texts.removeFirst(); // before the first "\r"
    return texts;
}

// Whether the line was wiped at the end: "\r", spaces, "\r" came last.
bool endsWiped(const QByteArray &written)
{
    const QList<QByteArray> texts = drawnTexts(written);
    return texts.size() >= 2 && texts.constLast().isEmpty() && !texts.at(texts.size() - 2).isEmpty()
           && texts.at(texts.size() - 2).trimmed().isEmpty();
}

// The last text drawn that is not a wiping.
QByteArray lastDrawn(const QByteArray &written)
{
    const QList<QByteArray> texts = drawnTexts(written);
    for (auto it = texts.crbegin(); it != texts.crend(); ++it) {
        if (!it->trimmed().isEmpty())
            return it->trimmed();
    }
    return QByteArray();
}

} // namespace

class tst_ConsoleProgress : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void share_data();
    void share();
    void lineText_data();
    void lineText();
    void drawnAtMostOnceAnInterval();
    void terminal_data();
    void terminal();

private:
    QTemporaryDir m_dir;
    QString m_recording;
    QString m_recording2;
    QString m_scheme;
};

void tst_ConsoleProgress::initTestCase()
{
    TestEnvironment::init();
    QVERIFY(m_dir.isValid());
    // The demo recording (1.3 MB) is read in two pieces: the line is drawn and redrawn.
    m_recording = m_dir.filePath(QStringLiteral("demo-bus.log"));
    m_recording2 = m_dir.filePath(QStringLiteral("demo-bus-2.log"));
    m_scheme = m_dir.filePath(QStringLiteral("demo.tvsx"));
    QVERIFY(QFile::copy(QStringLiteral(":/demo/demo-bus.log"), m_recording));
    QVERIFY(QFile::copy(QStringLiteral(":/demo/demo-bus.log"), m_recording2));
    QVERIFY(QFile::copy(QStringLiteral(":/demo/demo.tvsx"), m_scheme));
}

// Readings of files of 1000 bytes: what they do, then the share the line shows last and
// whether it was wiped (no reading left).
void tst_ConsoleProgress::share_data()
{
    // "expect BYTES", "begin" (the next reading), "at READING BYTES", "end READING"
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("share");
    QTest::addColumn<bool>("wiped");
    const auto row
        = [](const char *name, const QStringList &steps, const char *share, bool wiped = false) {
              QTest::newRow(name) << steps << QByteArray(share) << wiped;
          };
    row("half of one reading", {"begin", "at 0 500"}, "50%");
    row("two recordings foreseen", {"expect 2000", "begin", "at 0 500"}, "25%");
    row("a second pass expected once the first began", {"begin", "expect 1000", "at 0 500"}, "25%");
    row("a seek back keeps the furthest point", {"begin", "at 0 800", "at 0 300"}, "80%");
    row("a reading stopped early gives back its rest",
        {"begin", "at 0 200", "begin", "end 0", "at 1 400"}, "50%");
    row("parallel readings share one line", {"begin", "begin", "at 0 1000", "end 0", "at 1 0"},
        "50%");
    row("wiped when the last reading ends", {"begin", "at 0 1000", "end 0"}, "100%", true);
}

void tst_ConsoleProgress::share()
{
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, share);
    QFETCH(bool, wiped);
    QByteArray written;
    {
        ConsoleProgress progress([&written](const QByteArray &text) { written += text; }, 0);
        std::vector<std::unique_ptr<ConsoleProgress::Reading>> readings;
        for (const QString &step : steps) {
            const QStringList words = step.split(QLatin1Char(' '));
            if (words.at(0) == QLatin1String("expect"))
                progress.expect(words.at(1).toLongLong());
            else if (words.at(0) == QLatin1String("begin"))
                readings.push_back(std::make_unique<ConsoleProgress::Reading>(&progress, 1000));
            else if (words.at(0) == QLatin1String("at"))
                readings.at(size_t(words.at(1).toInt()))->advance(words.at(2).toLongLong(), 1);
            else
                readings.at(size_t(words.at(1).toInt())).reset();
        }
        QVERIFY2(lastDrawn(written).startsWith(share + " read, "), written.constData());
        QCOMPARE(endsWiped(written), wiped);
    }
    // A command that stops in the middle of a reading leaves nothing on the terminal either.
    QVERIFY2(endsWiped(written), written.constData());
}

void tst_ConsoleProgress::lineText_data()
{
    QTest::addColumn<double>("share");
    QTest::addColumn<double>("framesPerSecond");
    QTest::addColumn<qint64>("secondsLeft");
    QTest::addColumn<QString>("text");
    QTest::newRow("time left not known yet")
        << 0.0 << 0.0 << qint64(-1) << "0% read, 0 frames/s, -:-- left";
    QTest::newRow("share rounded down, never 100% early")
        << 0.999 << 2710000.4 << qint64(0) << "99% read, 2710000 frames/s, 0:00 left";
    QTest::newRow("minutes and seconds")
        << 0.5 << 1.0 << qint64(61) << "50% read, 1 frames/s, 1:01 left";
    QTest::newRow("hours") << 0.01 << 10.0 << qint64(3 * 3600 + 5 * 60 + 9)
                           << "1% read, 10 frames/s, 3:05:09 left";
}

void tst_ConsoleProgress::lineText()
{
    QFETCH(double, share);
    QFETCH(double, framesPerSecond);
    QFETCH(qint64, secondsLeft);
    QFETCH(QString, text);
    QCOMPARE(ConsoleProgress::lineText(share, framesPerSecond, secondsLeft), text);
}

void tst_ConsoleProgress::drawnAtMostOnceAnInterval()
{
    int draws = 0;
    QElapsedTimer elapsed;
    {
        ConsoleProgress progress(
            [&draws](const QByteArray &text) { draws += text.trimmed().isEmpty() ? 0 : 1; }, 100);
        ConsoleProgress::Reading reading(&progress, 1 << 30);
        elapsed.start();
        // Pieces as fast as they come, for at least three intervals.
        for (qint64 piece = 1; elapsed.elapsed() < 350; ++piece)
            reading.advance(piece, piece * 8192);
    }
    QVERIFY2(draws >= 1, qPrintable(QString::number(draws)));
    QVERIFY2(draws <= elapsed.elapsed() / 100 + 1, qPrintable(QString::number(draws)));
}

// A command run with its standard error on a pseudo-terminal, next to the same run with it on
// a pipe: the outputs are the same, the terminal alone shows the progress, and wiped at the end.
void tst_ConsoleProgress::terminal_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("shown");
    const QString out = m_dir.filePath(QStringLiteral("out"));
    QTest::newRow("decode") << QStringList{"decode", m_recording} << true;
    QTest::newRow("decode --events") << QStringList{"decode", "--events", m_recording} << true;
    QTest::newRow("decode --quiet") << QStringList{"decode", "--quiet", m_recording} << false;
    QTest::newRow("decode -j 2, one line")
        << QStringList{"decode", "-j", "2", "-o", out, m_recording, m_recording2} << true;
    QTest::newRow("convert") << QStringList{"convert", m_recording, "-o", out + ".pcap"} << true;
    QTest::newRow("convert -q") << QStringList{"convert", "-q", m_recording, "-o", out + ".blf"}
                                << false;
    QTest::newRow("check") << QStringList{"check", "--scheme", m_scheme, m_recording} << true;
    QTest::newRow("faults") << QStringList{"faults", m_recording} << true;
    QTest::newRow("stats --quiet") << QStringList{"stats", "--quiet", m_recording} << false;
    QTest::newRow("export-dbc reads no recording")
        << QStringList{"export-dbc", "-o", out + ".dbc"} << false;
}

void tst_ConsoleProgress::terminal()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, shown);
    Terminal terminal;
    QVERIFY(terminal.isOpen());
    const ProcessRun piped = runCli(arguments, nullptr);
    const ProcessRun onTerminal = runCli(arguments, &terminal);
    QVERIFY2(piped.code == 0 || piped.code == 1, piped.err.constData());
    QCOMPARE(onTerminal.code, piped.code);
    QCOMPARE(onTerminal.out, piped.out);
    QVERIFY2(!piped.err.contains('\r') && !piped.err.contains("% read"), piped.err.constData());
    if (!shown) {
        QCOMPARE(onTerminal.err, piped.err);
        return;
    }
    const QByteArray err = onTerminal.err;
    QVERIFY2(err.startsWith('\r'), err.constData());
    // Drawn and redrawn on one line, with nothing else before the last wiping.
    const int wiping = err.lastIndexOf('\r', err.lastIndexOf('\r') - 1);
    const QList<QByteArray> texts = drawnTexts(err.left(wiping));
    QVERIFY2(texts.size() >= 2, err.constData());
    for (const QByteArray &text : texts) {
        const QByteArray drawn = text.trimmed();
        QVERIFY2(drawn.isEmpty()
                     || QRegularExpression(QStringLiteral("^\\d+% read, \\d+ frames/s, "
                                                          "(-:--|\\d+:\\d\\d(:\\d\\d)?) left$"))
                            .match(QString::fromLatin1(drawn))
                            .hasMatch(),
                 text.constData());
    }
    QVERIFY2(lastDrawn(err.left(wiping)).contains("% read"), err.constData());
    // Wiped, then what the command itself wrote to standard error, as on a pipe.
    QVERIFY2(endsWiped(err.left(err.lastIndexOf('\r') + 1)), err.constData());
    QCOMPARE(err.mid(err.lastIndexOf('\r') + 1), piped.err);
}

QTEST_GUILESS_MAIN(tst_ConsoleProgress)
#include "tst_consoleprogress.moc"
