#include "Timer.h"
#include <windows.h>
#include <ctime>

static long long SystemCounter()
{
    LARGE_INTEGER value;
    QueryPerformanceCounter(&value);
    return value.QuadPart;
}

static long long SystemFrequency()
{
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    return value.QuadPart;
}

static long long SystemCalendarTime()
{
    return (long long)_time64(nullptr);
}

static TimerClockSource g_counterSource = SystemCounter;
static TimerClockSource g_frequencySource = SystemFrequency;
static TimerClockSource g_calendarSource = SystemCalendarTime;

void Timer::SetClockSources(TimerClockSource counter, TimerClockSource frequency,
                            TimerClockSource calendar)
{
    g_counterSource = counter ? counter : SystemCounter;
    g_frequencySource = frequency ? frequency : SystemFrequency;
    g_calendarSource = calendar ? calendar : SystemCalendarTime;
}

long long Timer::ReadCounter()
{
    return g_counterSource();
}

long long Timer::ReadFrequency()
{
    // Every timer divides by the frequency: a clock that reports none counts in plain ticks.
    long long f = g_frequencySource();
    return f > 0 ? f : 1;
}

long long Timer::ReadCalendarTime()
{
    return g_calendarSource();
}

Timer::Timer()
    : startTimeInMicroSec(0.0), endTimeInMicroSec(0.0), stopped(0),
      frequency(ReadFrequency()), startCount(0), endCount(0)
{
}

Timer::~Timer()
{
}

void Timer::start()
{
    stopped = 0;
    startCount = ReadCounter();
}

void Timer::stop()
{
    stopped = 1;
    endCount = ReadCounter();
}

double Timer::getElapsedTimeInMicroSec()
{
    if (!stopped)
        endCount = ReadCounter();
    double microPerTick = 1000000.0 / (double)frequency;
    startTimeInMicroSec = (double)startCount * microPerTick;
    endTimeInMicroSec = (double)endCount * microPerTick;
    return endTimeInMicroSec - startTimeInMicroSec;
}

double Timer::getElapsedTimeInMilliSec()
{
    return getElapsedTimeInMicroSec() * 0.001;
}

double Timer::getElapsedTimeInSec()
{
    return getElapsedTimeInMicroSec() * 0.000001;
}

double Timer::getElapsedTime()
{
    return getElapsedTimeInSec();
}
