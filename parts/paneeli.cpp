#include "paneeli.h"

paneeli::paneeli() {}

paneeli::~paneeli() {}

void paneeli::Render(IDirect3DDevice9*) {}

void paneeli::init(int t)
{
    color1 = 0xFFC8C8C8;
    color2 = 0xFF646464;
    x = 0;
    y = 0;
    height = 50;
    width = 30;
    style = 2;
    tag = t;
    active = false;
}

bool paneeli::isInBounds(int px, int py)
{
    // 64-bit sums: a panel near the end of the int range must not wrap around.
    return px >= x && (long long)px <= (long long)x + width && py >= y && (long long)py <= (long long)y + height;
}
