#pragma once

#include "can/abstractcanhandler.h"
#include "can/eventcounter.h"

// Event counter of the whole bus over a one-second window; produces the traffic text.
// Lives in the GUI thread and is fed with every merged pack.
class TrafficCalculator : public EventCounter
{
    Q_OBJECT

public:
    explicit TrafficCalculator(QObject *parent = nullptr);

    // The adapter whose bit rate the load is judged against; the common 250 kbit/s without.
    void setHandler(const AbstractCanHandler *handler) { m_handler.store(handler); }

    // Frames of 128 bits that fit into one window at the handler's bit rate.
    int netMessageCapacityPerInterval() const;
    static QString trafficText(int frames, int windowSeconds);

signals:
    void trafficChanged(const QString &text);
    void trafficChanged(int frames);

public slots:
    void slotNotifyPack(const AbstractCanHandler::MessagePack &pack);
    void shift() override;

private:
    std::atomic<const AbstractCanHandler *> m_handler{nullptr};
};
