// The game's generated images next to the program: each loads with the D3DX file loader, has the
// size and format the game is laid out for, and draws as expected through geQuad, Sprite2D and
// OXEParticleSystem.
#include "PartsFixture.h"
#include "geQuad.h"
#include "Sprite2D.h"
#include "OXEParticleSystem.h"
#include "OXEResult.h"

using namespace partstest;
using testsupport::Picture;
using testsupport::ProgramFolder;

namespace {

struct BlockImage {
    const char* file;
    uint32_t colour;
};
const BlockImage kBlocks[7] = {
    {"punainen.dds", 0xFFFF0000}, {"harmaa.dds", 0xFF969696},    {"sininen.dds", 0xFF0000FF},
    {"vihrea.dds", 0xFF64C832},   {"keltainen.dds", 0xFF82C814}, {"vsininen.dds", 0xFF1CFFEF},
    {"lila.dds", 0xFFFF1EF0},
};

std::string InProgramFolder(const char* file)
{
    return ProgramFolder() + file;
}

// Reads a file into a system-memory texture at its own size, for looking at its texels.
IDirect3DTexture9* LoadExact(IDirect3DDevice9* device, const char* file)
{
    IDirect3DTexture9* tex = nullptr;
    HRESULT hr = D3DXCreateTextureFromFileExA(
        device, InProgramFolder(file).c_str(), D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1, 0,
        D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr,
        nullptr, &tex);
    return SUCCEEDED(hr) ? tex : nullptr;
}

void ExpectImage(const char* file, UINT width, UINT height)
{
    D3DXIMAGE_INFO info = {};
    ASSERT_TRUE(SUCCEEDED(D3DXGetImageInfoFromFileA(InProgramFolder(file).c_str(), &info))) << file;
    EXPECT_EQ(info.Width, width) << file;
    EXPECT_EQ(info.Height, height) << file;
    EXPECT_EQ(info.Format, D3DFMT_A8R8G8B8) << file;
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_DDS) << file;
}

} // namespace

using ImageFileTest = DeviceTest;

TEST_F(ImageFileTest, BlockTilesAreOpaqueBevelledTilesInTheirKindsColour)
{
    for (const BlockImage& b : kBlocks) {
        ExpectImage(b.file, 25, 25);
        IDirect3DTexture9* tex = LoadExact(device(), b.file);
        ASSERT_NE(tex, nullptr) << b.file;
        uint32_t centre = TexelAt(tex, 12, 12);
        EXPECT_TRUE(Near(centre, b.colour, 40)) << b.file << " centre " << Hex(centre);
        // Lit from the top left: the top bevel is lighter than the bottom one.
        uint32_t top = TexelAt(tex, 12, 2), bottom = TexelAt(tex, 12, 22);
        EXPECT_GT(Red(top) + Green(top) + Blue(top), Red(bottom) + Green(bottom) + Blue(bottom))
            << b.file;
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 25; ++x) ASSERT_EQ(Alpha(TexelAt(tex, x, y)), 255) << b.file;
        tex->Release();
    }
}

TEST_F(ImageFileTest, TorchSpriteIsTransparentAroundAGlowingHeadAt60By20)
{
    ExpectImage("soihtu.dds", 128, 256);
    IDirect3DTexture9* tex = LoadExact(device(), "soihtu.dds");
    ASSERT_NE(tex, nullptr);
    EXPECT_EQ(Alpha(TexelAt(tex, 0, 0)), 0);
    EXPECT_EQ(Alpha(TexelAt(tex, 127, 255)), 0);
    EXPECT_EQ(Alpha(TexelAt(tex, 10, 150)), 0);
    uint32_t head = TexelAt(tex, 60, 20);
    EXPECT_EQ(Alpha(head), 255);
    EXPECT_GT(Red(head), 200) << Hex(head);
    EXPECT_GT(Red(head), Blue(head) + 80) << "a warm glow " << Hex(head);
    EXPECT_EQ(Alpha(TexelAt(tex, 60, 180)), 255) << "the handle";
    tex->Release();

    // Drawn as the game does at (100, 380) on a 1024x768 screen, the head lands at (160, 400),
    // where the flames are emitted; here the same offset from (20, 10).
    Sprite2D torch;
    torch.Create(device(), InProgramFolder("soihtu.dds").c_str());
    torch.x = 20;
    torch.y = 10;
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    torch.Render(device());
    Picture p = endFrame();
    EXPECT_GT(Red(p.at(80, 30)), 200) << Hex(p.at(80, 30));
    EXPECT_EQ(p.rgb(25, 15), 0x000000u) << "transparent corner";
    EXPECT_EQ(p.rgb(140, 200), 0x000000u);
}

TEST_F(ImageFileTest, FlameParticleFadesFromABrightCentreToNothing)
{
    ExpectImage("torch.dds", 32, 32);
    IDirect3DTexture9* tex = LoadExact(device(), "torch.dds");
    ASSERT_NE(tex, nullptr);
    uint32_t centre = TexelAt(tex, 16, 16), corner = TexelAt(tex, 0, 0), edge = TexelAt(tex, 16, 0);
    EXPECT_GT(Alpha(centre), 200);
    EXPECT_GT(Red(centre), 200);
    EXPECT_EQ(Alpha(corner), 0);
    EXPECT_EQ(corner & 0xFFFFFF, 0u) << "dark where transparent, for additive drawing";
    EXPECT_LT(Alpha(edge), 20);
    tex->Release();

    // One flame particle drawn with it: bright in the middle, nothing at the square's corners.
    OXEParticleSystemParams params;
    params.size = params.finalSize = 20;
    params.startColour = params.endColour = 0xFFFFFFFF;
    params.lifeTime = 1;
    OXEParticleSystem flames;
    flames.Create(device(), params, 1, 100, InProgramFolder("torch.dds").c_str());
    ASSERT_NE(flames.texture, nullptr);
    D3DXVECTOR3 at(100, 100, 0);
    flames.SetPosition(at);
    flames.Simulate(0.01f);
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    flames.Render(device());
    Picture p = endFrame();
    EXPECT_GT(Red(p.at(100, 100)), 200) << Hex(p.at(100, 100));
    EXPECT_LT(Red(p.at(82, 82)), 10) << Hex(p.at(82, 82));
    EXPECT_EQ(p.rgb(60, 60), 0x000000u);
}

TEST_F(ImageFileTest, BlockQuadDrawsTheTileAsTheGameSetsItUp)
{
    geQuad block;
    block.doBox(25, 25, 0);
    block.setColor(0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000);
    block.alphaBlend = true;
    block.textured = true;
    ASSERT_EQ(block.CreateTexture(device(), InProgramFolder("punainen.dds").c_str()), OXE_OK);
    block.createGeoBuffers(device());
    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    const int cells[2][2] = {{50, 100}, {75, 100}};
    for (const auto& c : cells) {
        block.setGlobalCoords(c[0], c[1], 0);
        block.RefreshGeoBuffers(device());
        block.Render(device());
    }
    Picture p = endFrame();
    for (const auto& c : cells) {
        uint32_t mid = p.at(c[0] + 12, c[1] + 12);
        EXPECT_TRUE(Near(mid, 0xFF0000, 50)) << Hex(mid);
        EXPECT_EQ(p.count(0x000000, c[0], c[1], c[0] + 25, c[1] + 25), 0) << "tile fills the cell";
    }
    EXPECT_EQ(p.count(0x000000, 0, 0, 320, 100), 320 * 100) << "nothing above the cells";
}
