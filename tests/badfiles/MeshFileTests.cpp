// .x mesh files that cannot be loaded (empty, text and binary files cut short, random bytes) and
// meshes whose texture is missing or unreadable, for the three mesh classes: a failed load
// leaves an empty object that draws nothing, a missing texture leaves the material drawn
// untextured where the class allows it, and a good file loads afterwards into the same object.
#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include <d3dx9.h>
#include "BadFileSupport.h"
#include "PartsDevice.h"
#include "CMesh.h"
#include "meshObject.h"
#include "simpleMesh.h"
#include "advString.h"

using namespace badfiles;
using testsupport::Picture;

namespace {

const uint32_t kTextureColour = 0x30D050; // the good texture

// The unit square at z = 0 facing -z with one white material naming `texture` (none when
// empty), normals and texture coordinates, in the text form.
std::string QuadText(const std::string& texture)
{
    std::string material = "Material Mat0 {\n 1.0;1.0;1.0;1.0;;\n 0.0;\n 0.0;0.0;0.0;;\n 0.0;0.0;0.0;;\n";
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

// Writer of the binary form: 16-bit token ids followed by their data.
class BinaryX {
public:
    BinaryX() { raw("xof 0303bin 0032", 16); }
    void name(const char* s) { token(1); dword(uint32_t(strlen(s))); raw(s, strlen(s)); }
    void text(const char* s) { token(2); dword(uint32_t(strlen(s))); raw(s, strlen(s)); token(0x14); }
    void open() { token(10); }
    void close() { token(11); }
    void ints(std::initializer_list<uint32_t> values)
    {
        token(6);
        dword(uint32_t(values.size()));
        for (uint32_t v : values) dword(v);
    }
    void floats(std::initializer_list<float> values)
    {
        token(7);
        dword(uint32_t(values.size()));
        for (float f : values) raw(&f, 4);
    }
    const std::string& bytes() const { return data_; }

private:
    void token(uint16_t t) { raw(&t, 2); }
    void dword(uint32_t v) { raw(&v, 4); }
    void raw(const void* p, size_t n) { data_.append(static_cast<const char*>(p), n); }
    std::string data_;
};

// The same square in the binary form, naming `texture`.
std::string QuadBinary(const char* texture)
{
    BinaryX x;
    x.name("Mesh");
    x.name("Quad");
    x.open();
    x.ints({4});
    x.floats({-1, -1, 0, -1, 1, 0, 1, 1, 0, 1, -1, 0});
    x.ints({2, 3, 0, 1, 2, 3, 0, 2, 3});
    x.name("MeshMaterialList");
    x.open();
    x.ints({1, 2, 0, 0});
    x.name("Material");
    x.open();
    x.floats({1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0});
    x.name("TextureFilename");
    x.open();
    x.text(texture);
    x.close();
    x.close();
    x.close();
    x.name("MeshTextureCoords");
    x.open();
    x.ints({4});
    x.floats({0, 1, 0, 0, 1, 0, 1, 1});
    x.close();
    x.close();
    return x.bytes();
}

// The compressed text form: the 16-byte header naming "tzip", the inflated size (header
// included), then blocks of (inflated size, stored size, "CK", deflate data). The deflate data
// here are stored blocks, each one complete and final, so no compressor is needed.
struct CompressedBlock {
    uint16_t inflated;  // what the block says it inflates to
    std::string data;   // the bytes it carries
};
std::string Compressed(uint32_t statedSize, const std::vector<CompressedBlock>& blocks)
{
    auto u16 = [](std::string& s, uint32_t v) { s.push_back(char(v & 0xFF)); s.push_back(char(v >> 8 & 0xFF)); };
    std::string out = "xof 0303tzip0032";
    for (int k = 0; k < 4; ++k) out.push_back(char(statedSize >> (8 * k) & 0xFF));
    for (const CompressedBlock& b : blocks) {
        std::string deflate(1, '\x01'); // final stored block
        u16(deflate, uint32_t(b.data.size()));
        u16(deflate, uint32_t(b.data.size()) ^ 0xFFFF);
        deflate += b.data;
        u16(out, b.inflated);
        u16(out, uint32_t(deflate.size() + 2));
        out += "CK" + deflate;
    }
    return out;
}
// A compressed file of one block carrying the given deflate bytes.
std::string CompressedRaw(uint32_t statedSize, uint16_t inflated, const std::string& deflate)
{
    std::string out = "xof 0303tzip0032";
    for (int k = 0; k < 4; ++k) out.push_back(char(statedSize >> (8 * k) & 0xFF));
    const uint32_t stored = uint32_t(deflate.size() + 2);
    out += {char(inflated & 0xFF), char(inflated >> 8), char(stored & 0xFF), char(stored >> 8 & 0xFF)};
    return out + "CK" + deflate;
}
// The square's text file compressed in two blocks.
std::string QuadCompressed(const std::string& texture)
{
    const std::string body = QuadText(texture).substr(16);
    const size_t half = body.size() / 2;
    return Compressed(uint32_t(16 + body.size()),
                      {{uint16_t(half), body.substr(0, half)}, {uint16_t(body.size() - half), body.substr(half)}});
}

struct BadMesh {
    std::string name;
    std::string bytes;
};

// Every unreadable mesh file of the matrix.
std::vector<BadMesh> BadMeshes()
{
    const std::string text = QuadText("meshtex.bmp");
    const std::string binary = QuadBinary("meshtex.bmp");
    const std::string zipped = QuadCompressed("meshtex.bmp");
    const std::string body = text.substr(16);
    std::vector<BadMesh> bad = {
        {"empty", ""},
        {"text header only", Cut(text, 16)},
        {"text cut inside the material", Cut(text, 40)},
        {"text cut inside the vertices", Cut(text, text.find("1.0;1.0;0.0;,") + 5)},
        {"text cut inside the faces", Cut(text, text.find("3;0,2,3") + 3)},
        {"text cut inside the material list", Cut(text, text.find("{ Mat0 }") + 3)},
        {"binary header only", Cut(binary, 16)},
        {"binary cut inside a name", Cut(binary, 16 + 8)},
        {"binary cut inside the vertices", Cut(binary, binary.size() / 3)},
        {"binary cut inside the material", Cut(binary, binary.size() / 2)},
        {"binary without its last token", Cut(binary, binary.size() - 2)},
        {"binary count past the end", Cut(binary, 16) + std::string("\x01\x00\xFF\xFF\xFF\x7F", 6) + "Mesh"},
        {"random bytes", RandomBytes(1, 512)},
        {"random bytes after a text header", "xof 0303txt 0032" + RandomBytes(2, 512)},
        {"random bytes after a binary header", "xof 0303bin 0032" + RandomBytes(3, 512)},
        {"random bytes after a compressed header", "xof 0303bzip0032" + RandomBytes(4, 512)},
        {"random bytes after a compressed text header", "xof 0303tzip0032" + RandomBytes(6, 512)},
        {"compressed header only", "xof 0303tzip0032"},
        {"compressed, no block", Cut(zipped, 20)},
        {"compressed, cut inside a block", Cut(zipped, zipped.size() - 40)},
        {"compressed, block size past the end", zipped.substr(0, 22) + "\xFF\x7F" + zipped.substr(24)},
        {"compressed, block without its signature", zipped.substr(0, 24) + "XX" + zipped.substr(26)},
        {"compressed, stated size too small", Compressed(uint32_t(body.size()), {{uint16_t(body.size()), body}})},
        {"compressed, stated size too large", Compressed(uint32_t(body.size() + 100), {{uint16_t(body.size()), body}})},
        {"compressed, empty block", Compressed(16, {{0, ""}})},
        {"compressed, block inflating to less than it says",
         Compressed(uint32_t(16 + body.size() + 500), {{uint16_t(body.size() + 500), body}})},
        {"compressed, block inflating to more than it says",
         Compressed(uint32_t(16 + body.size() - 10), {{uint16_t(body.size() - 10), body}})},
        {"compressed, damaged deflate data", CompressedRaw(uint32_t(16 + body.size()), uint16_t(body.size()), RandomBytes(8, 300))},
        {"compressed, stored block length spoiled", zipped.substr(0, 27) + "\x00" + zipped.substr(28)},
    };
    for (uint32_t seed = 10; seed < 14; ++seed)
        bad.push_back({"random binary tokens " + std::to_string(seed), "xof 0303bin 0032" + RandomBytes(seed, 64)});
    return bad;
}

LibraryDevice& Device()
{
    static LibraryDevice* device = new LibraryDevice("PelmoraParts.dll", 1024, 768);
    return *device;
}

// World identity, camera at (0, 0, -3) looking at the origin with a 90 degree field: the unit
// square covers x 384..640 and y 256..512 of the 1024 x 768 picture. No lights, white ambient.
void PlainView(IDirect3DDevice9* d)
{
    D3DXMATRIX world, view, proj;
    D3DXMatrixIdentity(&world);
    D3DXVECTOR3 eye(0, 0, -3), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 2, 1024.0f / 768.0f, 0.1f, 100.0f);
    d->SetTransform(D3DTS_WORLD, &world);
    d->SetTransform(D3DTS_VIEW, &view);
    d->SetTransform(D3DTS_PROJECTION, &proj);
    for (DWORD i = 0; i < 8; ++i) d->LightEnable(i, FALSE);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d->SetTexture(0, nullptr);
    d->SetVertexShader(nullptr);
    d->SetPixelShader(nullptr);
}

template <class Draw> Picture Frame(Draw draw)
{
    Device().begin();
    PlainView(Device().d3d());
    draw(Device().d3d());
    return Device().end();
}

class MeshFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Device().ok());
        ASSERT_TRUE(Write("meshtex.bmp", BitmapBytes(MakeBitmap(8, 8, kTextureColour))));
        ASSERT_TRUE(Write("good.x", QuadText("meshtex.bmp")));
        ASSERT_TRUE(Write("goodbin.x", QuadBinary("meshtex.bmp")));
        ASSERT_TRUE(Write("goodzip.x", QuadCompressed("meshtex.bmp")));
        ASSERT_TRUE(Write("plain.x", QuadText("")));
    }
    // The square drawn textured: the texture's colour in the middle of the picture.
    static void ExpectTexturedSquare(const Picture& p, const std::string& what)
    {
        ASSERT_EQ(p.width, 1024) << what;
        EXPECT_EQ(kTextureColour, p.rgb(512, 384)) << what;
        EXPECT_EQ(0u, p.rgb(20, 20)) << what << ": outside the square";
    }
};

} // namespace

