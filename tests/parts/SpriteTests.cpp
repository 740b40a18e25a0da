// Sprite2D on a real device: placement, alpha, scaling (with the position scaled too), rotation,
// the fixed, absolute, relative and full-screen variants, z testing restored, missing files.
#include "PartsFixture.h"
#include "Sprite2D.h"

using namespace partstest;
using testsupport::Picture;

namespace {

const uint32_t kBackground = 0x203040;

// A 32x16 image: left half red at alpha 0 (invisible when blended), right half opaque green.
const char* HalvesFile()
{
    static bool written = WriteDdsFile("sprite-halves.dds", 32, 16, [](int x, int) -> uint32_t {
        return x < 16 ? 0x00FF0000u : 0xFF00FF00u;
    });
    return written ? "sprite-halves.dds" : "";
}

// A 16x16 opaque image: top half yellow, bottom half blue.
const char* TopBottomFile()
{
    static bool written = WriteDdsFile("sprite-topbottom.dds", 16, 16, [](int, int y) -> uint32_t {
        return y < 8 ? 0xFFFFFF00u : 0xFF0000FFu;
    });
    return written ? "sprite-topbottom.dds" : "";
}

// Bounding box of the pixels near one colour ({x0, y0, x1, y1}, exclusive ends; zeros when
// none) and their number. The sprite's texture is filtered, so where two colours of the image
// meet, the screen pixel on the seam is a mix of both and belongs to neither.
struct Bounds {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    int count = 0;
};
Bounds Find(const Picture& p, uint32_t rgb)
{
    Bounds b;
    b.x0 = p.width;
    b.y0 = p.height;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (Near(p.at(x, y), rgb, 8)) {
                b.x0 = std::min(b.x0, x);
                b.y0 = std::min(b.y0, y);
                b.x1 = std::max(b.x1, x + 1);
                b.y1 = std::max(b.y1, y + 1);
                ++b.count;
            }
    if (b.count == 0) b = Bounds();
    return b;
}

// Each edge within slack pixels (seams and scaled filtering), and the rectangle filled.
void ExpectBounds(const Bounds& b, int x0, int y0, int x1, int y1, int slack = 1)
{
    EXPECT_NEAR(b.x0, x0, slack);
    EXPECT_NEAR(b.y0, y0, slack);
    EXPECT_NEAR(b.x1, x1, slack);
    EXPECT_NEAR(b.y1, y1, slack);
    EXPECT_EQ(b.count, (b.x1 - b.x0) * (b.y1 - b.y0)) << "solid rectangle";
}

} // namespace

using SpriteTest = DeviceTest;

TEST_F(SpriteTest, FreshSpriteDrawsUnscaledAtItsPositionWithTheTextureAlpha)
{
    Sprite2D s;
    EXPECT_EQ(s.scale, 1.0f);
    s.Create(device(), HalvesFile());
    ASSERT_NE(s.sprite, nullptr);
    ASSERT_NE(s.texture, nullptr);
    s.x = 40;
    s.y = 30;
    beginFrame(D3DCOLOR_XRGB(0x20, 0x30, 0x40));
    s.Render(device());
    Picture p = endFrame();
    ExpectBounds(Find(p, 0x00FF00), 56, 30, 72, 46);
    EXPECT_GE(p.count(kBackground, 40, 30, 56, 46), 15 * 16) << "alpha 0 half is invisible";
    EXPECT_EQ(p.count(0xFF0000), 0);
    DWORD z = FALSE;
    device()->GetRenderState(D3DRS_ZENABLE, &z);
    EXPECT_EQ(z, DWORD(TRUE)) << "z testing is back on after drawing";
}

TEST_F(SpriteTest, NoAlphaBlendVariantIgnoresTheTextureAlpha)
{
    Sprite2D s;
    s.Create(device(), HalvesFile());
    s.x = 10;
    s.y = 10;
    beginFrame(D3DCOLOR_XRGB(0x20, 0x30, 0x40));
    s.RenderNoAlphaBlend(device());
    Picture p = endFrame();
    ExpectBounds(Find(p, 0xFF0000), 10, 10, 26, 26);
    ExpectBounds(Find(p, 0x00FF00), 26, 10, 42, 26);
}

TEST_F(SpriteTest, ScaleAppliesToSizeAndPosition)
{
    Sprite2D s;
    s.Create(device(), TopBottomFile());
    s.x = 20;
    s.y = 10;
    s.scale = 2.0f;
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    s.Render(device());
    Picture p = endFrame();
    // Position (20, 10) scaled to (40, 20); 16x16 scaled to 32x32.
    ExpectBounds(Find(p, 0xFFFF00), 40, 20, 72, 36);
    ExpectBounds(Find(p, 0x0000FF), 40, 36, 72, 52);
}

