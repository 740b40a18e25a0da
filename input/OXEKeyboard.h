// The DirectInput 8 keyboard behind the input device: one system keyboard, read as a table of
// 256 held states indexed by DirectInput key code (DIK_ values).
#pragma once
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
#include <windows.h>
#include <dinput.h>

class OXEKeyboard {
public:
    OXEKeyboard();
    ~OXEKeyboard(); // unacquires and releases the device and the DirectInput object
    OXEKeyboard(const OXEKeyboard&) = delete;
    OXEKeyboard& operator=(const OXEKeyboard&) = delete;

    // Creates DirectInput and the system keyboard on the window (foreground, non-exclusive).
    // Returns S_OK or the failing DirectInput result; on failure nothing is kept.
    HRESULT Open(HINSTANCE module, HWND window);
    // Releases everything; IsKeyDown is false afterwards.
    void Close();
    // Reads the keyboard state. When the device was lost (the window lost the focus) it is
    // acquired again; while it cannot be acquired every key reads as up.
    HRESULT Poll();
    // True while the key was held at the last Poll; false for codes outside 0..255.
    bool IsKeyDown(int keyCode) const;
    // True when the key was held at the Poll before the last one.
    bool WasKeyDown(int keyCode) const;
    bool IsOpen() const { return device_ != nullptr; }

private:
    IDirectInput8A* input_ = nullptr;        // the DirectInput object
    IDirectInputDevice8A* device_ = nullptr; // the system keyboard
    BYTE keys_[256];                         // held states of the last Poll (bit 7 = down)
    BYTE previous_[256];                     // held states of the Poll before it
};
