#include "can/recordingreader.h"
#include "cli/clirun.h"
#include "support/mf4builder.h"
#include "support/recordingbytes.h"
#include "support/testenvironment.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <functional>

namespace {

using RecordingBytes::describe;
using Builder = Mf4Builder;
using Options = Mf4Builder::Options;

// A bus of two channels: standard and extended identifiers, every length, remote and error
// frames and CAN FD frames among the data frames; times strictly increasing.
QVector<Builder::Frame> busFrames(int count, bool withOthers)
{
    QVector<Builder::Frame> frames;
    for (int i = 0; i < count; ++i) {
        Builder::Frame f;
        f.timeNs = 1000000 + qint64(i) * 1370011 + (i % 7) * 1000;
        f.extended = i % 5 != 0;
        f.id = f.extended ? 0x18FEF100u + quint32(i % 40) : 0x100u + quint32(i % 0x6FF);
        f.bus = 1 + i % 2;
        for (int b = 0; b < i % 9; ++b)
            f.data.append(char(i * 7 + b));
        if (withOthers && i % 37 == 5) {
            f.kind = Builder::Remote;
            f.data.clear();
        } else if (withOthers && i % 53 == 9) {
            f.kind = Builder::Error;
            f.data.clear();
        } else if (withOthers && i % 71 == 3) {
            f.fd = true;
            f.data = QByteArray(12, char(0xAA));
        }
        frames.append(f);
    }
    return frames;
}

bool isClassicData(const Builder::Frame &f)
{
    return f.kind == Builder::Data && !f.fd;
}

QVector<TimedFrame> expectedFrames(const QVector<Builder::Frame> &frames, const Options &options)
{
    QVector<TimedFrame> out;
    for (const Builder::Frame &f : frames) {
        if (!isClassicData(f))
            continue;
        TimedFrame t;
        // To the nearest microsecond (no time falls on a half).
        t.timeUs = qint64(options.startNs / 1000) + (f.timeNs + 500) / 1000;
        t.message
            = CanMessage(f.id, reinterpret_cast<const quint8 *>(f.data.constData()), f.data.size());
        t.message.extended = f.extended;
        t.bus = quint8(f.bus - 1);
        out.append(t);
    }
    return out;
}

RecordingReader parseMf4(const QByteArray &file)
{
    RecordingReader reader;
    reader.parseAs(RecordingReader::Mf4, file.constData(), file.size());
    return reader;
}

struct SyntheticRow
{
    Options options;
    bool withOthers = false;
    int cutBytes = 0; // bytes taken off the end of the file
    QByteArray appendBytes;
    int extraSkipped = 0;
    // Only the classic data frames of one channel group, as a virtual time master needs.
    bool oneFrameKind = false;
};

// A damaged file: the builder's file, changed; the message must name `block`'s offset.
struct HostileRow
{
    Options options;
    std::function<void(QByteArray &, QHash<QString, qint64> &)> damage;
    QString block;
};

Options withStorage(Builder::Storage storage, int fragmentBytes)
{
    Options o;
    o.storage = storage;
    o.fragmentBytes = fragmentBytes;
    return o;
}

} // namespace

Q_DECLARE_METATYPE(Options)
Q_DECLARE_METATYPE(SyntheticRow)
Q_DECLARE_METATYPE(HostileRow)

class tst_Mf4Recording : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void loggerFiles_data();
    void loggerFiles();
    void decodeLikeCandump_data() { loggerFiles_data(); }
    void decodeLikeCandump();
    void streamedInBatches();
    void synthetic_data();
    void synthetic();
    void hostile_data();
    void hostile();
    void truncatedAnywhere_data();
    void truncatedAnywhere();
};

void tst_Mf4Recording::loggerFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("frames");
    QTest::newRow("truck, BAM, two buses") << "css_FCBF0606_j1939_truck_bam" << 1815;
    QTest::newRow("NMEA 2000 address claims") << "css_94C49784_nmea2000_addrclaim_request" << 9600;
    QTest::newRow("newer logger: a channel group per frame kind")
        << "css_2F6913DB_newer_logger" << 4024;
}

