// Meshes loaded from .x files the tests write: counts, materials, textures found through the
// media lookup, failures leaving empty objects, and the pixels drawn on a real device.
#include "Parts2Test.h"
#include "CMesh.h"
#include "meshObject.h"
#include "simpleMesh.h"
#include <gtest/gtest.h>
#include <functional>

using namespace parts2test;

namespace {

const uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// A box from (-1,-1,-1) to (1,1,1): the two front triangles (z = -1) red, the other ten blue,
// no textures and no normals.
const char* kBoxX =
    "xof 0303txt 0032\n"
    "Material Red { 1.0;0.0;0.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n"
    "Material Blue { 0.0;0.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n"
    "Mesh Box {\n 8;\n"
    " -1.0;-1.0;-1.0;, -1.0;1.0;-1.0;, 1.0;1.0;-1.0;, 1.0;-1.0;-1.0;,\n"
    " -1.0;-1.0;1.0;, -1.0;1.0;1.0;, 1.0;1.0;1.0;, 1.0;-1.0;1.0;;\n"
    " 12;\n 3;0,1,2;, 3;0,2,3;, 3;7,6,5;, 3;7,5,4;, 3;4,5,1;, 3;4,1,0;,\n"
    " 3;3,2,6;, 3;3,6,7;, 3;1,5,6;, 3;1,6,2;, 3;4,0,3;, 3;4,3,7;;\n"
    " MeshMaterialList { 2; 12; 0,0,1,1,1,1,1,1,1,1,1,1;; { Red } { Blue } }\n"
    "}\n";

// Files shared by the mesh tests, written once into the working folder; the quad's texture
// lies in media\ so that only the lookup's retry finds it.
void WriteMeshFiles()
{
    static bool written = false;
    if (written) return;
    written = true;
    CreateDirectoryA("media", nullptr);
    ASSERT_TRUE(WriteBmp("media\\quadtex.bmp", 8, 8, kRed, kGreen));
    ASSERT_TRUE(WriteBmp("bluetex.bmp", 8, 8, kBlue, kBlue));
    ASSERT_TRUE(testsupport::WriteFileText("quad.x", QuadX("quadtex.bmp")));
    ASSERT_TRUE(testsupport::WriteFileText("box.x", kBoxX));
    ASSERT_TRUE(testsupport::WriteFileText("missingtex.x", QuadX("no_such_texture.bmp")));
    ASSERT_TRUE(testsupport::WriteFileText("notamesh.x", "this is not a mesh file at all\n"));
    ASSERT_TRUE(testsupport::WriteFileText("garbage.x", std::string("xof 0303bin 0032\x01\x02\x03\xFF\xFE", 26)));
}

class MeshTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(D3D(), nullptr) << "no device";
        WriteMeshFiles();
    }
    static testsupport::Picture Draw(CMeshInstance& instance)
    {
        BeginFrame(0xFF000000);
        SetPlainView();
        instance.Render(D3D());
        return EndFrameAndRead();
    }
};

char* Name(const char* s) { return const_cast<char*>(s); }

D3DMATERIAL9 Diffuse(float r, float g, float b)
{
    D3DMATERIAL9 m = {};
    m.Diffuse = D3DCOLORVALUE{r, g, b, 1.0f};
    m.Ambient = m.Diffuse;
    return m;
}

} // namespace

TEST_F(MeshTest, TexturedQuadLoadsThroughLookupAndDrawsItsTexture)
{
    CMesh mesh;
    ASSERT_EQ(mesh.Load(Name("quad.x"), D3D()), 1);
    ASSERT_NE(mesh.GetMesh(), nullptr);
    EXPECT_EQ(mesh.GetMesh()->GetNumFaces(), 2u);
    ASSERT_EQ(mesh.GetNumMaterials(), 1u);
    const D3DMATERIAL9* m = mesh.GetMeshMaterial(0);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->Ambient.r, m->Diffuse.r);
    EXPECT_EQ(m->Ambient.g, m->Diffuse.g);
    EXPECT_EQ(m->Ambient.b, m->Diffuse.b);
    EXPECT_NE(mesh.GetMeshTexture(0), nullptr);
    EXPECT_EQ(mesh.GetMeshMaterial(1), nullptr);
    EXPECT_EQ(mesh.GetMeshTexture(-1), nullptr);

    CMeshInstance instance;
    instance.SetMesh(&mesh);
    testsupport::Picture p = Draw(instance);
    // Lit by the white global ambient alone: the texture shows as it is, red left, green right.
    EXPECT_EQ(p.rgb(450, 384), kRed);
    EXPECT_EQ(p.rgb(580, 384), kGreen);
    EXPECT_EQ(p.rgb(300, 384), 0u);
    EXPECT_EQ(p.rgb(512, 150), 0u);
    // The sampler is left with no texture after drawing.
    IDirect3DBaseTexture9* bound = nullptr;
    D3D()->GetTexture(0, &bound);
    EXPECT_EQ(bound, nullptr);
    if (bound) bound->Release();
}

