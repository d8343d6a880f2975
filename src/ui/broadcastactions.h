#pragma once

#include <QObject>
#include <QPointer>

class BroadcastSuspension;
class MainWindow;
class QAction;
class QLabel;

// The Device menu's "Suspend broadcasts (DM13)…" and "Resume broadcasts", and the status bar's
// "Broadcasts suspended (DM13)" while they are. The suspension itself runs on the bus thread;
// broadcasts start again when the engineer resumes them, when the window goes and when the
// adapter does. GUI thread.
class BroadcastActions : public QObject
{
    Q_OBJECT

public:
    explicit BroadcastActions(MainWindow *window);
    ~BroadcastActions() override;

    BroadcastSuspension *suspension() const;

public slots:
    void suspend();
    void resume();

private slots:
    void showState(bool suspended, const QString &text);
    // Sends start before the window or the program goes, waiting for the bus thread.
    void resumeBeforeLeaving();

private:
    // The bus thread's suspension, made on first use next to the adapter; null without one.
    BroadcastSuspension *ensureSuspension();

    MainWindow *m_window;
    QAction *m_suspend;
    QAction *m_resume;
    QLabel *m_label;
    QPointer<BroadcastSuspension> m_suspension;
};
