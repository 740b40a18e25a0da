// The test environment itself: every deliverable loads under Wine and carries its version, and
// a real device draws.
#include <gtest/gtest.h>
#include <windows.h>
#include <winver.h>
#include <cstring>
#include <vector>
#include "PelmoraVersion.h"
#include "TestDevice.h"

using namespace testsupport;

TEST(Deliverables, EveryLibraryLoadsAndCarriesItsFactory)
{
    struct Lib { const char* file; const char* factory; } libs[] = {
        {"PelmoraGraf.dll", "CreateRenderDevice"},   {"PelmoraParts.dll", "CreateRenderDevice"},
        {"PelmoraEffects.dll", "CreateRenderDevice"}, {"PelmoraInput.dll", "CreateInputDevice"},
        {"PelmoraAudio.dll", "CreateAudioDevice"},
    };
    for (const Lib& lib : libs) {
        HMODULE m = LoadLibraryA((ProgramFolder() + lib.file).c_str());
        ASSERT_NE(m, nullptr) << lib.file;
        EXPECT_NE(GetProcAddress(m, lib.factory), nullptr) << lib.file << " " << lib.factory;
    }
}

TEST(Deliverables, GraphicsLibrariesExportTheReleasePair)
{
    for (const char* file : {"PelmoraGraf.dll", "PelmoraParts.dll", "PelmoraEffects.dll"}) {
        HMODULE m = LoadLibraryA((ProgramFolder() + file).c_str());
        ASSERT_NE(m, nullptr) << file;
        EXPECT_NE(GetProcAddress(m, "ReleaseRenderDevice"), nullptr) << file;
    }
}

TEST(Deliverables, GameProgramIsAWindowsExecutable)
{
    std::string exe = ReadFileBytes(ProgramFolder() + "SimpleBrixel.exe");
    ASSERT_GT(exe.size(), 64u);
    EXPECT_EQ(exe.substr(0, 2), "MZ");
}

// The version resource as Windows reads it for the file's properties: the fixed version numbers
// and the strings of the first language block.
TEST(Deliverables, EveryDeliverableCarriesItsVersionResource)
{
    struct File { const char* name; const char* product; const char* description; };
    const File files[] = {
        {"PelmoraParts.dll", "Pelmora engine", "Pelmora engine parts"},
        {"PelmoraGraf.dll", "Pelmora engine", "Pelmora engine render device"},
        {"PelmoraEffects.dll", "Pelmora engine", "Pelmora engine screen transitions"},
        {"PelmoraInput.dll", "Pelmora engine", "Pelmora keyboard input device"},
        {"PelmoraAudio.dll", "Pelmora engine", "Pelmora audio device"},
        {"SimpleBrixel.exe", "SimpleBrixel", "SimpleBrixel, a falling-block puzzle game"},
    };
    for (const File& f : files) {
        SCOPED_TRACE(f.name);
        const std::string path = ProgramFolder() + f.name;
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
        ASSERT_GT(size, 0u) << "no version resource";
        std::vector<char> info(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
        const DWORD ms = DWORD(PELMORA_VERSION_MAJOR) << 16 | PELMORA_VERSION_MINOR;
        const DWORD ls = DWORD(PELMORA_VERSION_PATCH) << 16;
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, ms);
        EXPECT_EQ(fixed->dwFileVersionLS, ls);
        EXPECT_EQ(fixed->dwProductVersionMS, ms);
        EXPECT_EQ(fixed->dwProductVersionLS, ls);
        EXPECT_EQ(fixed->dwFileType, std::string(f.name).find(".exe") != std::string::npos ? DWORD(VFT_APP) : DWORD(VFT_DLL));
        auto text = [&](const char* key) {
            char* value = nullptr;
            UINT n = 0;
            const std::string query = std::string("\\StringFileInfo\\040904B0\\") + key;
            if (!VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &n) || !value) return std::string();
            return std::string(value);
        };
        EXPECT_EQ(text("ProductName"), f.product);
        EXPECT_EQ(text("FileDescription").substr(0, strlen(f.description)), f.description);
        EXPECT_EQ(text("FileVersion"), PELMORA_VERSION_STRING);
        EXPECT_EQ(text("ProductVersion"), PELMORA_VERSION_STRING);
        EXPECT_EQ(text("OriginalFilename"), f.name);
    }
}

TEST(TestDevice, ClearsAndReadsBackTheBackBuffer)
{
    TestDevice dev(320, 240);
    ASSERT_TRUE(dev.ok());
    ASSERT_TRUE(SUCCEEDED(dev.device()->BeginScene()));
    dev.clear(D3DCOLOR_XRGB(10, 200, 30));
    D3DRECT half = {0, 0, 160, 240};
    dev.device()->Clear(1, &half, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 0, 128), 1.0f, 0);
    dev.device()->EndScene();
    Picture p = dev.read();
    ASSERT_EQ(p.width, 320);
    ASSERT_EQ(p.height, 240);
    EXPECT_EQ(p.rgb(10, 10), 0xFF0080u);
    EXPECT_EQ(p.rgb(300, 200), 0x0AC81Eu);
    EXPECT_EQ(p.count(0xFF0080), 160 * 240);
    EXPECT_EQ(dev.releaseDevice(), 0u);
}
