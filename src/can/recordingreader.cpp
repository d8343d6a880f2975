#include "can/recordingreader.h"

#include "can/asclineparser.h"
#include "can/binaryrecording.h"
#include "can/trclineparser.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

using RecordingTokens::LineOutcome;

namespace {

// Lines looked at to tell the formats apart.
constexpr int DetectionLines = 64;
// Bytes a stream gathers before it tells the format: room for that many lines of any length read.
constexpr qint64 DetectionBytes = DetectionLines * (RecordingReader::LineLengthLimit + 1);

const char *lineEndOf(const char *p, const char *end)
{
    const void *newline = std::memchr(p, '\n', size_t(end - p));
    return newline ? static_cast<const char *>(newline) : end;
}

bool isBlankLine(const char *p, const char *end)
{
    while (p < end && RecordingTokens::isBlank(*p))
        ++p;
    return p == end;
}

RecordingReader::Format formatForExtension(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("asc"))
        return RecordingReader::Asc;
    if (suffix == QLatin1String("trc"))
        return RecordingReader::Trc;
    if (suffix == QLatin1String("log"))
        return RecordingReader::Candump;
    return RecordingReader::Unknown;
}

// Calls `each(lineNumber, begin, end)` for every line, the last one also without a newline.
template<typename Each>
void forEachLine(const char *p, const char *end, Each each)
{
    qint64 number = 0;
    while (p < end) {
        const char *lineEnd = lineEndOf(p, end);
        if (!each(++number, p, lineEnd))
            return;
        p = lineEnd + 1;
    }
}

// Why a candump line was refused: remote and CAN FD frames are named, the rest is malformed.
const char *candumpReason(const char *begin, const char *end)
{
    const char *hash = static_cast<const char *>(std::memchr(begin, '#', size_t(end - begin)));
    if (hash && hash + 1 < end && (hash[1] == 'R' || hash[1] == 'r'))
        return QT_TRANSLATE_NOOP("RecordingReader", "remote frame");
    if (hash && hash + 1 < end && hash[1] == '#')
        return QT_TRANSLATE_NOOP("RecordingReader", "CAN FD frame");
    return QT_TRANSLATE_NOOP("RecordingReader", "not a candump frame");
}

QString translated(const char *text)
{
    return QCoreApplication::translate("RecordingReader", text);
}

// Enough of the start of a file to tell every binary format.
constexpr int BinaryMagicBytes = 16;

RecordingReader::Format detectBinary(const char *data, qint64 size)
{
    if (Mf4Recording::looksLike(data, size))
        return RecordingReader::Mf4;
    if (BlfRecording::looksLike(data, size))
        return RecordingReader::Blf;
    if (PcapRecording::looksLikePcapng(data, size))
        return RecordingReader::Pcapng;
    if (PcapRecording::looksLikePcap(data, size))
        return RecordingReader::Pcap;
    return RecordingReader::Unknown;
}

} // namespace

// One reading of a recording: its format and the line parsers that carry state between lines.
struct RecordingReader::Pass
{
    explicit Pass(Format f)
        : format(f)
    {}

    // The bus of a candump interface name. The names met so far are looked up as bytes: a
    // recording names only a few, and every line names one.
    quint8 busOf(const CandumpReader::InterfaceName &name, BusNames *names)
    {
        const int length = int(name.end - name.begin);
        for (const auto &known : interfaces) {
            if (known.first.size() == length
                && std::memcmp(known.first.constData(), name.begin, size_t(length)) == 0)
                return known.second;
        }
        const QByteArray bytes(name.begin, length);
        const quint8 bus = names->busFor(QString::fromLatin1(bytes));
        interfaces.append({bytes, bus});
        return bus;
    }

    Format format;
    AscLineParser asc;
    TrcLineParser trc;
    QVector<QPair<QByteArray, quint8>> interfaces;
};

RecordingReader::Format RecordingReader::detectFormat(const char *data, qint64 size,
                                                      const QString &fileName)
{
    const Format binary = detectBinary(data, size);
    if (binary != Unknown)
        return binary;
    int candump = 0;
    int asc = 0;
    int trc = 0;
    int looked = 0;
    forEachLine(data, data + size, [&](qint64, const char *begin, const char *end) {
        if (end - begin > LineLengthLimit || isBlankLine(begin, end))
            return true;
        TimedFrame frame;
        if (CandumpReader::parseLine(begin, end, &frame))
            ++candump;
        else if (AscLineParser::looksLikeAsc(begin, end))
            ++asc;
        else if (TrcLineParser::looksLikeTrc(begin, end))
            ++trc;
        return ++looked < DetectionLines;
    });
    const int best = std::max({candump, asc, trc});
    const Format byName = formatForExtension(fileName);
    if (best == 0)
        return byName;
    const int ties = int(candump == best) + int(asc == best) + int(trc == best);
    if (ties > 1 && byName != Unknown
        && (byName == Candump ? candump
            : byName == Asc   ? asc
                              : trc)
               == best)
        return byName;
    return candump == best ? Candump : asc == best ? Asc : Trc;
}

