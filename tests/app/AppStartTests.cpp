// The application frame's command line and its start failures: each says what failed, ends
// with exit code 1 and leaves no window and no running device behind; an interactive run shows
// the same text in a message box, a scripted one does not. And the three samples on the frame:
// each run with --shot saves a frame that shows its scene.
#include "PelmoraApp.h"
#include "MessageBoxAnswerer.h"
#include "OXEResult.h"
#include "OXEResultText.h"
#include "PelmoraVersion.h"
#include "TestDevice.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct OptionRow {
    std::vector<std::string> args;
    const char* error; // part of the message; null for a sound command line
};

TEST(AppOptions, FrameOptionsAreTakenAndTheRestIsLeftInOrder)
{
    PelmoraAppOptions o;
    ASSERT_TRUE(ParsePelmoraAppOptions({"--shots", "dir", "--shot", "a b.png", "--size", "800x600", "x"}, o));
    EXPECT_EQ(o.shotFile, "a b.png");
    EXPECT_EQ(o.frames, PelmoraAppOptions::DefaultShotFrames);
    EXPECT_EQ(o.width, 800);
    EXPECT_EQ(o.height, 600);
    EXPECT_EQ(o.rest, (std::vector<std::string>{"--shots", "dir", "x"}));
    EXPECT_TRUE(o.scripted());
    ASSERT_TRUE(ParsePelmoraAppOptions({"--frames", "7", "--shot", "s.png"}, o));
    EXPECT_EQ(o.frames, 7) << "--frames before --shot counts too";
    ASSERT_TRUE(ParsePelmoraAppOptions({}, o));
    EXPECT_FALSE(o.scripted());
    EXPECT_EQ(o.frames, 0);

    const OptionRow bad[] = {
        {{"--shot"}, "--shot needs a value"},
        {{"--shot", ""}, "--shot needs a value"},
        {{"--frames", "0"}, "--frames 0: give a whole number"},
        {{"--frames", "-3"}, "--frames -3"},
        {{"--frames", "1000001"}, "--frames 1000001"},
        {{"--frames", "12x"}, "--frames 12x"},
        {{"--frames", "99999999999999"}, "--frames 99999999999999"},
        {{"--size", "800"}, "--size 800: give the size as WIDTHxHEIGHT"},
        {{"--size", "x600"}, "--size x600"},
        {{"--size", "800x-1"}, "--size 800x-1"},
        {{"--size"}, "--size needs a value"},
        {{"--shot", "--frames", "5"}, "--shot needs a value"},
        {{"--size", "--shot", "a.png"}, "--size needs a value"},
        {{"--frames", "-1", "--size", "abc"}, "--frames -1"},
    };
    for (const OptionRow& row : bad) {
        SCOPED_TRACE(row.error);
        EXPECT_FALSE(ParsePelmoraAppOptions(row.args, o));
        EXPECT_NE(o.error.find(row.error), std::string::npos) << o.error;
    }

    // "--shot --frames 5": the option after --shot is no file name; it is read as an option.
    EXPECT_FALSE(ParsePelmoraAppOptions({"--shot", "--frames", "5"}, o));
    EXPECT_EQ(o.shotFile, "");
    EXPECT_EQ(o.frames, 5);
    // A size of 0x0 is a size given (and refused at start), not "no size".
    ASSERT_TRUE(ParsePelmoraAppOptions({"--size", "0x0"}, o));
    EXPECT_TRUE(o.sizeGiven);
    EXPECT_EQ(o.width, 0);
    EXPECT_EQ(o.height, 0);
    ASSERT_TRUE(ParsePelmoraAppOptions({"x"}, o));
    EXPECT_FALSE(o.sizeGiven);
}

