// The skin manager the client device hands out, given skin, material and texture ids past its
// lists, stage numbers past the eight stages, colour-key counts at their type's largest value,
// and null where a colour, material or name is required: refused with its failure result, the
// counts and records read back unchanged, and no Direct3D texture left behind.
#include "ClientDevice.h"
#include <climits>
#include <cstring>

using namespace argstest;

namespace {

const D3DCOLORVALUE kWhite = {1, 1, 1, 1};
const D3DCOLORVALUE kBlack = {0, 0, 0, 1};
const D3DCOLORVALUE kGrey = {0.5f, 0.5f, 0.5f, 1};

class SkinArgs : public ClientTest {
protected:
    void SetUp() override
    {
        ClientTest::SetUp();
        if (HasFatalFailure()) return;
        skins()->ReleaseAll();
        bitmap_ = SolidBitmap("args_skin.bmp", 4, 4, 0x336699);
        ASSERT_EQ(skins()->CreateSkin(&kWhite, &kWhite, &kBlack, &kBlack, 0, &skin_), OXE_OK);
        ASSERT_EQ(skins()->AddTexture(skin_, bitmap_.c_str(), true, 1.0f, nullptr, 0), OXE_OK);
    }
    void TearDown() override
    {
        if (skins()) skins()->ReleaseAll();
    }
    // What the manager holds, to compare before and after a table of refused calls.
    struct Snapshot {
        UINT skinCount;
        SkinRecord skin;
        D3DMATERIAL9 material;
        const char* secondTexture;
        ULONG references;
    };
    Snapshot Take()
    {
        return {skins()->GetSkinCount(), skins()->GetSkinRecord(skin_), skins()->GetMaterialRecord(0),
                skins()->GetTextureInfo(1, nullptr, nullptr, nullptr), References(d3d())};
    }
    void ExpectUnchanged(const Snapshot& before)
    {
        Snapshot now = Take();
        EXPECT_EQ(now.skinCount, before.skinCount);
        EXPECT_EQ(memcmp(&now.skin.textures, &before.skin.textures, sizeof now.skin.textures), 0);
        EXPECT_EQ(now.skin.material, before.skin.material);
        EXPECT_EQ(now.skin.alpha, before.skin.alpha);
        EXPECT_EQ(memcmp(&now.material, &before.material, sizeof now.material), 0);
        EXPECT_EQ(now.secondTexture, nullptr); // still one texture only
        EXPECT_EQ(now.references, before.references);
    }

    std::string bitmap_;
    UINT skin_ = NoId;
};

} // namespace

TEST_F(SkinArgs, SkinIdsPastTheListAreRefused)
{
    const Snapshot before = Take();
    const UINT count = skins()->GetSkinCount();
    const UINT ids[] = {count, count + 1, NoId, UINT(INT_MAX), UINT_MAX};
    const D3DCOLORVALUE keys[1] = {{0, 0, 0, 0}};
    for (UINT id : ids) {
        SCOPED_TRACE(testing::Message() << "skin id " << id);
        const std::vector<Row> rows = {
            {"AddTexture", [&] { EXPECT_EQ(skins()->AddTexture(id, bitmap_.c_str(), false, 1.0f, nullptr, 0), OXE_INVALIDID); }},
            {"AddTexture with keys", [&] { EXPECT_EQ(skins()->AddTexture(id, bitmap_.c_str(), true, 0.5f, keys, 1), OXE_INVALIDID); }},
            {"AddNormalMapTexture", [&] { EXPECT_EQ(skins()->AddNormalMapTexture(id, bitmap_.c_str()), OXE_INVALIDID); }},
            {"ReplaceTexture", [&] { EXPECT_EQ(skins()->ReplaceTexture(id, 0, bitmap_.c_str(), false, 1.0f, nullptr, 0), OXE_INVALIDID); }},
            {"ReplaceTexture(null name)", [&] { EXPECT_EQ(skins()->ReplaceTexture(id, 0, nullptr, false, 1.0f, nullptr, 0), OXE_INVALIDID); }},
            {"ReplaceMaterial", [&] { EXPECT_EQ(skins()->ReplaceMaterial(id, &kGrey, &kGrey, &kGrey, &kGrey, 2), OXE_INVALIDID); }},
            {"GetSkinRecord: the empty record", [&] {
                 const SkinRecord r = skins()->GetSkinRecord(id);
                 EXPECT_FALSE(r.alpha);
                 EXPECT_EQ(r.material, NoId);
                 for (UINT t : r.textures) EXPECT_EQ(t, NoId);
             }},
        };
        RunRows(rows);
    }
    ExpectUnchanged(before);
}

