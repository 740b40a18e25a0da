// The binary form of the .x format: a red quad written token by token, loaded and drawn.
#include "Parts2Test.h"
#include "CMesh.h"
#include <gtest/gtest.h>
#include <cstring>
#include <vector>

using namespace parts2test;

namespace {

// Writer of the binary token stream: 16-bit token ids followed by their data.
class BinaryX {
public:
    BinaryX() { raw("xof 0303bin 0032", 16); }
    void name(const char* s)
    {
        token(1);
        dword(uint32_t(strlen(s)));
        raw(s, strlen(s));
    }
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
    const std::vector<char>& bytes() const { return data_; }

private:
    void token(uint16_t t) { raw(&t, 2); }
    void dword(uint32_t v) { raw(&v, 4); }
    void raw(const void* p, size_t n) { data_.insert(data_.end(), (const char*)p, (const char*)p + n); }
    std::vector<char> data_;
};

} // namespace

TEST(BinaryMesh, BinaryFileLoadsWithItsMaterialAndDraws)
{
    ASSERT_NE(D3D(), nullptr);
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
    x.floats({1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0});
    x.close();
    x.close();
    x.close();
    ASSERT_TRUE(testsupport::WriteFileBytes("binquad.x", x.bytes().data(), x.bytes().size()));

    CMesh mesh;
    ASSERT_EQ(mesh.Load(const_cast<char*>("binquad.x"), D3D()), 1);
    EXPECT_EQ(mesh.GetMesh()->GetNumFaces(), 2u);
    ASSERT_EQ(mesh.GetNumMaterials(), 1u);
    EXPECT_EQ(mesh.GetMeshMaterial(0)->Ambient.r, 1.0f);
    EXPECT_EQ(mesh.GetMeshTexture(0), nullptr);

    CMeshInstance instance;
    instance.SetMesh(&mesh);
    BeginFrame(0xFF000000);
    SetPlainView();
    instance.Render(D3D());
    testsupport::Picture p = EndFrameAndRead();
    EXPECT_EQ(p.rgb(512, 384), 0xFF0000u);
    EXPECT_EQ(p.rgb(300, 384), 0u);
}
