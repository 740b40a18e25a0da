// MeltScreen: picture 1 melts into picture 2 in vertical columns ("worms") that grow down from
// the top edge, each at its own random speed, composed on the processor.
//
// Above a column's depth (drop) the final picture shows picture 2 (or color1), below it
// picture 1 (or color2). The final picture lives in system memory and is copied to the back
// buffer. There is no completion test: a column with speed s covers a picture of height h after
// h / s steps (rounded up), so the client stops once the slowest speed, 4, has got there.
//
//     MeltScreen melt;
//     melt.init(128, 1024, 768, device, D3DFMT_X8R8G8B8);
//     melt.initPict1("one.dds", 0, false, device, D3DFMT_X8R8G8B8);
//     melt.initPict2("two.dds", 0, false, device, D3DFMT_X8R8G8B8);
//     melt.fillMode = 2;                                   // compose with the pictures
//     each frame: melt.Simulate(1); melt.RenderFinalPicture(); melt.RenderToBackBuffer(device);
#pragma once
#include <d3d9.h>
#include <cstdio>
#include "PelmoraEffectsApi.h"
#include "advString.h"

// One column of the melt.
struct simple_worm {
    int speed;    // rows the column grows per simulation step
    int x;        // left edge in pixels
    int reserved; // always 0
    int width;    // width in pixels; every column has the same
    int drop;     // rows from the top the column has grown so far
};

class PELMORA_EFFECTS_API MeltScreen {
public:
    static constexpr int WormSlots = 128; // number of column records

    int wormCount;                    // columns 0 .. wormCount - 1 move; kept within 0 .. 128
    int width;                        // size of the final picture in pixels
    int height;
    bool ready;                       // init made the final picture
    bool logFlush;                    // Log flushes logFile after each line; false at first
    FILE* logFile;                    // stream Log writes to, set by the client; null (Log writes nothing) at first
    IDirect3DSurface9* pict1;         // picture 1: system memory (owned)
    IDirect3DSurface9* pict2;         // picture 2: system memory (owned)
    IDirect3DSurface9* finalPicture;  // the composed picture: system memory, width x height (owned)
    D3DCOLOR color1;                  // shown above a column's drop in modes 0 and 1; opaque black
    D3DCOLOR color2;                  // shown from the drop down in modes 0 and 1; opaque black
    int fillMode;                     // 0 or 1: the two colours; 2 or 3: the two pictures; others: no change
    simple_worm worms[WormSlots];     // the columns

    MeltScreen();
    ~MeltScreen();
    MeltScreen(const MeltScreen&) = delete;
    MeltScreen& operator=(const MeltScreen&) = delete;

    // Stores the sizes, sets fillMode 0 and creates the final picture; only if that succeeds are
    // the columns set up (InitWorms) and the object ready.
    void init(int wormCount, int width, int height, IDirect3DDevice9* device, D3DFORMAT format);
    // Every column: drop 0, width = width / 128, x = index * that width, a random speed 4..10
    // (11 once in 10001 draws). The argument is not used.
    void InitWorms(int unused);
    // Common column width w / 128 and x = index * that width for every column; speeds and drops stay.
    void SetWormsWidth(int w);
    // Each moving column grows by steps * its speed (nothing for steps <= 0 or before init).
    // Drops stop at the largest int instead of wrapping round. A wormCount set past 128 moves
    // the 128 columns there are.
    void Simulate(int steps);
    int GetSingleWormWidth(); // the common column width, from the first record

    // fill: a width x height picture of one colour (the file is not read). Otherwise the file,
    // in its own size but the given format. An earlier picture is released first.
    void initPict1(advString file, DWORD color, bool fill, IDirect3DDevice9* device, D3DFORMAT format);
    void initPict2(advString file, DWORD color, bool fill, IDirect3DDevice9* device, D3DFORMAT format);
    // Loads a file into the existing picture: the load's result, OXE_FAIL before init.
    long SetPicture1(advString file);
    long SetPicture2(advString file);

    // Composes the final picture from the columns (see the source for the exact rule). OXE_FAIL
    // before init; the lock error of picture 1 or of the final picture; OXE_INVALIDPARAM for a
    // final picture that is not 32 bits per pixel; otherwise 0.
    long RenderFinalPicture();
    // Copies the final picture to the top-left corner of the back buffer (clipped to it).
    void RenderToBackBuffer(IDirect3DDevice9* device);
    // Makes the final picture a copy of picture 1, whatever the state.
    void Reset(IDirect3DDevice9* device);
    // Copies the back buffer into surface (clipped to it); nothing before init.
    void CaptureScreenToSurf(IDirect3DDevice9* device, IDirect3DSurface9* surface);
    // which 1, 2, 3: picture 1, picture 2 or the final picture becomes back buffer 0 itself (the
    // surface it held is released). The melt then reads it through a copy and writes it back,
    // so the melt can run over what the client draws each frame. Other values do nothing.
    void CopyBackBuffer(IDirect3DDevice9* device, int which);

    IDirect3DSurface9* GetPict1(); // pict1
    IDirect3DSurface9* GetPict2(); // pict2

    // One line "[EFFECTS_DLL]: message\n" to logFile, message formatted printf-style and kept to
    // 255 characters; flushed when logFlush is set. Nothing without a logFile.
    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    static int GetRandomInt(int a, int b);
    void initPicture(IDirect3DSurface9*& picture, advString& file, DWORD color, bool fill,
                     IDirect3DDevice9* device, D3DFORMAT format);
};