void tst_Mf4Recording::loggerFiles()
{
    QFETCH(QString, name);
    QFETCH(int, frames);
    RecordingReader mf4;
    QVERIFY(mf4.readFile(TestEnvironment::dataFile(name + ".MF4")));
    RecordingReader log;
    QVERIFY(log.readFile(TestEnvironment::dataFile(name + ".log")));
    QCOMPARE(mf4.format(), RecordingReader::Mf4);
    QCOMPARE(mf4.errorString(), QString());
    QCOMPARE(mf4.problems(), QStringList());
    QCOMPARE(mf4.skippedLines(), 0);
    QCOMPARE(log.frames().size(), frames);
    QCOMPARE(describe(mf4.frames()), describe(log.frames()));
}

void tst_Mf4Recording::decodeLikeCandump()
{
    QFETCH(QString, name);
    // The decoded events of a J1939 bus, and the statistics of any bus, are the candump's.
    for (const QStringList &command :
         {QStringList{QStringLiteral("decode"), QStringLiteral("--events")},
          QStringList{QStringLiteral("stats")}}) {
        const CliRun fromMf4
            = CliRun::run(command + QStringList{TestEnvironment::dataFile(name + ".MF4")});
        const CliRun fromLog
            = CliRun::run(command + QStringList{TestEnvironment::dataFile(name + ".log")});
        QCOMPARE(fromMf4.code, 0);
        QCOMPARE(fromMf4.err, fromLog.err);
        QCOMPARE(fromMf4.out, fromLog.out);
        if (command.first() == QLatin1String("stats"))
            QVERIFY(fromMf4.out.count(QLatin1Char('\n')) > 10);
    }
}

void tst_Mf4Recording::streamedInBatches()
{
    const QString path
        = TestEnvironment::dataFile(QStringLiteral("css_94C49784_nmea2000_addrclaim_request.MF4"));
    RecordingReader whole;
    QVERIFY(whole.readFile(path));
    QVector<TimedFrame> streamed;
    int pieces = 0;
    RecordingReader reader;
    QVERIFY(reader.streamFile(
        path,
        [&](const QVector<TimedFrame> &frames) {
            ++pieces;
            streamed += frames;
            return true;
        },
        1));
    QVERIFY(pieces > 1);
    QCOMPARE(reader.frames().size(), 0);
    QCOMPARE(reader.frameCount(), qint64(whole.frames().size()));
    QCOMPARE(describe(streamed), describe(whole.frames()));

    // A sink that stops after its first piece is handed nothing more.
    int handed = 0;
    RecordingReader stopped;
    QVERIFY(!stopped.streamFile(path, [&](const QVector<TimedFrame> &frames) {
        handed += frames.size();
        return false;
    }));
    QVERIFY(handed > 0);
    QVERIFY(handed < whole.frames().size());
}

