/// \file
/// FadeScreen: a full-screen dissolve between two pictures.
#pragma once
#include <d3d9.h>
#include "PelmoraEffectsApi.h"
#include "advString.h"

/// A full-screen dissolve between two pictures, composed on the processor.
///
/// A final picture in system memory starts as a copy of picture 1; every frame a chosen number of
/// randomly picked pixels are overwritten with the matching pixel of picture 2 or with a fill
/// colour, and the final picture is copied to the back buffer. Nothing records which pixels are
/// done: the client decides how many frames the dissolve lasts.
///
///     FadeScreen fade;
///     fade.init(1024, 768, "one.dds", "two.dds", device, D3DFMT_X8R8G8B8);
///     fade.fillMode = 2;                       // dissolve into picture 2
///     fade.RenderPict1ToFinalPicture(device);
///     each frame: fade.RenderFinalPicture(20000); fade.RenderToBackBuffer(device);
///
/// It owns its three surfaces (system memory: a device reset asks nothing of it) and releases
/// them in its destructor; it borrows the device for each call. Pixels are handled as 32-bit
/// values: use 32-bit formats. Picture file names are as given (relative names are looked up in
/// the working folder). Random picks come from PelmoraEffects' own generator (never seeded by
/// the library). Note: a pick reaches the right-most column or the bottom row only once in about
/// 10001 draws, so those go on showing picture 1 long after the rest has changed.
class PELMORA_EFFECTS_API FadeScreen {
public:
    int width;                       ///< size of the final picture in pixels
    int height;                      ///< height of the final picture in pixels
    bool ready;                      ///< init created the final picture (and tried to load both pictures)
    IDirect3DSurface9* pict1;        ///< picture 1: system memory, its file's size and format (owned)
    IDirect3DSurface9* pict2;        ///< picture 2: likewise (owned)
    IDirect3DSurface9* finalPicture; ///< the composed picture: system memory, width x height (owned)
    int fillMode;                    ///< 0 or 1: picked pixels take color2; 2 or 3: picture 2; others: no change. 0 at first
    D3DCOLOR color1;                 ///< not used by the fade; opaque black
    D3DCOLOR color2;                 ///< fill colour of modes 0 and 1; opaque black

    /// No surfaces, not ready, fillMode 0, both colours opaque black.
    FadeScreen();
    /// Releases the three surfaces.
    ~FadeScreen();
    FadeScreen(const FadeScreen&) = delete;            ///< not copied: it owns its surfaces
    FadeScreen& operator=(const FadeScreen&) = delete; ///< not assigned: it owns its surfaces

    /// Creates the final picture (width x height pixels, format, system memory; the one made
    /// before is released) and loads both pictures in their files' own sizes and formats. The
    /// object is ready unless the final picture could not be made (also for no device, sizes
    /// below 1 or past 2 GB of pixels). A picture file that does not load is not reported: that
    /// picture is missing.
    void init(int width, int height, advString pic1File, advString pic2File,
              IDirect3DDevice9* device, D3DFORMAT format);
    /// Replaces picture 1 with the contents of a file (its own size and format); a file that does
    /// not load leaves no picture 1.
    void initPict1(advString file, IDirect3DDevice9* device);
    /// Replaces picture 2 with the contents of a file, likewise.
    void initPict2(advString file, IDirect3DDevice9* device);

    /// Makes the final picture a copy of picture 1 (as much of it as both surfaces cover). The
    /// device is not used; nothing without both surfaces.
    void RenderPict1ToFinalPicture(IDirect3DDevice9* device);
    /// Replaces count randomly picked pixels of the final picture. OXE_FAIL before init; the
    /// lock error of picture 1 or of the final picture; OXE_INVALIDPARAM for a final picture that
    /// is not 32 bits per pixel; otherwise 0. Where picture 2 is missing or does not reach, a
    /// picked pixel takes color2. Pixels are picked within width x height; where those were set
    /// larger than the final picture, picks outside it are drawn but not written.
    long RenderFinalPicture(int count);
    /// Copies the final picture to the top-left corner of back buffer 0 (clipped to it); nothing
    /// before init. Changes no device state but the back buffer's pixels.
    void RenderToBackBuffer(IDirect3DDevice9* device);

    /// Picture 1 (borrowed, no reference added; null when missing).
    IDirect3DSurface9* GetPict1();
    /// Picture 2 (borrowed, no reference added; null when missing).
    IDirect3DSurface9* GetPict2();

private:
    static int GetRandomInt(int a, int b);
};
