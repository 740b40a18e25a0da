// The transitions given sizes, counts, column counts, picture selectors and block sizes out of
// range, null devices and surfaces, and picture names at and past the string capacity. What
// reaches the back buffer is read back from the device.
#include "Parts2Test.h"
#include "EffectsTestSupport.h"
#include "FadeScreen.h"
#include "MeltScreen.h"
#include "OXEResult.h"
#include "Pixelate.h"
#include <gtest/gtest.h>
#include <climits>
#include <functional>
#include <string>

using namespace effectstest;
using testsupport::Picture;

namespace {

const uint32_t Marker = 0xFF123456u;
const uint32_t Red = 0xFFE01010u;

class EffectsLimits : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        WriteDdsPicture("al_one.dds", 64, 32, Pattern(1));
        WriteDdsPicture("al_two.dds", 64, 32, Pattern(2));
    }
    void SetUp() override { ASSERT_NE(dev(), nullptr); }
    IDirect3DDevice9* dev() { return parts2test::D3D(); }

    // The back buffer cleared to the marker, then whatever show() puts on it.
    Picture Shown(const std::function<void()>& show)
    {
        dev()->Clear(0, nullptr, D3DCLEAR_TARGET, Marker, 1.0f, 0);
        show();
        Picture p;
        testsupport::ReadBackBuffer(dev(), p);
        dev()->Present(nullptr, nullptr, nullptr, nullptr);
        return p;
    }
    int Untouched(const Picture& p) { return p.count(Marker & 0xFFFFFF); }
};

std::string Long(size_t n) { return std::string(n, 'f'); }

const int kBadSizes[][2] = {{0, 16}, {16, 0}, {-1, 16}, {16, INT_MIN}, {INT_MAX, INT_MAX}};

} // namespace

TEST_F(EffectsLimits, FadeSizesCountsAndModesOutOfRange)
{
    for (const auto& s : kBadSizes) {
        FadeScreen fade;
        fade.init(s[0], s[1], "al_one.dds", "al_two.dds", dev(), D3DFMT_X8R8G8B8);
        EXPECT_FALSE(fade.ready) << s[0] << " x " << s[1];
        EXPECT_EQ(fade.finalPicture, nullptr);
        EXPECT_EQ(fade.RenderFinalPicture(10), OXE_FAIL);
        EXPECT_EQ(Untouched(Shown([&] { fade.RenderToBackBuffer(dev()); })), 1024 * 768);
    }
    FadeScreen noDevice;
    noDevice.init(16, 16, "al_one.dds", "al_two.dds", nullptr, D3DFMT_X8R8G8B8);
    EXPECT_FALSE(noDevice.ready);

    // Picture names past what exists: ready, without pictures; the dissolve falls back to color2.
    FadeScreen fade;
    fade.init(64, 32, advString(Long(1023).c_str()), advString(Long(1024).c_str()), dev(), D3DFMT_X8R8G8B8);
    ASSERT_TRUE(fade.ready);
    EXPECT_EQ(fade.GetPict1(), nullptr);
    EXPECT_EQ(fade.GetPict2(), nullptr);
    fade.initPict1("al_one.dds", dev());
    fade.RenderPict1ToFinalPicture(dev());
    ASSERT_EQ(CountMismatches(ReadSurface(fade.finalPicture), Pattern(1)), 0);

    // No pixels for no, negative and the most negative counts; unknown modes change nothing.
    fade.fillMode = 0;
    for (int count : {0, -1, INT_MIN}) EXPECT_EQ(fade.RenderFinalPicture(count), OXE_OK) << count;
    for (int mode : {4, -1, INT_MAX, INT_MIN}) {
        fade.fillMode = mode;
        EXPECT_EQ(fade.RenderFinalPicture(500), OXE_OK) << mode;
    }
    EXPECT_EQ(CountMismatches(ReadSurface(fade.finalPicture), Pattern(1)), 0);
    Picture shown = Shown([&] { fade.RenderToBackBuffer(dev()); });
    EXPECT_EQ(CountMismatches(shown, Pattern(1), 0, 0, 64, 32), 0);
    EXPECT_EQ(Untouched(shown), 1024 * 768 - 64 * 32);

    // Mode 2 without a picture 2 dissolves into color2, inside the picture only.
    fade.fillMode = 2;
    fade.color2 = Red;
    EXPECT_EQ(fade.RenderFinalPicture(5000), OXE_OK);
    Picture final = ReadSurface(fade.finalPicture);
    EXPECT_GT(final.count(Red & 0xFFFFFF), 500);
    EXPECT_EQ(final.count(Red & 0xFFFFFF) + (64 * 32 - CountMismatches(final, Pattern(1))), 64 * 32);
}

