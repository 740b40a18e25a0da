// Pictures read from image files into system-memory surfaces with D3DX: whole surface, no
// filtering, no colour key.
#pragma once
#include <d3d9.h>

// Creates a system-memory plain surface of w x h in the format. Sizes below 1, or pictures past
// 2 GB at 4 bytes a pixel, are refused with OXE_INVALIDPARAM: Direct3D measures surfaces in 32
// bits and may hand out a surface whose memory is far smaller than its size. *out is null then.
HRESULT CreatePictureSurface(IDirect3DDevice9* device, long long w, long long h, D3DFORMAT format,
                             IDirect3DSurface9** out);

// Creates a system-memory surface of the file's size, in the given format (D3DFMT_UNKNOWN: the
// file's own format), and loads the file into it. Returns the surface, or null when the file
// cannot be read or the surface cannot be created. A failed load keeps the surface.
IDirect3DSurface9* CreatePictureFromFile(IDirect3DDevice9* device, const char* file, D3DFORMAT format);

// Loads the file into an existing surface; D3DERR_INVALIDCALL for a null surface.
HRESULT LoadPictureFile(IDirect3DSurface9* surface, const char* file);

// Releases a surface reference held in a member and sets the member to null.
void ReleaseSurface(IDirect3DSurface9*& surface);
