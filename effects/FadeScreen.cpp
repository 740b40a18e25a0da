#include "FadeScreen.h"
#include "OXEResult.h"
#include "PictureFile.h"
#include "SurfaceCopy.h"
#include "SurfaceLock.h"
#include "TransitionRandom.h"
#include <algorithm>

FadeScreen::FadeScreen()
    : width(0), height(0), ready(false), pict1(nullptr), pict2(nullptr), finalPicture(nullptr),
      fillMode(0), color1(0xFF000000), color2(0xFF000000)
{
}

FadeScreen::~FadeScreen()
{
    ReleaseSurface(pict1);
    ReleaseSurface(pict2);
    ReleaseSurface(finalPicture);
}

int FadeScreen::GetRandomInt(int a, int b)
{
    return TransitionRandomInt(a, b);
}

void FadeScreen::init(int newWidth, int newHeight, advString pic1File, advString pic2File,
                      IDirect3DDevice9* device, D3DFORMAT format)
{
    // A second init starts afresh instead of leaking what the first one made.
    ready = false;
    ReleaseSurface(finalPicture);
    width = newWidth;
    height = newHeight;
    if (!device || width <= 0 || height <= 0) return;
    if (FAILED(CreatePictureSurface(device, width, height, format, &finalPicture))) {
        finalPicture = nullptr;
        return;
    }
    initPict1(pic1File, device);
    initPict2(pic2File, device);
    ready = true;
}

void FadeScreen::initPict1(advString file, IDirect3DDevice9* device)
{
    ReleaseSurface(pict1);
    pict1 = CreatePictureFromFile(device, file.GetString(), D3DFMT_UNKNOWN);
}

void FadeScreen::initPict2(advString file, IDirect3DDevice9* device)
{
    ReleaseSurface(pict2);
    pict2 = CreatePictureFromFile(device, file.GetString(), D3DFMT_UNKNOWN);
}

void FadeScreen::RenderPict1ToFinalPicture(IDirect3DDevice9* device)
{
    (void)device; // both surfaces are in system memory: the copy goes through the processor
    if (pict1 && finalPicture) CopySurfacePixels(finalPicture, pict1);
}

// Picks count pixels of target, x then y, each as GetRandomInt(0, size - 1) picks it (one draw
// of the generator unless the size is 1), and writes value(x, y) into each. The generator runs
// in a local variable for the whole loop: the same values as a call of OXERand per draw.
template <typename Value>
static void ReplacePicked(const SurfaceLock& target, int width, int height, int count, Value value)
{
    if (count <= 0) return;
    unsigned char* const bits = reinterpret_cast<unsigned char*>(target.row(0));
    const size_t pitch = size_t(target.pitch());
    const int right = width - 1, bottom = height - 1;
    TransitionGeneratorRun generator;
    if (std::max(width, 1) > target.width() || std::max(height, 1) > target.height()) {
        // The public size was set larger than the final picture: the picks are drawn from it all
        // the same (the generator goes on as it would), and only those inside the picture are
        // written.
        for (int i = 0; i < count; ++i) {
            const int x = generator.randomInt(0, right);
            const int y = generator.randomInt(0, bottom);
            if (x < target.width() && y < target.height())
                reinterpret_cast<uint32_t*>(bits + size_t(y) * pitch)[x] = value(x, y);
        }
        return;
    }
    if (right >= 1 && bottom >= 1 && right <= TransitionExactRange && bottom <= TransitionExactRange) {
        // Every picture but a single row or column and those past 2^24 pixels: the checks of
        // randomInt made once here. Fewer instructions a pick keep more of the picks' scattered
        // reads and writes under way at once.
        const float xRange = float(right), yRange = float(bottom);
        for (int i = 0; i < count; ++i) {
            const int x = TransitionScaleFromZero(TransitionUnit(generator.next()), xRange);
            const int y = TransitionScaleFromZero(TransitionUnit(generator.next()), yRange);
            reinterpret_cast<uint32_t*>(bits + size_t(y) * pitch)[x] = value(x, y);
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        const int x = generator.randomInt(0, right);
        const int y = generator.randomInt(0, bottom);
        reinterpret_cast<uint32_t*>(bits + size_t(y) * pitch)[x] = value(x, y);
    }
}

long FadeScreen::RenderFinalPicture(int count)
{
    if (!ready) return OXE_FAIL;

    SurfaceLock first, second, target;
    if (pict1) {
        HRESULT hr = first.lock(pict1, SurfaceLock::Read, D3DLOCK_READONLY);
        if (FAILED(hr)) return hr;
    }
    second.lock(pict2, SurfaceLock::Read, D3DLOCK_READONLY); // a missing picture 2 reads as color2
    HRESULT hr = target.lock(finalPicture, SurfaceLock::ReadWrite, 0);
    if (FAILED(hr)) return hr;

    // width and height are public: picks are written only where they fall inside the final picture.
    const D3DCOLOR fill = color2;
    switch (fillMode) {
    case 0:
    case 1:
        ReplacePicked(target, width, height, count, [fill](int, int) { return uint32_t(fill); });
        break;
    case 2:
    case 3:
        if (second.isLocked() && second.width() >= width && second.height() >= height) {
            // Picture 2 covers the final picture: every pick reads it directly.
            const unsigned char* const from = reinterpret_cast<const unsigned char*>(second.row(0));
            const size_t pitch = size_t(second.pitch());
            ReplacePicked(target, width, height, count, [from, pitch](int x, int y) {
                return reinterpret_cast<const uint32_t*>(from + size_t(y) * pitch)[x];
            });
        } else {
            ReplacePicked(target, width, height, count,
                          [&second, fill](int x, int y) { return second.pixelOr(x, y, fill); });
        }
        break;
    default:
        // Unknown modes leave the picture as it is; the picks are drawn all the same.
        if (count > 0) {
            TransitionGeneratorRun generator;
            for (int i = 0; i < count; ++i) {
                generator.randomInt(0, width - 1);
                generator.randomInt(0, height - 1);
            }
        }
        break;
    }
    second.unlock();
    first.unlock();
    return target.unlock();
}

void FadeScreen::RenderToBackBuffer(IDirect3DDevice9* device)
{
    if (ready) ShowOnBackBuffer(device, finalPicture);
}

IDirect3DSurface9* FadeScreen::GetPict1() { return pict1; }

IDirect3DSurface9* FadeScreen::GetPict2() { return pict2; }
