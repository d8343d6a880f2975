#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class SchemeTreeModel;

// Knows whether the scheme differs from the file it was last opened from or saved to, by a
// fingerprint of what the engineer can change and a file keeps: the items, their names,
// periods, chosen states and filter marks, and the values of the items the program sends.
// Received values and the receive states that follow traffic are left out. GUI thread; the
// items it reads live in the bus thread and are read through their guarded accessors.
class SchemeDocument : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultCheckDelayMs = 300;

    explicit SchemeDocument(SchemeTreeModel *model, QObject *parent = nullptr);

    QString filePath() const { return m_path; }
    // The file's name, or "Untitled" for a scheme not saved yet.
    QString displayName() const;
    bool isModified() const { return m_modified; }
    // The scheme now matches this file (after opening or saving it); an empty path for a new,
    // empty scheme.
    void setClean(const QString &path);
    // Compares the scheme with its file now and returns whether it differs. Changes of the tree
    // model also run it, at most once per check delay.
    bool check();
    void setCheckDelay(int ms) { m_checkTimer.setInterval(ms); }

    static QByteArray fingerprint(const SchemeTreeModel *model);

signals:
    void modifiedChanged(bool modified);
    void filePathChanged(const QString &path);

private:
    void scheduleCheck();

    SchemeTreeModel *m_model;
    QString m_path;
    QByteArray m_clean;
    bool m_modified = false;
    QTimer m_checkTimer;
};
