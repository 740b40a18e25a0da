// Copy of 24-bit bitmap rows into texture rows, as the skin manager loads bitmaps. Plain C++
// with plain integer types (no Windows headers), so that it is also built and fuzzed on the host.
#pragma once
#include <cstddef>
#include <cstdint>

// Copies height rows of width pixels from a 24-bit bitmap (three bytes blue, green, red per
// pixel; row y starts at src + y x srcPitch) into texture rows (row y at dst + y x dstPitch):
//   alpha set:   A8R8G8B8 texels, 0xFF000000 | red << 16 | green << 8 | blue, 4 bytes each;
//   alpha clear: R5G6B5 texels, each channel rounded to its nearest 5- or 6-bit value, 2 bytes.
// Texels are stored little-endian; bytes between the rows are left alone. Rows are taken in the
// order they lie in memory (no flip).
// Returns false and writes nothing when the sizes do not fit the buffers: a row longer than its
// pitch, or the last row reaching past srcSize or dstSize bytes. No rows (width or height 0)
// copy nothing and succeed.
bool OXECopyBitmapRows(const uint8_t* src, size_t srcSize, uint32_t srcPitch, uint32_t width,
                       uint32_t height, uint8_t* dst, size_t dstSize, uint32_t dstPitch, bool alpha);
