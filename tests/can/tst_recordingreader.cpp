#include "can/recordingreader.h"
#include "support/recordingbytes.h"
#include "support/testenvironment.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using TestEnvironment::writeFile;

// One recording and what must come of it: the first frame read, as RecordingBytes::describe
// writes it, and the last frame's time.
struct Case
{
    QByteArray text;
    QString fileName;
    RecordingReader::Format format = RecordingReader::Unknown;
    int frames = 0;
    int skipped = 0;
    QString first;
    qint64 lastTimeUs = 0;
};

// A recording longer than the bytes a stream gathers to tell the format, so that pieces of it are
// parsed one after another: bad lines, an over-long line, CRLF and no newline at the very end.
QByteArray longRecording(bool asc)
{
    QByteArray text = asc ? "date Wed Jun 3 10:15:27.123 am 2020\nbase hex  timestamps relative\n"
                            "Begin Triggerblock Wed Jun 3 10:15:27.123 am 2020\n"
                          : "";
    for (int i = 0; i < 12000; ++i) {
        const QByteArray id = QByteArray::number(0x18FEF100 + i % 64, 16).toUpper();
        const QByteArray byte = QByteArray::number(0x10 + i % 200, 16).toUpper();
        if (asc)
            text += "   0.001000 1  " + id + "x       Rx   d 2 " + byte + " 00\n";
        else
            text += "(1622547830." + QByteArray::number(100000 + i) + ") can0 " + id + "#" + byte
                    + "00\n";
        if (i % 997 == 0)
            text += "junk line " + QByteArray::number(i) + "\n";
        if (i == 9000 || i == 9001)
            text += QByteArray(RecordingReader::LineLengthLimit + 1 + i % 2 * 9000, 'x') + "\n";
        if (i == 9500)
            text += "\n   \r\n";
    }
    text.chop(1);
    return text;
}

// $STARTTIME of 1 January 1970, 00:00 and 12:00.
const QByteArray TrcEpoch = ";$STARTTIME=25569.0000000000\n";
const QByteArray TrcEpochNoon = ";$STARTTIME=25569.5\n";

} // namespace

Q_DECLARE_METATYPE(Case)

class tst_RecordingReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void formats_data();
    void formats();
    void buses_data();
    void buses();
    void problems_data();
    void problems();
    void mappedFileReadsLikeText();
    void streamedLikeWhole_data();
    void streamedLikeWhole();
    void streamStopsWhenTold();
    void fileErrors_data();
    void fileErrors();
};

