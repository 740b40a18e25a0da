// The four timers, driven by substituted clocks: a counter and a calendar the test moves by hand.
#include <gtest/gtest.h>
#include <windows.h>
#include <ctime>
#include "Timer.h"
#include "geTimer.h"
#include "OXETimer.h"
#include "OXETimerF.h"

namespace {

long long g_counter = 0;
long long g_frequency = 1000; // one tick is one millisecond
long long g_calendar = 0;

long long FakeCounter() { return g_counter; }
long long FakeFrequency() { return g_frequency; }
long long FakeCalendar() { return g_calendar; }

class Timers : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_counter = 0;
        g_frequency = 1000;
        g_calendar = 1700000000;
        Timer::SetClockSources(FakeCounter, FakeFrequency, FakeCalendar);
    }
    void TearDown() override { Timer::SetClockSources(nullptr, nullptr, nullptr); }
};

TEST_F(Timers, TimerMeasuresFromStartInEveryUnit)
{
    Timer t;
    EXPECT_EQ(t.frequency, 1000);
    g_counter = 1000;
    t.start();
    g_counter = 1500;
    EXPECT_DOUBLE_EQ(t.getElapsedTimeInMilliSec(), 500.0);
    EXPECT_DOUBLE_EQ(t.getElapsedTimeInMicroSec(), 500000.0);
    EXPECT_DOUBLE_EQ(t.getElapsedTimeInSec(), 0.5);
    EXPECT_DOUBLE_EQ(t.getElapsedTime(), 0.5);
    EXPECT_DOUBLE_EQ(t.startTimeInMicroSec, 1000000.0);
    EXPECT_DOUBLE_EQ(t.endTimeInMicroSec, 1500000.0);
}

TEST_F(Timers, TimerNeverStartedMeasuresFromCounterZero)
{
    Timer t;
    g_counter = 5000;
    EXPECT_DOUBLE_EQ(t.getElapsedTimeInMilliSec(), 5000.0);
}

TEST_F(Timers, TimerFreezesWhenStoppedAndRestartsFromZero)
{
    Timer t;
    g_counter = 100;
    t.start();
    g_counter = 800;
    t.stop();
    g_counter = 9000;
    EXPECT_DOUBLE_EQ(t.getElapsedTimeInMilliSec(), 700.0);
    EXPECT_DOUBLE_EQ(t.getElapsedTimeInMilliSec(), 700.0);
    t.stop();
    t.start();
    EXPECT_DOUBLE_EQ(t.getElapsedTimeInMilliSec(), 0.0);
    g_counter = 9070;
    EXPECT_DOUBLE_EQ(t.getElapsedTimeInMilliSec(), 70.0);
}

TEST_F(Timers, ClockWithoutFrequencyGivesFiniteTimes)
{
    g_frequency = 0;
    Timer t;
    EXPECT_EQ(t.frequency, 1);
    g_counter = 3;
    EXPECT_DOUBLE_EQ(t.getElapsedTimeInSec(), 3.0);
    OXETimerF f;
    f.Start();
    g_counter = 5;
    f.Update();
    EXPECT_FLOAT_EQ(f.GetElapsedTime(), 2.0f);
}

TEST_F(Timers, SystemClockRunsForward)
{
    Timer::SetClockSources(nullptr, nullptr, nullptr);
    Timer t;
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    EXPECT_EQ(t.frequency, frequency.QuadPart);
    // What is measured lies between two readings of the same counter taken around it.
    QueryPerformanceCounter(&before);
    t.start();
    double first = t.getElapsedTimeInMicroSec();
    double second = t.getElapsedTimeInMicroSec();
    QueryPerformanceCounter(&after);
    const double bracket = double(after.QuadPart - before.QuadPart) * 1e6 / double(frequency.QuadPart);
    EXPECT_GE(first, 0.0);
    EXPECT_GE(second, first);
    EXPECT_LE(second, bracket + 1e-6);
}

TEST_F(Timers, GeTimerDeltaBetweenUpdates)
{
    g_counter = 100;
    geTimer t;
    EXPECT_EQ(t.frequency, 1000);
    EXPECT_EQ(t.lastCount, 100);
    EXPECT_FLOAT_EQ(t.GetDelta(), 0.0f);
    g_counter = 600;
    t.update();
    EXPECT_FLOAT_EQ(t.GetDelta(), 0.5f);
    g_counter = 625;
    t.update();
    EXPECT_FLOAT_EQ(t.GetDelta(), 0.025f);
    g_counter = 2000;
    t.Reset();
    EXPECT_FLOAT_EQ(t.GetDelta(), 0.0f);
    EXPECT_EQ(t.lastCount, 2000);
}

