#pragma once

#include <mutex>

#include "can/abstractcanmessagedispatcher.h"
#include "can/dispatchresult.h"
#include "model/guardedvalue.h"
#include "model/tpconnection.h"
#include "model/tpsendconnection.h"

#include <QList>
#include <QObject>
#include <QSet>

#include <array>
#include <atomic>
#include <memory>
#include <vector>

class AbstractDisplayableItem;
class CanDevice;

// Offers every received frame to every registered device that can match it, in registration
// order, and fills the frame's result. Lives in the bus thread; registration may come from any
// thread, unregistration and clearing run in the bus thread and block the caller, so a device is
// never deleted during a dispatch.
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

    // How this bus decodes; any thread, read with every frame. The window's bus describes its
    // frames for the raw view and stamps them for the timers; a recording decoded by the
    // console does neither and decodes offline (no change highlight, update mark or receive
    // supervision's timer: no event loop runs to fire it).
    void setDescribeFrames(bool on) { setMode(DispatchResult::DescribeFrames, on); }
    bool describesFrames() const { return mode().testFlag(DispatchResult::DescribeFrames); }
    void setStampWallClock(bool on) { setMode(DispatchResult::StampWallClock, on); }
    bool stampsWallClock() const { return mode().testFlag(DispatchResult::StampWallClock); }
    void setOfflineDecoding(bool on) { setMode(DispatchResult::Live, !on); }
    bool decodesOffline() const { return !mode().testFlag(DispatchResult::Live); }
    DispatchResult::Mode mode() const { return DispatchResult::Mode(m_mode.load()); }
    // How long a changed value stays highlighted after its last change.
    void setChangedHoldMs(qint64 ms) { m_changedHoldMs.store(ms); }
    qint64 changedHoldMs() const { return m_changedHoldMs.load(); }

    // The transport protocol's timings on this bus: receiving (RTS/CTS) and sending. Any thread;
    // a connection reads them as it goes from state to state.
    void setTransportTiming(const TPConnection::Timing &timing) { m_transportTiming.store(timing); }
    TPConnection::Timing transportTiming() const { return m_transportTiming.load(); }
    void setSendTiming(const TPSendConnection::Timing &timing) { m_sendTiming.store(timing); }
    TPSendConnection::Timing sendTiming() const { return m_sendTiming.load(); }

    // The catalogue this bus's units are made from (a CanDeviceFactory). Not owned: whoever
    // starts the bus makes it before the units and keeps it until they are gone.
    void setCatalogue(QObject *catalogue) { m_catalogue.store(catalogue); }
    QObject *catalogue() const { return m_catalogue.load(); }

    // Drops an item being destroyed from the devices; its thread.
    void forget(const AbstractDisplayableItem *item);

private:
    // In the bus thread.
    void doUnregisterDisplayable(QObject *item);
    void doClearScheme();

    // The devices that can match a frame, by the frame's address, in registration order: those
    // bound to that address and every device that is not bound to one. Immutable once built.
    // An index dropped during a dispatch (an item registering another) is kept until the
    // outermost dispatch ends, so the walk stays intact; only a dispatch, which holds the lock,
    // drops one then.
    struct Index
    {
        std::array<std::vector<CanDevice *>, 256> byAddress;
        std::vector<CanDevice *> unbound;
        quint64 addressGeneration = 0;
    };

    const Index *currentIndex();
    // Under the lock: the device list changed.
    void dropIndex();
    void offerMessage(const std::vector<CanDevice *> &devices, const CanMessage &msg,
                      DispatchResult *result, bool decode);

    mutable std::recursive_mutex m_lock;
    QList<CanDevice *> m_devices;
    // Every item registered here (devices and others), told when the dispatcher goes.
    QSet<AbstractDisplayableItem *> m_members;
    std::unique_ptr<const Index> m_index; // null after a change of the device list
    std::vector<std::unique_ptr<const Index>> m_droppedIndexes;
    int m_dispatchDepth = 0; // under the lock
    std::atomic<bool> m_rawDataDecode{false};
    void setMode(DispatchResult::ModeFlag flag, bool on);
    std::atomic<quint8> m_mode{quint8(DispatchResult::Mode(
        DispatchResult::Live | DispatchResult::StampWallClock | DispatchResult::DescribeFrames))};
    std::atomic<qint64> m_changedHoldMs;
    std::atomic<QObject *> m_catalogue{nullptr};
    GuardedValue<TPConnection::Timing> m_transportTiming;
    GuardedValue<TPSendConnection::Timing> m_sendTiming;
};
