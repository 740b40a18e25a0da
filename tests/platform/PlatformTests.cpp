// The test environment itself: every deliverable loads under Wine, and a real device draws.
#include <gtest/gtest.h>
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