void tst_RecordingReader::formats_data()
{
    QTest::addColumn<Case>("c");
    using R = RecordingReader;
    const auto row = [](const char *name, const QByteArray &text, const QString &fileName,
                        R::Format format, int frames, int skipped, const QString &first,
                        qint64 lastTimeUs) {
        QTest::newRow(name) << Case{text, fileName, format, frames, skipped, first, lastTimeUs};
    };
    const QByteArray ascHeader = "date Wed Jun 3 10:15:27.123 am 2020\n"
                                 "base hex  timestamps absolute\n"
                                 "internal events logged\n"
                                 "// version 9.0.0\n"
                                 "Begin Triggerblock Wed Jun 3 10:15:27.123 am 2020\n"
                                 "   0.000000 Start of measurement\n";
    const qint64 ascStart
        = QDateTime(QDate(2020, 6, 3), QTime(10, 15, 27, 123)).toMSecsSinceEpoch() * 1000;

    row("candump extended and standard", "(1.000000) can0 18FEF100#0102\n(1.500000) can0 1A0#FF\n",
        "x.log", R::Candump, 2, 0, "1000000 18fef100x [2] 0102", 1500000);
    row("candump remote and FD skipped",
        "(1.0) can0 123#R\n(2.0) can0 18FEF100#01\n(3.0) can0 123##1AA\n", "", R::Candump, 1, 2,
        "2000000 18fef100x [1] 01", 2000000);
    row("ASC absolute, extended and standard",
        ascHeader
            + "   0.010000 1  18FEF100x       Rx   d 8 01 02 03 04 05 06 07 08\n"
              "   0.020500 1  1A0             Tx   d 2 0A FF  Length = 0 "
              "BitCount = 0 ID = 416\n"
              "End TriggerBlock\n",
        "x.asc", R::Asc, 2, 0,
        QStringLiteral("%1 18fef100x [8] 0102030405060708").arg(ascStart + 10000),
        ascStart + 20500);
    row("ASC relative time stamps",
        "base hex  timestamps relative\n"
        "   1.000000 1  18FEF100x Rx d 1 01\n"
        "   0.250000 1  18FEF100x Rx d 1 02\n"
        "   0.250000 1  18FEF100x Rx d 0\n",
        "", R::Asc, 3, 0, "1000000 18fef100x [1] 01", 1500000);
    row("ASC decimal base",
        "base dec  timestamps absolute\n   2.000000 1  416 Rx d 2 10 255\n"
        "   2.100000 1  419361024x Rx d 1 0\n",
        "", R::Asc, 2, 0, "2000000 1a0 [2] 0aff", 2100000);
    row("ASC remote, error and FD frames skipped, events ignored",
        "base hex  timestamps absolute\n"
        "   0.100000 1  18FEF100x Rx r\n"
        "   0.200000 1  ErrorFrame\n"
        "   0.300000 CANFD   1 Rx 18FEF100x  1 0 8 8 01 02 03 04 05 06 07 08\n"
        "   0.400000 1  Statistic: D 0 R 0 XD 0 XR 0 E 0 O 0 B 0.00%\n"
        "   0.500000 Log trigger event\n"
        "   0.600000 1  123 Rx d 1 7F\n",
        "", R::Asc, 1, 3, "600000 123 [1] 7f", 600000);
    row("TRC 1.1 columns",
        ";$FILEVERSION=1.1\n" + TrcEpoch
            + ";   Message Number\n"
              "     1)      1059.9  Rx         0300  8  00 00 00 00 04 00 00 00\n"
              "     2)      1060.25 Tx     18EFC0D0  3  0A 0B 0C\n",
        "x.trc", R::Trc, 2, 0, "1059900 300 [8] 0000000004000000", 1060250);
    row("TRC 1.1 remote, error and warning skipped",
        ";$FILEVERSION=1.1\n"
        "     1)      1.0  Rx         0100  3  RTR\n"
        "     2)      2.0  Error      0008  4  00 19 08 08\n"
        "     3)      3.0  Warng  FFFFFFFF  4  00 00 00 08  BUSHEAVY\n"
        "     4)      4.0  Rx     18FEF100  1  AA\n",
        "", R::Trc, 1, 3, "4000 18fef100x [1] aa", 4000);
    row("TRC 1.0 without type column",
        ";$FILEVERSION=1.0\n     1)      1841  0001  2  01 02\n"
        "     2)      1842  0008  4  ERROR 00 19 08 08\n",
        "", R::Trc, 1, 1, "1841000 1 [2] 0102", 1841000);
    row("TRC 1.0 without header",
        ";   Start time: 11.09.2002 16:00:20.682\n"
        "     1)      1841  0001  8  00 00 00 00 00 00 00 00\n"
        "     2)      1843  FFFFFFFF  4  00 00 00 04  ------BUSLIGHT\n"
        "     3)      1844  0100  3  RTR\n",
        "x.trc", R::Trc, 1, 2, "1841000 1 [8] 0000000000000000", 1841000);
    row("TRC 1.1 lines without header", "     1)      1.5  Rx     18FEF100  1  AA\n", "x.trc",
        R::Trc, 1, 0, "1500 18fef100x [1] aa", 1500);
    row("TRC 1.3 bus and reserved columns",
        ";$FILEVERSION=1.3\n     1)      5.5 1  Rx     18FEF100 -  2  01 02\n", "", R::Trc, 1, 0,
        "5500 18fef100x [2] 0102", 5500);
    row("TRC 2.0 columns, start time",
        ";$FILEVERSION=2.0\n" + TrcEpochNoon
            + "      1      1059.900 DT     0300 Rx 8  00 00 00 00 04 00 00 00\n"
              "      2      1060.000 RR     0300 Rx 8\n"
              "      3      1061.000 ER          Rx 04 00 02 00 00\n"
              "      4      1062.000 ST          Rx 00 00 00 08\n"
              "      5      1063.123 DT 18FEF100 Tx 1  55\n",
        "x.trc", R::Trc, 2, 2,
        QStringLiteral("%1 300 [8] 0000000004000000").arg(43200000000LL + 1059900),
        43200000000LL + 1063123);
    row("TRC 2.1 default columns, FD skipped",
        ";$FILEVERSION=2.1\n"
        "      1      1059.900 DT 1      0300 Rx -  2    0A 0B\n"
        "      2      1060.000 FD 1      0300 Rx -  12   00 00 00 00 00 00 00 00 00 00 "
        "00 00\n",
        "", R::Trc, 1, 1, "1059900 300 [2] 0a0b", 1059900);
    row("TRC 2.1 listed columns",
        ";$FILEVERSION=2.1\n;$COLUMNS=N,O,T,I,d,l,D\n"
        "      1         0.001 DT 18FEF100 Rx 1  0A\n",
        "", R::Trc, 1, 0, "1 18fef100x [1] 0a", 1);
    row("TRC start time out of range ignored",
        ";$FILEVERSION=2.0\n;$STARTTIME=999999999999.9999999999\n"
        " 1 1.000 DT 0123 Rx 9\n 2 2.000 DT 0123 Rx 0\n",
        "", R::Trc, 1, 1, "2000 123 [0] ", 2000);
    // Content decides; the name only breaks a tie.
    row("candump named .asc", "(1.0) can0 123#01\n", "trace.asc", R::Candump, 1, 0,
        "1000000 123 [1] 01", 1000000);
    row("ASC named .log", "base hex timestamps absolute\n 0.5 1 123 Rx d 1 01\n", "trace.log",
        R::Asc, 1, 0, "500000 123 [1] 01", 500000);
    row("TRC named .txt", ";$FILEVERSION=2.0\n 1 2.000 DT 0123 Rx 1 01\n", "trace.txt", R::Trc, 1,
        0, "2000 123 [1] 01", 2000);
    row("mixed: majority wins, the rest reported",
        "(1.0) can0 123#01\n(2.0) can0 123#02\n 0.5 1 123 Rx d 1 01\n", "x.trc", R::Candump, 2, 1,
        "1000000 123 [1] 01", 2000000);
    row("truncated last line", "(1.0) can0 123#01\n(2.0) can0 12", "", R::Candump, 1, 1,
        "1000000 123 [1] 01", 1000000);
}

