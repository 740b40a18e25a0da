#include "OXETimerF.h"
#include "Timer.h"

OXETimerF::OXETimerF()
    : frequency(Timer::ReadFrequency()), currentCount(0), lastCount(0), fpsStartCount(0),
      fpsInterval(0), frameCount(0), runningTime(0.0f), elapsed(0.0f), fps(0.0f), stopped(1)
{
    fpsInterval = frequency / 2;
}

OXETimerF::~OXETimerF() {}

void OXETimerF::Start()
{
    if (!stopped)
        return;
    lastCount = Timer::ReadCounter();
    // The fps interval begins with the run: frames are counted from here, and the time spent
    // stopped is not taken for frame time.
    fpsStartCount = lastCount;
    frameCount = 0;
    stopped = 0;
}

void OXETimerF::Stop()
{
    if (stopped)
        return;
    long long count = Timer::ReadCounter();
    runningTime += (float)((double)(count - lastCount) / (double)frequency);
    stopped = 1;
}

void OXETimerF::Update()
{
    if (stopped)
        return;
    currentCount = Timer::ReadCounter();
    elapsed = (float)((double)(currentCount - lastCount) / (double)frequency);
    runningTime += elapsed;
    frameCount += 1;

    if ((unsigned long long)(currentCount - fpsStartCount) >= (unsigned long long)fpsInterval) {
        float now = (float)((double)currentCount / (double)frequency);
        float begin = (float)((double)fpsStartCount / (double)frequency);
        // A counter so large that single precision cannot tell the two moments apart gives no
        // figure rather than an infinite one.
        if (now > begin)
            fps = (float)frameCount / (now - begin);
        fpsStartCount = currentCount;
        frameCount = 0;
    }
    lastCount = currentCount;
}

float OXETimerF::GetElapsedTime()
{
    return stopped ? 0.0f : elapsed;
}

float OXETimerF::GetRunningTime()
{
    return runningTime;
}

float OXETimerF::GetFPS()
{
    return fps;
}

int OXETimerF::IsStopped()
{
    return stopped;
}
