// PelmoraInput.dll: the keyboard input device the game loads by name.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT CreateInputDevice(HINSTANCE, void** device)
{
    if (device) *device = nullptr;
    return E_FAIL;
}
