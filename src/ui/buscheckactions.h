#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class AbstractCanHandler;
class AbstractDisplayableItem;
class BusCheckDock;
class DeviceDispatcher;
class GuiMessageNotifier;
class LiveBusCheck;
class MainWindow;
class QAction;
class StatusProgress;

// The window's "Bus check" menu: learn the expected bus from the last minutes of traffic,
// check the bus against the scheme's expectations, save the check's report; and the "Bus
// check" dock that shows it. It watches one bus of the window, the first unless the engineer
// chooses another in the dock. GUI thread.
class BusCheckActions : public QObject
{
    Q_OBJECT

public:
    explicit BusCheckActions(MainWindow *window);

    LiveBusCheck *check() const { return m_check; }
    BusCheckDock *dock() const { return m_dock; }
    // The window's first bus: its notifier's packs feed the check (and its learning), timed by
    // the handler's clock, while the check watches that bus.
    void attach(GuiMessageNotifier *notifier, const AbstractCanHandler *handler);
    // The bus watched: the window's first unless another was chosen.
    DeviceDispatcher *bus() const;

public slots:
    // The window's buses changed: the dock offers them.
    void updateBuses();
    // A bus added to the window is about to end: a check watching it goes back to the first.
    void busAboutToBeRemoved(DeviceDispatcher *bus);
    // Watches the bus at this position among the window's (the first is 0).
    void chooseBus(int index);
    // Asks what to learn from and starts learning; the status bar shows how far it is.
    void learn();
    void setChecking(bool on);
    void saveReport();
    // Makes the item with this scheme key the current row of the tree.
    void selectItem(const QString &itemKey);

private:
    QList<AbstractDisplayableItem *> devices() const;
    void message(const QString &text);
    void updateActions();
    // Writes what was learned onto the items and starts the check.
    void learningEnded(bool completed);
    // Watches this bus (null: the first); a running check stops and learning starts over.
    void watch(DeviceDispatcher *bus);
    void feedFrom(GuiMessageNotifier *notifier);

    MainWindow *m_window;
    QPointer<GuiMessageNotifier> m_firstNotifier;
    const AbstractCanHandler *m_firstHandler = nullptr;
    // A bus added to the window that the check watches; null while it watches the first.
    DeviceDispatcher *m_bus = nullptr;
    QMetaObject::Connection m_feed;
    LiveBusCheck *m_check;
    BusCheckDock *m_dock;
    QAction *m_learn;
    QAction *m_run;
    QAction *m_save;
    StatusProgress *m_learning;
    int m_learnMinutes = 0;
};
