#pragma once

// Shared core of the fake adapter libraries: a call log streamed to the test's logger, scripted
// failures and values, queued frames to deliver, frames the handler wrote, and the most calls
// ever seen in flight at once. Plain C++ without Qt, as the vendors' libraries are.

#include <cstdarg>
#include <cstdint>
#include <string>

#if defined(_WIN32)
#define FAKE_EXPORT extern "C" __declspec(dllexport)
#else
#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace fake {

struct Frame
{
    std::uint32_t id = 0;
    int extended = 0;
    int length = 0;
    unsigned char data[8] = {};
};

using Logger = void (*)(const char *line, unsigned long long thread);

// Counts a call in flight for its lifetime and logs it (printf-style arguments).
class Call
{
public:
    Call(const char *format, ...);
    ~Call();
    Call(const Call &) = delete;
    Call &operator=(const Call &) = delete;
};

void log(const char *format, ...);
unsigned long long threadNumber();
// The scripted result of the next call of `function`, once; false when none is scripted.
bool takeFailure(const char *function, long *result);
long value(const char *key, long fallback);
bool takeQueued(Frame *frame);
int queuedCount();
void recordWritten(const Frame &frame);
std::string hex(const unsigned char *bytes, int count);

} // namespace fake

FAKE_EXPORT void Fake_reset();
FAKE_EXPORT void Fake_setLogger(fake::Logger logger);
FAKE_EXPORT void Fake_failNext(const char *function, long result);
FAKE_EXPORT void Fake_setValue(const char *key, long value);
FAKE_EXPORT void Fake_queueFrame(std::uint32_t id, int extended, int length,
                                 const unsigned char *data);
FAKE_EXPORT int Fake_takeWritten(std::uint32_t *id, int *extended, int *length,
                                 unsigned char *data);
FAKE_EXPORT int Fake_maxInFlight();
FAKE_EXPORT int Fake_inFlight();
