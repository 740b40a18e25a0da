// OXETimerF: a frame timer. Update once per frame: the length of the last frame, the running
// time and the frames per second measured over half-second intervals.
#pragma once
#include "PelmoraPartsApi.h"

class PELMORA_PARTS_API OXETimerF {
public:
    OXETimerF(); // frequency read, counts and figures zero, half-second fps interval, stopped
    ~OXETimerF();

    void Start();   // if stopped: runs from now
    void Stop();    // if running: adds the time since the last update to the running time
    void Update();  // once per frame while running

    float GetElapsedTime(); // seconds of the last frame, 0 when stopped
    float GetRunningTime(); // seconds counted while running
    float GetFPS();         // frames per second of the last finished interval, 0 before the first
    int IsStopped();

    long long frequency;     // counter ticks per second
    long long currentCount;  // counter value of the last update
    long long lastCount;     // counter value of the update before (or of Start)
    long long fpsStartCount; // counter value at which the current fps interval began
    long long fpsInterval;   // ticks in one fps interval (half a second)
    unsigned int frameCount; // updates in the current fps interval
    float runningTime;       // seconds counted while running
    float elapsed;           // seconds of the last frame
    float fps;               // frames per second of the last finished interval
    int stopped;             // 1 while stopped
};
