/// \file
/// Pixelate: coarsens a picture into blocks and shows it on the back buffer.
#pragma once
#include <d3d9.h>
#include "PelmoraEffectsApi.h"
#include "advString.h"

/// Coarsens a picture into blocks on the processor and shows it on the back buffer. Called
/// frame after frame with growing block sizes it gives a pixelate-out transition.
///
/// Within a block every row takes the colour of the block's left-most pixel in that row:
/// work(x, y) = source(x - x mod block, y). Note: blocks are thus horizontal stripes, one colour
/// per row, not squares of one colour.
///
///     Pixelate pixelate;
///     pixelate.init(device, "picture.dds", true);
///     each frame: pixelate.RenderToBackSurface(device, block++);
///
/// It owns source and work (system memory) and a reference on the render target SaveOldTarget
/// remembered, and releases them in its destructor; it borrows the device for each call. Pixels
/// are handled as 32-bit values: use a 32-bit picture. Note: before a device reset, release what
/// is in the default pool: the render target remembered by SaveOldTarget, and the render target
/// that RenderToSrc hangs on source (it goes only with source: a new init or destroying the
/// object).
class PELMORA_EFFECTS_API Pixelate {
public:
    IDirect3DSurface9* source;       ///< the picture to pixelate: system memory (owned)
    IDirect3DSurface9* work;         ///< the pixelated result: same size and format (owned)
    IDirect3DSurface9* savedTarget;  ///< render target 0 remembered by SaveOldTarget (owned reference)
    bool ready;                      ///< init has run
    int width;                       ///< width of the image file given to init, pixels
    int height;                      ///< height of the image file given to init, pixels
    D3DFORMAT format;                ///< format of the image file given to init
    int blockSize;                   ///< block edge in pixels last used; 32 at first

    /// No surfaces, not ready, blockSize 32.
    Pixelate();
    /// Releases source, work and the remembered render target.
    ~Pixelate();
    Pixelate(const Pixelate&) = delete;            ///< not copied: it owns its surfaces
    Pixelate& operator=(const Pixelate&) = delete; ///< not assigned: it owns its surfaces

    /// Takes size and format from the image file (name as given), creates work and source in
    /// system memory (the ones made before are released), loads the file into source when load
    /// is set. Ready afterwards whatever failed (a file that cannot be read leaves no surfaces).
    void init(IDirect3DDevice9* device, advString file, bool load);

    /// Pixelates source into work with the given block size (pixels) and copies work to the
    /// top-left corner of back buffer 0. A block size below 1 is taken as 1. OXE_FAIL before
    /// init, the error of a failed lock (nothing drawn), OXE_INVALIDPARAM for pictures that are
    /// not 32 bits per pixel, otherwise 0 (also when work is missing and nothing is shown).
    long RenderToBackSurface(IDirect3DDevice9* device, int block);
    /// Pixelates the back buffer itself, through work, with the given block size. OXE_FAIL
    /// before init, D3DERR_INVALIDCALL without work or back buffer, the error of a failed copy
    /// or lock, otherwise 0.
    long PixelateBackBuffer(IDirect3DDevice9* device, int block);

    /// Copies render target 0 into source (clipped); true whatever happened.
    bool CaptureBackBufferToSurface(IDirect3DDevice9* device);
    /// Copies back buffer 0 into source through GDI (a render-target copy where the back buffer
    /// gives no device context). Nothing without source or back buffer.
    void CopyBackBuffeToSrc(IDirect3DDevice9* device);

    /// Remembers render target 0 (with a reference; the one remembered before is released).
    void SaveOldTarget(IDirect3DDevice9* device);
    /// Makes source the render target: drawing goes to a render target that starts as a copy of
    /// source and is copied back into source by RestoreOldTarget. That stand-in hangs on source
    /// itself (as its private data, released with it), so the class keeps its documented fields.
    ///
    /// Note: the stand-in is a default-pool render target (see the class note on device resets).
    void RenderToSrc(IDirect3DDevice9* device);
    /// Copies what was drawn into the stand-in back into source (when it is still render target
    /// 0) and puts the remembered render target back as render target 0 (keeping the reference).
    void RestoreOldTarget(IDirect3DDevice9* device);
};