TEST_F(SkinArgs, StagesPastTheEighthAreRefused)
{
    const Snapshot before = Take();
    const UINT stages[] = {8, 9, 255, NoId, UINT(INT_MAX), UINT_MAX};
    for (UINT stage : stages) {
        SCOPED_TRACE(testing::Message() << "ReplaceTexture stage " << stage);
        EXPECT_EQ(skins()->ReplaceTexture(skin_, stage, bitmap_.c_str(), false, 1.0f, nullptr, 0), OXE_BUFFERSIZE);
        EXPECT_EQ(skins()->ReplaceTexture(skin_, stage, nullptr, false, 1.0f, nullptr, 0), OXE_BUFFERSIZE);
    }
    ExpectUnchanged(before);
}

TEST_F(SkinArgs, MaterialAndTextureIdsPastTheListsGiveTheEmptyRecord)
{
    const UINT ids[] = {1, NoId, UINT(INT_MAX), UINT_MAX};
    for (UINT id : ids) {
        SCOPED_TRACE(testing::Message() << "id " << id);
        const D3DMATERIAL9 m = skins()->GetMaterialRecord(id);
        const D3DMATERIAL9 zero = {};
        EXPECT_EQ(memcmp(&m, &zero, sizeof m), 0);
        float alpha = 7.0f;
        D3DCOLORVALUE key = {7, 7, 7, 7};
        BYTE count = 77;
        EXPECT_EQ(skins()->GetTextureInfo(id, &alpha, &key, &count), nullptr);
        EXPECT_EQ(alpha, 7.0f); // nothing written
        EXPECT_EQ(key.r, 7.0f);
        EXPECT_EQ(count, 77);
    }
}

