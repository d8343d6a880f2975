#pragma once

#include <mutex>

#include "model/abstractcanmessagedispatcher.h"

#include <QList>
#include <QObject>

#include <atomic>

class AbstractDisplayableItem;
class CanDevice;

// Offers every received frame to every registered device and fills the frame's result. Lives in
// the bus thread; registration may come from any thread, unregistration and clearing run in the
// bus thread and block the caller, so a device is never deleted during a dispatch.
class DeviceDispatcher : public QObject, public AbstractCanMessageDispatcher
{
    Q_OBJECT

public:
    explicit DeviceDispatcher(QObject *parent = nullptr);
    ~DeviceDispatcher() override;

    void dispatchMessage(const CanMessage &msg, DispatchResult *result) override;
    void checkDropNewData() override;
    bool isLowLatencyEnabled() const override;

    void registerDisplayable(AbstractDisplayableItem *item);
    bool unregisterDisplayable(AbstractDisplayableItem *item);
    bool clearScheme();
    void setRawDataDecodeEnabled(bool on);
    bool isRawDataDecodeEnabled() const { return m_rawDataDecode.load(); }
    QList<CanDevice *> devices() const;

private slots:
    void slotDoUnregisterDisplayable(QObject *item);
    void slotDoClearScheme();

private:
    bool invokeBlocking(const char *method, QObject *argument);

    mutable std::recursive_mutex m_lock;
    QList<CanDevice *> m_devices;
    std::atomic<bool> m_rawDataDecode{false};
};
