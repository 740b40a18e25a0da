// Media file lookup of the parts library (not exported): turns a bare file name into a path that
// exists by trying folders around the current folder and around the running program.
#pragma once

// Size of every path buffer here, terminator included (the platform's path limit).
const int kMediaPathSize = 260;

// Finds leafName, then "media\" + leafName. On success copies the path into outPath
// (kMediaPathSize bytes) and returns true; otherwise leaves outPath untouched. When the running
// program's path does not fit kMediaPathSize bytes, only the candidates that do not need it
// (".\", "..\", "..\..\") are tried.
bool FindMediaFile(const char* leafName, char* outPath);

// Where FindMediaFile learns the running program's path: called as GetModuleFileNameA is for the
// process (buffer, its size; the length copied, or the size when the path was cut). The module
// file name of the process unless a test points it elsewhere.
typedef unsigned long (*MediaProgramPathFn)(char* buffer, unsigned long size);
extern MediaProgramPathFn g_pMediaProgramPath;

// Tries the eight candidate folders for one leaf name, in order: ".\", "..\", "..\..\", the
// program folder, its parent, its grandparent, then a folder named after the program beside the
// program folder and beside its parent. A candidate longer than the path limit is skipped. A
// folder counts as found: only the attributes are asked for.
bool FindMediaFileInDirs(const char* programDir, const char* programName, const char* leafName, char* outPath);

// Splits a program path at its last backslash into the folder (with the backslash) and the
// file name without its extension followed by a backslash. Without a backslash the folder is the
// whole path and the name is empty. Both outputs hold kMediaPathSize bytes.
void SplitProgramPath(const char* programPath, char* programDir, char* programName);
