// Indices, counts and sizes of the parts library one past their range and at the ends of their
// types, null pointers and over-long names: the menu kit, the text cache, the triangle grid,
// surfaces, textures, 3D text, sprites, quads and the screen particles. Each refused call is
// followed by a frame read back from the device, and the valid call shows it would have drawn.
#include "Parts2Test.h"
#include "OXEParticleSystem.h"
#include "OXEResult.h"
#include "OXESurface.h"
#include "OXEText3D.h"
#include "OXETexture.h"
#include "Sprite2D.h"
#include "TriGrid.h"
#include "geQuad.h"
#include "simpleMenu.h"
#include "textCache.h"
#include <gtest/gtest.h>
#include <climits>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace parts2test;
using testsupport::Picture;

namespace {

class PartsLimits : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(D3D(), nullptr); }
    OXED3D* device() { return static_cast<OXED3D*>(Device()); }

    Picture Black(const std::function<void()>& draw)
    {
        BeginFrame(0xFF000000);
        SetPlainView();
        draw();
        return EndFrameAndRead();
    }
};

int Lit(const Picture& p) { return p.width * p.height - p.count(0); }

std::string Long(size_t n, char c) { return std::string(n, c); }

} // namespace

TEST_F(PartsLimits, MenuItemIndicesOutOfRangeAreRefusedAndChangeNothing)
{
    simpleMenu menu(3, 0);
    menu.UpdateMenuItems();
    menu.setMenuPosition(0, 0);
    for (int i = 0; i < 3; ++i) menu.items[i].hidden = false;
    menu.updateMenuItmes(55, 55); // over item 0
    menu.items[2].currentColor = 0xFF102030;
    for (int i : {3, 4, INT_MAX, -1, INT_MIN}) {
        EXPECT_FALSE(menu.isInLabelBounds(i, 55, 55)) << i;
        menu.toggleSelection(i);
    }
    EXPECT_TRUE(menu.isInLabelBounds(0, 55, 55));
    EXPECT_EQ(menu.items[2].currentColor, 0xFF102030u);
    EXPECT_EQ(menu.items[0].currentColor, 0xFF6464C8u);
    EXPECT_EQ(menu.itemCount, 3);

    // Menus of no, a negative and an unmakeable number of items: no items, nothing drawn.
    for (int count : {0, -1, INT_MIN, INT_MAX}) {
        simpleMenu none(count, 0);
        EXPECT_EQ(none.itemCount, 0) << count;
        EXPECT_FALSE(none.isInLabelBounds(0, 55, 55)) << count;
        none.toggleSelection(0);
        none.updateMenuItmes(55, 55);
        none.showPanel = true;
        EXPECT_EQ(Lit(Black([&] { none.Render(device()); })), 0) << count;
    }
    menu.Render(nullptr);
    EXPECT_GT(Lit(Black([&] { menu.Render(device()); })), 0) << "the valid menu draws";
}

TEST_F(PartsLimits, PointerFarFromTheMenuNeverWrapsIntoAnItem)
{
    simpleMenu menu(1, 0);
    menu.UpdateMenuItems(); // item 0 at (50, 50), label 120 x 12
    // The pointer relative to the menu is more than 2^32 pixels to the left of item 0; a 32-bit
    // difference would wrap round to 60 and land on the label.
    menu.setMenuPosition(INT_MAX - 10, 0);
    menu.updateMenuItmes(INT_MIN + 49, 55);
    EXPECT_FALSE(menu.items[0].hover);
    EXPECT_EQ(menu.items[0].currentColor, menu.items[0].normalColor);
    menu.setMenuPosition(INT_MIN, INT_MIN);
    menu.updateMenuItmes(INT_MAX, INT_MAX);
    EXPECT_FALSE(menu.items[0].hover);
    // At the far edges of the int range an item's label still ends where it should.
    menu.items[0].x = INT_MAX - 5;
    EXPECT_TRUE(menu.isInLabelBounds(0, INT_MAX, 55));
    EXPECT_FALSE(menu.isInLabelBounds(0, INT_MIN, 55));
    // The same pointer over the unmoved menu does hover.
    menu.items[0].x = 50;
    menu.setMenuPosition(0, 0);
    menu.updateMenuItmes(60, 55);
    EXPECT_TRUE(menu.items[0].hover);
}

