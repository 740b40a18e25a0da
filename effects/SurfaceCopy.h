// Surface copies shared by the transitions. Direct3D 9 copies with UpdateSurface only from system
// memory into the default pool, and with GetRenderTargetData only from a render target into
// system memory of the same size and format; these helpers take the direct route where it is
// allowed and copy pixels through SurfaceLock otherwise, so every copy has its effect.
#pragma once
#include <d3d9.h>

// Copies the overlap of src and dst (both from their top-left corners) pixel by pixel. Either
// may be a render target (see SurfaceLock). Returns the first lock error.
HRESULT CopySurfacePixels(IDirect3DSurface9* dst, IDirect3DSurface9* src);

// Copies src to the origin of back buffer 0 of swap chain 0, clipped to the back buffer, through
// a staging surface in the back buffer's format when the formats differ. Does nothing when src
// is that back buffer itself.
HRESULT ShowOnBackBuffer(IDirect3DDevice9* device, IDirect3DSurface9* src);

// Copies a render target into dst: GetRenderTargetData when dst is a system-memory surface of
// the same size and format, a clipped pixel copy otherwise.
HRESULT CopyRenderTarget(IDirect3DDevice9* device, IDirect3DSurface9* target, IDirect3DSurface9* dst);

// Back buffer 0 of swap chain 0 with a reference the caller releases, or null.
IDirect3DSurface9* GetBackBufferZero(IDirect3DDevice9* device);
