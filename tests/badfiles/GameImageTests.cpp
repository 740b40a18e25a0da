// The nine images the game loads, each in turn missing, empty, cut after its header, cut after
// half its pixels, or another picture format under the .dds name. The game's own creation steps
// load them from the working folder, a whole frame is drawn on a real render device and read
// back: the bad image's quad, sprite or flames fall back as they do for a missing file, and the
// rest of the frame is exactly the frame of the good images.
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <string>
#include "BadFileSupport.h"
#include "Camera.h"
#include "GamePresentation.h"
#include "GameState.h"
#include "OXED3D.h"
#include "OXEResult.h"
#include "TestDevice.h"

using namespace badfiles;
using testsupport::Picture;

namespace {

const char* const kImages[9] = {
    "punainen.dds", "harmaa.dds", "sininen.dds", "vihrea.dds", "keltainen.dds",
    "vsininen.dds", "lila.dds", "soihtu.dds", "torch.dds",
};
const int kSprite = 7, kFlame = 8;

enum Variant { Good, Missing, Empty, HeaderOnly, HalfPixels, BmpRenamed, TgaRenamed };
const char* const kVariantNames[] = {"good", "missing", "empty", "header only", "half the pixels",
                                     "a BMP under the .dds name", "a TGA under the .dds name"};

const uint32_t kOtherPictureColour = 0x40FF80; // the colour of the BMP and TGA stand-ins
const int kDdsHeader = 128;                     // magic and surface header

// Width and height of one of the game's DDS images, from its header.
void DdsSize(const std::string& dds, int& width, int& height)
{
    uint32_t h = 0, w = 0;
    memcpy(&h, dds.data() + 12, 4);
    memcpy(&w, dds.data() + 16, 4);
    width = int(w);
    height = int(h);
}

// The bytes of an image file in the given variant (never called for Missing).
std::string ImageBytes(int image, Variant v)
{
    const std::string good = Read(testsupport::ProgramFolder() + kImages[image]);
    int w = 0, h = 0;
    if (good.size() >= kDdsHeader) DdsSize(good, w, h);
    switch (v) {
    case Empty: return std::string();
    case HeaderOnly: return Cut(good, kDdsHeader);
    case HalfPixels: return Cut(good, kDdsHeader + (good.size() - kDdsHeader) / 2);
    case BmpRenamed: return BitmapBytes(MakeBitmap(w, h, kOtherPictureColour));
    case TgaRenamed: return TgaBytes(w, h, kOtherPictureColour);
    default: return good;
    }
}

// Regions of the frame that show one image (x0, y0, x1, y1). The blocks of kinds 0..6 lie at
// columns 0..6 of the bottom row; kind 0 is also the all-zero falling piece at the top left.
// The flames burn around the torch heads at (160, 400) and (860, 400).
std::vector<RECT> ImageRegions(int image, int originX, int originY)
{
    if (image == kSprite) return {RECT{100, 380, 228, 636}, RECT{800, 380, 928, 636}};
    if (image == kFlame) return {RECT{110, 330, 210, 450}, RECT{810, 330, 910, 450}};
    std::vector<RECT> r;
    r.push_back(RECT{originX + image * 25, originY + 600, originX + image * 25 + 25, originY + 625});
    if (image == 0) r.push_back(RECT{originX, originY, originX + 25, originY + 25});
    return r;
}

// One render device on a 1024 x 768 window for the whole group, started as the game starts it.
class GameImages : public ::testing::Test {
protected:
    static OXED3D*& Device()
    {
        static OXED3D* device = nullptr;
        if (!device) {
            static testsupport::TestWindow* window = new testsupport::TestWindow(1024, 768, "BadGameImages");
            device = new OXED3D(GetModuleHandleA(nullptr)); // this copy's current device
            if (device->Init(window->handle(), 16, 8, false, true) < 0) return device;
            device->InitStage(0.8f, nullptr, 0);
            device->CreateFontInSlot(0, "Impact", 20, 10, 3, false);
            device->CreateFontInSlot(1, "Impact", 30, 15, 2, false);
        }
        return device;
    }
    static IDirect3DDevice9* D3D() { return Device()->GetD3DDevice(); }

