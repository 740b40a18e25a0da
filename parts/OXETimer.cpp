#include "OXETimer.h"
#include "Timer.h"

OXETimer::OXETimer()
    : lastTime(0), accumulated(0), startTime(0), running(false)
{
}

OXETimer::~OXETimer() {}

void OXETimer::accumulate(long long now)
{
    if (startTime == 0)
        startTime = now;
    lastTime = now;
    accumulated += now - startTime;
    startTime = now;
}

void OXETimer::start()
{
    if (running)
        return;
    running = true;
    startTime = Timer::ReadCalendarTime();
}

void OXETimer::stop()
{
    if (!running)
        return;
    accumulate(Timer::ReadCalendarTime());
    running = false;
}

unsigned long OXETimer::getElapsedSecs()
{
    if (running)
        accumulate(Timer::ReadCalendarTime());
    return (unsigned long)(accumulated & 0xFFFFFFFFll);
}

unsigned long OXETimer::getElapsedTime()
{
    if (!running)
        return 0;
    return (unsigned long)((Timer::ReadCalendarTime() - startTime) & 0xFFFFFFFFll);
}

void OXETimer::reset()
{
    bool wasRunning = running;
    if (wasRunning)
        stop();
    startTime = Timer::ReadCalendarTime();
    accumulated = 0;
    if (wasRunning)
        start();
}
