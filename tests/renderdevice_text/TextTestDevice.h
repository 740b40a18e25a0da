// A started render device on its own window for the text, line, point and shader tests, and the
// frame helpers that read back what a frame drew.
#pragma once
#include <gtest/gtest.h>
#include "RenderDeviceRelease.h"
#include "TestDevice.h"
#include "OXED3D.h"
#include <algorithm>
#include <cstdlib>
#include <memory>

namespace texttest {

// The one window every started device of the program draws into. It is never destroyed:
// destroying a window that carried a device costs about two seconds under Wine.
inline HWND SharedWindow()
{
    static testsupport::TestWindow* window = new testsupport::TestWindow(1024, 768, "PelmoraTextTest");
    return window->handle();
}

// An OXED3D constructed and started with Init(window, 16, 8, windowed, no flush), as the game
// starts it. Its back buffer is 1024 x 768.
class StartedDevice {
public:
    StartedDevice()
    {
        device_ = new OXED3D(GetModuleHandleA(nullptr));
        started_ = device_->Init(SharedWindow(), 16, 8, false, false) == OXE_OK;
    }
    ~StartedDevice()
    {
        EXPECT_EQ(testsupport::ReleaseAndCountLeft(*device_), 0u) << "Direct3D objects left alive";
        delete device_;
    }
    StartedDevice(const StartedDevice&) = delete;
    StartedDevice& operator=(const StartedDevice&) = delete;

    bool ok() const { return started_ && device_->GetD3DDevice() != nullptr; }
    OXED3D* operator->() const { return device_; }
    OXED3D* get() const { return device_; }
    IDirect3DDevice9* d3d() const { return device_->GetD3DDevice(); }

private:
    OXED3D* device_ = nullptr; // the device under test
    bool started_ = false;     // Init succeeded
};

// Clears to black and begins the scene through the device.
inline void BeginBlackFrame(OXED3D* device)
{
    device->SetBackgroundColor(0.0f, 0.0f, 0.0f);
    ASSERT_EQ(device->BeginFrame(true, true, false), OXE_OK);
}

// Ends the scene, reads the back buffer (before presenting, while it is still defined) and
// presents, leaving the device out of the scene as EndFrame would.
inline testsupport::Picture EndFrameAndRead(OXED3D* device)
{
    IDirect3DDevice9* d3d = device->GetD3DDevice();
    d3d->EndScene();
    testsupport::Picture picture;
    testsupport::ReadBackBuffer(d3d, picture);
    d3d->Present(nullptr, nullptr, nullptr, nullptr);
    device->m_inScene = false;
    return picture;
}

// Pixels whose RGB is not black in [x0,x1) x [y0,y1).
inline int LitPixels(const testsupport::Picture& p, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = std::max(y0, 0); y < y1 && y < p.height; ++y)
        for (int x = std::max(x0, 0); x < x1 && x < p.width; ++x)
            if (p.rgb(x, y) != 0) ++n;
    return n;
}
inline int LitPixels(const testsupport::Picture& p) { return LitPixels(p, 0, 0, p.width, p.height); }

// Pixels in [x0,x1) x [y0,y1) whose every channel lies within `tolerance` of rgb's. Text is
// antialiased: its glyph cores come close to the text colour without always reaching it.
inline int CountNear(const testsupport::Picture& p, uint32_t rgb, int tolerance, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = std::max(y0, 0); y < y1 && y < p.height; ++y)
        for (int x = std::max(x0, 0); x < x1 && x < p.width; ++x) {
            const uint32_t px = p.rgb(x, y);
            bool within = true;
            for (int shift = 0; shift < 24; shift += 8)
                within = within && std::abs(int((px >> shift) & 0xFF) - int((rgb >> shift) & 0xFF)) <= tolerance;
            n += within;
        }
    return n;
}
inline int CountNear(const testsupport::Picture& p, uint32_t rgb, int tolerance)
{
    return CountNear(p, rgb, tolerance, 0, 0, p.width, p.height);
}

// Antialiased glyph cores come within this many steps of the text colour in every channel.
const int kTextTolerance = 64;

// The smallest rectangle holding every non-black pixel; empty (right < left) when none.
inline RECT LitBounds(const testsupport::Picture& p)
{
    RECT r = {p.width, p.height, -1, -1};
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (p.rgb(x, y) != 0) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x);
                r.bottom = std::max<LONG>(r.bottom, y);
            }
    return r;
}

// The Direct3D device's reference count, read without changing it.
inline ULONG RefCount(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

} // namespace texttest
