#pragma once

#include <QObject>

class QHeaderView;
class QMenu;

// A context menu "Show" on a header view with one check box per column to hide or show it.
class HeaderViewHiderMenu : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    static void install(QHeaderView *header);
    // The menu for the header's current sections, owned by the header.
    static QMenu *createMenu(QHeaderView *header);

private slots:
    void slotMenuRequested(const QPoint &pos);
};
