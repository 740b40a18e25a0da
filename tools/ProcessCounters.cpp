// ProcessCounters: reads another process's handle, GDI/USER object and memory counters.
#include "ProcessCounters.h"
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>
#include <cstddef>
#include <cstring>
#include <vector>

// The file name part of a path ("C:\\x\\game.exe" -> "game.exe").
static const char* FileNamePart(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/')
            name = p + 1;
    return name;
}

DWORD FindProcessByName(const char* exeName)
{
    if (!exeName || !*exeName)
        return 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    DWORD found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry)) {
        if (_stricmp(FileNamePart(entry.szExeFile), FileNamePart(exeName)) == 0)
            found = entry.th32ProcessID;
    }
    CloseHandle(snapshot);
    return found;
}

typedef NTSTATUS(NTAPI* QuerySystemInformationFn)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);

// Fills buffer with one class of the system's information, growing it as needed. False when the
// query is not offered or keeps failing.
static bool QuerySystem(int infoClass, std::vector<unsigned char>& buffer)
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    QuerySystemInformationFn query =
        ntdll ? reinterpret_cast<QuerySystemInformationFn>(GetProcAddress(ntdll, "NtQuerySystemInformation")) : nullptr;
    if (!query)
        return false;
    const NTSTATUS kLengthMismatch = NTSTATUS(0xC0000004L);
    if (buffer.size() < 64 * 1024)
        buffer.resize(64 * 1024);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        NTSTATUS status = query(SYSTEM_INFORMATION_CLASS(infoClass), buffer.data(), ULONG(buffer.size()), &needed);
        if (status >= 0)
            return true;
        if (status != kLengthMismatch)
            return false;
        // Some systems report the size needed, some do not: take the larger of it and double.
        buffer.resize(needed > buffer.size() * 2 ? needed + 64 * 1024 : buffer.size() * 2);
    }
    return false;
}

// Thread count and handle-table figure of process pid from the system's process list.
static bool ReadProcessListCounts(DWORD pid, DWORD* handles, DWORD* threads)
{
    std::vector<unsigned char> buffer;
    if (!QuerySystem(SystemProcessInformation, buffer))
        return false;
    size_t offset = 0;
    for (;;) {
        if (offset + sizeof(SYSTEM_PROCESS_INFORMATION) > buffer.size())
            return false;
        const SYSTEM_PROCESS_INFORMATION* entry =
            reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + offset);
        if (DWORD(ULONG_PTR(entry->UniqueProcessId)) == pid) {
            *handles = entry->HandleCount;
            *threads = entry->NumberOfThreads;
            return true;
        }
        if (entry->NextEntryOffset == 0)
            return false;
        offset += entry->NextEntryOffset;
    }
}

// One entry of the system's extended handle list (information class 64).
struct SystemHandleEntry {
    PVOID object;        // the kernel object
    ULONG_PTR processId; // the process holding the handle
    ULONG_PTR handle;    // the handle's value in that process
    ULONG access;        // granted access
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG attributes;
    ULONG reserved;
};
struct SystemHandleList {
    ULONG_PTR count;     // entries that follow
    ULONG_PTR reserved;
    SystemHandleEntry entries[1];
};
const int kSystemExtendedHandleInformation = 64;

// The exact number of open handles of process pid, from the system's handle list. False when
// the list cannot be read.
static bool CountHandlesInSystemList(DWORD pid, DWORD* handles)
{
    std::vector<unsigned char> buffer(1024 * 1024);
    if (!QuerySystem(kSystemExtendedHandleInformation, buffer))
        return false;
    const SystemHandleList* list = reinterpret_cast<const SystemHandleList*>(buffer.data());
    size_t room = (buffer.size() - offsetof(SystemHandleList, entries)) / sizeof(SystemHandleEntry);
    size_t count = list->count < room ? size_t(list->count) : room;
    DWORD n = 0;
    for (size_t i = 0; i < count; ++i)
        if (list->entries[i].processId == pid)
            ++n;
    *handles = n;
    return true;
}

bool ReadProcessCounters(DWORD pid, ProcessCounters* out)
{
    if (!out)
        return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process)
        process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return false;

    ProcessCounters c;
    c.pid = pid;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    bool ok = GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory)) != 0;
    if (ok) {
        c.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
        c.workingSet = memory.WorkingSetSize;
        c.peakWorkingSet = memory.PeakWorkingSetSize;
        // The handle and object counts are extras: a system that does not report them leaves 0.
        if (!GetProcessHandleCount(process, &c.handles))
            c.handles = 0;
        DWORD listHandles = 0, listThreads = 0;
        if (ReadProcessListCounts(pid, &listHandles, &listThreads))
            c.threads = listThreads;
        // Wine answers GetProcessHandleCount with 0 and gives its handle table's size (grown
        // and shrunk in powers of two) in the process list: count the handles one by one in the
        // system's handle list instead, and take the table size only when that list is missing.
        if (c.handles == 0 && !CountHandlesInSystemList(pid, &c.handles))
            c.handles = listHandles;
        c.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
        c.userObjects = GetGuiResources(process, GR_USEROBJECTS);
        *out = c;
    }
    CloseHandle(process);
    return ok;
}
