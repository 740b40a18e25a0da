// textParams: one text entry (position, size, colours, text and font name).
// menuItem: a textParams with a hover state and a label rectangle, as a simpleMenu lays it out.
#pragma once
#include "PelmoraPartsApi.h"
#include "advString.h"
#include <d3dx9.h>

class OXED3D;

class PELMORA_PARTS_API textParams {
public:
    textParams();  // empty text and font name
    ~textParams(); // empties both strings
    textParams(const textParams& other);            // member-wise
    textParams& operator=(const textParams& other); // member-wise

    // Each channel to a byte: 255 from 1 up, 0 from 0 down, else the rounded channel x 255.
    void setColorBytes(D3DXCOLOR c);
    void setSelectedColorBytes(D3DXCOLOR c);
    long Render(OXED3D*, bool); // 0; draws nothing

    int x;                 // left edge, back-buffer pixels
    int y;                 // top edge, back-buffer pixels
    int height;            // in pixels
    int width;             // in pixels
    int spare;             // kept for the caller
    D3DCOLOR color;        // text colour
    BYTE rgba[4];          // red, green, blue, alpha from setColorBytes
    BYTE selectedRgba[4];  // red, green, blue, alpha from setSelectedColorBytes
    advString text;        // the text
    bool flagA;            // kept for the caller
    bool flagB;            // kept for the caller
    advString fontName;    // font face for the text
};

class PELMORA_PARTS_API menuItem : public textParams {
public:
    menuItem();
    ~menuItem();
    menuItem(const menuItem& other);            // member-wise
    menuItem& operator=(const menuItem& other); // member-wise

    D3DCOLOR normalColor;  // colour while not hovered
    D3DCOLOR hoverColor;   // colour while hovered
    int index;             // position in its menu
    bool hover;            // the pointer is over the label
    D3DCOLOR currentColor; // the colour the item shows now
    int labelWidth;        // hover rectangle width
    int labelHeight;       // hover rectangle height
    bool shown;            // laid out by the menu
    bool hidden;           // not drawn
};
