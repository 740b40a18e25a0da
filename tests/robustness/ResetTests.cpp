// A render device reset in the middle of a run of frames, with fonts, quads, a sprite and a
// particle system alive: everything still draws afterwards (read back from the real device),
// and once all of it and the render device are released, nothing holds the Direct3D device.
#include "OXED3D.h"
#include "OXEResult.h"
#include "OXEParticleSystem.h"
#include "Sprite2D.h"
#include "geQuad.h"
#include "TestDevice.h"
#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using testsupport::Picture;

namespace {

// Writes an uncompressed A8R8G8B8 DDS file of w x h pixels, colour(x, y) each.
bool WriteDds(const std::string& path, int w, int h, const std::function<uint32_t(int, int)>& colour)
{
    uint32_t header[32] = {};
    std::memcpy(&header[0], "DDS ", 4);
    header[1] = 124;                        // header size
    header[2] = 0x1 | 0x2 | 0x4 | 0x8 | 0x1000; // caps, height, width, pitch, pixel format
    header[3] = uint32_t(h);
    header[4] = uint32_t(w);
    header[5] = uint32_t(w) * 4;            // pitch
    header[19] = 32;                        // pixel format size
    header[20] = 0x40 | 0x1;                // RGB with alpha
    header[22] = 32;                        // bits per pixel
    header[23] = 0x00FF0000;
    header[24] = 0x0000FF00;
    header[25] = 0x000000FF;
    header[26] = 0xFF000000;
    header[27] = 0x1000;                    // a texture
    std::vector<uint32_t> bytes(header, header + 32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bytes.push_back(colour(x, y));
    return testsupport::WriteFileBytes(path, bytes.data(), bytes.size() * sizeof(uint32_t));
}

// Pixels in [x0, x1) x [y0, y1) whose colour channels are all within 40 of rgb.
int CountNear(const Picture& p, uint32_t rgb, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint32_t c = p.at(x, y);
            bool within = true;
            for (int shift = 0; shift <= 16; shift += 8) {
                const int a = int((c >> shift) & 0xFF), b = int((rgb >> shift) & 0xFF);
                if (a - b > 40 || b - a > 40) within = false;
            }
            if (within) ++n;
        }
    return n;
}

// Pixels in the rectangle that are not black.
int CountLit(const Picture& p, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if ((p.at(x, y) & 0xFFFFFF) != 0) ++n;
    return n;
}

void Box(geQuad& q, IDirect3DDevice9* device, int x, int y, int w, int h, DWORD colour)
{
    q.doBox(w, h, 0);
    q.setGlobalCoords(x, y, 0);
    q.setColor(colour, colour, colour, colour);
    q.createGeoBuffers(device);
}

// What one frame of the scene below showed.
struct Seen {
    int red = 0, green = 0, text = 0, sprite = 0, particles = 0;
};

} // namespace

