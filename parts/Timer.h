// Timer: a stopwatch on the high-resolution performance counter (microsecond resolution).
// It also holds the clocks that every timer of this library reads, so that a program (or a
// test) can put its own clock in place of the system's.
#pragma once
#include "PelmoraPartsApi.h"

typedef long long (*TimerClockSource)(); // returns a counter value, a frequency or a calendar time

class PELMORA_PARTS_API Timer {
public:
    Timer();  // frequency read from the clock, times 0, running (stopped 0), counts 0
    ~Timer();

    void start();                        // stopped = 0, startCount = now
    void stop();                         // stopped = 1, endCount = now
    double getElapsedTime();             // seconds since start (or until stop)
    double getElapsedTimeInSec();        // the same
    double getElapsedTimeInMilliSec();
    double getElapsedTimeInMicroSec();

    // The clocks of all timers in this library: the performance counter, its ticks per second,
    // and the calendar time in whole seconds since 1970. A null source restores the system's
    // (QueryPerformanceCounter, QueryPerformanceFrequency, _time64).
    static void SetClockSources(TimerClockSource counter, TimerClockSource frequency,
                                TimerClockSource calendar);
    static long long ReadCounter();
    static long long ReadFrequency();     // never below 1
    static long long ReadCalendarTime();

    double startTimeInMicroSec; // start moment in microseconds of the counter, set when measured
    double endTimeInMicroSec;   // end moment in microseconds of the counter, set when measured
    int stopped;                // 1 after stop: the elapsed time stays frozen at the stop moment
    long long frequency;        // counter ticks per second
    long long startCount;       // counter value at start
    long long endCount;         // counter value at stop, or at the last reading while running
};
