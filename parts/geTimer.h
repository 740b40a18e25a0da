// geTimer: the time between the last two updates (frame delta) and the local calendar date
// and time of the last update.
#pragma once
#include "PelmoraPartsApi.h"
#include <ctime>

class PELMORA_PARTS_API geTimer {
public:
    geTimer();  // as Reset
    ~geTimer(); // clears frequency and lastCount

    void Reset();   // reads the frequency and the counter twice (a tiny delta), refreshes now
    void update();  // delta = counter - lastCount, lastCount = counter, refreshes now

    float GetDelta();             // seconds between the last two readings
    unsigned long GetSeconds();   // 0..60 of the local time at the last reading
    unsigned long GetMinutes();   // 0..59
    unsigned long GetHours();     // 0..23
    unsigned long GetDay();       // day of the month, 1..31
    unsigned long GetMonth();     // 0..11
    unsigned long GetYear();      // years since 1900

    long long frequency; // counter ticks per second
    long long lastCount; // counter value at the last reading
    long long delta;     // ticks between the last two readings
    struct tm* now;      // local time of the last reading; the C library owns and reuses it (null if unknown)

private:
    void readLocalTime();
};
