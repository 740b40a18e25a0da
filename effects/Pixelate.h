// Pixelate: coarsens a picture into blocks on the processor and shows it on the back buffer.
// Called frame after frame with growing block sizes it gives a pixelate-out transition.
//
// Within a block every row takes the colour of the block's left-most pixel in that row:
// work(x, y) = source(x - x mod block, y). Blocks are thus horizontal stripes, one colour per row.
//
//     Pixelate pixelate;
//     pixelate.init(device, "picture.dds", true);
//     each frame: pixelate.RenderToBackSurface(device, block++);
#pragma once
#include <d3d9.h>
#include "PelmoraEffectsApi.h"
#include "advString.h"

class PELMORA_EFFECTS_API Pixelate {
public:
    IDirect3DSurface9* source;       // the picture to pixelate: system memory (owned)
    IDirect3DSurface9* work;         // the pixelated result: same size and format (owned)
    IDirect3DSurface9* savedTarget;  // render target 0 remembered by SaveOldTarget (owned reference)
    bool ready;                      // init has run
    int width;                       // size and format of the image file given to init
    int height;
    D3DFORMAT format;
    int blockSize;                   // block edge in pixels last used; 32 at first

    Pixelate();
    ~Pixelate();
    Pixelate(const Pixelate&) = delete;
    Pixelate& operator=(const Pixelate&) = delete;

    // Takes size and format from the image file, creates work and source, loads the file into
    // source when load is set. Ready afterwards whatever failed.
    void init(IDirect3DDevice9* device, advString file, bool load);

    // Pixelates source into work with the given block size and copies work to the top-left
    // corner of the back buffer. A block size below 1 is taken as 1. OXE_FAIL before init, the
    // error of a failed lock (nothing drawn), OXE_INVALIDPARAM for pictures that are not 32 bits
    // per pixel, otherwise 0.
    long RenderToBackSurface(IDirect3DDevice9* device, int block);
    // Pixelates the back buffer itself, through work, with the given block size. OXE_FAIL
    // before init, the error of a failed copy or lock, otherwise 0.
    long PixelateBackBuffer(IDirect3DDevice9* device, int block);

    // Copies render target 0 into source; true whatever happened.
    bool CaptureBackBufferToSurface(IDirect3DDevice9* device);
    // Copies back buffer 0 into source through GDI (a render-target copy where the back buffer
    // gives no device context).
    void CopyBackBuffeToSrc(IDirect3DDevice9* device);

    // Remembers render target 0.
    void SaveOldTarget(IDirect3DDevice9* device);
    // Makes source the render target: drawing goes to a render target that starts as a copy of
    // source and is copied back into source by RestoreOldTarget. That stand-in hangs on source
    // itself (as its private data, released with it), so the class keeps its documented fields.
    void RenderToSrc(IDirect3DDevice9* device);
    // Puts the remembered render target back as render target 0.
    void RestoreOldTarget(IDirect3DDevice9* device);
};
