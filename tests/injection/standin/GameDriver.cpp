#include "GameDriver.h"
#include <windows.h>
#include <dinput.h>
#include <atomic>
#include <cstring>
#include "InjectionState.h"
#include "SlotHook.h"

namespace {

HRESULT WINAPI CreateDevice(IDirectInput8A* self, REFGUID guid, IDirectInputDevice8A** device, IUnknown* outer);
HRESULT WINAPI GetDeviceState(IDirectInputDevice8A* self, DWORD size, void* data);
SlotHook createDevice(SLOT(IDirectInput8AVtbl, CreateDevice), (void*)CreateDevice);
SlotHook getDeviceState(SLOT(IDirectInputDevice8AVtbl, GetDeviceState), (void*)GetDeviceState);

// Where the player is.
enum Step { Menu, Playing, GameOver, Done };
std::atomic<Step> g_step{Menu};
int g_reads = 0;      // keyboard reads in the current step
int g_stepFrame = 0;  // frames presented when the step began

void Next(Step step, const char* key)
{
    InjectionState& state = InjectionState::get();
    state.write(std::string("drive\t") + key + "\t" + std::to_string(state.frames()) + "\t" +
                std::to_string(state.elapsed()));
    g_step = step;
    g_reads = 0;
    g_stepFrame = state.frames();
}

// Enough of the current step seen: frames drawn in it, or (a game that draws nothing) reads.
bool StepOver(int frames, int reads)
{
    return InjectionState::get().frames() - g_stepFrame >= frames || g_reads >= reads;
}

HRESULT WINAPI GetDeviceState(IDirectInputDevice8A* self, DWORD size, void* data)
{
    HRESULT hr = getDeviceState.original<decltype(IDirectInputDevice8AVtbl::GetDeviceState)>(self)(self, size, data);
    ++g_reads;
    BYTE key = 0;
    if (g_step == Menu && StepOver(1, 50)) {
        key = DIK_U;
        Next(Playing, "U");
    } else if (g_step == Playing && StepOver(2, 50)) {
        key = DIK_SPACE;
        Next(GameOver, "Space");
    } else if (g_step == GameOver && StepOver(1, 50)) {
        HWND window = InjectionState::get().deviceWindow();
        if (window) PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
        Next(Done, "Esc");
    }
    if (key && data && size > key) {
        // The keyboard as it is, with this key held, whatever the window in front.
        if (FAILED(hr)) std::memset(data, 0, size);
        static_cast<BYTE*>(data)[key] = 0x80;
        hr = DI_OK;
    }
    return hr;
}

HRESULT WINAPI CreateDevice(IDirectInput8A* self, REFGUID guid, IDirectInputDevice8A** device, IUnknown* outer)
{
    HRESULT hr = createDevice.original<decltype(IDirectInput8AVtbl::CreateDevice)>(self)(self, guid, device, outer);
    if (SUCCEEDED(hr) && device && *device) getDeviceState.install(*device);
    return hr;
}

// The game draws only while its window is active, and another program's window (the test runs
// several at once) can take the activation away: until the driver is done it tells the game's
// window that it is active again whenever another window is in front, as a player's click on
// it would.
DWORD WINAPI KeepActive(void*)
{
    while (g_step != Done) {
        HWND window = InjectionState::get().deviceWindow();
        if (window && IsWindow(window) && GetForegroundWindow() != window)
            PostMessageA(window, WM_ACTIVATE, WA_ACTIVE, 0);
        Sleep(100);
    }
    return 0;
}

HRESULT WINAPI Create(HINSTANCE instance, DWORD version, REFIID iid, void** out, IUnknown* outer)
{
    static HANDLE keeper = CreateThread(nullptr, 0, KeepActive, nullptr, 0, nullptr);
    (void)keeper;
    typedef HRESULT(WINAPI * CreateFn)(HINSTANCE, DWORD, REFIID, void**, IUnknown*);
    static const CreateFn real =
        reinterpret_cast<CreateFn>(GetProcAddress(LoadLibraryA("dinput8.dll"), "DirectInput8Create"));
    HRESULT hr = real ? real(instance, version, iid, out, outer) : E_FAIL;
    if (SUCCEEDED(hr) && out && *out) createDevice.install(*out);
    return hr;
}

} // namespace

void* GameInputHook(const char* function)
{
    return std::strcmp(function, "DirectInput8Create") == 0 ? (void*)Create : nullptr;
}
