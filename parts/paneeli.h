/// \file
/// paneeli: a rectangular screen panel with a hit test.
#pragma once
#include "PelmoraPartsApi.h"
#include <d3d9.h>

/// A rectangular screen panel ("paneeli": panel) with a hit test that includes its right and
/// bottom edges. Coordinates are back-buffer pixels, (0, 0) at the top left.
///
/// Use: construct, init, set the fields, test points. It owns nothing and draws nothing.
class PELMORA_PARTS_API paneeli {
public:
    /// Leaves the fields unset: call init.
    paneeli();
    /// Does nothing.
    ~paneeli();

    /// A grey panel of width 30 and height 50 at (0, 0): color1 0xFFC8C8C8, color2 0xFF646464,
    /// style 2, the given tag, not active.
    void init(int tag);
    /// True when x <= px <= x + width and y <= py <= y + height (edges included).
    bool isInBounds(int px, int py);
    /// Draws nothing.
    void Render(IDirect3DDevice9*);

    D3DCOLOR color1; ///< first colour
    D3DCOLOR color2; ///< second colour
    int height;      ///< in pixels
    int width;       ///< in pixels
    int x;           ///< left edge, back-buffer pixels
    int y;           ///< top edge, back-buffer pixels
    int style;       ///< drawing style, kept for the caller
    int tag;         ///< the value given to init
    bool active;     ///< kept for the caller
};
