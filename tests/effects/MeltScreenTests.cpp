// The melt: the columns, their drops, and the picture composed from them.
#include <gtest/gtest.h>
#include <algorithm>
#include <climits>
#include <iterator>
#include <memory>
#include <cstdio>
#include <set>
#include "EffectsTestSupport.h"
#include "MeltScreen.h"
#include "OXEResult.h"

using namespace effectstest;
using testsupport::Picture;
using testsupport::TestDevice;

namespace {

const uint32_t Black = 0xFF000000u;
const uint32_t Red = 0xFFE01010u;
const uint32_t Blue = 0xFF1020E0u;
const uint32_t Marker = 0xFF123456u;

class Melt : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        device_ = new TestDevice(256, 256);
        WriteDdsPicture("melt1.dds", 256, 200, Pattern(1));
        WriteDdsPicture("melt2.dds", 256, 200, Pattern(2));
        WriteDdsPicture("melt3.dds", 256, 200, Pattern(3));
        WriteDdsPicture("meltsmall.dds", 100, 50, Pattern(3));
    }
    static void TearDownTestSuite()
    {
        delete device_;
        device_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(device_->ok()); }
    IDirect3DDevice9* dev() { return device_->device(); }

    // 256 x 200 melt of the two pattern pictures, composing with the pictures.
    void start(MeltScreen& melt, int worms = 128)
    {
        melt.init(worms, 256, 200, dev(), D3DFMT_X8R8G8B8);
        ASSERT_TRUE(melt.ready);
        melt.initPict1("melt1.dds", 0, false, dev(), D3DFMT_X8R8G8B8);
        melt.initPict2("melt2.dds", 0, false, dev(), D3DFMT_X8R8G8B8);
        melt.fillMode = 2;
    }
    Picture backBufferAfter(MeltScreen& melt)
    {
        device_->clear(Marker);
        melt.RenderToBackBuffer(dev());
        return device_->read();
    }

    static TestDevice* device_;
};
TestDevice* Melt::device_ = nullptr;

// The picture a melt with these drops shows: picture 2 above each column's drop, picture 1 from
// it down, column i covering pixels i * c .. i * c + c - 1.
PixelRule MeltedPicture(const MeltScreen& melt, int columnWidth, const PixelRule& upper,
                        const PixelRule& lower)
{
    return [&melt, columnWidth, upper, lower](int x, int y) {
        return y < melt.worms[x / columnWidth].drop ? upper(x, y) : lower(x, y);
    };
}

TEST_F(Melt, DoesNothingButFailBeforeInit)
{
    MeltScreen melt;
    EXPECT_FALSE(melt.ready);
    EXPECT_FALSE(melt.logFlush);
    EXPECT_EQ(melt.color1, Black);
    EXPECT_EQ(melt.color2, Black);
    EXPECT_EQ(melt.RenderFinalPicture(), OXE_FAIL);
    EXPECT_EQ(melt.SetPicture1("melt1.dds"), OXE_FAIL);
    EXPECT_EQ(melt.SetPicture2("melt2.dds"), OXE_FAIL);

    melt.wormCount = 4;
    melt.worms[0].speed = 5;
    melt.Simulate(3);
    EXPECT_EQ(melt.worms[0].drop, 0);

    IDirect3DSurface9* surface = MakeSurface(dev(), 256, 256, Pattern(3));
    device_->clear(Red);
    melt.CaptureScreenToSurf(dev(), surface);
    EXPECT_EQ(CountMismatches(ReadSurface(surface), Pattern(3)), 0);
    surface->Release();
    EXPECT_EQ(backBufferAfter(melt).count(Marker), 256 * 256);
}

