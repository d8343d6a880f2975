#pragma once

#include <QList>
#include <QObject>

class AbstractCanHandler;
class AbstractDisplayableItem;
class BusCheckDock;
class GuiMessageNotifier;
class LiveBusCheck;
class MainWindow;
class QAction;

// The window's "Bus check" menu: learn the expected bus from the last minutes of traffic,
// check the bus against the scheme's expectations, save the check's report; and the "Bus
// check" dock that shows it. GUI thread.
class BusCheckActions : public QObject
{
    Q_OBJECT

public:
    explicit BusCheckActions(MainWindow *window);

    LiveBusCheck *check() const { return m_check; }
    BusCheckDock *dock() const { return m_dock; }
    // Traffic reaches the check (and its learning) from this notifier.
    // Feeds the live check with the notifier's packs, timed by the handler's clock.
    void attach(GuiMessageNotifier *notifier, const AbstractCanHandler *handler);

public slots:
    void learn();
    void setChecking(bool on);
    void saveReport();
    // Makes the item with this scheme key the current row of the tree.
    void selectItem(const QString &itemKey);

private:
    QList<AbstractDisplayableItem *> devices() const;
    void message(const QString &text);
    void updateActions();

    MainWindow *m_window;
    LiveBusCheck *m_check;
    BusCheckDock *m_dock;
    QAction *m_learn;
    QAction *m_run;
    QAction *m_save;
};
