#include "simpleMenu.h"
#include "OXED3D.h"
#include "CountedArray.h"

namespace {

// In 64 bits throughout: neither the far edges nor a pointer taken relative to the menu can
// wrap round into the rectangle.
bool InRect(long long rx, long long ry, long long rw, long long rh, long long px, long long py)
{
    return px >= rx && px <= rx + rw && py >= ry && py <= ry + rh;
}

BYTE Red(D3DCOLOR c) { return BYTE(c >> 16); }
BYTE Green(D3DCOLOR c) { return BYTE(c >> 8); }
BYTE Blue(D3DCOLOR c) { return BYTE(c); }
BYTE Alpha(D3DCOLOR c) { return BYTE(c >> 24); }

const int kLabelGap = 4; // pixels between an item's box and its text

} // namespace

int simpleMenu::usableItems() const { return WithinLength(items, itemCount); }

bool simpleMenu::validIndex(int i) const { return i >= 0 && i < usableItems(); }

simpleMenu::simpleMenu(int count, int)
{
    if (count < 0) count = 0;
    items = NewCountedArray<menuItem>(size_t(count > 0 ? count : 1));
    itemCount = items ? count : 0;
    showPanel = false;
    left = 50;
    top = 50;
    spacing = 15;
    UpdateMenuItems();
    for (int i = 0, n = usableItems(); i < n; ++i) {
        menuItem& item = items[i];
        item.color = 0xFFC8C8C8;
        item.height = 12;
        item.width = 30;
        item.flagA = false;
        item.text = advString("koe");
        item.fontName = advString("arial");
        item.x = 0;
        item.y = 0;
        item.flagB = true;
        item.hidden = true;
    }
    color1 = 0xC83C3CC8;
    color2 = 0xFF1E1E1E;
    style = 3;
    height = 200;
    width = 300;
    x = 10;
    y = 20;
}

simpleMenu::~simpleMenu()
{
    DeleteCountedArray(items);
    itemCount = 0;
}

void simpleMenu::UpdateMenuItems()
{
    for (int i = 0, n = usableItems(); i < n; ++i) {
        menuItem& item = items[i];
        item.normalColor = 0xFFC864FF;
        item.hoverColor = 0xFF6464C8;
        item.index = i;
        item.height = 10;
        item.width = 10;
        item.labelHeight = 12;
        item.labelWidth = 120;
        item.x = left;
        item.y = (item.height + spacing) * i + top;
        item.hover = false;
        item.shown = true;
    }
}

void simpleMenu::updateMenuItmes(int mouseX, int mouseY)
{
    const long long px = (long long)mouseX - x;
    const long long py = (long long)mouseY - y;
    for (int i = 0, n = usableItems(); i < n; ++i) {
        menuItem& item = items[i];
        item.hover = InRect(item.x, item.y, item.labelWidth, item.labelHeight, px, py);
        item.currentColor = item.hover ? item.hoverColor : item.normalColor;
    }
}

bool simpleMenu::isInLabelBounds(int i, int px, int py)
{
    if (!validIndex(i)) return false;
    const menuItem& item = items[i];
    return InRect(item.x, item.y, item.labelWidth, item.labelHeight, px, py);
}

void simpleMenu::setMenuPosition(int px, int py)
{
    x = px;
    y = py;
}

void simpleMenu::toggleSelection(int i)
{
    if (!validIndex(i)) return;
    items[i].currentColor = items[i].hover ? items[i].hoverColor : items[i].normalColor;
}

void simpleMenu::Render(OXED3D* device)
{
    if (!device) return;
    bool anyShown = false;
    for (int i = 0, n = usableItems(); i < n; ++i) anyShown = anyShown || !items[i].hidden;
    if (showPanel && anyShown)
        device->FillRect(x, y, height, width, Red(color1), Green(color1), Blue(color1), Alpha(color1));
    for (int i = 0, n = usableItems(); i < n; ++i) {
        menuItem& item = items[i];
        if (item.hidden) continue;
        const D3DCOLOR c = item.hover ? item.hoverColor : item.currentColor;
        device->FillRect(item.x, item.y, item.height, item.width, Red(c), Green(c), Blue(c), Alpha(c));
        if (item.text.AnnaPituus() == 0) continue;
        device->DrawTextWithFont(item.text.GetString(), item.x + item.width + kLabelGap, item.y,
                                 item.fontName.GetString(), item.labelHeight, 0, FW_NORMAL, Red(item.color),
                                 Green(item.color), Blue(item.color), Alpha(item.color));
    }
}
