// Fuzzer: the check of .x mesh files made before D3DX loads a mesh (IsSoundXData), above all
// its walk of the compressed form's blocks and their deflate data. The input is the file,
// copied into a buffer of exactly its size so that the address sanitizer catches any read
// outside it. A compressed file the check takes is inflated again with zlib, block by block,
// each block with the output before it as its history: no block may inflate to more than it
// states, and one that zlib inflates to its end must give exactly what it states (the sizes
// D3DX's decompressor sizes its buffers by).
#include <zlib.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include "XFileCheck.h"

namespace {

[[noreturn]] void Fault(const char* what, size_t block)
{
    std::fprintf(stderr, "fuzz_xfile: a file taken whose block %zu %s\n", block, what);
    std::abort();
}

void Confirm(const uint8_t* data, size_t size)
{
    std::string out;
    size_t at = 20, block = 0;
    while (at + 4 <= size) {
        const size_t stated = data[at] | data[at + 1] << 8;
        const size_t stored = data[at + 2] | data[at + 3] << 8;
        at += 4;
        if (stored < 2 || stored > size - at) Fault("runs past the end of the file", block);
        z_stream z;
        std::memset(&z, 0, sizeof z);
        if (inflateInit2(&z, -15) != Z_OK) std::abort();
        const size_t window = out.size() < 32768 ? out.size() : 32768;
        if (window) inflateSetDictionary(&z, reinterpret_cast<const Bytef*>(out.data() + out.size() - window), uInt(window));
        std::string produced(stated + 1, '\0');
        z.next_in = const_cast<Bytef*>(data + at + 2);
        z.avail_in = uInt(stored - 2);
        z.next_out = reinterpret_cast<Bytef*>(&produced[0]);
        z.avail_out = uInt(produced.size());
        const int result = inflate(&z, Z_FINISH);
        const size_t got = produced.size() - z.avail_out;
        inflateEnd(&z);
        if (got > stated) Fault("inflates to more than it states", block);
        if (result == Z_STREAM_END && got != stated) Fault("inflates to less than it states", block);
        produced.resize(got);
        out += produced;
        at += stored;
        ++block;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<uint8_t[]> copy(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(copy.get(), data, size);
    const bool compressed = size >= 16 && std::memcmp(data, "xof ", 4) == 0 &&
                            (std::memcmp(data + 8, "tzip", 4) == 0 || std::memcmp(data + 8, "bzip", 4) == 0);
    if (IsSoundXData(copy.get(), size) && compressed) Confirm(data, size);
    return 0;
}