void tst_RecordingReader::formats()
{
    QFETCH(Case, c);
    RecordingReader reader;
    reader.parse(c.text, c.fileName);
    QCOMPARE(reader.format(), c.format);
    QCOMPARE(reader.errorString(), QString());
    QCOMPARE(reader.skippedLines(), c.skipped);
    QCOMPARE(reader.problems().size(), c.skipped);
    QCOMPARE(reader.frames().size(), c.frames);
    QCOMPARE(RecordingBytes::describe(reader.frames().first()), c.first);
    QCOMPARE(reader.frames().last().timeUs, c.lastTimeUs);
}

void tst_RecordingReader::buses_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QVector<quint8>>("buses");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("candump by interface, names ending alike moved, directions")
        << QByteArray("(1.0) vcan1 123#01\n(2.0) can0 123#02 R\n(3.0) vcan0 123#03 T\n"
                      "(4.0) can1 123#04\n(5.0) can0 123#05\n(6.0) can12 123#06\n"
                      "(7.0) any 123#07\n")
        << QVector<quint8>{1, 0, 2, 3, 0, 12, 4}
        << QStringList{"can0", "vcan1", "vcan0", "can1", "any", "can5"};
    QTest::newRow("ASC channels from 1")
        << QByteArray("base hex  timestamps absolute\n 0.1 1 123 Rx d 1 01\n"
                      " 0.2 2 123 Rx d 1 01\n 0.3 16 123 Rx d 1 01\n 0.4 0 123 Rx d 1 01\n")
        << QVector<quint8>{0, 1, 15, 0} << QStringList{"can0", "can1"};
    QTest::newRow("TRC 1.3 bus column")
        << QByteArray(";$FILEVERSION=1.3\n     1)      5.5 1  Rx     18FEF100 -  2  01 02\n"
                      "     2)      5.6 2  Rx     18FEF100 -  2  01 02\n")
        << QVector<quint8>{0, 1} << QStringList{"can0", "can1"};
    QTest::newRow("TRC 2.1 default columns")
        << QByteArray(";$FILEVERSION=2.1\n      1      1059.900 DT 1      0300 Rx -  2    0A 0B\n"
                      "      2      1060.100 DT 3      0300 Rx -  2    0A 0B\n")
        << QVector<quint8>{0, 2} << QStringList{"can0", "can1"};
    QTest::newRow("TRC 2.1 bus column moved")
        << QByteArray(";$FILEVERSION=2.1\n;$COLUMNS=N,O,T,I,d,B,l,D\n"
                      "      1         0.001 DT 18FEF100 Rx 4 1  0A\n")
        << QVector<quint8>{3} << QStringList{"can0", "can1"};
    QTest::newRow("TRC 2.0 without bus column")
        << QByteArray(";$FILEVERSION=2.0\n 1 2.000 DT 0123 Rx 1 01\n") << QVector<quint8>{0}
        << QStringList{"can0", "can1"};
}

