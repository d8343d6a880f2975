#pragma once

#include "can/candumpreader.h"
#include "can/dispatchresult.h"
#include "descriptions/autodetector.h"
#include "model/devicedispatcher.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class AbstractDisplayableItem;
class J1939Device;
class SchemeController;
class SchemeTreeModel;

// Plays a recording through the dispatcher as fast as it goes, with the devices of a scheme or
// those auto-detection makes from the built-in library. No event loop runs meanwhile: the
// broadcast receive time-outs are judged on the recording's own time stamps instead of timers.
class RecordingDecoder
{
public:
    // One frame and what became of it; `created` lists the items it made.
    using Observer = std::function<void(const TimedFrame &frame, const DispatchResult &result)>;

    RecordingDecoder();
    ~RecordingDecoder();

    bool loadScheme(const QString &path, QString *error);
    void setAutoDetect(bool on) { m_autoDetect = on; }
    // Called for each item auto-detection makes, after it joined the dispatcher.
    void setItemObserver(std::function<void(AbstractDisplayableItem *)> observer)
    {
        m_itemObserver = std::move(observer);
    }

    // Offers one frame to the devices; frames come in recording order.
    void feed(const TimedFrame &frame, DispatchResult *result);
    void play(const QVector<TimedFrame> &frames, const Observer &observer);

    // The top-level devices in the order they joined (scheme first, then detected ones).
    QList<AbstractDisplayableItem *> devices() const;
    DeviceDispatcher *dispatcher() { return &m_dispatcher; }

private:
    void expireBroadcast(const TimedFrame &frame);
    void detect(const CanMessage &message, DispatchResult *result);
    void addItem(AbstractDisplayableItem *item);

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
    // Frames auto-detection found nothing for, by source and parameter group: not asked again.
    QSet<quint32> m_undetectable;
};