TEST_F(EffectsLimits, MeltColumnCountsSizesAndPictureSelectorsOutOfRange)
{
    for (const auto& s : kBadSizes) {
        MeltScreen melt;
        melt.init(8, s[0], s[1], dev(), D3DFMT_X8R8G8B8);
        EXPECT_FALSE(melt.ready) << s[0] << " x " << s[1];
        EXPECT_EQ(melt.RenderFinalPicture(), OXE_FAIL);
        EXPECT_EQ(melt.SetPicture1("al_one.dds"), OXE_FAIL);
        EXPECT_EQ(Untouched(Shown([&] { melt.RenderToBackBuffer(dev()); })), 1024 * 768);
    }

    // Column counts past the 128 records are held to them; negative ones move nothing.
    for (int worms : {129, INT_MAX}) {
        MeltScreen melt;
        melt.init(worms, 256, 16, dev(), D3DFMT_X8R8G8B8);
        ASSERT_TRUE(melt.ready);
        EXPECT_EQ(melt.wormCount, int(MeltScreen::WormSlots)) << worms;
        melt.Simulate(1);
        EXPECT_GT(melt.worms[MeltScreen::WormSlots - 1].drop, 0);
    }
    for (int worms : {-1, INT_MIN}) {
        MeltScreen melt;
        melt.init(worms, 256, 16, dev(), D3DFMT_X8R8G8B8);
        EXPECT_EQ(melt.wormCount, 0) << worms;
        melt.Simulate(INT_MAX);
        for (const simple_worm& w : melt.worms) EXPECT_EQ(w.drop, 0);
    }

    MeltScreen melt;
    melt.init(128, 64, 32, dev(), D3DFMT_X8R8G8B8);
    ASSERT_TRUE(melt.ready);
    melt.initPict1("al_one.dds", 0, false, dev(), D3DFMT_X8R8G8B8);
    melt.initPict2("al_two.dds", 0, false, dev(), D3DFMT_X8R8G8B8);
    IDirect3DSurface9* one = melt.GetPict1();
    IDirect3DSurface9* two = melt.GetPict2();
    IDirect3DSurface9* final = melt.finalPicture;
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    // Selectors other than 1, 2 and 3, or no device: every picture stays as it is.
    for (int which : {0, 4, -1, INT_MAX, INT_MIN}) melt.CopyBackBuffer(dev(), which);
    melt.CopyBackBuffer(nullptr, 1);
    melt.CaptureScreenToSurf(dev(), nullptr);
    melt.CaptureScreenToSurf(nullptr, one);
    EXPECT_EQ(melt.GetPict1(), one);
    EXPECT_EQ(melt.GetPict2(), two);
    EXPECT_EQ(melt.finalPicture, final);
    EXPECT_EQ(CountMismatches(ReadSurface(one), Pattern(1)), 0);

    // Names that are not files: the load's error, the picture kept.
    for (size_t n : {size_t(259), size_t(1023), size_t(1024), size_t(5000)}) {
        EXPECT_LT(melt.SetPicture1(advString(Long(n).c_str())), 0) << n;
        EXPECT_LT(melt.SetPicture2(advString(Long(n).c_str())), 0) << n;
    }
    EXPECT_EQ(CountMismatches(ReadSurface(one), Pattern(1)), 0);
    EXPECT_EQ(CountMismatches(ReadSurface(two), Pattern(2)), 0);

    // Column widths from the ends of the int range keep every column start inside the int range
    // and are reset from the pitch when the picture is composed.
    melt.SetWormsWidth(INT_MAX);
    EXPECT_EQ(melt.worms[127].x, 127 * (INT_MAX / 128));
    melt.SetWormsWidth(INT_MIN);
    EXPECT_EQ(melt.worms[127].x, 127 * (INT_MIN / 128));
    melt.fillMode = 2;
    melt.Simulate(INT_MAX); // every column down to the largest int: picture 2 everywhere
    EXPECT_EQ(melt.RenderFinalPicture(), OXE_OK);
    Picture shown = Shown([&] { melt.RenderToBackBuffer(dev()); });
    EXPECT_EQ(CountMismatches(shown, Pattern(2), 0, 0, 64, 32), 0);
    EXPECT_EQ(Untouched(shown), 1024 * 768 - 64 * 32);

    const char* noFormat = nullptr;
    melt.Log(noFormat);
    FILE* file = fopen("al_melt_log.txt", "wb");
    ASSERT_NE(file, nullptr);
    melt.logFile = file;
    melt.Log(noFormat);
    melt.Log("%s", Long(5000).c_str());
    fclose(file);
    melt.logFile = nullptr;
    EXPECT_EQ(testsupport::ReadFileBytes("al_melt_log.txt"), "[EFFECTS_DLL]: " + Long(255) + "\n");
}

