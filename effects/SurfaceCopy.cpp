#include "SurfaceCopy.h"
#include "SurfaceLock.h"
#include <d3dx9.h>
#include <algorithm>
#include <cstring>

HRESULT CopySurfacePixels(IDirect3DSurface9* dst, IDirect3DSurface9* src)
{
    SurfaceLock from, to;
    HRESULT hr = from.lock(src, SurfaceLock::Read, D3DLOCK_READONLY);
    if (FAILED(hr)) return hr;
    hr = to.lock(dst, SurfaceLock::ReadWrite, 0);
    if (FAILED(hr)) return hr;
    const int w = std::min(from.width(), to.width());
    const int h = std::min(from.height(), to.height());
    for (int y = 0; y < h; ++y) memcpy(to.row(y), from.row(y), size_t(w) * 4);
    from.unlock();
    return to.unlock();
}

IDirect3DSurface9* GetBackBufferZero(IDirect3DDevice9* device)
{
    IDirect3DSurface9* backBuffer = nullptr;
    if (!device || FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)))
        return nullptr;
    return backBuffer;
}

// UpdateSurface of the overlap of src and dst, converting through a staging surface in dst's
// format when the formats differ.
static HRESULT UpdateClipped(IDirect3DDevice9* device, IDirect3DSurface9* src, IDirect3DSurface9* dst)
{
    D3DSURFACE_DESC from, to;
    HRESULT hr = src->GetDesc(&from);
    if (SUCCEEDED(hr)) hr = dst->GetDesc(&to);
    if (FAILED(hr)) return hr;
    RECT overlap = {0, 0, LONG(std::min(from.Width, to.Width)), LONG(std::min(from.Height, to.Height))};
    POINT origin = {0, 0};
    if (from.Format == to.Format) return device->UpdateSurface(src, &overlap, dst, &origin);

    IDirect3DSurface9* staging = nullptr;
    hr = device->CreateOffscreenPlainSurface(overlap.right, overlap.bottom, to.Format,
                                             D3DPOOL_SYSTEMMEM, &staging, nullptr);
    if (FAILED(hr)) return hr;
    hr = D3DXLoadSurfaceFromSurface(staging, nullptr, nullptr, src, nullptr, &overlap,
                                    D3DX_FILTER_NONE, 0);
    if (SUCCEEDED(hr)) hr = device->UpdateSurface(staging, nullptr, dst, &origin);
    staging->Release();
    return hr;
}

HRESULT ShowOnBackBuffer(IDirect3DDevice9* device, IDirect3DSurface9* src)
{
    if (!src) return D3DERR_INVALIDCALL;
    IDirect3DSurface9* backBuffer = GetBackBufferZero(device);
    if (!backBuffer) return D3DERR_INVALIDCALL;
    HRESULT hr = D3D_OK;
    if (src != backBuffer) {
        D3DSURFACE_DESC desc;
        hr = src->GetDesc(&desc);
        if (SUCCEEDED(hr)) {
            // UpdateSurface needs a system-memory source; anything else goes through the processor.
            hr = desc.Pool == D3DPOOL_SYSTEMMEM ? UpdateClipped(device, src, backBuffer)
                                                : CopySurfacePixels(backBuffer, src);
        }
    }
    backBuffer->Release();
    return hr;
}

HRESULT CopyRenderTarget(IDirect3DDevice9* device, IDirect3DSurface9* target, IDirect3DSurface9* dst)
{
    if (!device || !target || !dst) return D3DERR_INVALIDCALL;
    if (target == dst) return D3D_OK;
    D3DSURFACE_DESC from, to;
    HRESULT hr = target->GetDesc(&from);
    if (SUCCEEDED(hr)) hr = dst->GetDesc(&to);
    if (FAILED(hr)) return hr;
    if (to.Pool == D3DPOOL_SYSTEMMEM && from.Width == to.Width && from.Height == to.Height &&
        from.Format == to.Format)
        return device->GetRenderTargetData(target, dst);
    return CopySurfacePixels(dst, target);
}
