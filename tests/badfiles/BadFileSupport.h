// Helpers of the bad-file tests: files built byte by byte (bitmaps with any header field, TGA
// pictures, cut copies, random bytes from fixed seeds), a working folder of the test's own,
// message boxes answered on the spot, and the process's handle and memory use.
#pragma once
#include <windows.h>
#include <d3d9.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "MessageBoxAnswerer.h"
#include "TestDevice.h"

namespace badfiles {

// Header fields of a bitmap file, filled in for a good 24-bit picture by MakeBitmap and then
// spoiled by the test before BitmapBytes writes them out.
struct BitmapFields {
    uint16_t magic = 0x4D42;   // "BM"
    uint32_t fileSize = 0;     // bfSize
    uint32_t bitsOffset = 54;  // bfOffBits: where the pixel rows start
    uint32_t infoSize = 40;    // biSize
    int32_t width = 0;         // biWidth
    int32_t height = 0;        // biHeight (positive: rows stored bottom-up)
    uint16_t planes = 1;       // biPlanes
    uint16_t bitCount = 24;    // biBitCount
    uint32_t compression = 0;  // biCompression (BI_RGB)
    uint32_t imageSize = 0;    // biSizeImage
    uint32_t coloursUsed = 0;  // biClrUsed: palette entries (0: all a bit count has, none above 8 bits)
    std::string pixels;        // what follows the headers: palette and pixel rows as stored
};
// A good 24-bit picture of one colour (0xRRGGBB).
BitmapFields MakeBitmap(int width, int height, uint32_t rgb);
// The file: 14-byte file header, 40-byte info header, then the pixel rows.
std::string BitmapBytes(const BitmapFields& f);

// An uncompressed 24-bit TGA picture of one colour, stored top row first.
std::string TgaBytes(int width, int height, uint32_t rgb);

// The first n bytes of data (all of it when n is larger).
std::string Cut(const std::string& data, size_t n);
// n bytes from a fixed seed, the same on every run.
std::string RandomBytes(uint32_t seed, size_t n);

bool Write(const std::string& path, const std::string& bytes);
std::string Read(const std::string& path);

// A fresh folder under the working directory that is the current directory while the object
// lives; the previous one comes back afterwards.
class WorkFolder {
public:
    explicit WorkFolder(const std::string& name);
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
private:
    std::string previous_;
};

// Answers the message boxes a test provokes (see MessageBoxAnswerer.h).
using testsupport::MessageBoxAnswerer;

// What the process holds: open handles and private bytes. Where the system counters give
// nothing (Wine answers 0 to both), handles are probed one by one and the bytes in use in the
// process's heaps are summed instead.
struct ProcessUsage {
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
};
ProcessUsage CurrentUsage();

// Draws a texture over the screen rectangle (x, y, w, h) with pre-transformed vertices and no
// blending, sampling with point filtering; the scene must be open.
void DrawTexturedRect(IDirect3DDevice9* device, IDirect3DBaseTexture9* texture, int x, int y, int w, int h);

// Pixels of a picture whose RGB is not `rgb`, in [x0,x1) x [y0,y1).
int CountNot(const testsupport::Picture& p, uint32_t rgb, int x0, int y0, int x1, int y1);
int CountNot(const testsupport::Picture& p, uint32_t rgb);
// Pixels that differ between two pictures of one size, outside the rectangles in `masks`
// (each four ints x0, y0, x1, y1).
int CountDiff(const testsupport::Picture& a, const testsupport::Picture& b,
              const std::vector<RECT>& masks = {});

} // namespace badfiles

namespace badfiles {

// Growth of the process's handles and private bytes over `times` calls of `step`, measured
// after a few warm-up calls (first-use caches of the loaders are not leaks).
struct Growth {
    long handles = 0;
    long long privateBytes = 0;
};
Growth GrowthOver(int times, const std::function<void()>& step);

// Limits within which a repeated failing load counts as leaking nothing: a few handles and
// 1 MiB of private bytes for 200 calls (a leak of 5 KiB or more per call shows).
const long kHandleMargin = 4;
const long long kPrivateByteMargin = 1 << 20;
const int kLeakLoops = 200;

} // namespace badfiles

namespace badfiles {

// Runs `step` on the calling thread and returns how long it took, in milliseconds, after
// printing it with `what` (the time is reported, never judged). A step that has not returned
// after `guardSeconds` is a hang: the test program ends at once with exit code 3, naming it.
double TimedWithHangGuard(const char* what, const std::function<void()>& step, DWORD guardSeconds = 60);

} // namespace badfiles
