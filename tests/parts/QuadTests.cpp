// geQuad on a real device: placement in screen pixels, colours, translucency, textures (plain,
// colour-keyed, missing), moving by refreshing the vertex buffer, and copies.
#include "PartsFixture.h"
#include "geQuad.h"
#include "OXEResult.h"

using namespace partstest;
using testsupport::Picture;

namespace {

// A quad at (x, y) of w x h in one colour, buffers made.
void MakeBox(geQuad& q, IDirect3DDevice9* device, int x, int y, int w, int h, DWORD colour)
{
    q.doBox(w, h, 0);
    q.setGlobalCoords(x, y, 0);
    q.setColor(colour, colour, colour, colour);
    q.createGeoBuffers(device);
}

// Four-quadrant texture: red top-left, green top-right, blue bottom-left, white bottom-right.
IDirect3DTexture9* QuadrantTexture(IDirect3DDevice9* device)
{
    return MakeTexture(device, 32, 32, [](int x, int y) -> uint32_t {
        if (y < 16) return x < 16 ? 0xFFFF0000u : 0xFF00FF00u;
        return x < 16 ? 0xFF0000FFu : 0xFFFFFFFFu;
    });
}

} // namespace

using QuadTest = DeviceTest;

TEST_F(QuadTest, BoxCoversExactlyItsPixelsWithTheCornerLayoutAndUvs)
{
    geQuad q;
    q.doBox(25, 25, 0);
    EXPECT_EQ(q.getWidth(), 25);
    EXPECT_EQ(q.getHeight(), 25);
    q.setGlobalCoords(100, 200, 0);
    q.setColor(0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0xFF00FF00);
    q.createGeoBuffers(device());
    ASSERT_NE(q.vertexBuffer, nullptr);
    ASSERT_NE(q.indexBuffer, nullptr);

    // The vertex buffer holds the four corners as pre-transformed 28-byte vertices.
    D3DVERTEXBUFFER_DESC vd;
    q.vertexBuffer->GetDesc(&vd);
    EXPECT_EQ(vd.Size, 112u);
    EXPECT_EQ(vd.FVF, 0x144u);
    struct V { float x, y, z, rhw; DWORD c; float u, v; };
    V* v = nullptr;
    ASSERT_TRUE(SUCCEEDED(q.vertexBuffer->Lock(0, 0, reinterpret_cast<void**>(&v), D3DLOCK_READONLY)));
    const float expect[4][4] = {{100, 200, 0, 0}, {125, 225, 1, 1}, {100, 225, 0, 1}, {125, 200, 1, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v[i].x, expect[i][0]) << "corner " << i + 1;
        EXPECT_EQ(v[i].y, expect[i][1]) << "corner " << i + 1;
        EXPECT_EQ(v[i].rhw, 1.0f);
        EXPECT_EQ(v[i].c, 0xFF00FF00u);
        EXPECT_EQ(v[i].u, expect[i][2]) << "corner " << i + 1;
        EXPECT_EQ(v[i].v, expect[i][3]) << "corner " << i + 1;
    }
    q.vertexBuffer->Unlock();

    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    q.Render(device());
    Picture p = endFrame();
    EXPECT_EQ(p.count(0x00FF00, 100, 200, 125, 225), 25 * 25);
    EXPECT_EQ(p.count(0x00FF00), 25 * 25) << "nothing outside the box";
}

TEST_F(QuadTest, PanelSizesAndFreeCornersFollowTheirPoints)
{
    geQuad panel;
    panel.doBox(400, 260, 0);
    EXPECT_EQ(panel.getWidth(), 400);
    EXPECT_EQ(panel.getHeight(), 260);

    // A quad given point by point, as the game's well is: corners (0,0) (60,50) (0,50) (60,0).
    geQuad q;
    q.setPoint1(0, 0, 0);
    q.setPoint2(60, 50, 0);
    q.setPoint3(0, 50, 0);
    q.setPoint4(60, 0, 0);
    q.setGlobalCoords(10, 20, 0);
    q.setColor(0xFFFFFF00, 0xFFFFFF00, 0xFFFFFF00, 0xFFFFFF00);
    q.createGeoBuffers(device());
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    q.Render(device());
    Picture p = endFrame();
    EXPECT_EQ(p.count(0xFFFF00), 60 * 50);
    EXPECT_EQ(p.count(0xFFFF00, 10, 20, 70, 70), 60 * 50);
}

