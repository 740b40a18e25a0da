// The stand-in d3d9.dll: placed beside a copy of a program (with the loader told to prefer it
// to the system's), it hands out the system's real Direct3D 9 with hooks on the calls that
// create or lock something, and patches the program modules' D3DX imports likewise. Which call
// fails, and where the report goes, come from the environment (InjectionState.h). Without
// PELMORA_INJECT_REPORT it only forwards.
#include <windows.h>
#include <d3d9.h>
#include "DeviceHooks.h"
#include "ImportPatcher.h"
#include "InjectionState.h"
#include "StackDump.h"

namespace {

typedef IDirect3D9*(WINAPI* Create9)(UINT);

Create9 RealCreate()
{
    static Create9 create = [] {
        char path[MAX_PATH] = {};
        GetSystemDirectoryA(path, MAX_PATH);
        lstrcatA(path, "\\d3d9.dll");
        HMODULE real = LoadLibraryA(path);
        return real ? reinterpret_cast<Create9>(GetProcAddress(real, "Direct3DCreate9")) : nullptr;
    }();
    return create;
}

// A crash is written down with where it happened, then the process ends with the exception's
// code (no debugger, no dialog).
LONG WINAPI CrashFilter(EXCEPTION_POINTERS* e)
{
    InjectionState& state = InjectionState::get();
    char code[16];
    wsprintfA(code, "0x%08lX", (unsigned long)e->ExceptionRecord->ExceptionCode);
    state.write(std::string("crash\t") + code + "\t" + state.describe(e->ExceptionRecord->ExceptionAddress));
    TerminateProcess(GetCurrentProcess(), e->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

extern "C" IDirect3D9* WINAPI StandInDirect3DCreate9(UINT sdkVersion)
{
    InjectionState& state = InjectionState::get();
    PatchProgramModules();
    if (FailThisCall("Direct3DCreate9", __builtin_return_address(0))) return nullptr;
    Create9 create = RealCreate();
    IDirect3D9* d3d = create ? create(sdkVersion) : nullptr;
    if (d3d && state.enabled()) HookDirect3D(d3d);
    return d3d;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        InjectionState& state = InjectionState::get();
        state.load();
        if (state.enabled()) {
            SetUnhandledExceptionFilter(CrashFilter);
            PatchProgramModules();
            StartStackDumpWatch();
        }
    } else if (reason == DLL_PROCESS_DETACH) {
        InjectionState::get().finish();
    }
    return TRUE;
}
