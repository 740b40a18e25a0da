// Media file lookup of the parts library (not exported): turns a bare file name into a path that
// exists by trying folders around the current folder and around the running program.
#pragma once

// Size of every path buffer here, terminator included (the platform's path limit).
const int kMediaPathSize = 260;

// Finds leafName, then "media\" + leafName. On success copies the path into outPath
// (kMediaPathSize bytes) and returns true; otherwise leaves outPath untouched.
bool FindMediaFile(const char* leafName, char* outPath);

// Tries the eight candidate folders for one leaf name, in order: ".\", "..\", "..\..\", the
// program folder, its parent, its grandparent, then a folder named after the program beside the
// program folder and beside its parent. A candidate longer than the path limit is skipped. A
// folder counts as found: only the attributes are asked for.
bool FindMediaFileInDirs(const char* programDir, const char* programName, const char* leafName, char* outPath);

// Splits a program path at its last backslash into the folder (with the backslash) and the
// file name without its extension followed by a backslash. Without a backslash the folder is the
// whole path and the name is empty. Both outputs hold kMediaPathSize bytes.
void SplitProgramPath(const char* programPath, char* programDir, char* programName);