QString RecordingReader::formatName(Format format)
{
    switch (format) {
    case Candump:
        return QStringLiteral("candump");
    case Asc:
        return QStringLiteral("Vector ASC");
    case Trc:
        return QStringLiteral("PEAK TRC");
    case Mf4:
        return QStringLiteral("ASAM MDF4");
    case Blf:
        return QStringLiteral("Vector BLF");
    case Pcap:
        return QStringLiteral("pcap");
    case Pcapng:
        return QStringLiteral("pcapng");
    case Unknown:
        break;
    }
    return translated(QT_TRANSLATE_NOOP("RecordingReader", "unknown"));
}

void RecordingReader::reset()
{
    m_frames.clear();
    m_skipped = 0;
    m_frameCount = 0;
    m_problems.clear();
    m_error.clear();
    m_format = Unknown;
    m_busNames = BusNames();
}

void RecordingReader::skip(qint64 lineNumber, const char *reason)
{
    ++m_skipped;
    if (m_problems.size() < ProblemLimit)
        m_problems.append(translated(QT_TRANSLATE_NOOP("RecordingReader", "line %1: %2"))
                              .arg(lineNumber)
                              .arg(translated(reason)));
}

bool RecordingReader::openFile(const QString &path, QFile *file)
{
    reset();
    const QFileInfo info(path);
    if (info.isDir()) {
        m_error
            = translated(QT_TRANSLATE_NOOP("RecordingReader", "%1 is a folder, not a recording"))
                  .arg(path);
        return false;
    }
    file->setFileName(path);
    if (!file->open(QIODevice::ReadOnly)) {
        m_error = file->errorString();
        return false;
    }
    return true;
}

bool RecordingReader::readFile(const QString &path)
{
    QFile file;
    if (!openFile(path, &file))
        return false;
    const qint64 size = file.size();
    char magic[BinaryMagicBytes];
    const qint64 peeked = file.peek(magic, sizeof magic);
    const Format binary = detectBinary(magic, std::max<qint64>(peeked, 0));
    if (binary != Unknown) {
        readBinary(binary, &file, [this](const QVector<TimedFrame> &frames) {
            m_frames += frames;
            return true;
        });
        return m_error.isEmpty();
    }
    // A mapped file is read in place; where mapping fails (pipes, special files) read it whole.
    if (size > 0) {
        if (const uchar *mapped = file.map(0, size)) {
            parseDetected(reinterpret_cast<const char *>(mapped), size, path);
            file.unmap(const_cast<uchar *>(mapped));
            return m_error.isEmpty();
        }
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_error = file.errorString();
        return false;
    }
    parseDetected(content.constData(), content.size(), path);
    return m_error.isEmpty();
}

bool RecordingReader::streamFile(const QString &path, const FrameSink &sink, int chunkBytes)
{
    QFile file;
    if (!openFile(path, &file))
        return false;
    // bytesRead() follows the file while this reading runs, and only then.
    struct Following
    {
        const QIODevice *&device;
        ~Following() { device = nullptr; }
    } following{m_streamed};
    m_streamed = &file;
    char magic[BinaryMagicBytes];
    const qint64 peeked = file.peek(magic, sizeof magic);
    const Format binary = detectBinary(magic, std::max<qint64>(peeked, 0));
    if (binary != Unknown)
        return readBinary(binary, &file, sink);
    chunkBytes = std::max(chunkBytes, 1);
    QByteArray buffer;
    QVector<TimedFrame> frames;
    std::unique_ptr<Pass> pass;
    qint64 lineNumber = 0;
    bool inLongLine = false; // the rest of a line already refused as too long is dropped
    bool atEnd = false;
    while (!atEnd) {
        const int kept = buffer.size();
        buffer.resize(kept + chunkBytes);
        const qint64 got = file.read(buffer.data() + kept, chunkBytes);
        if (got < 0) {
            m_error = file.errorString();
            return false;
        }
        buffer.resize(kept + int(got));
        atEnd = got == 0;
        // Complete lines only; the last line of the file also without its newline.
        const char *begin = buffer.constData();
        const char *end = begin + buffer.size();
        if (!atEnd) {
            const char *lastNewline = begin + buffer.lastIndexOf('\n') + 1;
            end = lastNewline > begin ? lastNewline : begin;
        }
        if (!pass) {
            // The format is told by the first lines, as many as detection looks at.
            if (!atEnd && buffer.size() < DetectionBytes)
                continue;
            if (buffer.isEmpty()) {
                m_error = translated(QT_TRANSLATE_NOOP("RecordingReader", "the file is empty"));
                return false;
            }
            const Format format = detectFormat(begin, end - begin, path);
            if (format == Unknown) {
                m_error = translated(
                    QT_TRANSLATE_NOOP("RecordingReader", "not a recording Tarvik reads (candump, ASC, TRC, MF4, BLF, pcap, pcapng)"));
                return false;
            }
            m_format = format;
            pass.reset(new Pass(format));
        }
        const char *p = begin;
        while (p < end) {
            const char *lineEnd = lineEndOf(p, end);
            if (inLongLine)
                inLongLine = false;
            else
                takeLine(*pass, ++lineNumber, p, lineEnd, &frames);
            p = lineEnd + 1;
        }
        buffer.remove(0, int(std::min(p, begin + buffer.size()) - begin));
        if (buffer.size() > LineLengthLimit) {
            if (!inLongLine)
                skip(++lineNumber, QT_TRANSLATE_NOOP("RecordingReader", "line too long"));
            inLongLine = true;
            buffer.clear();
        }
        if (!frames.isEmpty()) {
            const bool goOn = sink(frames);
            frames.clear();
            if (!goOn)
                return false;
        }
    }
    return true;
}

