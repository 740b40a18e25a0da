// OXESurface: an off-screen picture in system memory, loaded from a file or made blank, copied
// to the back buffer or to and from other surfaces. It uses the Direct3D device of this library's
// current render device.
#pragma once
#include "PelmoraPartsApi.h"
#include <d3dx9.h>

class PELMORA_PARTS_API OXESurface {
public:
    OXESurface();
    ~OXESurface(); // releases the surface
    OXESurface(const OXESurface&) = delete; // owns its surface
    OXESurface& operator=(const OXESurface&) = delete;

    // A system-memory surface of that size in the display format (the old one is released).
    // Sizes below 1, or past 2 GB at 4 bytes a pixel: OXE_INVALIDPARAM, the old surface kept.
    HRESULT CreateNewBlankSurface(int width, int height);
    // Loads the picture into the surface, whole, unfiltered. Without a surface one of the
    // picture's size is made first. The file's description lands in info.
    HRESULT LoadFromFile(const char* file);
    D3DXIMAGE_INFO getinfo();       // info
    IDirect3DSurface9* getSurface(); // surface
    // Copies the whole surface to the top left of back buffer 0 of swap chain 0.
    HRESULT copyToBackBuffer();
    // Copies between this surface and another; system-memory pairs are copied through locks.
    HRESULT copyToOtherSurface(IDirect3DSurface9* dst);
    HRESULT copyFromOtherSurface(IDirect3DSurface9* src);

    IDirect3DSurface9* surface; // the picture, system memory, owned
    D3DXIMAGE_INFO info;        // description of the last file loaded
};
