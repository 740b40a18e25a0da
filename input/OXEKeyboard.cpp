#include "OXEKeyboard.h"
#include <cstring>

OXEKeyboard::OXEKeyboard()
{
    std::memset(keys_, 0, sizeof(keys_));
    std::memset(previous_, 0, sizeof(previous_));
}

OXEKeyboard::~OXEKeyboard()
{
    Close();
}

HRESULT OXEKeyboard::Open(HINSTANCE module, HWND window)
{
    Close();
    HRESULT hr = DirectInput8Create(module, DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                    reinterpret_cast<void**>(&input_), nullptr);
    if (FAILED(hr)) {
        input_ = nullptr;
        return hr;
    }
    hr = input_->CreateDevice(GUID_SysKeyboard, &device_, nullptr);
    if (SUCCEEDED(hr))
        hr = device_->SetDataFormat(&c_dfDIKeyboard);
    if (SUCCEEDED(hr))
        hr = device_->SetCooperativeLevel(window, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE);
    if (FAILED(hr)) {
        Close();
        return hr;
    }
    // Acquiring fails while the window is not in the foreground; Poll tries again.
    device_->Acquire();
    return S_OK;
}

void OXEKeyboard::Close()
{
    if (device_) {
        device_->Unacquire();
        device_->Release();
        device_ = nullptr;
    }
    if (input_) {
        input_->Release();
        input_ = nullptr;
    }
    std::memset(keys_, 0, sizeof(keys_));
    std::memset(previous_, 0, sizeof(previous_));
}

HRESULT OXEKeyboard::Poll()
{
    if (!device_)
        return DIERR_NOTINITIALIZED;
    std::memcpy(previous_, keys_, sizeof(keys_));
    HRESULT hr = device_->GetDeviceState(sizeof(keys_), keys_);
    if (hr == DIERR_INPUTLOST || hr == DIERR_NOTACQUIRED) {
        // The window lost the focus since the last read: take the keyboard back if we can.
        if (SUCCEEDED(device_->Acquire()))
            hr = device_->GetDeviceState(sizeof(keys_), keys_);
    }
    if (FAILED(hr))
        std::memset(keys_, 0, sizeof(keys_)); // no stale "held" keys while we cannot read
    return hr;
}

bool OXEKeyboard::IsKeyDown(int keyCode) const
{
    if (!device_ || keyCode < 0 || keyCode > 255)
        return false;
    return (keys_[keyCode] & 0x80) != 0;
}

bool OXEKeyboard::WasKeyDown(int keyCode) const
{
    if (!device_ || keyCode < 0 || keyCode > 255)
        return false;
    return (previous_[keyCode] & 0x80) != 0;
}