TEST_F(PartsLimits, MenuWithTheLongestLabelAndFontNameStillDrawsItsBox)
{
    simpleMenu menu(1, 0);
    menu.UpdateMenuItems();
    menu.setMenuPosition(0, 0);
    menu.items[0].hidden = false;
    menu.items[0].text = advString(Long(1023, 'W').c_str());
    menu.items[0].fontName = advString(Long(1023, 'F').c_str()); // far past a face name's 32 bytes
    menu.updateMenuItmes(-100, -100);
    Picture p = Black([&] { menu.Render(device()); });
    EXPECT_EQ(p.rgb(54, 54), 0xC864FFu);
    EXPECT_GT(p.count(0xC864FF, 48, 48, 64, 64), 80);
}

TEST_F(PartsLimits, TextCacheCountsOutOfRange)
{
    for (int n : {-1, INT_MIN, 0, INT_MAX}) {
        textCache cache;
        cache.init(n);
        EXPECT_TRUE(cache.ready) << n;
        EXPECT_EQ(cache.EntryCount(), 0) << n;
        if (n <= 0) {
            cache.init(5); // the first size stays: still nothing to empty
            EXPECT_EQ(cache.EntryCount(), 0) << n;
        }
        cache.RenderText(device(), INT_MAX, true);
        cache.RenderText(nullptr, -1, false);
        cache.RenderAllText(nullptr);
    }
    textCache cache;
    cache.init(2);
    cache.entries[0].text = advString("kept?");
    cache.entries[1].text = advString("kept?");
    cache.init(-7); // empties nothing and makes nothing
    EXPECT_EQ(cache.EntryCount(), 2);
    EXPECT_STREQ(cache.entries[0].text.GetString(), "kept?");
    cache.init(INT_MAX); // only its own two entries
    EXPECT_EQ(cache.entries[1].text.AnnaPituus(), 0);
}

