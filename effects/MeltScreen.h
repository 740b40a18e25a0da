/// \file
/// MeltScreen: picture 1 melts into picture 2 in vertical columns.
#pragma once
#include <d3d9.h>
#include <cstdio>
#include "PelmoraEffectsApi.h"
#include "advString.h"

/// One column ("worm") of the melt: five ints.
struct simple_worm {
    int speed;    ///< rows the column grows per simulation step
    int x;        ///< left edge in pixels
    int reserved; ///< always 0
    int width;    ///< width in pixels; every column has the same
    int drop;     ///< rows from the top the column has grown so far
};

/// Picture 1 melts into picture 2 in vertical columns ("worms") that grow down from the top
/// edge, each at its own random speed, composed on the processor.
///
/// Above a column's depth (drop) the final picture shows picture 2 (or color1), below it
/// picture 1 (or color2). The final picture lives in system memory and is copied to the back
/// buffer. There is no completion test: a column with speed s covers a picture of height h after
/// h / s steps (rounded up), so the client stops once the slowest speed, 4, has got there.
///
///     MeltScreen melt;
///     melt.init(128, 1024, 768, device, D3DFMT_X8R8G8B8);
///     melt.initPict1("one.dds", 0, false, device, D3DFMT_X8R8G8B8);
///     melt.initPict2("two.dds", 0, false, device, D3DFMT_X8R8G8B8);
///     melt.fillMode = 2;                                   // compose with the pictures
///     each frame: melt.Simulate(1); melt.RenderFinalPicture(); melt.RenderToBackBuffer(device);
///
/// It owns its three surfaces and releases them in its destructor; it borrows the device for each
/// call. They are in system memory, so a device reset asks nothing of it, unless CopyBackBuffer
/// made one of them the back buffer itself: let that go (initPict1 or initPict2 for a picture,
/// init for the final picture, or destroy the melt) before a reset. Random speeds come from
/// PelmoraEffects' own generator (never seeded by the library).
/// Note: the columns are the final picture's row pitch in bytes / 128 pixels wide (about
/// width / 32 with 4-byte pixels and no row padding), not width / 128: RenderFinalPicture sets
/// that width every time. So only about the first 32 of the 128 columns are on screen (on a
/// 640-pixel picture, 32 columns of 20 pixels), and a wormCount below that leaves the columns
/// from wormCount on standing still.
class PELMORA_EFFECTS_API MeltScreen {
public:
    static constexpr int WormSlots = 128; ///< number of column records

    int wormCount;                    ///< columns 0 .. wormCount - 1 move; kept within 0 .. 128
    int width;                        ///< size of the final picture in pixels
    int height;                       ///< height of the final picture in pixels
    bool ready;                       ///< init made the final picture
    bool logFlush;                    ///< Log flushes logFile after each line; false at first
    FILE* logFile;                    ///< stream Log writes to, set by the client; null (Log writes nothing) at first
    IDirect3DSurface9* pict1;         ///< picture 1: system memory (owned)
    IDirect3DSurface9* pict2;         ///< picture 2: system memory (owned)
    IDirect3DSurface9* finalPicture;  ///< the composed picture: system memory, width x height (owned)
    D3DCOLOR color1;                  ///< shown above a column's drop in modes 0 and 1; opaque black
    D3DCOLOR color2;                  ///< shown from the drop down in modes 0 and 1; opaque black
    int fillMode;                     ///< 0 or 1: the two colours; 2 or 3: the two pictures; others: no change
    simple_worm worms[WormSlots];     ///< the columns

    /// No surfaces, not ready, no log stream, fillMode 0, both colours opaque black.
    MeltScreen();
    /// Releases the three surfaces.
    ~MeltScreen();
    MeltScreen(const MeltScreen&) = delete;            ///< not copied: it owns its surfaces
    MeltScreen& operator=(const MeltScreen&) = delete; ///< not assigned: it owns its surfaces

