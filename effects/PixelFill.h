// Filling runs of 32-bit pixels, as the melt's colour spans and the pixelate's stripes do.
#pragma once
#include <emmintrin.h>
#include <cstddef>
#include <cstdint>

// Writes colour into the n pixels from out on, sixteen and then four at a time. A plain loop
// whose length is known only at run time is left a pixel at a time by the compiler at this
// build's optimisation level, well behind a fill of the same bytes; a loop of one store a turn
// was measured to run at half speed or full speed depending on where it fell in the code.
inline void FillPixels(uint32_t* out, size_t n, uint32_t colour)
{
    const __m128i four = _mm_set1_epi32(int(colour));
    for (; n >= 16; n -= 16, out += 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), four);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), four);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), four);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 12), four);
    }
    for (; n >= 4; n -= 4, out += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(out), four);
    for (; n > 0; --n) *out++ = colour;
}
