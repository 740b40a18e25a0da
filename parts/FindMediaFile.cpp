#include "FindMediaFile.h"
#include <windows.h>
#include <cstdio>
#include <cstring>

namespace {

// Copies text into a kMediaPathSize buffer; false (and out unchanged) when it does not fit.
bool CopyPath(char* out, const char* text)
{
    size_t n = strlen(text);
    if (n >= size_t(kMediaPathSize)) return false;
    memcpy(out, text, n + 1);
    return true;
}

unsigned long ProcessFileName(char* buffer, unsigned long size)
{
    return GetModuleFileNameA(nullptr, buffer, size);
}

// The eight candidate folders for one leaf name; those built on the program's folder or name
// only when the program's path is known.
bool FindInFolders(const char* programDir, const char* programName, const char* leafName, char* outPath,
                   bool programKnown)
{
    // Each entry: the folder pattern and how many program strings it takes (dir, then name).
    static const char* const kFolders[8] = {
        ".\\", "..\\", "..\\..\\", "%s", "%s..\\", "%s..\\..\\", "%s..\\%s", "%s..\\..\\%s",
    };
    for (const char* folder : kFolders) {
        if (!programKnown && strchr(folder, '%')) continue;
        char candidate[kMediaPathSize];
        int folderLength = snprintf(candidate, sizeof(candidate), folder, programDir, programName);
        if (folderLength < 0 || folderLength >= kMediaPathSize) continue;
        size_t leafLength = strlen(leafName);
        if (size_t(folderLength) + leafLength >= size_t(kMediaPathSize)) continue;
        memcpy(candidate + folderLength, leafName, leafLength + 1);
        if (GetFileAttributesA(candidate) != INVALID_FILE_ATTRIBUTES) {
            memcpy(outPath, candidate, strlen(candidate) + 1);
            return true;
        }
    }
    return false;
}

} // namespace

MediaProgramPathFn g_pMediaProgramPath = ProcessFileName;

void SplitProgramPath(const char* programPath, char* programDir, char* programName)
{
    programDir[0] = '\0';
    programName[0] = '\0';
    const char* slash = strrchr(programPath, '\\');
    if (!slash) {
        CopyPath(programDir, programPath);
        return;
    }
    size_t dirLength = size_t(slash - programPath) + 1;
    if (dirLength >= size_t(kMediaPathSize)) return;
    memcpy(programDir, programPath, dirLength);
    programDir[dirLength] = '\0';

    const char* name = slash + 1;
    const char* dot = strrchr(name, '.');
    size_t nameLength = dot ? size_t(dot - name) : strlen(name);
    if (nameLength + 2 > size_t(kMediaPathSize)) return;
    memcpy(programName, name, nameLength);
    programName[nameLength] = '\\';
    programName[nameLength + 1] = '\0';
}

bool FindMediaFileInDirs(const char* programDir, const char* programName, const char* leafName, char* outPath)
{
    if (!programDir || !programName || !leafName || !outPath) return false;
    return FindInFolders(programDir, programName, leafName, outPath, true);
}

bool FindMediaFile(const char* leafName, char* outPath)
{
    if (!leafName || !outPath) return false;
    // A program path cut at the buffer's end is no path: the candidates built on it are left
    // out, the ones around the current folder are still tried.
    char programPath[kMediaPathSize];
    const unsigned long n = g_pMediaProgramPath ? g_pMediaProgramPath(programPath, sizeof(programPath)) : 0;
    const bool programKnown = n > 0 && n < sizeof(programPath);
    char programDir[kMediaPathSize] = "";
    char programName[kMediaPathSize] = "";
    if (programKnown) {
        programPath[n] = '\0';
        SplitProgramPath(programPath, programDir, programName);
    }

    if (FindInFolders(programDir, programName, leafName, outPath, programKnown)) return true;

    char mediaName[kMediaPathSize];
    int length = snprintf(mediaName, sizeof(mediaName), "media\\%s", leafName);
    if (length < 0 || length >= kMediaPathSize) return false;
    return FindInFolders(programDir, programName, mediaName, outPath, programKnown);
}