// Every frame's bus, and the names of buses 0 to the last listed (the recording's or canN).
void tst_RecordingReader::buses()
{
    QFETCH(QByteArray, text);
    QFETCH(QVector<quint8>, buses);
    QFETCH(QStringList, names);
    RecordingReader reader;
    reader.parse(text);
    QCOMPARE(reader.skippedLines(), 0);
    QVector<quint8> read;
    for (const TimedFrame &frame : reader.frames())
        read.append(frame.bus);
    QCOMPARE(read, buses);
    QStringList named;
    for (int bus = 0; bus < names.size(); ++bus)
        named.append(reader.busNames().name(quint8(bus)));
    QCOMPARE(named, names);
}

void tst_RecordingReader::problems_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("frames");
    QTest::addColumn<QString>("firstProblem");

    const auto row = [](const char *name, const QByteArray &text, int frames, const char *problem) {
        QTest::newRow(name) << text << frames << QString::fromLatin1(problem);
    };
    const QByteArray good = "(1.0) can0 123#01\n";
    const QByteArray asc = "base hex timestamps absolute\n";
    const QByteArray trc = ";$FILEVERSION=2.0\n";
    row("candump garbage line", good + "hello world\n" + good, 2, "line 2: not a candump frame");
    row("huge line", good + QByteArray(100000, 'A') + "\n" + good, 2, "line 2: line too long");
    row("binary junk", good + QByteArray("\0\x01\xff\xfe", 4) + "\n" + good, 2,
        "line 2: not a candump frame");
    row("ASC nine data bytes",
        asc + " 0.1 1 123 Rx d 9 01 02 03 04 05 06 07 08 09\n 0.2 1 123 Rx d 1 01\n", 1,
        "line 2: CAN FD frame");
    row("ASC bytes missing", asc + " 0.1 1 123 Rx d 3 01 02\n 0.2 1 123 Rx d 0\n", 1,
        "line 2: data bytes missing");
    row("ASC 29-bit overflow", asc + " 0.1 1 3FFFFFFFx Rx d 0\n 0.2 1 7FF Rx d 0\n", 1,
        "line 2: bad identifier");
    row("ASC standard overflow", asc + " 0.1 1 800 Rx d 0\n 0.2 1 7FF Rx d 0\n", 1,
        "line 2: bad identifier");
    row("ASC junk line", asc + " 0.1 1 7FF Rx d 0\nmeasurement ends\n", 1,
        "line 3: not an ASC line");
    row("ASC relative time overflow",
        "base hex  timestamps relative\n"
            + QByteArray(" 999999999999.0 1 7FF Rx d 0\n").repeated(5),
        4, "line 6: bad time stamp");
    row("TRC bad data byte", trc + " 1 1.000 DT 0123 Rx 2 01 XY\n 2 2.000 DT 0123 Rx 0\n", 1,
        "line 2: bad data byte");
    row("TRC columns missing", trc + " 1 1.000 DT 0123\n 2 2.000 DT 0123 Rx 0\n", 1,
        "line 2: columns missing");
    row("TRC five-digit identifier", ";$FILEVERSION=1.1\n 1) 1.0 Rx 01234 0\n 2) 2.0 Rx 0123 0\n",
        1, "line 2: bad identifier");
    row("TRC unknown type", trc + " 1 1.000 XX 0123 Rx 0\n 2 2.000 DT 0123 Rx 0\n", 1,
        "line 2: unknown frame type");
}

