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

} // namespace

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
    // Each entry: the folder pattern and how many program strings it takes (dir, then name).
    static const char* const kFolders[8] = {
        ".\\", "..\\", "..\\..\\", "%s", "%s..\\", "%s..\\..\\", "%s..\\%s", "%s..\\..\\%s",
    };
    for (const char* folder : kFolders) {
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

bool FindMediaFile(const char* leafName, char* outPath)
{
    if (!leafName || !outPath) return false;
    char programPath[kMediaPathSize];
    DWORD n = GetModuleFileNameA(nullptr, programPath, sizeof(programPath));
    if (n == 0 || n >= sizeof(programPath)) return false;
    programPath[n] = '\0';

    char programDir[kMediaPathSize];
    char programName[kMediaPathSize];
    SplitProgramPath(programPath, programDir, programName);

    if (FindMediaFileInDirs(programDir, programName, leafName, outPath)) return true;

    char mediaName[kMediaPathSize];
    int length = snprintf(mediaName, sizeof(mediaName), "media\\%s", leafName);
    if (length < 0 || length >= kMediaPathSize) return false;
    return FindMediaFileInDirs(programDir, programName, mediaName, outPath);
}
