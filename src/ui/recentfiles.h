#pragma once

#include <QObject>
#include <QStringList>

class QMenu;

// The recently used scheme files, newest first, kept in the settings ("Misc/RecentSchemes"), and
// the menu that offers them. GUI thread.
class RecentFiles : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxFiles = 8;

    explicit RecentFiles(QObject *parent = nullptr);

    QStringList files() const;
    // Puts the file first (once); the oldest beyond the limit drop out.
    void add(const QString &path);
    void remove(const QString &path);
    // The folder of the newest file, for file dialogs without a current file; empty when none.
    QString lastDirectory() const;
    // A menu that lists the files each time it opens; choosing one emits fileChosen.
    QMenu *createMenu(const QString &title, QWidget *parent);

signals:
    void fileChosen(const QString &path);
    void changed();

private:
    void store(const QStringList &files);
    void fill(QMenu *menu);
};
