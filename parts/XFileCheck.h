// A check of .x mesh files made before D3DX is given them. The compressed forms ("tzip" and
// "bzip") carry a block table that D3DX's decompressor trusts: a file whose blocks run past its
// end, lack their signature, inflate to another size than they state or add up to another size
// than the header states makes it read or write outside its buffers and crash the process. Text
// and binary files are left for D3DX to judge (it refuses bad ones cleanly). Texture names read
// from a mesh file are used as file names: only relative ones are taken. Plain C++ without
// Windows headers, so that it is also built and fuzzed on the host.
//
// The check inflates every block once, without keeping its output: its work is proportional
// to the file's size and the sizes the blocks state (at most 32768 bytes each).
#pragma once
#include <cstddef>

// False for a compressed .x file whose block table is not sound, or for a file that cannot be
// read; true for every other file.
bool IsSoundXFile(const char* path);
// The same check on the bytes of a whole file in memory.
bool IsSoundXData(const unsigned char* data, size_t size);

// Whether a texture name read from a mesh file may be used as a file name: true for a relative
// name. False for null or empty names, names from the root of a drive ("\x", "/x"), network
// and device names ("\\server\share\x", "//server/x", "\\?\C:\x") and names with a drive
// ("C:\x", "C:x"), so that a mesh cannot make the program open a file outside its folders.
bool IsRelativeTextureName(const char* name);
