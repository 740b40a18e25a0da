// The skin manager on a real device: materials and their sharing, textures from bitmap files
// the tests write, colour keys, alpha caps, normal maps, the status report and the log lines.
#include <gtest/gtest.h>
#include "OXED3DSkinManager.h"
#include "OXEResult.h"
#include "TestDevice.h"
#include "ManagerTestSupport.h"
#include <memory>

using namespace managertests;

namespace {

const D3DCOLORVALUE kWhite = {1, 1, 1, 1};
const D3DCOLORVALUE kBlack = {0, 0, 0, 1};
const D3DCOLORVALUE kRed = {1, 0, 0, 1};
const D3DCOLORVALUE kHalfGrey = {0.5f, 0.5f, 0.5f, 1};

class SkinManagerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { device_ = new testsupport::TestDevice(64, 64); }
    static void TearDownTestSuite()
    {
        delete device_;
        device_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(device_->ok());
        log_.reset(new LogFile("log_skinmanager_test.txt"));
        skins_.reset(new OXED3DSkinManager(device_->device(), log_->file()));
    }
    void TearDown() override { skins_.reset(); }

    UINT NewSkin(const D3DCOLORVALUE& diffuse = kWhite, float power = 0.0f)
    {
        UINT id = 12345;
        EXPECT_EQ(OXE_OK, skins_->CreateSkin(&kWhite, &diffuse, &kBlack, &kBlack, power, &id));
        return id;
    }
    UINT MaterialCount() { return skins_->GetMaterialCount(); }
    Texels TexelsOf(UINT textureId) { return ReadTexels(skins_->GetD3DTexture(textureId)); }

    static testsupport::TestDevice* device_;
    std::unique_ptr<LogFile> log_;
    std::unique_ptr<OXED3DSkinManager> skins_;
};
testsupport::TestDevice* SkinManagerTest::device_ = nullptr;

// A 4x3 image whose every texel differs, so row order and channel order show.
std::vector<uint32_t> PatternPixels()
{
    std::vector<uint32_t> p;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) p.push_back(uint32_t((x * 60) << 16 | (y * 100) << 8 | (x * 10 + y)));
    return p;
}

} // namespace

TEST_F(SkinManagerTest, EqualMaterialsAreSharedAndAnyDifferenceStoresANewOne)
{
    const UINT a = NewSkin(kWhite, 2.0f);
    const UINT b = NewSkin(kWhite, 2.0f);
    EXPECT_EQ(0u, a);
    EXPECT_EQ(1u, b);
    EXPECT_EQ(skins_->GetSkinRecord(a).material, skins_->GetSkinRecord(b).material);
    EXPECT_EQ(1u, MaterialCount());

    // Same colours, other power: new material.
    const UINT c = NewSkin(kWhite, 3.0f);
    EXPECT_EQ(1u, skins_->GetSkinRecord(c).material);
    // Only the alpha channel of the diffuse colour differs: new material.
    const D3DCOLORVALUE whiteHalfAlpha = {1, 1, 1, 0.5f};
    const UINT d = NewSkin(whiteHalfAlpha, 2.0f);
    EXPECT_EQ(2u, skins_->GetSkinRecord(d).material);
    EXPECT_EQ(3u, MaterialCount());

    // A fresh skin has no alpha and no textures.
    const SkinRecord rec = skins_->GetSkinRecord(d);
    EXPECT_FALSE(rec.alpha);
    for (UINT s = 0; s < 8; ++s) EXPECT_EQ(NoId, rec.textures[s]);

    const D3DMATERIAL9 m = skins_->GetMaterialRecord(2);
    EXPECT_EQ(0.5f, m.Diffuse.a);
    EXPECT_EQ(1.0f, m.Ambient.r);
    EXPECT_EQ(0.0f, m.Emissive.r);
    EXPECT_EQ(2.0f, m.Power);
}

