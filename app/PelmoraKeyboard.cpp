#include "PelmoraKeyboard.h"
#include <cstring>
#include "OXEInputDevice.h"
#include "OXEResultText.h"
#include "LibraryLoader.h"

namespace {

const char kMessages[] = "window key messages";

std::string LastError()
{
    const DWORD code = GetLastError();
    char text[256] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ' || text[n - 1] == '.'))
        text[--n] = 0;
    return "error " + std::to_string(code) + (n ? ": " + std::string(text) : std::string());
}

} // namespace

PelmoraKeyboard::PelmoraKeyboard()
{
    close();
}

PelmoraKeyboard::~PelmoraKeyboard()
{
    close();
}

void PelmoraKeyboard::open(HWND window, const char* library)
{
    close();
    const std::string name = library ? library : "";
    if (name.empty()) {
        source_ = std::string(kMessages) + " (no input library named)";
        return;
    }
    library_ = LoadLibraryFromProgramFolder(name.c_str());
    if (!library_) {
        source_ = std::string(kMessages) + " (" + name + ": cannot load it, " + LastError() + ")";
        return;
    }
    CREATEINPUTDEVICE create = reinterpret_cast<CREATEINPUTDEVICE>(GetProcAddress(library_, "CreateInputDevice"));
    OXEInputDevice* device = nullptr;
    HRESULT hr = create ? create(library_, &device) : E_FAIL;
    if (SUCCEEDED(hr) && device) {
        RECT client = {0, 0, 0, 0};
        GetClientRect(window, &client);
        hr = device->Init(window, client, OXE_INPUT_USE_KEYBOARD);
        if (FAILED(hr)) {
            delete device; // through its virtual destructor: the library's own delete
            device = nullptr;
        }
    }
    if (!device) {
        source_ = std::string(kMessages) + " (" + name + ": " +
                  (create ? "its input device did not start, " + OXEResultText(hr) : std::string("no CreateInputDevice")) + ")";
        FreeLibrary(library_);
        library_ = nullptr;
        return;
    }
    device_ = device;
    source_ = "input device of " + name;
}

void PelmoraKeyboard::close()
{
    if (device_) {
        device_->Release();
        delete device_;
        device_ = nullptr;
    }
    if (library_) {
        FreeLibrary(library_);
        library_ = nullptr;
    }
    std::memset(held_, 0, sizeof held_);
    std::memset(pressed_, 0, sizeof pressed_);
    std::memset(messageHeld_, 0, sizeof messageHeld_);
    std::memset(messagePressed_, 0, sizeof messagePressed_);
    std::memset(messageReleased_, 0, sizeof messageReleased_);
    std::memset(messageRepressed_, 0, sizeof messageRepressed_);
    std::memset(countedAhead_, 0, sizeof countedAhead_);
    source_ = kMessages;
}

void PelmoraKeyboard::update()
{
    if (device_) {
        device_->Update(); // a keyboard it cannot read (no focus) reads as all up
        for (int k = 0; k < 256; ++k) {
            const bool down = device_->IsKeyDown(OXE_INPUT_KEYBOARD, k);
            // The device is read once a frame. Between two reads (a slow frame) a key can go
            // down and up again (a tap), or up and down again (a second press of a key that
            // reads as held all along): only the window's key messages show those presses.
            const bool tapped = !down && !held_[k] && messagePressed_[k];
            const bool pressedAgain = down && held_[k] && messageRepressed_[k];
            // The messages can also show a press a frame before the device does: a press taken
            // from them is not taken again when the device goes down without a new message.
            const bool wentDown = down && !held_[k];
            const bool caughtUp = wentDown && countedAhead_[k] && !messagePressed_[k];
            pressed_[k] = (wentDown && !caughtUp) || tapped || pressedAgain;
            if (tapped)
                countedAhead_[k] = true;
            else if (wentDown || (!down && !messageHeld_[k]))
                countedAhead_[k] = false;
            held_[k] = down;
            messagePressed_[k] = messageRepressed_[k] = messageReleased_[k] = false;
        }
        return;
    }
    for (int k = 0; k < 256; ++k) {
        held_[k] = messageHeld_[k];
        pressed_[k] = messagePressed_[k];
        messagePressed_[k] = messageRepressed_[k] = messageReleased_[k] = false;
    }
}

int PelmoraKeyboard::KeyCode(WPARAM virtualKey, LPARAM lParam)
{
    int scan = int((lParam >> 16) & 0xFF);
    bool extended = (lParam >> 24) & 1;
    if (scan == 0) {
        // A message made by a program rather than the keyboard: the key's place from its meaning.
        scan = int(MapVirtualKeyA(UINT(virtualKey), 0 /* MAPVK_VK_TO_VSC */) & 0xFF);
        switch (virtualKey) {
        case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_INSERT: case VK_DELETE:
        case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT: case VK_DIVIDE: case VK_RCONTROL:
        case VK_RMENU: case VK_LWIN: case VK_RWIN: case VK_APPS:
            extended = true;
            break;
        default:
            break;
        }
    }
    return scan | (extended ? 0x80 : 0);
}

void PelmoraKeyboard::keyMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const int key = KeyCode(wParam, lParam);
        if (key == 0) break;
        const bool repeated = (lParam >> 30) & 1; // the key was down before: the keyboard's repeat
        if (!repeated && !messageHeld_[key]) {
            messagePressed_[key] = true;
            if (messageReleased_[key]) messageRepressed_[key] = true;
        }
        messageHeld_[key] = true;
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const int key = KeyCode(wParam, lParam);
        if (key == 0) break;
        messageHeld_[key] = false;
        messageReleased_[key] = true;
        break;
    }
    case WM_KILLFOCUS:
        // Keys released elsewhere send no key-up here.
        std::memset(messageHeld_, 0, sizeof messageHeld_);
        break;
    default:
        break;
    }
}
