// The game's frame drawn on a real render device and read back from the back buffer: the well
// and its outline, blocks of every kind at their cells, the falling piece, the torches and their
// flames, the texts, the menu and the game over panel.
#include <gtest/gtest.h>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <memory>
#include <string>
#include "RenderDeviceRelease.h"
#include "TestDevice.h"
#include "OXED3D.h"
#include "GamePresentation.h"
#include "GameState.h"
#include "Camera.h"
#include "DdsFile.h"

using namespace testsupport;

namespace {

const char* const kImages[9] = {
    "punainen.dds", "harmaa.dds", "sininen.dds", "vihrea.dds", "keltainen.dds",
    "vsininen.dds", "lila.dds", "soihtu.dds", "torch.dds",
};

struct Rgb { int r, g, b; };

Rgb ToRgb(uint32_t p) { return Rgb{int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)}; }

::testing::AssertionResult Near(uint32_t got, Rgb want, int tolerance)
{
    Rgb g = ToRgb(got);
    if (std::abs(g.r - want.r) <= tolerance && std::abs(g.g - want.g) <= tolerance &&
        std::abs(g.b - want.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel " << g.r << "," << g.g << "," << g.b
                                         << " wanted " << want.r << "," << want.g << "," << want.b;
}

// Pixels of a rectangle with r + g + b above a threshold.
int CountBright(const Picture& p, int x0, int y0, int x1, int y1, int threshold = 90)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            Rgb c = ToRgb(p.at(x, y));
            if (c.r + c.g + c.b > threshold) ++n;
        }
    return n;
}

// The pixels where two frames of the same game differ, outside the rectangle [x0,x1) x [y0,y1)
// and within the columns [left, right): what a panel drew beyond its edges. Reports their
// count and bounding box.
struct Spill {
    int count = 0;
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

Spill DrawnOutside(const Picture& with, const Picture& without, int x0, int y0, int x1, int y1,
                   int left, int right)
{
    Spill s;
    for (int y = 0; y < with.height; ++y)
        for (int x = left; x < right; ++x) {
            if (x >= x0 && x < x1 && y >= y0 && y < y1)
                continue;
            Rgb a = ToRgb(with.at(x, y)), b = ToRgb(without.at(x, y));
            if (std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) <= 12)
                continue;
            ++s.count;
            s.left = std::min(s.left, x);
            s.right = std::max(s.right, x);
            s.top = std::min(s.top, y);
            s.bottom = std::max(s.bottom, y);
        }
    return s;
}

std::ostream& operator<<(std::ostream& os, const Spill& s)
{
    if (s.count == 0)
        return os << "nothing";
    return os << s.count << " pixels within x " << s.left << ".." << s.right << ", y " << s.top
              << ".." << s.bottom;
}

// The centre texel of one of the game's DDS images, read with the strict reader the image tool
// shares (0 when the file is not a well-formed uncompressed 32-bit DDS).
uint32_t DdsCentre(const std::string& file)
{
    std::string bytes = ReadFileBytes(file);
    DdsPicture picture;
    if (!DecodeDds(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), picture).empty())
        return 0;
    return picture.pixels[size_t(picture.height / 2) * picture.width + picture.width / 2];
}

// Puts copies of the game's images into a folder of the working directory (leaving out one
// file if asked) and makes it the current directory, as the game runs from its folder.
std::string PrepareImageFolder(const char* folder, const char* leaveOut)
{
    CreateDirectoryA(folder, nullptr);
    for (const char* image : kImages) {
        std::string target = std::string(folder) + "\\" + image;
        DeleteFileA(target.c_str());
        if (leaveOut && std::string(image) == leaveOut)
            continue;
        CopyFileA((ProgramFolder() + image).c_str(), target.c_str(), FALSE);
    }
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(folder);
    return previous;
}

// A render device on its own 1024 x 768 window, started as the game starts it, with the game's
// fonts and graphic objects. Everything is released again at the end of each test.
class GameFrame : public ::testing::Test {
protected:
    void SetUp() override { Start(nullptr); }

    void Start(const char* leaveOutImage)
    {
        previousFolder_ = PrepareImageFolder(leaveOutImage ? "images_missing" : "images", leaveOutImage);
        window_.reset(new TestWindow(1024, 768, "GameFrame"));
        device_ = new OXED3D(GetModuleHandleA(nullptr)); // becomes this copy's current device
        ASSERT_GE(device_->Init(window_->handle(), 16, 8, false, true), 0);
        d3d_ = device_->GetD3DDevice();
        device_->InitStage(0.8f, nullptr, 0);
        ResetGame();
        graphics_.reset(new GameGraphics());
        CreateBlockQuads(d3d_, *graphics_);
        CreateSceneObjects(d3d_, camera_, *graphics_);
        ASSERT_GE(device_->CreateFontInSlot(0, "Impact", 20, 10, 3, false), 0);
        ASSERT_GE(device_->CreateFontInSlot(1, "Impact", 30, 15, 2, false), 0);
    }

