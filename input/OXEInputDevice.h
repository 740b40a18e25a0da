/// @file
/// OXEInputDevice: the input device interface that PelmoraInput.dll implements and the game calls.
/// The game reaches it only through these virtual operations, whose slots are fixed:
///   slot 0 destructor, 1 Init, 2 Release, 3 IsRunning, 4 GetMousePosition, 5 Update,
///   6 IsKeyPressed, 7 IsKeyDown.
/// (With g++ the destructor takes two vtable entries, so slot n >= 1 is vtable index n + 1.)
#pragma once
#include <windows.h>

// Selectors of IsKeyDown / IsKeyPressed: which device the key code belongs to.
#define OXE_INPUT_KEYBOARD 0 ///< selector: the key code is a DirectInput keyboard scan code (DIK_*), 0..255
#define OXE_INPUT_MOUSE    1 ///< selector: the key code is a mouse button, 0 left, 1 right, 2 middle

// Device flags of Init; the game passes OXE_INPUT_USE_KEYBOARD (1).
#define OXE_INPUT_USE_KEYBOARD 1 ///< Init flag: read the keyboard (DirectInput 8, foreground, non-exclusive)
#define OXE_INPUT_USE_MOUSE    2 ///< Init flag: read the mouse position and buttons

/// The input device of PelmoraInput.dll: keyboard (and mouse) read once a frame.
///
/// Life cycle: the library's CreateInputDevice makes one (owned by the library); Init starts it
/// on a window, Update reads the devices each frame, IsKeyDown / IsKeyPressed answer from that
/// read, Release stops it, and delete (its virtual destructor, the library's own delete) frees
/// it; free the library after that.
class OXEInputDevice {
public:
    /// Slot 0. Frees whatever Release has not freed yet.
    virtual ~OXEInputDevice() {}

    /// Slot 1. Starts the devices named by flags on the window (an earlier start is released
    /// first); screen is the rectangle the mouse position is kept in (the game passes 0, 0,
    /// width - 1, height - 1 of the desktop). Returns S_OK, E_INVALIDARG for a missing window, or
    /// DirectInput's failure when the keyboard cannot be opened.
    virtual HRESULT Init(HWND window, RECT screen, int flags) = 0;

    /// Slot 2. Frees the devices; afterwards IsRunning is false and every key reads as up.
    /// Safe to call twice.
    virtual void Release() = 0;

    /// Slot 3. True between a successful Init and Release.
    virtual bool IsRunning() const = 0;

    /// Slot 4. The mouse position in screen pixels, kept inside the Init rectangle, as of the
    /// last Update. E_FAIL (and *position untouched) when the mouse is not read or position is
    /// null.
    virtual HRESULT GetMousePosition(POINT* position) = 0;

    /// Slot 5. Reads the current state of the devices; call once per frame before asking keys.
    /// The keyboard is re-acquired here when the window got the focus back. Returns S_OK, E_FAIL
    /// before Init, or DirectInput's failure of the keyboard read.
    virtual HRESULT Update() = 0;

    /// Slot 6. True when the key is down in the last Update and was up in the one before it.
    /// Note: a press released before the next Update is not seen at all.
    virtual bool IsKeyPressed(int selector, int keyCode) = 0;

    /// Slot 7. True while the key is held (as of the last Update). False for an unknown selector,
    /// a key code out of range, or before Init.
    virtual bool IsKeyDown(int selector, int keyCode) = 0;
};

/// The factory PelmoraInput.dll exports with C linkage as "CreateInputDevice": fills *device
/// with a new device owned by the library. Returns S_OK, E_POINTER for a null device pointer, or
/// E_OUTOFMEMORY (and *device null).
typedef HRESULT (*CREATEINPUTDEVICE)(HINSTANCE module, OXEInputDevice** device);
