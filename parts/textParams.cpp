#include "textParams.h"

namespace {

BYTE ChannelByte(float c)
{
    if (c >= 1.0f) return 255;
    if (c <= 0.0f) return 0;
    return BYTE(int(c * 255.0f + 0.5f));
}

void StoreBytes(BYTE out[4], const D3DXCOLOR& c)
{
    out[0] = ChannelByte(c.r);
    out[1] = ChannelByte(c.g);
    out[2] = ChannelByte(c.b);
    out[3] = ChannelByte(c.a);
}

} // namespace

textParams::textParams()
    : x(0), y(0), height(0), width(0), spare(0), color(0), rgba{}, selectedRgba{}, flagA(false), flagB(false)
{
}

textParams::~textParams()
{
    text.initText();
    fontName.initText();
}

void textParams::setColorBytes(D3DXCOLOR c) { StoreBytes(rgba, c); }

void textParams::setSelectedColorBytes(D3DXCOLOR c) { StoreBytes(selectedRgba, c); }

textParams::textParams(const textParams& other) = default;

textParams& textParams::operator=(const textParams& other) = default;

long textParams::Render(OXED3D*, bool) { return 0; }

menuItem::menuItem()
    : normalColor(0), hoverColor(0), index(0), hover(false), currentColor(0), labelWidth(0), labelHeight(0),
      shown(false), hidden(true)
{
}

menuItem::~menuItem() {}

menuItem::menuItem(const menuItem& other) = default;

menuItem& menuItem::operator=(const menuItem& other) = default;
