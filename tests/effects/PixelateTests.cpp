// Pixelate: the stripes it makes, and the copies between its surfaces and the screen.
#include <gtest/gtest.h>
#include "EffectsTestSupport.h"
#include "OXEResult.h"
#include "Pixelate.h"

using namespace effectstest;
using testsupport::Picture;
using testsupport::TestDevice;

namespace {

const uint32_t Marker = 0xFF123456u;
const uint32_t Orange = 0xFFF08020u;

class PixelateTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        device_ = new TestDevice(256, 256);
        WriteDdsPicture("pixelate.dds", 100, 60, Pattern(1));
    }
    static void TearDownTestSuite()
    {
        delete device_;
        device_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(device_->ok()); }
    IDirect3DDevice9* dev() { return device_->device(); }
    Picture backBufferAfter(Pixelate& pixelate, int block, long expected = OXE_OK)
    {
        device_->clear(Marker);
        EXPECT_EQ(pixelate.RenderToBackSurface(dev(), block), expected) << "block " << block;
        return device_->read();
    }

    static TestDevice* device_;
};
TestDevice* PixelateTest::device_ = nullptr;

// work(x, y) = source(x - x mod block, y).
PixelRule Stripes(const PixelRule& source, int block)
{
    return [source, block](int x, int y) { return source(x - x % block, y); };
}

TEST_F(PixelateTest, FailsBeforeInit)
{
    Pixelate pixelate;
    EXPECT_EQ(pixelate.blockSize, 32);
    EXPECT_FALSE(pixelate.ready);
    EXPECT_EQ(backBufferAfter(pixelate, 8, OXE_FAIL).count(Marker), 256 * 256);
    EXPECT_EQ(pixelate.PixelateBackBuffer(dev(), 8), OXE_FAIL);
    EXPECT_TRUE(pixelate.CaptureBackBufferToSurface(dev())) << "true although there is no source";
    EXPECT_EQ(pixelate.blockSize, 32);
}