TEST_F(MeshFiles, CMeshRefusesEveryBadFileAndLoadsAGoodOneAfterwards)
{
    CMesh mesh;
    CMeshInstance instance;
    instance.SetMesh(&mesh);
    for (const BadMesh& bad : BadMeshes()) {
        SCOPED_TRACE(bad.name);
        ASSERT_TRUE(Write("bad.x", bad.bytes));
        ASSERT_EQ(1, mesh.Load(const_cast<char*>("good.x"), Device().d3d()));
        EXPECT_EQ(0, mesh.Load(const_cast<char*>("bad.x"), Device().d3d()));
        EXPECT_EQ(nullptr, mesh.GetMesh());
        EXPECT_EQ(0u, mesh.GetNumMaterials());
        EXPECT_EQ(nullptr, mesh.GetMeshMaterial(0));
        EXPECT_EQ(0, CountNot(Frame([&](IDirect3DDevice9* d) { instance.Render(d); }), 0));
    }
    for (const char* good : {"good.x", "goodbin.x", "goodzip.x"}) {
        ASSERT_EQ(1, mesh.Load(const_cast<char*>(good), Device().d3d())) << good;
        ExpectTexturedSquare(Frame([&](IDirect3DDevice9* d) { instance.Render(d); }), good);
    }
}

