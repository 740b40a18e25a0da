#include "Pixelate.h"
#include "OXEResult.h"
#include "PictureFile.h"
#include "PixelFill.h"
#include "SurfaceCopy.h"
#include "SurfaceLock.h"
#include <d3dx9.h>
#include <algorithm>

namespace {

// Key of the render target that stands in for a system-memory source while it is drawn into.
const GUID kStandInKey = {0x5c1d7e42, 0x8f0b, 0x4b6e, {0x9a, 0x31, 0x2d, 0x7c, 0x44, 0xe0, 0x19, 0xb5}};

// The stand-in kept on source, with a reference for the caller; null when there is none.
IDirect3DSurface9* StandInOf(IDirect3DSurface9* source)
{
    IUnknown* kept = nullptr;
    DWORD size = sizeof(kept);
    if (!source || FAILED(source->GetPrivateData(kStandInKey, &kept, &size)) || !kept) return nullptr;
    IDirect3DSurface9* target = nullptr;
    kept->QueryInterface(IID_IDirect3DSurface9, reinterpret_cast<void**>(&target));
    kept->Release();
    return target;
}

// A system-memory surface cannot be a render target: a default-pool one of its size and format
// is made and hung on it (the surface keeps a reference and releases it with itself). Returned
// with a reference for the caller; null when it cannot be made.
IDirect3DSurface9* MakeStandIn(IDirect3DDevice9* device, IDirect3DSurface9* source)
{
    D3DSURFACE_DESC desc;
    IDirect3DSurface9* target = nullptr;
    if (FAILED(source->GetDesc(&desc)) ||
        FAILED(device->CreateRenderTarget(desc.Width, desc.Height, desc.Format, D3DMULTISAMPLE_NONE,
                                          0, FALSE, &target, nullptr)))
        return nullptr;
    if (FAILED(source->SetPrivateData(kStandInKey, target, sizeof(IUnknown*), D3DSPD_IUNKNOWN))) {
        target->Release();
        return nullptr;
    }
    return target;
}

} // namespace

Pixelate::Pixelate()
    : source(nullptr), work(nullptr), savedTarget(nullptr), ready(false), width(0), height(0),
      format(D3DFMT_UNKNOWN), blockSize(32)
{
}

Pixelate::~Pixelate()
{
    ReleaseSurface(source);
    ReleaseSurface(work);
    ReleaseSurface(savedTarget);
}

void Pixelate::init(IDirect3DDevice9* device, advString file, bool load)
{
    // A second init starts afresh instead of leaking the first pair of surfaces.
    ReleaseSurface(work);
    ReleaseSurface(source);
    width = height = 0;
    format = D3DFMT_UNKNOWN;
    D3DXIMAGE_INFO info;
    if (device && SUCCEEDED(D3DXGetImageInfoFromFileA(file.GetString(), &info))) {
        width = int(info.Width);
        height = int(info.Height);
        format = info.Format;
        CreatePictureSurface(device, info.Width, info.Height, format, &work);
        CreatePictureSurface(device, info.Width, info.Height, format, &source);
        if (load) LoadPictureFile(source, file.GetString());
    }
    ready = true;
}

// to(x, y) = from(x - x mod block, y) over the overlap of the two surfaces. from and to may be
// the same lock: each stripe's colour is read before the stripe is written.
static void PixelateRows(const SurfaceLock& from, const SurfaceLock& to, int block)
{
    const int w = std::min(from.width(), to.width());
    const int h = std::min(from.height(), to.height());
    const int step = std::min(block, w); // a block wider than the picture is one stripe per row
    for (int y = 0; y < h; ++y) {
        const uint32_t* in = from.row(y);
        uint32_t* out = to.row(y);
        for (int bx = 0; bx < w; bx += step) {
            const uint32_t colour = in[bx];
            FillPixels(out + bx, size_t(std::min(bx + step, w) - bx), colour);
        }
    }
}

