// The input device of PelmoraInput.dll: the system keyboard through DirectInput 8 and, when
// asked for, the mouse cursor and buttons through the window system.
#pragma once
#include "OXEInputDevice.h"
#include "OXEKeyboard.h"

class OXEDirectInputDevice : public OXEInputDevice {
public:
    explicit OXEDirectInputDevice(HINSTANCE module);
    ~OXEDirectInputDevice() override;

    HRESULT Init(HWND window, RECT screen, int flags) override;
    void Release() override;
    bool IsRunning() const override;
    HRESULT GetMousePosition(POINT* position) override;
    HRESULT Update() override;
    bool IsKeyPressed(int selector, int keyCode) override;
    bool IsKeyDown(int selector, int keyCode) override;

private:
    bool ButtonDown(const bool* buttons, int button) const;

    HINSTANCE module_;          // the library's module handle, given to DirectInput
    HWND window_ = nullptr;     // the window the keyboard belongs to
    RECT screen_ = {0, 0, 0, 0}; // the mouse position is kept inside this rectangle
    int flags_ = 0;             // OXE_INPUT_USE_KEYBOARD / OXE_INPUT_USE_MOUSE given to Init
    bool running_ = false;      // between a successful Init and Release
    OXEKeyboard keyboard_;      // the DirectInput keyboard
    POINT mouse_ = {0, 0};      // cursor position of the last Update, inside screen_
    bool buttons_[3] = {};      // left, right, middle held at the last Update
    bool previousButtons_[3] = {}; // the same at the Update before it
};
