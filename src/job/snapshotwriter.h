#pragma once

#include "job/parameterring.h"
#include "job/snapshotcollector.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// Writes fault snapshots into a job's snapshots folder: each into a folder of its own
// ("001-0x00-spn110" with frames.log, parameters.csv and plot.png), then its entry into
// index.json, rewritten whole and atomically, so the index lists only snapshots written whole.
// Numbers continue those the index holds. Any thread; one writer per folder at a time.
class SnapshotWriter
{
    Q_DECLARE_TR_FUNCTIONS(SnapshotWriter)

public:
    static constexpr int FormatVersion = 1;

    explicit SnapshotWriter(const QString &snapshotsDir);

    // Maps the frames' clock to UTC for the entries' "time": the frame time `frameUs` was at
    // `utc`. Without it, stamps from 1990 on are taken as microseconds since 1970 and earlier
    // ones (a clock counting from an adapter's start) leave "time" empty.
    void setClock(qint64 frameUs, const QDateTime &utc);

    // The name of the bus the snapshots written from now on come from, kept in their entries
    // ("bus") where a recording of several buses is told apart; empty for none.
    void setBusName(const QString &name) { m_busName = name; }

    struct Written
    {
        int id = 0;
        QString dir; // the folder's name inside the snapshots folder
    };
    // `unitName` empty: "Unit 0xSA".
    bool write(const Snapshot &snapshot, const QString &unitName, const ParameterSamples &samples,
               Written *written = nullptr);
    QString errorString() const { return m_error; }
    QString directory() const { return m_dir; }

    static QString folderName(int id, const Snapshot &snapshot);
    static QString unitText(quint8 source, const QString &name);
    // parameters.csv: "time_s" and a column per parameter, seconds from the change.
    static QByteArray csv(const Snapshot &snapshot, const ParameterSamples &samples);
    // The samples of a parameters.csv again, their times in microseconds from the change;
    // false for a text that is not one (another header, a row of other length, no number).
    static bool samplesFromCsv(const QByteArray &csv, ParameterSamples *samples);
    // The entries of an index.json; a missing file has none. False with a message naming the
    // file when it cannot be read, is damaged or is of a newer format.
    static bool readIndex(const QString &path, QJsonArray *entries, QString *error);
    // What changed in the unit's active codes, from an entry of the index, in the current
    // language: "Active codes gone: SPN 100 FMI 18; appeared: SPN 110 FMI 16". The entry's
    // "change" text when it lists no codes.
    static QString changeText(const QJsonObject &entry);
    static QString changeText(const Snapshot &snapshot);

private:
    QString timeText(qint64 timeUs) const;
    bool fail(const QString &text);

    QString m_dir;
    bool m_hasClock = false;
    qint64 m_clockFrameUs = 0;
    QDateTime m_clockUtc;
    QString m_error;
    QString m_busName;
};
