#include "BadFileSupport.h"
#include <psapi.h>
#include <random>
#include <cstdio>

namespace badfiles {

namespace {

void Put16(std::string& s, uint16_t v)
{
    s.push_back(char(v & 0xFF));
    s.push_back(char(v >> 8));
}

void Put32(std::string& s, uint32_t v)
{
    for (int k = 0; k < 4; ++k) s.push_back(char((v >> (8 * k)) & 0xFF));
}

} // namespace

BitmapFields MakeBitmap(int width, int height, uint32_t rgb)
{
    BitmapFields f;
    f.width = width;
    f.height = height;
    const int rowBytes = (width * 3 + 3) & ~3;
    std::string row(size_t(rowBytes), '\0');
    for (int x = 0; x < width; ++x) {
        row[size_t(x) * 3 + 0] = char(rgb & 0xFF);
        row[size_t(x) * 3 + 1] = char((rgb >> 8) & 0xFF);
        row[size_t(x) * 3 + 2] = char((rgb >> 16) & 0xFF);
    }
    for (int y = 0; y < height; ++y) f.pixels += row;
    f.imageSize = uint32_t(f.pixels.size());
    f.fileSize = uint32_t(54 + f.pixels.size());
    return f;
}

std::string BitmapBytes(const BitmapFields& f)
{
    std::string s;
    Put16(s, f.magic);
    Put32(s, f.fileSize);
    Put32(s, 0); // reserved
    Put32(s, f.bitsOffset);
    Put32(s, f.infoSize);
    Put32(s, uint32_t(f.width));
    Put32(s, uint32_t(f.height));
    Put16(s, f.planes);
    Put16(s, f.bitCount);
    Put32(s, f.compression);
    Put32(s, f.imageSize);
    Put32(s, 2835); // 72 dpi
    Put32(s, 2835);
    Put32(s, f.coloursUsed);
    Put32(s, 0);
    return s + f.pixels;
}

std::string TgaBytes(int width, int height, uint32_t rgb)
{
    std::string s(18, '\0');
    s[2] = 2; // uncompressed true colour
    s[12] = char(width & 0xFF);
    s[13] = char(width >> 8);
    s[14] = char(height & 0xFF);
    s[15] = char(height >> 8);
    s[16] = 24;
    s[17] = 0x20; // top row first
    for (int i = 0; i < width * height; ++i) {
        s.push_back(char(rgb & 0xFF));
        s.push_back(char((rgb >> 8) & 0xFF));
        s.push_back(char((rgb >> 16) & 0xFF));
    }
    return s;
}

std::string Cut(const std::string& data, size_t n)
{
    return data.substr(0, n < data.size() ? n : data.size());
}

std::string RandomBytes(uint32_t seed, size_t n)
{
    std::mt19937 generator(seed);
    std::string s(n, '\0');
    for (char& c : s) c = char(generator() & 0xFF);
    return s;
}

bool Write(const std::string& path, const std::string& bytes)
{
    return testsupport::WriteFileBytes(path, bytes.data(), bytes.size());
}

std::string Read(const std::string& path)
{
    return testsupport::ReadFileBytes(path);
}

WorkFolder::WorkFolder(const std::string& name)
{
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    previous_ = previous;
    CreateDirectoryA(name.c_str(), nullptr);
    SetCurrentDirectoryA(name.c_str());
}

WorkFolder::~WorkFolder()
{
    SetCurrentDirectoryA(previous_.c_str());
}

namespace {

// Open handles found by asking for the flags of every possible handle value: Wine answers
// GetProcessHandleCount with 0, but knows each handle it has handed out.
DWORD ProbeHandles()
{
    DWORD n = 0;
    for (ULONG_PTR value = 4; value < 0x20000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++n;
    }
    return n;
}

// Bytes in use in all of the process's heaps: Wine reports no private usage in the memory
// counters, but walks its heaps exactly. Unlike committed pages this does not hide an
// allocation that lands in free space the heap already holds.
SIZE_T HeapBytesInUse()
{
    HANDLE heaps[256];
    const DWORD count = GetProcessHeaps(256, heaps);
    SIZE_T sum = 0;
    for (DWORD i = 0; i < count && i < 256; ++i) {
        PROCESS_HEAP_ENTRY entry = {};
        if (!HeapLock(heaps[i])) continue;
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) sum += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return sum;
}

} // namespace

ProcessUsage CurrentUsage()
{
    ProcessUsage u;
    if (!GetProcessHandleCount(GetCurrentProcess(), &u.handles) || u.handles == 0)
        u.handles = ProbeHandles();
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters))
        u.privateBytes = counters.PrivateUsage;
    if (u.privateBytes == 0) u.privateBytes = HeapBytesInUse();
    return u;
}

