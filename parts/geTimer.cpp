#include "geTimer.h"
#include "Timer.h"

geTimer::geTimer()
    : frequency(0), lastCount(0), delta(0), now(nullptr)
{
    Reset();
}

geTimer::~geTimer()
{
    frequency = 0;
    lastCount = 0;
}

void geTimer::readLocalTime()
{
    __time64_t t = (__time64_t)Timer::ReadCalendarTime();
    now = _localtime64(&t);
}

void geTimer::Reset()
{
    frequency = Timer::ReadFrequency();
    lastCount = Timer::ReadCounter();
    long long count = Timer::ReadCounter();
    delta = count - lastCount;
    lastCount = count;
    readLocalTime();
}

void geTimer::update()
{
    long long count = Timer::ReadCounter();
    delta = count - lastCount;
    lastCount = count;
    readLocalTime();
}

float geTimer::GetDelta()
{
    if (frequency <= 0)
        return 0.0f;
    return (float)((double)delta / (double)frequency);
}

// A calendar time the C library cannot convert leaves now null: every field then reads 0.
unsigned long geTimer::GetSeconds() { return now ? (unsigned long)now->tm_sec : 0; }
unsigned long geTimer::GetMinutes() { return now ? (unsigned long)now->tm_min : 0; }
unsigned long geTimer::GetHours()   { return now ? (unsigned long)now->tm_hour : 0; }
unsigned long geTimer::GetDay()     { return now ? (unsigned long)now->tm_mday : 0; }
unsigned long geTimer::GetMonth()   { return now ? (unsigned long)now->tm_mon : 0; }
unsigned long geTimer::GetYear()    { return now ? (unsigned long)now->tm_year : 0; }
