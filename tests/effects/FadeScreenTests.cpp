// The dissolve: which pixels change, what they become, and what reaches the back buffer.
#include <gtest/gtest.h>
#include "EffectsTestSupport.h"
#include "FadeScreen.h"
#include "MeltScreen.h"
#include "OXEResult.h"
#include "TransitionRandom.h"
#include <algorithm>
#include <climits>
#include <vector>

using namespace effectstest;
using testsupport::Picture;
using testsupport::TestDevice;

namespace {

const uint32_t Black = 0xFF000000u;
const uint32_t Green = 0xFF30C050u;
const uint32_t Marker = 0xFF123456u; // a back-buffer colour no transition writes

class Fade : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        device_ = new TestDevice(256, 256);
        WriteDdsPicture("fade1.dds", 64, 48, Pattern(1));
        WriteDdsPicture("fade2.dds", 64, 48, Pattern(2));
        WriteDdsPicture("fade2small.dds", 40, 20, Pattern(2));
        WriteDdsPicture("fade1alpha.dds", 64, 48, Pattern(1), true);
    }
    static void TearDownTestSuite()
    {
        delete device_;
        device_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(device_->ok()); }
    IDirect3DDevice9* dev() { return device_->device(); }

    // Initialised 64 x 48 fade with the final picture showing picture 1.
    void start(FadeScreen& fade, const char* second = "fade2.dds", D3DFORMAT format = D3DFMT_X8R8G8B8)
    {
        fade.init(64, 48, "fade1.dds", second, dev(), format);
        ASSERT_TRUE(fade.ready);
        fade.RenderPict1ToFinalPicture(dev());
    }
    Picture backBufferAfter(FadeScreen& fade)
    {
        device_->clear(Marker);
        fade.RenderToBackBuffer(dev());
        return device_->read();
    }

    static TestDevice* device_;
};
TestDevice* Fade::device_ = nullptr;

TEST_F(Fade, DoesNothingButFailBeforeInit)
{
    FadeScreen fade;
    EXPECT_FALSE(fade.ready);
    EXPECT_EQ(fade.color1, Black);
    EXPECT_EQ(fade.color2, Black);
    EXPECT_EQ(fade.fillMode, 0);
    EXPECT_EQ(fade.RenderFinalPicture(10), OXE_FAIL);
    fade.RenderPict1ToFinalPicture(dev());
    Picture shown = backBufferAfter(fade);
    EXPECT_EQ(shown.count(Marker), 256 * 256);
}

TEST_F(Fade, InitLoadsBothPicturesAndShowsPictureOneOnTheBackBuffer)
{
    FadeScreen fade;
    start(fade);
    ASSERT_NE(fade.GetPict1(), nullptr);
    ASSERT_NE(fade.GetPict2(), nullptr);
    D3DSURFACE_DESC desc;
    fade.GetPict2()->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 64u);
    EXPECT_EQ(desc.Height, 48u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(CountMismatches(ReadSurface(fade.GetPict2()), Pattern(2)), 0);

    Picture shown = backBufferAfter(fade);
    EXPECT_EQ(CountMismatches(shown, Pattern(1), 0, 0, 64, 48), 0);
    EXPECT_EQ(shown.count(Marker, 64, 0, 256, 256), 192 * 256) << "only the final picture's corner is written";
    EXPECT_EQ(shown.count(Marker, 0, 48, 64, 256), 64 * 208);
}

TEST_F(Fade, ZeroPixelsChangeNothing)
{
    FadeScreen fade;
    start(fade);
    EXPECT_EQ(fade.RenderFinalPicture(0), OXE_OK);
    EXPECT_EQ(fade.RenderFinalPicture(-5), OXE_OK);
    EXPECT_EQ(CountMismatches(ReadSurface(fade.finalPicture), Pattern(1)), 0);
}