TEST_F(SkinManagerTest, ColourAndMaterialComparisonsAreExact)
{
    D3DCOLORVALUE x = {0.25f, 0.5f, 0.75f, 1.0f};
    D3DCOLORVALUE y = x;
    EXPECT_TRUE(skins_->IsColorEqual(&x, &y));
    y.b = 0.75f + 1e-7f;
    EXPECT_FALSE(skins_->IsColorEqual(&x, &y));
    D3DMATERIAL9 m = {}, n = {};
    EXPECT_TRUE(skins_->IsMaterialEqual(&m, &n));
    n.Specular.g = 0.001f;
    EXPECT_FALSE(skins_->IsMaterialEqual(&m, &n));
    n = m;
    n.Power = 1.0f;
    EXPECT_FALSE(skins_->IsMaterialEqual(&m, &n));
}

TEST_F(SkinManagerTest, ListsGrowPastFiftyWithoutLosingRecords)
{
    // 120 skins with distinct materials, each with its own texture name pattern later: the
    // lists are reallocated twice; every record must survive with its id.
    for (int i = 0; i < 120; ++i) {
        const D3DCOLORVALUE c = {float(i) / 200.0f, 0, 0, 1};
        EXPECT_EQ(UINT(i), NewSkin(c));
    }
    EXPECT_EQ(120u, skins_->GetSkinCount());
    EXPECT_EQ(120u, MaterialCount());
    for (UINT i = 0; i < 120; ++i) {
        EXPECT_EQ(i, skins_->GetSkinRecord(i).material);
        EXPECT_EQ(float(i) / 200.0f, skins_->GetMaterialRecord(i).Diffuse.r);
    }
}

TEST_F(SkinManagerTest, ReleaseAllEmptiesEverythingAndIdsStartOver)
{
    ASSERT_TRUE(WriteSolidBitmap("release.bmp", 2, 2, 0x102030));
    const UINT s = NewSkin();
    ASSERT_EQ(OXE_OK, skins_->AddTexture(s, "release.bmp", false, 1.0f, nullptr, 0));
    skins_->ReleaseAll();
    EXPECT_EQ(0u, skins_->GetSkinCount());
    EXPECT_EQ(nullptr, skins_->GetTextureInfo(0, nullptr, nullptr, nullptr));
    EXPECT_EQ(0u, NewSkin(kRed));
    EXPECT_EQ(1u, MaterialCount());
    // The texture is loaded anew, not found under its old name.
    ASSERT_EQ(OXE_OK, skins_->AddTexture(0, "release.bmp", false, 1.0f, nullptr, 0));
    EXPECT_EQ(1u, skins_->GetTextureCount());
}

TEST_F(SkinManagerTest, TwentyFourBitBitmapLoadsTexelForTexelInMemoryRowOrder)
{
    const std::vector<uint32_t> pixels = PatternPixels();
    ASSERT_TRUE(WriteBitmap("pattern24.bmp", 4, 3, 24, pixels));
    const UINT s = NewSkin();
    ASSERT_EQ(OXE_OK, skins_->AddTexture(s, "pattern24.bmp", true, 1.0f, nullptr, 0));
    EXPECT_TRUE(skins_->GetSkinRecord(s).alpha);
    EXPECT_EQ(0u, skins_->GetSkinRecord(s).textures[0]);

    const Texels t = TexelsOf(0);
    ASSERT_EQ(D3DFMT_A8R8G8B8, t.format);
    ASSERT_EQ(4, t.width);
    ASSERT_EQ(3, t.height);
    // The file stores the bottom image row first; that stored row becomes texture row 0.
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(0xFF000000u | pixels[size_t(2 - y) * 4 + x], t.at(x, y)) << x << "," << y;
}

