// Fonts and text of the render device, checked on the pixels a real device drew.
#include "TextTestDevice.h"
#include <climits>
#include <cstring>
#include <string>

using namespace testsupport;
using namespace texttest;

namespace {

const UINT kTableSize = OXE_FONT_ROWS * OXE_FONT_ROW_LENGTH;

class TextDrawing : public ::testing::Test {
protected:
    static void SetUpTestSuite() { device_ = new StartedDevice(); }
    static void TearDownTestSuite()
    {
        delete device_;
        device_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(device_->ok());
        ASSERT_EQ(dev()->CreateFontInSlot(0, "Arial", 24, 12, 700, false), D3D_OK);
    }
    static OXED3D* dev() { return device_->get(); }

    // One frame of black with whatever `draw` puts on it.
    template <class F> Picture frame(F draw)
    {
        BeginBlackFrame(dev());
        draw();
        return EndFrameAndRead(dev());
    }

    static StartedDevice* device_;
};
StartedDevice* TextDrawing::device_ = nullptr;

} // namespace

TEST_F(TextDrawing, TextAtShowsItsColourInsideItsRectangleOnly)
{
    Picture p = frame([] { dev()->DrawTextAt(0, "Hello", 200, 100, 255, 0, 0, 255); });
    // Opaque text over black: the glyph cores come within a few steps of the text colour, and
    // the antialiased edges spill at most a pixel or two to the left of x.
    EXPECT_GT(CountNear(p, 0xFF0000, kTextTolerance, 200, 100, 300, 130), 30);
    RECT lit = LitBounds(p);
    EXPECT_GE(lit.left, 198);
    EXPECT_GE(lit.top, 100);
    EXPECT_LT(lit.right, 300);
    EXPECT_LT(lit.bottom, 130);
    // Red only: the bytes are packed as ARGB, not swapped.
    int stray = 0;
    for (uint32_t px : p.pixels) stray += (px & 0x00FFFF) != 0;
    EXPECT_EQ(stray, 0);
}

TEST_F(TextDrawing, TextAlphaBlendsOverTheBackground)
{
    Picture p = frame([] { dev()->DrawTextAt(0, "Hello", 200, 100, 255, 255, 255, 128); });
    uint32_t brightest = 0;
    for (uint32_t px : p.pixels) brightest = std::max(brightest, px & 0xFF);
    EXPECT_GE(brightest, 120u);
    EXPECT_LE(brightest, 136u);
}

TEST_F(TextDrawing, TextIsClippedAtTheRightAndBottomEdges)
{
    const int w = int(dev()->GetScreenWidth()), h = int(dev()->GetScreenHeight());
    ASSERT_EQ(w, 1024);
    ASSERT_EQ(h, 768);
    Picture p = frame([&] {
        dev()->DrawTextAt(0, "WWWWWWWWWWWW", w - 30, 300, 0, 255, 0, 255);
        dev()->DrawTextAt(0, "Wg", 500, h - 10, 0, 255, 0, 255);
    });
    // The long text does not wrap onto a second line or back to the left.
    EXPECT_GT(LitPixels(p, w - 30, 300, w, 330), 10);
    EXPECT_EQ(LitPixels(p, 0, 0, w - 32, h - 10), 0);
    EXPECT_EQ(LitPixels(p, 0, 330, w, h - 10), 0);
    // The text at the bottom shows its top part only.
    EXPECT_GT(LitPixels(p, 500, h - 10, 560, h), 5);
}

TEST_F(TextDrawing, Windows1252BytesDrawTheirOwnGlyphs)
{
    Picture plain = frame([] { dev()->DrawTextAt(0, "a", 300, 200, 255, 255, 255, 255); });
    Picture umlaut = frame([] { dev()->DrawTextAt(0, "\xE4", 300, 200, 255, 255, 255, 255); });
    RECT a = LitBounds(plain), ae = LitBounds(umlaut);
    ASSERT_GE(a.right, a.left);
    ASSERT_GE(ae.right, ae.left);
    // 0xE4 is a-umlaut: the same body with dots above it, not a replacement glyph.
    EXPECT_EQ(ae.bottom, a.bottom);
    EXPECT_LT(ae.top, a.top - 2);
    int shared = 0, body = 0;
    for (int y = a.top; y <= a.bottom; ++y)
        for (int x = a.left; x <= a.right; ++x)
            if ((plain.rgb(x, y) & 0xFF) >= 0xC0) {
                ++body;
                shared += (umlaut.rgb(x, y) & 0xFF) >= 0xC0;
            }
    EXPECT_GT(body, 10);
    EXPECT_GE(shared, body * 9 / 10);
}

