// The exported factory pair of the render device. Every deliverable carries it in its export
// table; clients load the graphics library by name and look these up.
#include <windows.h>
#include <new>
#include "OXED3D.h"
#include "OXEResult.h"

// Creates a render device into *device, which must be empty. 0x82000001 when it holds a device
// already (kept) or when there is no memory for a new one (*device stays null).
extern "C" __declspec(dllexport) HRESULT CreateRenderDevice(HINSTANCE module, OXERenderDevice** device)
{
    if (!device) return OXE_INVALIDPARAM;
    if (*device) return OXE_FAIL; // keep the device the caller already has
    *device = new (std::nothrow) OXED3D(module);
    return *device ? OXE_OK : OXE_FAIL;
}

// Destroys the device in *device and empties the pointer.
extern "C" __declspec(dllexport) HRESULT ReleaseRenderDevice(OXERenderDevice** device)
{
    if (!device || !*device) return OXE_FAIL;
    delete *device;
    *device = nullptr;
    return OXE_OK;
}
