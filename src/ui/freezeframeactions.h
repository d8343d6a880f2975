#pragma once

#include <QObject>

class AbstractDisplayableItem;
class MainWindow;
class QAction;

// "Freeze frames…" in a unit's context menu: gives the unit its DM24 and DM25 functions from
// its function catalogue when it lacks them, makes sure the tool can take long answers, and
// opens the DM25 Details, where the engineer asks for the freeze frame of a code. GUI thread.
class FreezeFrameActions : public QObject
{
    Q_OBJECT

public:
    explicit FreezeFrameActions(MainWindow *window);

public slots:
    void updateAction();
    void openFreezeFrames();

private:
    // The unit's function of that group, added from the unit's catalogue when missing.
    AbstractDisplayableItem *ensureFunction(AbstractDisplayableItem *unit, quint32 pgn,
                                            const QByteArray &key);
    void showDetailsOf(AbstractDisplayableItem *item);
    void message(const QString &text);

    MainWindow *m_window;
    QAction *m_action;
};
