// Render devices made by the engine's libraries through their own factories, for the groups
// whose objects reach a library's current device: one made by PelmoraParts (meshes and the
// grid) and one made by PelmoraGraf (particle effects). Each is made on first use and released
// by ReleaseAndCount, which tells whether anything still held the Direct3D device.
#pragma once
#include <windows.h>
#include <d3d9.h>
#include "OXERenderDevice.h"
#include "TestDevice.h"

namespace badfiles {

class LibraryDevice {
public:
    // library: "PelmoraParts.dll" or "PelmoraGraf.dll"; the window is width x height.
    LibraryDevice(const char* library, int width, int height);
    bool ok() const { return device_ && device_->GetD3DDevice(); }
    OXERenderDevice* device() const { return device_; }
    IDirect3DDevice9* d3d() const { return device_ ? device_->GetD3DDevice() : nullptr; }
    int width() const { return window_.width(); }
    int height() const { return window_.height(); }

    // Clears to black and begins the scene.
    void begin();
    // Ends the scene, reads the back buffer and presents.
    testsupport::Picture end();

    // Releases the render device through its library, holding one reference of the Direct3D
    // device over it: returns what the last Release of that reference gave (0 when nothing
    // else kept the device alive), or ~0u when there was no device.
    ULONG ReleaseAndCount();

private:
    const char* library_;
    testsupport::TestWindow window_;
    OXERenderDevice* device_ = nullptr;
};

} // namespace badfiles