    void SetUp() override { ASSERT_NE(D3D(), nullptr); }

    // The game state of the pictures: nothing but one settled block of every kind in the
    // bottom row; the menu covers the flames except when the flames are under test.
    static void SetUpGame(bool flamesShown)
    {
        game.gameOver = false;
        game.menuShown = !flamesShown;
        for (Cell& cell : game.board.cells) {
            cell.occupied = false;
            cell.kind = 0;
        }
        for (int kind = 0; kind < 7; ++kind) {
            Cell& cell = game.board.cells[kind * 25 + 24];
            cell.occupied = true;
            cell.kind = kind;
        }
        game.current = Piece();
        game.score = 0;
        game.originX = (int(Device()->GetScreenWidth()) - 300) / 2;
        game.originY = 100;
    }

    // Builds the game's graphic objects in a folder holding the images (one of them in the
    // given variant), draws one frame and reads it back. `inspect` sees the objects before
    // they are destroyed.
    Picture Scene(int image, Variant v, const std::function<void(GameGraphics&)>& inspect = nullptr)
    {
        WorkFolder folder(std::string("images_") + std::to_string(image) + "_" + std::to_string(int(v)));
        for (int i = 0; i < 9; ++i) {
            DeleteFileA(kImages[i]);
            if (i == image && v == Missing) continue;
            EXPECT_TRUE(Write(kImages[i], ImageBytes(i, i == image ? v : Good)));
        }
        SetUpGame(image == kFlame);
        std::unique_ptr<GameGraphics> graphics(new GameGraphics());
        CreateBlockQuads(D3D(), *graphics);
        CreateSceneObjects(D3D(), camera_, *graphics);
        // Flames need time to grow: 0.1 s of simulation gives about ten particles.
        for (int i = 0; i < 200; ++i) graphics->flames.Simulate(0.0005f);

        DrawScene(D3D(), *graphics);
        D3D()->EndScene();
        Picture picture;
        testsupport::ReadBackBuffer(D3D(), picture);
        D3D()->BeginScene();
        Device()->EndFrame();
        if (inspect) inspect(*graphics);
        return picture;
    }

    // Whether the game's objects hold the image's texture.
    static bool Loaded(const GameGraphics& g, int image)
    {
        if (image == kSprite) return g.torchSprite.texture != nullptr;
        if (image == kFlame) return g.flames.texture != nullptr;
        return g.blockQuads[image].textured && g.blockQuads[image].texture != nullptr;
    }

    Camera camera_;
};

} // namespace

TEST_F(GameImages, BadImageFilesBehaveAsAMissingFileOrShowThePictureTheyHold)
{
    // D3DX refuses a DDS file cut anywhere before its last pixel, but it reads a picture by its
    // content, not by its name: a BMP or TGA under the .dds name loads and is drawn as itself.
    const Picture good = Scene(0, Good);
    const Picture goodWithFlames = Scene(kFlame, Good);
    ASSERT_EQ(good.width, 1024);
    for (int image = 0; image < 9; ++image) {
        SCOPED_TRACE(kImages[image]);
        const std::vector<RECT> regions = ImageRegions(image, game.originX, game.originY);
        const Picture& reference = image == kFlame ? goodWithFlames : good;
        // A missing file: the object falls back, and only the image's own places change.
        bool missingLoaded = true;
        const Picture missing = Scene(image, Missing, [&](GameGraphics& g) { missingLoaded = Loaded(g, image); });
        EXPECT_FALSE(missingLoaded);
        if (image != kFlame) { // the flames differ anyway from frame to frame
            EXPECT_EQ(0, CountDiff(missing, reference, regions)) << "outside the image's places";
            EXPECT_GT(CountDiff(missing, reference), 20) << "the image's places changed";
        }
        // A TGA stand-in for one block, the sprite and the flames; BMP stand-ins for all.
        std::vector<Variant> variants = {Empty, HeaderOnly, HalfPixels, BmpRenamed};
        if (image == 0 || image >= kSprite) variants.push_back(TgaRenamed);
        for (Variant v : variants) {
            SCOPED_TRACE(std::string(kImages[image]) + ": " + kVariantNames[v]);
            const bool otherFormat = v == BmpRenamed || v == TgaRenamed;
            bool loaded = !otherFormat;
            const Picture p = Scene(image, v, [&](GameGraphics& g) { loaded = Loaded(g, image); });
            ASSERT_EQ(p.width, 1024);
            EXPECT_EQ(otherFormat, loaded);
            // Outside the image's own places the frame is the frame of the good images.
            EXPECT_EQ(0, CountDiff(p, reference, regions));
            if (image == kFlame) {
                // The flames burn either way, textured or (as for a missing file) untextured.
                for (const RECT& r : regions)
                    EXPECT_GT(CountNot(p, 0, r.left, r.top, r.right, r.bottom), 30) << "flames drawn";
                continue;
            }
            if (!otherFormat) {
                EXPECT_EQ(0, CountDiff(p, missing)) << "drawn as for a missing file";
                continue;
            }
            // The picture the file holds, one colour, over the image's whole place.
            for (const RECT& r : regions) {
                const int area = (r.right - r.left) * (r.bottom - r.top);
                EXPECT_EQ(0, CountNot(p, kOtherPictureColour, r.left, r.top, r.right, r.bottom))
                    << "of " << area << " pixels at " << r.left << "," << r.top;
            }
        }
    }
}

