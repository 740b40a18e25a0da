#include "StackDump.h"
#include <windows.h>
#include <tlhelp32.h>
#include <string>
#include "InjectionState.h"

namespace {

const int kMaxFrames = 48;

void DumpThread(DWORD id)
{
    InjectionState& state = InjectionState::get();
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE, id);
    if (!thread) return;
    if (SuspendThread(thread) == DWORD(-1)) {
        CloseHandle(thread);
        return;
    }
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_FULL;
    std::string lines;
    if (GetThreadContext(thread, &context)) {
        for (int depth = 0; depth < kMaxFrames && context.Rip; ++depth) {
            lines += "stack\t" + std::to_string(id) + "\t" + std::to_string(depth) + "\t" +
                     state.describe(reinterpret_cast<void*>(context.Rip)) + "\n";
            DWORD64 imageBase = 0;
            PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
            if (function) {
                void* handlerData = nullptr;
                DWORD64 establisher = 0;
                RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, function, &context, &handlerData,
                                 &establisher, nullptr);
            } else {
                // A leaf function: the return address is on top of the stack.
                if (!context.Rsp) break;
                context.Rip = *reinterpret_cast<DWORD64*>(context.Rsp);
                context.Rsp += 8;
            }
        }
    }
    ResumeThread(thread);
    CloseHandle(thread);
    // Written after the thread runs again: the report's lock may be held by the stopped thread.
    if (!lines.empty()) state.write(lines.substr(0, lines.size() - 1));
}

DWORD WINAPI Watch(void* event)
{
    WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
            if (entry.th32OwnerProcessID == GetCurrentProcessId() && entry.th32ThreadID != GetCurrentThreadId())
                DumpThread(entry.th32ThreadID);
        CloseHandle(snapshot);
    }
    InjectionState::get().write("stacks\tend");
    return 0;
}

} // namespace

void StartStackDumpWatch()
{
    static bool started = false;
    if (started) return;
    started = true;
    const std::string name = "PelmoraInjectStacks" + std::to_string(GetCurrentProcessId());
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    if (!event) return;
    HANDLE thread = CreateThread(nullptr, 0, Watch, event, 0, nullptr);
    if (thread) CloseHandle(thread);
}