TEST_F(MeshTest, TwoMaterialBoxDrawsOneSubsetPerMaterialWithAmbientFromDiffuse)
{
    CMesh mesh;
    ASSERT_EQ(mesh.Load(Name("box.x"), D3D()), 1);
    ASSERT_EQ(mesh.GetNumMaterials(), 2u);
    EXPECT_EQ(mesh.GetMeshTexture(0), nullptr);
    EXPECT_EQ(mesh.GetMeshTexture(1), nullptr);
    EXPECT_FLOAT_EQ(mesh.GetMeshMaterial(0)->Ambient.r, 1.0f);
    EXPECT_FLOAT_EQ(mesh.GetMeshMaterial(1)->Ambient.b, 1.0f);

    // Turned by a yaw, the front face (red) and a side face (blue) both show. The colour
    // comes from the material's ambient only, so it proves ambient was copied from diffuse.
    CMeshInstance instance;
    instance.SetMesh(&mesh);
    instance.transform.RotateAbs(0, 0.6f, 0);
    instance.transform.ScaleAbs(0.7f, 0.7f, 0.7f);
    testsupport::Picture p = Draw(instance);
    const int red = p.count(kRed), blue = p.count(kBlue);
    EXPECT_GT(red, 2000);
    EXPECT_GT(blue, 500);
    EXPECT_EQ(red + blue + p.count(0), p.width * p.height) << "only the two materials are drawn";
}

TEST_F(MeshTest, SharedMeshMaterialChangeSeenByEveryInstance)
{
    CMesh mesh;
    ASSERT_EQ(mesh.Load(Name("box.x"), D3D()), 1);
    CMeshInstance first, second;
    first.SetMesh(&mesh);
    second.SetMesh(&mesh);
    first.setMaterial(Diffuse(0, 1, 0), 0);
    first.setMaterial(Diffuse(0, 1, 0), 7); // out of range: ignored
    EXPECT_FLOAT_EQ(mesh.GetMeshMaterial(0)->Diffuse.g, 1.0f);
    testsupport::Picture p = Draw(second);
    EXPECT_EQ(p.rgb(512, 384), kGreen);

    // Releasing an instance forgets the mesh but leaves it loaded for the others.
    first.Release();
    EXPECT_EQ(first.mesh, nullptr);
    EXPECT_NE(mesh.GetMesh(), nullptr);
}

TEST_F(MeshTest, BadFilesFailAndLeaveEmptyMeshesThatDrawNothing)
{
    CMesh mesh;
    ASSERT_EQ(mesh.Load(Name("quad.x"), D3D()), 1);
    // A texture that cannot be found fails the whole load and empties what was held before.
    EXPECT_EQ(mesh.Load(Name("missingtex.x"), D3D()), 0);
    EXPECT_EQ(mesh.GetMesh(), nullptr);
    EXPECT_EQ(mesh.GetNumMaterials(), 0u);
    EXPECT_EQ(mesh.GetMeshMaterial(0), nullptr);
    EXPECT_EQ(mesh.Load(Name("notamesh.x"), D3D()), 0);
    EXPECT_EQ(mesh.Load(Name("garbage.x"), D3D()), 0);
    EXPECT_EQ(mesh.Load(Name("no_such_file.x"), D3D()), 0);
    EXPECT_EQ(mesh.Load(nullptr, D3D()), 0);
    EXPECT_EQ(mesh.GetMesh(), nullptr);

    CMeshInstance instance;
    instance.SetMesh(&mesh);
    testsupport::Picture p = Draw(instance);
    EXPECT_EQ(p.count(0), p.width * p.height);
}

