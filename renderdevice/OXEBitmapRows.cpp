// 24-bit bitmap rows into A8R8G8B8 or R5G6B5 texture rows, with the sizes checked first.
#include "OXEBitmapRows.h"

namespace {

// rows rows of rowBytes bytes each, pitch bytes apart, fit in size bytes.
bool RowsFit(size_t size, uint32_t pitch, uint32_t rows, uint64_t rowBytes)
{
    if (rowBytes > pitch || rowBytes > size) return false;
    // The last row starts at (rows - 1) x pitch and must end by size.
    return uint64_t(rows - 1) <= (uint64_t(size) - rowBytes) / (pitch ? pitch : 1);
}

} // namespace

bool OXECopyBitmapRows(const uint8_t* src, size_t srcSize, uint32_t srcPitch, uint32_t width,
                       uint32_t height, uint8_t* dst, size_t dstSize, uint32_t dstPitch, bool alpha)
{
    if (width == 0 || height == 0) return true;
    const uint64_t texelBytes = alpha ? 4 : 2;
    if (!src || !dst || !RowsFit(srcSize, srcPitch, height, uint64_t(width) * 3) ||
        !RowsFit(dstSize, dstPitch, height, uint64_t(width) * texelBytes))
        return false;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = src + size_t(y) * srcPitch;
        uint8_t* out = dst + size_t(y) * dstPitch;
        for (uint32_t x = 0; x < width; ++x, in += 3) {
            const uint32_t blue = in[0], green = in[1], red = in[2];
            if (alpha) {
                out[0] = uint8_t(blue), out[1] = uint8_t(green), out[2] = uint8_t(red), out[3] = 0xFF;
                out += 4;
            } else {
                // Each channel rounded to its nearest 5- or 6-bit value.
                const uint32_t r5 = (red * 31 + 127) / 255, g6 = (green * 63 + 127) / 255,
                               b5 = (blue * 31 + 127) / 255;
                const uint32_t texel = r5 << 11 | g6 << 5 | b5;
                out[0] = uint8_t(texel), out[1] = uint8_t(texel >> 8);
                out += 2;
            }
        }
    }
    return true;
}