TEST(AppOptions, ARunIsScriptedByAnyShotOrFramesOnTheWholeCommandLine)
{
    const std::vector<std::string> lines[] = {
        {"--frames", "-1"},
        {"--size", "abc", "--frames", "5"},
        {"--frames", "5", "--size", "abc"},
        {"--size", "abc", "--shot", "s.png"},
        {"--shot"},
    };
    for (const std::vector<std::string>& args : lines) {
        SCOPED_TRACE(args[0] + " " + (args.size() > 1 ? args[1] : "") + " ...");
        PelmoraAppOptions o;
        EXPECT_FALSE(ParsePelmoraAppOptions(args, o));
        EXPECT_TRUE(o.scripted());
        // The frame itself shows no message box for it.
        testsupport::MessageBoxAnswerer boxes;
        PelmoraAppSettings s;
        s.title = "AppStartTest";
        PelmoraApp app(s);
        EXPECT_FALSE(app.start(args));
        EXPECT_EQ(app.exitCode(), 1);
        EXPECT_EQ(boxes.count(), 0) << app.failure();
    }
    PelmoraAppOptions o;
    EXPECT_FALSE(ParsePelmoraAppOptions({"--size", "abc", "x"}, o));
    EXPECT_FALSE(o.scripted());
}

TEST(ResultText, NamesEveryEngineCodeAndTheCommonDirect3DOnes)
{
    struct Row { HRESULT code; const char* text; };
    const Row rows[] = {
        {OXE_OK, "0x00000000 OXE_OK: success"},
        {OXE_FAIL, "0x82000001 OXE_FAIL: general failure"},
        {OXE_CREATEAPI, "0x82000002 OXE_CREATEAPI: "},
        {OXE_CREATEDEVICE, "0x82000003 OXE_CREATEDEVICE: "},
        {OXE_CREATEBUFFER, "0x82000004 OXE_CREATEBUFFER: "},
        {OXE_INVALIDPARAM, "0x82000005 OXE_INVALIDPARAM: invalid argument or unexpected format"},
        {OXE_INVALIDID, "0x82000006 OXE_INVALIDID: "},
        {OXE_BUFFERSIZE, "0x82000007 OXE_BUFFERSIZE: "},
        {OXE_BUFFERLOCK, "0x82000008 OXE_BUFFERLOCK: "},
        {OXE_OUTOFMEMORY, "0x8200000A OXE_OUTOFMEMORY: "},
        {OXE_FILENOTFOUND, "0x8200000B OXE_FILENOTFOUND: "},
        {OXE_INVALIDFILE, "0x8200000C OXE_INVALIDFILE: "},
        {OXE_NOSHADERSUPPORT, "0x8200000D OXE_NOSHADERSUPPORT: "},
        {OXE_PLATFORM_FAIL, "0x80004005 OXE_PLATFORM_FAIL / E_FAIL: "},
        {E_INVALIDARG, "0x80070057 E_INVALIDARG: "},
        {D3DERR_DEVICELOST, "0x88760868 D3DERR_DEVICELOST: "},
        {D3DERR_DEVICENOTRESET, "0x88760869 D3DERR_DEVICENOTRESET: "},
        {D3DERR_INVALIDCALL, "0x8876086C D3DERR_INVALIDCALL: "},
        {D3DERR_OUTOFVIDEOMEMORY, "0x8876017C D3DERR_OUTOFVIDEOMEMORY: "},
        {D3DERR_NOTAVAILABLE, "0x8876086A D3DERR_NOTAVAILABLE: "},
        {HRESULT(0x88760B59), "0x88760B59 D3DXERR_INVALIDDATA: "},
        {HRESULT(0x8200FFFF), "0x8200FFFF: unknown result"},
    };
    for (const Row& row : rows) {
        // Rows ending in ": " give the name; a meaning of some words follows it.
        const std::string text = OXEResultText(row.code), want = row.text;
        if (want.back() == ' ') {
            EXPECT_EQ(text.substr(0, want.size()), want);
            EXPECT_GT(text.size(), want.size() + 5) << text;
        } else {
            EXPECT_EQ(text, want);
        }
    }
}

bool AnyFrameWindow() { return FindWindowA("PelmoraAppWindow", nullptr) != nullptr; }

struct StartRow {
    const char* name;
    const char* library;
    int width, height;
    std::vector<std::string> args;
    const char* message; // part of the failure text
};