    void TearDown() override
    {
        graphics_.reset(); // the objects' buffers and textures go before the device
        if (device_) {
            EXPECT_EQ(testsupport::ReleaseAndCountLeft(*device_), 0u) << "Direct3D objects left alive";
        }
        delete device_;
        device_ = nullptr;
        window_.reset();
        SetCurrentDirectoryA(previousFolder_.c_str());
    }

    // The game state as at program start: menu shown, nothing settled, the all-zero piece.
    void ResetGame()
    {
        game.gameOver = false;
        game.menuShown = true;
        for (Cell& cell : game.board.cells) {
            cell.occupied = false;
            cell.kind = 0;
        }
        game.current = Piece();
        game.score = 0;
        game.originX = (int(device_->GetScreenWidth()) - 300) / 2;
        game.originY = 100;
    }

    void Settle(int column, int row, int kind)
    {
        Cell& cell = game.board.cells[column * 25 + row];
        cell.occupied = true;
        cell.kind = kind;
    }

    // Draws `frames` whole frames, then one more up to the present and reads it back.
    Picture Draw(int frames = 0)
    {
        for (int i = 0; i < frames; ++i)
            DrawFrame(d3d_, *graphics_);
        DrawScene(d3d_, *graphics_);
        d3d_->EndScene();
        Picture picture = ReadBackBuffer(d3d_, picture_) ? picture_ : Picture();
        d3d_->BeginScene();
        device_->EndFrame();
        return picture;
    }

    // Centre pixel of a well cell.
    uint32_t CellCentre(const Picture& p, int column, int row)
    {
        return p.at(game.originX + column * 25 + 12, game.originY + row * 25 + 12);
    }

    void Save(const Picture& p, const char* name)
    {
        p.saveBmp(previousFolder_ + "\\" + name);
    }

    std::string previousFolder_;
    std::unique_ptr<TestWindow> window_;
    OXED3D* device_ = nullptr;
    IDirect3DDevice9* d3d_ = nullptr;
    std::unique_ptr<GameGraphics> graphics_;
    Camera camera_;
    Picture picture_;
};

const Rgb kBlack = {0, 0, 0};
const Rgb kPanelOverBlack = {78, 23, 78};  // 0xC8641E64 blended over black
const Rgb kPanelOverPanel = {95, 28, 95};  // the same panel over itself over black
const Rgb kWellLeft = {127, 51, 0};        // 0xFF7F3300 at the well's left edge
const Rgb kOutline = {200, 200, 200};

} // namespace

