// Bitmap files the skin manager cannot use: cut headers, absurd sizes, pixel rows that lie past
// the end of the file, wrong magic. Each is refused with its code, leaves the skin and texture
// tables as they were, and a good bitmap added afterwards loads and draws.
#include <gtest/gtest.h>
#include <climits>
#include <cstdio>
#include <functional>
#include <memory>
#include "BadFileSupport.h"
#include "PartsDevice.h"
#include "BitmapFileCheck.h"
#include "OXED3DSkinManager.h"
#include "OXELog.h"
#include "OXEResult.h"
#include "TestDevice.h"

using namespace badfiles;
using testsupport::Picture;

namespace {

const D3DCOLORVALUE kWhite = {1, 1, 1, 1};
const D3DCOLORVALUE kBlack = {0, 0, 0, 1};
const uint32_t kGood = 0x20C040; // the good picture's colour

struct BadBitmap {
    const char* name;
    std::function<std::string()> bytes;
    HRESULT expected;
};

BitmapFields Good() { return MakeBitmap(8, 4, 0x804020); }

std::string With(std::function<void(BitmapFields&)> spoil)
{
    BitmapFields f = Good();
    spoil(f);
    return BitmapBytes(f);
}

// A 4 x 4 picture of `bits` bits per pixel after a palette of `colours` entries (0: all 2^bits).
std::string Paletted(uint16_t bits, uint32_t colours)
{
    BitmapFields f = MakeBitmap(4, 4, 0);
    f.bitCount = bits;
    f.coloursUsed = colours;
    const uint32_t entries = colours ? colours : 1u << bits;
    const uint32_t rowBytes = (4 * bits + 31) / 32 * 4;
    f.pixels = std::string(size_t(entries) * 4, '\x40') + std::string(size_t(rowBytes) * 4, '\0');
    f.bitsOffset = 54 + entries * 4;
    f.fileSize = uint32_t(54 + f.pixels.size());
    return BitmapBytes(f);
}

// Every bad bitmap of the matrix, with the code the manager must give for it.
std::vector<BadBitmap> BadBitmaps()
{
    const std::string good = BitmapBytes(Good());
    return {
        {"empty", [] { return std::string(); }, OXE_FILENOTFOUND},
        {"file header only", [=] { return Cut(good, 14); }, OXE_FILENOTFOUND},
        {"info header cut", [=] { return Cut(good, 14 + 20); }, OXE_FILENOTFOUND},
        {"headers without pixels", [=] { return Cut(good, 54); }, OXE_FILENOTFOUND},
        {"half the pixel rows", [=] { return Cut(good, 54 + (good.size() - 54) / 2); }, OXE_FILENOTFOUND},
        {"wrong magic", [] { return With([](BitmapFields& f) { f.magic = 0x4E42; }); }, OXE_FILENOTFOUND},
        {"width 0", [] { return With([](BitmapFields& f) { f.width = 0; }); }, OXE_FILENOTFOUND},
        {"height 0", [] { return With([](BitmapFields& f) { f.height = 0; }); }, OXE_FILENOTFOUND},
        {"negative width", [] { return With([](BitmapFields& f) { f.width = -8; }); }, OXE_FILENOTFOUND},
        {"width 0x7FFFFFFF", [] { return With([](BitmapFields& f) { f.width = 0x7FFFFFFF; }); }, OXE_FILENOTFOUND},
        {"height 0x7FFFFFFF", [] { return With([](BitmapFields& f) { f.height = 0x7FFFFFFF; }); }, OXE_FILENOTFOUND},
        {"height INT_MIN", [] { return With([](BitmapFields& f) { f.height = INT_MIN; }); }, OXE_FILENOTFOUND},
        {"width x height x 3 past 32 bits", [] { return With([](BitmapFields& f) { f.width = 0x10000; f.height = 0x10000; }); }, OXE_FILENOTFOUND},
        {"row pitch past 32 bits", [] { return With([](BitmapFields& f) { f.width = 0x55555556; f.height = 1; }); }, OXE_FILENOTFOUND},
        {"4096 x 4096 in a tiny file", [] { return With([](BitmapFields& f) { f.width = 4096; f.height = 4096; }); }, OXE_FILENOTFOUND},
        {"bits offset past the end", [] { return With([](BitmapFields& f) { f.bitsOffset = 100000; }); }, OXE_FILENOTFOUND},
        {"bits offset 0xFFFFFFFF", [] { return With([](BitmapFields& f) { f.bitsOffset = 0xFFFFFFFF; }); }, OXE_FILENOTFOUND},
        {"info size absurd", [] { return With([](BitmapFields& f) { f.infoSize = 0x7FFFFFF0; }); }, OXE_FILENOTFOUND},
        {"0 bits per pixel", [] { return With([](BitmapFields& f) { f.bitCount = 0; }); }, OXE_FILENOTFOUND},
        {"run-length compression claimed", [] { return With([](BitmapFields& f) { f.compression = 1; }); }, OXE_FILENOTFOUND},
        {"random bytes after the magic", [] { return std::string("BM") + RandomBytes(7, 200); }, OXE_FILENOTFOUND},
        {"54 bytes: width 0x7FFFFFFF, height INT_MIN, whose row size times height wraps 64 bits",
         [] { BitmapFields f = MakeBitmap(1, 1, 0); f.width = 0x7FFFFFFF; f.height = INT_MIN; f.pixels.clear(); return BitmapBytes(f); },
         OXE_FILENOTFOUND},
        {"32769 pixels wide, every row there", [] { return BitmapBytes(MakeBitmap(32769, 1, 0x804020)); }, OXE_FILENOTFOUND},
        {"palette of 0x40000000 colours claimed", [] { return With([](BitmapFields& f) { f.coloursUsed = 0x40000000; }); }, OXE_FILENOTFOUND},
        {"palette of 257 colours at 24 bits", [] { return With([](BitmapFields& f) { f.coloursUsed = 257; }); }, OXE_FILENOTFOUND},
        {"palette overlapping the pixel rows", [] { return With([](BitmapFields& f) { f.coloursUsed = 16; }); }, OXE_FILENOTFOUND},
        {"8 bits with 300 palette colours", [] { return Paletted(8, 300); }, OXE_FILENOTFOUND},
        {"8 bits, palette past the end of the file", [] { BitmapFields f = MakeBitmap(4, 4, 0); f.bitCount = 8; f.pixels.resize(16); f.bitsOffset = 54 + 1024; return BitmapBytes(f); }, OXE_FILENOTFOUND},
        {"colour masks at 24 bits", [] { return With([](BitmapFields& f) { f.compression = 3; }); }, OXE_FILENOTFOUND},
        {"info header of 200 bytes", [] { return With([](BitmapFields& f) { f.infoSize = 200; f.bitsOffset = 14 + 200; }); }, OXE_FILENOTFOUND},
        {"8 bits with a whole palette (not 24 bits)", [] { return Paletted(8, 0); }, OXE_INVALIDFILE},
    };
}

class SkinBitmaps : public ::testing::Test {
protected:
    static testsupport::TestDevice*& Device()
    {
        static testsupport::TestDevice* device = nullptr;
        if (!device) device = new testsupport::TestDevice(64, 64);
        return device;
    }
    void SetUp() override
    {
        ASSERT_TRUE(Device()->ok());
        log_.reset(new OXELog());
        log_->Open("log_skinbitmaps.txt");
        skins_.reset(new OXED3DSkinManager(Device()->device(), log_.get()));
        UINT id = NoId;
        ASSERT_EQ(OXE_OK, skins_->CreateSkin(&kWhite, &kWhite, &kBlack, &kBlack, 0.0f, &id));
        skin_ = id;
    }
    void TearDown() override
    {
        skins_.reset();
        log_.reset();
    }

