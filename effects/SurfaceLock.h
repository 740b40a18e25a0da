// SurfaceLock: a whole-surface lock of a 32-bit surface, undone when the object goes away.
//
// The transitions compose their pictures on the processor, so every surface they touch must be
// readable and writable through a pointer. System-memory surfaces are locked directly. A
// default-pool render target (the back buffer, once a transition has been told to use it as one
// of its pictures) cannot be locked; it is then read through a system-memory copy made with
// GetRenderTargetData, and for write access that copy goes back with UpdateSurface on unlock.
#pragma once
#include <d3d9.h>
#include <cstdint>

// True for the 32-bit colour formats whose pixels the transitions can copy as plain 32-bit values.
bool IsThirtyTwoBitFormat(D3DFORMAT format);

class SurfaceLock {
public:
    enum Access { Read, ReadWrite };

    SurfaceLock() = default;
    ~SurfaceLock() { unlock(); }
    SurfaceLock(const SurfaceLock&) = delete;
    SurfaceLock& operator=(const SurfaceLock&) = delete;

    // Locks the whole surface. Returns 0, the error of the failed lock (or copy), or
    // OXE_INVALIDPARAM for a surface whose pixels are not 32 bits. A null surface is a failure too
    // (D3DERR_INVALIDCALL). flags are the lock flags used for a directly lockable surface.
    HRESULT lock(IDirect3DSurface9* surface, Access access, DWORD flags);
    // Unlocks; a written stand-in copy is sent back to its render target here.
    HRESULT unlock();

    bool isLocked() const { return bits_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    D3DFORMAT format() const { return format_; }
    int pitch() const { return pitch_; }
    // Pixel row y (0 <= y < height()).
    uint32_t* row(int y) const { return reinterpret_cast<uint32_t*>(bits_ + size_t(y) * pitch_); }
    // Pixel (x, y) if it lies inside the surface, otherwise fallback.
    uint32_t pixelOr(int x, int y, uint32_t fallback) const;

private:
    IDirect3DSurface9* surface_ = nullptr;  // the surface asked for (borrowed)
    IDirect3DSurface9* standIn_ = nullptr;  // system-memory copy of an unlockable render target (owned)
    Access access_ = Read;                  // whether a stand-in is written back on unlock
    unsigned char* bits_ = nullptr;         // first byte of row 0 while locked
    int pitch_ = 0;                         // bytes from one row to the next
    int width_ = 0;                         // surface size in pixels
    int height_ = 0;
    D3DFORMAT format_ = D3DFMT_UNKNOWN;     // surface format
};
