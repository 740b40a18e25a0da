/// @file
/// PelmoraKeyboard: the keyboard of the application frame's window, read once a frame. Key codes
/// are DirectInput key codes, 0..255 (DIK_LEFT, DIK_SPACE, DIK_A, ... of <dinput.h>): the key's
/// place on the keyboard, whatever its layout prints on it.
///
/// It reads through the input device of PelmoraInput.dll (DirectInput 8, loaded by name, its
/// factory CreateInputDevice) when that library is beside the program and starts; otherwise
/// through the window's key messages (WM_KEYDOWN / WM_KEYUP, their scan codes). Both read only
/// while the window has the keyboard focus.
///
/// Life cycle: the frame opens it on its window at start (PelmoraAppSettings::inputLibrary),
/// updates it before each frame function and closes it at stop; the frame function asks down()
/// and pressed().
#pragma once
#include <windows.h>
#include <string>

class OXEInputDevice;

/// The keyboard of a window, read once a frame: which keys are held, which went down since the
/// last read. Life cycle: open() on a window, update() once a frame, down() and pressed(),
/// close() (the destructor closes too). It owns the input library it loads and that library's
/// input device.
class PelmoraKeyboard {
public:
    /// A closed keyboard: every key reads as up.
    PelmoraKeyboard();
    /// close().
    ~PelmoraKeyboard();
    PelmoraKeyboard(const PelmoraKeyboard&) = delete;
    PelmoraKeyboard& operator=(const PelmoraKeyboard&) = delete;

    /// Starts reading the window's keyboard: through the input device of the named library
    /// (null or empty: none), or through the window's key messages when that library cannot be
    /// loaded, has no CreateInputDevice or its device does not start (source() says why).
    void open(HWND window, const char* library);
    /// Releases the input device and its library; every key reads as up afterwards.
    void close();
    /// Reads the keys for the next frame (run() does this before each frame function).
    void update();
    /// The window procedure's key messages (WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP,
    /// WM_KILLFOCUS) for the message source; the frame's window procedure hands them on.
    void keyMessage(UINT message, WPARAM wParam, LPARAM lParam);

    /// True while the key is held (as of the last update). False for codes outside 0..255.
    bool down(int key) const { return key >= 0 && key < 256 && held_[key]; }
    /// True when the key went down since the update before the last: once per press, however
    /// long it is held. Note: the input device is read once a frame; a press that it cannot
    /// see (released before the next read, or released and pressed again between two reads,
    /// in a slow frame) is taken from the window's key messages, so no press is lost. Several
    /// presses between two updates read as one.
    bool pressed(int key) const { return key >= 0 && key < 256 && pressed_[key]; }
    /// True while the input device reads the keys; false for the window messages.
    bool usesInputDevice() const { return device_ != nullptr; }
    /// What reads the keys: "input device of PelmoraInput.dll", or "window key messages" with
    /// the reason the input device is not used, such as "window key messages (PelmoraInput.dll:
    /// cannot load it, error 126: ...)".
    const std::string& source() const { return source_; }

    /// The DirectInput key code of a key message's lParam (scan code, 0x80 for extended keys),
    /// or of its virtual key when the message carries no scan code.
    static int KeyCode(WPARAM virtualKey, LPARAM lParam);

private:
    HMODULE library_ = nullptr;        // the input library (loaded by open, freed by close)
    OXEInputDevice* device_ = nullptr; // its input device (owned by the library, deleted here)
    bool held_[256];                   // keys held at the last update
    bool pressed_[256];                // keys that went down at the last update
    bool messageHeld_[256];            // message source: keys down by their messages
    bool messagePressed_[256];         // first key-down messages since the last update
    bool messageReleased_[256];        // key-up messages since the last update
    bool messageRepressed_[256];       // first key-down messages after a key-up since the last update
    bool countedAhead_[256];           // a press taken from the messages before the device showed it
    std::string source_;               // what reads the keys
};
