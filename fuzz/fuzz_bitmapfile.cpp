// Fuzzer: the bitmap check made before the system's loader reads a bitmap (IsWholeBitmapData).
// The input is the file; the check sees its first 138 bytes, as the file check reads them, and
// its size. The undefined-behaviour sanitizer catches a size computation that overflows, the
// address sanitizer a read outside the header. What the check takes is checked independently
// with 128-bit arithmetic: the sides within bounds, the palette before the rows, and every row
// inside the file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include "BitmapFileCheck.h"

namespace {

const size_t kHead = 138;

uint32_t U16(const uint8_t* p) { return uint32_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

[[noreturn]] void Fault(const char* what)
{
    std::fprintf(stderr, "fuzz_bitmapfile: a bitmap taken although %s\n", what);
    std::abort();
}

// The file taken by the check: its rows must lie inside it by 128-bit arithmetic.
void Confirm(const uint8_t* d, size_t size)
{
    const uint32_t infoSize = U32(d + 14);
    const bool core = infoSize == 12;
    if (!core && (infoSize < 40 || infoSize > 124)) Fault("its header size is unknown");
    if (14 + infoSize > size) Fault("its header is cut");
    int64_t width = core ? int64_t(U16(d + 18)) : int64_t(int32_t(U32(d + 18)));
    int64_t height = core ? int64_t(U16(d + 20)) : int64_t(int32_t(U32(d + 22)));
    const uint32_t bits = core ? U16(d + 24) : U16(d + 28);
    if (height < 0) height = -height;
    if (width < 1 || height < 1 || width > kMaxBitmapSide || height > kMaxBitmapSide) Fault("a side is out of bounds");
    const unsigned __int128 pitch = ((unsigned __int128)width * bits + 31) / 32 * 4;
    const unsigned __int128 end = (unsigned __int128)U32(d + 10) + pitch * (unsigned __int128)height;
    if (end > size) Fault("its rows pass the end of the file");
    if (!core) {
        const uint32_t used = U32(d + 46);
        if (bits <= 8 ? used > (1u << bits) : used > 256) Fault("its palette is larger than its bits allow");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const size_t head = size < kHead ? size : kHead;
    std::unique_ptr<uint8_t[]> copy(new uint8_t[head ? head : 1]);
    if (head) std::memcpy(copy.get(), data, head);
    if (IsWholeBitmapData(copy.get(), head, size)) Confirm(data, size);
    // The same header claimed for a file of 2^40 bytes: only the bounds stand between the
    // sizes and an overflow.
    IsWholeBitmapData(copy.get(), head, 1ULL << 40);
    return 0;
}