TEST(DeviceReset, EverythingAliveSurvivesAResetBetweenFrames)
{
    ASSERT_TRUE(WriteDds("reset-blue.dds", 16, 16, [](int, int) { return 0xFF0000FFu; }));
    ASSERT_TRUE(WriteDds("reset-spark.dds", 8, 8, [](int, int) { return 0xFFFFFFFFu; }));

    testsupport::TestWindow window(640, 480, "ResetTest");
    OXED3D* device = new OXED3D(GetModuleHandleA(nullptr));
    ASSERT_EQ(device->Init(window.handle(), 16, 8, false, true), OXE_OK);
    IDirect3DDevice9* d3d = device->GetD3DDevice();
    ASSERT_NE(d3d, nullptr);
    d3d->AddRef(); // our own reference, to see the last Release at the end

    {
        device->CreateDefaultFonts();
        UINT listFont = 0;
        ASSERT_EQ(device->CreateArialFont(0, 700, false, 0, 0, 14, &listFont), OXE_OK);
        ASSERT_EQ(device->CreateFontInSlot(0, "Arial", 20, 10, 700, false), OXE_OK);

        geQuad red, green;
        Box(red, d3d, 20, 20, 60, 40, 0xFFFF0000);
        Box(green, d3d, 100, 20, 60, 40, 0xFF00FF00);
        Sprite2D sprite;
        sprite.Create(d3d, "reset-blue.dds");
        ASSERT_NE(sprite.texture, nullptr);
        sprite.x = 200;
        sprite.y = 20;
        OXEParticleSystem sparks;
        OXEParticleSystemParams params;
        params.position = D3DXVECTOR3(400, 300, 0);
        params.velocity = D3DXVECTOR3(0, 0, 0);
        params.size = 20;
        params.finalSize = 20;
        params.startColour = 0xFFFFFFFF;
        params.endColour = 0xFFFFFFFF;
        params.lifeTime = 100.0f;
        params.dispersion = 0.0f;
        params.speed = 0.0f;
        sparks.Create(d3d, params, 20, 1000, "reset-spark.dds");
        ASSERT_NE(sparks.texture, nullptr);
        sparks.Simulate(0.02f); // all twenty born

        // One frame of everything; the frame is read back before EndFrame presents it.
        auto frame = [&](Seen& seen) {
            ASSERT_EQ(device->BeginFrame(true, true, false), OXE_OK);
            red.Render(d3d);
            green.Render(d3d);
            sprite.Render(d3d);
            sparks.Render(d3d);
            device->DrawTextAt(0, "WWWW", 20, 100, 255, 255, 255, 255);        // slot font
            device->DrawTextAt(21, "WWWW", 20, 140, 255, 255, 255, 255);       // default row 1
            device->DrawFormattedText(listFont, 20, 180, 255, 255, 255, "%s", "WWWW");
            Picture p;
            ASSERT_TRUE(testsupport::ReadBackBuffer(d3d, p));
            ASSERT_EQ(device->EndFrame(), OXE_OK);
            seen.red = CountNear(p, 0xFF0000, 20, 20, 80, 60);
            seen.green = CountNear(p, 0x00FF00, 100, 20, 160, 60);
            seen.sprite = CountNear(p, 0x0000FF, 200, 20, 216, 36);
            seen.text = std::min({CountLit(p, 20, 100, 200, 130), CountLit(p, 20, 140, 200, 170),
                                  CountLit(p, 20, 180, 200, 210)});
            seen.particles = CountLit(p, 360, 260, 440, 340);
        };

        Seen before, after;
        for (int i = 0; i < 3; ++i) frame(before);
        EXPECT_EQ(before.red, 60 * 40);
        EXPECT_EQ(before.green, 60 * 40);
        EXPECT_EQ(before.sprite, 16 * 16);
        EXPECT_GT(before.text, 20);
        EXPECT_GT(before.particles, 20);

        ASSERT_EQ(device->ResetDevice(), OXE_OK);
        EXPECT_EQ(device->GetD3DDevice(), d3d); // the same device, reset in place

        for (int i = 0; i < 3; ++i) frame(after);
        EXPECT_EQ(after.red, before.red);
        EXPECT_EQ(after.green, before.green);
        EXPECT_EQ(after.sprite, before.sprite);
        EXPECT_EQ(after.text, before.text);
        EXPECT_EQ(after.particles, before.particles);

        // A quad moved after the reset: its vertex buffer can still be rewritten.
        red.setGlobalCoords(300, 20, 0);
        red.RefreshGeoBuffers(d3d);
        Seen moved;
        frame(moved);
        EXPECT_EQ(moved.red, 0);            // gone from where it was
        EXPECT_EQ(moved.green, before.green); // the others untouched
        EXPECT_EQ(moved.sprite, before.sprite);
    } // quads, sprite and particles release their buffers and textures here

    device->Release();
    delete device;
    EXPECT_EQ(d3d->Release(), 0u); // nothing else holds the Direct3D device
}