TEST_F(Melt, InitSetsUpTheColumns)
{
    MeltScreen melt;
    melt.init(40, 1000, 10, dev(), D3DFMT_X8R8G8B8);
    ASSERT_TRUE(melt.ready);
    EXPECT_EQ(melt.fillMode, 0);
    std::set<int> speeds;
    for (int i = 0; i < 128; ++i) {
        EXPECT_EQ(melt.worms[i].drop, 0);
        EXPECT_EQ(melt.worms[i].width, 7) << "1000 / 128";
        EXPECT_EQ(melt.worms[i].x, 7 * i);
        EXPECT_EQ(melt.worms[i].reserved, 0);
        EXPECT_GE(melt.worms[i].speed, 4);
        EXPECT_LE(melt.worms[i].speed, 11);
        speeds.insert(melt.worms[i].speed);
    }
    EXPECT_GE(speeds.size(), 5u) << "speeds are drawn at random";
    EXPECT_EQ(melt.GetSingleWormWidth(), 7);

    MeltScreen tooMany;
    tooMany.init(500, 64, 64, dev(), D3DFMT_X8R8G8B8);
    EXPECT_EQ(tooMany.wormCount, 128) << "there are only 128 columns";
    MeltScreen negative;
    negative.init(-3, 64, 64, dev(), D3DFMT_X8R8G8B8);
    EXPECT_EQ(negative.wormCount, 0);
    MeltScreen empty;
    empty.init(10, 0, 64, dev(), D3DFMT_X8R8G8B8);
    EXPECT_FALSE(empty.ready) << "no final picture, not ready";
}

TEST_F(Melt, RightAfterInitShowsPictureOneOrColorTwo)
{
    MeltScreen melt;
    start(melt);
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    EXPECT_EQ(CountMismatches(backBufferAfter(melt), Pattern(1), 0, 0, 256, 200), 0);

    melt.fillMode = 0;
    melt.color1 = Red;
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    Picture shown = backBufferAfter(melt);
    EXPECT_EQ(shown.count(Black, 0, 0, 256, 200), 256 * 200);
    EXPECT_EQ(shown.count(Marker, 0, 200, 256, 256), 256 * 56);
}

TEST_F(Melt, SimulateGrowsOnlyTheMovingColumns)
{
    MeltScreen melt;
    start(melt, 20);
    melt.Simulate(0);
    melt.Simulate(-4);
    for (int i = 0; i < 128; ++i) ASSERT_EQ(melt.worms[i].drop, 0) << i;
    melt.Simulate(3);
    for (int i = 0; i < 128; ++i)
        EXPECT_EQ(melt.worms[i].drop, i < 20 ? 3 * melt.worms[i].speed : 0) << "column " << i;
    melt.Simulate(2);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(melt.worms[i].drop, 5 * melt.worms[i].speed) << i;
}

// wormCount and the sizes are public: set past the 128 column records and past the final
// picture after init, they move no record that is not there and write nothing outside.
TEST_F(Melt, PublicCountAndSizesPastTheRealOnesStayInside)
{
    // What lies after the melt object: a simple_worm's speed and drop read from it would change it.
    struct Guarded {
        MeltScreen melt;
        int guard[80 * 5];
    };
    std::unique_ptr<Guarded> g(new Guarded);
    std::fill(std::begin(g->guard), std::end(g->guard), 1);
    start(g->melt);
    g->melt.wormCount = 200;
    g->melt.Simulate(1);
    for (int i = 0; i < 80 * 5; ++i) ASSERT_EQ(g->guard[i], 1) << "word " << i << " past the column records";
    for (int i = 0; i < 128; ++i) EXPECT_EQ(g->melt.worms[i].drop, g->melt.worms[i].speed) << i;

    MeltScreen& melt = g->melt;
    for (int i = 0; i < 128; ++i) melt.worms[i].drop = i % 2 ? 0 : 120;
    melt.width = 4096;
    melt.height = 4096;
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    EXPECT_EQ(CountMismatches(ReadSurface(melt.finalPicture), MeltedPicture(melt, 8, Pattern(2), Pattern(1))), 0);
    EXPECT_EQ(CountMismatches(backBufferAfter(melt), MeltedPicture(melt, 8, Pattern(2), Pattern(1)), 0, 0, 256, 200), 0);
}

