// Shared fixtures of the parts tests: one render device made by PelmoraParts' own factory (so
// that the library's current device is set, as its surfaces need), a 3D view looking at the
// origin, frames read back before presenting, and small file writers for meshes and pictures.
#pragma once
#include <gtest/gtest.h>
#include "MessageBoxAnswerer.h"
#include "TestDevice.h"
#include "OXED3D.h"
#include <d3dx9.h>
#include <cstdint>
#include <string>

namespace parts2test {

// The started device (1024 x 768 back buffer), made once for the whole program; null when it
// could not start.
OXERenderDevice* Device();
IDirect3DDevice9* D3D();

// Clears colour and depth to the colour and begins the scene on the Direct3D device.
void BeginFrame(D3DCOLOR clearColor);
// Ends the scene, reads the back buffer and presents.
testsupport::Picture EndFrameAndRead();

// World identity, camera at (0, 0, -3) looking at the origin, 90 degree field of view: the unit
// square from (-1, -1) to (1, 1) at z = 0 then covers x 384..640 and y 256..512 on the screen.
// Lights off, culling off, global ambient white, depth test on.
void SetPlainView();

// A 24-bit BMP of w x h: the left half leftColor, the right half rightColor (RGB).
bool WriteBmp(const std::string& path, int w, int h, uint32_t leftColor, uint32_t rightColor);

// The unit square at z = 0 facing -z, one material of the given diffuse colour, naming the
// texture file (none when empty), with normals and texture coordinates.
std::string QuadX(const char* texture, float r = 1, float g = 1, float b = 1);

// Answers the message boxes a test provokes (see MessageBoxAnswerer.h).
using testsupport::MessageBoxAnswerer;

// Channels within tolerance of each other.
bool Near(uint32_t a, uint32_t b, int tolerance);

} // namespace parts2test
