// Surfaces copied to the back buffer and between surfaces (read back), textures from files, and
// the 3D text mesh drawn on a real device.
#include "Parts2Test.h"
#include "OXESurface.h"
#include "OXETexture.h"
#include "OXEText3D.h"
#include "OXEResult.h"
#include <gtest/gtest.h>

using namespace parts2test;

namespace {

class SurfaceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(D3D(), nullptr) << "no device"; }
};

uint32_t PixelOf(IDirect3DSurface9* s, int x, int y)
{
    D3DLOCKED_RECT locked;
    if (FAILED(s->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return 0xDEADBEEF;
    uint32_t v = static_cast<const uint32_t*>(locked.pBits)[size_t(y) * (locked.Pitch / 4) + x] & 0xFFFFFF;
    s->UnlockRect();
    return v;
}

void Fill(IDirect3DSurface9* s, uint32_t color)
{
    D3DSURFACE_DESC desc;
    s->GetDesc(&desc);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(s->LockRect(&locked, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < desc.Height; ++y)
        for (UINT x = 0; x < desc.Width; ++x)
            static_cast<uint32_t*>(locked.pBits)[size_t(y) * (locked.Pitch / 4) + x] = 0xFF000000 | color;
    s->UnlockRect();
}

} // namespace

TEST_F(SurfaceTest, LoadedPictureCopiedToTheBackBuffer)
{
    ASSERT_TRUE(WriteBmp("surface.bmp", 64, 32, 0xFF0000, 0x0000FF));
    OXESurface surface;
    EXPECT_EQ(surface.copyToBackBuffer(), OXE_INVALIDPARAM) << "nothing to copy yet";
    ASSERT_EQ(surface.LoadFromFile("surface.bmp"), OXE_OK);
    EXPECT_EQ(surface.getinfo().Width, 64u);
    EXPECT_EQ(surface.getinfo().Height, 32u);
    ASSERT_NE(surface.getSurface(), nullptr);
    D3DSURFACE_DESC desc;
    surface.getSurface()->GetDesc(&desc);
    EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
    EXPECT_EQ(desc.Format, Device()->GetDisplayFormat());

    BeginFrame(0xFF00FF00);
    EXPECT_EQ(surface.copyToBackBuffer(), OXE_OK);
    testsupport::Picture p = EndFrameAndRead();
    EXPECT_EQ(p.rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(p.rgb(31, 31), 0xFF0000u);
    EXPECT_EQ(p.rgb(32, 0), 0x0000FFu);
    EXPECT_EQ(p.rgb(63, 31), 0x0000FFu);
    EXPECT_EQ(p.rgb(64, 0), 0x00FF00u);
    EXPECT_EQ(p.rgb(0, 32), 0x00FF00u);

    EXPECT_EQ(surface.LoadFromFile("no_such_picture.bmp"), OXE_FILENOTFOUND);
    EXPECT_EQ(surface.getinfo().Width, 64u) << "a failed load keeps the last description";
}

TEST_F(SurfaceTest, CopiesBetweenSurfaces)
{
    OXESurface a, b;
    ASSERT_EQ(a.CreateNewBlankSurface(16, 8), OXE_OK);
    ASSERT_EQ(b.CreateNewBlankSurface(16, 8), OXE_OK);
    EXPECT_EQ(a.CreateNewBlankSurface(0, 8), OXE_INVALIDPARAM);
    Fill(a.getSurface(), 0x123456);
    Fill(b.getSurface(), 0x000000);
    // Two system-memory surfaces: copied through locks.
    EXPECT_EQ(a.copyToOtherSurface(b.getSurface()), OXE_OK);
    EXPECT_EQ(PixelOf(b.getSurface(), 15, 7), 0x123456u);
    Fill(b.getSurface(), 0x654321);
    EXPECT_EQ(a.copyFromOtherSurface(b.getSurface()), OXE_OK);
    EXPECT_EQ(PixelOf(a.getSurface(), 3, 2), 0x654321u);
    EXPECT_EQ(a.copyToOtherSurface(nullptr), OXE_INVALIDPARAM);

    // Into a default-pool render target through the device's surface update.
    IDirect3DSurface9* target = nullptr;
    ASSERT_EQ(D3D()->CreateRenderTarget(16, 8, Device()->GetDisplayFormat(), D3DMULTISAMPLE_NONE, 0, FALSE, &target,
                                        nullptr),
              D3D_OK);
    EXPECT_EQ(a.copyToOtherSurface(target), OXE_OK);
    OXESurface readBack;
    ASSERT_EQ(readBack.CreateNewBlankSurface(16, 8), OXE_OK);
    ASSERT_EQ(D3D()->GetRenderTargetData(target, readBack.getSurface()), D3D_OK);
    EXPECT_EQ(PixelOf(readBack.getSurface(), 8, 4), 0x654321u);
    target->Release();
}

TEST_F(SurfaceTest, TextureFromFileAndFailures)
{
    ASSERT_TRUE(WriteBmp("texture.bmp", 16, 16, 0x00FF00, 0x00FF00));
    OXETexture texture;
    EXPECT_EQ(texture.GetTexture(), nullptr);
    EXPECT_EQ(texture.Create(D3D(), const_cast<char*>("texture.bmp")), OXE_OK);
    IDirect3DTexture9* first = texture.GetTexture();
    ASSERT_NE(first, nullptr);
    D3DSURFACE_DESC desc;
    first->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 16u);

    EXPECT_EQ(texture.Create(D3D(), const_cast<char*>("no_such_texture.bmp")), OXE_FAIL);
    EXPECT_EQ(texture.GetTexture(), first) << "a failed load keeps the texture";
    ASSERT_TRUE(testsupport::WriteFileText("broken.bmp", "BM not really a bitmap"));
    EXPECT_EQ(texture.Create(D3D(), const_cast<char*>("broken.bmp")), OXE_FAIL);

    OXETexture made(D3D(), const_cast<char*>("texture.bmp"));
    EXPECT_NE(made.GetTexture(), nullptr);
    // A reload releases the texture held before: only the new one stays referenced here.
    first->AddRef();
    EXPECT_EQ(texture.Create(D3D(), const_cast<char*>("texture.bmp")), OXE_OK);
    EXPECT_NE(texture.GetTexture(), first);
    EXPECT_EQ(first->Release(), 0u);
}

TEST_F(SurfaceTest, Text3DDrawsBlueLitTextAndNothingWithoutAMesh)
{
    OXEText3D text;
    EXPECT_FALSE(text.lighting);
    D3D()->SetRenderState(D3DRS_AMBIENT, 0x01020304);
    text.Render(D3D());
    DWORD v = 0;
    D3D()->GetRenderState(D3DRS_AMBIENT, &v);
    EXPECT_EQ(v, 0x01020304u) << "no mesh: no state set";

    ASSERT_EQ(text.CreatD3DXTextMesh(D3D(), const_cast<char*>("Arial"), advString("HI"), 12, 1, 0), D3D_OK);
    ASSERT_NE(text.mesh, nullptr);
    EXPECT_GT(text.mesh->GetNumFaces(), 10u);

    // Text of one unit height at the origin, seen from (0, 0, -3); lit by the ambient 0x32 alone.
    text.lighting = true;
    BeginFrame(0xFF000000);
    SetPlainView();
    text.Render(D3D());
    testsupport::Picture p = EndFrameAndRead();
    EXPECT_GT(p.count(0x000032), 200) << "ambient 0x32 on the blue material";
    EXPECT_EQ(p.count(0x000032) + p.count(0), p.width * p.height);

    // Unlit, the mesh's own colour (none: white) shows wherever the glyphs are.
    text.lighting = false;
    BeginFrame(0xFF000000);
    SetPlainView();
    text.Render(D3D());
    p = EndFrameAndRead();
    EXPECT_GT(p.width * p.height - p.count(0), 200);
    D3D()->GetRenderState(D3DRS_AMBIENT, &v);
    EXPECT_EQ(v, 0xFF323232u);
}