// The random draw reaches the last column and the bottom row only for r = 1 (about once in
// 10001 picks), so after 60000 picks on 64 x 48 every other pixel has been hit many times while
// those two lines still show picture 1 almost everywhere.
void ExpectDissolved(const Picture& shown, const PixelRule& target, const char* what)
{
    EXPECT_EQ(CountMismatches(shown, target, 0, 0, 63, 47), 0) << what << ": the inner pixels";
    int lastColumnDone = 0, bottomRowDone = 0;
    for (int y = 0; y < 48; ++y) {
        uint32_t p = shown.rgb(63, y);
        if (p == (target(63, y) & 0xFFFFFF)) ++lastColumnDone;
        else EXPECT_EQ(p, PatternPixel(63, y, 1) & 0xFFFFFF) << "column 63 row " << y;
    }
    for (int x = 0; x < 64; ++x) {
        uint32_t p = shown.rgb(x, 47);
        if (p == (target(x, 47) & 0xFFFFFF)) ++bottomRowDone;
        else EXPECT_EQ(p, PatternPixel(x, 47, 1) & 0xFFFFFF) << "row 47 column " << x;
    }
    EXPECT_LT(lastColumnDone, 20) << what;
    EXPECT_LT(bottomRowDone, 20) << what;
    EXPECT_EQ(shown.rgb(63, 47), PatternPixel(63, 47, 1) & 0xFFFFFF) << "the corner needs r = 1 twice";
}

TEST_F(Fade, FillModesZeroAndOneDissolveIntoColorTwo)
{
    FadeScreen toBlack;
    start(toBlack);
    ASSERT_EQ(toBlack.RenderFinalPicture(60000), OXE_OK);
    ExpectDissolved(backBufferAfter(toBlack), [](int, int) { return Black; }, "default color2");

    FadeScreen toGreen;
    start(toGreen);
    toGreen.fillMode = 1;
    toGreen.color2 = Green;
    toGreen.color1 = 0xFFFF0000u; // not used by the fade
    ASSERT_EQ(toGreen.RenderFinalPicture(60000), OXE_OK);
    ExpectDissolved(backBufferAfter(toGreen), [](int, int) { return Green; }, "color2 set");
}

TEST_F(Fade, FillModesTwoAndThreeDissolveIntoPictureTwo)
{
    for (int mode : {2, 3}) {
        FadeScreen fade;
        start(fade);
        fade.fillMode = mode;
        // Spread over frames as a client would: the sum is what counts.
        for (int frame = 0; frame < 6; ++frame) ASSERT_EQ(fade.RenderFinalPicture(10000), OXE_OK);
        ExpectDissolved(backBufferAfter(fade), Pattern(2), mode == 2 ? "mode 2" : "mode 3");
    }
}

TEST_F(Fade, PictureTwoLargerThanTheFinalPictureIsReadInItsOwnRows)
{
    WriteDdsPicture("fade2wide.dds", 100, 60, Pattern(2)); // rows of 400 bytes against 256
    FadeScreen fade;
    start(fade, "fade2wide.dds");
    fade.fillMode = 2;
    ASSERT_EQ(fade.RenderFinalPicture(60000), OXE_OK);
    ExpectDissolved(backBufferAfter(fade), Pattern(2), "picture 2 of 100 x 60");
}

TEST_F(Fade, OtherFillModesLeaveTheFinalPictureAlone)
{
    for (int mode : {-1, 4, 100}) {
        FadeScreen fade;
        start(fade);
        fade.fillMode = mode;
        EXPECT_EQ(fade.RenderFinalPicture(5000), OXE_OK);
        EXPECT_EQ(CountMismatches(ReadSurface(fade.finalPicture), Pattern(1)), 0) << "mode " << mode;
    }
}

TEST_F(Fade, OnePixelPictureAlwaysPicksItsOnlyPixel)
{
    WriteDdsPicture("fade1x1a.dds", 1, 1, [](int, int) { return 0xFF102030u; });
    WriteDdsPicture("fade1x1b.dds", 1, 1, [](int, int) { return 0xFF405060u; });
    FadeScreen fade;
    fade.init(1, 1, "fade1x1a.dds", "fade1x1b.dds", dev(), D3DFMT_X8R8G8B8);
    fade.RenderPict1ToFinalPicture(dev());
    fade.fillMode = 2;
    ASSERT_EQ(fade.RenderFinalPicture(1), OXE_OK);
    EXPECT_EQ(ReadSurface(fade.finalPicture).at(0, 0), 0xFF405060u);
}

