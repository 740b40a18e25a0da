#include "LibraryLoader.h"
#include <cstring>
#include <string>

namespace {

// The folder of the running program, with its trailing backslash; empty when unknown.
std::string ProgramFolder()
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::string();
    std::string folder(path, n);
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

std::string SystemFolder()
{
    char path[MAX_PATH];
    const UINT n = GetSystemDirectoryA(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::string();
    return std::string(path, n) + "\\";
}

} // namespace

HMODULE LoadLibraryFromProgramFolder(const char* fileName)
{
    if (!fileName || !fileName[0]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (strpbrk(fileName, "\\/:")) return LoadLibraryA(fileName);
    for (const std::string& folder : {ProgramFolder(), SystemFolder()}) {
        if (folder.empty()) continue;
        const std::string path = folder + fileName;
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}
