// A render device started the way the game starts it: its own window, Init(window, 16, 8,
// windowed, flush log), so the Direct3D device is the device's own.
#pragma once
#include "OXED3D.h"
#include "RenderDeviceRelease.h"
#include "TestDevice.h"
#include <gtest/gtest.h>
#include <cmath>
#include <memory>

namespace devcoretest {

// Element-wise equality (the D3DX operator compares bytes, so -0 and 0 would differ).
inline ::testing::AssertionResult SameMatrix(const D3DXMATRIX& a, const D3DXMATRIX& b)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!(fabsf(a(r, c) - b(r, c)) <= 1e-6f * (1.0f + fabsf(b(r, c)))))
                return ::testing::AssertionFailure() << "element " << r << c << ": " << a(r, c) << " vs " << b(r, c);
    return ::testing::AssertionSuccess();
}

struct StartedDevice {
    explicit StartedDevice(int stencilBits = 8)
        : window(1024, 768, "DevcoreTest"), device(new OXED3D(GetModuleHandleA(nullptr)))
    {
        result = device->Init(window.handle(), 16, stencilBits, false, true);
    }
    // The render device goes first; the Direct3D device must go with it.
    ~StartedDevice()
    {
        if (device) {
            EXPECT_EQ(testsupport::ReleaseAndCountLeft(*device), 0u) << "Direct3D objects left alive";
        }
    }
    StartedDevice(const StartedDevice&) = delete;
    StartedDevice& operator=(const StartedDevice&) = delete;
    bool ok() const { return result == OXE_OK && device->GetD3DDevice() != nullptr; }
    OXED3D* get() const { return device.get(); }
    IDirect3DDevice9* d3d() const { return device->GetD3DDevice(); }

    testsupport::TestWindow window; // the window the device renders into
    std::unique_ptr<OXED3D> device; // the device under test
    HRESULT result = OXE_FAIL;      // what Init returned
};

} // namespace devcoretest
