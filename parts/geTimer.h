/// \file
/// geTimer: frame delta and the local calendar date and time of the last update.
#pragma once
#include "PelmoraPartsApi.h"
#include <ctime>

/// The time between the last two updates (frame delta) and the local calendar date and time of
/// the last update.
///
/// Construct (it takes a first reading), call update() once a frame, read GetDelta() and the date
/// fields. It owns nothing. Note: the date fields come from the C library's local-time record,
/// which the library owns and reuses (now points into it).
class PELMORA_PARTS_API geTimer {
public:
    /// Reads the clock as Reset does.
    geTimer();
    /// Clears frequency and lastCount.
    ~geTimer();

    /// Reads the frequency and the counter twice (a tiny delta), refreshes now.
    void Reset();
    /// Takes a new reading: delta = counter - lastCount, lastCount = counter, refreshes now.
    void update();

    /// Seconds between the last two readings (0 when the frequency is unknown).
    float GetDelta();
    /// Seconds 0..60 of the local time at the last reading (0 when the time is unknown).
    unsigned long GetSeconds();
    /// Minutes 0..59 of the local time at the last reading.
    unsigned long GetMinutes();
    /// Hours 0..23 of the local time at the last reading.
    unsigned long GetHours();
    /// Day of the month 1..31 at the last reading.
    unsigned long GetDay();
    /// Month at the last reading. Note: 0..11, January is 0.
    unsigned long GetMonth();
    /// Year at the last reading. Note: years since 1900 (2024 reads 124).
    unsigned long GetYear();

    long long frequency; ///< counter ticks per second
    long long lastCount; ///< counter value at the last reading
    long long delta;     ///< ticks between the last two readings
    struct tm* now;      ///< local time of the last reading; the C library owns and reuses it (null if unknown)

private:
    void readLocalTime();
};