TEST_F(SkinManagerTest, OpaqueTextureIsR5G6B5WithEachChannelInPlace)
{
    // Pure channels and white make a wrong shift or mask visible.
    std::vector<uint32_t> pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};
    ASSERT_TRUE(WriteBitmap("channels.bmp", 6, 1, 24, pixels));
    const UINT s = NewSkin();
    ASSERT_EQ(OXE_OK, skins_->AddTexture(s, "channels.bmp", false, 1.0f, nullptr, 0));
    EXPECT_FALSE(skins_->GetSkinRecord(s).alpha);
    const Texels t = TexelsOf(0);
    ASSERT_EQ(D3DFMT_R5G6B5, t.format);
    EXPECT_EQ(0xF800u, t.at(0, 0));
    EXPECT_EQ(0x07E0u, t.at(1, 0));
    EXPECT_EQ(0x001Fu, t.at(2, 0));
    EXPECT_EQ(0xFFFFu, t.at(3, 0));
    EXPECT_EQ(0x0000u, t.at(4, 0));
    // 0x80 is rounded to the nearest 5- and 6-bit values: 16 and 32.
    EXPECT_EQ(uint32_t(16 << 11 | 32 << 5 | 16), t.at(5, 0));
}

TEST_F(SkinManagerTest, BitmapsOfOtherDepthsAndMissingFilesAreRefused)
{
    ASSERT_TRUE(WriteSolidBitmap("sixteen.bmp", 4, 4, 0xFF0000, 16));
    ASSERT_TRUE(WriteSolidBitmap("thirtytwo.bmp", 4, 4, 0xFF0000, 32));
    const UINT s = NewSkin();
    const UINT added = NewSkin();
    const UINT replaced = NewSkin();
    EXPECT_EQ(OXE_INVALIDFILE, skins_->AddTexture(s, "sixteen.bmp", false, 1.0f, nullptr, 0));
    EXPECT_EQ(OXE_FILENOTFOUND, skins_->ReplaceTexture(s, 3, "no_such_file.bmp", false, 1.0f, nullptr, 0));
    EXPECT_EQ(OXE_INVALIDFILE, skins_->AddTexture(added, "thirtytwo.bmp", true, 0.5f, nullptr, 0));
    EXPECT_EQ(OXE_FILENOTFOUND, skins_->ReplaceTexture(replaced, 2, "no_such_file.bmp", true, 1.0f, nullptr, 0));
    // Nothing was counted and nothing was put into the skins. An alpha texture turns on its
    // skin's alpha before it is loaded, so the flag stays on when the loading fails.
    EXPECT_EQ(0u, skins_->GetTextureCount());
    const SkinRecord rec = skins_->GetSkinRecord(s);
    EXPECT_FALSE(rec.alpha);
    for (UINT st = 0; st < 8; ++st) EXPECT_EQ(NoId, rec.textures[st]);
    for (UINT skin : {added, replaced}) {
        const SkinRecord alphaRec = skins_->GetSkinRecord(skin);
        EXPECT_TRUE(alphaRec.alpha) << skin;
        for (UINT st = 0; st < 8; ++st) EXPECT_EQ(NoId, alphaRec.textures[st]) << skin;
    }
    // The refused names are not remembered either: a good file under a new name still loads.
    ASSERT_TRUE(WriteSolidBitmap("good.bmp", 2, 2, 0x00FF00));
    EXPECT_EQ(OXE_OK, skins_->AddTexture(s, "good.bmp", false, 1.0f, nullptr, 0));
    EXPECT_EQ(0u, skins_->GetSkinRecord(s).textures[0]);
}

TEST_F(SkinManagerTest, TexturesAreSharedByExactNameAndStagesFillInOrder)
{
    ASSERT_TRUE(WriteSolidBitmap("shared.bmp", 2, 2, 0x112233));
    const UINT a = NewSkin(), b = NewSkin(kRed);
    ASSERT_EQ(OXE_OK, skins_->AddTexture(a, "shared.bmp", false, 1.0f, nullptr, 0));
    // Same name, alpha asked this time: the existing texture is reused as it is.
    ASSERT_EQ(OXE_OK, skins_->AddTexture(b, "shared.bmp", true, 0.2f, nullptr, 0));
    ASSERT_EQ(OXE_OK, skins_->AddTexture(b, "shared.bmp", false, 1.0f, nullptr, 0));
    EXPECT_EQ(1u, skins_->GetTextureCount());
    EXPECT_FALSE(skins_->GetSkinRecord(b).alpha);
    EXPECT_EQ(0u, skins_->GetSkinRecord(b).textures[0]);
    EXPECT_EQ(0u, skins_->GetSkinRecord(b).textures[1]);
    float alpha = 0;
    skins_->GetTextureInfo(0, &alpha, nullptr, nullptr);
    EXPECT_EQ(1.0f, alpha);
    // Another text for the same file loads it again.
    ASSERT_EQ(OXE_OK, skins_->AddTexture(a, ".\\shared.bmp", false, 1.0f, nullptr, 0));
    EXPECT_EQ(2u, skins_->GetTextureCount());
    EXPECT_EQ(1u, skins_->GetSkinRecord(a).textures[1]);
    EXPECT_STREQ(".\\shared.bmp", skins_->GetTextureInfo(1, nullptr, nullptr, nullptr));
}

