#pragma once

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <functional>

// The progress callback of work on a worker thread: each new percent is handed to `tell` on
// `receiver`'s thread (queued), and the work is told to stop once `cancelled` is set. The flag
// must outlive the work.
template<typename Tell>
std::function<bool(int percent)> workerProgress(QObject *receiver,
                                                const std::atomic<bool> &cancelled, Tell tell)
{
    return [receiver, &cancelled, tell, shown = -1](int percent) mutable {
        if (cancelled.load())
            return false;
        if (percent != shown) {
            shown = percent;
            QMetaObject::invokeMethod(
                receiver, [tell, percent] { tell(percent); }, Qt::QueuedConnection);
        }
        return true;
    };
}
