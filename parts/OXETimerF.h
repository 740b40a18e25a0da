/// \file
/// OXETimerF: a frame timer with running time and frames per second.
#pragma once
#include "PelmoraPartsApi.h"

/// A frame timer: the length of the last frame, the running time and the frames per second
/// measured over half-second intervals.
///
/// Construct (stopped), Start(), then Update() once per frame and read the figures; Stop() and
/// Start() pause and resume. It owns nothing. Note: a new timer is stopped and reports 0 for the
/// frame time until Start.
class PELMORA_PARTS_API OXETimerF {
public:
    /// Frequency read, counts and figures zero, half-second fps interval, stopped.
    OXETimerF();
    /// Does nothing.
    ~OXETimerF();

    /// If stopped: runs from now, and a new fps interval begins.
    void Start();
    /// If running: adds the time since the last update to the running time and stops.
    void Stop();
    /// Once per frame while running: frame time, running time, and the fps figure at the end of
    /// each half-second interval. Does nothing while stopped.
    void Update();

    /// Seconds of the last frame, 0 when stopped.
    float GetElapsedTime();
    /// Seconds counted while running.
    float GetRunningTime();
    /// Frames per second of the last finished interval, 0 before the first.
    float GetFPS();
    /// 1 while stopped, 0 while running.
    int IsStopped();

    long long frequency;     ///< counter ticks per second
    long long currentCount;  ///< counter value of the last update
    long long lastCount;     ///< counter value of the update before (or of Start)
    long long fpsStartCount; ///< counter value at which the current fps interval began
    long long fpsInterval;   ///< ticks in one fps interval (half a second)
    unsigned int frameCount; ///< updates in the current fps interval
    float runningTime;       ///< seconds counted while running
    float elapsed;           ///< seconds of the last frame
    float fps;               ///< frames per second of the last finished interval
    int stopped;             ///< 1 while stopped
};
