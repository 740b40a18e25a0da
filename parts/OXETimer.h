// OXETimer: a stopwatch in whole seconds of calendar time that can be paused and resumed.
#pragma once
#include "PelmoraPartsApi.h"

class PELMORA_PARTS_API OXETimer {
public:
    OXETimer(); // all zero, not running
    ~OXETimer();

    void start();                  // if not running: running, startTime = now
    void stop();                   // if running: adds the seconds since startTime, not running
    unsigned long getElapsedSecs(); // all seconds counted so far (adds the running stretch, keeps running)
    unsigned long getElapsedTime(); // seconds since startTime while running, else 0
    void reset();                  // counts from zero again; a running timer keeps running

    long long lastTime;    // calendar time of the last accumulation
    long long accumulated; // seconds counted in finished stretches
    long long startTime;   // calendar time at which the current stretch began
    bool running;          // true between start and stop

private:
    void accumulate(long long now); // adds now - startTime and begins a new stretch at now
};
