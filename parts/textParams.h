/// \file
/// textParams: one text entry; menuItem: a text entry with hover state, as a simpleMenu lays it out.
#pragma once
#include "PelmoraPartsApi.h"
#include "advString.h"
#include <d3dx9.h>

class OXED3D;

/// One text entry: position, size, colours, text and font name, in back-buffer pixels.
///
/// A plain record: construct, set the fields, copy freely. It owns no resource and draws nothing
/// itself (simpleMenu draws its items' texts).
class PELMORA_PARTS_API textParams {
public:
    /// Empty text and font name, everything else zero.
    textParams();
    /// Empties both strings.
    ~textParams();
    /// Member-wise copy.
    textParams(const textParams& other);
    /// Member-wise assignment.
    textParams& operator=(const textParams& other);

    /// Stores c in rgba as bytes red, green, blue, alpha: each channel 255 from 1 up, 0 from 0
    /// down, else the channel x 255 rounded.
    void setColorBytes(D3DXCOLOR c);
    /// Stores c in selectedRgba the same way.
    void setSelectedColorBytes(D3DXCOLOR c);
    /// Returns 0 and draws nothing.
    long Render(OXED3D*, bool);

    int x;                 ///< left edge, back-buffer pixels
    int y;                 ///< top edge, back-buffer pixels
    int height;            ///< in pixels
    int width;             ///< in pixels
    int spare;             ///< kept for the caller
    D3DCOLOR color;        ///< text colour
    BYTE rgba[4];          ///< red, green, blue, alpha from setColorBytes
    BYTE selectedRgba[4];  ///< red, green, blue, alpha from setSelectedColorBytes
    advString text;        ///< the text
    bool flagA;            ///< kept for the caller
    bool flagB;            ///< kept for the caller
    advString fontName;    ///< font face for the text
};

/// A textParams with a hover state and a label rectangle, as a simpleMenu lays it out.
///
/// A plain record owned by its simpleMenu (the menu's items array); copy freely.
class PELMORA_PARTS_API menuItem : public textParams {
public:
    /// Colours 0, index 0, not hovered, not shown, hidden.
    menuItem();
    /// Empties the strings.
    ~menuItem();
    /// Member-wise copy.
    menuItem(const menuItem& other);
    /// Member-wise assignment.
    menuItem& operator=(const menuItem& other);

    D3DCOLOR normalColor;  ///< colour while not hovered
    D3DCOLOR hoverColor;   ///< colour while hovered
    int index;             ///< position in its menu
    bool hover;            ///< the pointer is over the label
    D3DCOLOR currentColor; ///< the colour the item shows now
    int labelWidth;        ///< hover rectangle width
    int labelHeight;       ///< hover rectangle height
    bool shown;            ///< laid out by the menu
    bool hidden;           ///< not drawn
};
