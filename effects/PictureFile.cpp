#include "PictureFile.h"
#include <d3dx9.h>

IDirect3DSurface9* CreatePictureFromFile(IDirect3DDevice9* device, const char* file, D3DFORMAT format)
{
    if (!device || !file) return nullptr;
    D3DXIMAGE_INFO info;
    if (FAILED(D3DXGetImageInfoFromFileA(file, &info))) return nullptr;
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(device->CreateOffscreenPlainSurface(info.Width, info.Height,
                                                   format == D3DFMT_UNKNOWN ? info.Format : format,
                                                   D3DPOOL_SYSTEMMEM, &surface, nullptr)))
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
