// Host build tool: draws the game's nine images procedurally and writes them as uncompressed
// A8R8G8B8 DDS files into the folder given on the command line.
//
//   BrixelImages <output folder>
//
// Images: seven bevelled 25x25 block tiles (one per piece kind, in that kind's colour), the torch
// sprite "soihtu.dds" (128x256, transparent around the torch) and the soft flame particle
// "torch.dds" (32x32, alpha falling off from the centre).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>
#include "DdsFile.h"

namespace {

// One picture in memory: ARGB pixels, row by row from the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    Image(int w, int h) : width(w), height(h), pixels(size_t(w) * h, 0) {}
    uint32_t& at(int x, int y) { return pixels[size_t(y) * width + x]; }
};

// A colour with float channels 0..255, for mixing before packing.
struct Rgba {
    float r, g, b, a;
};

uint8_t ClampByte(float v)
{
    return uint8_t(std::min(255.0f, std::max(0.0f, v + 0.5f)));
}

uint32_t Pack(const Rgba& c)
{
    return uint32_t(ClampByte(c.a)) << 24 | uint32_t(ClampByte(c.r)) << 16 |
           uint32_t(ClampByte(c.g)) << 8 | uint32_t(ClampByte(c.b));
}

Rgba Unpack(uint32_t argb)
{
    return {float((argb >> 16) & 0xFF), float((argb >> 8) & 0xFF), float(argb & 0xFF),
            float(argb >> 24)};
}