TEST_F(SkinManagerTest, NinthTextureAndUnknownSkinsAreRefused)
{
    ASSERT_TRUE(WriteSolidBitmap("stage.bmp", 2, 2, 0x445566));
    const UINT s = NewSkin();
    for (int i = 0; i < 8; ++i)
        ASSERT_EQ(OXE_OK, skins_->AddTexture(s, "stage.bmp", false, 1.0f, nullptr, 0));
    const SkinRecord before = skins_->GetSkinRecord(s);
    EXPECT_EQ(OXE_BUFFERSIZE, skins_->AddTexture(s, "stage.bmp", false, 1.0f, nullptr, 0));
    EXPECT_EQ(OXE_BUFFERSIZE, skins_->AddNormalMapTexture(s, "stage.bmp"));
    const SkinRecord after = skins_->GetSkinRecord(s);
    EXPECT_EQ(0, memcmp(&before, &after, sizeof before));

    const UINT count = skins_->GetSkinCount();
    EXPECT_EQ(OXE_INVALIDID, skins_->AddTexture(count, "stage.bmp", false, 1.0f, nullptr, 0));
    EXPECT_EQ(OXE_INVALIDID, skins_->AddNormalMapTexture(count, "stage.bmp"));
    EXPECT_EQ(OXE_INVALIDID, skins_->ReplaceTexture(count, 0, nullptr, false, 1.0f, nullptr, 0));
    EXPECT_EQ(OXE_INVALIDID, skins_->ReplaceMaterial(count, &kWhite, &kWhite, &kBlack, &kBlack, 0));
}

TEST_F(SkinManagerTest, ColourKeysReplaceOnlyOpaqueTexelsOfTheKeyColour)
{
    // Texels: red, green, blue, white.
    ASSERT_TRUE(WriteBitmap("keys.bmp", 4, 1, 24, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}));
    const D3DCOLORVALUE keys[] = {
        {1, 0, 0, 0},       // red: fully transparent, colour cleared
        {0, 1, 0, 0.5f},    // green: alpha 127 keeps the colour
        {0, 1, 0, 0.0f},    // green again: the texels are no longer opaque, so no match
        {0.5f, 0.5f, 0.5f, 0},  // no texel has this colour
    };
    const UINT s = NewSkin();
    ASSERT_EQ(OXE_OK, skins_->AddTexture(s, "keys.bmp", true, 1.0f, keys, 4));
    const Texels t = TexelsOf(0);
    EXPECT_EQ(0x00000000u, t.at(0, 0));
    EXPECT_EQ(0x7F00FF00u, t.at(1, 0));
    EXPECT_EQ(0xFF0000FFu, t.at(2, 0));
    EXPECT_EQ(0xFFFFFFFFu, t.at(3, 0));

    // The keys are kept and reported.
    D3DCOLORVALUE out[4] = {};
    BYTE n = 0;
    float alpha = 0;
    EXPECT_STREQ("keys.bmp", skins_->GetTextureInfo(0, &alpha, out, &n));
    EXPECT_EQ(4, n);
    EXPECT_EQ(1.0f, alpha);
    EXPECT_EQ(0.5f, out[1].a);
    EXPECT_EQ(0.5f, out[3].r);
}

