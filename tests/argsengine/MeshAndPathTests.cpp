// File names at and past the 260-byte path buffers: the media lookup, and the mesh loaders with
// over-long mesh and texture names; material and texture indices of the meshes one past their
// range and at the ends of the int range. Frames are read back to show what still draws.
#include "Parts2Test.h"
#include "CMesh.h"
#include "FindMediaFile.h"
#include "meshObject.h"
#include "simpleMesh.h"
#include <gtest/gtest.h>
#include <climits>
#include <cstring>
#include <string>

using namespace parts2test;

namespace {

const uint32_t kRed = 0xFF0000;

// The unit square at z = 0 facing -z with one material of diffuse red; it names the texture
// file when one is given (the name may be as long as the test likes).
std::string RedQuadX(const std::string& texture)
{
    std::string material = "Material Mat0 {\n 1.0;0.0;0.0;1.0;;\n 0.0;\n 0.0;0.0;0.0;;\n 0.0;0.0;0.0;;\n";
    if (!texture.empty()) material += " TextureFilename { \"" + texture + "\"; }\n";
    material += "}\n";
    return "xof 0303txt 0032\n" + material +
           "Mesh Quad {\n 4;\n -1.0;-1.0;0.0;, -1.0;1.0;0.0;, 1.0;1.0;0.0;, 1.0;-1.0;0.0;;\n"
           " 2;\n 3;0,1,2;, 3;0,2,3;;\n"
           " MeshMaterialList { 1; 2; 0, 0;; { Mat0 } }\n"
           " MeshNormals { 1; 0.0;0.0;-1.0;; 2; 3;0,0,0;, 3;0,0,0;; }\n"
           " MeshTextureCoords { 4; 0.0;1.0;, 0.0;0.0;, 1.0;0.0;, 1.0;1.0;; }\n"
           "}\n";
}

std::string WriteX(const std::string& name, const std::string& texture)
{
    EXPECT_TRUE(testsupport::WriteFileText(name, RedQuadX(texture)));
    return name;
}

char* Name(const std::string& s) { return const_cast<char*>(s.c_str()); }

template <class Drawable> testsupport::Picture DrawOne(Drawable& d)
{
    BeginFrame(0xFF000000);
    SetPlainView();
    d.Render(D3D());
    return EndFrameAndRead();
}

bool SameMaterial(const D3DMATERIAL9& a, const D3DMATERIAL9& b) { return memcmp(&a, &b, sizeof a) == 0; }

// A 260-byte path buffer with guard bytes after it.
struct GuardedPath {
    char bytes[kMediaPathSize + 64];
    GuardedPath() { memset(bytes, '#', sizeof bytes); }
    char* path() { return bytes; }
    bool guardIntact() const
    {
        for (size_t i = kMediaPathSize; i < sizeof bytes; ++i)
            if (bytes[i] != '#') return false;
        return true;
    }
    bool untouched() const
    {
        for (char c : bytes)
            if (c != '#') return false;
        return true;
    }
};

class MeshLimits : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(D3D(), nullptr); }
};

} // namespace

TEST(PathLimits, LookupFindsAPathOf259BytesAndRefusesLongerOnesWithoutWritingPastTheBuffer)
{
    // ".\" + a 257-byte relative leaf = 259 bytes: the longest path the buffer holds.
    const std::string folder(200, 'd');
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string leaf = folder + "\\" + std::string(56, 'f');
    ASSERT_EQ(leaf.size(), 257u);
    ASSERT_TRUE(testsupport::WriteFileText(leaf, "x"));
    char program[kMediaPathSize] = "C:\\nowhere\\", name[kMediaPathSize] = "demo\\";

    GuardedPath found;
    ASSERT_TRUE(FindMediaFileInDirs(program, name, leaf.c_str(), found.path()));
    EXPECT_EQ(std::string(found.path()), ".\\" + leaf);
    EXPECT_TRUE(found.guardIntact());

    // One byte more: every candidate passes the limit and nothing is written at all.
    const std::string longer = leaf + "g";
    GuardedPath refused;
    EXPECT_FALSE(FindMediaFileInDirs(program, name, longer.c_str(), refused.path()));
    EXPECT_TRUE(refused.untouched());
    for (size_t n : {size_t(258), size_t(259), size_t(260), size_t(261), size_t(5000)}) {
        const std::string leafN(n, 'L');
        GuardedPath out;
        EXPECT_FALSE(FindMediaFile(leafN.c_str(), out.path())) << n;
        EXPECT_TRUE(out.untouched()) << n;
    }

    // Null arguments are refused, not followed.
    GuardedPath out;
    EXPECT_FALSE(FindMediaFile(nullptr, out.path()));
    EXPECT_FALSE(FindMediaFile(leaf.c_str(), nullptr));
    EXPECT_FALSE(FindMediaFileInDirs(nullptr, name, leaf.c_str(), out.path()));
    EXPECT_FALSE(FindMediaFileInDirs(program, nullptr, leaf.c_str(), out.path()));
    EXPECT_FALSE(FindMediaFileInDirs(program, name, nullptr, out.path()));
    EXPECT_TRUE(out.untouched());
}

