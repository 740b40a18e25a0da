#include "OXESurface.h"
#include "OXED3D.h"
#include "OXEResult.h"
#include <cstring>

namespace {

IDirect3DDevice9* CurrentDevice()
{
    return g_pOXECurrentDevice ? g_pOXECurrentDevice->GetD3DDevice() : nullptr;
}

// UpdateSurface takes only system memory into the default pool; any other pair is copied by
// D3DX, which locks both sides.
HRESULT CopySurface(IDirect3DDevice9* device, IDirect3DSurface9* src, IDirect3DSurface9* dst)
{
    if (!device || !src || !dst) return OXE_INVALIDPARAM;
    if (SUCCEEDED(device->UpdateSurface(src, nullptr, dst, nullptr))) return OXE_OK;
    if (SUCCEEDED(D3DXLoadSurfaceFromSurface(dst, nullptr, nullptr, src, nullptr, nullptr, D3DX_FILTER_NONE, 0)))
        return OXE_OK;
    return OXE_FAIL;
}

} // namespace

OXESurface::OXESurface() : surface(nullptr) { memset(&info, 0, sizeof(info)); }

OXESurface::~OXESurface()
{
    if (surface) surface->Release();
    surface = nullptr;
}

HRESULT OXESurface::CreateNewBlankSurface(int width, int height)
{
    IDirect3DDevice9* device = CurrentDevice();
    // Past 2 GB at 4 bytes a pixel Direct3D's 32-bit sizes wrap round and a surface far smaller
    // than asked for would come back: such sizes are refused.
    if (!device || width <= 0 || height <= 0 || (long long)width * height > 0x7FFFFFFF / 4)
        return OXE_INVALIDPARAM;
    IDirect3DSurface9* made = nullptr;
    if (FAILED(device->CreateOffscreenPlainSurface(UINT(width), UINT(height), g_pOXECurrentDevice->GetDisplayFormat(),
                                                   D3DPOOL_SYSTEMMEM, &made, nullptr)))
        return OXE_FAIL;
    if (surface) surface->Release();
    surface = made;
    return OXE_OK;
}

HRESULT OXESurface::LoadFromFile(const char* file)
{
    if (!file || !CurrentDevice()) return OXE_INVALIDPARAM;
    D3DXIMAGE_INFO fileInfo;
    if (FAILED(D3DXGetImageInfoFromFileA(file, &fileInfo))) return OXE_FILENOTFOUND;
    if (!surface && FAILED(CreateNewBlankSurface(int(fileInfo.Width), int(fileInfo.Height)))) return OXE_FAIL;
    if (FAILED(D3DXLoadSurfaceFromFileA(surface, nullptr, nullptr, file, nullptr, D3DX_FILTER_NONE, 0, &fileInfo)))
        return OXE_INVALIDFILE;
    info = fileInfo;
    return OXE_OK;
}

HRESULT OXESurface::copyToBackBuffer()
{
    IDirect3DDevice9* device = CurrentDevice();
    if (!device || !surface) return OXE_INVALIDPARAM;
    IDirect3DSurface9* backBuffer = nullptr;
    if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) return OXE_FAIL;
    HRESULT hr = device->UpdateSurface(surface, nullptr, backBuffer, nullptr);
    backBuffer->Release();
    return SUCCEEDED(hr) ? OXE_OK : OXE_FAIL;
}

HRESULT OXESurface::copyToOtherSurface(IDirect3DSurface9* dst) { return CopySurface(CurrentDevice(), surface, dst); }

HRESULT OXESurface::copyFromOtherSurface(IDirect3DSurface9* src) { return CopySurface(CurrentDevice(), src, surface); }

D3DXIMAGE_INFO OXESurface::getinfo() { return info; }

IDirect3DSurface9* OXESurface::getSurface() { return surface; }