TEST_F(MeshFiles, MeshObjectLeftEmptyByEveryBadFileDrawsNothingAndReloads)
{
    meshObject object;
    object.setTextureFN(advString("meshtex.bmp"));
    for (const BadMesh& bad : BadMeshes()) {
        SCOPED_TRACE(bad.name);
        ASSERT_TRUE(Write("bad.x", bad.bytes));
        object.init(Device().d3d(), advString("good.x"), 0);
        ASSERT_NE(nullptr, object.mesh);
        object.init(Device().d3d(), advString("bad.x"), 0);
        EXPECT_EQ(nullptr, object.mesh);
        EXPECT_EQ(0u, object.GetNumMaterials());
        EXPECT_EQ(0, CountNot(Frame([&](IDirect3DDevice9* d) { object.Render(d); }), 0));
    }
    object.init(Device().d3d(), advString("goodzip.x"), 0);
    ASSERT_EQ(1u, object.GetNumMaterials());
    EXPECT_NE(nullptr, object.textures[0]);
    // Lit by its own ambient light, the textured square shows in the middle only.
    Picture p = Frame([&](IDirect3DDevice9* d) { object.Render(d); });
    EXPECT_NE(0u, p.rgb(512, 384));
    EXPECT_EQ(0u, p.rgb(20, 20));
}