TEST_F(Fade, WherePictureTwoDoesNotReachPixelsTakeColorTwo)
{
    FadeScreen fade;
    start(fade, "fade2small.dds"); // 40 x 20 against a 64 x 48 final picture
    fade.fillMode = 2;
    fade.color2 = Green;
    ASSERT_EQ(fade.RenderFinalPicture(60000), OXE_OK);
    Picture result = ReadSurface(fade.finalPicture);
    EXPECT_EQ(CountMismatches(result, Pattern(2), 0, 0, 40, 20), 0);
    EXPECT_EQ(result.count(Green, 40, 0, 63, 47), 23 * 47);
    EXPECT_EQ(result.count(Green, 0, 20, 40, 47), 40 * 27);

    FadeScreen missing;
    start(missing, "no-such-picture.dds");
    EXPECT_EQ(missing.GetPict2(), nullptr);
    missing.fillMode = 3;
    ASSERT_EQ(missing.RenderFinalPicture(60000), OXE_OK);
    EXPECT_EQ(ReadSurface(missing.finalPicture).count(Black, 0, 0, 63, 47), 63 * 47);
}

TEST_F(Fade, LockedPictureOneStopsTheFrameWithItsError)
{
    FadeScreen fade;
    start(fade);
    D3DLOCKED_RECT held;
    ASSERT_EQ(fade.GetPict1()->LockRect(&held, nullptr, 0), D3D_OK);
    HRESULT hr = fade.RenderFinalPicture(60000);
    fade.GetPict1()->UnlockRect();
    EXPECT_EQ(hr, D3DERR_INVALIDCALL);
    EXPECT_EQ(CountMismatches(ReadSurface(fade.finalPicture), Pattern(1)), 0);
    EXPECT_EQ(fade.RenderFinalPicture(1), OXE_OK) << "nothing stays locked after the failure";
}

TEST_F(Fade, FinalPictureOfSixteenBitsIsRefused)
{
    FadeScreen fade;
    fade.init(64, 48, "fade1.dds", "fade2.dds", dev(), D3DFMT_R5G6B5);
    ASSERT_TRUE(fade.ready);
    EXPECT_EQ(fade.RenderFinalPicture(100), OXE_INVALIDPARAM);
}

TEST_F(Fade, FinalPictureInAnotherFormatOrLargerStillReachesTheBackBuffer)
{
    FadeScreen alpha;
    alpha.init(64, 48, "fade1alpha.dds", "fade2.dds", dev(), D3DFMT_A8R8G8B8);
    alpha.RenderPict1ToFinalPicture(dev());
    EXPECT_EQ(CountMismatches(backBufferAfter(alpha), Pattern(1), 0, 0, 64, 48), 0);

    WriteDdsPicture("fadebig.dds", 300, 280, Pattern(1));
    FadeScreen big;
    big.init(300, 280, "fadebig.dds", "fade2.dds", dev(), D3DFMT_X8R8G8B8);
    big.RenderPict1ToFinalPicture(dev());
    EXPECT_EQ(CountMismatches(backBufferAfter(big), Pattern(1)), 0) << "clipped to 256 x 256";
}

// The public size set larger than the final picture after init: picks are still drawn from
// it, but only those inside the picture are written. Every pixel then shows picture 1 or picture
// 2 at its own place; a pick past the right edge written into the rows below would show color2
// (picture 2 does not reach there), and picks past the bottom would write past the surface.
TEST_F(Fade, PublicSizeLargerThanTheFinalPictureWritesOnlyInsideIt)
{
    WriteDdsPicture("fadewide1.dds", 256, 192, Pattern(1));
    WriteDdsPicture("fadewide2.dds", 256, 192, Pattern(2));
    FadeScreen fade;
    fade.init(256, 192, "fadewide1.dds", "fadewide2.dds", dev(), D3DFMT_X8R8G8B8);
    ASSERT_TRUE(fade.ready);
    fade.RenderPict1ToFinalPicture(dev());
    fade.fillMode = 2;
    fade.color2 = Green;
    fade.width = 300; // picks past the right edge of 45 of every 300 columns
    ASSERT_EQ(fade.RenderFinalPicture(100000), OXE_OK);
    Picture result = ReadSurface(fade.finalPicture);
    EXPECT_EQ(result.count(Green), 0) << "no pick past the right edge lands in the next row";
    int changed = 0, wrong = 0;
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x) {
            const uint32_t rgb = result.rgb(x, y);
            if (rgb == (PatternPixel(x, y, 2) & 0xFFFFFF)) ++changed;
            else if (rgb != (PatternPixel(x, y, 1) & 0xFFFFFF)) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(changed, 256 * 192 / 2) << "the picks inside are written";

    fade.width = 4096;
    fade.height = 4096;
    ASSERT_EQ(fade.RenderFinalPicture(100000), OXE_OK);
    fade.fillMode = 0;
    ASSERT_EQ(fade.RenderFinalPicture(100000), OXE_OK);
    result = ReadSurface(fade.finalPicture);
    EXPECT_GT(result.count(Green), 0) << "picks inside are still written";
    EXPECT_EQ(result.width, 256);
}

} // namespace