void tst_RecordingReader::problems()
{
    QFETCH(QByteArray, text);
    QFETCH(int, frames);
    QFETCH(QString, firstProblem);
    RecordingReader reader;
    reader.parse(text);
    QCOMPARE(reader.frames().size(), frames);
    QVERIFY(!reader.problems().isEmpty());
    QCOMPARE(reader.problems().first(), firstProblem);
    QCOMPARE(reader.skippedLines(), reader.problems().size());
}

void tst_RecordingReader::mappedFileReadsLikeText()
{
    QByteArray text = ";$FILEVERSION=2.0\n";
    for (int i = 0; i < 1000; ++i)
        text += QByteArray::number(i + 1) + " " + QByteArray::number(i) + ".500 DT 18FEF100 Rx 2 "
                + QByteArray::number(i % 256, 16).rightJustified(2, '0') + " 00\n";
    for (int i = 0; i < 30; ++i)
        text += "junk\n";
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("trace.dat"), text);
    RecordingReader fromFile;
    QVERIFY(fromFile.readFile(path));
    RecordingReader fromText;
    fromText.parse(text);
    QCOMPARE(fromFile.format(), RecordingReader::Trc);
    QCOMPARE(fromFile.frames().size(), 1000);
    QCOMPARE(fromFile.frames().size(), fromText.frames().size());
    QCOMPARE(fromFile.frames().at(999).message.data[0], quint8(999 % 256));
    QCOMPARE(fromFile.frames().at(999).timeUs, qint64(999500));
    QCOMPARE(fromFile.skippedLines(), 30);
    QCOMPARE(fromFile.problems().size(), int(RecordingReader::ProblemLimit));
    QCOMPARE(fromFile.problems().last(), QStringLiteral("line 1021: columns missing"));
}

void tst_RecordingReader::streamedLikeWhole_data()
{
    QTest::addColumn<bool>("asc");
    QTest::addColumn<int>("chunkBytes");
    for (const bool asc : {false, true}) {
        const char *format = asc ? "ASC" : "candump";
        QTest::addRow("%s, 1-byte pieces", format) << asc << 1;
        QTest::addRow("%s, 61-byte pieces", format) << asc << 61;
        QTest::addRow("%s, pieces of the line limit", format)
            << asc << int(RecordingReader::LineLengthLimit);
        QTest::addRow("%s, pieces of the line limit + 1", format)
            << asc << int(RecordingReader::LineLengthLimit + 1);
        QTest::addRow("%s, default pieces", format)
            << asc << int(RecordingReader::StreamChunkBytes);
    }
}

