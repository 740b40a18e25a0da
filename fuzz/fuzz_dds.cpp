// Fuzzer: the DDS writer and reader of tools/DdsFile.h. The first byte picks what the rest is:
//   0  a small picture (width, height, alpha, pixel bytes) written and read back;
//   1  any 32-bit width and height with the pixel words that follow: the writer must take
//      exactly the sizes that are consistent, and what it writes must read back unchanged;
//   2+ raw file bytes for the reader, which must never read outside them and, when it accepts
//      them, return a picture that writes back to a file of the same length and reads the same.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "DdsFile.h"

namespace {

[[noreturn]] void Fault(const char* what)
{
    std::fprintf(stderr, "fuzz_dds: %s\n", what);
    std::abort();
}

uint32_t Word(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// Writes the picture, reads it back and insists on the same picture.
void RoundTrip(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels, bool alpha)
{
    std::vector<uint8_t> file;
    if (!EncodeDds(width, height, pixels.data(), pixels.size(), alpha, file)) Fault("writer refused a consistent picture");
    if (file.size() != ddsfile::kHeaderBytes + pixels.size() * 4) Fault("file length is not header plus pixels");
    std::vector<uint8_t> exact(file);
    exact.shrink_to_fit();
    DdsPicture back;
    std::string why = DecodeDds(exact.data(), exact.size(), back);
    if (!why.empty()) {
        std::fprintf(stderr, "reader: %s\n", why.c_str());
        Fault("reader refused what the writer wrote");
    }
    if (back.width != width || back.height != height || back.alpha != alpha || back.pixels != pixels)
        Fault("picture changed on the way through the file");
}

void SmallPicture(const uint8_t* data, size_t size)
{
    if (size < 3) return;
    const uint32_t width = 1 + data[0] % 64, height = 1 + data[1] % 64;
    const bool alpha = data[2] & 1;
    data += 3, size -= 3;
    std::vector<uint32_t> pixels(size_t(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = size >= 4 ? Word(data + (i * 4) % (size - size % 4)) : uint32_t(i * 2654435761u);
    RoundTrip(width, height, pixels, alpha);
}

void AnySizes(const uint8_t* data, size_t size)
{
    if (size < 9) return;
    const uint32_t width = Word(data), height = Word(data + 4);
    const bool alpha = data[8] & 1;
    data += 9, size -= 9;
    std::vector<uint32_t> pixels(size / 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = Word(data + i * 4);
    const unsigned __int128 area = (unsigned __int128)width * height;
    const bool consistent = width >= 1 && height >= 1 && uint64_t(width) * 4 <= 0xFFFFFFFFu && area == pixels.size();
    std::vector<uint8_t> file;
    const bool taken = EncodeDds(width, height, pixels.data(), pixels.size(), alpha, file);
    if (taken != consistent) Fault(taken ? "writer took inconsistent sizes" : "writer refused consistent sizes");
    if (!taken && !file.empty()) Fault("writer refused but left bytes");
    if (taken) RoundTrip(width, height, pixels, alpha);
}

void RawFile(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> exact(data, data + size);
    exact.shrink_to_fit();
    DdsPicture picture;
    if (!DecodeDds(exact.data(), exact.size(), picture).empty()) {
        if (picture.width || picture.height || !picture.pixels.empty()) Fault("reader refused but returned a picture");
        return;
    }
    if (picture.pixels.size() != size_t(picture.width) * picture.height) Fault("pixel count is not width x height");
    std::vector<uint8_t> again;
    if (!EncodeDds(picture.width, picture.height, picture.pixels.data(), picture.pixels.size(), picture.alpha, again))
        Fault("writer refused a picture the reader accepted");
    if (again.size() != size) Fault("accepted file has another length than its picture needs");
    if (std::memcmp(again.data() + ddsfile::kHeaderBytes, exact.data() + ddsfile::kHeaderBytes, size - ddsfile::kHeaderBytes) != 0)
        Fault("pixels read are not the file's pixels");
    RoundTrip(picture.width, picture.height, picture.pixels, picture.alpha);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    switch (data[0]) {
    case 0: SmallPicture(data + 1, size - 1); break;
    case 1: AnySizes(data + 1, size - 1); break;
    default: RawFile(data + 1, size - 1); break;
    }
    return 0;
}
