// The compiled effects built by fxbuild: D3DX loads them, they carry the parameters the particle
// systems and the grid look up, and they draw on a real device (pixels read back).
#include <gtest/gtest.h>
#include <d3dx9.h>
#include "PSystemTestSupport.h"

using namespace testsupport;
using namespace psystemtest;

namespace {

struct Vertex {
    float pos[3], vel[3], size, birth, life, mass;
    DWORD color;
};
static_assert(sizeof(Vertex) == 44, "particle vertex is 44 bytes");

const D3DVERTEXELEMENT9 kParticleElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    {0, 24, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 1},
    {0, 28, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 2},
    {0, 32, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 3},
    {0, 36, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 4},
    {0, 40, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    D3DDECL_END()};

struct ParticleEffectCase {
    const char* file;
    const char* technique;
};
const ParticleEffectCase kParticleEffects[] = {
    {"rain.fx", "RainTech"},           {"firering.fx", "FireRingTech"}, {"sprinkler.fx", "SprinklerTech"},
    {"smoke.fx", "SmokeTech"},         {"candle.fx", "CandleTech"},
};

D3DXMATRIX ViewProj(int w, int h)
{
    D3DXMATRIX view, proj, vp;
    D3DXVECTOR3 eye(0, 0, -50), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 4, float(w) / h, 1.0f, 1000.0f);
    return view * proj;
}

// Draws three particles moving right through one effect at the given time.
Picture DrawParticles(TestDevice& dev, ID3DXEffect* fx, const char* tech, float time)
{
    IDirect3DDevice9* d = dev.device();
    IDirect3DVertexDeclaration9* decl = nullptr;
    d->CreateVertexDeclaration(kParticleElements, &decl);
    IDirect3DTexture9* tex = nullptr;
    D3DXCreateTextureFromFileA(d, WhiteTexture().c_str(), &tex);
    Vertex v[3] = {};
    for (int i = 0; i < 3; ++i) {
        v[i].pos[0] = -15.0f + 8.0f * i;
        v[i].vel[0] = 5.0f;
        v[i].size = 10.0f;
        v[i].life = 10.0f;
        v[i].mass = 1.0f;
        v[i].color = 0xFFFFFFFF;
    }
    D3DXMATRIX wvp = ViewProj(dev.width(), dev.height());
    D3DXVECTOR3 eye(0, 0, -50), accel(0, 0, 0);
    fx->SetTechnique(fx->GetTechniqueByName(tech));
    fx->SetMatrix("gWVP", &wvp);
    fx->SetValue("gEyePosL", &eye, 12);
    fx->SetValue("gAccel", &accel, 12);
    fx->SetFloat("gTime", time);
    fx->SetInt("gViewportHeight", dev.height());
    fx->SetTexture("gTex", tex);
    dev.clear(0xFF000000);
    d->BeginScene();
    UINT passes = 0;
    fx->Begin(&passes, 0);
    fx->BeginPass(0);
    d->SetVertexDeclaration(decl);
    d->DrawPrimitiveUP(D3DPT_POINTLIST, 3, v, sizeof(Vertex));
    fx->EndPass();
    fx->End();
    d->EndScene();
    Picture p = dev.read();
    if (tex) tex->Release();
    if (decl) decl->Release();
    return p;
}

ID3DXEffect* Load(IDirect3DDevice9* d, const char* file, std::string& errors)
{
    ID3DXEffect* fx = nullptr;
    ID3DXBuffer* err = nullptr;
    D3DXCreateEffectFromFileA(d, EffectPath(file).c_str(), nullptr, nullptr, D3DXSHADER_DEBUG, nullptr, &fx, &err);
    if (err) {
        errors.assign((const char*)err->GetBufferPointer(), err->GetBufferSize());
        err->Release();
    }
    return fx;
}

} // namespace

