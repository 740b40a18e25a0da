// The samples with known numbers, all started at once with --shot, each run once: the numbers a
// sample prints, and its picture checked against them.
#include "TestDevice.h"
#include <d3dx9.h>
#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// One run of a sample: its exit code, what it wrote to stdout and stderr, and its shot.
struct SampleRun {
    DWORD exitCode = 9999;
    std::string output;
    testsupport::Picture shot;
    bool shotRead = false;

    // The first line of the output that holds `text`; empty when none does.
    std::string line(const std::string& text) const
    {
        size_t at = output.find(text);
        if (at == std::string::npos) return std::string();
        size_t begin = output.rfind('\n', at);
        begin = begin == std::string::npos ? 0 : begin + 1;
        return output.substr(begin, output.find('\n', at) - begin);
    }
};

// A sample started with --shot for `frames` frames in a folder of its own (its files and its
// device log), its standard output and error going into a file there.
struct Launch {
    std::string folder;
    HANDLE process = nullptr;
};

Launch Start(const std::string& program, int frames = 3)
{
    Launch launch;
    char here[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, here);
    launch.folder = std::string(here) + "\\" + program;
    CreateDirectoryA(launch.folder.c_str(), nullptr);
    DeleteFileA((launch.folder + "\\shot.png").c_str());
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA((launch.folder + "\\output.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return launch;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = out;
    PROCESS_INFORMATION pi = {};
    std::string line = "\"" + testsupport::ProgramFolder() + program + ".exe\" --shot shot.png --frames " +
                       std::to_string(frames);
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, launch.folder.c_str(), &si, &pi)) {
        CloseHandle(pi.hThread);
        launch.process = pi.hProcess;
    }
    CloseHandle(out);
    return launch;
}

// Waits for a started sample (two minutes at most) and reads its output and shot.
SampleRun Finish(IDirect3DDevice9* reader, Launch& launch)
{
    SampleRun run;
    if (launch.process) {
        if (WaitForSingleObject(launch.process, 120000) == WAIT_OBJECT_0)
            GetExitCodeProcess(launch.process, &run.exitCode);
        else
            TerminateProcess(launch.process, 9997);
        CloseHandle(launch.process);
        launch.process = nullptr;
    }
    for (char c : testsupport::ReadFileBytes(launch.folder + "\\output.txt"))
        if (c != '\r') run.output += c;
    run.shotRead = testsupport::ReadImageFile(reader, launch.folder + "\\shot.png", run.shot);
    return run;
}

int Channel(uint32_t rgb, int shift) { return int((rgb >> shift) & 0xFF); }

// True when every channel of `got` is within `tolerance` of `want` (both 0xRRGGBB).
bool Near(uint32_t got, uint32_t want, int tolerance = 2)
{
    for (int shift : {16, 8, 0})
        if (std::abs(Channel(got, shift) - Channel(want, shift)) > tolerance) return false;
    return true;
}

// Pixels of [x0,x1) x [y0,y1) near a colour.
int CountNear(const testsupport::Picture& p, uint32_t rgb, int x0, int y0, int x1, int y1, int tolerance = 2)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += Near(p.rgb(x, y), rgb, tolerance);
    return n;
}

uint32_t Rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

// Pixels of [x0,x1) x [y0,y1) drawn in `text` over `background` at least half covered: text is
// smoothed at its edges, and D3DX's glyphs never cover a pixel wholly here.
int TextPixels(const testsupport::Picture& p, uint32_t text, uint32_t background, int x0, int y0, int x1, int y1)
{
    int widest = 16; // the channel in which text and background differ most measures the cover
    for (int shift : {8, 0})
        if (std::abs(Channel(text, shift) - Channel(background, shift)) >
            std::abs(Channel(text, widest) - Channel(background, widest)))
            widest = shift;
    const double span = Channel(text, widest) - Channel(background, widest);
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint32_t got = p.rgb(x, y);
            const double cover = (Channel(got, widest) - Channel(background, widest)) / span;
            bool on = cover >= 0.5;
            for (int shift : {16, 8, 0})
                on = on && std::abs(Channel(got, shift) - (Channel(background, shift) +
                                                           cover * (Channel(text, shift) - Channel(background, shift)))) <= 8;
            n += on;
        }
    return n;
}

const char* const SamplePrograms[] = {"text_sample", "quads_sample", "static_buffer_sample", "shaders_sample",
                                     "camera_sample", "picking_sample"};

