#include "EffectsTestSupport.h"
#include <gtest/gtest.h>
#include <vector>

namespace effectstest {

uint32_t PatternPixel(int x, int y, int tag)
{
    return 0xFF000000u | uint32_t(x & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 |
           uint32_t((x >> 8) & 3) << 6 | uint32_t((y >> 8) & 3) << 4 | uint32_t(tag & 3);
}

PixelRule Pattern(int tag)
{
    return [tag](int x, int y) { return PatternPixel(x, y, tag); };
}

void WriteDdsPicture(const std::string& file, int width, int height, const PixelRule& rule, bool alpha)
{
    // DDS header: magic, then the 124-byte surface description with a 32-byte pixel format.
    std::vector<uint32_t> data(32, 0);
    data[0] = 0x20534444;                            // "DDS "
    data[1] = 124;                                   // header size
    data[2] = 0x1 | 0x2 | 0x4 | 0x8 | 0x1000;        // caps, height, width, pitch, pixel format
    data[3] = uint32_t(height);
    data[4] = uint32_t(width);
    data[5] = uint32_t(width) * 4;                   // pitch
    data[19] = 32;                                   // pixel format size
    data[20] = 0x40 | (alpha ? 0x1 : 0);             // RGB (+ alpha)
    data[22] = 32;                                   // bits per pixel
    data[23] = 0x00FF0000;                           // masks: red, green, blue, alpha
    data[24] = 0x0000FF00;
    data[25] = 0x000000FF;
    data[26] = alpha ? 0xFF000000 : 0;
    data[27] = 0x1000;                               // caps: texture
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) data.push_back(rule(x, y));
    ASSERT_TRUE(testsupport::WriteFileBytes(file, data.data(), data.size() * 4)) << file;
}

testsupport::Picture ReadSurface(IDirect3DSurface9* surface)
{
    testsupport::Picture picture;
    D3DSURFACE_DESC desc;
    D3DLOCKED_RECT locked;
    if (!surface || FAILED(surface->GetDesc(&desc)) ||
        FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
        return picture;
    picture.width = int(desc.Width);
    picture.height = int(desc.Height);
    for (int y = 0; y < picture.height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(
            static_cast<const unsigned char*>(locked.pBits) + size_t(y) * locked.Pitch);
        picture.pixels.insert(picture.pixels.end(), row, row + picture.width);
    }
    surface->UnlockRect();
    return picture;
}

IDirect3DSurface9* MakeSurface(IDirect3DDevice9* device, int width, int height,
                               const PixelRule& rule, D3DFORMAT format)
{
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(device->CreateOffscreenPlainSurface(width, height, format, D3DPOOL_SYSTEMMEM,
                                                   &surface, nullptr)))
        return nullptr;
    D3DLOCKED_RECT locked;
    if (SUCCEEDED(surface->LockRect(&locked, nullptr, 0))) {
        for (int y = 0; y < height; ++y) {
            uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(locked.pBits) +
                                                        size_t(y) * locked.Pitch);
            for (int x = 0; x < width; ++x) row[x] = rule(x, y);
        }
        surface->UnlockRect();
    }
    return surface;
}

void PaintBackBuffer(IDirect3DDevice9* device, int width, int height, const PixelRule& rule)
{
    IDirect3DSurface9* picture = MakeSurface(device, width, height, rule);
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    EXPECT_EQ(device->UpdateSurface(picture, nullptr, backBuffer, nullptr), D3D_OK);
    backBuffer->Release();
    picture->Release();
}

int CountMismatches(const testsupport::Picture& picture, const PixelRule& rule, int x0, int y0,
                    int x1, int y1)
{
    int mismatches = 0;
    for (int y = y0; y < y1 && y < picture.height; ++y)
        for (int x = x0; x < x1 && x < picture.width; ++x)
            if (picture.rgb(x, y) != (rule(x, y) & 0x00FFFFFFu)) ++mismatches;
    return mismatches;
}

} // namespace effectstest