TEST_F(SkinArgs, NullColoursMaterialsAndNamesAreRefused)
{
    const Snapshot before = Take();
    D3DMATERIAL9 m = skins()->GetMaterialRecord(0);
    UINT id = 77;
    const std::vector<Row> rows = {
        {"CreateSkin(null ambient)", [&] { EXPECT_EQ(skins()->CreateSkin(nullptr, &kWhite, &kBlack, &kBlack, 0, &id), OXE_INVALIDPARAM); }},
        {"CreateSkin(null diffuse)", [&] { EXPECT_EQ(skins()->CreateSkin(&kWhite, nullptr, &kBlack, &kBlack, 0, &id), OXE_INVALIDPARAM); }},
        {"CreateSkin(null emissive)", [&] { EXPECT_EQ(skins()->CreateSkin(&kWhite, &kWhite, nullptr, &kBlack, 0, &id), OXE_INVALIDPARAM); }},
        {"CreateSkin(null specular)", [&] { EXPECT_EQ(skins()->CreateSkin(&kWhite, &kWhite, &kBlack, nullptr, 0, &id), OXE_INVALIDPARAM); }},
        {"ReplaceMaterial(null ambient)", [&] { EXPECT_EQ(skins()->ReplaceMaterial(skin_, nullptr, &kGrey, &kGrey, &kGrey, 2), OXE_INVALIDPARAM); }},
        {"ReplaceMaterial(null diffuse)", [&] { EXPECT_EQ(skins()->ReplaceMaterial(skin_, &kGrey, nullptr, &kGrey, &kGrey, 2), OXE_INVALIDPARAM); }},
        {"ReplaceMaterial(null emissive)", [&] { EXPECT_EQ(skins()->ReplaceMaterial(skin_, &kGrey, &kGrey, nullptr, &kGrey, 2), OXE_INVALIDPARAM); }},
        {"ReplaceMaterial(null specular)", [&] { EXPECT_EQ(skins()->ReplaceMaterial(skin_, &kGrey, &kGrey, &kGrey, nullptr, 2), OXE_INVALIDPARAM); }},
        {"AddTexture(null name)", [&] { EXPECT_EQ(skins()->AddTexture(skin_, nullptr, true, 0.5f, nullptr, 0), OXE_INVALIDPARAM); }},
        {"IsColorEqual(null, colour)", [&] { EXPECT_FALSE(skins()->IsColorEqual(nullptr, &kWhite)); }},
        {"IsColorEqual(colour, null)", [&] { EXPECT_FALSE(skins()->IsColorEqual(&kWhite, nullptr)); }},
        {"IsColorEqual(null, null)", [&] { EXPECT_FALSE(skins()->IsColorEqual(nullptr, nullptr)); }},
        {"IsMaterialEqual(null, material)", [&] { EXPECT_FALSE(skins()->IsMaterialEqual(nullptr, &m)); }},
        {"IsMaterialEqual(material, null)", [&] { EXPECT_FALSE(skins()->IsMaterialEqual(&m, nullptr)); }},
        {"IsMaterialEqual(null, null)", [&] { EXPECT_FALSE(skins()->IsMaterialEqual(nullptr, nullptr)); }},
        {"ConvertToNormalMap(record without texture)", [&] {
             TextureRecord empty = {1.0f, nullptr, nullptr, nullptr, 0};
             EXPECT_EQ(skins()->ConvertToNormalMap(&empty), OXE_INVALIDPARAM);
         }},
        {"WriteStatusReport(null name)", [&] { skins()->WriteStatusReport(nullptr, true); }},
        {"WriteStatusReport(a folder that does not exist)", [&] {
             skins()->WriteStatusReport("no such folder\\report.txt", true);
             EXPECT_EQ(GetFileAttributesA("no such folder\\report.txt"), INVALID_FILE_ATTRIBUTES);
         }},
    };
    RunRows(rows);
    EXPECT_EQ(id, 77u);
    ExpectUnchanged(before);
    // The comparisons still compare.
    EXPECT_TRUE(skins()->IsMaterialEqual(&m, &m));
    EXPECT_TRUE(skins()->IsColorEqual(&kWhite, &kWhite));
}

TEST_F(SkinArgs, ColourKeyCountsNoByteCanReportAreRefusedBeforeAnythingLoads)
{
    const Snapshot before = Take();
    const D3DCOLORVALUE keys[1] = {{0.2f, 0.4f, 0.6f, 0.0f}};
    const std::string other = SolidBitmap("args_other.bmp", 4, 4, 0x102030);
    const UINT counts[] = {256, 0x10000, UINT(INT_MAX), UINT_MAX};
    for (UINT n : counts) {
        SCOPED_TRACE(testing::Message() << "key count " << n);
        EXPECT_EQ(skins()->AddTexture(skin_, other.c_str(), true, 1.0f, keys, n), OXE_INVALIDPARAM);
        EXPECT_EQ(skins()->ReplaceTexture(skin_, 3, other.c_str(), true, 1.0f, keys, n), OXE_INVALIDPARAM);
    }
    ExpectUnchanged(before);

    // A null key array is no keys, whatever the count says; the texture loads.
    EXPECT_EQ(skins()->AddTexture(skin_, other.c_str(), true, 1.0f, nullptr, UINT_MAX), OXE_OK);
    BYTE count = 77;
    EXPECT_STREQ(skins()->GetTextureInfo(1, nullptr, nullptr, &count), other.c_str());
    EXPECT_EQ(count, 0);
    // 255 keys is the most a texture reports, and is taken.
    std::vector<D3DCOLORVALUE> many(255, keys[0]);
    const std::string third = SolidBitmap("args_third.bmp", 4, 4, 0x405060);
    EXPECT_EQ(skins()->ReplaceTexture(skin_, 3, third.c_str(), true, 1.0f, many.data(), 255), OXE_OK);
    EXPECT_STREQ(skins()->GetTextureInfo(2, nullptr, nullptr, &count), third.c_str());
    EXPECT_EQ(count, 255);
}