long Pixelate::RenderToBackSurface(IDirect3DDevice9* device, int block)
{
    if (!ready) return OXE_FAIL;
    SurfaceLock from, to;
    if (source) {
        HRESULT hr = from.lock(source, SurfaceLock::Read, D3DLOCK_READONLY);
        if (FAILED(hr)) return hr;
    }
    if (work) {
        HRESULT hr = to.lock(work, SurfaceLock::ReadWrite, 0);
        if (FAILED(hr)) return hr;
    }
    // The walk advances by the block size, so a block below 1 would never end.
    blockSize = std::max(block, 1);
    if (from.isLocked() && to.isLocked()) PixelateRows(from, to, blockSize);
    from.unlock();
    to.unlock();
    if (work) ShowOnBackBuffer(device, work);
    return OXE_OK;
}

long Pixelate::PixelateBackBuffer(IDirect3DDevice9* device, int block)
{
    if (!ready) return OXE_FAIL;
    if (!work) return D3DERR_INVALIDCALL;
    IDirect3DSurface9* backBuffer = GetBackBufferZero(device);
    if (!backBuffer) return D3DERR_INVALIDCALL;
    HRESULT hr = CopyRenderTarget(device, backBuffer, work);
    backBuffer->Release();
    if (FAILED(hr)) return hr;

    blockSize = std::max(block, 1);
    SurfaceLock pixels;
    hr = pixels.lock(work, SurfaceLock::ReadWrite, 0);
    if (FAILED(hr)) return hr;
    PixelateRows(pixels, pixels, blockSize);
    hr = pixels.unlock();
    if (FAILED(hr)) return hr;
    return ShowOnBackBuffer(device, work);
}

bool Pixelate::CaptureBackBufferToSurface(IDirect3DDevice9* device)
{
    IDirect3DSurface9* target = nullptr;
    if (device && source && SUCCEEDED(device->GetRenderTarget(0, &target))) {
        CopyRenderTarget(device, target, source);
        target->Release();
    }
    return true;
}

void Pixelate::CopyBackBuffeToSrc(IDirect3DDevice9* device)
{
    if (!source) return;
    IDirect3DSurface9* backBuffer = GetBackBufferZero(device);
    if (!backBuffer) return;
    bool copied = false;
    HDC to = nullptr, from = nullptr;
    if (SUCCEEDED(source->GetDC(&to))) {
        if (SUCCEEDED(backBuffer->GetDC(&from))) {
            copied = BitBlt(to, 0, 0, width, height, from, 0, 0, SRCCOPY) != 0;
            backBuffer->ReleaseDC(from);
        }
        source->ReleaseDC(to);
    }
    // A back buffer that cannot be locked gives no device context: copy it as a render target.
    if (!copied) CopyRenderTarget(device, backBuffer, source);
    backBuffer->Release();
}

void Pixelate::SaveOldTarget(IDirect3DDevice9* device)
{
    ReleaseSurface(savedTarget);
    if (device && FAILED(device->GetRenderTarget(0, &savedTarget))) savedTarget = nullptr;
}

void Pixelate::RenderToSrc(IDirect3DDevice9* device)
{
    if (!device || !source) return;
    IDirect3DSurface9* target = StandInOf(source);
    if (!target) target = MakeStandIn(device, source);
    if (!target) return;
    device->UpdateSurface(source, nullptr, target, nullptr);
    device->SetRenderTarget(0, target);
    target->Release(); // source and the device keep it
}

void Pixelate::RestoreOldTarget(IDirect3DDevice9* device)
{
    if (!device) return;
    IDirect3DSurface9* target = StandInOf(source);
    IDirect3DSurface9* current = nullptr;
    if (target && SUCCEEDED(device->GetRenderTarget(0, &current))) {
        // What was drawn since RenderToSrc goes into source.
        if (current == target) device->GetRenderTargetData(target, source);
        current->Release();
    }
    if (target) target->Release();
    if (savedTarget) device->SetRenderTarget(0, savedTarget);
}
