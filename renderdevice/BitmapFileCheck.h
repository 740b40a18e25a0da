// A check of bitmap files made before the system's bitmap loader is given them. The loader
// trusts the headers: pixel rows or a palette claimed past the end of the file are read from
// beyond it (the process crashes, or takes whatever memory follows). Plain C++ without Windows
// headers, so that it is also built and fuzzed on the host.
//
// What a whole bitmap is here:
//   - "BM", then an info header of 12 bytes (the old core header, 16-bit sizes) or of 40 to 124
//     bytes (32-bit sizes; a negative height is the top-down form), wholly inside the file;
//   - 1 plane; 1, 4, 8, 16, 24 or 32 bits per pixel; uncompressed, or with colour masks
//     (16 and 32 bits only);
//   - width and height from 1 to 32768 pixels: no texture is larger, and every size computed
//     from them fits 64 bits with room to spare;
//   - a palette of at most 2^bits colours (at most 256 above 8 bits) that lies, with the colour
//     masks, between the info header and the pixel rows;
//   - pixel rows (each padded to 4 bytes) that lie between their offset and the end of the file.
#pragma once
#include <cstddef>

// Widest and highest bitmap taken, in pixels.
const long long kMaxBitmapSide = 32768;

// False for a file that cannot be read or does not hold a whole bitmap; true otherwise.
bool IsWholeBitmapFile(const char* path);
// The same on the first `headBytes` bytes of a file of `fileSize` bytes (the file and info
// headers are within its first 138 bytes; fewer when the file is shorter).
bool IsWholeBitmapData(const unsigned char* head, size_t headBytes, unsigned long long fileSize);