namespace {

// A final picture one row of 2^24 + 4 pixels wide (and two rows high, so that a pick past the
// end of row 0 lands on row 1 instead of past the surface): x is drawn from 0..2^24 + 3, a range
// that single precision cannot hold. The draw r = 1 must give the last column, not one past it.
TEST_F(Fade, PicksOfAPictureWiderThanSinglePrecisionStayInTheirRow)
{
    const int wide = (1 << 24) + 4;
    FadeScreen fade;
    fade.init(wide, 2, "no-such-picture.dds", "no-such-picture.dds", dev(), D3DFMT_X8R8G8B8);
    ASSERT_TRUE(fade.ready);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(fade.finalPicture->LockRect(&locked, nullptr, 0), D3D_OK);
    auto row = [&](int y) {
        return reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(locked.pBits) + size_t(y) * locked.Pitch);
    };
    std::fill_n(row(0), wide, Marker);
    std::fill_n(row(1), wide, Marker);
    fade.finalPicture->UnlockRect();

    fade.color2 = Green;
    ASSERT_EQ(fade.RenderFinalPicture(200000), OXE_OK); // about 20 draws of r = 1 for x

    ASSERT_EQ(fade.finalPicture->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const uint32_t last = row(0)[wide - 1], nextRow = row(1)[0];
    fade.finalPicture->UnlockRect();
    EXPECT_EQ(last, Green) << "r = 1 picks the last column";
    EXPECT_EQ(nextRow, Marker) << "(0, 1) needs r = 0 for x and r = 1 for y: nothing but a pick past row 0 writes it";
}

} // namespace

namespace {

// Picks for every size a picture can have: the 10001 draws scaled exactly as single precision
// always scaled them for every range the pictures of the transitions take (all of 1..8192 and
// the last thousand below 2^24, each draw by each range), and inside a..b, with b for r = 1, for
// ranges single precision cannot hold.
TEST(TransitionPicks, KeepTheirValuesForPictureSizesAndStayInRangeBeyond)
{
    auto singlePrecision = [](float r, int a, int b) { return int(float(a) + r * float(b - a)); };
    auto sweep = [&](int from, int to) {
        int differences = 0;
        for (int range = from; range <= to; ++range)
            for (int value = 0; value <= 10000; ++value) {
                const float r = TransitionUnit(value);
                const int pick = singlePrecision(r, 0, range);
                if (TransitionScale(r, 0, range) != pick) ++differences;
                if (TransitionScaleFromZero(r, float(range)) != pick) ++differences;
            }
        return differences;
    };
    EXPECT_EQ(sweep(1, 8192), 0);
    EXPECT_EQ(sweep((1 << 24) - 1000, 1 << 24), 0);
    EXPECT_EQ(TransitionUnit(10000), 1.0f);
    EXPECT_EQ(TransitionUnit(10001), 0.0f) << "values are taken modulo 10001";

    const int ends[][2] = {{0, (1 << 24) + 1}, {0, (1 << 24) + 3}, {0, (1 << 29) + 7}, {0, INT_MAX},
                           {-5, (1 << 24) + 3}, {INT_MIN, INT_MAX}, {INT_MIN, 0}, {INT_MAX - 3, INT_MAX},
                           {(1 << 24) + 1, (1 << 24) + 3}, {-(1 << 25) - 1, -(1 << 25) + 2}};
    for (const auto& e : ends) {
        int outside = 0;
        for (int value = 0; value <= 10000; ++value) {
            const int pick = TransitionScale(TransitionUnit(value), e[0], e[1]);
            if (pick < e[0] || pick > e[1]) ++outside;
        }
        EXPECT_EQ(outside, 0) << e[0] << " .. " << e[1];
        EXPECT_EQ(TransitionScale(1.0f, e[0], e[1]), e[1]) << e[0] << " .. " << e[1];
        EXPECT_EQ(TransitionScale(0.0f, e[0], e[1]), e[0]) << e[0] << " .. " << e[1];
    }
    EXPECT_EQ(TransitionScale(0.5f, 7, 3), 7);
    EXPECT_EQ(TransitionScale(0.5f, 5, 5), 5);
}

} // namespace

