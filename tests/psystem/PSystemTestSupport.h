// Helpers of the particle tests: a plain white picture file to use as a particle texture, and
// a count of pixels that are not the clear colour.
#pragma once
#include <string>
#include "TestDevice.h"

namespace psystemtest {

// Writes a 24-bit BMP of one colour (0xRRGGBB); alpha reads back as opaque.
bool WriteSolidBmp(const std::string& path, int size, unsigned rgb);
// Path of a white 16x16 texture written into the working folder on first use.
const std::string& WhiteTexture();
// Path of a compiled effect in the program folder.
std::string EffectPath(const char* name);
// Pixels whose RGB differs from background.
int CountNot(const testsupport::Picture& p, unsigned background);
// Pixels that differ between two pictures of the same size.
int CountDiff(const testsupport::Picture& a, const testsupport::Picture& b);

} // namespace psystemtest