TEST_F(MeshTest, InstanceWithoutMeshSetsNoState)
{
    CMeshInstance instance;
    D3D()->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    D3D()->SetRenderState(D3DRS_LIGHTING, FALSE);
    D3D()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    instance.Render(D3D());
    DWORD zfunc = 0, lighting = 1, colorop = 0;
    D3D()->GetRenderState(D3DRS_ZFUNC, &zfunc);
    D3D()->GetRenderState(D3DRS_LIGHTING, &lighting);
    D3D()->GetTextureStageState(0, D3DTSS_COLOROP, &colorop);
    EXPECT_EQ(zfunc, DWORD(D3DCMP_ALWAYS));
    EXPECT_EQ(lighting, DWORD(FALSE));
    EXPECT_EQ(colorop, DWORD(D3DTOP_SELECTARG1));

    // With a mesh, the listed states are set.
    CMesh mesh;
    ASSERT_EQ(mesh.Load(Name("box.x"), D3D()), 1);
    instance.SetMesh(&mesh);
    BeginFrame(0);
    instance.Render(D3D());
    EndFrameAndRead();
    D3D()->GetRenderState(D3DRS_ZFUNC, &zfunc);
    D3D()->GetRenderState(D3DRS_LIGHTING, &lighting);
    D3D()->GetTextureStageState(0, D3DTSS_COLOROP, &colorop);
    EXPECT_EQ(zfunc, DWORD(D3DCMP_LESSEQUAL));
    EXPECT_EQ(lighting, DWORD(TRUE));
    EXPECT_EQ(colorop, DWORD(D3DTOP_MODULATE));
}

TEST_F(MeshTest, MeshObjectUsesItsOwnTextureForTexturedMaterials)
{
    meshObject object;
    object.setTextureFN(advString("bluetex.bmp"));
    // The path is taken as given: the quad's own texture (in media\) is never looked for.
    object.init(D3D(), advString("quad.x"), 0);
    ASSERT_NE(object.mesh, nullptr);
    ASSERT_EQ(object.GetNumMaterials(), 1u);
    EXPECT_NE(object.textures[0], nullptr);
    D3DMATERIAL9 m = object.getMaterial(0);
    EXPECT_EQ(m.Ambient.r, m.Diffuse.r);
    D3DMATERIAL9 none = object.getMaterial(5);
    EXPECT_EQ(none.Diffuse.r, 0.0f);

    BeginFrame(0xFF000000);
    SetPlainView();
    object.Render(D3D());
    testsupport::Picture p = EndFrameAndRead();
    // Ambient 0xAA over a white material times a blue texture.
    EXPECT_TRUE(Near(p.rgb(512, 384), 0x0000AA, 3)) << std::hex << p.rgb(512, 384);

    // A new texture replaces the old one; a file that does not load keeps it.
    object.ChangeTexture(D3D(), 0, advString("no_such.bmp"));
    EXPECT_NE(object.textures[0], nullptr);
    object.ChangeTexture(D3D(), 0, advString("media\\quadtex.bmp"));
    object.ChangeTexture(D3D(), 3, advString("bluetex.bmp")); // out of range: ignored
    object.ChangeMaterial(0, Diffuse(1, 1, 1));
    BeginFrame(0xFF000000);
    SetPlainView();
    object.Render(D3D());
    p = EndFrameAndRead();
    EXPECT_TRUE(Near(p.rgb(450, 384), 0xAA0000, 3)) << std::hex << p.rgb(450, 384);
    EXPECT_TRUE(Near(p.rgb(580, 384), 0x00AA00, 3)) << std::hex << p.rgb(580, 384);
}

TEST_F(MeshTest, MeshObjectLeavesUntexturedMaterialsAndFailedFilesEmpty)
{
    meshObject object;
    object.setTextureFN(advString("bluetex.bmp"));
    object.init(D3D(), advString("box.x"), 0);
    ASSERT_EQ(object.GetNumMaterials(), 2u);
    EXPECT_EQ(object.textures[0], nullptr);
    EXPECT_EQ(object.textures[1], nullptr);

    object.init(D3D(), advString("notamesh.x"), 0);
    EXPECT_EQ(object.mesh, nullptr);
    EXPECT_EQ(object.GetNumMaterials(), 0u);
    BeginFrame(0xFF000000);
    SetPlainView();
    object.Render(D3D());
    testsupport::Picture p = EndFrameAndRead();
    EXPECT_EQ(p.count(0), p.width * p.height);
}

