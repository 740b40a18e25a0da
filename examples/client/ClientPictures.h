// The pictures the client draws with, made by the client itself at start: written as
// uncompressed 32-bit DDS files, which D3DX loads as textures and surfaces.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

// Writes a width x height picture whose pixels (0xAARRGGBB, row by row from the top) come from
// pixel(x, y). True when the whole file was written.
bool WriteDds(const std::string& file, int width, int height, const std::function<uint32_t(int, int)>& pixel);

// The client's four pictures, written into folder: "client_a.dds" and "client_b.dds" (the
// transition's two solid pictures), "client_quad.dds" (two colours side by side) and
// "client_spark.dds" (a white round point). True when all four were written.
bool WriteClientPictures(const std::string& folder);

// Colours of the pictures (0xRRGGBB), which a test of the client looks for in its frames.
const uint32_t kPictureA = 0xC02060;  // transition, first picture
const uint32_t kPictureB = 0xE0C040;  // transition, second picture
const uint32_t kQuadLeft = 0xF08000;  // left half of the quad's texture
const uint32_t kQuadRight = 0x00A0F0; // right half
