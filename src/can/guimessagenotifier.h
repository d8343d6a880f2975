#pragma once

#include "can/abstractcanhandler.h"

#include <QObject>
#include <QTimer>

#include <atomic>

// Lives in the GUI thread: every tick takes all packs its bus's handler queued and emits them
// merged.
class GuiMessageNotifier : public QObject
{
    Q_OBJECT

public:
    explicit GuiMessageNotifier(AbstractCanHandler *handler = nullptr, QObject *parent = nullptr);
    ~GuiMessageNotifier() override;

    // The handler whose packs are taken; it must outlive the notifier's ticks.
    void setHandler(AbstractCanHandler *handler) { m_handler.store(handler); }
    AbstractCanHandler *handler() const { return m_handler.load(); }
    int notifyInterval() const { return m_timer.interval(); }

signals:
    void notifyPack(const AbstractCanHandler::MessagePack &pack);
    void notifyIntervalChanged(int ms);

public slots:
    void slotCheckQueue();
    void setNotifyInterval(int ms);

private:
    QTimer m_timer;
    std::atomic<AbstractCanHandler *> m_handler;
};
