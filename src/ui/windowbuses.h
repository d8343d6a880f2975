#pragma once

#include "app/bussession.h"
#include "can/canhandlerfactory.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class AbstractCanHandler;
class DeviceDispatcher;
class GuiMessageNotifier;
class MainWindow;
class QAction;
class QActionGroup;
class QMenu;

// The buses of the window beside the first (File ▸ Add Bus…): each has its adapter, catalogue
// and thread, its row at the top of the tree, its units found by Auto add, its load in the
// status bar and its frames in the raw view, whose Bus column and bus filter appear once there
// are several. GUI thread.
class WindowBuses : public QObject
{
    Q_OBJECT

public:
    explicit WindowBuses(MainWindow *window);
    ~WindowBuses() override;

    // Starts a bus with an adapter of `type` on `port` (the port list asked when empty);
    // `prepare` sees the handler before its port opens. Null, with the reason shown, when it
    // cannot start.
    DeviceDispatcher *add(int type, const CanHandlerFactory::AdapterOptions &options,
                          const QString &port, unsigned bitRate,
                          const BusSession::Prepare &prepare = BusSession::Prepare());
    // Ends a bus added here: its row and units leave the tree (the scheme file keeps them).
    void remove(DeviceDispatcher *bus);
    // The buses of the window, the first included.
    int count() const { return 1 + int(m_buses.size()); }
    // The dispatchers of the buses added here, in the order they came.
    QList<DeviceDispatcher *> added() const;
    // The notifier that brings the frames of a bus added here; null for any other.
    GuiMessageNotifier *notifierOf(const DeviceDispatcher *bus) const;
    // The status bar's name for the buses' time, the window's first bus included: its number.
    static QString nameOf(const DeviceDispatcher *bus);

public slots:
    // Asks for an adapter and its port and adds the bus.
    void addFromUser();
    // Removes the bus of the current row, asking first.
    void removeCurrent();

signals:
    void busesChanged();
    // A bus added here is about to end, its units and notifier still there.
    void busAboutToBeRemoved(DeviceDispatcher *bus);

private:
    struct Bus;
    void wire(Bus *bus);
    void showBuses();
    void updateActions();

    MainWindow *m_window;
    std::vector<std::unique_ptr<Bus>> m_buses;
    QAction *m_add;
    QAction *m_remove;
    QAction *m_filter;
    QMenu *m_filterMenu;
    QActionGroup *m_filterGroup;
};
