#include "OXEDirectInputDevice.h"

OXEDirectInputDevice::OXEDirectInputDevice(HINSTANCE module) : module_(module) {}

OXEDirectInputDevice::~OXEDirectInputDevice()
{
    Release();
}

HRESULT OXEDirectInputDevice::Init(HWND window, RECT screen, int flags)
{
    Release();
    if (!window || !IsWindow(window))
        return E_INVALIDARG;
    if (flags & OXE_INPUT_USE_KEYBOARD) {
        HRESULT hr = keyboard_.Open(module_ ? module_ : GetModuleHandleA(nullptr), window);
        if (FAILED(hr))
            return hr;
    }
    window_ = window;
    screen_ = screen;
    flags_ = flags;
    running_ = true;
    return S_OK;
}

void OXEDirectInputDevice::Release()
{
    keyboard_.Close();
    for (int i = 0; i < 3; ++i)
        buttons_[i] = previousButtons_[i] = false;
    window_ = nullptr;
    flags_ = 0;
    running_ = false;
}

bool OXEDirectInputDevice::IsRunning() const
{
    return running_;
}

HRESULT OXEDirectInputDevice::GetMousePosition(POINT* position)
{
    if (!position || !running_ || !(flags_ & OXE_INPUT_USE_MOUSE))
        return E_FAIL;
    *position = mouse_;
    return S_OK;
}

HRESULT OXEDirectInputDevice::Update()
{
    if (!running_)
        return E_FAIL;
    HRESULT result = S_OK;
    if (flags_ & OXE_INPUT_USE_KEYBOARD)
        result = keyboard_.Poll();
    if (flags_ & OXE_INPUT_USE_MOUSE) {
        POINT p;
        if (GetCursorPos(&p)) {
            if (p.x < screen_.left) p.x = screen_.left;
            if (p.x > screen_.right) p.x = screen_.right;
            if (p.y < screen_.top) p.y = screen_.top;
            if (p.y > screen_.bottom) p.y = screen_.bottom;
            mouse_ = p;
        }
        static const int keys[3] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
        // Buttons count only while our window has the focus, like the foreground keyboard.
        bool focused = GetForegroundWindow() == window_;
        for (int i = 0; i < 3; ++i) {
            previousButtons_[i] = buttons_[i];
            buttons_[i] = focused && (GetAsyncKeyState(keys[i]) & 0x8000) != 0;
        }
    }
    return result;
}

bool OXEDirectInputDevice::ButtonDown(const bool* buttons, int button) const
{
    if (!(flags_ & OXE_INPUT_USE_MOUSE) || button < 0 || button > 2)
        return false;
    return buttons[button];
}

bool OXEDirectInputDevice::IsKeyPressed(int selector, int keyCode)
{
    if (!running_)
        return false;
    if (selector == OXE_INPUT_KEYBOARD)
        return keyboard_.IsKeyDown(keyCode) && !keyboard_.WasKeyDown(keyCode);
    if (selector == OXE_INPUT_MOUSE)
        return ButtonDown(buttons_, keyCode) && !ButtonDown(previousButtons_, keyCode);
    return false;
}

bool OXEDirectInputDevice::IsKeyDown(int selector, int keyCode)
{
    if (!running_)
        return false;
    if (selector == OXE_INPUT_KEYBOARD)
        return keyboard_.IsKeyDown(keyCode);
    if (selector == OXE_INPUT_MOUSE)
        return ButtonDown(buttons_, keyCode);
    return false;
}