TEST_F(MeshFiles, SimpleMeshReportsEveryBadFileOnceAndDrawsNothing)
{
    // Every message box costs about two seconds here: a few files of each kind.
    simpleMesh mesh;
    const std::vector<BadMesh> all = BadMeshes();
    for (size_t i = 0; i < all.size(); i += 8) {
        const BadMesh& bad = all[i];
        SCOPED_TRACE(bad.name);
        ASSERT_TRUE(Write("bad.x", bad.bytes));
        MessageBoxAnswerer boxes;
        ASSERT_EQ(0, mesh.init(Device().d3d(), advString("good.x")));
        EXPECT_EQ(E_FAIL, mesh.init(Device().d3d(), advString("bad.x")));
        ASSERT_EQ(1, boxes.count());
        EXPECT_EQ("SimpleMesh", boxes.caption(0));
        EXPECT_EQ("Could not find mesh", boxes.text(0));
        EXPECT_EQ(nullptr, mesh.mesh);
        EXPECT_EQ(0u, mesh.numMaterials);
        EXPECT_EQ(0, CountNot(Frame([&](IDirect3DDevice9* d) { EXPECT_EQ(0, mesh.Render(d)); }), 0));
    }
}

TEST_F(MeshFiles, MissingOrUnreadableTextureLeavesTheSquareUntexturedWhereTheClassAllowsIt)
{
    // The untextured reference: the same square whose material names no texture.
    meshObject plainObject;
    plainObject.setTextureFN(advString("meshtex.bmp"));
    plainObject.init(Device().d3d(), advString("plain.x"), 0);
    ASSERT_NE(nullptr, plainObject.mesh);
    const Picture objectPlain = Frame([&](IDirect3DDevice9* d) { plainObject.Render(d); });
    simpleMesh plainSimple;
    ASSERT_EQ(0, plainSimple.init(Device().d3d(), advString("plain.x")));
    const Picture simplePlain = Frame([&](IDirect3DDevice9* d) { plainSimple.Render(d); });
    ASSERT_NE(0u, objectPlain.rgb(512, 384)) << "the untextured square is drawn";
    ASSERT_NE(0u, simplePlain.rgb(512, 384)) << "the untextured square is drawn";

    const std::string goodBmp = Read("meshtex.bmp");
    const struct { const char* name; std::string bytes; bool exists; } textures[] = {
        {"missing", "", false},
        {"empty", "", true},
        {"random bytes", RandomBytes(21, 300), true},
    };
    for (const auto& t : textures) {
        SCOPED_TRACE(t.name);
        DeleteFileA("badtex.bmp");
        if (t.exists) {
            ASSERT_TRUE(Write("badtex.bmp", t.bytes));
        }
        ASSERT_TRUE(Write("badtex.x", QuadText("badtex.bmp")));

        // CMesh takes a texture it cannot make as a failed load.
        CMesh mesh;
        EXPECT_EQ(0, mesh.Load(const_cast<char*>("badtex.x"), Device().d3d()));
        EXPECT_EQ(nullptr, mesh.GetMesh());

        // meshObject gives its own texture file: a bad one leaves the square untextured.
        meshObject object;
        object.setTextureFN(advString("badtex.bmp"));
        object.init(Device().d3d(), advString("good.x"), 0);
        ASSERT_EQ(1u, object.GetNumMaterials());
        EXPECT_EQ(nullptr, object.textures[0]);
        const Picture po = Frame([&](IDirect3DDevice9* d) { object.Render(d); });
        EXPECT_EQ(0, CountDiff(po, objectPlain)) << "meshObject draws the square untextured";

        // simpleMesh says so, goes on, and draws the square untextured.
        MessageBoxAnswerer boxes;
        simpleMesh simple;
        EXPECT_EQ(0, simple.init(Device().d3d(), advString("badtex.x")));
        ASSERT_EQ(1, boxes.count());
        EXPECT_EQ("Could not find texture map", boxes.text(0));
        ASSERT_EQ(1u, simple.numMaterials);
        EXPECT_EQ(nullptr, simple.textures[0]);
        const Picture ps = Frame([&](IDirect3DDevice9* d) { simple.Render(d); });
        EXPECT_EQ(0, CountDiff(ps, simplePlain)) << "simpleMesh draws the square untextured";
    }
}

