#pragma once

#include <QtGlobal>

// The time the bus's frames are on. On a live bus that is the wall clock. While the window
// plays a recording it is the recording's own time: it stands still while the player pauses,
// runs faster or slower with its speed and jumps when it seeks, so plots, logs and the receive
// supervision judge the recording as it was, not the wall clock. Any thread.
class BusClock
{
public:
    // Milliseconds since the epoch on the bus's time.
    static qint64 nowMs();
    // Bus milliseconds per wall millisecond: 1 on a live bus, 0 while a recording is paused.
    static double rate();
    static bool followsRecording();
    // A wall-clock interval that spans `busMs` of bus time (at least 1 ms); `busMs` itself on
    // a live bus or while paused.
    static int wallInterval(int busMs);

    // From now on the bus's time is `busMs` and runs at `rate` (0: stands still).
    static void followRecording(qint64 busMs, double rate);
    static void followWallClock();
};
