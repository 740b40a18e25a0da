// simpleMenu: a vertical list of menu items with hover detection, drawn as coloured boxes with
// their label texts through the render device. Hover is tested with the pointer taken relative
// to the menu position; the boxes are drawn at the item positions as they stand.
#pragma once
#include "PelmoraPartsApi.h"
#include "textParams.h"

class OXED3D;

class PELMORA_PARTS_API simpleMenu {
public:
    simpleMenu(int count, int unused); // count hidden items at (0, 0)
    ~simpleMenu();
    simpleMenu(const simpleMenu&) = delete; // owns its items
    simpleMenu& operator=(const simpleMenu&) = delete;

    // Lays item i out at (left, top + 25 i) with its colours and label size; marks it shown.
    void UpdateMenuItems();
    // Hover state and colour of every item for a pointer in back-buffer pixels.
    void updateMenuItmes(int mouseX, int mouseY);
    // The label rectangle of item i (edges included) holds the point as given; false for a bad i.
    bool isInLabelBounds(int i, int px, int py);
    void setMenuPosition(int px, int py);
    // currentColor of item i from its hover state.
    void toggleSelection(int i);
    // Draws the panel (when showPanel is set) and every item that is not hidden: its box in its
    // current colour (hover colour while hovered) and its text to the right of the box.
    void Render(OXED3D* device);

    D3DCOLOR color1;   // panel colour
    D3DCOLOR color2;   // second panel colour (kept for the caller)
    int height;        // panel height in pixels
    int width;         // panel width in pixels
    int x;             // menu position: the pointer is taken relative to it
    int y;
    int style;         // panel style (kept for the caller)
    menuItem* items;   // itemCount items, owned
    bool showPanel;    // draw the panel behind the items (off after construction)
    int itemCount;     // entries in items (never followed past them)
    int left;          // x of every item after UpdateMenuItems
    int top;           // y of the first item after UpdateMenuItems
    int spacing;       // gap between items in pixels

private:
    // itemCount is public: loops and indices stay within the items that were made.
    int usableItems() const;            // itemCount, never more than the items made
    bool validIndex(int i) const;       // 0 <= i < usableItems()
};