TEST_F(MeshFiles, TextureNamesFromTheFileThatAreAbsoluteOrNetworkNamesAreNotOpened)
{
    char full[MAX_PATH];
    ASSERT_GT(GetFullPathNameA("meshtex.bmp", MAX_PATH, full, nullptr), 3u);
    const std::string path = full;
    ASSERT_EQ(':', path[1]) << path;
    // Every name leads to the good texture, but not from the folders the program looks in.
    const std::vector<std::string> names = {
        path,                               // absolute
        "\\\\?\\" + path,                   // device path
        path.substr(2),                     // from the root of the current drive
        path.substr(0, 2) + "meshtex.bmp",  // drive and the drive's current folder
        "\\\\localhost\\share\\meshtex.bmp", // network
        "//localhost/share/meshtex.bmp",
    };
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        SCOPED_TRACE(name);
        ASSERT_TRUE(Write("elsewhere.x", QuadText(name)));
        // D3DX hands the name over as written.
        ID3DXBuffer* materials = nullptr;
        ID3DXMesh* loaded = nullptr;
        DWORD count = 0;
        ASSERT_EQ(D3D_OK, D3DXLoadMeshFromXA("elsewhere.x", D3DXMESH_SYSTEMMEM, Device().d3d(), nullptr, &materials,
                                             nullptr, &count, &loaded));
        ASSERT_EQ(1u, count);
        EXPECT_EQ(name, static_cast<D3DXMATERIAL*>(materials->GetBufferPointer())[0].pTextureFilename);
        materials->Release();
        loaded->Release();

        CMesh mesh;
        EXPECT_EQ(0, mesh.Load(const_cast<char*>("elsewhere.x"), Device().d3d())) << "its texture is not found";
        if (i >= 4) continue; // each message box costs two seconds: the names that open a file here
        MessageBoxAnswerer boxes;
        simpleMesh simple;
        EXPECT_EQ(0, simple.init(Device().d3d(), advString("elsewhere.x")));
        ASSERT_EQ(1, boxes.count());
        EXPECT_EQ("Could not find texture map", boxes.text(0));
        ASSERT_EQ(1u, simple.numMaterials);
        EXPECT_EQ(nullptr, simple.textures[0]);
    }
    // The same texture by its relative name loads.
    ASSERT_TRUE(Write("here.x", QuadText("meshtex.bmp")));
    CMesh mesh;
    EXPECT_EQ(1, mesh.Load(const_cast<char*>("here.x"), Device().d3d()));
    EXPECT_NE(nullptr, mesh.GetMeshTexture(0));
}