TEST_F(QuadTest, CornerColoursAreInterpolatedAcrossTheQuad)
{
    // Left corners (1 and 3) opaque red, right corners (2 and 4) opaque blue.
    geQuad q;
    q.doBox(200, 40, 0);
    q.setGlobalCoords(50, 50, 0);
    q.setColor(0xFFFF0000, 0xFF0000FF, 0xFFFF0000, 0xFF0000FF);
    q.createGeoBuffers(device());
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    q.Render(device());
    Picture p = endFrame();
    uint32_t left = p.at(51, 70), middle = p.at(150, 70), right = p.at(248, 70);
    EXPECT_GT(Red(left), 240) << Hex(left);
    EXPECT_LT(Blue(left), 15) << Hex(left);
    EXPECT_GT(Blue(right), 240) << Hex(right);
    EXPECT_LT(Red(right), 15) << Hex(right);
    EXPECT_NEAR(Red(middle), 128, 10) << Hex(middle);
    EXPECT_NEAR(Blue(middle), 128, 10) << Hex(middle);
}

TEST_F(QuadTest, TranslucentQuadBlendsOverTheBackgroundUnlessBlendingIsOff)
{
    geQuad q;
    MakeBox(q, device(), 20, 20, 40, 40, 0x80FF0000); // red at alpha 128
    beginFrame(D3DCOLOR_XRGB(255, 255, 255));
    q.Render(device());
    Picture blended = endFrame();
    uint32_t c = blended.at(40, 40);
    EXPECT_GT(Red(c), 245) << Hex(c);
    EXPECT_NEAR(Green(c), 127, 4) << Hex(c);
    EXPECT_NEAR(Blue(c), 127, 4) << Hex(c);

    q.alphaBlend = false;
    beginFrame(D3DCOLOR_XRGB(255, 255, 255));
    q.Render(device());
    Picture opaque = endFrame();
    EXPECT_EQ(opaque.rgb(40, 40), 0xFF0000u);
    DWORD state = TRUE;
    device()->GetRenderState(D3DRS_ALPHABLENDENABLE, &state);
    EXPECT_EQ(state, DWORD(FALSE));
}

TEST_F(QuadTest, TextureIsMappedOnceUprightAndTheStageIsEmptiedAfterwards)
{
    geQuad q;
    q.texture = QuadrantTexture(device());
    ASSERT_NE(q.texture, nullptr);
    q.textured = true;
    // The diffuse colour does not tint a textured quad; its alpha still scales the texture's.
    MakeBox(q, device(), 100, 60, 64, 64, 0xFF123456);
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    q.Render(device());
    Picture p = endFrame();
    EXPECT_EQ(p.rgb(110, 70), 0xFF0000u);
    EXPECT_EQ(p.rgb(154, 70), 0x00FF00u);
    EXPECT_EQ(p.rgb(110, 114), 0x0000FFu);
    EXPECT_EQ(p.rgb(154, 114), 0xFFFFFFu);
    EXPECT_EQ(p.count(0x000000, 100, 60, 164, 124), 0);

    IDirect3DBaseTexture9* bound = reinterpret_cast<IDirect3DBaseTexture9*>(1);
    device()->GetTexture(0, &bound);
    EXPECT_EQ(bound, nullptr);
    if (bound) bound->Release();
}

TEST_F(QuadTest, MissingTextureFileFailsAndTheQuadStillDrawsItsColour)
{
    geQuad q;
    q.textured = true; // the game sets it before loading
    EXPECT_EQ(q.CreateTexture(device(), "no-such-image.dds"), OXE_FAIL);
    EXPECT_FALSE(q.textured);
    EXPECT_EQ(q.texture, nullptr);
    EXPECT_EQ(q.CreateTextureColorKey(device(), "no-such-image.dds", 0xFFFF00FF), OXE_FAIL);
    EXPECT_FALSE(q.textured);

    MakeBox(q, device(), 30, 30, 20, 20, 0xFF3366CC);
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    q.Render(device());
    Picture p = endFrame();
    EXPECT_EQ(p.count(0x3366CC, 30, 30, 50, 50), 400) << Hex(p.at(40, 40));
}

TEST_F(QuadTest, LoadedTextureFileDrawsAndReplacesAnEarlierOne)
{
    // Left half yellow, right half cyan, 16x16.
    ASSERT_TRUE(WriteDdsFile("halves.dds", 16, 16, [](int x, int) -> uint32_t {
        return x < 8 ? 0xFFFFFF00u : 0xFF00FFFFu;
    }));
    geQuad q;
    ASSERT_EQ(q.CreateTexture(device(), "halves.dds"), OXE_OK);
    IDirect3DTexture9* first = q.texture;
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(q.textured);
    first->AddRef();
    ASSERT_EQ(q.CreateTexture(device(), "halves.dds"), OXE_OK);
    EXPECT_EQ(first->Release(), 0u) << "the replaced texture was released";

    MakeBox(q, device(), 0, 0, 64, 32, 0xFFFFFFFF);
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    q.Render(device());
    Picture p = endFrame();
    EXPECT_EQ(p.rgb(10, 16), 0xFFFF00u);
    EXPECT_EQ(p.rgb(54, 16), 0x00FFFFu);
}

