// Pictures with known pixels for the transition tests: written as uncompressed 32-bit DDS files,
// and read back from system-memory surfaces and from the back buffer.
#pragma once
#include <d3d9.h>
#include <cstdint>
#include <functional>
#include <string>
#include "TestDevice.h"

namespace effectstest {

using PixelRule = std::function<uint32_t(int x, int y)>;

// A distinct opaque colour for every pixel of a picture up to 1024 x 1024; tag (0..3) tells
// pictures apart, so no pixel of one picture equals a pixel of another.
uint32_t PatternPixel(int x, int y, int tag);
PixelRule Pattern(int tag);

// Writes a width x height DDS file with the pixels of rule: X8R8G8B8, or A8R8G8B8 with alpha.
void WriteDdsPicture(const std::string& file, int width, int height, const PixelRule& rule,
                     bool alpha = false);

// The pixels of a lockable surface (a system-memory one), row by row.
testsupport::Picture ReadSurface(IDirect3DSurface9* surface);

// A system-memory surface of the given size with the pixels of rule (the caller releases it).
IDirect3DSurface9* MakeSurface(IDirect3DDevice9* device, int width, int height,
                               const PixelRule& rule, D3DFORMAT format = D3DFMT_X8R8G8B8);

// Puts a picture on the back buffer (through a system-memory surface and UpdateSurface).
void PaintBackBuffer(IDirect3DDevice9* device, int width, int height, const PixelRule& rule);

// Number of pixels of the rectangle [x0, x1) x [y0, y1) whose RGB differs from rule's.
int CountMismatches(const testsupport::Picture& picture, const PixelRule& rule, int x0, int y0,
                    int x1, int y1);
inline int CountMismatches(const testsupport::Picture& picture, const PixelRule& rule)
{
    return CountMismatches(picture, rule, 0, 0, picture.width, picture.height);
}

} // namespace effectstest