TEST_F(MeshFiles, RealMeshesCompressedByZlibLoadAsTheirTextDoes)
{
    const std::string folder = testsupport::ProgramFolder();
    const std::string text = Read(folder + "torus.x");
    ASSERT_GT(text.size(), 100000u);
    // Blocks of the first deflate stream of each file: 1 fixed Huffman codes, 2 dynamic ones.
    const struct { const char* file; int blockType; } zipped[] = {
        {"torus_fixed.x", 1}, {"torus_dynamic.x", 2}, {"torus_history.x", 2}, {"quad_fixed.x", 1}, {"quad_dynamic.x", 2}};
    for (const auto& z : zipped) {
        const std::string bytes = Read(folder + z.file);
        ASSERT_GT(bytes.size(), 26u) << z.file;
        EXPECT_EQ("xof 0303tzip0032", bytes.substr(0, 16)) << z.file;
        EXPECT_EQ("CK", bytes.substr(24, 2)) << z.file;
        EXPECT_EQ(z.blockType, (uint8_t(bytes[26]) >> 1) & 3) << z.file;
    }
    EXPECT_LT(Read(folder + "torus_history.x").size(), Read(folder + "torus_dynamic.x").size())
        << "earlier blocks serve as history";

    // CMesh looks files up by relative names: the meshes are copied into the working folder.
    for (const char* file : {"torus.x", "torus_fixed.x", "torus_dynamic.x", "torus_history.x", "quad_fixed.x", "quad_dynamic.x"})
        ASSERT_TRUE(CopyFileA((folder + file).c_str(), file, FALSE)) << file;
    CMesh reference;
    ASSERT_EQ(1, reference.Load(const_cast<char*>("torus.x"), Device().d3d()));
    ASSERT_EQ(2u, reference.GetNumMaterials());
    CMeshInstance instance;
    instance.SetMesh(&reference);
    const Picture expected = Frame([&](IDirect3DDevice9* d) { instance.Render(d); });
    ASSERT_GT(CountNot(expected, 0), 10000) << "the torus fills much of the picture";

    for (const char* file : {"torus_fixed.x", "torus_dynamic.x", "torus_history.x"}) {
        SCOPED_TRACE(file);
        const std::string path = file;
        CMesh mesh;
        ASSERT_EQ(1, mesh.Load(const_cast<char*>(file), Device().d3d()));
        EXPECT_EQ(reference.GetMesh()->GetNumVertices(), mesh.GetMesh()->GetNumVertices());
        EXPECT_EQ(reference.GetMesh()->GetNumFaces(), mesh.GetMesh()->GetNumFaces());
        EXPECT_EQ(2u, mesh.GetNumMaterials());
        instance.SetMesh(&mesh);
        EXPECT_EQ(0, CountDiff(expected, Frame([&](IDirect3DDevice9* d) { instance.Render(d); })));
        instance.SetMesh(&reference);

        meshObject object;
        object.init(Device().d3d(), advString(path.c_str()), 0);
        EXPECT_EQ(2u, object.GetNumMaterials());
        simpleMesh simple;
        EXPECT_EQ(0, simple.init(Device().d3d(), advString(path.c_str())));
        EXPECT_EQ(2u, simple.numMaterials);
        // Cut anywhere, the compressed file is refused before D3DX reads it.
        const std::string bytes = Read(path);
        for (size_t cut : {bytes.size() / 3, bytes.size() / 2, bytes.size() - 1}) {
            ASSERT_TRUE(Write("cutzip.x", Cut(bytes, cut)));
            EXPECT_EQ(0, mesh.Load(const_cast<char*>("cutzip.x"), Device().d3d())) << "cut at " << cut;
        }
    }
    for (const char* file : {"quad_fixed.x", "quad_dynamic.x"}) {
        CMesh mesh;
        EXPECT_EQ(1, mesh.Load(const_cast<char*>(file), Device().d3d())) << file;
    }
}

TEST_F(MeshFiles, RepeatedFailingMeshLoadsLeakNoHandleAndNoMemory)
{
    ASSERT_TRUE(Write("cut.x", Cut(QuadBinary("meshtex.bmp"), 120)));
    ASSERT_TRUE(Write("noise.x", "xof 0303txt 0032" + RandomBytes(5, 4000)));
    ASSERT_TRUE(Write("badzip.x", Cut(QuadCompressed("meshtex.bmp"), 100)));
    CMesh mesh;
    meshObject object;
    object.setTextureFN(advString("nothing_here.bmp"));
    const struct { const char* name; std::function<void()> load; } loops[] = {
        {"CMesh, binary cut short", [&] { EXPECT_EQ(0, mesh.Load(const_cast<char*>("cut.x"), Device().d3d())); }},
        {"CMesh, broken compressed file", [&] { EXPECT_EQ(0, mesh.Load(const_cast<char*>("badzip.x"), Device().d3d())); }},
        {"meshObject, random text", [&] { object.init(Device().d3d(), advString("noise.x"), 0); }},
    };
    for (const auto& loop : loops) {
        const Growth g = GrowthOver(kLeakLoops, loop.load);
        EXPECT_LE(g.handles, kHandleMargin) << loop.name;
        EXPECT_LE(g.privateBytes, kPrivateByteMargin) << loop.name;
    }
}

TEST_F(MeshFiles, ReleasingTheRenderDeviceLeavesNoReferenceOnTheDevice)
{
    {
        CMesh mesh;
        ASSERT_TRUE(Write("bad.x", Cut(QuadText("meshtex.bmp"), 60)));
        EXPECT_EQ(0, mesh.Load(const_cast<char*>("bad.x"), Device().d3d()));
        ASSERT_EQ(1, mesh.Load(const_cast<char*>("good.x"), Device().d3d()));
    }
    EXPECT_EQ(0u, Device().ReleaseAndCount());
}