TEST_F(PartsLimits, GridSizesPastSixteenBitIndicesOrTheIntRangeAreRefusedWhole)
{
    TriGrid g;
    std::vector<D3DXVECTOR3> verts(3);
    std::vector<DWORD> indices(3);
    const D3DXVECTOR3 centre(0, 0, 0);
    // Sizes that would wrap, or whose lists no 32-bit buffer size holds, leave both lists empty.
    const int sizes[][2] = {{0, 5}, {5, 0}, {-1, 5}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX},
                            {INT_MAX, 1}, {65536, 65536}, {1, 357913942}};
    for (const auto& s : sizes) {
        g.GenTriGrid(s[0], s[1], 1, 1, centre, verts, indices);
        EXPECT_TRUE(verts.empty()) << s[0] << " x " << s[1];
        EXPECT_TRUE(indices.empty()) << s[0] << " x " << s[1];
    }
    g.GenTriGrid(256, 256, 1, 1, centre, verts, indices); // 65536 vertices: the largest buffers
    EXPECT_EQ(verts.size(), 65536u);
    EXPECT_EQ(indices.size(), 255u * 255u * 6u);
    EXPECT_EQ(indices.back(), 65535u);
    g.GenTriGrid(1, 65536, 1, 1, centre, verts, indices); // one row: vertices, no cells
    EXPECT_EQ(verts.size(), 65536u);
    EXPECT_TRUE(indices.empty());
    // The lists have 32-bit indices: past 65536 vertices they are built all the same.
    g.GenTriGrid(257, 256, 1, 1, centre, verts, indices);
    EXPECT_EQ(verts.size(), 65792u);
    EXPECT_EQ(indices.size(), 256u * 255u * 6u);
    EXPECT_EQ(indices.back(), 65791u);
    g.GenTriGrid(65537, 1, 1, 1, centre, verts, indices);
    EXPECT_EQ(verts.size(), 65537u);
    EXPECT_TRUE(indices.empty());

    // 65536 x 65536 is 2^32 vertices, which a 32-bit product wraps round to 0.
    const DWORD bad[][2] = {{65536, 65536}, {0xFFFFFFFF, 0xFFFFFFFF}, {0x80000000, 2}, {2, 0x80000001},
                            {65537, 1}, {0, 0}};
    for (const auto& s : bad) {
        TriGrid refused;
        refused.buildGeoBuffers(D3D(), s[0], s[1]);
        EXPECT_EQ(refused.vertexBuffer, nullptr) << s[0] << " x " << s[1];
        EXPECT_EQ(refused.indexBuffer, nullptr);
        EXPECT_EQ(refused.numVertices, 0u);
        EXPECT_EQ(refused.numTriangles, 0u);
    }
    // One row: its vertices and no triangles.
    TriGrid row;
    row.buildGeoBuffers(D3D(), 1, 65536);
    EXPECT_NE(row.vertexBuffer, nullptr);
    EXPECT_EQ(row.indexBuffer, nullptr);
    EXPECT_EQ(row.numVertices, 65536u);
    EXPECT_EQ(row.numTriangles, 0u);
    // A grid that cannot be built lets the one built before go.
    TriGrid kept;
    kept.buildGeoBuffers(D3D(), 3, 3);
    ASSERT_NE(kept.vertexBuffer, nullptr);
    kept.buildGeoBuffers(D3D(), 65536, 65536);
    EXPECT_EQ(kept.vertexBuffer, nullptr);
    EXPECT_EQ(kept.indexBuffer, nullptr);
    EXPECT_EQ(kept.numVertices, 0u);
    kept.buildGeoBuffers(D3D(), 3, 3);
    ASSERT_NE(kept.vertexBuffer, nullptr);
    kept.buildGeoBuffers(nullptr, 3, 3);
    EXPECT_EQ(kept.vertexBuffer, nullptr);
    EXPECT_EQ(kept.numVertices, 0u);
    D3DXMATRIX view, proj;
    D3DXMatrixIdentity(&view);
    D3DXMatrixIdentity(&proj);
    TriGrid unbuilt;
    EXPECT_EQ(Lit(Black([&] { unbuilt.Render(D3D(), view, proj); })), 0);
}

TEST_F(PartsLimits, SurfaceSizesAndPointersOutOfRange)
{
    OXESurface surface;
    EXPECT_EQ(surface.copyToBackBuffer(), OXE_INVALIDPARAM) << "no surface yet";
    EXPECT_EQ(surface.copyToOtherSurface(nullptr), OXE_INVALIDPARAM);
    const int sizes[][2] = {{0, 16}, {16, 0}, {-1, 16}, {16, INT_MIN}, {INT_MAX, INT_MAX}};
    for (const auto& s : sizes) {
        EXPECT_LT(surface.CreateNewBlankSurface(s[0], s[1]), 0) << s[0] << " x " << s[1];
        EXPECT_EQ(surface.getSurface(), nullptr);
    }
    ASSERT_EQ(surface.CreateNewBlankSurface(32, 32), OXE_OK);
    IDirect3DSurface9* made = surface.getSurface();
    ASSERT_NE(made, nullptr);
    EXPECT_LT(surface.CreateNewBlankSurface(INT_MAX, INT_MAX), 0);
    EXPECT_EQ(surface.getSurface(), made) << "a refused size keeps the surface";
    EXPECT_EQ(surface.copyToOtherSurface(nullptr), OXE_INVALIDPARAM);
    EXPECT_EQ(surface.copyFromOtherSurface(nullptr), OXE_INVALIDPARAM);
    EXPECT_EQ(surface.LoadFromFile(nullptr), OXE_INVALIDPARAM);
    for (size_t n : {size_t(259), size_t(260), size_t(5000)})
        EXPECT_EQ(surface.LoadFromFile(Long(n, 'p').c_str()), OXE_FILENOTFOUND) << n;
    EXPECT_EQ(surface.getSurface(), made);

    // The surface drawn: a white picture loaded into it shows in the top-left corner only.
    ASSERT_TRUE(WriteBmp("al_white.bmp", 32, 32, 0xFFFFFF, 0xFFFFFF));
    ASSERT_EQ(surface.LoadFromFile("al_white.bmp"), OXE_OK);
    Picture p = Black([&] { EXPECT_EQ(surface.copyToBackBuffer(), OXE_OK); });
    EXPECT_EQ(p.count(0xFFFFFF, 0, 0, 32, 32), 32 * 32);
    EXPECT_EQ(Lit(p), 32 * 32);
}

