#include "ui/logsaver.h"

#include "can/recordingwriter.h"
#include "ui/statusprogress.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace {
// Rows written between two looks at the clock.
constexpr int RowsPerLook = 256;
} // namespace

LogSaver::LogSaver(QStatusBar *bar, QObject *parent)
    : QObject(parent)
    , m_progress(new StatusProgress(bar, QStringLiteral("saveLogCancel"), this))
{
    setObjectName(QStringLiteral("logSaver"));
    m_next.setSingleShot(true);
    m_next.setInterval(0);
    connect(&m_next, &QTimer::timeout, this, &LogSaver::writeSlice);
    connect(m_progress, &StatusProgress::cancelRequested, this, &LogSaver::cancel);
}

// The file not committed is dropped with its writer.
LogSaver::~LogSaver() = default;

bool LogSaver::start(const RawDataModel::Rows &rows, qint64 baseEpochMs, const QString &path,
                     RecordingReader::Format format)
{
    if (m_saving)
        return false;
    m_error.clear();
    m_path = path;
    m_format = format;
    m_saved = 0;
    m_row = 0;
    if (format == RecordingReader::Unknown || format == RecordingReader::Candump) {
        // Unbuffered, so that a short write (a full disk) is seen here rather than lost in a
        // buffer that commit() would not report.
        m_text = std::make_unique<QSaveFile>(path);
        if (!m_text->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            m_error = m_text->errorString();
            m_text.reset();
            return false;
        }
    } else {
        m_writer = std::make_unique<RecordingWriter>();
        if (!m_writer->open(path, format)) {
            m_error = m_writer->errorString();
            m_writer.reset();
            return false;
        }
    }
    m_rows = rows;
    m_baseEpochMs = baseEpochMs;
    m_saving = true;
    m_progress->begin(tr("Saving %1…").arg(QDir::toNativeSeparators(QFileInfo(path).fileName())));
    m_next.start();
    return true;
}

void LogSaver::writeSlice()
{
    if (!m_saving)
        return;
    QElapsedTimer clock;
    clock.start();
    QString text;
    QTextStream stream(&text);
    const int total = m_rows.size();
    TimedFrame frame;
    while (m_row < total && (m_row % RowsPerLook != 0 || clock.elapsed() < SliceMs)) {
        const RawDataModel::Row &row = m_rows.at(m_row++);
        if (m_writer) {
            if (RawDataModel::frameOf(row, m_baseEpochMs, &frame) && !m_writer->write(frame)) {
                end(false, m_writer->errorString());
                return;
            }
        } else if (m_format == RecordingReader::Candump) {
            RawDataModel::writeCandumpRow(stream, row, m_baseEpochMs);
        } else {
            RawDataModel::writeRow(stream, row);
        }
    }
    stream.flush();
    if (m_text && !put(text))
        return;
    if (m_row < total) {
        m_progress->setPercent(int(qint64(m_row) * 100 / total));
        m_next.start();
        return;
    }
    if (m_writer) {
        if (!m_writer->commit()) {
            end(false, m_writer->errorString());
            return;
        }
        m_saved = m_writer->frameCount();
    } else {
        if (!m_text->commit()) {
            end(false, m_text->errorString());
            return;
        }
        m_saved = total;
    }
    end(true, QString());
}

bool LogSaver::put(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = m_text->write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (done == bytes.size())
        return true;
    end(false, m_text->error() != QFileDevice::NoError
                   ? m_text->errorString()
                   : QCoreApplication::translate("SaveFile", "Only %1 of %2 bytes could be written")
                         .arg(done)
                         .arg(bytes.size()));
    return false;
}

void LogSaver::cancel()
{
    if (m_saving)
        end(false, QString());
}

void LogSaver::end(bool ok, const QString &error)
{
    m_next.stop();
    m_saving = false;
    m_error = error;
    // Not committed: the old file stays as it was.
    if (m_text && !ok)
        m_text->cancelWriting();
    if (m_writer && !ok)
        m_writer->cancel();
    m_text.reset();
    m_writer.reset();
    m_rows = RawDataModel::Rows();
    m_progress->end();
    emit finished(ok);
}