TEST(AppStart, FailuresSayWhatFailedEndWithCodeOneAndLeaveNothingRunning)
{
    const StartRow rows[] = {
        {"missing library", "NoSuchEngine.dll", 320, 240, {}, "cannot load NoSuchEngine.dll (error 126"},
        {"library only in the working folder", "WorkingFolderEngine.dll", 320, 240, {},
         "cannot load WorkingFolderEngine.dll (error 126"},
        {"not an engine library", "user32.dll", 320, 240, {}, "user32.dll has no CreateRenderDevice"},
        {"size past any window", "PelmoraGraf.dll", 40000, 40000, {},
         "the render device refused the window size 40000 x 40000 (0x82000005 OXE_INVALIDPARAM: invalid argument or unexpected format)"},
        {"size asked on the command line", "PelmoraGraf.dll", 320, 240, {"--size", "320x70000"},
         "refused the window size 320 x 70000"},
        {"empty size", "PelmoraGraf.dll", 0, 480, {}, "window size 0 x 480 refused: both sides must be at least 1 pixel"},
        {"empty size on the command line", "PelmoraGraf.dll", 320, 240, {"--size", "0x0"},
         "window size 0 x 0 refused: both sides must be at least 1 pixel"},
        {"bad command line", "PelmoraGraf.dll", 320, 240, {"--frames", "none"}, "command line: --frames none"},
    };
    // A working engine library, but in the working folder, not beside the program.
    ASSERT_TRUE(CopyFileA((testsupport::ProgramFolder() + "PelmoraGraf.dll").c_str(), "WorkingFolderEngine.dll", FALSE));
    // Every row scripted (no message box); two interactively too (each box costs Wine about two
    // seconds to show without a window manager).
    const size_t count = sizeof rows / sizeof rows[0];
    for (bool scripted : {true, false}) {
        for (size_t i = 0; i < count; ++i) {
            if (!scripted && i != 0 && i != 3) continue;
            const StartRow& row = rows[i];
            SCOPED_TRACE(std::string(row.name) + (scripted ? ", scripted" : ", interactive"));
            PelmoraAppSettings s;
            s.title = "AppStartTest";
            s.library = row.library;
            s.width = row.width;
            s.height = row.height;
            std::vector<std::string> args = row.args;
            if (scripted) args.insert(args.begin(), {"--frames", "3"});
            testsupport::MessageBoxAnswerer boxes;
            PelmoraApp app(s);
            EXPECT_FALSE(app.start(args));
            EXPECT_EQ(app.exitCode(), 1);
            EXPECT_NE(app.failure().find(row.message), std::string::npos) << app.failure();
            EXPECT_EQ(app.device(), nullptr);
            EXPECT_EQ(app.window(), nullptr);
            EXPECT_FALSE(AnyFrameWindow());
            EXPECT_EQ(app.run([](float) { ADD_FAILURE() << "a frame without a start"; return true; }), 1);
            const bool boxExpected = !scripted;
            ASSERT_EQ(boxes.count(), boxExpected ? 1 : 0);
            if (boxExpected) {
                EXPECT_EQ(boxes.caption(0), "AppStartTest");
                EXPECT_EQ(boxes.text(0), app.failure());
            }
            EXPECT_EQ(app.stop(), 1);
        }
    }
    // A device that was made and refused is released again: its log (of the last row with a
    // device) ends with its release.
    std::string log = testsupport::ReadFileBytes("log_renderdevice.txt");
    EXPECT_NE(log.rfind("[OXED3DDEVICE]: offline (ok)"), std::string::npos);
    EXPECT_EQ(log.find("DirectX init alkaa"), std::string::npos) << "no refused size reached Init";
}

// A copy of the build's PelmoraGraf.dll in a folder of its own, its version resource's fixed
// part changed: the file and product version set to major.minor, or (major < 0) its signature
// broken so that it carries no version. Returns the copy's full path; empty on failure.
std::string PatchedGrafCopy(const char* folder, int major, int minor)
{
    std::string bytes = testsupport::ReadFileBytes(testsupport::ProgramFolder() + "PelmoraGraf.dll");
    const char signature[] = "\xBD\x04\xEF\xFE";
    const size_t at = bytes.find(std::string(signature, 4));
    if (bytes.empty() || at == std::string::npos || at + 24 > bytes.size()) return "";
    if (major < 0) {
        bytes[at] = 0;
    } else {
        const DWORD version = DWORD(major) << 16 | DWORD(minor);
        memcpy(&bytes[at + 8], &version, 4);  // dwFileVersionMS
        memcpy(&bytes[at + 16], &version, 4); // dwProductVersionMS
    }
    CreateDirectoryA(folder, nullptr);
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    const std::string path = std::string(cwd) + "\\" + folder + "\\PelmoraGraf.dll";
    return testsupport::WriteFileBytes(path, bytes.data(), bytes.size()) ? path : "";
}

