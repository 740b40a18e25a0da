// Shared pieces of the parts tests: a fixture with a fresh real device per test, frame helpers
// that draw and read the back buffer back, colour comparisons, in-memory textures and a small
// DDS writer for fixture files.
#pragma once
#include <gtest/gtest.h>
#include <d3d9.h>
#include <d3dx9.h>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include "TestDevice.h"

namespace partstest {

// Channels of an X8R8G8B8 / A8R8G8B8 value.
inline int Red(uint32_t c) { return (c >> 16) & 0xFF; }
inline int Green(uint32_t c) { return (c >> 8) & 0xFF; }
inline int Blue(uint32_t c) { return c & 0xFF; }
inline int Alpha(uint32_t c) { return (c >> 24) & 0xFF; }

// True when every colour channel of a and b differs by at most tolerance.
inline bool Near(uint32_t a, uint32_t b, int tolerance)
{
    return std::abs(Red(a) - Red(b)) <= tolerance && std::abs(Green(a) - Green(b)) <= tolerance &&
           std::abs(Blue(a) - Blue(b)) <= tolerance;
}

// gtest message for a pixel: its RGB in hex.
inline std::string Hex(uint32_t c)
{
    char buf[16];
    snprintf(buf, sizeof buf, "%06X", unsigned(c & 0xFFFFFF));
    return buf;
}

// One real device serves every test of the program (making a device costs seconds under Wine).
// It is made by the first test that needs it and released by the global test environment before
// the program ends (a device left to static destruction can hang the process's exit under Wine).
// Each test starts from the device's initial state: a state block taken right after creation is
// applied again and the texture stages are emptied.
class SharedDevice {
public:
    static testsupport::TestDevice* get();
    static IDirect3DStateBlock9* initialState() { return state_; }
    static void release();

private:
    static testsupport::TestDevice* dev_;
    static IDirect3DStateBlock9* state_;
};

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(SharedDevice::get(), nullptr) << "no Direct3D device";
        ASSERT_NE(SharedDevice::initialState(), nullptr);
        SharedDevice::initialState()->Apply();
        for (DWORD stage = 0; stage < 8; ++stage) device()->SetTexture(stage, nullptr);
        device()->SetStreamSource(0, nullptr, 0, 0);
        device()->SetIndices(nullptr);
    }

    static testsupport::TestDevice& shared() { return *SharedDevice::get(); }

    IDirect3DDevice9* device() const { return shared().device(); }

    // Clears to a background colour and begins the scene.
    void beginFrame(D3DCOLOR background)
    {
        shared().clear(background);
        ASSERT_TRUE(SUCCEEDED(device()->BeginScene()));
    }
    // Ends the scene and returns what the frame drew.
    testsupport::Picture endFrame()
    {
        device()->EndScene();
        return shared().read();
    }
};

// A managed A8R8G8B8 texture of w x h filled by pixel(x, y) -> ARGB. Null on failure.
template <class F>
IDirect3DTexture9* MakeTexture(IDirect3DDevice9* device, int w, int h, F pixel)
{
    IDirect3DTexture9* tex = nullptr;
    if (FAILED(device->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex,
                                     nullptr)))
        return nullptr;
    D3DLOCKED_RECT lr;
    if (FAILED(tex->LockRect(0, &lr, nullptr, 0))) {
        tex->Release();
        return nullptr;
    }
    for (int y = 0; y < h; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(lr.pBits) +
                                                    size_t(y) * lr.Pitch);
        for (int x = 0; x < w; ++x) row[x] = pixel(x, y);
    }
    tex->UnlockRect(0);
    return tex;
}

// Writes an uncompressed A8R8G8B8 DDS file of w x h pixels from pixel(x, y) -> ARGB.
template <class F>
bool WriteDdsFile(const std::string& path, int w, int h, F pixel)
{
    std::vector<uint32_t> words = {0x20534444u, 124, 0x100F, uint32_t(h), uint32_t(w),
                                   uint32_t(w) * 4, 0, 0};
    for (int i = 0; i < 11; ++i) words.push_back(0);
    const uint32_t format[8] = {32, 0x41, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    words.insert(words.end(), format, format + 8);
    words.insert(words.end(), {0x1000u, 0u, 0u, 0u, 0u});
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) words.push_back(pixel(x, y));
    return testsupport::WriteFileBytes(path, words.data(), words.size() * 4);
}

// Reads one texel of level 0 of a lockable texture (A8R8G8B8); 0 when it cannot lock.
inline uint32_t TexelAt(IDirect3DTexture9* tex, int x, int y)
{
    D3DLOCKED_RECT lr;
    if (!tex || FAILED(tex->LockRect(0, &lr, nullptr, D3DLOCK_READONLY))) return 0;
    uint32_t v = reinterpret_cast<const uint32_t*>(static_cast<const unsigned char*>(lr.pBits) +
                                                   size_t(y) * lr.Pitch)[x];
    tex->UnlockRect(0);
    return v;
}

// Current reference count of a COM object (AddRef then Release).
inline ULONG RefCount(IUnknown* p)
{
    p->AddRef();
    return p->Release();
}

} // namespace partstest