TEST_F(PixelateTest, InitTakesSizeAndFormatFromTheFile)
{
    Pixelate pixelate;
    pixelate.init(dev(), "pixelate.dds", true);
    EXPECT_TRUE(pixelate.ready);
    EXPECT_EQ(pixelate.width, 100);
    EXPECT_EQ(pixelate.height, 60);
    EXPECT_EQ(pixelate.format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(CountMismatches(ReadSurface(pixelate.source), Pattern(1)), 0);
    Picture work = ReadSurface(pixelate.work);
    EXPECT_EQ(work.width, 100);
    EXPECT_EQ(work.height, 60);

    Pixelate missing;
    missing.init(dev(), "no-such-picture.dds", true);
    EXPECT_TRUE(missing.ready) << "ready whatever failed";
    EXPECT_EQ(missing.source, nullptr);
    EXPECT_EQ(backBufferAfter(missing, 4).count(Marker), 256 * 256);
}

TEST_F(PixelateTest, StripesForBlockOneThirtyTwoAndWiderThanThePicture)
{
    Pixelate pixelate;
    pixelate.init(dev(), "pixelate.dds", true);

    Picture shown = backBufferAfter(pixelate, 1);
    EXPECT_EQ(CountMismatches(shown, Pattern(1), 0, 0, 100, 60), 0) << "block 1 copies the source";
    EXPECT_EQ(shown.count(Marker, 100, 0, 256, 256) + shown.count(Marker, 0, 60, 100, 256), 156 * 256 + 100 * 196);

    shown = backBufferAfter(pixelate, 32);
    EXPECT_EQ(pixelate.blockSize, 32);
    EXPECT_EQ(CountMismatches(shown, Stripes(Pattern(1), 32), 0, 0, 100, 60), 0);
    for (int y : {0, 17, 59}) { // spelled out for one picture 100 pixels wide
        EXPECT_EQ(shown.rgb(31, y), PatternPixel(0, y, 1) & 0xFFFFFF);
        EXPECT_EQ(shown.rgb(32, y), PatternPixel(32, y, 1) & 0xFFFFFF);
        EXPECT_EQ(shown.rgb(95, y), PatternPixel(64, y, 1) & 0xFFFFFF);
        EXPECT_EQ(shown.rgb(99, y), PatternPixel(96, y, 1) & 0xFFFFFF);
    }

    shown = backBufferAfter(pixelate, 7);
    EXPECT_EQ(CountMismatches(shown, Stripes(Pattern(1), 7), 0, 0, 100, 60), 0);

    for (int block : {100, 101, 5000}) {
        shown = backBufferAfter(pixelate, block);
        EXPECT_EQ(CountMismatches(shown, [](int, int y) { return PatternPixel(0, y, 1); }, 0, 0, 100, 60), 0)
            << "block " << block << ": every row the colour of its left-most pixel";
    }
    EXPECT_EQ(CountMismatches(ReadSurface(pixelate.source), Pattern(1)), 0) << "the source stays";
}

TEST_F(PixelateTest, BlocksBelowOneAreTakenAsOne)
{
    Pixelate pixelate;
    pixelate.init(dev(), "pixelate.dds", true);
    for (int block : {0, -3}) {
        Picture shown = backBufferAfter(pixelate, block);
        EXPECT_EQ(CountMismatches(shown, Pattern(1), 0, 0, 100, 60), 0) << "block " << block;
        EXPECT_EQ(pixelate.blockSize, 1);
    }
    PaintBackBuffer(dev(), 256, 256, Pattern(2));
    EXPECT_EQ(pixelate.PixelateBackBuffer(dev(), 0), OXE_OK);
    EXPECT_EQ(CountMismatches(device_->read(), Pattern(2)), 0);
}

TEST_F(PixelateTest, FailingLockLeavesTheBackBufferAlone)
{
    Pixelate pixelate;
    pixelate.init(dev(), "pixelate.dds", true);
    D3DLOCKED_RECT held;
    ASSERT_EQ(pixelate.work->LockRect(&held, nullptr, 0), D3D_OK);
    Picture shown = backBufferAfter(pixelate, 4, D3DERR_INVALIDCALL);
    pixelate.work->UnlockRect();
    EXPECT_EQ(shown.count(Marker), 256 * 256);
    EXPECT_EQ(pixelate.PixelateBackBuffer(dev(), 4), OXE_OK) << "nothing stays locked";
}

TEST_F(PixelateTest, PixelateBackBufferStripesWhatIsOnScreen)
{
    Pixelate pixelate;
    pixelate.init(dev(), "pixelate.dds", true); // work is 100 x 60: that part of the screen
    PaintBackBuffer(dev(), 256, 256, Pattern(3));
    EXPECT_EQ(pixelate.PixelateBackBuffer(dev(), 8), OXE_OK);
    EXPECT_EQ(pixelate.blockSize, 8);
    Picture shown = device_->read();
    EXPECT_EQ(CountMismatches(shown, Stripes(Pattern(3), 8), 0, 0, 100, 60), 0);
    EXPECT_EQ(CountMismatches(shown, Pattern(3), 100, 0, 256, 256), 0);
    EXPECT_EQ(CountMismatches(shown, Pattern(3), 0, 60, 100, 256), 0);
}

TEST_F(PixelateTest, ScreenCopiesFillTheSource)
{
    Pixelate pixelate;
    pixelate.init(dev(), "pixelate.dds", false);
    PaintBackBuffer(dev(), 256, 256, Pattern(2));
    EXPECT_TRUE(pixelate.CaptureBackBufferToSurface(dev()));
    EXPECT_EQ(CountMismatches(ReadSurface(pixelate.source), Pattern(2)), 0);
    Picture shown = backBufferAfter(pixelate, 10);
    EXPECT_EQ(CountMismatches(shown, Stripes(Pattern(2), 10), 0, 0, 100, 60), 0);

    PaintBackBuffer(dev(), 256, 256, Pattern(3));
    pixelate.CopyBackBuffeToSrc(dev());
    EXPECT_EQ(CountMismatches(ReadSurface(pixelate.source), Pattern(3)), 0);
}

TEST_F(PixelateTest, SourceCanBeDrawnIntoAsRenderTarget)
{
    Pixelate pixelate;
    pixelate.init(dev(), "pixelate.dds", true);
    IDirect3DSurface9* backBuffer = nullptr;
    dev()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    pixelate.SaveOldTarget(dev());
    EXPECT_EQ(pixelate.savedTarget, backBuffer);
    pixelate.RenderToSrc(dev());
    D3DRECT band = {0, 10, 100, 20};
    ASSERT_EQ(dev()->Clear(1, &band, D3DCLEAR_TARGET, Orange, 1.0f, 0), D3D_OK);
    pixelate.RestoreOldTarget(dev());
    IDirect3DSurface9* target = nullptr;
    dev()->GetRenderTarget(0, &target);
    EXPECT_EQ(target, backBuffer);
    target->Release();
    backBuffer->Release();

    PixelRule expected = [](int x, int y) { return y >= 10 && y < 20 ? Orange : PatternPixel(x, y, 1); };
    EXPECT_EQ(CountMismatches(ReadSurface(pixelate.source), expected), 0)
        << "the drawing lands in source over the picture it held";
}

} // namespace