TEST(AppStart, AnEngineLibraryOfAnotherMajorVersionIsRefusedWithOneLine)
{
    struct Row { const char* folder; int major, minor; const char* says; };
    const Row rows[] = {
        {"othermajor", 9, 2, " is version 9.2 of the engine, this program was built for version 1.x: use the "
                             "engine DLLs of the SDK it was built with"},
        {"noversion", -1, 0, " carries no version: this program needs an engine library of version 1.x"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.folder);
        const std::string library = PatchedGrafCopy(row.folder, row.major, row.minor);
        ASSERT_FALSE(library.empty());
        testsupport::MessageBoxAnswerer boxes;
        PelmoraAppSettings s;
        s.title = "AppStartTest";
        s.library = library.c_str();
        PelmoraApp app(s);
        EXPECT_FALSE(app.start({"--frames", "1"}));
        EXPECT_EQ(app.exitCode(), 1);
        EXPECT_EQ(app.failure(), library + row.says);
        EXPECT_EQ(app.device(), nullptr);
        EXPECT_EQ(app.window(), nullptr);
        EXPECT_EQ(boxes.count(), 0);
    }
    // The same library of this major version, another minor one, starts.
    const std::string library = PatchedGrafCopy("otherminor", PELMORA_VERSION_MAJOR, PELMORA_VERSION_MINOR + 3);
    PelmoraAppSettings s;
    s.library = library.c_str();
    s.width = 64;
    s.height = 48;
    PelmoraApp app(s);
    EXPECT_TRUE(app.start({"--frames", "1"})) << app.failure();
    EXPECT_EQ(app.stop(), 0);
}

// Runs a program of the build's bin folder in the working folder and returns its exit code.
DWORD RunProgram(const std::string& commandLine)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 9999;
    DWORD code = 9998;
    if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    else TerminateProcess(pi.hProcess, 9997);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

struct SampleRow {
    const char* program;
    int frames;
    int width, height;
    uint32_t background;  // the sample's clear colour (0xRRGGBB)
    int x0, y0, x1, y1;   // where its scene draws
    int minimum;          // at least this many pixels there differ from the background
};

TEST(AppSamples, EachSampleOnTheFrameSavesItsSceneWithShot)
{
    testsupport::TestDevice reader(64, 64);
    ASSERT_TRUE(reader.ok());
    const SampleRow rows[] = {
        // the turning box right of the middle
        {"parts_sample.exe", 3, 1024, 768, 0x1E2333, 480, 180, 920, 560, 40000},
        // the fire ring in the top middle cell
        {"particles.exe", 10, 1024, 768, 0x101820, 341, 0, 682, 384, 1000},
        // the fade over the whole picture (every pixel is one of its two pictures)
        {"transitions.exe", 5, 800, 600, 0x000000, 0, 0, 800, 600, 800 * 600 * 9 / 10},
    };
    for (const SampleRow& row : rows) {
        SCOPED_TRACE(row.program);
        const std::string shot = std::string(row.program) + ".png";
        DeleteFileA(shot.c_str());
        const std::string command = "\"" + testsupport::ProgramFolder() + row.program + "\" --shot " + shot +
                                    " --frames " + std::to_string(row.frames);
        EXPECT_EQ(RunProgram(command), 0u) << command;
        testsupport::Picture p;
        ASSERT_TRUE(testsupport::ReadImageFile(reader.device(), shot, p));
        EXPECT_EQ(p.width, row.width);
        EXPECT_EQ(p.height, row.height);
        const int area = (row.x1 - row.x0) * (row.y1 - row.y0);
        const int drawn = area - p.count(row.background, row.x0, row.y0, row.x1, row.y1);
        EXPECT_GE(drawn, row.minimum);
    }
    EXPECT_EQ(reader.releaseDevice(), 0u);
}

} // namespace
