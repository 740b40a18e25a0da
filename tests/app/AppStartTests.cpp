// The application frame's command line and its start failures: each says what failed, ends
// with exit code 1 and leaves no window and no running device behind; an interactive run shows
// the same text in a message box, a scripted one does not. And the three samples on the frame:
// each run with --shot saves a frame that shows its scene.
#include "PelmoraApp.h"
#include "MessageBoxAnswerer.h"
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
    };
    for (const OptionRow& row : bad) {
        SCOPED_TRACE(row.error);
        EXPECT_FALSE(ParsePelmoraAppOptions(row.args, o));
        EXPECT_NE(o.error.find(row.error), std::string::npos) << o.error;
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
         "the render device refused the window size 40000 x 40000 (0x82000005: invalid argument)"},
        {"size asked on the command line", "PelmoraGraf.dll", 320, 240, {"--size", "320x70000"},
         "refused the window size 320 x 70000"},
        {"empty size", "PelmoraGraf.dll", 0, 480, {}, "window size 0 x 480 refused: both sides must be at least 1 pixel"},
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
