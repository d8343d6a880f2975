#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>

#if defined(__SANITIZE_THREAD__)
#define TARVIK_MARK_HANDOVERS 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TARVIK_MARK_HANDOVERS 1
#endif
#endif
#ifdef TARVIK_MARK_HANDOVERS
#include <sanitizer/tsan_interface.h>
#endif

// A blocking call into another thread orders everything the caller did before it before the
// work, and the work before everything after it: Qt's event queue and the call's semaphore see
// to that. Qt is not instrumented, so these marks tell ThreadSanitizer; no code elsewhere.
namespace ThreadHandOver {
inline void release(void *token)
{
#ifdef TARVIK_MARK_HANDOVERS
    __tsan_release(token);
#else
    Q_UNUSED(token)
#endif
}

inline void acquire(void *token)
{
#ifdef TARVIK_MARK_HANDOVERS
    __tsan_acquire(token);
#else
    Q_UNUSED(token)
#endif
}
} // namespace ThreadHandOver

// Runs `work` in the thread of `context` and waits for it; directly when that is this thread.
// False when the call could not be queued (the work did not run).
template<typename Work>
bool runInThreadOf(QObject *context, Work &&work)
{
    if (QThread::currentThread() == context->thread()) {
        work();
        return true;
    }
    char token = 0;
    ThreadHandOver::release(&token);
    const bool queued = QMetaObject::invokeMethod(
        context,
        [&token, &work] {
            ThreadHandOver::acquire(&token);
            work();
            ThreadHandOver::release(&token);
        },
        Qt::BlockingQueuedConnection);
    ThreadHandOver::acquire(&token);
    return queued;
}