TEST(PathLimits, ProgramPathsPastTheBufferSplitIntoNothing)
{
    struct Guarded {
        char dir[kMediaPathSize];
        char dirGuard[32];
        char name[kMediaPathSize];
        char nameGuard[32];
    } g;
    auto split = [&](const std::string& path) {
        memset(&g, '#', sizeof g);
        SplitProgramPath(path.c_str(), g.dir, g.name);
        for (char c : g.dirGuard) EXPECT_EQ(c, '#') << path.size();
        for (char c : g.nameGuard) EXPECT_EQ(c, '#') << path.size();
    };
    // The longest folder that fits: 259 bytes with its backslash.
    split("C:\\" + std::string(255, 'a') + "\\demo.exe");
    EXPECT_EQ(strlen(g.dir), 259u);
    EXPECT_STREQ(g.name, "demo\\");
    // A folder of 260 bytes, a name of 259 bytes plus its backslash, a path without a backslash
    // longer than the buffer: nothing that does not fit is kept.
    split("C:\\" + std::string(256, 'a') + "\\demo.exe");
    EXPECT_STREQ(g.dir, "");
    EXPECT_STREQ(g.name, "");
    split("C:\\" + std::string(259, 'n') + ".exe");
    EXPECT_STREQ(g.dir, "C:\\");
    EXPECT_STREQ(g.name, "");
    split("C:\\" + std::string(258, 'n') + ".exe");
    EXPECT_EQ(strlen(g.name), 259u);
    split(std::string(300, 'p'));
    EXPECT_STREQ(g.dir, "");
    EXPECT_STREQ(g.name, "");
}

TEST_F(MeshLimits, MeshFilesAndTextureNamesPastThePathLimitFailCleanly)
{
    // Over-long mesh names: not found, the mesh stays empty.
    CMesh mesh;
    for (size_t n : {size_t(259), size_t(260), size_t(1023), size_t(5000)}) {
        std::string file(n, 'm');
        EXPECT_EQ(mesh.Load(Name(file), D3D()), 0) << n;
        EXPECT_EQ(mesh.GetMesh(), nullptr);
    }
    EXPECT_EQ(mesh.Load(nullptr, D3D()), 0);
    std::string plain = WriteX("al_plain.x", "");
    EXPECT_EQ(mesh.Load(Name(plain), nullptr), 0);

    // A material naming a texture past the path limit: the lookup refuses it, the load fails
    // and leaves nothing behind; the same file without the texture still loads and draws.
    for (size_t n : {size_t(300), size_t(1100)}) {
        std::string file = WriteX("al_longtex.x", std::string(n, 't') + ".bmp");
        EXPECT_EQ(mesh.Load(Name(file), D3D()), 0) << n;
        EXPECT_EQ(mesh.GetMesh(), nullptr) << n;
        EXPECT_EQ(mesh.GetNumMaterials(), 0u) << n;
        CMeshInstance instance;
        instance.SetMesh(&mesh);
        EXPECT_EQ(DrawOne(instance).count(0), 1024 * 768) << n;
    }
    ASSERT_EQ(mesh.Load(Name(plain), D3D()), 1);
    CMeshInstance instance;
    instance.SetMesh(&mesh);
    EXPECT_EQ(DrawOne(instance).rgb(512, 384), kRed);
}

TEST_F(MeshLimits, MeshMaterialAndTextureIndicesOutOfRangeChangeNothing)
{
    CMesh mesh;
    std::string plain = WriteX("al_plain.x", "");
    ASSERT_EQ(mesh.Load(Name(plain), D3D()), 1);
    ASSERT_EQ(mesh.GetNumMaterials(), 1u);
    const D3DMATERIAL9 before = *mesh.GetMeshMaterial(0);
    D3DMATERIAL9 green = {};
    green.Diffuse = green.Ambient = D3DCOLORVALUE{0, 1, 0, 1};

    CMeshInstance instance, other;
    instance.SetMesh(&mesh);
    for (int i : {1, 2, INT_MAX, -1, INT_MIN}) {
        EXPECT_EQ(mesh.GetMeshMaterial(i), nullptr) << i;
        EXPECT_EQ(mesh.GetMeshTexture(i), nullptr) << i;
        mesh.setMeshMaterial(green, i);
        instance.setMaterial(green, i);
        other.setMaterial(green, i); // no mesh at all
    }
    EXPECT_TRUE(SameMaterial(*mesh.GetMeshMaterial(0), before));
    EXPECT_EQ(DrawOne(instance).rgb(512, 384), kRed) << "still drawn in its own material";

    // The valid index does change it, so the calls above would have shown.
    instance.setMaterial(green, 0);
    EXPECT_EQ(DrawOne(instance).rgb(512, 384), 0x00FF00u);

    // An empty mesh answers no index at all.
    CMesh empty;
    EXPECT_EQ(empty.GetMeshMaterial(0), nullptr);
    EXPECT_EQ(empty.GetMeshTexture(0), nullptr);
    empty.setMeshMaterial(green, 0);
}