TEST_F(SkinManagerTest, KeysOnAnOpaqueTextureAreNeitherAppliedNorKept)
{
    ASSERT_TRUE(WriteBitmap("nokeys.bmp", 2, 1, 24, {0xFF0000, 0x00FF00}));
    const D3DCOLORVALUE key = {1, 0, 0, 0};
    const UINT s = NewSkin();
    ASSERT_EQ(OXE_OK, skins_->AddTexture(s, "nokeys.bmp", false, 0.5f, &key, 1));
    BYTE n = 9;
    float alpha = 0;
    skins_->GetTextureInfo(0, &alpha, nullptr, &n);
    EXPECT_EQ(0, n);
    EXPECT_EQ(1.0f, alpha);
    EXPECT_EQ(0xF800u, TexelsOf(0).at(0, 0));
}

TEST_F(SkinManagerTest, AlphaValueBelowOneCapsEveryTexel)
{
    ASSERT_TRUE(WriteBitmap("cap.bmp", 3, 1, 24, {0xFF0000, 0x00FF00, 0x0000FF}));
    const D3DCOLORVALUE key = {0, 1, 0, 0.25f}; // green gets alpha 63, below the cap
    const UINT s = NewSkin();
    ASSERT_EQ(OXE_OK, skins_->AddTexture(s, "cap.bmp", true, 0.5f, &key, 1));
    const Texels t = TexelsOf(0);
    EXPECT_EQ(0x7FFF0000u, t.at(0, 0));
    EXPECT_EQ(0x3F00FF00u, t.at(1, 0));
    EXPECT_EQ(0x7F0000FFu, t.at(2, 0));
    float alpha = 0;
    skins_->GetTextureInfo(0, &alpha, nullptr, nullptr);
    EXPECT_EQ(0.5f, alpha);

    // 1.0: nothing capped, 1.0 reported.
    ASSERT_TRUE(WriteSolidBitmap("nocap.bmp", 2, 2, 0x123456));
    ASSERT_EQ(OXE_OK, skins_->AddTexture(s, "nocap.bmp", true, 1.0f, nullptr, 0));
    EXPECT_EQ(0xFF123456u, TexelsOf(1).at(1, 1));
    skins_->GetTextureInfo(1, &alpha, nullptr, nullptr);
    EXPECT_EQ(1.0f, alpha);
}

TEST_F(SkinManagerTest, TextureInfoOutOfRangeWritesNothing)
{
    float alpha = 7.0f;
    BYTE n = 7;
    D3DCOLORVALUE key = {7, 7, 7, 7};
    EXPECT_EQ(nullptr, skins_->GetTextureInfo(0, &alpha, &key, &n));
    EXPECT_EQ(7.0f, alpha);
    EXPECT_EQ(7, n);
    EXPECT_EQ(7.0f, key.r);
}

TEST_F(SkinManagerTest, RecordsOfUnknownIdsAreEmpty)
{
    NewSkin();
    const SkinRecord rec = skins_->GetSkinRecord(5);
    EXPECT_FALSE(rec.alpha);
    EXPECT_EQ(NoId, rec.material);
    for (UINT s = 0; s < 8; ++s) EXPECT_EQ(NoId, rec.textures[s]);
    const D3DMATERIAL9 m = skins_->GetMaterialRecord(NoId);
    const D3DMATERIAL9 zero = {};
    EXPECT_EQ(0, memcmp(&zero, &m, sizeof m));
    EXPECT_EQ(nullptr, skins_->GetD3DTexture(NoId));
}

TEST_F(SkinManagerTest, FlatHeightMapBecomesStraightUpNormalsEverywhere)
{
    ASSERT_TRUE(WriteSolidBitmap("flat.bmp", 5, 4, 0xAA2040));
    const UINT s = NewSkin();
    DeleteFileA("normal.bmp");
    ASSERT_EQ(OXE_OK, skins_->AddNormalMapTexture(s, "flat.bmp"));
    EXPECT_EQ(0u, skins_->GetSkinRecord(s).textures[0]);
    EXPECT_FALSE(skins_->GetSkinRecord(s).alpha);
    const Texels t = TexelsOf(0);
    ASSERT_EQ(D3DFMT_A8R8G8B8, t.format);
    // Including the last column and row, whose missing neighbours are the edge texels.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(0xAA8080FFu, t.at(x, y)) << x << "," << y;
    EXPECT_FALSE(testsupport::ReadFileBytes("normal.bmp").empty());
}

