// Fuzzer: the skin manager's copy of 24-bit bitmap rows into texture rows (OXECopyBitmapRows).
// Input: width, height, both pitches, both buffer sizes and the texture format, then the bitmap
// bytes. Width and height take any 32-bit value while the buffers stay small, so absurd sizes
// meet small buffers; both buffers are allocated exactly, so the address sanitizer catches any
// byte touched outside them. The copy must take exactly the sizes that fit, and what it writes
// is compared with an independent per-pixel computation; bytes between rows and after the last
// row must stay as they were.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include "OXEBitmapRows.h"

namespace {

[[noreturn]] void Fault(const char* what, uint32_t w, uint32_t h, uint32_t sp, uint32_t dp, size_t ss, size_t ds)
{
    std::fprintf(stderr, "fuzz_bitmaprows: %s (width %u height %u src pitch %u dst pitch %u src %zu dst %zu)\n",
                 what, w, h, sp, dp, ss, ds);
    std::abort();
}

uint32_t Word(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

const size_t kMaxBuffer = 1 << 14; // largest buffer the fuzzer allocates
const uint8_t kUntouched = 0xA5;   // destination bytes before the copy

// rows x pitch laid out: the last row ends inside size bytes and no row is longer than its pitch.
bool Fits(uint64_t rows, uint64_t rowBytes, uint64_t pitch, uint64_t size)
{
    if (rowBytes > pitch) return false;
    const unsigned __int128 end = (unsigned __int128)(rows - 1) * pitch + rowBytes;
    return end <= size;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 21) return 0;
    const uint32_t width = Word(data), height = Word(data + 4);
    const uint32_t srcPitch = Word(data + 8), dstPitch = Word(data + 12);
    const size_t srcSize = Word(data + 16) % (kMaxBuffer + 1);
    const bool alpha = data[20] & 1;
    // Half of the runs take a destination just big enough for the rows, as a locked surface is.
    const uint64_t texel = alpha ? 4 : 2;
    size_t dstSize = (data[20] & 2) ? Word(data + 16) / 7 % (kMaxBuffer + 1) : 0;
    if (!(data[20] & 2) && height >= 1 && height <= kMaxBuffer && uint64_t(dstPitch) * height <= kMaxBuffer)
        dstSize = size_t(dstPitch) * height;
    data += 21, size -= 21;

    std::unique_ptr<uint8_t[]> src(new uint8_t[srcSize ? srcSize : 1]);
    for (size_t i = 0; i < srcSize; ++i) src[i] = size ? data[i % size] : uint8_t(i * 7);
    std::unique_ptr<uint8_t[]> dst(new uint8_t[dstSize ? dstSize : 1]);
    std::memset(dst.get(), kUntouched, dstSize);

    const bool empty = width == 0 || height == 0;
    const bool fits = empty || (Fits(height, uint64_t(width) * 3, srcPitch, srcSize) &&
                                Fits(height, uint64_t(width) * texel, dstPitch, dstSize));
    const bool copied = OXECopyBitmapRows(src.get(), srcSize, srcPitch, width, height, dst.get(), dstSize, dstPitch, alpha);
    if (copied != fits)
        Fault(copied ? "took sizes that do not fit" : "refused sizes that fit", width, height, srcPitch, dstPitch, srcSize, dstSize);

    std::unique_ptr<bool[]> written(new bool[dstSize ? dstSize : 1]());
    if (copied && !empty) {
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t* in = src.get() + size_t(y) * srcPitch + size_t(x) * 3;
                const size_t at = size_t(y) * dstPitch + size_t(x) * texel;
                uint32_t expect;
                if (alpha) {
                    expect = 0xFF000000u | uint32_t(in[2]) << 16 | uint32_t(in[1]) << 8 | in[0];
                } else {
                    const uint32_t r = uint32_t(std::lround(in[2] * 31 / 255.0));
                    const uint32_t g = uint32_t(std::lround(in[1] * 63 / 255.0));
                    const uint32_t b = uint32_t(std::lround(in[0] * 31 / 255.0));
                    expect = r << 11 | g << 5 | b;
                }
                for (uint64_t k = 0; k < texel; ++k) {
                    if (dst[at + k] != uint8_t(expect >> (8 * k)))
                        Fault("texel differs from its bitmap pixel", width, height, srcPitch, dstPitch, srcSize, dstSize);
                    written[at + k] = true;
                }
            }
    }
    for (size_t i = 0; i < dstSize; ++i)
        if (!written[i] && dst[i] != kUntouched)
            Fault("a byte outside the texels changed", width, height, srcPitch, dstPitch, srcSize, dstSize);
    return 0;
}
