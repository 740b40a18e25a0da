#include "PSystemTestSupport.h"
#include <cstdint>
#include <vector>

namespace psystemtest {

bool WriteSolidBmp(const std::string& path, int size, unsigned rgb)
{
    const int row = (size * 3 + 3) & ~3;
    const uint32_t pixelBytes = uint32_t(row * size);
    std::vector<uint8_t> f(54 + pixelBytes, 0);
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (8 * i)); };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, uint32_t(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(size));
    put32(22, uint32_t(size));
    f[26] = 1;
    f[28] = 24;
    put32(34, pixelBytes);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            size_t at = 54 + size_t(y) * row + size_t(x) * 3;
            f[at] = uint8_t(rgb), f[at + 1] = uint8_t(rgb >> 8), f[at + 2] = uint8_t(rgb >> 16);
        }
    return testsupport::WriteFileBytes(path, f.data(), f.size());
}

const std::string& WhiteTexture()
{
    static std::string path;
    if (path.empty()) {
        path = "particle_white.bmp";
        WriteSolidBmp(path, 16, 0xFFFFFF);
    }
    return path;
}

std::string EffectPath(const char* name) { return testsupport::ProgramFolder() + name; }

int CountNot(const testsupport::Picture& p, unsigned background)
{
    int n = 0;
    for (uint32_t px : p.pixels)
        if ((px & 0xFFFFFF) != (background & 0xFFFFFF)) ++n;
    return n;
}

int CountDiff(const testsupport::Picture& a, const testsupport::Picture& b)
{
    if (a.pixels.size() != b.pixels.size()) return -1;
    int n = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        if ((a.pixels[i] & 0xFFFFFF) != (b.pixels[i] & 0xFFFFFF)) ++n;
    return n;
}

} // namespace psystemtest
