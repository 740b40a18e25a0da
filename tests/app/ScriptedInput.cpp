// ScriptedInput.dll: an input library whose keyboard reads what the test sets with
// SetScriptedKey, so that the frame's keyboard can be given a device that sees a key later (or
// earlier) than the window's key messages, as DirectInput may under load.
#include <windows.h>
#include <new>
#include "OXEInputDevice.h"

namespace {

bool g_keys[256]; // what the next Update reads

class ScriptedInputDevice : public OXEInputDevice {
public:
    HRESULT Init(HWND, RECT, int) override { running_ = true; return S_OK; }
    void Release() override { running_ = false; }
    bool IsRunning() const override { return running_; }
    HRESULT GetMousePosition(POINT*) override { return E_FAIL; }
    HRESULT Update() override
    {
        for (int k = 0; k < 256; ++k) {
            before_[k] = now_[k];
            now_[k] = running_ && g_keys[k];
        }
        return S_OK;
    }
    bool IsKeyPressed(int selector, int key) override { return IsKeyDown(selector, key) && !before_[key]; }
    bool IsKeyDown(int selector, int key) override
    {
        return selector == OXE_INPUT_KEYBOARD && key >= 0 && key < 256 && now_[key];
    }

private:
    bool running_ = false;
    bool now_[256] = {};
    bool before_[256] = {};
};

} // namespace

extern "C" __declspec(dllexport) HRESULT CreateInputDevice(HINSTANCE, OXEInputDevice** device)
{
    if (!device)
        return E_POINTER;
    *device = new (std::nothrow) ScriptedInputDevice();
    return *device ? S_OK : E_OUTOFMEMORY;
}

// The key's state for the device's next Update.
extern "C" __declspec(dllexport) void SetScriptedKey(int key, bool down)
{
    if (key >= 0 && key < 256)
        g_keys[key] = down;
}