TEST_F(TextDrawing, IndicesOutsideTheTableAndEmptyEntriesDrawNothing)
{
    ASSERT_EQ(dev()->m_fontTable[5], nullptr);
    Picture p = frame([] {
        dev()->DrawTextAt(5, "empty", 10, 10, 255, 255, 255, 255);
        dev()->DrawTextAt(kTableSize, "past", 10, 40, 255, 255, 255, 255);
        dev()->DrawTextAt(UINT_MAX, "far", 10, 70, 255, 255, 255, 255);
        dev()->DrawTextAt(0, nullptr, 10, 100, 255, 255, 255, 255);
        dev()->DrawTextInFamily(1, OXE_FONT_ROW_LENGTH, "row end", 10, 130, 255, 255, 255, 255);
        dev()->DrawTextInFamily(2, UINT_MAX, "row end", 10, 160, 255, 255, 255, 255);
    });
    EXPECT_EQ(LitPixels(p), 0);
}

TEST_F(TextDrawing, FontsOutsideTheTableAreRefusedAndTouchNothing)
{
    const D3DCOLOR clear = dev()->m_clearColor;
    ID3DXFont* first = dev()->m_fontTable[0];
    EXPECT_EQ(dev()->CreateFontInSlot(kTableSize, "Arial", 20, 10, 400, false), OXE_INVALIDID);
    EXPECT_EQ(dev()->CreateFontInSlot(UINT_MAX, "Arial", 20, 10, 400, false), OXE_INVALIDID);
    EXPECT_EQ(dev()->CreatePlainFontInSlot(kTableSize, 20, 10, 400, 0), OXE_INVALIDID);
    EXPECT_EQ(dev()->m_clearColor, clear);
    EXPECT_EQ(dev()->m_fontTable[0], first);
}

TEST_F(TextDrawing, ReplacingAFontInASlotReleasesTheOldOne)
{
    IDirect3DDevice9* d3d = device_->d3d();
    ASSERT_EQ(dev()->CreateFontInSlot(3, "Arial", 20, 10, 400, false), D3D_OK);
    const ULONG withOne = RefCount(d3d);
    ASSERT_EQ(dev()->CreateFontInSlot(3, "Impact", 30, 15, 2, false), D3D_OK);
    ASSERT_EQ(dev()->CreatePlainFontInSlot(3, 18, 9, 400, 0), D3D_OK);
    EXPECT_EQ(RefCount(d3d), withOne);
    D3DXFONT_DESCA desc;
    dev()->m_fontTable[3]->GetDescA(&desc);
    EXPECT_EQ(desc.Height, 18);
    EXPECT_STREQ(desc.FaceName, "");
}

TEST_F(TextDrawing, DefaultRowsHoldElevenSizesWithoutOverlap)
{
    ID3DXFont* slot0 = dev()->m_fontTable[0];
    const D3DCOLOR clear = dev()->m_clearColor;
    dev()->CreateDefaultFonts();
    EXPECT_EQ(dev()->m_fontTable[0], slot0);
    EXPECT_EQ(dev()->m_clearColor, clear);
    for (int row = 1; row <= 2; ++row)
        for (int k = 0; k <= 10; ++k) {
            ID3DXFont* font = dev()->m_fontTable[row * OXE_FONT_ROW_LENGTH + k];
            ASSERT_NE(font, nullptr) << "row " << row << " entry " << k;
            D3DXFONT_DESCA desc;
            font->GetDescA(&desc);
            EXPECT_EQ(desc.Height, 10 + k);
            EXPECT_EQ(desc.Width, UINT(10 + k));
            EXPECT_EQ(desc.Weight, 10u);
            EXPECT_STREQ(desc.FaceName, row == 1 ? "Arial" : "Impact");
        }
    // Running it again replaces the fonts rather than piling them up.
    const ULONG refs = RefCount(device_->d3d());
    dev()->CreateDefaultFonts();
    EXPECT_EQ(RefCount(device_->d3d()), refs);
}