TEST_F(GameImages, LoadersReportTheBadBlockImageInTheirResult)
{
    WorkFolder folder("images_results");
    for (Variant v : {Empty, HeaderOnly, HalfPixels}) {
        SCOPED_TRACE(kVariantNames[v]);
        ASSERT_TRUE(Write("bad.dds", ImageBytes(0, v)));
        geQuad quad;
        quad.textured = true; // as the game sets it before loading
        EXPECT_EQ(OXE_FAIL, quad.CreateTexture(D3D(), "bad.dds"));
        EXPECT_FALSE(quad.textured);
        EXPECT_EQ(nullptr, quad.texture);
        EXPECT_EQ(OXE_FAIL, quad.CreateTextureColorKey(D3D(), "bad.dds", 0xFF000000));
        EXPECT_FALSE(quad.textured);
    }
    ASSERT_TRUE(Write("other.dds", ImageBytes(0, BmpRenamed)));
    geQuad quad;
    EXPECT_EQ(OXE_OK, quad.CreateTexture(D3D(), "other.dds"));
    EXPECT_TRUE(quad.textured);
}

TEST_F(GameImages, RepeatedFailingImageLoadsLeakNoHandleAndNoMemory)
{
    WorkFolder folder("images_leak");
    // A large picture cut after half its pixels: a texture kept by a refusal would show.
    const std::string big = Read(testsupport::ProgramFolder() + "soihtu.dds");
    ASSERT_TRUE(Write("half.dds", Cut(big, kDdsHeader + (big.size() - kDdsHeader) / 2)));
    ASSERT_TRUE(Write("header.dds", Cut(big, kDdsHeader)));
    for (const char* name : {"half.dds", "header.dds", "nothing_here.dds"}) {
        geQuad quad;
        Sprite2D sprite;
        OXEParticleSystem flames;
        OXEParticleSystemParams params = {};
        const Growth g = GrowthOver(kLeakLoops, [&] {
            EXPECT_EQ(OXE_FAIL, quad.CreateTexture(D3D(), name));
            EXPECT_EQ(OXE_FAIL, quad.CreateTextureColorKey(D3D(), name, 0xFF000000));
            sprite.Create(D3D(), advString(name));
            flames.Create(D3D(), params, 10, 100, advString(name));
        });
        EXPECT_EQ(nullptr, sprite.texture) << name;
        EXPECT_EQ(nullptr, flames.texture) << name;
        EXPECT_LE(g.handles, kHandleMargin) << name;
        EXPECT_LE(g.privateBytes, kPrivateByteMargin) << name;
    }
}

TEST_F(GameImages, ReleasingTheRenderDeviceLeavesNoReferenceOnTheDevice)
{
    IDirect3DDevice9* d3d = D3D();
    Scene(kSprite, HalfPixels);
    d3d->AddRef();
    delete Device();
    Device() = nullptr;
    EXPECT_EQ(0u, d3d->Release());
}
