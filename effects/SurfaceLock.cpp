#include "SurfaceLock.h"
#include "OXEResult.h"

bool IsThirtyTwoBitFormat(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8B8G8R8:
    case D3DFMT_X8B8G8R8:
    case D3DFMT_A2R10G10B10:
    case D3DFMT_A2B10G10R10:
    case D3DFMT_G16R16:
        return true;
    default:
        return false;
    }
}

uint32_t SurfaceLock::pixelOr(int x, int y, uint32_t fallback) const
{
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return fallback;
    return row(y)[x];
}

// Makes a system-memory copy of a render target that cannot be locked.
static HRESULT CopyToStandIn(IDirect3DSurface9* target, const D3DSURFACE_DESC& desc,
                             IDirect3DSurface9** standIn)
{
    IDirect3DDevice9* device = nullptr;
    HRESULT hr = target->GetDevice(&device);
    if (FAILED(hr)) return hr;
    hr = device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                             D3DPOOL_SYSTEMMEM, standIn, nullptr);
    if (SUCCEEDED(hr)) hr = device->GetRenderTargetData(target, *standIn);
    if (FAILED(hr) && *standIn) {
        (*standIn)->Release();
        *standIn = nullptr;
    }
    device->Release();
    return hr;
}

HRESULT SurfaceLock::lock(IDirect3DSurface9* surface, Access access, DWORD flags)
{
    unlock();
    if (!surface) return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc;
    HRESULT hr = surface->GetDesc(&desc);
    if (FAILED(hr)) return hr;
    if (!IsThirtyTwoBitFormat(desc.Format)) return OXE_INVALIDPARAM;

    D3DLOCKED_RECT locked;
    hr = surface->LockRect(&locked, nullptr, flags);
    if (FAILED(hr) && desc.Pool == D3DPOOL_DEFAULT && (desc.Usage & D3DUSAGE_RENDERTARGET)) {
        // A render target such as the back buffer: work on a copy in system memory.
        if (FAILED(CopyToStandIn(surface, desc, &standIn_))) return hr;
        hr = standIn_->LockRect(&locked, nullptr, access == Read ? D3DLOCK_READONLY : 0);
        if (FAILED(hr)) {
            standIn_->Release();
            standIn_ = nullptr;
            return hr;
        }
    } else if (FAILED(hr)) {
        return hr;
    }
    surface_ = surface;
    access_ = access;
    bits_ = static_cast<unsigned char*>(locked.pBits);
    pitch_ = locked.Pitch;
    width_ = int(desc.Width);
    height_ = int(desc.Height);
    format_ = desc.Format;
    return OXE_OK;
}

HRESULT SurfaceLock::unlock()
{
    if (!bits_) return OXE_OK;
    bits_ = nullptr;
    HRESULT hr = OXE_OK;
    if (standIn_) {
        standIn_->UnlockRect();
        if (access_ == ReadWrite) {
            IDirect3DDevice9* device = nullptr;
            hr = surface_->GetDevice(&device);
            if (SUCCEEDED(hr)) {
                hr = device->UpdateSurface(standIn_, nullptr, surface_, nullptr);
                device->Release();
            }
        }
        standIn_->Release();
        standIn_ = nullptr;
    } else {
        hr = surface_->UnlockRect();
    }
    surface_ = nullptr;
    return hr;
}