// The samples run side by side: all are started before the first test, each test waits for its
// own.
class Samples : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        reader_ = new testsupport::TestDevice(64, 64);
        for (const char* program : SamplePrograms) launched_[program] = Start(program);
    }
    static void TearDownTestSuite()
    {
        for (auto& entry : launched_) Finish(reader_->device(), entry.second);
        launched_.clear();
        EXPECT_EQ(reader_->releaseDevice(), 0u);
        delete reader_;
        reader_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(reader_->ok()); }
    // Waits for the sample and checks what every sample owes: exit code 0, the shot of frame 3
    // at 640 x 480.
    SampleRun run(const char* program)
    {
        SampleRun r = Finish(reader_->device(), launched_[program]);
        EXPECT_EQ(r.exitCode, 0u) << r.output;
        EXPECT_NE(r.line("PelmoraApp: saved frame 3 as"), "") << r.output;
        EXPECT_TRUE(r.shotRead) << r.output;
        if (r.shotRead) {
            EXPECT_EQ(r.shot.width, 640);
            EXPECT_EQ(r.shot.height, 480);
        }
        return r;
    }
    static testsupport::TestDevice* reader_;        // reads the shots
    static std::map<std::string, Launch> launched_; // the samples started
};
testsupport::TestDevice* Samples::reader_ = nullptr;
std::map<std::string, Launch> Samples::launched_;

TEST_F(Samples, TextDrawsEachFontInItsBandAndTheRectangleAsPrinted)
{
    SampleRun r = run("text_sample");
    ASSERT_TRUE(r.shotRead);
    const testsupport::Picture& p = r.shot;
    EXPECT_NE(r.line("CreateArialFont ids 0 (12 pt bold) and 1 (18 pt italic)"), "") << r.output;
    // The title's height as DrawFormattedText returned it: white text only in those rows.
    const std::string title = r.line("100% of 640 x 480\" is");
    int height = 0;
    ASSERT_EQ(std::sscanf(title.c_str() + title.find("\" is ") + 5, "%d pixels high", &height), 1) << r.output;
    EXPECT_GT(height, 10);
    EXPECT_LT(height, 40);
    const uint32_t background = 0x283040;
    EXPECT_GT(TextPixels(p, 0xFFFFFF, background, 0, 16, 640, 16 + height), 100);
    EXPECT_EQ(TextPixels(p, 0xFFFFFF, background, 0, 0, 640, 16), 0);
    EXPECT_EQ(TextPixels(p, 0xFFFFFF, background, 0, 16 + height, 640, 290), 0);
    // Every other text in its own colour and rows, and nowhere else.
    struct Band { const char* what; uint32_t rgb; int y0, y1; };
    const Band bands[] = {{"italic font list text", Rgb(255, 220, 0), 40, 90},
                          {"Arial rows", Rgb(120, 255, 120), 90, 145},
                          {"Impact row", Rgb(255, 140, 0), 145, 185},
                          {"font slot 0", Rgb(0, 200, 255), 185, 225},
                          {"font per call", Rgb(255, 80, 200), 225, 270}};
    for (const Band& b : bands) {
        SCOPED_TRACE(b.what);
        const int inside = TextPixels(p, b.rgb, background, 0, b.y0, 640, b.y1);
        EXPECT_GT(inside, 50);
        EXPECT_EQ(TextPixels(p, b.rgb, background, 0, 0, 640, 480), inside);
    }
    // FillRect(16, 300, 39, 200): 40 rows of 200 pixels, nothing more; the half-transparent one
    // evenly blended over the background.
    EXPECT_NE(r.line("FillRect(16, 300, 39, 200) fills 40 rows of 200 pixels"), "") << r.output;
    EXPECT_EQ(p.count(Rgb(200, 40, 40), 16, 300, 216, 340), 200 * 40);
    EXPECT_EQ(p.count(Rgb(200, 40, 40)), 200 * 40);
    const uint32_t blended = p.rgb(300, 390);
    EXPECT_TRUE(Near(blended, Rgb((255 + 40) / 2, (60 + 48) / 2, (60 + 64) / 2), 3)) << std::hex << blended;
    EXPECT_EQ(p.count(blended, 260, 380, 600, 400), 340 * 20);
}