TEST_F(SpriteTest, AlphaVariantFadesAndRotatesAboutTheSpriteCentre)
{
    Sprite2D s;
    s.Create(device(), TopBottomFile());
    s.x = 100;
    s.y = 100;
    s.width = 16;
    s.height = 16;

    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    s.RenderAlphaBlend(device(), 0);
    Picture none = endFrame();
    EXPECT_EQ(none.count(0x000000), none.width * none.height) << "alpha 0 is fully transparent";

    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    s.RenderAlphaBlend(device(), 255);
    Picture full = endFrame();
    ExpectBounds(Find(full, 0xFFFF00), 100, 100, 116, 108);

    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    s.RenderAlphaBlend(device(), 128);
    Picture half = endFrame();
    uint32_t c = half.at(108, 104);
    EXPECT_NEAR(Red(c), 128, 3) << Hex(c);
    EXPECT_NEAR(Green(c), 128, 3) << Hex(c);

    // Half a turn about (108, 108): the image stays in place, upside down.
    s.rotation = float(M_PI);
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    s.RenderAlphaBlend(device(), 255);
    Picture turned = endFrame();
    ExpectBounds(Find(turned, 0x0000FF), 100, 100, 116, 108);
    ExpectBounds(Find(turned, 0xFFFF00), 100, 108, 116, 116);
}

TEST_F(SpriteTest, FixedAbsoluteRelativeAndFullScreenVariantsScaleByTheirFactors)
{
    Sprite2D s;
    s.Create(device(), TopBottomFile());
    s.x = 10;
    s.y = 20;
    s.width = 2;
    s.height = 3;

    // Fixed: factors (2, 3), no centre, so the position scales to (20, 60).
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    s.RenderFixed(device());
    Picture fixed = endFrame();
    ExpectBounds(Find(fixed, 0xFFFF00), 20, 60, 52, 84, 2);

    // Absolute: factors (2, 3) about the position, which stays at (10, 20).
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    s.RenderAbs(device(), 999.0f, 999.0f);
    Picture abs = endFrame();
    ExpectBounds(Find(abs, 0xFFFF00), 10, 20, 42, 44, 2);

    // Relative: (sx / width, sy / width) = (4 / 2, 6 / 2) about the position.
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    s.RenderRel(device(), 4.0f, 6.0f);
    Picture rel = endFrame();
    ExpectBounds(Find(rel, 0xFFFF00), 10, 20, 42, 44, 2);

    // Full screen: (width / screen width, height / screen height) = (640 / 320, 480 / 240).
    s.x = 0;
    s.y = 0;
    s.width = 640;
    s.height = 480;
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    s.RenderFullscreen(device(), 320, 240);
    Picture full = endFrame();
    ExpectBounds(Find(full, 0xFFFF00), 0, 0, 32, 16);
    ExpectBounds(Find(full, 0x0000FF), 0, 16, 32, 32);
}

TEST_F(SpriteTest, DegenerateFactorsAndMissingFilesDrawNothingAndRestoreZ)
{
    Sprite2D s;
    s.Create(device(), TopBottomFile());
    s.width = 0;
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    s.RenderRel(device(), 4.0f, 4.0f);
    s.RenderFullscreen(device(), 0, 0);
    Picture p = endFrame();
    EXPECT_EQ(p.count(0x000000), p.width * p.height);

    Sprite2D missing;
    missing.Create(device(), "no-such-sprite.dds");
    EXPECT_NE(missing.sprite, nullptr);
    EXPECT_EQ(missing.texture, nullptr);
    device()->SetRenderState(D3DRS_ZENABLE, FALSE);
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    missing.Render(device());
    missing.RenderAlphaBlend(device(), 255);
    Picture q = endFrame();
    EXPECT_EQ(q.count(0x000000), q.width * q.height);
    DWORD z = FALSE;
    device()->GetRenderState(D3DRS_ZENABLE, &z);
    EXPECT_EQ(z, DWORD(TRUE));
}

TEST_F(SpriteTest, CopiesAndRecreationKeepReferencesBalanced)
{
    Sprite2D s;
    s.Create(device(), TopBottomFile());
    IDirect3DTexture9* tex = s.texture;
    tex->AddRef();
    {
        Sprite2D copy(s);
        EXPECT_EQ(copy.texture, tex);
        EXPECT_EQ(RefCount(tex), 3u);
        copy.x = 50;
        beginFrame(D3DCOLOR_XRGB(0, 0, 0));
        copy.Render(device());
        Picture p = endFrame();
        ExpectBounds(Find(p, 0xFFFF00), 50, 0, 66, 8);
    }
    EXPECT_EQ(RefCount(tex), 2u);
    s.Create(device(), TopBottomFile()); // a second Create replaces the first texture
    EXPECT_EQ(tex->Release(), 0u);
}
