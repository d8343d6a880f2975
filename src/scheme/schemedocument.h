#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <functional>

class AbstractDisplayableItem;
class AbstractSchemeTreeItem;
class SchemeTreeModel;

// Knows whether the scheme differs from the file it was last opened from or saved to, by a
// fingerprint of what the engineer can change and a file keeps: the items, their names,
// periods, chosen states, filter marks and expectations, and the values of the items the
// program sends. Received values and the receive states that follow traffic are left out. GUI
// thread; the items it reads live in the bus thread and are read through their guarded accessors.
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
    // A file Save can write back to: neither a scheme never saved nor one built into the program.
    bool hasWritableFile() const;
    // The question before unsaved changes are lost, in the words that fit where the scheme
    // came from.
    QString changesQuestion() const;
    // The scheme now matches this file (after opening or saving it); an empty path for a new,
    // empty scheme.
    void setClean(const QString &path);
    // Compares the scheme with its file now and returns whether it differs. Changes of the tree
    // model also run it, at most once per check delay.
    bool check();
    void setCheckDelay(int ms) { m_checkTimer.setInterval(ms); }

    // The item (and what comes with it) was added by auto add for traffic no item took, not by
    // the engineer: it makes no change until the engineer changes it.
    void addedFromTraffic(const AbstractDisplayableItem *item);
    // What else of the scheme the engineer changes outside the tree (the buses' databases), as
    // bytes that differ when it does.
    void setSettingsFingerprint(std::function<QByteArray()> settings)
    {
        m_settings = std::move(settings);
    }

signals:
    void modifiedChanged(bool modified);
    void filePathChanged(const QString &path);

private:
    void scheduleCheck();
    QByteArray fingerprint();
    QByteArray nodeFingerprint(const AbstractSchemeTreeItem *node, bool automatic);

    SchemeTreeModel *m_model;
    QString m_path;
    QByteArray m_clean;
    bool m_modified = false;
    QTimer m_checkTimer;
    // Compared by address only, never dereferenced; cleared whenever the scheme matches a file.
    QSet<const void *> m_fromTraffic;
    std::function<QByteArray()> m_settings;
    QHash<const void *, QByteArray> m_trafficBaseline;
};