    // The skin and texture tables hold one skin with no texture, as after SetUp. The skin's
    // alpha flag is `alpha`: an AddTexture or ReplaceTexture asking for alpha sets it before the
    // file is read, so a refused file leaves it set; nothing else changes it.
    void ExpectTablesUntouched(const std::string& what, bool alpha = false)
    {
        EXPECT_EQ(1u, skins_->GetSkinCount()) << what;
        EXPECT_EQ(0u, skins_->GetTextureCount()) << what;
        EXPECT_EQ(nullptr, skins_->GetTextureInfo(0, nullptr, nullptr, nullptr)) << what;
        const SkinRecord rec = skins_->GetSkinRecord(skin_);
        EXPECT_EQ(alpha, rec.alpha) << what;
        for (UINT s = 0; s < 8; ++s) EXPECT_EQ(NoId, rec.textures[s]) << what << " stage " << s;
    }

    // Adds a good bitmap to the skin and draws its texture over the whole back buffer.
    Picture AddGoodAndDraw(bool alpha)
    {
        const std::string name = alpha ? "good_alpha.bmp" : "good.bmp";
        EXPECT_TRUE(Write(name, BitmapBytes(MakeBitmap(4, 4, kGood))));
        EXPECT_EQ(OXE_OK, skins_->AddTexture(skin_, name.c_str(), alpha, 1.0f, nullptr, 0));
        const UINT id = skins_->GetSkinRecord(skin_).textures[0];
        EXPECT_EQ(0u, id);
        IDirect3DDevice9* d = Device()->device();
        Picture p;
        d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        d->BeginScene();
        DrawTexturedRect(d, skins_->GetD3DTexture(id), 0, 0, 64, 64);
        d->EndScene();
        testsupport::ReadBackBuffer(d, p);
        d->Present(nullptr, nullptr, nullptr, nullptr);
        return p;
    }