// numMaterials is a public field: set past the arrays the meshes made, drawing, reading,
// changing and releasing stay within them (past them lay other memory, read, written and
// released as textures before).
TEST_F(MeshTest, MaterialCountSetPastTheArraysStaysWithinThem)
{
    const DWORD tooMany = 1u << 20;
    auto lit = [](const std::function<void()>& render) {
        BeginFrame(0xFF000000);
        SetPlainView();
        render();
        testsupport::Picture p = EndFrameAndRead();
        return p.width * p.height - p.count(0);
    };
    CMesh mesh;
    ASSERT_EQ(mesh.Load(Name("box.x"), D3D()), 1);
    CMeshInstance instance;
    instance.SetMesh(&mesh);
    instance.transform.RotateAbs(0, 0.6f, 0);
    instance.transform.ScaleAbs(0.7f, 0.7f, 0.7f);
    const int box = lit([&] { instance.Render(D3D()); });
    EXPECT_GT(box, 2500);
    mesh.numMaterials = tooMany;
    EXPECT_EQ(lit([&] { instance.Render(D3D()); }), box);
    EXPECT_EQ(mesh.GetMeshMaterial(2), nullptr);
    EXPECT_EQ(mesh.GetMeshTexture(100000), nullptr);
    mesh.setMeshMaterial(Diffuse(1, 1, 1), 100000);

    meshObject object;
    object.init(D3D(), advString("box.x"), 0);
    ASSERT_EQ(object.GetNumMaterials(), 2u);
    const int objectBox = lit([&] { object.Render(D3D()); });
    object.numMaterials = tooMany;
    EXPECT_EQ(object.getMaterial(100000).Diffuse.r, 0.0f);
    object.ChangeMaterial(100000, Diffuse(1, 1, 1));
    object.ChangeTexture(D3D(), 100000, advString("bluetex.bmp"));
    EXPECT_EQ(lit([&] { object.Render(D3D()); }), objectBox);

    simpleMesh simple;
    ASSERT_EQ(simple.init(D3D(), advString("box.x")), 0);
    const int simpleBox = lit([&] { simple.Render(D3D()); });
    simple.numMaterials = tooMany;
    EXPECT_EQ(lit([&] { simple.Render(D3D()); }), simpleBox);
    // Each releases its arrays (and the textures in them) as far as they reach.
}

TEST_F(MeshTest, SimpleMeshLoadsItsTexturesAndTriesTheParentFolder)
{
    // The texture lies only in the parent of the working folder.
    ASSERT_TRUE(WriteBmp("..\\parenttex_parts2.bmp", 8, 8, kWhite, kWhite));
    ASSERT_TRUE(testsupport::WriteFileText("parentquad.x", QuadX("parenttex_parts2.bmp")));
    MessageBoxAnswerer boxes;
    simpleMesh mesh;
    EXPECT_FALSE(mesh.isValidDatatype());
    ASSERT_EQ(mesh.init(D3D(), advString("parentquad.x")), 0);
    EXPECT_EQ(boxes.count(), 0);
    ASSERT_EQ(mesh.numMaterials, 1u);
    EXPECT_NE(mesh.textures[0], nullptr);
    EXPECT_EQ(mesh.materials[0].Ambient.g, mesh.materials[0].Diffuse.g);

    BeginFrame(0xFF000000);
    SetPlainView();
    EXPECT_EQ(mesh.Render(D3D()), 0);
    testsupport::Picture p = EndFrameAndRead();
    // Its ambient light is pure red: a white texture on a white material shows red.
    EXPECT_EQ(p.rgb(512, 384), kRed);
    DeleteFileA("..\\parenttex_parts2.bmp");
}

TEST_F(MeshTest, SimpleMeshReportsMissingMeshAndTextureInMessageBoxes)
{
    MessageBoxAnswerer boxes;
    simpleMesh mesh;
    EXPECT_EQ(mesh.init(D3D(), advString("notamesh.x")), E_FAIL);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.caption(0), "SimpleMesh");
    EXPECT_EQ(boxes.text(0), "Could not find mesh");
    EXPECT_EQ(mesh.mesh, nullptr);

    // A missing texture is shown and skipped: the mesh still loads, untextured.
    EXPECT_EQ(mesh.init(D3D(), advString("missingtex.x")), 0);
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.caption(1), "SimpleMesh");
    EXPECT_EQ(boxes.text(1), "Could not find texture map");
    ASSERT_EQ(mesh.numMaterials, 1u);
    EXPECT_EQ(mesh.textures[0], nullptr);
    EXPECT_NE(mesh.mesh, nullptr);
}
