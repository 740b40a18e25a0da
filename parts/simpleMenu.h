/// \file
/// simpleMenu: a vertical list of menu items with hover detection.
#pragma once
#include "PelmoraPartsApi.h"
#include "textParams.h"

class OXED3D;

/// A vertical list of menu items with hover detection, drawn as coloured boxes with their label
/// texts through the render device. Coordinates are back-buffer pixels.
///
/// Use: construct with the item count, UpdateMenuItems to lay the items out, set each item's
/// text and clear its hidden flag, then each frame updateMenuItmes with the pointer and Render
/// between the render device's BeginFrame and EndFrame. It owns its items. Note: hover is tested
/// with the pointer taken relative to the menu position (x, y), while the boxes are drawn at the
/// item positions as they stand, without the menu position.
class PELMORA_PARTS_API simpleMenu {
public:
    /// count items (none for a negative count), each hidden at (0, 0) as a 30 x 12 box of colour
    /// 0xFFC8C8C8 with text "koe" and font "arial"; left 50, top 50 and spacing 15 for
    /// UpdateMenuItems; panel 300 x 200 at (10, 20) in 0xC83C3CC8. The second argument is not used.
    ///
    /// Note: items are hidden and stacked at (0, 0) after construction: call UpdateMenuItems and
    /// clear hidden to show them.
    simpleMenu(int count, int unused);
    /// Frees the items.
    ~simpleMenu();
    simpleMenu(const simpleMenu&) = delete;            ///< not copied: it owns its items
    simpleMenu& operator=(const simpleMenu&) = delete; ///< not assigned: it owns its items

    /// Lays item i out at (left, top + (10 + spacing) i) as a 10 x 10 box with a 120 x 12 label
    /// rectangle, colours 0xFFC864FF (normal) and 0xFF6464C8 (hover); not hovered, shown.
    /// hidden and currentColor are left as they are.
    void UpdateMenuItems();
    /// Hover state and currentColor of every item for a pointer at (mouseX, mouseY) in
    /// back-buffer pixels, taken relative to the menu position; the label rectangle's edges count.
    void updateMenuItmes(int mouseX, int mouseY);
    /// True when the label rectangle of item i (edges included) holds the point as given (not
    /// relative to the menu); false for a bad i.
    bool isInLabelBounds(int i, int px, int py);
    /// Sets the menu position x, y (which only moves the hover test, not the drawn items).
    void setMenuPosition(int px, int py);
    /// currentColor of item i from its hover state; nothing for a bad i.
    void toggleSelection(int i);
    /// Draws the panel (when showPanel is set and an item is shown) and every item that is not
    /// hidden: its box (width x height) in its current colour (hover colour while hovered) and
    /// its text in color, font fontName, labelHeight pixels high, 4 pixels right of the box.
    /// Nothing without a device.
    ///
    /// Note: currentColor is 0 (black, alpha 0) until updateMenuItmes or toggleSelection sets
    /// it: a shown item drawn before that gets a box of that colour.
    /// Note: each text is drawn with DrawTextWithFont, which makes and releases a font per call.
    void Render(OXED3D* device);

    D3DCOLOR color1;   ///< panel colour
    D3DCOLOR color2;   ///< second panel colour (kept for the caller)
    int height;        ///< panel height in pixels
    int width;         ///< panel width in pixels
    int x;             ///< menu position: the pointer is taken relative to it
    int y;             ///< menu position, y
    int style;         ///< panel style (kept for the caller)
    menuItem* items;   ///< itemCount items, owned
    bool showPanel;    ///< draw the panel behind the items (off after construction)
    int itemCount;     ///< entries in items (never followed past them)
    int left;          ///< x of every item after UpdateMenuItems
    int top;           ///< y of the first item after UpdateMenuItems
    int spacing;       ///< gap between items in pixels

private:
    // itemCount is public: loops and indices stay within the items that were made.
    int usableItems() const;            // itemCount, never more than the items made
    bool validIndex(int i) const;       // 0 <= i < usableItems()
};