TEST_F(QuadTest, ColourKeyedTextureDrawsWithTheKeyedPixelsTransparent)
{
    // Magenta frame of 4 pixels round a green centre.
    ASSERT_TRUE(WriteDdsFile("keyed.dds", 16, 16, [](int x, int y) -> uint32_t {
        bool frame = x < 4 || y < 4 || x >= 12 || y >= 12;
        return frame ? 0xFFFF00FFu : 0xFF00FF00u;
    }));
    geQuad q;
    ASSERT_EQ(q.CreateTextureColorKey(device(), "keyed.dds", 0xFFFF00FF), OXE_OK);
    ASSERT_TRUE(q.textured);
    D3DSURFACE_DESC desc;
    q.texture->GetLevelDesc(0, &desc);
    EXPECT_NE(desc.Pool, D3DPOOL_SYSTEMMEM) << "the device cannot draw system-memory textures";
    EXPECT_EQ(Alpha(TexelAt(q.texture, 0, 0)), 0);
    EXPECT_EQ(Alpha(TexelAt(q.texture, 8, 8)), 255);

    MakeBox(q, device(), 40, 40, 64, 64, 0xFFFFFFFF);
    beginFrame(D3DCOLOR_XRGB(0, 0, 80));
    q.Render(device());
    Picture p = endFrame();
    EXPECT_EQ(p.rgb(72, 72), 0x00FF00u) << "centre of the image";
    EXPECT_EQ(p.rgb(44, 44), 0x000050u) << "keyed frame shows the background";
    EXPECT_EQ(p.rgb(100, 72), 0x000050u);
    EXPECT_EQ(p.count(0xFF00FF), 0) << "no key colour reaches the screen";
}

TEST_F(QuadTest, OneQuadMovedAndRefreshedDrawsAtEveryPlaceInOneFrame)
{
    geQuad q;
    MakeBox(q, device(), 0, 0, 25, 25, 0xFFFF0000);
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    const int places[3][2] = {{10, 10}, {100, 50}, {200, 150}};
    for (const auto& at : places) {
        q.setGlobalCoords(at[0], at[1], 0);
        q.RefreshGeoBuffers(device());
        q.Render(device());
    }
    Picture p = endFrame();
    for (const auto& at : places)
        EXPECT_EQ(p.count(0xFF0000, at[0], at[1], at[0] + 25, at[1] + 25), 625)
            << at[0] << "," << at[1];
    EXPECT_EQ(p.count(0xFF0000), 3 * 625);
}

TEST_F(QuadTest, QuadWithoutBuffersDrawsNothing)
{
    geQuad q;
    q.doBox(50, 50, 0);
    q.setColor(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    q.RefreshGeoBuffers(device());
    q.Render(device());
    Picture p = endFrame();
    EXPECT_EQ(p.count(0x000000), p.width * p.height);
}

TEST_F(QuadTest, CopiesOwnTheirBuffersAndShareTheTextureSafely)
{
    IDirect3DTexture9* tex = QuadrantTexture(device());
    ASSERT_NE(tex, nullptr);
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    {
        geQuad original;
        original.texture = tex;
        original.textured = true;
        tex->AddRef(); // the quad's own reference
        MakeBox(original, device(), 0, 0, 32, 32, 0xFFFFFFFF);
        {
            geQuad copy(original);
            EXPECT_NE(copy.vertexBuffer, nullptr);
            EXPECT_NE(copy.vertexBuffer, original.vertexBuffer);
            EXPECT_NE(copy.indexBuffer, original.indexBuffer);
            EXPECT_EQ(copy.texture, tex);
            EXPECT_EQ(RefCount(tex), 3u);
            // The copy moves on its own.
            copy.setGlobalCoords(100, 0, 0);
            copy.RefreshGeoBuffers(device());
            copy.Render(device());

            geQuad assigned;
            MakeBox(assigned, device(), 0, 0, 5, 5, 0xFF000000);
            assigned = copy;
            assigned = assigned;
            EXPECT_EQ(assigned.x, 100);
            EXPECT_EQ(RefCount(tex), 4u);
        }
        EXPECT_EQ(RefCount(tex), 2u);
        // The original still draws after its copies are gone.
        original.Render(device());

        // A copy of a quad that never got buffers has none either, and draws nothing.
        geQuad bare;
        geQuad bareCopy(bare);
        EXPECT_EQ(bareCopy.vertexBuffer, nullptr);
        EXPECT_EQ(bareCopy.indexBuffer, nullptr);
    }
    EXPECT_EQ(RefCount(tex), 1u) << "the quad released its texture reference";
    Picture p = endFrame();
    EXPECT_EQ(p.rgb(5, 5), 0xFF0000u);
    EXPECT_EQ(p.rgb(105, 5), 0xFF0000u);
    EXPECT_EQ(p.rgb(125, 25), 0xFFFFFFu);
    tex->Release();
}
