// paneeli: a rectangular screen panel with a hit test that includes its right and bottom edges.
#pragma once
#include "PelmoraPartsApi.h"
#include <d3d9.h>

class PELMORA_PARTS_API paneeli {
public:
    paneeli();  // leaves the fields unset: call init
    ~paneeli();

    void init(int tag);                // grey 30 x 50 panel at (0, 0)
    bool isInBounds(int px, int py);   // x <= px <= x + width and y <= py <= y + height
    void Render(IDirect3DDevice9*);    // draws nothing

    D3DCOLOR color1; // first colour
    D3DCOLOR color2; // second colour
    int height;      // in pixels
    int width;       // in pixels
    int x;           // left edge, back-buffer pixels
    int y;           // top edge, back-buffer pixels
    int style;       // drawing style, kept for the caller
    int tag;         // the value given to init
    bool active;     // kept for the caller
};
