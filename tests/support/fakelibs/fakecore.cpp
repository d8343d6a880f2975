#include "fakecore.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace fake {

namespace {

struct State
{
    std::mutex mutex;
    Logger logger = nullptr;
    std::map<std::string, std::deque<long>> failures;
    std::map<std::string, long> values;
    std::deque<Frame> queued;
    std::deque<Frame> written;
    std::atomic<int> inFlight{0};
    std::atomic<int> maxInFlight{0};
};

State &state()
{
    static State s;
    return s;
}

void vlog(const char *format, va_list args)
{
    if (!*format)
        return;
    char line[4096];
    std::vsnprintf(line, sizeof line, format, args);
    Logger logger = nullptr;
    {
        std::lock_guard<std::mutex> locker(state().mutex);
        logger = state().logger;
    }
    if (logger)
        logger(line, threadNumber());
}

} // namespace

Call::Call(const char *format, ...)
{
    State &s = state();
    const int now = ++s.inFlight;
    int seen = s.maxInFlight.load();
    while (now > seen && !s.maxInFlight.compare_exchange_weak(seen, now)) {
    }
    va_list args;
    va_start(args, format);
    vlog(format, args);
    va_end(args);
    // A call that takes a little while makes overlapping calls from two threads visible.
    const long delayUs = value("callDelayUs", 0);
    if (delayUs > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
}

Call::~Call()
{
    --state().inFlight;
}

void log(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vlog(format, args);
    va_end(args);
}

unsigned long long threadNumber()
{
    return static_cast<unsigned long long>(std::hash<std::thread::id>()(std::this_thread::get_id()));
}

bool takeFailure(const char *function, long *result)
{
    std::lock_guard<std::mutex> locker(state().mutex);
    auto it = state().failures.find(function);
    if (it == state().failures.end() || it->second.empty())
        return false;
    *result = it->second.front();
    it->second.pop_front();
    return true;
}

long value(const char *key, long fallback)
{
    std::lock_guard<std::mutex> locker(state().mutex);
    auto it = state().values.find(key);
    return it == state().values.end() ? fallback : it->second;
}

bool takeQueued(Frame *frame)
{
    std::lock_guard<std::mutex> locker(state().mutex);
    if (state().queued.empty())
        return false;
    *frame = state().queued.front();
    state().queued.pop_front();
    return true;
}

int queuedCount()
{
    std::lock_guard<std::mutex> locker(state().mutex);
    return int(state().queued.size());
}

void recordWritten(const Frame &frame)
{
    std::lock_guard<std::mutex> locker(state().mutex);
    state().written.push_back(frame);
}

std::string hex(const unsigned char *bytes, int count)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0xF];
    }
    return out;
}

} // namespace fake

using fake::state;

FAKE_EXPORT void Fake_reset()
{
    std::lock_guard<std::mutex> locker(state().mutex);
    state().failures.clear();
    state().values.clear();
    state().queued.clear();
    state().written.clear();
    state().maxInFlight = state().inFlight.load();
}

FAKE_EXPORT void Fake_setLogger(fake::Logger logger)
{
    std::lock_guard<std::mutex> locker(state().mutex);
    state().logger = logger;
}

FAKE_EXPORT void Fake_failNext(const char *function, long result)
{
    std::lock_guard<std::mutex> locker(state().mutex);
    state().failures[function].push_back(result);
}

FAKE_EXPORT void Fake_setValue(const char *key, long value)
{
    std::lock_guard<std::mutex> locker(state().mutex);
    state().values[key] = value;
}

FAKE_EXPORT void Fake_queueFrame(std::uint32_t id, int extended, int length,
                                 const unsigned char *data)
{
    fake::Frame frame;
    frame.id = id;
    frame.extended = extended;
    frame.length = length;
    for (int i = 0; i < length && i < 8; ++i)
        frame.data[i] = data[i];
    std::lock_guard<std::mutex> locker(state().mutex);
    state().queued.push_back(frame);
}

FAKE_EXPORT int Fake_takeWritten(std::uint32_t *id, int *extended, int *length,
                                 unsigned char *data)
{
    std::lock_guard<std::mutex> locker(state().mutex);
    if (state().written.empty())
        return 0;
    const fake::Frame frame = state().written.front();
    state().written.pop_front();
    *id = frame.id;
    *extended = frame.extended;
    *length = frame.length;
    for (int i = 0; i < 8; ++i)
        data[i] = frame.data[i];
    return 1;
}

FAKE_EXPORT int Fake_maxInFlight()
{
    return state().maxInFlight.load();
}

FAKE_EXPORT int Fake_inFlight()
{
    return state().inFlight.load();
}
