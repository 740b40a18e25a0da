#include "PictureFile.h"
#include <d3dx9.h>
#include "OXEResult.h"

HRESULT CreatePictureSurface(IDirect3DDevice9* device, long long w, long long h, D3DFORMAT format,
                             IDirect3DSurface9** out)
{
    if (!out) return OXE_INVALIDPARAM;
    *out = nullptr;
    const long long kMaxBytes = 0x7FFFFFFF; // what a 32-bit size and an int pitch can describe
    if (!device || w < 1 || h < 1 || w * h > kMaxBytes / 4) return OXE_INVALIDPARAM;
    HRESULT hr = device->CreateOffscreenPlainSurface(UINT(w), UINT(h), format, D3DPOOL_SYSTEMMEM, out, nullptr);
    if (FAILED(hr)) *out = nullptr;
    return hr;
}

IDirect3DSurface9* CreatePictureFromFile(IDirect3DDevice9* device, const char* file, D3DFORMAT format)
{
    if (!device || !file) return nullptr;
    D3DXIMAGE_INFO info;
    if (FAILED(D3DXGetImageInfoFromFileA(file, &info))) return nullptr;
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(CreatePictureSurface(device, info.Width, info.Height,
                                    format == D3DFMT_UNKNOWN ? info.Format : format, &surface)))
        return nullptr;
    LoadPictureFile(surface, file);
    return surface;
}

HRESULT LoadPictureFile(IDirect3DSurface9* surface, const char* file)
{
    if (!surface || !file) return D3DERR_INVALIDCALL;
    return D3DXLoadSurfaceFromFileA(surface, nullptr, nullptr, file, nullptr, D3DX_FILTER_NONE, 0, nullptr);
}

void ReleaseSurface(IDirect3DSurface9*& surface)
{
    if (surface) surface->Release();
    surface = nullptr;
}
