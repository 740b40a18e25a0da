/// \file
/// OXETimer: a stopwatch in whole seconds of calendar time.
#pragma once
#include "PelmoraPartsApi.h"

/// A stopwatch in whole seconds of calendar time that can be paused and resumed.
///
/// Construct (not running), start(), stop() and start() again to pause and resume, read the
/// seconds. It owns nothing. Note: it counts whole seconds of the calendar clock, so a stretch
/// shorter than a second may count 0 or 1.
class PELMORA_PARTS_API OXETimer {
public:
    /// All zero, not running.
    OXETimer();
    /// Does nothing.
    ~OXETimer();

    /// If not running: running from now (startTime = now). A running timer is left alone.
    void start();
    /// If running: adds the seconds since startTime to accumulated and stops.
    void stop();
    /// All seconds counted so far (low 32 bits); a running timer adds its current stretch and keeps running.
    unsigned long getElapsedSecs();
    /// Seconds since startTime while running (low 32 bits), 0 when not running.
    ///
    /// Note: only the current stretch, not the stretches before a pause; and getElapsedSecs
    /// begins a new stretch, so this counts from the last getElapsedSecs.
    unsigned long getElapsedTime();
    /// Counts from zero again; a running timer keeps running.
    void reset();

    long long lastTime;    ///< calendar time of the last accumulation
    long long accumulated; ///< seconds counted in finished stretches
    long long startTime;   ///< calendar time at which the current stretch began
    bool running;          ///< true between start and stop

private:
    void accumulate(long long now); // adds now - startTime and begins a new stretch at now
};
