#include "XFileCheck.h"
#include <windows.h>
#include <cstring>
#include <vector>

namespace {

const size_t kHeaderSize = 16;       // "xof ", version, format, float size
const size_t kMaxBlockOutput = 32768; // a compressed block inflates to at most this many bytes

bool ReadWholeFile(const char* path, std::vector<unsigned char>& out)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < 0x40000000;
    if (ok) {
        out.resize(size_t(size.QuadPart));
        DWORD got = 0;
        ok = out.empty() || (ReadFile(file, out.data(), DWORD(out.size()), &got, nullptr) && got == out.size());
    }
    CloseHandle(file);
    return ok;
}

unsigned ReadU16(const unsigned char* p) { return unsigned(p[0] | p[1] << 8); }
unsigned ReadU32(const unsigned char* p) { return ReadU16(p) | ReadU16(p + 2) << 16; }

// The block table after the header: the inflated size (header included), then blocks of
// (inflated size, stored size, "CK", deflate data) that fill the file exactly.
bool IsSoundBlockTable(const std::vector<unsigned char>& data)
{
    size_t at = kHeaderSize;
    if (data.size() < at + 4) return false;
    const unsigned long long stated = ReadU32(&data[at]);
    at += 4;
    unsigned long long inflated = kHeaderSize;
    int blocks = 0;
    while (at < data.size()) {
        if (data.size() - at < 4) return false;
        const size_t blockOutput = ReadU16(&data[at]);
        const size_t stored = ReadU16(&data[at + 2]);
        at += 4;
        if (blockOutput == 0 || blockOutput > kMaxBlockOutput) return false;
        if (stored < 3 || stored > data.size() - at) return false;
        if (data[at] != 'C' || data[at + 1] != 'K') return false;
        at += stored;
        inflated += blockOutput;
        ++blocks;
    }
    return blocks > 0 && inflated == stated;
}

} // namespace

bool IsSoundXFile(const char* path)
{
    if (!path) return false;
    std::vector<unsigned char> data;
    if (!ReadWholeFile(path, data)) return false;
    if (data.size() < kHeaderSize || memcmp(data.data(), "xof ", 4) != 0) return true;
    const bool compressed = memcmp(&data[8], "tzip", 4) == 0 || memcmp(&data[8], "bzip", 4) == 0;
    return !compressed || IsSoundBlockTable(data);
}