TEST_F(Melt, DropsStopAtTheLargestIntInsteadOfWrapping)
{
    MeltScreen melt;
    start(melt, 2);
    melt.worms[0].speed = 10;
    melt.worms[0].drop = INT_MAX - 5;
    melt.worms[1].speed = 10;
    melt.Simulate(1);
    EXPECT_EQ(melt.worms[0].drop, INT_MAX);
    melt.Simulate(INT_MAX);
    EXPECT_EQ(melt.worms[1].drop, INT_MAX);
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    Picture shown = backBufferAfter(melt);
    EXPECT_EQ(CountMismatches(shown, Pattern(2), 0, 0, 16, 200), 0) << "both columns fully melted";
    EXPECT_EQ(CountMismatches(shown, Pattern(1), 16, 0, 256, 200), 0);
}

TEST_F(Melt, ColumnWithDropDShowsPictureTwoAboveRowD)
{
    MeltScreen melt;
    start(melt);
    for (int i = 0; i < 128; ++i) melt.worms[i].drop = (i * 37) % 230 - 10; // some negative, some past the bottom
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    // 256 pixels of 4 bytes: a pitch of 1024 gives columns 1024 / 128 = 8 pixels wide.
    ASSERT_EQ(melt.GetSingleWormWidth(), 8);
    EXPECT_EQ(melt.worms[5].x, 40);
    Picture shown = backBufferAfter(melt);
    EXPECT_EQ(CountMismatches(shown, MeltedPicture(melt, 8, Pattern(2), Pattern(1)), 0, 0, 256, 200), 0);

    melt.fillMode = 1;
    melt.color1 = Red;
    melt.color2 = Blue;
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    PixelRule red = [](int, int) { return Red; }, blue = [](int, int) { return Blue; };
    EXPECT_EQ(CountMismatches(backBufferAfter(melt), MeltedPicture(melt, 8, red, blue), 0, 0, 256, 200), 0);

    melt.fillMode = 3;
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    EXPECT_EQ(CountMismatches(backBufferAfter(melt), MeltedPicture(melt, 8, Pattern(2), Pattern(1)), 0, 0, 256, 200), 0);
}

TEST_F(Melt, SimulatedMeltFinishesAfterHeightOverFourSteps)
{
    MeltScreen melt;
    start(melt, 32); // 32 columns of 8 pixels cover the 256-pixel rows
    melt.worms[3].speed = 4; // the slowest speed, whatever was drawn
    for (int step = 0; step < 49; ++step) melt.Simulate(1);
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    EXPECT_GT(CountMismatches(backBufferAfter(melt), Pattern(2), 0, 0, 256, 200), 0) << "the slowest columns are not done";
    melt.Simulate(1); // 50 steps of at least 4 rows: 200
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    EXPECT_EQ(CountMismatches(backBufferAfter(melt), Pattern(2), 0, 0, 256, 200), 0);
}

TEST_F(Melt, OtherFillModesLeaveTheFinalPictureAlone)
{
    MeltScreen melt;
    start(melt);
    melt.Reset(dev());
    melt.Simulate(10);
    for (int mode : {-2, 4, 9}) {
        melt.fillMode = mode;
        EXPECT_EQ(melt.RenderFinalPicture(), OXE_OK);
        EXPECT_EQ(CountMismatches(ReadSurface(melt.finalPicture), Pattern(1)), 0) << "mode " << mode;
    }
}

TEST_F(Melt, SetWormsWidthBelow128GivesEmptyColumns)
{
    MeltScreen melt;
    start(melt);
    melt.worms[7].drop = 33;
    const int speed = melt.worms[7].speed;
    melt.SetWormsWidth(100);
    for (int i = 0; i < 128; ++i) {
        EXPECT_EQ(melt.worms[i].width, 0);
        EXPECT_EQ(melt.worms[i].x, 0);
    }
    EXPECT_EQ(melt.worms[7].drop, 33);
    EXPECT_EQ(melt.worms[7].speed, speed);
    melt.SetWormsWidth(1280);
    EXPECT_EQ(melt.worms[127].x, 1270);
}

