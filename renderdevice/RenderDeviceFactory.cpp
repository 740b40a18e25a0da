// The exported factory pair of the render device. Every deliverable carries it in its export table.
#include <windows.h>
#include "OXEResult.h"

extern "C" __declspec(dllexport) HRESULT CreateRenderDevice(HINSTANCE, void** device)
{
    if (device) *device = nullptr;
    return OXE_FAIL;
}

extern "C" __declspec(dllexport) HRESULT ReleaseRenderDevice(void** device)
{
    if (device) *device = nullptr;
    return OXE_OK;
}