TEST_F(PartsLimits, TextureAndTextNamesAndSizesOutOfRange)
{
    ASSERT_TRUE(WriteBmp("al_tex.bmp", 8, 8, 0x00FF00, 0x00FF00));
    OXETexture texture;
    ASSERT_EQ(texture.Create(D3D(), const_cast<char*>("al_tex.bmp")), OXE_OK);
    IDirect3DTexture9* held = texture.GetTexture();
    EXPECT_EQ(texture.Create(nullptr, const_cast<char*>("al_tex.bmp")), OXE_FAIL);
    EXPECT_EQ(texture.Create(D3D(), nullptr), OXE_FAIL);
    for (size_t n : {size_t(259), size_t(260), size_t(1024), size_t(5000)})
        EXPECT_EQ(texture.Create(D3D(), const_cast<char*>(Long(n, 't').c_str())), OXE_FAIL) << n;
    EXPECT_EQ(texture.GetTexture(), held);
    OXETexture none(nullptr, nullptr);
    EXPECT_EQ(none.GetTexture(), nullptr);

    OXEText3D text;
    char arial[] = "Arial";
    // No device: what D3DX answers for one, and no mesh.
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    ID3DXMesh* none3d = nullptr;
    const HRESULT d3dxNoDevice = D3DXCreateTextA(nullptr, dc, "A", 0.001f, 0.4f, &none3d, nullptr, nullptr);
    DeleteDC(dc);
    ASSERT_LT(d3dxNoDevice, 0);
    EXPECT_EQ(text.CreatD3DXTextMesh(nullptr, arial, advString("A"), 12, 0, 0), d3dxNoDevice);
    // No face: the font machinery takes any face, and the text is made.
    OXEText3D anyFace;
    EXPECT_EQ(anyFace.CreatD3DXTextMesh(D3D(), nullptr, advString("A"), 12, 0, 0), D3D_OK);
    EXPECT_NE(anyFace.mesh, nullptr);
    // A point size past the int range, or one whose pixel height does not fit an int.
    for (DWORD size : {DWORD(0xFFFFFFFF), DWORD(0x80000000), DWORD(INT_MAX)})
        EXPECT_LT(text.CreatD3DXTextMesh(D3D(), arial, advString("A"), size, 0, 0), 0) << size;
    EXPECT_EQ(text.mesh, nullptr);
    EXPECT_EQ(Lit(Black([&] { text.Render(D3D()); })), 0);

    // Face names at, and past, the 32 bytes of a font description are taken without overrun:
    // the font machinery substitutes a face and the text is made.
    for (size_t n : {size_t(31), size_t(32), size_t(33), size_t(1023)}) {
        std::string face = Long(n, 'A');
        OXEText3D t;
        EXPECT_EQ(t.CreatD3DXTextMesh(D3D(), const_cast<char*>(face.c_str()), advString("HI"), 12, 0, 0), D3D_OK) << n;
        EXPECT_NE(t.mesh, nullptr) << n;
    }
    ASSERT_EQ(text.CreatD3DXTextMesh(D3D(), arial, advString("HI"), 12, 1, 0), D3D_OK);
    ID3DXMesh* made = text.mesh;
    EXPECT_LT(text.CreatD3DXTextMesh(D3D(), arial, advString("HI"), 0xFFFFFFFF, 0, 0), 0);
    EXPECT_EQ(text.mesh, made) << "a refused size keeps the mesh made before";
    text.lighting = false;
    EXPECT_GT(Lit(Black([&] { text.Render(D3D()); })), 200);
}