TEST_F(TextDrawing, FamilyChoosesItsRowAndOtherFamiliesMeanRowZero)
{
    dev()->CreateDefaultFonts();
    Picture largest = frame([] { dev()->DrawTextInFamily(2, 10, "Wg", 100, 100, 255, 255, 255, 255); });
    Picture smallest = frame([] { dev()->DrawTextInFamily(2, 0, "Wg", 100, 100, 255, 255, 255, 255); });
    RECT big = LitBounds(largest), small = LitBounds(smallest);
    EXPECT_GT(big.bottom - big.top, small.bottom - small.top);

    Picture direct = frame([] { dev()->DrawTextAt(0, "Row0", 100, 100, 255, 255, 255, 255); });
    Picture family = frame([] { dev()->DrawTextInFamily(7, 0, "Row0", 100, 100, 255, 255, 255, 255); });
    EXPECT_GT(LitPixels(direct), 20);
    EXPECT_EQ(family.pixels, direct.pixels);
}

TEST_F(TextDrawing, TextWithFontMakesAndDropsAFontPerCall)
{
    const ULONG refs = RefCount(device_->d3d());
    Picture p = frame([] {
        dev()->DrawTextWithFont("GAME OVER", 300, 280, "Impact", 50, 40, 3, 255, 80, 50, 255);
    });
    EXPECT_EQ(RefCount(device_->d3d()), refs);
    EXPECT_GT(CountNear(p, 0xFF5032, kTextTolerance, 300, 280, 800, 340), 50);
    RECT lit = LitBounds(p);
    EXPECT_GE(lit.left, 298);
    EXPECT_GE(lit.top, 280);
}

TEST_F(TextDrawing, OverlongFaceNamesAreCutNotOverrun)
{
    const std::string face(200, 'F');
    Picture p = frame([&] {
        dev()->DrawTextWithFont("Face", 100, 100, face.c_str(), 30, 15, 400, 255, 255, 255, 255);
    });
    EXPECT_GT(LitPixels(p), 20);
    ASSERT_EQ(dev()->CreateFontInSlot(4, face.c_str(), 20, 10, 400, false), D3D_OK);
    D3DXFONT_DESCA desc;
    dev()->m_fontTable[4]->GetDescA(&desc);
    EXPECT_EQ(std::string(desc.FaceName), face.substr(0, 31));
}

TEST_F(TextDrawing, ArialFontsGetListIdsAndScreenScaledSizes)
{
    UINT first = 99, second = 99;
    EXPECT_EQ(dev()->CreateArialFont(0, 400, false, 0, 0, 12, nullptr), OXE_INVALIDPARAM);
    const UINT before = dev()->m_fontCount;
    ASSERT_EQ(dev()->CreateArialFont(0, 400, false, 0, 0, 12, &first), OXE_OK);
    ASSERT_EQ(dev()->CreateArialFont(0, 700, true, 0, 0, 24, &second), OXE_OK);
    EXPECT_EQ(first, before);
    EXPECT_EQ(second, before + 1);
    EXPECT_EQ(dev()->m_fontCount, before + 2);

    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const int h = MulDiv(12, dpi, 72); // 16 on a 96-dpi screen
    D3DXFONT_DESCA desc;
    dev()->m_fontList[first]->GetDescA(&desc);
    EXPECT_EQ(desc.Height, -h);
    EXPECT_EQ(desc.Width, UINT(-(h / 2)));
    EXPECT_EQ(desc.Weight, 400u);
    EXPECT_FALSE(desc.Italic);
    EXPECT_STREQ(desc.FaceName, "Arial");
    dev()->m_fontList[second]->GetDescA(&desc);
    EXPECT_TRUE(desc.Italic);
}