TEST_F(SkinManagerTest, SlopedHeightMapTiltsNormalsAgainstTheSlope)
{
    // Red rises by 51 (0.2) per column; every row the same. Texture rows do not matter here.
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) pixels.push_back(uint32_t(x * 51) << 16);
    ASSERT_TRUE(WriteBitmap("slope.bmp", 3, 3, 24, pixels));
    const UINT s = NewSkin();
    ASSERT_EQ(OXE_OK, skins_->AddNormalMapTexture(s, "slope.bmp"));
    const Texels t = TexelsOf(0);
    // n = (-0.2, 0, 1) / |.| = (-0.19612, 0, 0.98058): red 103, green 128, blue 252.
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(0x006780FCu, t.at(0, y));
        EXPECT_EQ(0x336780FCu, t.at(1, y));
        // Last column: the edge texel is its own right neighbour, so the normal is flat.
        EXPECT_EQ(0x668080FFu, t.at(2, y));
    }
}

TEST_F(SkinManagerTest, NormalMapsAreSharedByNameAndFailuresAreLogged)
{
    ASSERT_TRUE(WriteSolidBitmap("height.bmp", 2, 2, 0x808080));
    ASSERT_TRUE(WriteSolidBitmap("other.bmp", 2, 2, 0x808080));
    ASSERT_TRUE(WriteSolidBitmap("deep16.bmp", 2, 2, 0x808080, 16));
    const UINT s = NewSkin();
    ASSERT_EQ(OXE_OK, skins_->AddTexture(s, "other.bmp", false, 1.0f, nullptr, 0));
    ASSERT_EQ(OXE_OK, skins_->AddNormalMapTexture(s, "height.bmp"));
    // Stage 0 is replaced, not the next free stage.
    EXPECT_EQ(1u, skins_->GetSkinRecord(s).textures[0]);
    EXPECT_EQ(NoId, skins_->GetSkinRecord(s).textures[1]);
    const UINT t = NewSkin(kRed);
    ASSERT_EQ(OXE_OK, skins_->AddNormalMapTexture(t, "height.bmp"));
    EXPECT_EQ(1u, skins_->GetSkinRecord(t).textures[0]);
    EXPECT_EQ(2u, skins_->GetTextureCount());

    EXPECT_EQ(OXE_FILENOTFOUND, skins_->AddNormalMapTexture(t, "missing_height.bmp"));
    EXPECT_EQ(OXE_INVALIDFILE, skins_->AddNormalMapTexture(t, "deep16.bmp"));
    EXPECT_EQ(2u, skins_->GetTextureCount());
    for (int i = 0; i < 7; ++i) skins_->AddTexture(t, "other.bmp", false, 1.0f, nullptr, 0);
    EXPECT_EQ(OXE_BUFFERSIZE, skins_->AddNormalMapTexture(t, "height.bmp"));
    skins_.reset();
    EXPECT_EQ("[OXED3DSkinMn]: online\r\n"
              "[OXED3DSkinMn]: error: CreateTexture() failed\r\n"
              "[OXED3DSkinMn]: error: CreateTexture() failed\r\n"
              "[OXED3DSkinMn]: error: AddTexture failed, all 8 stges set\r\n"
              "[OXED3DSkinMn]: offline, (ok)\r\n",
              log_->text());
}