TEST_F(GameFrame, MenuAtProgramStart)
{
    Picture p = Draw(3);
    ASSERT_EQ(p.width, 1024);
    ASSERT_EQ(p.height, 768);
    Save(p, "menu.bmp");

    // The menu panel at (312, 200), 400 x 260, translucent over the black background.
    EXPECT_TRUE(Near(p.at(320, 220), kPanelOverBlack, 4));
    EXPECT_TRUE(Near(p.at(700, 450), kPanelOverBlack, 4)) << "inside the panel, right of the well";
    EXPECT_TRUE(Near(p.at(310, 220), kBlack, 0)) << "left of the panel";
    EXPECT_TRUE(Near(p.at(320, 465), kBlack, 0)) << "below the panel";
    // Its texts: "Simple Brixel" at (412, 220), the hyphen line, the menu entries.
    EXPECT_GT(CountBright(p, 412, 220, 600, 250, 200), 50) << "title";
    EXPECT_GT(CountBright(p, 342, 320, 500, 340, 200), 30) << "[U] - Uusi peli";
    EXPECT_GT(CountBright(p, 342, 360, 520, 380, 200), 30) << "[ESC] - Lopeta peli";

    // The all-zero piece shows as one red block in the well's top-left cell (above the panel).
    uint32_t red = DdsCentre(ProgramFolder() + "punainen.dds");
    ASSERT_NE(red, 0u);
    EXPECT_TRUE(Near(CellCentre(p, 0, 0), ToRgb(red), 8));
    EXPECT_TRUE(Near(CellCentre(p, 1, 0), kWellLeft, 60)) << "the next cell is empty well";

    // The well: its background from opaque brown (left) to translucent (right), and the
    // grey outline around it.
    EXPECT_TRUE(Near(p.at(364, 700), kWellLeft, 6));
    Rgb right = ToRgb(p.at(659, 700));
    EXPECT_LT(right.r, 60) << "the right side is the same brown at alpha 100";
    EXPECT_GT(right.r, 30);
    EXPECT_GT(p.count(0xC8C8C8, 358, 95, 366, 730), 600) << "left edge of the outline";
    EXPECT_GT(p.count(0xC8C8C8, 358, 721, 668, 729), 600) << "bottom edge of the outline";

    // Texts of every frame: the title lines top left, the score 0 after "Pisteet: ".
    EXPECT_GT(CountBright(p, 20, 20, 170, 45), 60) << "[ESC] - Lopetus";
    EXPECT_GT(CountBright(p, 20, 50, 300, 85), 150) << "SIMPLE BRIXEL (DX9)";
    EXPECT_GT(CountBright(p, 20, 740, 300, 765), 60) << "credits line";
    EXPECT_GT(CountBright(p, 700, 50, 820, 85), 100) << "Pisteet: ";
    int zero = CountBright(p, 830, 50, 860, 85);
    EXPECT_GT(zero, 20) << "score 0";
    EXPECT_EQ(CountBright(p, 860, 50, 1000, 85), 0) << "a single digit";

    // Torches: both sprites, no flames while the menu is shown.
    EXPECT_GT(CountBright(p, 100, 380, 228, 636), 500) << "left torch sprite";
    EXPECT_GT(CountBright(p, 800, 380, 928, 636), 500) << "right torch sprite";
    EXPECT_EQ(CountBright(p, 120, 300, 200, 378, 30), 0) << "no flame above the left torch";

    // Every text of the menu stays inside its panel (312..712 x 200..460): against the same
    // frame without the menu, nothing differs outside the panel between the two torches
    // (whose flames burn when the menu is gone).
    game.menuShown = false;
    Picture play = Draw(0);
    Spill spill = DrawnOutside(p, play, 312, 200, 712, 460, 260, 780);
    EXPECT_EQ(spill.count, 0) << "the menu drew outside its panel: " << spill;
}

TEST_F(GameFrame, SettledBlocksOfEveryKindAtTheirCells)
{
    game.menuShown = false;
    // One block of each kind along the bottom row, kind 3 also high up in column 11.
    for (int kind = 0; kind < 7; ++kind)
        Settle(kind, 24, kind);
    Settle(11, 3, 3);
    // A cell with a kind outside the seven is not drawn.
    Settle(8, 24, 7);
    // The falling piece: kind 5 at (2, 10), blocks (1,0) (0,1) (0,2) (1,1).
    game.current.kind = 5;
    game.current.x = 2;
    game.current.y = 10;
    const int shape[4][2] = {{1, 0}, {0, 1}, {0, 2}, {1, 1}};
    for (int i = 0; i < 4; ++i) {
        game.current.blocks[i].x = shape[i][0];
        game.current.blocks[i].y = shape[i][1];
    }
    Picture p = Draw(1);
    Save(p, "blocks.bmp");

    for (int kind = 0; kind < 7; ++kind) {
        uint32_t texel = DdsCentre(ProgramFolder() + kImages[kind]);
        ASSERT_NE(texel, 0u) << kImages[kind];
        EXPECT_TRUE(Near(CellCentre(p, kind, 24), ToRgb(texel), 8)) << "kind " << kind;
    }
    uint32_t green = DdsCentre(ProgramFolder() + "vihrea.dds");
    EXPECT_TRUE(Near(CellCentre(p, 11, 3), ToRgb(green), 8));
    EXPECT_FALSE(Near(CellCentre(p, 8, 24), ToRgb(green), 40)) << "unknown kind left out";
    EXPECT_FALSE(Near(CellCentre(p, 11, 4), ToRgb(green), 40)) << "only the settled cell";

    uint32_t cyan = DdsCentre(ProgramFolder() + "vsininen.dds");
    for (auto& b : shape)
        EXPECT_TRUE(Near(CellCentre(p, 2 + b[0], 10 + b[1]), ToRgb(cyan), 8)) << b[0] << "," << b[1];
    EXPECT_TRUE(Near(CellCentre(p, 2, 10), kWellLeft, 70)) << "the piece's free corner cell";
    // A block fills its whole cell: 25 x 25 pixels of the image, edges included.
    EXPECT_FALSE(Near(p.at(game.originX + 6 * 25 + 1, game.originY + 24 * 25 + 1), kWellLeft, 10));
}