TEST_F(Melt, NarrowPictureFollowsColumnOneEverywhere)
{
    // 20 pixels have a row pitch of 80 bytes: the common width 80 / 128 is 0. The walk moves
    // on to column 1 at the first pixel and never fills it, so every pixel follows column 1.
    WriteDdsPicture("meltnarrow1.dds", 20, 30, Pattern(1));
    WriteDdsPicture("meltnarrow2.dds", 20, 30, Pattern(2));
    MeltScreen melt;
    melt.init(128, 20, 30, dev(), D3DFMT_X8R8G8B8);
    melt.initPict1("meltnarrow1.dds", 0, false, dev(), D3DFMT_X8R8G8B8);
    melt.initPict2("meltnarrow2.dds", 0, false, dev(), D3DFMT_X8R8G8B8);
    melt.fillMode = 2;
    for (int i = 0; i < 128; ++i) melt.worms[i].drop = i;
    melt.worms[1].drop = 7;
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    EXPECT_EQ(melt.GetSingleWormWidth(), 0);
    Picture shown = ReadSurface(melt.finalPicture);
    EXPECT_EQ(CountMismatches(shown, Pattern(2), 0, 0, 20, 7), 0) << "rows above column 1's drop";
    EXPECT_EQ(CountMismatches(shown, Pattern(1), 0, 7, 20, 30), 0) << "rows from column 1's drop down";

    melt.fillMode = 0;
    melt.color1 = Red;
    melt.color2 = Blue;
    melt.worms[1].drop = 0;
    melt.worms[0].drop = 30;
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    EXPECT_EQ(ReadSurface(melt.finalPicture).count(Blue), 20 * 30) << "column 0's drop plays no part";
}

TEST_F(Melt, WherePicturesDoNotReachTheColoursShow)
{
    MeltScreen melt;
    start(melt);
    melt.initPict1("meltsmall.dds", 0, false, dev(), D3DFMT_X8R8G8B8); // 100 x 50
    melt.initPict2("no-such-picture.dds", 0, false, dev(), D3DFMT_X8R8G8B8);
    EXPECT_EQ(melt.GetPict2(), nullptr);
    melt.color1 = Red;
    melt.color2 = Blue;
    for (int i = 0; i < 128; ++i) melt.worms[i].drop = i < 16 ? 0 : 100; // right half melted to row 100
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    Picture shown = backBufferAfter(melt);
    EXPECT_EQ(CountMismatches(shown, Pattern(3), 0, 0, 100, 50), 0);
    EXPECT_EQ(shown.count(Blue, 100, 0, 128, 200), 28 * 200) << "picture 1 only reaches x < 100";
    EXPECT_EQ(shown.count(Blue, 0, 50, 100, 200), 100 * 150) << "and y < 50";
    EXPECT_EQ(shown.count(Red, 128, 0, 256, 100), 128 * 100) << "no picture 2: color1";
    EXPECT_EQ(shown.count(Blue, 128, 100, 256, 200), 128 * 100);
}

TEST_F(Melt, FilledPicturesNeedNoFile)
{
    MeltScreen melt;
    melt.init(128, 256, 200, dev(), D3DFMT_X8R8G8B8);
    melt.initPict1("no-such-picture.dds", Red, true, dev(), D3DFMT_X8R8G8B8);
    melt.initPict2("no-such-picture.dds", Blue, true, dev(), D3DFMT_X8R8G8B8);
    ASSERT_NE(melt.GetPict1(), nullptr);
    D3DSURFACE_DESC desc;
    melt.GetPict1()->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 256u);
    EXPECT_EQ(desc.Height, 200u);
    EXPECT_EQ(ReadSurface(melt.GetPict1()).count(Red), 256 * 200);
    melt.fillMode = 2;
    for (int i = 0; i < 128; ++i) melt.worms[i].drop = 60;
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    Picture shown = backBufferAfter(melt);
    EXPECT_EQ(shown.count(Blue, 0, 0, 256, 60), 256 * 60);
    EXPECT_EQ(shown.count(Red, 0, 60, 256, 200), 256 * 140);
}