TEST_F(SkinManagerTest, ConvertToNormalMapRefusesWhatItCannotConvert)
{
    EXPECT_EQ(OXE_INVALIDPARAM, skins_->ConvertToNormalMap(nullptr));
    TextureRecord none = {1.0f, nullptr, nullptr, nullptr, 0};
    EXPECT_EQ(OXE_INVALIDPARAM, skins_->ConvertToNormalMap(&none));
    // An opaque (R5G6B5) texture would be read past its rows as 32-bit texels.
    ASSERT_TRUE(WriteSolidBitmap("opaque.bmp", 4, 4, 0x808080));
    const UINT s = NewSkin();
    ASSERT_EQ(OXE_OK, skins_->AddTexture(s, "opaque.bmp", false, 1.0f, nullptr, 0));
    TextureRecord rec = {1.0f, nullptr, skins_->GetD3DTexture(0), nullptr, 0};
    EXPECT_EQ(OXE_INVALIDPARAM, skins_->ConvertToNormalMap(&rec));
}

TEST_F(SkinManagerTest, ReplaceTextureSetsEmptiesAndLoadsOneStage)
{
    ASSERT_TRUE(WriteSolidBitmap("r1.bmp", 2, 2, 0x010203));
    ASSERT_TRUE(WriteSolidBitmap("r2.bmp", 2, 2, 0x040506));
    const UINT s = NewSkin();
    ASSERT_EQ(OXE_OK, skins_->AddTexture(s, "r1.bmp", false, 1.0f, nullptr, 0));
    ASSERT_EQ(OXE_OK, skins_->ReplaceTexture(s, 5, "r2.bmp", true, 1.0f, nullptr, 0));
    EXPECT_EQ(1u, skins_->GetSkinRecord(s).textures[5]);
    EXPECT_TRUE(skins_->GetSkinRecord(s).alpha);
    ASSERT_EQ(OXE_OK, skins_->ReplaceTexture(s, 6, "r1.bmp", false, 1.0f, nullptr, 0));
    EXPECT_EQ(0u, skins_->GetSkinRecord(s).textures[6]);
    EXPECT_EQ(2u, skins_->GetTextureCount());
    ASSERT_EQ(OXE_OK, skins_->ReplaceTexture(s, 0, nullptr, false, 1.0f, nullptr, 0));
    EXPECT_EQ(NoId, skins_->GetSkinRecord(s).textures[0]);
    EXPECT_EQ(OXE_BUFFERSIZE, skins_->ReplaceTexture(s, 8, nullptr, false, 1.0f, nullptr, 0));
    // The emptied stage is the first free one again.
    ASSERT_EQ(OXE_OK, skins_->AddTexture(s, "r2.bmp", false, 1.0f, nullptr, 0));
    EXPECT_EQ(1u, skins_->GetSkinRecord(s).textures[0]);
}

TEST_F(SkinManagerTest, ReplaceMaterialSharesOrAppends)
{
    const UINT a = NewSkin(kWhite), b = NewSkin(kRed);
    ASSERT_EQ(OXE_OK, skins_->ReplaceMaterial(b, &kWhite, &kWhite, &kBlack, &kBlack, 0.0f));
    EXPECT_EQ(skins_->GetSkinRecord(a).material, skins_->GetSkinRecord(b).material);
    ASSERT_EQ(OXE_OK, skins_->ReplaceMaterial(a, &kWhite, &kHalfGrey, &kBlack, &kBlack, 0.0f));
    EXPECT_EQ(2u, skins_->GetSkinRecord(a).material);
    EXPECT_EQ(3u, MaterialCount());
    // The shared material itself was not changed in place.
    EXPECT_EQ(1.0f, skins_->GetMaterialRecord(skins_->GetSkinRecord(b).material).Diffuse.g);
}