TEST_F(TextDrawing, FormattedTextIsDrawnAsGivenOnOneLine)
{
    UINT id = 0;
    ASSERT_EQ(dev()->CreateArialFont(0, 400, false, 0, 0, 16, &id), OXE_OK);
    EXPECT_EQ(dev()->DrawFormattedText(dev()->m_fontCount, 10, 10, 255, 255, 255, "x"), OXE_INVALIDPARAM);
    EXPECT_EQ(dev()->DrawFormattedText(UINT_MAX, 10, 10, 255, 255, 255, "x"), OXE_INVALIDPARAM);

    // Directives in caller text are shown, never read: no arguments are fetched for them.
    const char* text = "100%d %s %n %%";
    HRESULT height = 0;
    Picture drawn = frame([&] { height = dev()->DrawFormattedText(id, 50, 60, 0, 255, 255, text); });
    ID3DXFont* font = dev()->m_fontList[id];
    RECT measure = {50, 60, 50, 60};
    const int expectedHeight = font->DrawTextA(nullptr, text, -1, &measure, DT_SINGLELINE | DT_CALCRECT, 0);
    Picture direct = frame([&] {
        RECT area = measure;
        font->DrawTextA(nullptr, text, -1, &area, DT_SINGLELINE, 0xFF00FFFF);
    });
    EXPECT_GT(expectedHeight, 10);
    EXPECT_EQ(height, expectedHeight);
    EXPECT_GT(LitPixels(drawn, 48, 60, 400, 60 + expectedHeight), 100);
    EXPECT_EQ(LitPixels(drawn), LitPixels(drawn, 48, 60, 400, 60 + expectedHeight));
    int wrongHue = 0; // drawn in 0xFF00FFFF: no red, green equal to blue
    for (uint32_t px : drawn.pixels) wrongHue += (px & 0xFF0000) != 0 || ((px >> 8) & 0xFF) != (px & 0xFF);
    EXPECT_EQ(wrongHue, 0);
    EXPECT_EQ(drawn.pixels, direct.pixels);
}

// m_fontCount is a public field: set past the font list, drawing, adding and releasing reach
// only the fonts the list holds (past it lay other memory, read and released as fonts before).
TEST(TextRelease, FontCountSetPastTheListReachesOnlyItsFonts)
{
    StartedDevice device;
    ASSERT_TRUE(device.ok());
    OXED3D* dev = device.get();
    IDirect3DDevice9* d3d = device.d3d();
    d3d->AddRef();
    UINT first = 0, second = 0, third = 0;
    ASSERT_EQ(dev->CreateArialFont(0, 400, false, 0, 0, 12, &first), OXE_OK);
    ASSERT_EQ(dev->CreateArialFont(0, 400, false, 0, 0, 14, &second), OXE_OK);
    dev->m_fontCount = 100000;
    EXPECT_EQ(dev->DrawFormattedText(50000, 10, 10, 255, 255, 255, "x"), OXE_INVALIDPARAM);
    ASSERT_EQ(dev->CreateArialFont(0, 400, false, 0, 0, 16, &third), OXE_OK);
    EXPECT_EQ(third, second + 1) << "the new font follows the fonts there are";
    EXPECT_EQ(dev->m_fontCount, second + 2);
    dev->Release();
    EXPECT_EQ(dev->m_fontList, nullptr);
    EXPECT_EQ(d3d->Release(), 0u) << "every font released";
}

TEST(TextRelease, ReleaseFreesEveryFontShaderAndDeclaration)
{
    StartedDevice device;
    ASSERT_TRUE(device.ok());
    OXED3D* dev = device.get();
    IDirect3DDevice9* d3d = device.d3d();
    d3d->AddRef(); // keeps the device object alive past Release to count what still holds it

    ASSERT_EQ(dev->CreateFontInSlot(0, "Impact", 20, 10, 3, false), D3D_OK);
    dev->CreateDefaultFonts();
    UINT id;
    ASSERT_EQ(dev->CreateArialFont(0, 400, false, 0, 0, 12, &id), OXE_OK);
    ASSERT_EQ(dev->LoadPixelShader("ps.1.1\nmov r0, v0\n", 20, false, false, &id), OXE_OK);
    dev->CreateVertexDeclarations();
    ASSERT_NE(g_pOXEParticleDecl, nullptr);

    dev->Release();
    for (UINT i = 0; i < kTableSize; ++i) EXPECT_EQ(dev->m_fontTable[i], nullptr) << i;
    EXPECT_EQ(dev->m_fontList, nullptr);
    EXPECT_EQ(dev->m_fontCount, 0u);
    EXPECT_EQ(dev->m_vertexShaderCount, 0u);
    EXPECT_EQ(dev->m_pixelShaderCount, 0u);
    EXPECT_EQ(dev->m_declUnlit, nullptr);
    EXPECT_EQ(dev->m_declLit, nullptr);
    EXPECT_EQ(g_pOXEParticleDecl, nullptr);
    EXPECT_EQ(g_pOXEPositionDecl, nullptr);
    // Nothing the device made still holds its Direct3D device.
    EXPECT_EQ(d3d->Release(), 0u);
}