TEST_F(Melt, SetPictureLoadsIntoTheExistingPicture)
{
    MeltScreen melt;
    start(melt);
    IDirect3DSurface9* before = melt.GetPict1();
    EXPECT_EQ(melt.SetPicture1("melt3.dds"), D3D_OK);
    EXPECT_EQ(melt.GetPict1(), before);
    EXPECT_EQ(CountMismatches(ReadSurface(melt.GetPict1()), Pattern(3)), 0);
    EXPECT_EQ(melt.SetPicture2("melt1.dds"), D3D_OK);
    EXPECT_EQ(CountMismatches(ReadSurface(melt.GetPict2()), Pattern(1)), 0);
    EXPECT_LT(melt.SetPicture2("no-such-picture.dds"), 0);

    MeltScreen withoutPictures;
    withoutPictures.init(128, 64, 64, dev(), D3DFMT_X8R8G8B8);
    EXPECT_EQ(withoutPictures.SetPicture1("melt1.dds"), D3DERR_INVALIDCALL);
}

TEST_F(Melt, ResetAndCaptureCopyBetweenPicturesAndScreen)
{
    MeltScreen melt;
    start(melt);
    for (int i = 0; i < 128; ++i) melt.worms[i].drop = 300;
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    melt.Reset(dev());
    EXPECT_EQ(CountMismatches(backBufferAfter(melt), Pattern(1), 0, 0, 256, 200), 0);

    PaintBackBuffer(dev(), 256, 256, Pattern(3));
    IDirect3DSurface9* same = MakeSurface(dev(), 256, 256, Pattern(0));
    IDirect3DSurface9* smaller = MakeSurface(dev(), 70, 40, Pattern(0));
    melt.CaptureScreenToSurf(dev(), same);
    melt.CaptureScreenToSurf(dev(), smaller);
    EXPECT_EQ(CountMismatches(ReadSurface(same), Pattern(3)), 0);
    EXPECT_EQ(CountMismatches(ReadSurface(smaller), Pattern(3)), 0);
    same->Release();
    smaller->Release();
}

TEST_F(Melt, BackBufferAsPictureOneMeltsOverWhatWasDrawn)
{
    MeltScreen melt;
    start(melt);
    melt.CopyBackBuffer(dev(), 0);
    melt.CopyBackBuffer(dev(), 4);
    IDirect3DSurface9* backBuffer = nullptr;
    dev()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    EXPECT_NE(melt.GetPict1(), backBuffer);
    melt.CopyBackBuffer(dev(), 1);
    EXPECT_EQ(melt.GetPict1(), backBuffer);

    for (int i = 0; i < 128; ++i) melt.worms[i].drop = 2 * i;
    PaintBackBuffer(dev(), 256, 256, Pattern(3)); // the client's frame
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    melt.RenderToBackBuffer(dev());
    Picture shown = device_->read();
    EXPECT_EQ(CountMismatches(shown, MeltedPicture(melt, 8, Pattern(2), Pattern(3)), 0, 0, 256, 200), 0);

    melt.CopyBackBuffer(dev(), 3); // compose straight onto the back buffer
    EXPECT_EQ(melt.finalPicture, backBuffer);
    device_->clear(Marker);
    melt.CopyBackBuffer(dev(), 1);
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    melt.RenderToBackBuffer(dev());
    shown = device_->read();
    PixelRule marker = [](int, int) { return Marker; };
    // The back buffer is 256 pixels wide too: columns of 8 pixels.
    EXPECT_EQ(CountMismatches(shown, MeltedPicture(melt, 8, Pattern(2), marker), 0, 0, 256, 200), 0);
    EXPECT_EQ(shown.count(Marker, 0, 200, 256, 256), 256 * 56) << "rows below the melt's height stay";
    backBuffer->Release();
}