void tst_Mf4Recording::synthetic_data()
{
    QTest::addColumn<SyntheticRow>("row");
    using S = Builder::Storage;
    SyntheticRow r;
    QTest::newRow("finalized, unsorted, one DT") << r;
    r.withOthers = true;
    QTest::newRow("remote, error and FD records skipped and counted") << r;
    r.options.sorted = true;
    QTest::newRow("sorted: a data group per kind, merged by time") << r;
    r = SyntheticRow();
    r.options.groupPerBus = true;
    QTest::newRow("two buses, a data group each, merged by time") << r;
    r.options = withStorage(S::DlOfDt, 50);
    QTest::newRow("DL of DTs, records across blocks") << r;
    r.options = withStorage(S::HlDz, 230);
    QTest::newRow("HL over DL of DZ, deflate") << r;
    r.options = withStorage(S::HlDzTransposed, 240);
    QTest::newRow("HL over DL of DZ, transposed") << r;
    r.options = withStorage(S::HlDzTransposed, 1000000);
    QTest::newRow("HL over one DZ, transposed") << r;
    r.options = Options();
    r.options.bytes = Builder::Bytes::Vlsd;
    QTest::newRow("VLSD group, data bytes after the frame") << r;
    r.options.vlsdFirst = true;
    QTest::newRow("VLSD group, data bytes before the frame") << r;
    r.options.vlsdFirst = false;
    r.options.sorted = true;
    r.withOthers = true;
    QTest::newRow("VLSD group beside sorted remote and error groups") << r;
    r = SyntheticRow();
    r.options.bytes = Builder::Bytes::SignalData;
    r.options.sorted = true;
    QTest::newRow("signal data block for the data bytes") << r;
    r.options.storage = S::HlDz;
    r.options.fragmentBytes = 100;
    QTest::newRow("signal data and records in DZ blocks") << r;
    r = SyntheticRow();
    r.options.finalized = false;
    QTest::newRow("unfinalized: last DT length not updated") << r;
    r.options.bytes = Builder::Bytes::Vlsd;
    QTest::newRow("unfinalized with VLSD data bytes") << r;
    r.appendBytes = QByteArray(64, '\0');
    r.extraSkipped = 1;
    QTest::newRow("unfinalized: room left unwritten after the last record") << r;
    r.appendBytes.clear();
    r.options.bytes = Builder::Bytes::InRecord;
    r.cutBytes = 5;
    r.extraSkipped = 1;
    QTest::newRow("unfinalized: last record cut short") << r;
    r = SyntheticRow();
    r.options.groupPerFrameKind = true;
    QTest::newRow("a channel group per frame kind, virtual bus and IDE, 48-bit time") << r;
    r.withOthers = true;
    QTest::newRow("a channel group per frame kind with FD, remote and error groups") << r;
    r.options.finalized = false;
    QTest::newRow("a channel group per frame kind, unfinalized") << r;
    r.options.finalized = true;
    r.options.storage = S::HlDz;
    r.options.fragmentBytes = 120;
    QTest::newRow("a channel group per frame kind in DZ blocks") << r;
    r = SyntheticRow();
    r.options.groupPerFrameKind = true;
    r.options.virtualTimeNs = 2500000;
    r.oneFrameKind = true;
    QTest::newRow("virtual master: the time from the record index") << r;
}

void tst_Mf4Recording::synthetic()
{
    QFETCH(SyntheticRow, row);
    QVector<Builder::Frame> frames = busFrames(300, row.withOthers);
    if (row.oneFrameKind) {
        QVector<Builder::Frame> kept;
        for (Builder::Frame f : frames) {
            if (f.bus == 2 && f.extended && isClassicData(f)) {
                f.timeNs = kept.size() * row.options.virtualTimeNs;
                kept.append(f);
            }
        }
        frames = kept;
    }
    Builder builder;
    QByteArray file = builder.build(frames, row.options);
    QVector<TimedFrame> expected = expectedFrames(frames, row.options);
    file += row.appendBytes;
    if (row.cutBytes) {
        file.chop(row.cutBytes);
        expected.removeLast();
    }
    const RecordingReader reader = parseMf4(file);
    QCOMPARE(reader.errorString(), QString());
    QCOMPARE(describe(reader.frames()), describe(expected));
    int others = 0;
    for (const Builder::Frame &f : frames)
        others += isClassicData(f) ? 0 : 1;
    QVERIFY2(reader.skippedLines() == others + row.extraSkipped,
             qPrintable(reader.problems().join("; ")));
    QCOMPARE(reader.problems().size(),
             std::min(reader.skippedLines(), RecordingReader::ProblemLimit));
    for (const QString &problem : reader.problems())
        QVERIFY2(problem.startsWith(QLatin1String("offset ")), qPrintable(problem));
}

