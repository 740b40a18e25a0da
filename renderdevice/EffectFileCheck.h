// A check of compiled effect files made before D3DX is given them. D3DX reads the compiled
// form (tag 0xFEFF0901) without checking any offset, count or size: a file cut short or
// damaged makes it read far outside its buffer and crash the process. This walks the same
// records D3DX walks and says whether every one of them lies inside the file. Files without
// the tag are effect source for the compiler, which refuses bad text cleanly: they pass.
//
// Usage (the particle systems and the grid, before D3DXCreateEffectFromFileA):
//     if (!IsSoundEffectFile(name)) { /* no effect: the object draws nothing */ }
#pragma once
#include <cstddef>

// False for a compiled effect whose records do not all lie inside the file, or for a file that
// cannot be read; true for every other file.
bool IsSoundEffectFile(const char* path);
// The same check on bytes in memory.
bool IsSoundEffectData(const unsigned char* data, size_t size);