TEST_F(MeshLimits, MeshObjectIndicesAndNamesOutOfRange)
{
    ASSERT_TRUE(WriteBmp("al_blue.bmp", 8, 8, 0x0000FF, 0x0000FF));
    meshObject object;
    // Over-long names: the name is the empty string or a file that is not there; nothing loads.
    object.init(D3D(), advString(std::string(1024, 'o').c_str()), 0);
    EXPECT_EQ(object.mesh, nullptr);
    object.init(D3D(), advString(std::string(1023, 'o').c_str()), 0);
    EXPECT_EQ(object.mesh, nullptr);
    EXPECT_EQ(object.GetNumMaterials(), 0u);
    object.init(nullptr, advString(WriteX("al_plain.x", "").c_str()), 0);
    EXPECT_EQ(object.mesh, nullptr);
    EXPECT_EQ(DrawOne(object).count(0), 1024 * 768);

    // A textured material whose one texture name is the longest string: untextured, drawn.
    object.setTextureFN(advString(std::string(1023, 'n').c_str()));
    object.init(D3D(), advString(WriteX("al_tex.x", "any.bmp").c_str()), 0);
    ASSERT_NE(object.mesh, nullptr);
    ASSERT_EQ(object.GetNumMaterials(), 1u);
    EXPECT_EQ(object.textures[0], nullptr);
    object.ChangeTexture(D3D(), 0, advString(std::string(1023, 'n').c_str()));
    EXPECT_EQ(object.textures[0], nullptr) << "a missing file leaves the slot as it was";

    const D3DMATERIAL9 before = object.getMaterial(0);
    D3DMATERIAL9 green = {};
    green.Diffuse = green.Ambient = D3DCOLORVALUE{0, 1, 0, 1};
    const D3DMATERIAL9 zero = {};
    for (int i : {1, INT_MAX, -1, INT_MIN}) {
        EXPECT_TRUE(SameMaterial(object.getMaterial(i), zero)) << i;
        object.ChangeMaterial(i, green);
        object.ChangeTexture(D3D(), i, advString("al_blue.bmp"));
    }
    object.ChangeTexture(nullptr, 0, advString("al_blue.bmp"));
    EXPECT_TRUE(SameMaterial(object.getMaterial(0), before));
    EXPECT_EQ(object.textures[0], nullptr);
    // Ambient 0xAA over the red material, no texture.
    testsupport::Picture p = DrawOne(object);
    EXPECT_TRUE(Near(p.rgb(512, 384), 0xAA0000, 3)) << std::hex << p.rgb(512, 384);

    // The valid index changes the texture: blue times the red material is black.
    object.ChangeTexture(D3D(), 0, advString("al_blue.bmp"));
    ASSERT_NE(object.textures[0], nullptr);
    p = DrawOne(object);
    EXPECT_TRUE(Near(p.rgb(512, 384), 0, 3)) << std::hex << p.rgb(512, 384);
}

TEST_F(MeshLimits, SimpleMeshTextureNameTooLongForTheParentRetryIsReportedNotCut)
{
    // 258 bytes: the name itself is tried; "..\" + the name would need 262 bytes with its
    // terminator, more than the 260 of the path, so the retry is not made from a cut name.
    MessageBoxAnswerer boxes;
    simpleMesh mesh;
    const std::string texture(254, 'u');
    EXPECT_EQ(mesh.init(D3D(), advString(WriteX("al_simple.x", texture + ".bmp").c_str())), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.caption(0), "SimpleMesh");
    EXPECT_EQ(boxes.text(0), "Could not find texture map");
    ASSERT_EQ(mesh.numMaterials, 1u);
    EXPECT_EQ(mesh.textures[0], nullptr);

    // A mesh name of the longest string is simply not found.
    simpleMesh missing;
    EXPECT_EQ(missing.init(D3D(), advString(std::string(1023, 's').c_str())), E_FAIL);
    EXPECT_EQ(missing.init(nullptr, advString("al_simple.x")), E_FAIL);
    EXPECT_EQ(boxes.count(), 3);
    EXPECT_EQ(boxes.text(2), "Could not find mesh");
    EXPECT_EQ(missing.Render(D3D()), 0);
}
