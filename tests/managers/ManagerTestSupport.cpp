#include "ManagerTestSupport.h"
#include "TestDevice.h"

namespace managertests {

bool WriteBitmap(const std::string& path, int width, int height, int bits,
                 const std::vector<uint32_t>& pixels)
{
    const int bytesPerPixel = bits / 8;
    const int rowBytes = (width * bytesPerPixel + 3) & ~3;
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + rowBytes * height;
    ih.biSize = sizeof(ih);
    ih.biWidth = width;
    ih.biHeight = height;
    ih.biPlanes = 1;
    ih.biBitCount = WORD(bits);
    ih.biCompression = BI_RGB;
    ih.biSizeImage = rowBytes * height;
    std::string bytes(reinterpret_cast<const char*>(&fh), sizeof fh);
    bytes.append(reinterpret_cast<const char*>(&ih), sizeof ih);
    for (int y = height - 1; y >= 0; --y) {
        std::string row(rowBytes, '\0');
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[size_t(y) * width + x];
            const uint8_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            if (bits == 24 || bits == 32) {
                row[x * bytesPerPixel + 0] = char(b);
                row[x * bytesPerPixel + 1] = char(g);
                row[x * bytesPerPixel + 2] = char(r);
                if (bits == 32) row[x * 4 + 3] = char((p >> 24) & 0xFF);
            } else {
                const uint16_t v = uint16_t((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
                row[x * 2 + 0] = char(v & 0xFF);
                row[x * 2 + 1] = char(v >> 8);
            }
        }
        bytes += row;
    }
    return testsupport::WriteFileBytes(path, bytes.data(), bytes.size());
}

bool WriteSolidBitmap(const std::string& path, int width, int height, uint32_t rgb, int bits)
{
    return WriteBitmap(path, width, height, bits, std::vector<uint32_t>(size_t(width) * height, rgb));
}

Texels ReadTexels(IDirect3DTexture9* texture)
{
    Texels t;
    D3DSURFACE_DESC desc;
    if (!texture || FAILED(texture->GetLevelDesc(0, &desc))) return t;
    D3DLOCKED_RECT lr;
    if (FAILED(texture->LockRect(0, &lr, nullptr, D3DLOCK_READONLY))) return t;
    t.width = int(desc.Width);
    t.height = int(desc.Height);
    t.format = desc.Format;
    t.values.resize(size_t(t.width) * t.height);
    for (int y = 0; y < t.height; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(lr.pBits) + size_t(y) * lr.Pitch;
        for (int x = 0; x < t.width; ++x) {
            uint32_t v = desc.Format == D3DFMT_R5G6B5 ? reinterpret_cast<const uint16_t*>(row)[x]
                                                      : reinterpret_cast<const uint32_t*>(row)[x];
            t.values[size_t(y) * t.width + x] = v;
        }
    }
    texture->UnlockRect(0);
    return t;
}

LogFile::LogFile(const char* name) : name_(name) { log_.Open(name); }

std::string LogFile::text()
{
    log_.Close();
    return testsupport::ReadFileBytes(name_);
}

} // namespace managertests