    std::unique_ptr<OXELog> log_;
    std::unique_ptr<OXED3DSkinManager> skins_;
    UINT skin_ = NoId;
};

// R5G6B5 keeps 5 or 6 bits of each channel: the colour read back is within a step of it.
bool NearGood(uint32_t rgb)
{
    const int r = int(rgb >> 16 & 0xFF), g = int(rgb >> 8 & 0xFF), b = int(rgb & 0xFF);
    return std::abs(r - 0x20) <= 8 && std::abs(g - 0xC0) <= 4 && std::abs(b - 0x40) <= 8;
}

} // namespace

TEST_F(SkinBitmaps, EveryBadBitmapIsRefusedWithItsCodeAndChangesNoTable)
{
    bool flagSet = false; // the skin's alpha flag: set by the first refused alpha texture
    for (const BadBitmap& bad : BadBitmaps()) {
        ASSERT_TRUE(Write("bad.bmp", bad.bytes())) << bad.name;
        for (bool alpha : {false, true}) {
            const std::string what = std::string(bad.name) + (alpha ? " (alpha)" : " (opaque)");
            const D3DCOLORVALUE key = {1, 0, 0, 0};
            EXPECT_EQ(bad.expected, skins_->AddTexture(skin_, "bad.bmp", alpha, 0.5f, &key, 1)) << what;
            EXPECT_EQ(bad.expected, skins_->ReplaceTexture(skin_, 2, "bad.bmp", alpha, 1.0f, nullptr, 0)) << what;
            flagSet = flagSet || alpha;
            ExpectTablesUntouched(what, flagSet);
        }
        EXPECT_EQ(bad.expected, skins_->AddNormalMapTexture(skin_, "bad.bmp")) << bad.name;
        ExpectTablesUntouched(std::string(bad.name) + " (normal map)", flagSet);
    }
}

TEST_F(SkinBitmaps, GoodBitmapAddedAfterTheRefusalsLoadsAndDraws)
{
    for (const BadBitmap& bad : BadBitmaps()) {
        ASSERT_TRUE(Write("bad.bmp", bad.bytes())) << bad.name;
        EXPECT_TRUE(FAILED(skins_->AddTexture(skin_, "bad.bmp", false, 1.0f, nullptr, 0))) << bad.name;
    }
    ExpectTablesUntouched("after every refusal");
    Picture p = AddGoodAndDraw(false);
    ASSERT_EQ(p.width, 64);
    EXPECT_TRUE(NearGood(p.rgb(5, 5))) << std::hex << p.rgb(5, 5);
    EXPECT_TRUE(NearGood(p.rgb(60, 60))) << std::hex << p.rgb(60, 60);
    EXPECT_EQ(1u, skins_->GetTextureCount());
}

TEST_F(SkinBitmaps, GoodAlphaBitmapAfterARefusedOneKeepsItsExactColour)
{
    ASSERT_TRUE(Write("bad.bmp", With([](BitmapFields& f) { f.bitsOffset = 100000; })));
    EXPECT_TRUE(FAILED(skins_->AddTexture(skin_, "bad.bmp", true, 1.0f, nullptr, 0)));
    Picture p = AddGoodAndDraw(true);
    ASSERT_EQ(p.width, 64);
    EXPECT_EQ(kGood, p.rgb(32, 32)); // A8R8G8B8 keeps the colour byte for byte
    EXPECT_TRUE(skins_->GetSkinRecord(skin_).alpha);
}

