#include "can/recordingwriter.h"

#include "can/recordingencoder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>

namespace {

struct FormatKey
{
    RecordingReader::Format format;
    const char *key;
    const char *extension;
};

const FormatKey formatKeys[] = {
    {RecordingReader::Candump, "candump", "log"},  {RecordingReader::Asc, "asc", "asc"},
    {RecordingReader::Trc, "trc", "trc"},          {RecordingReader::Blf, "blf", "blf"},
    {RecordingReader::Pcapng, "pcapng", "pcapng"}, {RecordingReader::Pcap, "pcap", "pcap"},
};

std::unique_ptr<RecordingEncoder> encoderFor(RecordingReader::Format format, bool nanoseconds,
                                             bool pcapBusIndex)
{
    switch (format) {
    case RecordingReader::Candump:
        return RecordingEncoders::candump();
    case RecordingReader::Asc:
        return RecordingEncoders::asc();
    case RecordingReader::Trc:
        return RecordingEncoders::trc();
    case RecordingReader::Blf:
        return RecordingEncoders::blf();
    case RecordingReader::Pcap:
        return RecordingEncoders::pcap(nanoseconds, pcapBusIndex);
    case RecordingReader::Pcapng:
        return RecordingEncoders::pcapng(nanoseconds);
    default:
        return nullptr;
    }
}

} // namespace

RecordingWriter::RecordingWriter() = default;

RecordingWriter::~RecordingWriter()
{
    cancel();
}

QList<RecordingReader::Format> RecordingWriter::formats()
{
    QList<RecordingReader::Format> list;
    for (const FormatKey &k : formatKeys)
        list.append(k.format);
    return list;
}

RecordingReader::Format RecordingWriter::formatForPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const FormatKey &k : formatKeys) {
        if (suffix == QLatin1String(k.extension))
            return k.format;
    }
    return RecordingReader::Unknown;
}

RecordingReader::Format RecordingWriter::formatForName(const QString &name)
{
    const QString key = name.trimmed().toLower();
    for (const FormatKey &k : formatKeys) {
        if (key == QLatin1String(k.key) || key == QLatin1String(k.extension))
            return k.format;
    }
    return RecordingReader::Unknown;
}

QString RecordingWriter::formatKey(RecordingReader::Format format)
{
    for (const FormatKey &k : formatKeys) {
        if (k.format == format)
            return QLatin1String(k.key);
    }
    return QString();
}

QString RecordingWriter::extension(RecordingReader::Format format)
{
    for (const FormatKey &k : formatKeys) {
        if (k.format == format)
            return QLatin1String(k.extension);
    }
    return QString();
}

bool RecordingWriter::open(const QString &path, RecordingReader::Format format)
{
    cancel();
    m_error.clear();
    m_frames = 0;
    m_begun = false;
    m_pending.clear();
    m_encoder = encoderFor(format, m_nanoseconds, m_pcapBusIndex);
    if (!m_encoder) {
        m_error = QCoreApplication::translate("RecordingReader", "Tarvik cannot write %1 files")
                      .arg(RecordingReader::formatName(format));
        return false;
    }
    m_encoder->setBusNames(m_busNames);
    // Unbuffered, so that a short write (a full disk) is seen here rather than lost in a
    // buffer that commit() would not report.
    m_file = std::make_unique<QSaveFile>(path);
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_error = m_file->errorString();
        m_file.reset();
        m_encoder.reset();
        return false;
    }
    return true;
}

bool RecordingWriter::write(const TimedFrame &frame)
{
    if (!m_file)
        return false;
    if (!m_begun) {
        m_encoder->begin(frame.timeUs, &m_pending);
        m_begun = true;
    }
    m_encoder->encode(frame, &m_pending);
    ++m_frames;
    return flush(false);
}

bool RecordingWriter::write(const QVector<TimedFrame> &frames)
{
    for (const TimedFrame &frame : frames) {
        if (!write(frame))
            return false;
    }
    return true;
}

bool RecordingWriter::flush(bool always)
{
    if (!m_file)
        return false;
    if (!always && m_pending.size() < FlushBytes)
        return true;
    qint64 done = 0;
    while (done < m_pending.size()) {
        const qint64 n = m_file->write(m_pending.constData() + done, m_pending.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (done != m_pending.size()) {
        fail(m_file->error() != QFileDevice::NoError
                 ? m_file->errorString()
                 : QCoreApplication::translate("RecordingReader", "the file could not be written"));
        return false;
    }
    m_pending.clear();
    return true;
}

bool RecordingWriter::commit()
{
    if (!m_file)
        return false;
    if (!m_begun) {
        m_encoder->begin(0, &m_pending);
        m_begun = true;
    }
    m_encoder->end(&m_pending);
    if (!flush(true))
        return false;
    if (!m_encoder->patch(m_file.get())) {
        fail(m_file->errorString());
        return false;
    }
    const bool done = m_file->commit();
    if (!done)
        m_error = m_file->errorString();
    m_file.reset();
    return done;
}

void RecordingWriter::cancel()
{
    if (m_file) {
        m_file->cancelWriting();
        m_file.reset();
    }
}

qint64 RecordingWriter::clampedFrames() const
{
    return m_encoder ? m_encoder->clampedFrames() : 0;
}

qint64 RecordingWriter::framesWithoutBus() const
{
    return m_encoder ? m_encoder->framesWithoutBus() : 0;
}

void RecordingWriter::setBusNames(const BusNames &names)
{
    m_busNames = names;
    if (m_encoder)
        m_encoder->setBusNames(names);
}

void RecordingWriter::fail(const QString &text)
{
    m_error = text;
    cancel();
}