TEST_F(EffectsLimits, PixelateBlockSizesAtTheEndsOfTheIntRangeAndMissingPictures)
{
    Pixelate pixelate;
    pixelate.init(dev(), "al_one.dds", true);
    ASSERT_TRUE(pixelate.ready);
    Picture shown = Shown([&] { EXPECT_EQ(pixelate.RenderToBackSurface(dev(), INT_MAX), OXE_OK); });
    EXPECT_EQ(CountMismatches(shown, [](int, int y) { return PatternPixel(0, y, 1); }, 0, 0, 64, 32), 0)
        << "each row the colour of its left-most pixel";
    EXPECT_EQ(Untouched(shown), 1024 * 768 - 64 * 32);
    EXPECT_EQ(pixelate.blockSize, INT_MAX);
    shown = Shown([&] { EXPECT_EQ(pixelate.RenderToBackSurface(dev(), INT_MIN), OXE_OK); });
    EXPECT_EQ(CountMismatches(shown, Pattern(1), 0, 0, 64, 32), 0) << "taken as 1: the picture as it is";
    EXPECT_EQ(pixelate.blockSize, 1);

    // Names that are no file, or no device: ready without surfaces; nothing reaches the screen.
    for (size_t n : {size_t(1023), size_t(1024), size_t(5000)}) {
        Pixelate empty;
        empty.init(dev(), advString(Long(n).c_str()), true);
        EXPECT_EQ(empty.source, nullptr) << n;
        EXPECT_EQ(empty.work, nullptr) << n;
        EXPECT_EQ(Untouched(Shown([&] { empty.RenderToBackSurface(dev(), 8); })), 1024 * 768) << n;
        EXPECT_EQ(empty.PixelateBackBuffer(dev(), 8), D3DERR_INVALIDCALL);
        EXPECT_TRUE(empty.CaptureBackBufferToSurface(dev()));
        empty.CopyBackBuffeToSrc(dev());
        empty.RenderToSrc(dev());
        empty.RestoreOldTarget(dev());
    }
    Pixelate noDevice;
    noDevice.init(nullptr, "al_one.dds", true);
    EXPECT_EQ(noDevice.source, nullptr);
    EXPECT_EQ(noDevice.PixelateBackBuffer(nullptr, 8), D3DERR_INVALIDCALL);
    noDevice.SaveOldTarget(nullptr);
    noDevice.RenderToSrc(nullptr);
    noDevice.RestoreOldTarget(nullptr);
    noDevice.CopyBackBuffeToSrc(nullptr);
    EXPECT_TRUE(noDevice.CaptureBackBufferToSurface(nullptr));
    EXPECT_EQ(pixelate.PixelateBackBuffer(nullptr, 8), D3DERR_INVALIDCALL);
}
