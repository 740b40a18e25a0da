// ProcessCounters: the resource counts of a running process as Windows reports them (handles,
// GDI and USER objects, memory), read from outside the process. The endurance run samples the
// game with it.
#pragma once
#include <windows.h>
#include <cstdint>

// One reading of a process's counters.
struct ProcessCounters {
    DWORD pid = 0;               // Windows process id
    DWORD handles = 0;           // open kernel object handles (GetProcessHandleCount, else the system's handle list)
    DWORD threads = 0;           // threads (the system's process list)
    DWORD gdiObjects = 0;        // GDI objects (GetGuiResources, GR_GDIOBJECTS)
    DWORD userObjects = 0;       // USER objects (GetGuiResources, GR_USEROBJECTS)
    uint64_t privateBytes = 0;   // committed private memory (PrivateUsage, else PagefileUsage)
    uint64_t workingSet = 0;     // resident memory (WorkingSetSize)
    uint64_t peakWorkingSet = 0; // largest resident size so far (PeakWorkingSetSize)
};

// The id of the first running process whose executable file name is exeName (compared without
// regard to case, path left out). 0 when there is none.
DWORD FindProcessByName(const char* exeName);

// Reads the counters of process pid. Where a system leaves a counter at 0 although it knows it
// (Wine's GetProcessHandleCount and PrivateUsage), the equal figure from another source is used:
// the process's entries in the system's handle list, the page file usage (the commit charge). False when the process cannot be opened or its memory
// counters cannot be read (then out is left as it was).
bool ReadProcessCounters(DWORD pid, ProcessCounters* out);