TEST_F(GameFrame, FlamesBurnInPlayAndKeepBurningBehindTheMenu)
{
    game.menuShown = false;
    Picture play = Draw(200);
    Save(play, "flames.bmp");
    // The flames rise from (160, 400) and (860, 400); the same flame at both places.
    int left = CountBright(play, 120, 300, 200, 378, 30);
    int right = CountBright(play, 820, 300, 900, 378, 30);
    EXPECT_GT(left, 100) << "flame above the left torch";
    // One particle system drawn at both places: the same flame (up to the rasteriser's rounding).
    EXPECT_NEAR(left, right, left / 20 + 5);

    // Behind the menu the flames are not drawn but still simulated: when the menu goes away
    // they are there at once.
    game.menuShown = true;
    Picture menu = Draw(50);
    EXPECT_EQ(CountBright(menu, 120, 300, 200, 378, 30), 0);
    game.menuShown = false;
    Picture again = Draw(0);
    EXPECT_GT(CountBright(again, 120, 300, 200, 378, 30), 100);
}

TEST_F(GameFrame, GameOverPanelOverTheMenuWithTheScoreInGrey)
{
    game.gameOver = true;
    game.menuShown = true;
    game.score = 1240;
    Picture p = Draw(1);
    Save(p, "gameover.bmp");

    EXPECT_TRUE(Near(p.at(290, 540), kPanelOverBlack, 4)) << "game over panel alone";
    EXPECT_TRUE(Near(p.at(320, 220), kPanelOverBlack, 4)) << "menu panel alone";
    EXPECT_TRUE(Near(p.at(320, 455), kPanelOverPanel, 5)) << "game over panel drawn over the menu";

    // "GAME OVER" in orange over its grey shadow, the score below it in grey only.
    int orange = 0, grey = 0;
    for (int y = 280; y < 335; ++y)
        for (int x = 300; x < 760; ++x) {
            Rgb c = ToRgb(p.at(x, y));
            if (c.r > 150 && c.r - c.g > 80) ++orange;
        }
    EXPECT_GT(orange, 300) << "GAME OVER";
    orange = 0;
    for (int y = 400; y < 455; ++y)
        for (int x = 303; x < 520; ++x) {
            Rgb c = ToRgb(p.at(x, y));
            if (c.r > 150 && c.r - c.g > 80) ++orange;
            if (c.r > 140 && std::abs(c.r - c.g) < 40 && std::abs(c.g - c.b) < 40) ++grey;
        }
    EXPECT_EQ(orange, 0) << "the final score has no orange copy";
    EXPECT_GT(grey, 200) << "the final score, 1240, in grey";
    EXPECT_GT(CountBright(p, 300, 350, 460, 385), 100) << "Pisteesi: ";
    EXPECT_GT(CountBright(p, 320, 490, 700, 520), 150) << "Paina [enter] jatkaaksesi...";
    // The score after "Pisteet: " has four digits now.
    EXPECT_GT(CountBright(p, 860, 50, 930, 85), 30);

    // Every text of the game over panel stays inside it (280..760 x 250..550): against the
    // same frame without the game over state, nothing differs outside the panel. A face wider
    // than the game's own runs "GAME OVER" or the last line past the right edge. The longest
    // final score the panel shows whole is drawn too.
    game.score = 99999;
    Picture over = Draw(0);
    game.gameOver = false;
    Picture menu = Draw(0);
    Spill spill = DrawnOutside(over, menu, 280, 250, 760, 550, 0, 1024);
    EXPECT_EQ(spill.count, 0) << "the game over panel drew outside itself: " << spill;
}

TEST_F(GameFrame, FormatScoreGivesTheDecimalText)
{
    EXPECT_STREQ(FormatScore(0).GetString(), "0");
    EXPECT_STREQ(FormatScore(1240).GetString(), "1240");
    EXPECT_STREQ(FormatScore(-20).GetString(), "-20");
    EXPECT_STREQ(FormatScore(2147483647).GetString(), "2147483647");
}

class GameFrameMissingImage : public GameFrame {
protected:
    void SetUp() override { Start("lila.dds"); }
};

TEST_F(GameFrameMissingImage, BlockWithoutItsImageIsDrawnUntexturedAndTheRestAsUsual)
{
    EXPECT_FALSE(graphics_->blockQuads[6].textured);
    EXPECT_TRUE(graphics_->blockQuads[5].textured);
    game.menuShown = false;
    Settle(0, 24, 6);
    Settle(1, 24, 5);
    Picture p = Draw(1);
    Save(p, "missing.bmp");
    uint32_t cyan = DdsCentre(ProgramFolder() + "vsininen.dds");
    EXPECT_TRUE(Near(CellCentre(p, 1, 24), ToRgb(cyan), 8));
    // The untextured quad still covers its cell: not the well's background.
    EXPECT_FALSE(Near(CellCentre(p, 0, 24), kWellLeft, 10));
    EXPECT_GT(CountBright(p, 20, 50, 300, 85), 150) << "texts still drawn";
}