namespace {

// The state the generator had before it gave v1, v2, v3 one after the other, in its low 31
// bits; bit 31 is 0. The tests see the library's generator only through what it picks, and this
// recovers the generator's place from three values: bit 31 never reaches a value (the values
// are bits 16..30, and a step's low 31 bits come from the low 31 bits before it alone), and
// three values fix the low 31 bits for every state. v1 gives bits 16..30 of the state s1 after
// the first step; its low 16 bits L follow from v2: s2 = (K + A * L) mod 2^31 with K the part v1
// fixes, and since A > 2^16 each of the eight turns of A * L round 2^31 meets the 2^16 states of
// v2 in at most one L. v3 tells the candidates apart.
uint32_t GeneratorStateBefore(int v1, int v2, int v3)
{
    const uint64_t a = GeneratorMultiplier, turn = 1ull << 31, low31 = turn - 1;
    const uint64_t k = (a * (uint64_t(v1) << 16) + GeneratorIncrement) & low31;
    uint32_t s1 = uint32_t(v1) << 16;
    for (uint64_t w = 0; w < 8; ++w) {
        // K + A * L must lie in [lo, lo + 0xFFFF] for some L in 0..0xFFFF.
        const uint64_t lo = w * turn + (uint64_t(v2) << 16);
        if (lo + 0xFFFF < k) continue;
        const uint64_t l = lo <= k ? 0 : (lo - k + a - 1) / a;
        if (l > 0xFFFF) break;
        if (k + a * l > lo + 0xFFFF) continue;
        const uint32_t candidate = (uint32_t(v1) << 16) | uint32_t(l);
        if (GeneratorValue(GeneratorStep(GeneratorStep(candidate))) == v3) {
            s1 = candidate;
            break;
        }
    }
    // One step back: the multiplier is odd, so it has an inverse modulo 2^32 (Newton's method).
    uint32_t inverse = GeneratorMultiplier;
    for (int i = 0; i < 5; ++i) inverse *= 2u - GeneratorMultiplier * inverse;
    return ((s1 - GeneratorIncrement) * inverse) & 0x7FFFFFFFu;
}

// The state read from three values must give the values the generator gives, for states spread
// over the whole cycle and for the corners of the solution (low 16 bits 0 and 0xFFFF, bit 31 set
// or not): the frame test below relies on it.
TEST(TransitionPicks, GeneratorStateReadFromThreeValuesGoesOnAsTheGenerator)
{
    auto readBack = [](uint32_t state) {
        uint32_t s = state;
        int v[3];
        for (int& value : v) value = GeneratorValue(s = GeneratorStep(s));
        const uint32_t found = GeneratorStateBefore(v[0], v[1], v[2]);
        if ((found & 0x7FFFFFFFu) != (state & 0x7FFFFFFFu)) return false;
        uint32_t a = state, b = found;
        for (int i = 0; i < 64; ++i)
            if (GeneratorValue(a = GeneratorStep(a)) != GeneratorValue(b = GeneratorStep(b))) return false;
        return true;
    };
    int wrong = 0;
    uint32_t spread = 12345;
    for (int i = 0; i < 200000; ++i) {
        spread = spread * 2654435761u + 977u;
        if (!readBack(spread)) ++wrong;
    }
    for (uint32_t high : {0u, 1u, 0x7FFFu, 0x8000u, 0xFFFFu})
        for (uint32_t low : {0u, 1u, 0x7FFFu, 0xFFFEu, 0xFFFFu})
            if (!readBack(high << 16 | low)) ++wrong;
    // States whose first step lands on the ends of the range of the first value's low bits.
    const uint32_t inverse = 0xB9B33155u; // 214013 * inverse = 1 modulo 2^32
    for (uint32_t s1 : {0u, 0xFFFFu, 0x7FFF0000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        const uint32_t before = (s1 - GeneratorIncrement) * inverse;
        ASSERT_EQ(GeneratorStep(before), s1);
        if (!readBack(before)) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
}

} // namespace

namespace {

// One pick per frame on rows 40001 pixels wide shows each x draw's value modulo 10001 (x is
// about 4 times it) and, with two rows, whether the y draw was r = 1 (row 1). The draws of
// consecutive frames, with a melt's 128 column speeds drawn between them, must follow one
// another in the generator: exactly one state gives all of them. One row takes the pick loop
// without y draws, two rows the loop with both.
TEST_F(Fade, PicksOfConsecutiveFramesFollowOneAnotherInTheGenerator)
{
    const int wide = 40001;
    std::vector<int> drawAt(wide, -1);
    for (int k = 0; k <= 10000; ++k) {
        const int x = TransitionScale(TransitionUnit(k), 0, wide - 1);
        ASSERT_EQ(drawAt[x], -1) << "two draws pick x = " << x;
        drawAt[x] = k;
    }
    for (int rows : {1, 2}) {
        FadeScreen fade;
        fade.init(wide, rows, "no-such-picture.dds", "no-such-picture.dds", dev(), D3DFMT_X8R8G8B8);
        ASSERT_TRUE(fade.ready);
        fade.color2 = Green;
        // What a draw showed: its value modulo 10001 (x) or only whether that was 10000 (y).
        struct Seen {
            bool exact;
            int k;
        };
        std::vector<Seen> seen;
        auto pickOneFrame = [&] {
            D3DLOCKED_RECT locked;
            ASSERT_EQ(fade.finalPicture->LockRect(&locked, nullptr, 0), D3D_OK);
            for (int y = 0; y < rows; ++y)
                std::fill_n(reinterpret_cast<uint32_t*>(static_cast<char*>(locked.pBits) + y * locked.Pitch), wide, Marker);
            fade.finalPicture->UnlockRect();
            ASSERT_EQ(fade.RenderFinalPicture(1), OXE_OK);
            ASSERT_EQ(fade.finalPicture->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
            int x = wide, row = 0;
            for (; row < rows && x == wide; ++row) {
                const uint32_t* pixels = reinterpret_cast<const uint32_t*>(static_cast<char*>(locked.pBits) + row * locked.Pitch);
                x = int(std::find(pixels, pixels + wide, Green) - pixels);
            }
            fade.finalPicture->UnlockRect();
            ASSERT_LT(x, wide);
            seen.push_back({true, drawAt[x]});
            if (rows == 2) seen.push_back({false, row - 1 == 1 ? 10000 : -1});
        };
        for (int i = 0; i < 8; ++i) pickOneFrame();
        const size_t meltAt = seen.size();
        MeltScreen melt;
        melt.init(128, 64, 64, dev(), D3DFMT_X8R8G8B8); // 128 draws, one call each
        ASSERT_TRUE(melt.ready);
        for (int i = 0; i < 8; ++i) pickOneFrame();

        auto fits = [](const Seen& s, int value) {
            return s.exact ? value % 10001 == s.k : (value % 10001 == 10000) == (s.k == 10000);
        };
        auto values = [&](const Seen& s) {
            std::vector<int> v;
            for (int value = 0; value <= 0x7FFF; ++value)
                if (fits(s, value)) v.push_back(value);
            return v;
        };
        const std::vector<int> first = values(seen[0]), second = values(seen[1]), third = values(seen[2]);
        int states = 0;
        for (int v1 : first)
            for (int v2 : second)
                for (int v3 : third) {
                    uint32_t state = GeneratorStateBefore(v1, v2, v3);
                    bool all = true;
                    for (size_t i = 0; i < seen.size() && all; ++i) {
                        if (i == meltAt)
                            for (int m = 0; m < 128; ++m) state = GeneratorStep(state);
                        state = GeneratorStep(state);
                        all = fits(seen[i], GeneratorValue(state));
                    }
                    if (all) ++states;
                }
        EXPECT_EQ(states, 1) << rows << " rows: the frames' draws are not one stretch of the generator";
    }
}

} // namespace
