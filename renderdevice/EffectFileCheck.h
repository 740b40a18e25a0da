// A check of compiled effect files made before D3DX is given them. D3DX reads the compiled
// form (tag 0xFEFF0901) without checking any offset, count or size: a file cut short or
// damaged makes it read far outside its buffer and crash the process. This walks the same
// records D3DX walks and says whether every one of them lies inside the file, and whether the
// shader code (with its constant tables) and parameter names the file carries are whole. Files without the tag are effect
// source for the compiler, which refuses bad text cleanly: they pass. Plain C++ without Windows
// headers, so that it is also built and fuzzed on the host.
//
// Limit on the work: records are referred to by offset, and one record may be referred to by
// many others (a type shared by several states, a sampler's state list shared by several
// states). D3DX parses a record again every time it is reached, and so does this check: its
// work is what D3DX's work will be. The check reads at most 65536 + 16 x (file size in bytes)
// words of the file; an effect that needs more is refused. That bounds the check by a small
// multiple of the file size, and refuses files whose records are reached over and over (lists
// whose states point into further lists, a few levels deep, are reached exponentially often:
// D3DX would take hours over a few kilobytes of them).
//
// Usage (the particle systems and the grid, before D3DXCreateEffectFromFileA):
//     if (!IsSoundEffectFile(name)) { /* no effect: the object draws nothing */ }
#pragma once
#include <cstddef>

// False for a compiled effect whose records do not all lie inside the file, whose shaders or
// names are not whole, or which would take more work than its size allows; false for a file
// that cannot be read; true for every other file.
bool IsSoundEffectFile(const char* path);
// The same check on bytes in memory.
bool IsSoundEffectData(const unsigned char* data, size_t size);