TEST_F(PartsLimits, SpriteQuadAndParticleFileNamesAtAndPastTheStringCapacity)
{
    IDirect3DDevice9* d = D3D();
    for (size_t n : {size_t(259), size_t(1023), size_t(1024), size_t(5000)}) {
        const std::string name = Long(n, 'n');
        Sprite2D sprite;
        sprite.Create(d, advString(name.c_str()));
        EXPECT_EQ(sprite.texture, nullptr) << n;
        geQuad quad;
        EXPECT_EQ(quad.CreateTexture(d, name.c_str()), OXE_FAIL) << n;
        EXPECT_EQ(quad.CreateTextureColorKey(d, name.c_str(), 0xFF000000), OXE_FAIL) << n;
        EXPECT_FALSE(quad.textured);
        OXEParticleSystem sparks;
        OXEParticleSystemParams params = {};
        sparks.Create(d, params, 4, 10, advString(name.c_str()));
        EXPECT_EQ(sparks.texture, nullptr) << n;
        EXPECT_EQ(sparks.count, 4);
        EXPECT_EQ(Lit(Black([&] { sprite.Render(d); })), 0) << n;
    }
    geQuad quad;
    EXPECT_EQ(quad.CreateTexture(d, nullptr), OXE_FAIL);
    EXPECT_EQ(quad.CreateTextureColorKey(d, nullptr, 0), OXE_FAIL);
}

TEST_F(PartsLimits, ParticleCountsAndRatesAtTheEndsOfTheIntRange)
{
    OXEParticleSystemParams params = {};
    params.size = 4;
    params.finalSize = 4;
    params.startColour = params.endColour = 0xFFFFFFFF;
    params.lifeTime = 10;
    params.position = D3DXVECTOR3(200, 200, 0);

    // A pool of INT_MAX particles cannot be made: the system has none and draws nothing.
    OXEParticleSystem huge;
    huge.Create(D3D(), params, INT_MAX, 100, "");
    EXPECT_EQ(huge.count, 0);
    EXPECT_EQ(huge.particles, nullptr);
    huge.Simulate(1.0f);
    EXPECT_EQ(Lit(Black([&] { huge.Render(D3D()); })), 0);

    // The largest rate gives every dead particle life at once; it must not wrap round to a
    // negative budget that gives none.
    OXEParticleSystem fast;
    fast.Create(D3D(), params, 10, INT_MAX, "");
    fast.Simulate(1.0f);
    int alive = 0;
    for (int i = 0; i < fast.count; ++i) alive += fast.particles[i].age < 1.0f;
    EXPECT_EQ(alive, 10);
    EXPECT_GT(Lit(Black([&] { fast.Render(D3D()); })), 0);

    // An endless step, or one that is not a number, neither wraps nor poisons later steps.
    OXEParticleSystem odd;
    odd.Create(D3D(), params, 3, 10, "");
    odd.Simulate(INFINITY);
    alive = 0;
    for (int i = 0; i < odd.count; ++i) alive += odd.particles[i].age < 1.0f;
    EXPECT_EQ(alive, 3);
    EXPECT_TRUE(std::isfinite(odd.carry));
    OXEParticleSystem later;
    later.Create(D3D(), params, 3, 10, "");
    later.Simulate(NAN);
    EXPECT_TRUE(std::isfinite(later.carry));
    later.Simulate(0.1f); // 10 per second: one birth
    alive = 0;
    for (int i = 0; i < later.count; ++i) alive += later.particles[i].age < 1.0f;
    EXPECT_EQ(alive, 1);

    // Negative rates give no births.
    OXEParticleSystem backwards;
    backwards.Create(D3D(), params, 3, INT_MIN, "");
    backwards.Simulate(1.0f);
    EXPECT_EQ(Lit(Black([&] { backwards.Render(D3D()); })), 0);
}