void tst_Mf4Recording::hostile_data()
{
    QTest::addColumn<HostileRow>("row");
    const auto set = [](const QString &block, int field, quint64 value) {
        return [block, field, value](QByteArray &f, QHash<QString, qint64> &b) {
            Builder::putU64(f, b.value(block) + field, value);
        };
    };
    const auto setByte = [](const QString &block, int field, char value) {
        return [block, field, value](QByteArray &f, QHash<QString, qint64> &b) {
            f[int(b.value(block) + field)] = value;
        };
    };
    const auto cut = [](int size) {
        return [size](QByteArray &f, QHash<QString, qint64> &) { f.truncate(size); };
    };
    // The second data list's link `index`, pointed at `to`.
    const auto secondList = [](int index, const QString &to) {
        return [index, to](QByteArray &f, QHash<QString, qint64> &b) {
            const qint64 second = qFromLittleEndian<quint64>(f.constData() + b.value("DL0") + 24);
            Builder::putU64(f, second + 24 + 8 * index, quint64(b.value(to)));
        };
    };
    const auto link = [](const QString &from, int index, const QString &to) {
        return [from, index, to](QByteArray &f, QHash<QString, qint64> &b) {
            Builder::putU64(f, b.value(from) + 24 + 8 * index, quint64(b.value(to)));
        };
    };
    Options plain;
    Options lists = withStorage(Builder::Storage::DlOfDt, 50);
    Options zipped = withStorage(Builder::Storage::HlDz, 230);
    Options twoGroups;
    twoGroups.groupPerBus = true;
    Options vlsd;
    vlsd.bytes = Builder::Bytes::Vlsd;
    // Fields: 8 block length, 16 link count, 24 first link; a DZ's body starts at 24.
    QTest::newRow("zero-length file") << HostileRow{plain, cut(0), {}};
    QTest::newRow("identification only") << HostileRow{plain, cut(64), "HD"};
    QTest::newRow("version 3.30") << HostileRow{plain,
                                                [](QByteArray &f, QHash<QString, qint64> &) {
                                                    f[28] = char(74);
                                                    f[29] = 1;
                                                },
                                                {}};
    QTest::newRow("data group links to itself") << HostileRow{plain, link("DG0", 0, "DG0"), "DG0"};
    QTest::newRow("channel groups loop") << HostileRow{plain, link("CG0", 0, "CG0"), "CG0"};
    QTest::newRow("composition loops back to a member")
        << HostileRow{plain, link("CN:ID", 1, "CN:IDE"), "CN:IDE"};
    QTest::newRow("channel list loops to its first")
        << HostileRow{plain, link("CN:CAN_DataFrame", 0, "CN0"), "CN0"};
    // The second list's next link back to the first.
    QTest::newRow("data lists loop") << HostileRow{lists, secondList(0, "DL0"), "DL0"};
    QTest::newRow("a list names a data block twice")
        << HostileRow{lists, secondList(1, "DT0"), "DT0"};
    QTest::newRow("two data groups share their data")
        << HostileRow{twoGroups, link("DG1", 2, "DATA0"), "DATA0"};
    QTest::newRow("block length beyond the file")
        << HostileRow{plain, set("DG0", 8, 1ull << 40), "DG0"};
    QTest::newRow("absurd block length") << HostileRow{plain, set("DT0", 8, ~0ull), "DT0"};
    QTest::newRow("block length below its links") << HostileRow{plain, set("CG0", 8, 16), "CG0"};
    QTest::newRow("huge link count") << HostileRow{plain, set("HD", 16, 1ull << 40), "HD"};
    QTest::newRow("link past the end") << HostileRow{plain, set("HD", 24, 1ull << 33), "HD"};
    QTest::newRow("link into the identification block")
        << HostileRow{plain, set("DG0", 24 + 8, 8), "DG0"};
    QTest::newRow("link to the wrong block") << HostileRow{plain, link("DG0", 1, "DG0"), "DG0"};
    QTest::newRow("unknown record id") << HostileRow{vlsd, setByte("DATA0", 24, 9), "DATA0"};
    // The first group's record size, and its channels' room, set to 0.
    QTest::newRow("record size 0") << HostileRow{plain, set("CG0", 24 + 48 + 24, 0), "CN0"};
    QTest::newRow("channel outside its record")
        << HostileRow{plain, set("CN:ID", 24 + 64 + 4, 1000), "CN:ID"};
    QTest::newRow("time conversion by a formula")
        << HostileRow{plain, setByte("CC0", 24 + 32, 10), "CC0"};
    Options kinds;
    kinds.groupPerFrameKind = true;
    QTest::newRow("virtual channel converted by a formula")
        << HostileRow{kinds,
                      [](QByteArray &f, QHash<QString, qint64> &b) {
                          const qint64 cn = b.value("CN:BusChannel");
                          qint64 cc = 0;
                          std::memcpy(&cc, f.constData() + cn + 24 + 8 * 4, 8);
                          b.insert("CC:BusChannel", cc);
                          f[int(cc + 24 + 32)] = char(3); // algebraic
                      },
                      "CC:BusChannel"};
    QTest::newRow("DZ claims to inflate to 1 TB")
        << HostileRow{zipped, set("DZ0", 24 + 8, 1ull << 40), "DZ0"};
    QTest::newRow("DZ inflates to more than it claims")
        << HostileRow{zipped, set("DZ0", 24 + 8, 10), "DZ0"};
    QTest::newRow("DZ bomb: 64 MB of zeros claimed as 64 KB")
        << HostileRow{zipped,
                      [](QByteArray &f, QHash<QString, qint64> &b) {
                          const QByteArray stream = qCompress(QByteArray(64 << 20, '\0')).mid(4);
                          QByteArray body(24, '\0');
                          body[0] = 'D';
                          body[1] = 'T';
                          Builder::putU64(body, 8, 64 << 10);
                          Builder::putU64(body, 16, quint64(stream.size()));
                          body += stream;
                          f += QByteArray(8 - f.size() % 8, '\0');
                          b.insert("BOMB", f.size());
                          QByteArray header("##DZ", 4);
                          header += QByteArray(20, '\0');
                          Builder::putU64(header, 8, quint64(24 + body.size()));
                          f += header + body;
                          Builder::putU64(f, b.value("DL0") + 24 + 8, quint64(b.value("BOMB")));
                      },
                      "BOMB"};
    QTest::newRow("DZ data damaged")
        << HostileRow{zipped,
                      [](QByteArray &f, QHash<QString, qint64> &b) {
                          for (int i = 0; i < 16; ++i)
                              f[int(b.value("DZ0") + 48 + 2 + i)] = char(0xFF);
                      },
                      "DZ0"};
    QTest::newRow("DZ compressed length past its block")
        << HostileRow{zipped, set("DZ0", 24 + 16, 1ull << 20), "DZ0"};
}

