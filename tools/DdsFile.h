// DdsFile: the uncompressed 32-bit DDS files the project writes (the game's images, the tests'
// pictures) and a strict reader for them. Header only and plain C++, so that the host image
// tool, the fuzzers and the Windows tests can all use the same code.
//
// Layout: "DDS " magic, the 124-byte surface header with its 32-byte pixel format (RGB, 32 bits,
// masks 00FF0000 / 0000FF00 / 000000FF and alpha mask FF000000 or none), then the pixels as
// little-endian ARGB words, row by row from the top, the pitch being width x 4.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A picture read from a DDS file.
struct DdsPicture {
    uint32_t width = 0;           // pixels per row
    uint32_t height = 0;          // rows
    bool alpha = false;           // A8R8G8B8 (true) or X8R8G8B8 (false)
    std::vector<uint32_t> pixels; // ARGB, row by row from the top
};

namespace ddsfile {

const size_t kHeaderBytes = 128; // magic and surface header
const uint32_t kMaxWidth = 0x3FFFFFFFu; // the widest picture whose pitch fits the 32-bit field

// Header flags and capabilities the files use.
const uint32_t kCaps = 0x1, kHeight = 0x2, kWidth = 0x4, kPitch = 0x8, kPixelFormat = 0x1000,
               kMipMapCount = 0x20000, kLinearSize = 0x80000, kDepth = 0x800000;
const uint32_t kAlphaPixels = 0x1, kRgb = 0x40;
const uint32_t kCapsTexture = 0x1000;

inline void Put(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

inline uint32_t Get(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace ddsfile

// Encodes width x height ARGB pixels (row by row from the top) as an uncompressed DDS file:
// A8R8G8B8 when alpha is set, X8R8G8B8 otherwise. Returns false, leaving out empty, when a size
// is 0, the width's pitch does not fit the header, or pixelCount is not width x height.
inline bool EncodeDds(uint32_t width, uint32_t height, const uint32_t* pixels, size_t pixelCount,
                      bool alpha, std::vector<uint8_t>& out)
{
    using namespace ddsfile;
    out.clear();
    if (width == 0 || height == 0 || width > kMaxWidth || !pixels) return false;
    if (pixelCount / width != height || pixelCount % width != 0) return false;

    out.reserve(kHeaderBytes + pixelCount * 4);
    out.insert(out.end(), {'D', 'D', 'S', ' '});
    Put(out, 124);                                                 // header size
    Put(out, kCaps | kHeight | kWidth | kPitch | kPixelFormat);
    Put(out, height);
    Put(out, width);
    Put(out, width * 4);                                           // pitch
    Put(out, 0);                                                   // depth
    Put(out, 0);                                                   // mip levels
    for (int i = 0; i < 11; ++i) Put(out, 0);                      // reserved
    Put(out, 32);                                                  // pixel format size
    Put(out, kRgb | (alpha ? kAlphaPixels : 0));
    Put(out, 0);                                                   // no FourCC
    Put(out, 32);                                                  // bits per pixel
    Put(out, 0x00FF0000);                                          // red mask
    Put(out, 0x0000FF00);                                          // green mask
    Put(out, 0x000000FF);                                          // blue mask
    Put(out, alpha ? 0xFF000000 : 0);                              // alpha mask
    Put(out, kCapsTexture);
    for (int i = 0; i < 4; ++i) Put(out, 0);                       // caps2..4, reserved
    for (size_t i = 0; i < pixelCount; ++i) Put(out, pixels[i]);
    return true;
}

// Reads a file in the form EncodeDds writes. The header is checked strictly: magic, header and
// pixel format sizes, flags, width and height of at least 1, pitch of width x 4, the 32-bit RGB
// masks, a plain texture (no cube map or volume, one level) and a file length of exactly the
// header plus height x pitch. Returns "" on success, otherwise what is wrong (out is then empty).
inline std::string DecodeDds(const uint8_t* data, size_t size, DdsPicture& out)
{
    using namespace ddsfile;
    out = DdsPicture();
    if (!data || size < kHeaderBytes) return "shorter than a DDS header";
    auto at = [&](size_t offset) { return Get(data + offset); };
    if (at(0) != 0x20534444u) return "no DDS magic";
    if (at(4) != 124) return "surface header size is not 124";
    const uint32_t flags = at(8), height = at(12), width = at(16), pitch = at(20), mips = at(28);
    const uint32_t needed = kCaps | kHeight | kWidth | kPitch | kPixelFormat;
    if ((flags & needed) != needed) return "header flags lack caps, size, pitch or pixel format";
    if (flags & (kLinearSize | kDepth)) return "header flags name a compressed or volume surface";
    if ((flags & kMipMapCount) && mips > 1) return "more than one mip level";
    if (width == 0 || height == 0) return "width or height is 0";
    if (width > kMaxWidth || pitch != width * 4) return "pitch is not width x 4";
    if (at(76) != 32) return "pixel format size is not 32";
    const uint32_t pfFlags = at(80);
    if ((pfFlags & ~kAlphaPixels) != kRgb) return "pixel format is not plain RGB";
    const bool alpha = (pfFlags & kAlphaPixels) != 0;
    if (at(88) != 32) return "not 32 bits per pixel";
    if (at(92) != 0x00FF0000u || at(96) != 0x0000FF00u || at(100) != 0x000000FFu ||
        at(104) != (alpha ? 0xFF000000u : 0u))
        return "colour masks are not A8R8G8B8 / X8R8G8B8";
    if (!(at(108) & kCapsTexture)) return "caps lack the texture bit";
    if (at(112) != 0) return "a cube map or volume";
    if (height > (SIZE_MAX - kHeaderBytes) / pitch) return "pixel data larger than memory";
    const size_t pixelBytes = size_t(pitch) * height;
    if (size - kHeaderBytes != pixelBytes) return "file length is not the header plus height x pitch";

    out.width = width;
    out.height = height;
    out.alpha = alpha;
    out.pixels.resize(pixelBytes / 4);
    for (size_t i = 0; i < out.pixels.size(); ++i) out.pixels[i] = Get(data + kHeaderBytes + i * 4);
    return "";
}
