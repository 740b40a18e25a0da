/// \file
/// Timer: a stopwatch on the high-resolution performance counter, and the clocks every timer of
/// PelmoraParts reads.
#pragma once
#include "PelmoraPartsApi.h"

/// A clock: returns a counter value, a frequency or a calendar time (see Timer::SetClockSources).
typedef long long (*TimerClockSource)();

/// A stopwatch on the high-resolution performance counter (microsecond resolution).
///
/// Construct, start(), read the elapsed time any number of times, stop() to freeze it; start()
/// again measures from that moment. It owns nothing. The class also holds the clocks that every
/// timer of this library reads, so that a program (or a test) can put its own clock in place of
/// the system's. Note: a timer never started measures from counter value 0 (the machine's start).
class PELMORA_PARTS_API Timer {
public:
    /// Frequency read from the clock, both times 0, running (stopped 0), both counts 0.
    Timer();
    /// Does nothing.
    ~Timer();

    /// Starts measuring now: stopped = 0, startCount = the counter.
    void start();
    /// Freezes the elapsed time at this moment: stopped = 1, endCount = the counter.
    void stop();
    /// Seconds since start (or from start to stop); the same as getElapsedTimeInSec.
    double getElapsedTime();
    /// Seconds since start (or from start to stop).
    double getElapsedTimeInSec();
    /// Milliseconds since start (or from start to stop).
    double getElapsedTimeInMilliSec();
    /// Microseconds since start (or from start to stop); stores both moments in the fields.
    double getElapsedTimeInMicroSec();

    /// Replaces the clocks of all timers in this library: the performance counter, its ticks per
    /// second, and the calendar time in whole seconds since 1970. A null source restores the
    /// system's (QueryPerformanceCounter, QueryPerformanceFrequency, _time64).
    ///
    /// Note: the clocks are PelmoraParts.dll's own: timers already made keep the frequency they
    /// read when constructed.
    static void SetClockSources(TimerClockSource counter, TimerClockSource frequency,
                                TimerClockSource calendar);
    /// The counter value of the current clock.
    static long long ReadCounter();
    /// Counter ticks per second of the current clock; never below 1.
    static long long ReadFrequency();
    /// Calendar time in whole seconds since 1970 of the current clock.
    static long long ReadCalendarTime();

    double startTimeInMicroSec; ///< start moment in microseconds of the counter, set when measured
    double endTimeInMicroSec;   ///< end moment in microseconds of the counter, set when measured
    int stopped;                ///< 1 after stop: the elapsed time stays frozen at the stop moment
    long long frequency;        ///< counter ticks per second
    long long startCount;       ///< counter value at start
    long long endCount;         ///< counter value at stop, or at the last reading while running
};
