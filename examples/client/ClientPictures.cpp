#include "ClientPictures.h"
#include <cstdio>
#include <vector>

bool WriteDds(const std::string& file, int width, int height, const std::function<uint32_t(int, int)>& pixel)
{
    // The 128-byte header of an uncompressed A8R8G8B8 surface.
    std::vector<uint32_t> data(32, 0);
    data[0] = 0x20534444;                         // "DDS "
    data[1] = 124;                                // header size
    data[2] = 0x1 | 0x2 | 0x4 | 0x8 | 0x1000;     // caps, height, width, pitch, pixel format
    data[3] = uint32_t(height);
    data[4] = uint32_t(width);
    data[5] = uint32_t(width) * 4;                // bytes per row
    data[19] = 32;                                // pixel format size
    data[20] = 0x40 | 0x1;                        // RGB with alpha
    data[22] = 32;                                // bits per pixel
    data[23] = 0x00FF0000;                        // red, green, blue and alpha masks
    data[24] = 0x0000FF00;
    data[25] = 0x000000FF;
    data[26] = 0xFF000000;
    data[27] = 0x1000;                            // a texture
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) data.push_back(pixel(x, y));
    FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(data.data(), 4, data.size(), f) == data.size();
    return std::fclose(f) == 0 && written;
}

bool WriteClientPictures(const std::string& folder)
{
    const uint32_t opaque = 0xFF000000u;
    bool ok = WriteDds(folder + "client_a.dds", 256, 192, [&](int, int) { return opaque | kPictureA; });
    ok = WriteDds(folder + "client_b.dds", 256, 192, [&](int, int) { return opaque | kPictureB; }) && ok;
    ok = WriteDds(folder + "client_quad.dds", 64, 64,
                  [&](int x, int) { return opaque | (x < 32 ? kQuadLeft : kQuadRight); }) && ok;
    ok = WriteDds(folder + "client_spark.dds", 16, 16, [](int x, int y) {
             const int dx = 2 * x - 15, dy = 2 * y - 15;
             return dx * dx + dy * dy <= 225 ? 0xFFFFFFFFu : 0x00FFFFFFu;
         }) && ok;
    return ok;
}