TEST_F(Melt, LockedPictureOneStopsTheFrameWithItsError)
{
    MeltScreen melt;
    start(melt);
    melt.Reset(dev());
    for (int i = 0; i < 128; ++i) melt.worms[i].drop = 100;
    D3DLOCKED_RECT held;
    ASSERT_EQ(melt.GetPict1()->LockRect(&held, nullptr, 0), D3D_OK);
    HRESULT hr = melt.RenderFinalPicture();
    melt.GetPict1()->UnlockRect();
    EXPECT_EQ(hr, D3DERR_INVALIDCALL);
    EXPECT_EQ(CountMismatches(ReadSurface(melt.finalPicture), Pattern(1)), 0);

    MeltScreen sixteen;
    sixteen.init(128, 64, 64, dev(), D3DFMT_R5G6B5);
    EXPECT_EQ(sixteen.RenderFinalPicture(), OXE_INVALIDPARAM);
}

TEST_F(Melt, LogWritesPrefixedLinesToTheStreamItIsGiven)
{
    MeltScreen melt;
    melt.Log("nothing to write to: %d", 1);

    FILE* file = fopen("melt_log.txt", "wb");
    ASSERT_NE(file, nullptr);
    melt.logFile = file;
    melt.logFlush = true;
    melt.Log("alkaa %d %s", 42, "onnistui");
    EXPECT_EQ(testsupport::ReadFileBytes("melt_log.txt"), "[EFFECTS_DLL]: alkaa 42 onnistui\n")
        << "flushed at once";
    std::string longText(400, 'x');
    melt.Log("%s", longText.c_str());
    fclose(file);
    EXPECT_EQ(testsupport::ReadFileBytes("melt_log.txt"),
              "[EFFECTS_DLL]: alkaa 42 onnistui\n[EFFECTS_DLL]: " + std::string(255, 'x') + "\n");
}

// A final picture 1024 pixels wide has a row pitch of 4096 bytes: columns are 4096 / 128 = 32
// pixels wide, and columns 0 to 31 cover every row.
TEST(MeltWide, PitchOf4096GivesThirtyTwoColumnsOf32Pixels)
{
    TestDevice device(1024, 768);
    ASSERT_TRUE(device.ok());
    WriteDdsPicture("meltwide1.dds", 1024, 768, Pattern(1));
    WriteDdsPicture("meltwide2.dds", 1024, 768, Pattern(2));
    MeltScreen melt;
    melt.init(128, 1024, 768, device.device(), D3DFMT_X8R8G8B8);
    melt.initPict1("meltwide1.dds", 0, false, device.device(), D3DFMT_X8R8G8B8);
    melt.initPict2("meltwide2.dds", 0, false, device.device(), D3DFMT_X8R8G8B8);
    melt.fillMode = 2;
    for (int i = 0; i < 128; ++i) melt.worms[i].drop = i < 32 ? 23 * i + 5 : 0;
    ASSERT_EQ(melt.RenderFinalPicture(), OXE_OK);
    EXPECT_EQ(melt.GetSingleWormWidth(), 32);
    EXPECT_EQ(melt.worms[31].x, 992);
    melt.RenderToBackBuffer(device.device());
    Picture shown = device.read();
    EXPECT_EQ(CountMismatches(shown, MeltedPicture(melt, 32, Pattern(2), Pattern(1))), 0);
    EXPECT_EQ(shown.rgb(31, 4), PatternPixel(31, 4, 2) & 0xFFFFFF);
    EXPECT_EQ(shown.rgb(32, 27), PatternPixel(32, 27, 2) & 0xFFFFFF);
    EXPECT_EQ(shown.rgb(32, 28), PatternPixel(32, 28, 1) & 0xFFFFFF);
    EXPECT_EQ(shown.rgb(1023, 717), PatternPixel(1023, 717, 2) & 0xFFFFFF);
    EXPECT_EQ(shown.rgb(1023, 718), PatternPixel(1023, 718, 1) & 0xFFFFFF);
}

} // namespace
