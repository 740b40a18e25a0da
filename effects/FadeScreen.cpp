#include "FadeScreen.h"
#include "OXEResult.h"
#include "PictureFile.h"
#include "SurfaceCopy.h"
#include "SurfaceLock.h"
#include "TransitionRandom.h"

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

    // width and height are the final picture's own size: every pick lies inside it.
    for (int i = 0; i < count; ++i) {
        const int x = GetRandomInt(0, width - 1);
        const int y = GetRandomInt(0, height - 1);
        switch (fillMode) {
        case 0:
        case 1: target.row(y)[x] = color2; break;
        case 2:
        case 3: target.row(y)[x] = second.pixelOr(x, y, color2); break;
        default: break; // unknown modes leave the picture as it is
        }
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
