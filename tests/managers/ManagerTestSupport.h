// Helpers shared by the manager tests: bitmap files written on the spot, a log file the
// managers write to, and texel reads from a texture.
#pragma once
#include <windows.h>
#include <d3d9.h>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>
#include "OXELog.h"

namespace managertests {

// Writes an uncompressed bitmap file. pixels are 0xAARRGGBB, row 0 at the top of the image;
// bits is 24, 32 or 16 (16 writes X1R5G5B5). The file stores rows bottom-up, as usual.
bool WriteBitmap(const std::string& path, int width, int height, int bits,
                 const std::vector<uint32_t>& pixels);
// Same colour everywhere.
bool WriteSolidBitmap(const std::string& path, int width, int height, uint32_t rgb, int bits = 24);

// Level 0 of a texture, as 32-bit values (A8R8G8B8) or 16-bit values widened (R5G6B5).
struct Texels {
    int width = 0, height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    std::vector<uint32_t> values;
    uint32_t at(int x, int y) const { return values[size_t(y) * width + x]; }
};
Texels ReadTexels(IDirect3DTexture9* texture);

// A log in the working folder that a manager writes to; text() closes it and reads it.
class LogFile {
public:
    explicit LogFile(const char* name);
    OXELog* file() { return &log_; }
    std::string text();   // closes the file first
private:
    std::string name_;
    OXELog log_;
};

} // namespace managertests