void tst_Mf4Recording::hostile()
{
    QFETCH(HostileRow, row);
    Builder builder;
    const QVector<Builder::Frame> frames = busFrames(40, false);
    QByteArray file = builder.build(frames, row.options);
    row.damage(file, builder.blocks);
    const RecordingReader reader = parseMf4(file);
    QVERIFY(!reader.errorString().isEmpty());
    if (!row.block.isEmpty()) {
        QVERIFY2(builder.blocks.contains(row.block), qPrintable(row.block));
        QVERIFY2(reader.errorString().startsWith(
                     QStringLiteral("offset %1: ").arg(builder.blocks.value(row.block))),
                 qPrintable(reader.errorString()));
    } else {
        QVERIFY2(reader.errorString().startsWith(QLatin1String("offset ")),
                 qPrintable(reader.errorString()));
    }
    // Whatever was read before the bad structure is the recording's own.
    const QStringList read = describe(reader.frames());
    QCOMPARE(read, describe(expectedFrames(frames, row.options)).mid(0, read.size()));
}

void tst_Mf4Recording::truncatedAnywhere_data()
{
    QTest::addColumn<Options>("options");
    Options o;
    QTest::newRow("finalized") << o;
    o.bytes = Builder::Bytes::Vlsd;
    o.storage = Builder::Storage::HlDz;
    o.fragmentBytes = 200;
    QTest::newRow("VLSD in DZ blocks") << o;
    o = Options();
    o.finalized = false;
    o.bytes = Builder::Bytes::Vlsd;
    QTest::newRow("unfinalized, VLSD") << o;
    o = Options();
    o.finalized = false;
    o.groupPerFrameKind = true;
    QTest::newRow("unfinalized, a channel group per frame kind") << o;
}

void tst_Mf4Recording::truncatedAnywhere()
{
    QFETCH(Options, options);
    const QVector<Builder::Frame> frames = busFrames(30, true);
    Builder builder;
    const QByteArray file = builder.build(frames, options);
    const QStringList all = describe(expectedFrames(frames, options));
    for (int size = 0; size < file.size(); ++size) {
        const RecordingReader reader = parseMf4(file.left(size));
        const QStringList read = describe(reader.frames());
        QVERIFY2(read == all.mid(0, read.size()), qPrintable(QString::number(size)));
        // A finalized file cut short is refused with a message; an unfinalized one is read
        // up to its last whole record.
        if (options.finalized)
            QVERIFY2(!reader.errorString().isEmpty(), qPrintable(QString::number(size)));
        else if (size > builder.blocks.value("DATA0") + 24)
            QVERIFY2(reader.errorString().isEmpty(), qPrintable(reader.errorString()));
    }
}

QTEST_GUILESS_MAIN(tst_Mf4Recording)
#include "tst_mf4recording.moc"
