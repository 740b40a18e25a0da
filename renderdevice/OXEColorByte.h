// A colour channel as a byte, the one conversion the render device and its managers share when
// they pack a floating-point colour into a Direct3D colour or a colour key.
#pragma once
#include <windows.h>

// Channel 0..1 as a byte: times 255, truncated towards zero, low 8 bits kept (so 1.5 gives 126
// and -0.2 gives 205, as the low byte of -51). NaN and values whose product lies outside the
// 32-bit signed range give 0. Returned as a DWORD, ready to be shifted into its place.
inline DWORD OXEColorByte(float channel)
{
    const float scaled = channel * 255.0f;
    if (!(scaled > -2147483648.0f && scaled < 2147483648.0f)) return 0; // NaN or out of int range
    return DWORD(int(scaled)) & 0xFFu;
}