qint64 RecordingReader::bytesRead() const
{
    return m_streamed ? m_streamed->pos() : 0;
}

void RecordingReader::parse(const QByteArray &text, const QString &fileName)
{
    reset();
    const Format binary = detectBinary(text.constData(), text.size());
    if (binary != Unknown) {
        QByteArray copy = text;
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        readBinary(binary, &buffer, [this](const QVector<TimedFrame> &frames) {
            m_frames += frames;
            return true;
        });
        return;
    }
    parseDetected(text.constData(), text.size(), fileName);
}

bool RecordingReader::readBinary(Format format, QIODevice *device, const FrameSink &sink)
{
    m_format = format;
    BinaryRecordingPass pass(device, sink, &m_busNames);
    bool read = false;
    switch (format) {
    case Mf4:
        read = Mf4Recording::read(pass);
        break;
    case Blf:
        read = BlfRecording::read(pass);
        break;
    case Pcap:
        read = PcapRecording::readPcap(pass);
        break;
    case Pcapng:
        read = PcapRecording::readPcapng(pass);
        break;
    default:
        break;
    }
    if (read)
        read = pass.flush();
    else if (pass.errorString().isEmpty() && !pass.stopped())
        pass.fail(device->pos(), translated(QT_TRANSLATE_NOOP("RecordingReader", "unreadable")));
    else if (!pass.stopped())
        pass.flush(); // the frames before a bad structure still count
    m_frameCount = pass.frameCount();
    m_skipped = pass.skipped();
    m_problems = pass.problems();
    m_error = pass.errorString();
    return read;
}

void RecordingReader::parseDetected(const char *data, qint64 size, const QString &fileName)
{
    if (size == 0) {
        m_error = translated(QT_TRANSLATE_NOOP("RecordingReader", "the file is empty"));
        return;
    }
    const Format format = detectFormat(data, size, fileName);
    if (format == Unknown) {
        m_error = translated(
            QT_TRANSLATE_NOOP("RecordingReader", "not a recording Tarvik reads (candump, ASC, TRC, MF4, BLF, pcap, pcapng)"));
        return;
    }
    parseAs(format, data, size);
}

void RecordingReader::parseAs(Format format, const char *data, qint64 size)
{
    m_frames.clear();
    m_skipped = 0;
    m_frameCount = 0;
    m_problems.clear();
    m_format = format;
    m_busNames = BusNames();
    if (format == Unknown)
        return;
    if (isBinary(format)) {
        QByteArray copy(data, int(std::min<qint64>(size, INT_MAX)));
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        readBinary(format, &buffer, [this](const QVector<TimedFrame> &frames) {
            m_frames += frames;
            return true;
        });
        return;
    }
    Pass pass(format);
    forEachLine(data, data + size, [&](qint64 number, const char *begin, const char *end) {
        takeLine(pass, number, begin, end, &m_frames);
        return true;
    });
}

void RecordingReader::takeLine(Pass &pass, qint64 lineNumber, const char *begin, const char *end,
                               QVector<TimedFrame> *frames)
{
    if (end - begin > LineLengthLimit) {
        skip(lineNumber, QT_TRANSLATE_NOOP("RecordingReader", "line too long"));
        return;
    }
    TimedFrame frame;
    LineOutcome outcome;
    CandumpReader::InterfaceName name;
    switch (pass.format) {
    case Candump:
        if (isBlankLine(begin, end)) {
            outcome = LineOutcome::ignored();
        } else if (CandumpReader::parseLine(begin, end, &frame, &name)) {
            frame.bus = pass.busOf(name, &m_busNames);
            outcome = LineOutcome::frame();
        } else {
            outcome = LineOutcome::skipped(candumpReason(begin, end));
        }
        break;
    case Asc:
        outcome = pass.asc.parseLine(begin, end, &frame);
        break;
    case Trc:
        outcome = pass.trc.parseLine(begin, end, &frame);
        break;
    default:
        break;
    }
    if (outcome.kind == LineOutcome::Frame) {
        frames->append(frame);
        ++m_frameCount;
    } else if (outcome.kind == LineOutcome::Skipped) {
        skip(lineNumber, outcome.reason);
    }
}