TEST(EffectFiles, ParticleEffectsCarryTheSixParametersByNameAndType)
{
    TestDevice dev(320, 240);
    ASSERT_TRUE(dev.ok());
    struct Expect { const char* name; D3DXPARAMETER_CLASS cls; D3DXPARAMETER_TYPE type; UINT rows, cols; };
    const Expect expect[] = {
        {"gWVP", D3DXPC_MATRIX_ROWS, D3DXPT_FLOAT, 4, 4}, {"gEyePosL", D3DXPC_VECTOR, D3DXPT_FLOAT, 1, 3},
        {"gTex", D3DXPC_OBJECT, D3DXPT_TEXTURE, 0, 0},    {"gTime", D3DXPC_SCALAR, D3DXPT_FLOAT, 1, 1},
        {"gAccel", D3DXPC_VECTOR, D3DXPT_FLOAT, 1, 3},    {"gViewportHeight", D3DXPC_SCALAR, D3DXPT_INT, 1, 1},
    };
    for (const ParticleEffectCase& c : kParticleEffects) {
        std::string errors;
        ID3DXEffect* fx = Load(dev.device(), c.file, errors);
        ASSERT_NE(fx, nullptr) << c.file << " " << errors;
        EXPECT_NE(fx->GetTechniqueByName(c.technique), nullptr) << c.file;
        for (const Expect& e : expect) {
            D3DXHANDLE h = fx->GetParameterByName(nullptr, e.name);
            ASSERT_NE(h, nullptr) << c.file << " " << e.name;
            D3DXPARAMETER_DESC desc = {};
            fx->GetParameterDesc(h, &desc);
            EXPECT_EQ(desc.Class, e.cls) << c.file << " " << e.name;
            EXPECT_EQ(desc.Type, e.type) << c.file << " " << e.name;
            if (e.cls != D3DXPC_OBJECT) {
                EXPECT_EQ(desc.Rows, e.rows) << c.file << " " << e.name;
                EXPECT_EQ(desc.Columns, e.cols) << c.file << " " << e.name;
            }
        }
        D3DXTECHNIQUE_DESC td = {};
        fx->GetTechniqueDesc(fx->GetTechniqueByName(c.technique), &td);
        EXPECT_GE(td.Passes, 1u) << c.file;
        EXPECT_EQ(fx->ValidateTechnique(fx->GetTechniqueByName(c.technique)), D3D_OK) << c.file;
        fx->Release();
    }
}

TEST(EffectFiles, EachParticleEffectDrawsSpritesThatMoveWithTime)
{
    TestDevice dev(320, 240);
    ASSERT_TRUE(dev.ok());
    for (const ParticleEffectCase& c : kParticleEffects) {
        std::string errors;
        ID3DXEffect* fx = Load(dev.device(), c.file, errors);
        ASSERT_NE(fx, nullptr) << c.file << " " << errors;
        Picture early = DrawParticles(dev, fx, c.technique, 0.5f);
        Picture late = DrawParticles(dev, fx, c.technique, 2.0f);
        int lit = CountNot(early, 0);
        // Three sprites of several pixels each, not a full-screen smear.
        EXPECT_GT(lit, 3 * 16) << c.file;
        EXPECT_LT(lit, early.width * early.height / 4) << c.file;
        EXPECT_GT(CountNot(late, 0), 3 * 16) << c.file;
        EXPECT_GT(CountDiff(early, late), 0) << c.file << ": the sprites did not move";
        // Moving right: the lit pixels' mean column grows.
        auto meanX = [](const Picture& p) {
            double sum = 0, n = 0;
            for (int y = 0; y < p.height; ++y)
                for (int x = 0; x < p.width; ++x)
                    if (p.rgb(x, y)) sum += x, n += 1;
            return n ? sum / n : 0.0;
        };
        EXPECT_GT(meanX(late), meanX(early) + 5) << c.file;
        fx->Release();
    }
}