TEST_F(SkinBitmaps, TopDownBitmapWithANegativeHeightIsAValidPicture)
{
    // A negative height is the legal top-down form: it loads like any other 24-bit picture.
    ASSERT_TRUE(Write("topdown.bmp", With([](BitmapFields& f) { f.height = -f.height; })));
    EXPECT_EQ(OXE_OK, skins_->AddTexture(skin_, "topdown.bmp", true, 1.0f, nullptr, 0));
    ASSERT_EQ(1u, skins_->GetTextureCount());
    D3DSURFACE_DESC desc;
    ASSERT_EQ(D3D_OK, skins_->GetD3DTexture(0)->GetLevelDesc(0, &desc));
    EXPECT_EQ(8u, desc.Width);
    EXPECT_EQ(4u, desc.Height);
}

TEST(BitmapFileCheck, SizesAreBoundedAndCheckedAndThePaletteLiesBeforeTheRows)
{
    // Refused by the check itself, whatever the system's loader would make of them.
    for (const BadBitmap& bad : BadBitmaps()) {
        ASSERT_TRUE(Write("checked.bmp", bad.bytes())) << bad.name;
        EXPECT_EQ(bad.expected != OXE_FILENOTFOUND, IsWholeBitmapFile("checked.bmp")) << bad.name;
    }
    // The largest sides taken, with every row there (1 bit per pixel keeps the files small).
    for (int32_t w : {32768, 1}) {
        BitmapFields f = MakeBitmap(1, 1, 0);
        f.bitCount = 1;
        f.width = w;
        f.height = w == 1 ? -32768 : 1;
        f.coloursUsed = 2;
        const uint32_t rowBytes = (uint32_t(w) + 31) / 32 * 4;
        f.pixels = std::string(8, '\0') + std::string(size_t(rowBytes) * (w == 1 ? 32768 : 1), '\0');
        f.bitsOffset = 54 + 8;
        ASSERT_TRUE(Write("checked.bmp", BitmapBytes(f)));
        EXPECT_TRUE(IsWholeBitmapFile("checked.bmp")) << w;
        f.pixels.pop_back();
        ASSERT_TRUE(Write("checked.bmp", BitmapBytes(f)));
        EXPECT_FALSE(IsWholeBitmapFile("checked.bmp")) << w << ", the last row one byte short";
    }
    // 54-byte headers whose sizes would wrap 64 bits if multiplied or added unchecked (row size
    // times height, offset plus rows), or lie outside the sides taken: refused in a file of 54
    // bytes, and those past the sides even in a file of 2^63 bytes.
    struct Header { int32_t width, height; uint32_t offset; uint16_t bits; bool pastTheSides; };
    for (const Header h : {Header{0x7FFFFFFF, INT_MIN, 54, 24, true}, Header{0x7FFFFFFF, 0x7FFFFFFF, 54, 32, true},
                           Header{-1, 1, 54, 24, true}, Header{32769, 1, 54, 1, true},
                           Header{8, 4, 0xFFFFFFF0, 24, false}, Header{32768, 32768, 54, 32, false}}) {
        BitmapFields f = MakeBitmap(1, 1, 0);
        f.width = h.width;
        f.height = h.height;
        f.bitsOffset = h.offset;
        f.bitCount = h.bits;
        f.pixels.clear();
        const std::string bytes = BitmapBytes(f);
        const uint8_t* head = reinterpret_cast<const uint8_t*>(bytes.data());
        EXPECT_FALSE(IsWholeBitmapData(head, bytes.size(), bytes.size())) << h.width << " x " << h.height;
        EXPECT_EQ(!h.pastTheSides, IsWholeBitmapData(head, bytes.size(), ~0ULL >> 1))
            << h.width << " x " << h.height << " in a file of 2^63 bytes";
    }
}

TEST_F(SkinBitmaps, BitmapsWithAPaletteOrTheOldHeaderWithinTheirBoundsLoad)
{
    // 24 bits after an (unused) palette of 256 colours: the rows start after it.
    BitmapFields f = MakeBitmap(8, 4, kGood);
    f.coloursUsed = 256;
    f.pixels = std::string(1024, '\x11') + f.pixels;
    f.bitsOffset = 54 + 1024;
    ASSERT_TRUE(Write("palette.bmp", BitmapBytes(f)));
    EXPECT_EQ(OXE_OK, skins_->AddTexture(skin_, "palette.bmp", true, 1.0f, nullptr, 0));
    // The old 12-byte header, 24 bits, 4 x 2.
    std::string core = "BM";
    for (uint32_t w : {uint32_t(26 + 2 * 12), 0u, 26u, 12u}) core += std::string(reinterpret_cast<const char*>(&w), 4);
    for (uint16_t h : {uint16_t(4), uint16_t(2), uint16_t(1), uint16_t(24)}) core += std::string(reinterpret_cast<const char*>(&h), 2);
    core += std::string(2 * 12, '\x40');
    ASSERT_TRUE(Write("core.bmp", core));
    EXPECT_EQ(OXE_OK, skins_->AddTexture(skin_, "core.bmp", true, 1.0f, nullptr, 0));
    ASSERT_EQ(2u, skins_->GetTextureCount());
    D3DSURFACE_DESC desc;
    ASSERT_EQ(D3D_OK, skins_->GetD3DTexture(1)->GetLevelDesc(0, &desc));
    EXPECT_EQ(4u, desc.Width);
    EXPECT_EQ(2u, desc.Height);
}

