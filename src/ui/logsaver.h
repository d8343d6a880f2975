#pragma once

#include "can/recordingreader.h"
#include "ui/rawdatamodel.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QSaveFile;
class QStatusBar;
class RecordingWriter;
class StatusProgress;

// "Save log": writes the raw view's rows to a file a slice at a time on the GUI thread, so that a
// full view neither freezes the window nor holds it (a slice runs a few milliseconds, then the
// event loop goes on; the rows' texts name the items, which only this thread may read). The rows
// are those the view had when the save began. The status bar shows how far it is, with Cancel;
// the file replaces the old one only when complete, so a save cancelled or failed leaves the old
// one untouched. GUI thread.
class LogSaver : public QObject
{
    Q_OBJECT

public:
    // About the longest a slice of writing holds the GUI thread.
    static constexpr int SliceMs = 20;

    LogSaver(QStatusBar *bar, QObject *parent = nullptr);
    ~LogSaver() override;

    // Starts saving the rows to `path` (Unknown: the raw view's text); false, with
    // errorString(), when the file cannot be begun.
    bool start(const RawDataModel::Rows &rows, qint64 baseEpochMs, const QString &path,
               RecordingReader::Format format);
    bool isSaving() const { return m_saving; }
    // Stops saving: the old file stays as it was; finished(false) comes with no error.
    void cancel();

    QString path() const { return m_path; }
    QString errorString() const { return m_error; }
    // The messages the file holds, once it is saved.
    qint64 savedCount() const { return m_saved; }

signals:
    // Saved (ok), or failed or cancelled: errorString() tells which.
    void finished(bool ok);

private:
    void writeSlice();
    bool put(const QString &text);
    void end(bool ok, const QString &error);

    StatusProgress *m_progress;
    QTimer m_next;
    RawDataModel::Rows m_rows;
    qint64 m_baseEpochMs = 0;
    RecordingReader::Format m_format = RecordingReader::Unknown;
    std::unique_ptr<QSaveFile> m_text;
    std::unique_ptr<RecordingWriter> m_writer;
    QString m_path;
    QString m_error;
    int m_row = 0;
    qint64 m_saved = 0;
    bool m_saving = false;
};