TEST(EffectFiles, PointSizeFollowsTheViewportHeight)
{
    // gViewportHeight is an int fed into a float register: twice the height, larger sprites.
    TestDevice dev(320, 240);
    ASSERT_TRUE(dev.ok());
    std::string errors;
    ID3DXEffect* fx = Load(dev.device(), "sprinkler.fx", errors);
    ASSERT_NE(fx, nullptr) << errors;
    IDirect3DDevice9* d = dev.device();
    IDirect3DVertexDeclaration9* decl = nullptr;
    d->CreateVertexDeclaration(kParticleElements, &decl);
    IDirect3DTexture9* tex = nullptr;
    D3DXCreateTextureFromFileA(d, WhiteTexture().c_str(), &tex);
    Vertex v = {};
    v.size = 10.0f, v.life = 10.0f, v.color = 0xFFFFFFFF;
    D3DXMATRIX wvp = ViewProj(dev.width(), dev.height());
    D3DXVECTOR3 eye(0, 0, -50), zero(0, 0, 0);
    int lit[2] = {};
    for (int k = 0; k < 2; ++k) {
        fx->SetMatrix("gWVP", &wvp);
        fx->SetValue("gEyePosL", &eye, 12);
        fx->SetValue("gAccel", &zero, 12);
        fx->SetFloat("gTime", 0.5f);
        fx->SetInt("gViewportHeight", dev.height() * (k + 1));
        fx->SetTexture("gTex", tex);
        dev.clear(0xFF000000);
        d->BeginScene();
        UINT passes = 0;
        fx->Begin(&passes, 0);
        fx->BeginPass(0);
        d->SetVertexDeclaration(decl);
        d->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &v, sizeof(Vertex));
        fx->EndPass();
        fx->End();
        d->EndScene();
        lit[k] = CountNot(dev.read(), 0);
    }
    EXPECT_GT(lit[0], 16);
    EXPECT_GT(lit[1], lit[0] * 3) << "a sprite of twice the size covers about four times the pixels";
    if (tex) tex->Release();
    if (decl) decl->Release();
    fx->Release();
}

TEST(EffectFiles, TransformEffectDrawsPositionOnlyTrianglesThroughGWVP)
{
    TestDevice dev(320, 240);
    ASSERT_TRUE(dev.ok());
    std::string errors;
    ID3DXEffect* fx = Load(dev.device(), "transform.fx", errors);
    ASSERT_NE(fx, nullptr) << errors;
    D3DXHANDLE tech = fx->GetTechniqueByName("TransformTech");
    ASSERT_NE(tech, nullptr);
    ASSERT_NE(fx->GetParameterByName(nullptr, "gWVP"), nullptr);
    const D3DVERTEXELEMENT9 posOnly[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END()};
    IDirect3DVertexDeclaration9* decl = nullptr;
    dev.device()->CreateVertexDeclaration(posOnly, &decl);
    float tri[3][3] = {{-0.4f, -0.5f, 0.5f}, {0.0f, 0.5f, 0.5f}, {0.4f, -0.5f, 0.5f}};
    int litLeft[2] = {}, litRight[2] = {};
    for (int k = 0; k < 2; ++k) {
        // Shift the triangle left, then right, through the matrix alone.
        D3DXMATRIX m;
        D3DXMatrixTranslation(&m, k == 0 ? -0.5f : 0.5f, 0, 0);
        fx->SetTechnique(tech);
        fx->SetMatrix("gWVP", &m);
        dev.clear(0xFF000000);
        dev.device()->BeginScene();
        UINT passes = 0;
        fx->Begin(&passes, 0);
        fx->BeginPass(0);
        dev.device()->SetVertexDeclaration(decl);
        dev.device()->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, 12);
        fx->EndPass();
        fx->End();
        dev.device()->EndScene();
        Picture p = dev.read();
        litLeft[k] = p.count(0xFFFFFF, 0, 0, p.width / 2, p.height);
        litRight[k] = p.count(0xFFFFFF, p.width / 2, 0, p.width, p.height);
    }
    EXPECT_GT(litLeft[0], 20);
    EXPECT_EQ(litRight[0], 0);
    EXPECT_EQ(litLeft[1], 0);
    EXPECT_GT(litRight[1], 20);
    decl->Release();
    fx->Release();
}
