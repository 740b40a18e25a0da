// ProcessCounters on real processes: this test program itself (handles, threads and memory made
// and freed on purpose, so each counter must move by a known amount) and a suspended child.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "ProcessCounters.h"
#include "TestDevice.h"

namespace {

const uint64_t kMiB = 1024 * 1024;

ProcessCounters ReadSelf()
{
    ProcessCounters c;
    EXPECT_TRUE(ReadProcessCounters(GetCurrentProcessId(), &c));
    return c;
}

// The file name of this test program ("test_endurance.exe").
std::string OwnExeName()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path;
    return p.substr(p.find_last_of("\\/") + 1);
}

DWORD WINAPI WaitForEvent(void* event)
{
    WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    return 0;
}

} // namespace

TEST(ProcessCounters, FindsProcessesByFileNameOnly)
{
    std::string name = OwnExeName();
    EXPECT_EQ(FindProcessByName(name.c_str()), GetCurrentProcessId());
    std::string upper = "C:\\somewhere\\";
    for (char ch : name)
        upper += char(toupper(static_cast<unsigned char>(ch)));
    EXPECT_EQ(FindProcessByName(upper.c_str()), GetCurrentProcessId()) << "path and case are ignored";
    EXPECT_EQ(FindProcessByName("no-such-program-here.exe"), 0u);
    EXPECT_EQ(FindProcessByName(""), 0u);
    EXPECT_EQ(FindProcessByName(nullptr), 0u);
}

TEST(ProcessCounters, HandleCountFollowsHandlesMadeAndClosed)
{
    ProcessCounters before = ReadSelf();
    ASSERT_GT(before.handles, 0u) << "no handle count from this system";
    std::vector<HANDLE> events;
    for (int i = 0; i < 40; ++i)
        events.push_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    ProcessCounters during = ReadSelf();
    for (HANDLE e : events)
        CloseHandle(e);
    ProcessCounters after = ReadSelf();
    EXPECT_GE(during.handles, before.handles + 38);
    EXPECT_LE(during.handles, before.handles + 45);
    EXPECT_LE(after.handles, before.handles + 3);
}

TEST(ProcessCounters, ThreadCountFollowsThreads)
{
    ProcessCounters before = ReadSelf();
    ASSERT_GT(before.threads, 0u);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE threads[3];
    for (HANDLE& t : threads)
        t = CreateThread(nullptr, 0, WaitForEvent, release, 0, nullptr);
    ProcessCounters during = ReadSelf();
    SetEvent(release);
    WaitForMultipleObjects(3, threads, TRUE, 10000);
    for (HANDLE t : threads)
        CloseHandle(t);
    CloseHandle(release);
    EXPECT_EQ(during.threads, before.threads + 3);
}

TEST(ProcessCounters, MemoryCountersFollowCommittedAndTouchedMemory)
{
    ProcessCounters before = ReadSelf();
    ASSERT_GT(before.workingSet, 0u);
    ASSERT_GT(before.privateBytes, 0u) << "no private bytes from this system";
    const size_t size = 64 * kMiB;
    char* block = static_cast<char*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(block, nullptr);
    for (size_t i = 0; i < size; i += 4096)
        block[i] = char(i);
    ProcessCounters during = ReadSelf();
    VirtualFree(block, 0, MEM_RELEASE);
    ProcessCounters after = ReadSelf();
    EXPECT_GE(during.privateBytes, before.privateBytes + 60 * kMiB);
    EXPECT_GE(during.workingSet, before.workingSet + 60 * kMiB);
    EXPECT_GE(during.peakWorkingSet, during.workingSet);
    EXPECT_LE(after.privateBytes, during.privateBytes - 60 * kMiB);
    EXPECT_LE(after.workingSet, during.workingSet - 60 * kMiB);
}

TEST(ProcessCounters, ReadsAnotherProcess)
{
    std::string exe = testsupport::ProgramFolder() + "\\ProcessCounters.exe";
    std::string command = "\"" + exe + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                               nullptr, nullptr, &si, &pi)) << exe;
    DWORD found = FindProcessByName("ProcessCounters.exe");
    ProcessCounters child;
    bool read = ReadProcessCounters(pi.dwProcessId, &child);
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(found, pi.dwProcessId);
    ASSERT_TRUE(read);
    EXPECT_EQ(child.pid, pi.dwProcessId);
    EXPECT_GT(child.workingSet, 0u);
    EXPECT_GE(child.threads, 1u);
}

TEST(ProcessCounters, RefusesProcessesThatDoNotExist)
{
    ProcessCounters c;
    c.handles = 777;
    EXPECT_FALSE(ReadProcessCounters(0xFFFFFFF0u, &c));
    EXPECT_EQ(c.handles, 777u) << "left as it was";
    EXPECT_FALSE(ReadProcessCounters(GetCurrentProcessId(), nullptr));
}
