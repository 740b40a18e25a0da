// A check of .x mesh files made before D3DX is given them. The compressed forms ("tzip" and
// "bzip") carry a block table that D3DX's decompressor trusts: a file whose blocks run past its
// end, lack their signature, inflate to another size than they state or add up to another size
// than the header states makes it read or write outside its buffers and crash the process. Text and binary files are left for D3DX to judge
// (it refuses bad ones cleanly).
#pragma once

// False for a compressed .x file whose block table is not sound, or for a file that cannot be
// read; true for every other file.
bool IsSoundXFile(const char* path);
