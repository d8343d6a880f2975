#pragma once

#include "can/abstractcanhandler.h"

#include <QObject>
#include <QTimer>

// Lives in the GUI thread: every tick takes all packs the handler queued and emits them merged.
class GuiMessageNotifier : public QObject
{
    Q_OBJECT

public:
    explicit GuiMessageNotifier(QObject *parent = nullptr);
    ~GuiMessageNotifier() override;

    static GuiMessageNotifier *instance();
    int notifyInterval() const { return m_timer.interval(); }

signals:
    void notifyPack(const AbstractCanHandler::MessagePack &pack);
    void notifyIntervalChanged(int ms);

public slots:
    void slotCheckQueue();
    void setNotifyInterval(int ms);

private:
    QTimer m_timer;
};