Rgba Mix(const Rgba& a, const Rgba& b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

float Clamp01(float v)
{
    return std::min(1.0f, std::max(0.0f, v));
}

// Smooth 0..1 step between edge0 and edge1.
float SmoothStep(float edge0, float edge1, float v)
{
    float t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

// Lays colour c over the pixel at (x, y) with coverage c.a / 255 ("over" compositing).
void Blend(Image& img, int x, int y, const Rgba& c)
{
    if (x < 0 || y < 0 || x >= img.width || y >= img.height) return;
    Rgba dst = Unpack(img.at(x, y));
    float sa = c.a / 255.0f;
    float da = dst.a / 255.0f;
    float outA = sa + da * (1.0f - sa);
    if (outA <= 0.0f) return;
    Rgba out;
    out.r = (c.r * sa + dst.r * da * (1.0f - sa)) / outA;
    out.g = (c.g * sa + dst.g * da * (1.0f - sa)) / outA;
    out.b = (c.b * sa + dst.b * da * (1.0f - sa)) / outA;
    out.a = outA * 255.0f;
    img.at(x, y) = Pack(out);
}

// --- DDS writing ----------------------------------------------------------------------------

// An uncompressed A8R8G8B8 DDS file of the picture.
bool WriteDds(const std::string& path, const Image& img)
{
    std::vector<uint8_t> out;
    if (!EncodeDds(uint32_t(img.width), uint32_t(img.height), img.pixels.data(), img.pixels.size(), true, out))
        return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

// --- Block tiles ----------------------------------------------------------------------------

// A 25x25 opaque tile: a face with a gentle top-to-bottom gradient, a 3-pixel bevel lit from the
// top left (light top and left edges, dark bottom and right edges) and a one-pixel dark rim.
Image MakeBlockTile(uint32_t argb)
{
    const int size = 25;
    const int bevel = 3;
    const Rgba base = Unpack(argb | 0xFF000000u);
    const Rgba white = {255, 255, 255, 255};
    const Rgba black = {0, 0, 0, 255};
    Image img(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Rgba c;
            int left = x, top = y, right = size - 1 - x, bottom = size - 1 - y;
            int edge = std::min(std::min(left, top), std::min(right, bottom));
            if (edge == 0) {
                c = Mix(base, black, 0.65f);                      // rim
            } else if (edge <= bevel) {
                // The nearest edge decides: top and left are lit, bottom and right shaded.
                bool lit = std::min(top, left) <= std::min(bottom, right);
                c = lit ? Mix(base, white, 0.45f) : Mix(base, black, 0.40f);
            } else {
                float t = float(y - bevel) / float(size - 2 * bevel);
                c = Mix(Mix(base, white, 0.12f), Mix(base, black, 0.12f), t);
            }
            c.a = 255;
            img.at(x, y) = Pack(c);
        }
    }
    return img;
}

// --- Torch sprite ---------------------------------------------------------------------------

// Coverage of a horizontal span [x0, x1] at pixel column x (anti-aliased edges).
float SpanCoverage(float x, float x0, float x1)
{
    float lo = std::max(x, x0);
    float hi = std::min(x + 1.0f, x1);
    return Clamp01(hi - lo);
}

// A wall torch, 128x256, drawn so that its burning head sits at (60, 20): a tapering wooden
// handle, a metal cup with a rim and glowing embers, and a wall bracket ring round the handle.
Image MakeTorchSprite()
{
    const int w = 128, h = 256;
    const float cx = 60.0f;
    Image img(w, h);

    const Rgba woodDark = {70, 40, 18, 255};
    const Rgba woodLight = {150, 96, 48, 255};
    const Rgba metalDark = {45, 45, 52, 255};
    const Rgba metalLight = {170, 170, 182, 255};

    // Handle: from y = 54 (width 16) down to y = 250 (width 8), shaded across its width, with
    // darker rings of grain every 14 rows.
    for (int y = 54; y < 250; ++y) {
        float t = float(y - 54) / float(250 - 54);
        float half = 8.0f - 4.0f * t;
        for (int x = 0; x < w; ++x) {
            float cov = SpanCoverage(float(x), cx - half, cx + half);
            if (cov <= 0.0f) continue;
            float across = Clamp01((float(x) + 0.5f - (cx - half)) / (2.0f * half));
            Rgba c = Mix(woodLight, woodDark, across);
            if (y % 14 == 0) c = Mix(c, woodDark, 0.5f);
            c.a = 255.0f * cov;
            Blend(img, x, y, c);
        }
    }

    // Cup: a bowl widening from 12 (y = 56) to 22 half-width (y = 26), metal shaded from the
    // left, with a bright rim line at the top.
    for (int y = 24; y < 58; ++y) {
        float t = Clamp01(float(58 - y) / float(58 - 26));
        float half = 12.0f + 10.0f * t * t;
        for (int x = 0; x < w; ++x) {
            float cov = SpanCoverage(float(x), cx - half, cx + half);
            if (cov <= 0.0f) continue;
            float across = Clamp01((float(x) + 0.5f - (cx - half)) / (2.0f * half));
            Rgba c = Mix(metalLight, metalDark, SmoothStep(0.0f, 1.0f, across));
            if (y < 28) c = Mix(c, metalLight, 0.6f);
            c.a = 255.0f * cov;
            Blend(img, x, y, c);
        }
    }

    // Embers: a glowing ellipse on top of the cup, orange at the edge and yellow in the middle.
    for (int y = 8; y < 34; ++y) {
        for (int x = 30; x < 92; ++x) {
            float dx = (float(x) + 0.5f - cx) / 20.0f;
            float dy = (float(y) + 0.5f - 24.0f) / 8.0f;
            float d = std::sqrt(dx * dx + dy * dy);
            float cov = 1.0f - SmoothStep(0.85f, 1.0f, d);
            if (cov <= 0.0f) continue;
            Rgba c = Mix(Rgba{255, 230, 120, 255}, Rgba{200, 60, 10, 255}, Clamp01(d));
            c.a = 255.0f * cov;
            Blend(img, x, y, c);
        }
    }

    // Bracket ring round the handle at y = 120..132, wider than the handle.
    for (int y = 120; y < 132; ++y) {
        float half = 12.0f;
        for (int x = 0; x < w; ++x) {
            float cov = SpanCoverage(float(x), cx - half, cx + half);
            if (cov <= 0.0f) continue;
            float across = Clamp01((float(x) + 0.5f - (cx - half)) / (2.0f * half));
            Rgba c = Mix(metalLight, metalDark, across);
            if (y == 120 || y == 131) c = Mix(c, metalDark, 0.5f);
            c.a = 255.0f * cov;
            Blend(img, x, y, c);
        }
    }
    return img;
}

// --- Flame particle -------------------------------------------------------------------------

// A 32x32 soft round glow: alpha and brightness fall off smoothly from the centre to the edge,
// yellow-white in the middle turning orange-red outwards. The colour is dimmed with the alpha as
// well, so the particle also fades out when drawn with additive blending, which ignores alpha.
Image MakeFlameParticle()
{
    const int size = 32;
    Image img(size, size);
    const float c = size * 0.5f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float dx = (float(x) + 0.5f - c) / c;
            float dy = (float(y) + 0.5f - c) / c;
            float d = std::sqrt(dx * dx + dy * dy);
            float f = 1.0f - SmoothStep(0.0f, 1.0f, d);
            Rgba col = Mix(Rgba{255, 240, 180, 255}, Rgba{255, 90, 20, 255}, Clamp01(d * 1.3f));
            col.r *= f;
            col.g *= f;
            col.b *= f;
            col.a = 255.0f * f;
            img.at(x, y) = Pack(col);
        }
    }
    return img;
}

struct BlockFile {
    const char* name;
    uint32_t colour;
};

// The seven piece kinds' block images, in kind order 0..6.
const BlockFile kBlockFiles[7] = {
    {"punainen.dds", 0xFFFF0000}, {"harmaa.dds", 0xFF969696},    {"sininen.dds", 0xFF0000FF},
    {"vihrea.dds", 0xFF64C832},   {"keltainen.dds", 0xFF82C814}, {"vsininen.dds", 0xFF1CFFEF},
    {"lila.dds", 0xFFFF1EF0},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    if (!folder.empty() && folder.back() != '/') folder += '/';

    int failures = 0;
    auto write = [&](const char* name, const Image& img) {
        if (!WriteDds(folder + name, img)) {
            std::fprintf(stderr, "cannot write %s%s\n", folder.c_str(), name);
            ++failures;
        }
    };
    for (const BlockFile& b : kBlockFiles) write(b.name, MakeBlockTile(b.colour));
    write("soihtu.dds", MakeTorchSprite());
    write("torch.dds", MakeFlameParticle());
    return failures == 0 ? 0 : 1;
}