TEST_F(SkinManagerTest, NullArgumentsAreRefusedInsteadOfFollowed)
{
    UINT id = 0;
    EXPECT_EQ(OXE_INVALIDPARAM, skins_->CreateSkin(&kWhite, &kWhite, &kBlack, &kBlack, 0, nullptr));
    EXPECT_EQ(OXE_INVALIDPARAM, skins_->CreateSkin(nullptr, &kWhite, &kBlack, &kBlack, 0, &id));
    EXPECT_EQ(0u, skins_->GetSkinCount());
    const UINT s = NewSkin();
    EXPECT_EQ(OXE_INVALIDPARAM, skins_->AddTexture(s, nullptr, false, 1.0f, nullptr, 0));
    EXPECT_EQ(OXE_INVALIDPARAM, skins_->AddNormalMapTexture(s, nullptr));
    // Keys announced but not given: the texture loads without keys.
    ASSERT_TRUE(WriteSolidBitmap("nullkeys.bmp", 2, 2, 0xFF0000));
    EXPECT_EQ(OXE_OK, skins_->AddTexture(s, "nullkeys.bmp", true, 1.0f, nullptr, 3));
    BYTE n = 9;
    skins_->GetTextureInfo(0, nullptr, nullptr, &n);
    EXPECT_EQ(0, n);
}

TEST_F(SkinManagerTest, SummaryReportIsOneLineAfterTwoEmptyLines)
{
    NewSkin();
    NewSkin();
    NewSkin(kRed);
    skins_->WriteStatusReport("report_summary.txt", false);
    EXPECT_EQ("\r\n\r\nSKINMANAGER_SITREP: skins: 3, mats: 2, texrs: 0 \r\n",
              testsupport::ReadFileBytes("report_summary.txt"));
}

TEST_F(SkinManagerTest, DetailedReportListsSkinsTexturesAndMaterials)
{
    ASSERT_TRUE(WriteSolidBitmap("rep.bmp", 2, 2, 0x010203));
    const D3DCOLORVALUE amb = {0.25f, 0.5f, 0.75f, 1.0f};
    const D3DCOLORVALUE specular = {0.125f, 0, 0, 0.5f};
    UINT s = 0;
    ASSERT_EQ(OXE_OK, skins_->CreateSkin(&amb, &kRed, &kBlack, &specular, 8.5f, &s));
    ASSERT_EQ(OXE_OK, skins_->AddTexture(s, "rep.bmp", false, 1.0f, nullptr, 0));
    ASSERT_EQ(OXE_OK, skins_->ReplaceTexture(s, 3, "rep.bmp", false, 1.0f, nullptr, 0));
    skins_->WriteStatusReport("report_detail.txt", true);
    const std::string expected =
        "\r\n\r\nSKINMANAGER_SITREP: skins: 1, mats: 1, texrs: 1 \r\n"
        "SKINS { \r\n"
        "   ID: 0 { matrl: 0, textr: [0,65535,65535,0,65535,65535,65535,65535] }\r\n"
        "   } \r\n"
        "TEXTURES { \r\n"
        "   ID: 0 {\"rep.bmp\"} \r\n"
        "   } \r\n\r\n"
        "MATERIALS { \r\n"
        "   ID: 0\r\n"
        "   Diffuse (1.000000,0.000000,0.000000,1.000000)\r\n"
        "   Ambient (0.250000,0.500000,0.750000,1.000000)\r\n"
        "   Emissive (0.000000,0.000000,0.000000,1.000000)\r\n"
        "   Specular (0.125000,0.000000,0.000000,0.500000) power: 8.500000\r\n"
        "   } \r\n\r\n";
    EXPECT_EQ(expected, testsupport::ReadFileBytes("report_detail.txt"));
    // A file that cannot be opened, or no name: nothing is written anywhere, and the manager
    // holds what it held.
    skins_->WriteStatusReport("no_such_folder\\report.txt", true);
    skins_->WriteStatusReport(nullptr, true);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("no_such_folder"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("no_such_folder\\report.txt"));
    EXPECT_EQ(expected, testsupport::ReadFileBytes("report_detail.txt"));
    EXPECT_EQ(1u, skins_->GetSkinCount());
    EXPECT_EQ(1u, skins_->GetTextureCount());
    EXPECT_STREQ("rep.bmp", skins_->GetTextureInfo(0, nullptr, nullptr, nullptr));
}

TEST_F(SkinManagerTest, LogsOnlineAndOfflineWithItsPrefix)
{
    skins_.reset();
    EXPECT_EQ("[OXED3DSkinMn]: online\r\n[OXED3DSkinMn]: offline, (ok)\r\n", log_->text());
}