void tst_RecordingReader::streamedLikeWhole()
{
    QFETCH(bool, asc);
    QFETCH(int, chunkBytes);
    const QByteArray text = longRecording(asc);
    RecordingReader whole;
    whole.parse(text);
    QCOMPARE(whole.frames().size(), 12000);
    QCOMPARE(whole.skippedLines(), 15); // 13 junk lines, two too long
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("trace.dat"), text);
    QVERIFY(!path.isEmpty());
    RecordingReader streamed;
    QVector<TimedFrame> frames;
    int pieces = 0;
    QVERIFY(streamed.streamFile(
        path,
        [&](const QVector<TimedFrame> &piece) {
            ++pieces;
            frames += piece;
            return true;
        },
        chunkBytes));
    QVERIFY(streamed.frames().isEmpty());
    QCOMPARE(streamed.format(), whole.format());
    QCOMPARE(streamed.frameCount(), qint64(whole.frames().size()));
    QCOMPARE(streamed.skippedLines(), whole.skippedLines());
    QCOMPARE(streamed.problems(), whole.problems());
    QCOMPARE(frames.size(), whole.frames().size());
    for (int i = 0; i < frames.size(); ++i) {
        QCOMPARE(frames.at(i).timeUs, whole.frames().at(i).timeUs);
        QCOMPARE(frames.at(i).message.id, whole.frames().at(i).message.id);
        QCOMPARE(frames.at(i).message.data[0], whole.frames().at(i).message.data[0]);
    }
    // Small pieces reach the sink one after another, not gathered at the end.
    QVERIFY(pieces > (chunkBytes < int(RecordingReader::StreamChunkBytes) ? 10 : 0));
}

void tst_RecordingReader::streamStopsWhenTold()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("trace.log"), longRecording(false));
    QVERIFY(!path.isEmpty());
    RecordingReader reader;
    int pieces = 0;
    QVERIFY(!reader.streamFile(
        path,
        [&](const QVector<TimedFrame> &) {
            ++pieces;
            return false;
        },
        4096));
    QCOMPARE(pieces, 1);
    QVERIFY(reader.frameCount() < 12000);
    QCOMPARE(reader.errorString(), QString());
}

void tst_RecordingReader::fileErrors_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("errorContains");
    QTest::newRow("folder") << "folder" << QByteArray() << "folder";
    QTest::newRow("missing") << "missing.log" << QByteArray() << "";
    QTest::newRow("empty") << "empty.log" << QByteArray("") << "empty";
    QTest::newRow("unknown text")
        << "notes.txt" << QByteArray("dear diary\nit rained\n")
        << "not a recording Tarvik reads (candump, ASC, TRC, MF4, BLF, pcap, pcapng)";
}

void tst_RecordingReader::fileErrors()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, errorContains);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (name == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(name));
    } else if (name != QLatin1String("missing.log")) {
        QVERIFY(writeFile(path, content));
    }
    RecordingReader reader;
    QVERIFY(!reader.readFile(path));
    QVERIFY(!reader.errorString().isEmpty());
    QVERIFY2(reader.errorString().contains(errorContains), qPrintable(reader.errorString()));
    QVERIFY(reader.frames().isEmpty());
    RecordingReader streamed;
    int pieces = 0;
    QVERIFY(!streamed.streamFile(path, [&pieces](const QVector<TimedFrame> &) {
        ++pieces;
        return true;
    }));
    QCOMPARE(streamed.errorString(), reader.errorString());
    QCOMPARE(pieces, 0);
}

QTEST_GUILESS_MAIN(tst_RecordingReader)
#include "tst_recordingreader.moc"