    /// Stores the sizes (wormCount held within 0..128), sets fillMode 0 and creates the final
    /// picture (width x height pixels, format, system memory; the one made before is released);
    /// only if that succeeds are the columns set up (InitWorms) and the object ready. Nothing is
    /// reported: no device, sizes below 1 or past 2 GB of pixels leave it not ready. Pixels are
    /// handled as 32-bit values: use 32-bit formats.
    void init(int wormCount, int width, int height, IDirect3DDevice9* device, D3DFORMAT format);
    /// Every column: drop 0, width = width / 128, x = index * that width, a random speed 4..10
    /// (11 once in 10001 draws). The argument is not used.
    ///
    /// Note: the width set here lasts only until RenderFinalPicture, which sets the row pitch
    /// in bytes / 128 (see the class note).
    void InitWorms(int unused);
    /// Common column width w / 128 and x = index * that width for every column; speeds and
    /// drops stay. RenderFinalPicture calls it with the row pitch in bytes.
    void SetWormsWidth(int w);
    /// Each moving column grows by steps * its speed (nothing for steps <= 0 or before init).
    /// Drops stop at the largest int instead of wrapping round. A wormCount set past 128 moves
    /// the 128 columns there are.
    void Simulate(int steps);
    /// The common column width in pixels, from the first record.
    int GetSingleWormWidth();

    /// Makes picture 1 (the one made before is released). fill: a width x height picture of the
    /// one colour color (ARGB; the file is not read). Otherwise the file (name as given), in its
    /// own size but the given format. Nothing is reported: a failure leaves no picture 1.
    void initPict1(advString file, DWORD color, bool fill, IDirect3DDevice9* device, D3DFORMAT format);
    /// Makes picture 2 the same way.
    void initPict2(advString file, DWORD color, bool fill, IDirect3DDevice9* device, D3DFORMAT format);
    /// Loads a file into the existing picture 1 (whole, unfiltered): the load's result
    /// (D3DERR_INVALIDCALL without a picture 1), OXE_FAIL before init.
    long SetPicture1(advString file);
    /// Loads a file into the existing picture 2, with the same results.
    long SetPicture2(advString file);

    /// Composes the final picture from the columns: in each row, a column's pixels above its
    /// drop come from picture 2 (color1 where it is missing or does not reach) or are color1,
    /// the others from picture 1 (color2 likewise) or color2, after fillMode; other modes write
    /// nothing. Sets the column width to the row pitch in bytes / 128 first (see the class note).
    /// OXE_FAIL before init; the lock error of picture 1 or of the final picture;
    /// OXE_INVALIDPARAM for one that is not 32 bits per pixel; otherwise 0.
    long RenderFinalPicture();
    /// Copies the final picture to the top-left corner of back buffer 0 (clipped to it); nothing
    /// before init. Changes no device state but the back buffer's pixels.
    void RenderToBackBuffer(IDirect3DDevice9* device);
    /// Makes the final picture a copy of picture 1 (as much as both cover), whatever the state.
    /// The device is not used.
    void Reset(IDirect3DDevice9* device);
    /// Copies back buffer 0 into surface (borrowed; clipped to it); nothing before init.
    void CaptureScreenToSurf(IDirect3DDevice9* device, IDirect3DSurface9* surface);
    /// which 1, 2, 3: picture 1, picture 2 or the final picture becomes back buffer 0 itself (the
    /// surface it held is released; the member keeps a reference on the back buffer). The melt
    /// then reads it through a copy and writes it back, so the melt can run over what the client
    /// draws each frame. Other values, or no back buffer, do nothing.
    ///
    /// Note: the back buffer is a default-pool surface of the device: let the melt's reference go
    /// before a device reset (see the class).
    void CopyBackBuffer(IDirect3DDevice9* device, int which);

    /// Picture 1 (borrowed, no reference added; null when missing).
    IDirect3DSurface9* GetPict1();
    /// Picture 2 (borrowed, no reference added; null when missing).
    IDirect3DSurface9* GetPict2();

    /// One line "[EFFECTS_DLL]: message\n" to logFile, message formatted printf-style and kept to
    /// 255 characters; flushed when logFlush is set. Nothing without a logFile.
    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    static int GetRandomInt(int a, int b);
    void initPicture(IDirect3DSurface9*& picture, advString& file, DWORD color, bool fill,
                     IDirect3DDevice9* device, D3DFORMAT format);
};
