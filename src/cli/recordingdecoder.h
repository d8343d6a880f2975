#pragma once

#include "can/candumpreader.h"
#include "can/dispatchresult.h"
#include "descriptions/autodetector.h"
#include "model/devicedispatcher.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

class AbstractDisplayableItem;
class CanDeviceFactory;
class DbcDatabase;
class J1939Device;
class SchemeController;
class SchemeTreeModel;

// Plays a recording through the dispatcher as fast as it goes, with the devices of a scheme or
// those auto-detection makes from the built-in library. No event loop runs meanwhile: the
// broadcast receive time-outs are judged on the recording's own time stamps instead of timers.
// A decoder is a bus of its own (dispatcher, catalogue, decoding switches) and shares nothing
// with another: decoders run side by side in threads, each used by one thread.
class RecordingDecoder
{
public:
    // One frame and what became of it; `created` lists the items it made.
    using Observer = std::function<void(const TimedFrame &frame, const DispatchResult &result)>;

    RecordingDecoder();
    ~RecordingDecoder();

    bool loadScheme(const QString &path, QString *error);
    // A scheme's text; `path` names it in messages.
    bool loadScheme(const QByteArray &content, const QString &path, QString *error);
    void setAutoDetect(bool on) { m_autoDetect = on; }
    // The engineer's DBC databases: their groups join the units auto-detection makes.
    void setDbcDatabases(const QVector<std::shared_ptr<const DbcDatabase>> &databases);
    // Called for each item auto-detection makes, after it joined the dispatcher.
    void setItemObserver(std::function<void(AbstractDisplayableItem *)> observer)
    {
        m_itemObserver = std::move(observer);
    }

    // Offers one frame to the devices; frames come in recording order.
    void feed(const TimedFrame &frame, DispatchResult *result);

    // For output that only looks at the values now and then (samples): a frame of a function
    // decoded from its description alone, whose identifier went to that function before, is
    // kept instead of decoded, the latest per identifier, and decoded by settle(). Every other
    // frame is decoded at once; routing changes (address claims, new items) settle first.
    void setCoalescing(bool on) { m_coalescing = on; }
    // Offline (the default), items leave out what only the live window uses; supervised, every
    // frame takes the window's full path (for comparison: the outputs are the same).
    void setSupervised(bool on);
    // Decodes the frames kept, each identifier's latest with its own time stamp, in the order
    // the identifiers first waited. Call before reading values.
    void settle();
    // Frames kept and later replaced by a newer one of their identifier (never decoded).
    qint64 coalescedFrames() const { return m_coalesced; }
    void play(const QVector<TimedFrame> &frames, const Observer &observer);

    // The top-level devices in the order they joined (scheme first, then detected ones).
    QList<AbstractDisplayableItem *> devices() const;
    DeviceDispatcher *dispatcher() { return &m_dispatcher; }

private:
    void expireBroadcast(const TimedFrame &frame);
    void detect(const CanMessage &message, DispatchResult *result);
    void addItem(AbstractDisplayableItem *item);

    // Outlives the units made from it.
    std::unique_ptr<CanDeviceFactory> m_catalogue;
    QVector<std::shared_ptr<const DbcDatabase>> m_commandDatabases; // --dbc, kept past a scheme
    DeviceDispatcher m_dispatcher;
    AutoDetector m_detector;
    std::unique_ptr<SchemeTreeModel> m_model;
    std::unique_ptr<SchemeController> m_controller;
    bool m_autoDetect = true;
    std::function<void(AbstractDisplayableItem *)> m_itemObserver;
    // Per source address: the device that takes its broadcasts and the time of its last
    // broadcast frame (µs), for the receive time-out.
    J1939Device *m_broadcastDevice[256] = {};
    qint64 m_lastBroadcastUs[256] = {};
    // Coalescing: per identifier that goes to a description-decoded function, the frame kept.
    struct Waiting
    {
        TimedFrame frame;
        bool waiting = false;
    };
    static constexpr quint8 AddressClaimPf = 0xEE;
    bool coalesce(const TimedFrame &frame, DispatchResult *result);
    void forgetRoutes();
    void learnRoute(const CanMessage &message, const DispatchResult &result);
    bool m_coalescing = false;
    // Identifier (bit 31: extended, so never 0) -> index in m_waiting. Looked up for every frame:
    // open addressing in one array, nothing allocated per frame.
    class RouteTable
    {
    public:
        int find(quint32 key) const
        {
            if (m_slots.empty())
                return -1;
            const size_t mask = m_slots.size() - 1;
            for (size_t i = hash(key) & mask;; i = (i + 1) & mask) {
                if (m_slots[i].key == key)
                    return m_slots[i].value;
                if (m_slots[i].key == 0)
                    return -1;
            }
        }
        void insert(quint32 key, int value);
        void clear()
        {
            m_slots.clear();
            m_count = 0;
        }

    private:
        struct Slot
        {
            quint32 key = 0;
            int value = -1;
        };
        static size_t hash(quint32 key) { return size_t(key * 2654435761u) >> 4; }
        std::vector<Slot> m_slots;
        size_t m_count = 0;
    };
    RouteTable m_routes;
    QVector<Waiting> m_waiting;
    QVector<AbstractDisplayableItem *> m_routeItems; // parallel to m_waiting
    QVector<int> m_waitingOrder;
    qint64 m_coalesced = 0;
    // Frames auto-detection found nothing for, by source and parameter group: not asked again.
    QSet<quint32> m_undetectable;
};
