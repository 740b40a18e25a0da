// PelmoraInput.dll: the keyboard input device the game loads by name.
#include <windows.h>
#include <new>
#include "OXEDirectInputDevice.h"

// Fills *device with a new input device owned by this library (destroyed through its virtual
// destructor). E_POINTER without an output, E_OUTOFMEMORY when nothing could be allocated.
extern "C" __declspec(dllexport) HRESULT CreateInputDevice(HINSTANCE module, OXEInputDevice** device)
{
    if (!device)
        return E_POINTER;
    *device = new (std::nothrow) OXEDirectInputDevice(module);
    return *device ? S_OK : E_OUTOFMEMORY;
}