TEST_F(Timers, GeTimerDateIsTheLocalTimeOfTheLastReading)
{
    geTimer t;
    __time64_t when = (__time64_t)g_calendar;
    struct tm expected = *_localtime64(&when);
    EXPECT_EQ(t.GetSeconds(), (unsigned long)expected.tm_sec);
    EXPECT_EQ(t.GetMinutes(), (unsigned long)expected.tm_min);
    EXPECT_EQ(t.GetHours(), (unsigned long)expected.tm_hour);
    EXPECT_EQ(t.GetDay(), (unsigned long)expected.tm_mday);
    EXPECT_EQ(t.GetMonth(), (unsigned long)expected.tm_mon);
    EXPECT_EQ(t.GetYear(), (unsigned long)expected.tm_year);

    g_calendar += 86400 * 40; // forty days later
    t.update();
    when = (__time64_t)g_calendar;
    expected = *_localtime64(&when);
    EXPECT_EQ(t.GetDay(), (unsigned long)expected.tm_mday);
    EXPECT_EQ(t.GetMonth(), (unsigned long)expected.tm_mon);
}

TEST_F(Timers, GeTimerUnconvertibleTimeReadsZero)
{
    g_calendar = -1;
    geTimer t;
    // The C library converts no time before 1970: no record, and every field reads 0.
    EXPECT_EQ(t.now, nullptr);
    EXPECT_EQ(t.GetSeconds(), 0u);
    EXPECT_EQ(t.GetMonth(), 0u);
    EXPECT_EQ(t.GetYear(), 0u);
}

TEST_F(Timers, OXETimerCountsWholeSecondsAcrossPauses)
{
    OXETimer t;
    EXPECT_FALSE(t.running);
    EXPECT_EQ(t.getElapsedTime(), 0u);
    EXPECT_EQ(t.getElapsedSecs(), 0u);

    t.start();
    EXPECT_EQ(t.getElapsedTime(), 0u);
    g_calendar += 3;
    EXPECT_EQ(t.getElapsedTime(), 3u);
    g_calendar += 2;
    t.stop();
    EXPECT_EQ(t.getElapsedSecs(), 5u);
    EXPECT_EQ(t.getElapsedTime(), 0u);

    g_calendar += 1000; // paused: not counted
    EXPECT_EQ(t.getElapsedSecs(), 5u);
    t.start();
    t.start(); // a second start does not move the stretch's beginning
    g_calendar += 4;
    EXPECT_EQ(t.getElapsedSecs(), 9u);
    EXPECT_TRUE(t.running);
    g_calendar += 1;
    EXPECT_EQ(t.getElapsedSecs(), 10u);
}

TEST_F(Timers, OXETimerResetKeepsARunningTimerRunning)
{
    OXETimer t;
    t.start();
    g_calendar += 7;
    t.reset();
    EXPECT_TRUE(t.running);
    EXPECT_EQ(t.getElapsedTime(), 0u);
    EXPECT_EQ(t.getElapsedSecs(), 0u);
    g_calendar += 2;
    EXPECT_EQ(t.getElapsedSecs(), 2u);

    t.stop();
    t.reset();
    EXPECT_FALSE(t.running);
    EXPECT_EQ(t.getElapsedSecs(), 0u);
}

TEST_F(Timers, OXETimerFFramesAndRunningTime)
{
    OXETimerF t;
    EXPECT_EQ(t.IsStopped(), 1);
    EXPECT_EQ(t.fpsInterval, 500);
    g_counter = 1000;
    t.Update(); // stopped: nothing happens
    EXPECT_FLOAT_EQ(t.GetRunningTime(), 0.0f);

    t.Start();
    EXPECT_EQ(t.IsStopped(), 0);
    g_counter = 1016;
    t.Update();
    EXPECT_FLOAT_EQ(t.GetElapsedTime(), 0.016f);
    EXPECT_FLOAT_EQ(t.GetRunningTime(), 0.016f);

    g_counter = 1040;
    t.Update();
    EXPECT_FLOAT_EQ(t.GetElapsedTime(), 0.024f);
    EXPECT_FLOAT_EQ(t.GetRunningTime(), 0.040f);

    g_counter = 1050;
    t.Stop();
    EXPECT_EQ(t.IsStopped(), 1);
    EXPECT_FLOAT_EQ(t.GetElapsedTime(), 0.0f);
    EXPECT_FLOAT_EQ(t.GetRunningTime(), 0.050f);

    g_counter = 5000; // stopped time is not counted
    t.Start();
    g_counter = 5010;
    t.Update();
    EXPECT_FLOAT_EQ(t.GetElapsedTime(), 0.010f);
    EXPECT_FLOAT_EQ(t.GetRunningTime(), 0.060f);
}

TEST_F(Timers, OXETimerFReportsFpsAfterHalfASecond)
{
    OXETimerF t;
    g_counter = 1000;
    t.Start();
    int frames = 0;
    while (g_counter + 16 < 1500) {
        g_counter += 16;
        t.Update();
        frames++;
        ASSERT_FLOAT_EQ(t.GetFPS(), 0.0f) << "after " << frames << " frames";
    }
    g_counter += 16; // 1512: the interval is complete
    t.Update();
    frames++;
    EXPECT_EQ(frames, 32);
    EXPECT_FLOAT_EQ(t.GetFPS(), 32.0f / 0.512f);
    EXPECT_EQ(t.frameCount, 0u);
    EXPECT_EQ(t.fpsStartCount, 1512);

    // The figure stays until the next interval completes, then follows the new frame rate.
    for (int i = 0; i < 10; i++) {
        g_counter += 50;
        t.Update();
    }
    EXPECT_FLOAT_EQ(t.GetFPS(), 20.0f);
}

} // namespace