TEST_F(Samples, QuadsOfBothKindsShowTheirColoursWithTheBitmapUpright)
{
    SampleRun r = run("quads_sample");
    EXPECT_NE(r.line("quads: skin 0, AddTexture 0x00000000; lit vertex shader 1, 0x00000000"), "") << r.output;
    EXPECT_NE(r.line("quads: 1000 quads a frame, 500 of kind 1 and 500 of kind 2; 3000 calls, 0 failed"), "")
        << r.output;
    EXPECT_NE(r.line("quads: quad (25, 10) coloured 0xFF5A78C0"), "") << r.output;
    ASSERT_TRUE(r.shotRead);
    // Every quad: the bitmap's upper half (white) above, its lower half (40 80 C0) below, times
    // the tint (kind 1) or the quad's own colour (kind 2).
    int wrong = 0;
    for (int row = 0; row < 25; ++row)
        for (int column = 0; column < 40; ++column) {
            uint32_t colour = Rgb(153, 204, 255); // tint 0.6 0.8 1.0
            if (column >= 20) colour = Rgb(40 + 10 * (column - 20), 40 + 8 * row, 0xC0);
            const uint32_t lower = Rgb(Channel(colour, 16) * 0x40 / 255, Channel(colour, 8) * 0x80 / 255,
                                       Channel(colour, 0) * 0xC0 / 255);
            const int x = column * 16 + 8, y = 72 + row * 16;
            const uint32_t top = r.shot.rgb(x, y + 4), bottom = r.shot.rgb(x, y + 12);
            if (!Near(top, colour) || !Near(bottom, lower)) {
                if (++wrong <= 5)
                    ADD_FAILURE() << "quad (" << column << ", " << row << "): " << std::hex << top << " over "
                                  << bottom << ", expected " << colour << " over " << lower;
            }
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(r.shot.rgb(16 * 5, 200), 0x202020u) << "the background between the quads";
}

TEST_F(Samples, StaticBufferIsDrawnWholeWithTheSecondIndicesAndInPart)
{
    SampleRun r = run("static_buffer_sample");
    EXPECT_NE(r.line("ring 0 of 48 vertices and 144 indices (48 triangles), 0x00000000"), "") << r.output;
    EXPECT_NE(r.line("index buffer 0 of 72 indices (24 triangles), 0x00000000"), "") << r.output;
    EXPECT_NE(r.line("RenderStaticBuffer 0x00000000, RenderStaticBufferWithIndices 0x00000000, "
                     "RenderStaticBufferRange 0x00000000"), "") << r.output;
    ASSERT_TRUE(r.shotRead);
    const uint32_t panel = 0x3A4458;
    // The middle of each segment (radius 70) of the three rings centred at x = 120, 320, 520.
    for (int ring = 0; ring < 3; ++ring) {
        SCOPED_TRACE(ring == 0 ? "whole" : ring == 1 ? "every other segment" : "first quarter");
        const int cx = 120 + 200 * ring, cy = 240;
        EXPECT_EQ(r.shot.rgb(cx, cy), panel) << "the hole";
        for (int k = 0; k < 24; ++k) {
            const bool drawn = ring == 0 || (ring == 1 && k % 2 == 0) || (ring == 2 && k < 6);
            const double a = (k + 0.5) * D3DX_PI / 12;
            const uint32_t got = r.shot.rgb(cx + int(std::lround(70 * std::cos(a))), cy - int(std::lround(70 * std::sin(a))));
            if (drawn) {
                EXPECT_TRUE(Channel(got, 16) > 200 && Channel(got, 0) < 80) << "segment " << k << ": " << std::hex << got;
            } else {
                EXPECT_EQ(got, panel) << "segment " << k;
            }
        }
    }
}

TEST_F(Samples, ShaderPanelsShowTheirPrintedColoursAndTheDeviceSetterRefuses)
{
    SampleRun r = run("shaders_sample");
    EXPECT_NE(r.line("shaders: vertex shader 1 (0x00000000), pixel shader 0 (0x00000000)"), "") << r.output;
    EXPECT_NE(r.line("shaders: IsUsingShaders 1, CanUseShaders 0, SetShaderConstant 0x8200000D"), "") << r.output;
    EXPECT_NE(r.line("shaders: FlushAll 0x00000000"), "") << r.output;
    ASSERT_TRUE(r.shotRead);
    const uint32_t stripe = Rgb(51, 102, 153);
    const char* lines[3] = {"panel 0: N . L = 1.00, colour (255, 204, 102)", "panel 1: N . L = 0.80, colour (204, 163, 82)",
                            "panel 2: N . L = 0.60, colour (153, 122, 61)"};
    const uint32_t lit[3] = {Rgb(255, 204, 102), Rgb(204, 163, 82), Rgb(153, 122, 61)};
    for (int p = 0; p < 3; ++p) {
        SCOPED_TRACE(lines[p]);
        EXPECT_NE(r.line(lines[p]), "") << r.output;
        const int cx = 120 + 200 * p;
        EXPECT_GT(CountNear(r.shot, lit[p], cx - 40, 180, cx + 40, 300), 1500);
        EXPECT_GT(CountNear(r.shot, stripe, cx - 40, 180, cx + 40, 300), 1500);
        EXPECT_EQ(CountNear(r.shot, lit[p], 0, 0, 640, 480), CountNear(r.shot, lit[p], cx - 90, 100, cx + 90, 380));
    }
}

TEST_F(Samples, CameraPointsLandOnTheirCubesAndTheRaysComeBackThroughThem)
{
    SampleRun r = run("camera_sample");
    EXPECT_NE(r.line("camera: eye (2.5, 2, -3.5) looks at (0, 0.4, 0): yaw -35.5, pitch -20.4 degrees"), "")
        << r.output;
    long before[2] = {}, after[2] = {};
    const std::string stale = r.line("(1, 1, 1) before CalcViewProjMatrix");
    ASSERT_EQ(std::sscanf(stale.c_str(), "camera: (1, 1, 1) before CalcViewProjMatrix (%ld, %ld), after (%ld, %ld)",
                          &before[0], &before[1], &after[0], &after[1]), 4) << r.output;
    EXPECT_TRUE(before[0] != after[0] || before[1] != after[1]) << "UpdateCamera alone refreshes nothing";
    ASSERT_TRUE(r.shotRead);
    const char* points[4] = {"(0, 1, 0) -> ", "(1, 1, 1) -> ", "(-1, 0, -1) -> ", "(1, 0, -1) -> "};
    for (int p = 0; p < 4; ++p) {
        SCOPED_TRACE(points[p]);
        const std::string line = r.line(points[p]);
        long sx = 0, sy = 0, px = 0, py = 0;
        float distance = 1;
        const char* numbers = line.c_str() + line.find("WorldToScreen");
        ASSERT_EQ(std::sscanf(numbers, "WorldToScreen (%ld, %ld) -> pixel (%ld, %ld)", &sx, &sy, &px, &py), 4) << r.output;
        ASSERT_EQ(std::sscanf(line.c_str() + line.find(" passes ") + 8, "%f", &distance), 1) << line;
        EXPECT_EQ(px, sx);
        EXPECT_EQ(py, 480 - sy) << "WorldToScreen's y grows upward from the bottom edge";
        EXPECT_LT(distance, 0.03f) << "the ray back from the pixel passes the point";
        if (p == 1) {
            EXPECT_EQ(sx, after[0]);
        }
        if (p == 0) {
            EXPECT_NEAR(sx, 320, 1) << "the point above the target is in the middle column";
        }
        ASSERT_TRUE(px > 12 && px < 628 && py > 12 && py < 468);
        // The point's own pixel shows its yellow cube; the printed square is drawn round it.
        EXPECT_EQ(r.shot.rgb(px, py), Rgb(255, 224, 64));
        EXPECT_EQ(r.shot.rgb(px - 9, py), 0xFFFFFFu);
        EXPECT_EQ(r.shot.rgb(px + 9, py), 0xFFFFFFu);
    }
}

TEST_F(Samples, PicksHitTheBoxTheGroundOrNothingWhereThePixelsShowThem)
{
    SampleRun r = run("picking_sample");
    ASSERT_TRUE(r.shotRead);
    // The sample's view and start-up projection, rebuilt here to send each printed hit back to
    // the screen.
    D3DXMATRIX view, projection;
    const D3DXVECTOR3 eye(0, 3, -8), target(0, 1, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &target, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.8f, 640.0f / 480.0f, 0.1f, 1000.0f);
    struct Pick { int x, y; const char* hit; uint32_t rgb; };
    const Pick picks[4] = {{320, 240, "the box", Rgb(255, 48, 48)},
                           {120, 400, "the ground", Rgb(48, 224, 255)},
                           {540, 330, "the ground", Rgb(48, 224, 255)},
                           {320, 40, "nothing", 0x88AACC}};
    for (const Pick& pick : picks) {
        const std::string start = "picking: pixel (" + std::to_string(pick.x) + ", " + std::to_string(pick.y) + ") hits ";
        SCOPED_TRACE(start);
        const std::string line = r.line(start);
        ASSERT_NE(line, "") << r.output;
        EXPECT_EQ(line.compare(start.size(), strlen(pick.hit), pick.hit), 0) << line;
        EXPECT_EQ(r.shot.rgb(pick.x, pick.y), pick.rgb);
        D3DXVECTOR3 hit;
        if (std::sscanf(line.c_str() + start.size(), "%*[a-z ] at (%f, %f, %f)", &hit.x, &hit.y, &hit.z) != 3) continue;
        D3DXVECTOR3 clip;
        D3DXMATRIX both = view * projection;
        D3DXVec3TransformCoord(&clip, &hit, &both);
        EXPECT_NEAR((clip.x + 1) * 320, pick.x, 1.5);
        EXPECT_NEAR((1 - clip.y) * 240, pick.y, 1.5);
        if (pick.rgb == Rgb(48, 224, 255)) {
            EXPECT_EQ(hit.y, 0.0f) << "on the ground";
        }
    }
    EXPECT_NE(r.line("hits the box at (0.00, 1.25, -1.00)"), "") << "the middle ray through (0, 1, 0) meets the front face";
    EXPECT_EQ(r.shot.rgb(300, 300), 0xF0B040u) << "the box is lit while the pointer is on it";
}

} // namespace