TEST_F(SkinBitmaps, RepeatedRefusalsLeakNoHandleAndNoMemory)
{
    // Large claimed pictures whose pixel rows are not there: a texture or a bitmap section
    // kept by a refusal would show at once.
    ASSERT_TRUE(Write("cut.bmp", Cut(BitmapBytes(MakeBitmap(256, 256, 0x102030)), 54 + 256 * 3 * 100)));
    ASSERT_TRUE(Write("offset.bmp", With([](BitmapFields& f) { f.bitsOffset = 100000; })));
    ASSERT_TRUE(Write("deep.bmp", [] { BitmapFields f = MakeBitmap(128, 128, 0); f.bitCount = 32; f.pixels += f.pixels.substr(0, f.pixels.size() / 3); return BitmapBytes(f); }()));
    for (const char* name : {"cut.bmp", "offset.bmp", "deep.bmp", "nothing_here.bmp"}) {
        const Growth g = GrowthOver(kLeakLoops, [&] {
            EXPECT_TRUE(FAILED(skins_->AddTexture(skin_, name, true, 0.5f, nullptr, 0)));
            EXPECT_TRUE(FAILED(skins_->AddNormalMapTexture(skin_, name)));
        });
        EXPECT_LE(g.handles, kHandleMargin) << name;
        EXPECT_LE(g.privateBytes, kPrivateByteMargin) << name;
    }
    ExpectTablesUntouched("after the loops", true);
}

TEST_F(SkinBitmaps, ReleasingTheManagerLeavesNoReferenceOnTheDevice)
{
    ASSERT_TRUE(Write("bad.bmp", Cut(BitmapBytes(Good()), 30)));
    EXPECT_TRUE(FAILED(skins_->AddTexture(skin_, "bad.bmp", false, 1.0f, nullptr, 0)));
    AddGoodAndDraw(false);
    skins_.reset();
    EXPECT_EQ(0u, Device()->releaseDevice());
    delete Device();
    Device() = nullptr;
}

TEST(SkinBitmapsOfTheLibrary, TheBitmapWhoseSizeWrapsIsRefusedAtOnceByPelmoraGraf)
{
    LibraryDevice& graf = *new LibraryDevice("PelmoraGraf.dll", 64, 64);
    ASSERT_TRUE(graf.ok());
    OXESkinManager* skins = graf.device()->GetSkinManager();
    ASSERT_NE(nullptr, skins);
    UINT skin = NoId;
    ASSERT_EQ(OXE_OK, skins->CreateSkin(&kWhite, &kWhite, &kBlack, &kBlack, 0.0f, &skin));
    BitmapFields f = MakeBitmap(1, 1, 0);
    f.width = 0x7FFFFFFF;
    f.height = INT_MIN;
    f.pixels.clear();
    const std::string wrapping = BitmapBytes(f);
    ASSERT_EQ(54u, wrapping.size());
    ASSERT_TRUE(Write("wrapping.bmp", wrapping));
    HRESULT hr = OXE_OK;
    TimedWithHangGuard("54-byte bitmap 0x7FFFFFFF x INT_MIN through PelmoraGraf.dll (AddTexture)",
                       [&] { hr = skins->AddTexture(skin, "wrapping.bmp", true, 1.0f, nullptr, 0); });
    EXPECT_EQ(OXE_FILENOTFOUND, hr);
    EXPECT_EQ(nullptr, skins->GetTextureInfo(0, nullptr, nullptr, nullptr)) << "no texture was added";
    ASSERT_TRUE(Write("good.bmp", BitmapBytes(MakeBitmap(4, 4, kGood))));
    EXPECT_EQ(OXE_OK, skins->AddTexture(skin, "good.bmp", true, 1.0f, nullptr, 0));
    EXPECT_EQ(0u, graf.ReleaseAndCount());
}