void DrawTexturedRect(IDirect3DDevice9* device, IDirect3DBaseTexture9* texture, int x, int y, int w, int h)
{
    struct Vertex { float x, y, z, rhw; DWORD colour; float u, v; };
    const float l = float(x) - 0.5f, t = float(y) - 0.5f, r = l + float(w), b = t + float(h);
    const Vertex quad[4] = {
        {l, t, 0, 1, 0xFFFFFFFF, 0, 0}, {r, t, 0, 1, 0xFFFFFFFF, 1, 0},
        {r, b, 0, 1, 0xFFFFFFFF, 1, 1}, {l, b, 0, 1, 0xFFFFFFFF, 0, 1},
    };
    device->SetVertexShader(nullptr);
    device->SetPixelShader(nullptr);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex));
    device->SetTexture(0, nullptr);
}

int CountNot(const testsupport::Picture& p, uint32_t rgb, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y < y1 && y < p.height; ++y)
        for (int x = x0; x < x1 && x < p.width; ++x)
            if (p.rgb(x, y) != rgb) ++n;
    return n;
}

int CountNot(const testsupport::Picture& p, uint32_t rgb)
{
    return CountNot(p, rgb, 0, 0, p.width, p.height);
}

int CountDiff(const testsupport::Picture& a, const testsupport::Picture& b, const std::vector<RECT>& masks)
{
    if (a.width != b.width || a.height != b.height) return -1;
    int n = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            bool masked = false;
            for (const RECT& m : masks)
                masked = masked || (x >= m.left && x < m.right && y >= m.top && y < m.bottom);
            if (!masked && a.rgb(x, y) != b.rgb(x, y)) ++n;
        }
    return n;
}

} // namespace badfiles

namespace badfiles {

Growth GrowthOver(int times, const std::function<void()>& step)
{
    for (int i = 0; i < 10; ++i) step();
    const ProcessUsage before = CurrentUsage();
    for (int i = 0; i < times; ++i) step();
    const ProcessUsage after = CurrentUsage();
    Growth g;
    g.handles = long(after.handles) - long(before.handles);
    g.privateBytes = (long long)after.privateBytes - (long long)before.privateBytes;
    return g;
}

} // namespace badfiles

namespace badfiles {

namespace {

struct Watch {
    HANDLE done;      // set when the step returned
    DWORD seconds;    // how long the step may take
    const char* what; // named when it hangs
};

DWORD WINAPI WatchStep(void* argument)
{
    const Watch* w = static_cast<const Watch*>(argument);
    if (WaitForSingleObject(w->done, w->seconds * 1000) == WAIT_OBJECT_0) return 0;
    fprintf(stderr, "HANG: %s did not return within %lu s\n", w->what, (unsigned long)w->seconds);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return 1;
}

} // namespace

double TimedWithHangGuard(const char* what, const std::function<void()>& step, DWORD guardSeconds)
{
    Watch w = {CreateEventA(nullptr, TRUE, FALSE, nullptr), guardSeconds, what};
    HANDLE watcher = CreateThread(nullptr, 0, WatchStep, &w, 0, nullptr);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    step();
    QueryPerformanceCounter(&end);
    SetEvent(w.done);
    if (watcher) {
        WaitForSingleObject(watcher, INFINITE);
        CloseHandle(watcher);
    }
    CloseHandle(w.done);
    const double ms = double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
    printf("[   time   ] %s: %.2f ms\n", what, ms);
    fflush(stdout);
    return ms;
}

} // namespace badfiles
