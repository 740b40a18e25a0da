// Releasing a render device in a test and proving nothing it made is still alive.
#pragma once
#include <d3d9.h>

namespace testsupport {

// Releases a started render device (anything with GetD3DDevice() and Release(), reached
// directly or through the exported interface) and returns what the Direct3D device's last
// Release returned: 0 means every buffer, texture, font, shader and declaration made on it was
// released too. A device that never started has nothing to count and returns 0.
template <typename RenderDevice> ULONG ReleaseAndCountLeft(RenderDevice& device)
{
    IDirect3DDevice9* d3d = device.GetD3DDevice();
    if (!d3d) {
        device.Release();
        return 0;
    }
    d3d->AddRef(); // keeps the device countable once the render device has let it go
    device.Release();
    return d3d->Release();
}

} // namespace testsupport
