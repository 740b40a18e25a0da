// Fuzzer: the compiled-effect check made before D3DX loads an effect (IsSoundEffectData). The
// input is the file, copied into a buffer of exactly its size so that the address sanitizer
// catches any read outside it. Records reached over and over must be refused within the work
// the file's size allows: an input that keeps the check busy fails the run through -timeout.
// Each input is checked a second time one word shorter, where a record that ended at the end
// of the file no longer fits.
#include <cstdint>
#include <cstring>
#include <memory>
#include "EffectFileCheck.h"

namespace {

void Check(const uint8_t* data, size_t size)
{
    std::unique_ptr<uint8_t[]> copy(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(copy.get(), data, size);
    IsSoundEffectData(copy.get(), size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Check(data, size);
    if (size >= 12) Check(data, size - 4);
    return 0;
}
