#include "ui/recentfiles.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace {
const QString Key = QStringLiteral("Misc/RecentSchemes");
}

RecentFiles::RecentFiles(QObject *parent)
    : QObject(parent)
{}

QStringList RecentFiles::files() const
{
    return QSettings().value(Key).toStringList();
}

void RecentFiles::store(const QStringList &files)
{
    QSettings().setValue(Key, QStringList(files.mid(0, MaxFiles)));
    emit changed();
}

void RecentFiles::add(const QString &path)
{
    if (path.startsWith(QLatin1Char(':')))
        return; // built into the program: not a file the engineer opens again from the disk
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList list = files();
    list.removeAll(absolute);
    list.prepend(absolute);
    store(list);
}

void RecentFiles::remove(const QString &path)
{
    QStringList list = files();
    list.removeAll(QFileInfo(path).absoluteFilePath());
    store(list);
}

QString RecentFiles::lastDirectory() const
{
    const QStringList list = files();
    return list.isEmpty() ? QString() : QFileInfo(list.first()).absolutePath();
}

QMenu *RecentFiles::createMenu(const QString &title, QWidget *parent)
{
    auto *menu = new QMenu(title, parent);
    menu->setObjectName(QStringLiteral("menuRecentSchemes"));
    // Refilled on every change too: a disabled (empty) menu never shows, so never hears
    // aboutToShow.
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { fill(menu); });
    connect(this, &RecentFiles::changed, menu, [this, menu] { fill(menu); });
    fill(menu);
    return menu;
}

void RecentFiles::fill(QMenu *menu)
{
    menu->clear();
    const QStringList list = files();
    for (int i = 0; i < list.size(); ++i) {
        const QString path = list.at(i);
        // Numbered for the keyboard; the full path is in the tool tip.
        QAction *a = menu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        a->setToolTip(QDir::toNativeSeparators(path));
        a->setData(path);
        connect(a, &QAction::triggered, this, [this, path] { emit fileChosen(path); });
    }
    menu->setEnabled(!list.isEmpty());
}
