// The injection test's host programs (transition_frames, engine_frames) report each engine call's
// result the same way: a line "host\t<step>\t0x<code>" on stdout and appended to the report the
// stand-in d3d9.dll writes (PELMORA_INJECT_REPORT), so the test reads them beside its own lines.
#pragma once

#include <windows.h>
#include <cstdio>
#include <cstring>

inline void Result(const char* step, long code)
{
    char line[128];
    std::snprintf(line, sizeof line, "host\t%s\t0x%08lX\n", step, (unsigned long)code);
    std::fputs(line, stdout);
    std::fflush(stdout);
    char report[MAX_PATH] = {};
    if (GetEnvironmentVariableA("PELMORA_INJECT_REPORT", report, MAX_PATH)) {
        HANDLE file = CreateFileA(report, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            ::WriteFile(file, line, DWORD(std::strlen(line)), &written, nullptr);
            CloseHandle(file);
        }
    }
}
