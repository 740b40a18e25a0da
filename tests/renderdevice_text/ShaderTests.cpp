// Shader path, shader tables, activation, constants and vertex declarations of the render device,
// on a real device; the path without shader support runs in a child process whose Direct3D
// reports no pixel shaders.
#include "TextTestDevice.h"
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace testsupport;
using namespace texttest;

namespace {

// A vertex of kind 1: position, normal, texture coordinate (32 bytes).
struct UnlitVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};

// Pixel shader text whose output is one constant colour.
std::string ColourPixelShader(float r, float g, float b)
{
    char text[128];
    snprintf(text, sizeof text, "ps.1.1\ndef c0, %.1f, %.1f, %.1f, 1.0\nmov r0, c0\n", r, g, b);
    return text;
}

// Vertex shader text that passes clip-space positions through.
const char kPassThroughVertexShader[] = "vs.1.1\ndcl_position0 v0\nmov oPos, v0\n";

// Assembled code of a shader text, as bytes.
std::string Assemble(const std::string& text)
{
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* errors = nullptr;
    std::string bytes;
    if (SUCCEEDED(D3DXAssembleShader(text.c_str(), UINT(text.size()), nullptr, nullptr, 0, &code, &errors)) && code)
        bytes.assign(static_cast<const char*>(code->GetBufferPointer()), code->GetBufferSize());
    if (code) code->Release();
    if (errors) errors->Release();
    return bytes;
}

// Draws the clip-space rectangle [x0,x1] x [y0,y1] as two triangles of kind-1 vertices.
void DrawClipRect(IDirect3DDevice9* d3d, float x0, float y0, float x1, float y1)
{
    const UnlitVertex quad[4] = {{x0, y0, 0.5f, 0, 0, 1, 0, 0},
                                 {x0, y1, 0.5f, 0, 0, 1, 0, 0},
                                 {x1, y0, 0.5f, 0, 0, 1, 0, 0},
                                 {x1, y1, 0.5f, 0, 0, 1, 0, 0}};
    d3d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(UnlitVertex));
}

// The elements of a declaration up to its end marker.
std::vector<D3DVERTEXELEMENT9> ElementsOf(IDirect3DVertexDeclaration9* declaration)
{
    D3DVERTEXELEMENT9 elements[MAXD3DDECLLENGTH + 1];
    UINT count = MAXD3DDECLLENGTH + 1;
    std::vector<D3DVERTEXELEMENT9> out;
    if (!declaration || FAILED(declaration->GetDeclaration(elements, &count))) return out;
    out.assign(elements, elements + count - 1); // without D3DDECL_END
    return out;
}

struct Element {
    WORD offset;
    BYTE type;
    BYTE usage;
    BYTE usageIndex;
};

void ExpectElements(IDirect3DVertexDeclaration9* declaration, const std::vector<Element>& expected)
{
    std::vector<D3DVERTEXELEMENT9> got = ElementsOf(declaration);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].Stream, 0) << i;
        EXPECT_EQ(got[i].Offset, expected[i].offset) << i;
        EXPECT_EQ(got[i].Type, expected[i].type) << i;
        EXPECT_EQ(got[i].Usage, expected[i].usage) << i;
        EXPECT_EQ(got[i].UsageIndex, expected[i].usageIndex) << i;
    }
}

bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

const char kChildVariable[] = "PELMORA_TEXT_NO_SHADER_CHILD";
bool InNoShaderChild() { return getenv(kChildVariable) != nullptr; }

} // namespace

TEST(ShaderPath, StartUpActivatesTheBuiltInShaderWithTheUnlitDeclaration)
{
    StartedDevice dev;
    ASSERT_TRUE(dev.ok());
    EXPECT_TRUE(dev->IsUsingShaders());
    EXPECT_FALSE(dev->CanUseShaders());
    ASSERT_EQ(dev->m_vertexShaderCount, 1u);
    IDirect3DVertexShader9* active = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    dev.d3d()->GetVertexShader(&active);
    dev.d3d()->GetVertexDeclaration(&declaration);
    EXPECT_EQ(active, dev->m_vertexShaders[0]);
    EXPECT_EQ(declaration, dev->m_declUnlit);
    if (active) active->Release();
    if (declaration) declaration->Release();

    ExpectElements(dev->m_declUnlit, {{0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0},
                                      {12, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0},
                                      {24, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 0}});
    ExpectElements(dev->m_declLit, {{0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0},
                                    {12, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0},
                                    {16, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 0}});
}

TEST(ShaderPath, BuiltInShaderTransformsByRegistersZeroToThreeAndColoursFromFour)
{
    StartedDevice dev;
    ASSERT_TRUE(dev.ok());
    IDirect3DDevice9* d3d = dev.d3d();
    // Transposed matrix of a half-size scale, and a colour.
    const float halfScale[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float colour[4] = {0, 0, 1, 1};
    d3d->SetVertexShaderConstantF(0, halfScale, 4);
    d3d->SetVertexShaderConstantF(4, colour, 1);
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    d3d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    BeginBlackFrame(dev.get());
    DrawClipRect(d3d, -1, -1, 1, 1); // the whole clip square, scaled to the middle half
    Picture p = EndFrameAndRead(dev.get());
    EXPECT_EQ(p.count(0x0000FF, 256, 192, 768, 576), 512 * 384);
    EXPECT_EQ(p.count(0x0000FF), 512 * 384);
}

TEST(ShaderTables, ShadersFromTextFilesAndCompiledCodeAllDraw)
{
    StartedDevice dev;
    ASSERT_TRUE(dev.ok());
    IDirect3DDevice9* d3d = dev.d3d();
    UINT vs = 0;
    ASSERT_EQ(dev->LoadVertexShader(kPassThroughVertexShader, sizeof(kPassThroughVertexShader), false, false, &vs),
              OXE_OK);
    EXPECT_EQ(vs, 1u);

    // One pixel shader from each kind of source, each with its own colour.
    const std::string text = ColourPixelShader(1, 0, 0);
    ASSERT_TRUE(WriteFileText("green.psh", ColourPixelShader(0, 1, 0)));
    const std::string blueCode = Assemble(ColourPixelShader(0, 0, 1));
    ASSERT_FALSE(blueCode.empty());
    ASSERT_TRUE(WriteFileText("white.pso", Assemble(ColourPixelShader(1, 1, 1))));
    UINT ids[4] = {9, 9, 9, 9};
    ASSERT_EQ(dev->LoadPixelShader(text.c_str(), UINT(text.size() + 1), false, false, &ids[0]), OXE_OK);
    ASSERT_EQ(dev->LoadPixelShader("green.psh", 0, true, false, &ids[1]), OXE_OK);
    ASSERT_EQ(dev->LoadPixelShader(blueCode.data(), UINT(blueCode.size()), false, true, &ids[2]), OXE_OK);
    ASSERT_EQ(dev->LoadPixelShader("white.pso", 0, true, true, &ids[3]), OXE_OK);
    for (UINT i = 0; i < 4; ++i) EXPECT_EQ(ids[i], i);

    ASSERT_EQ(dev->ActivateVertexShader(vs, 1), OXE_OK);
    d3d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    BeginBlackFrame(dev.get());
    const float quadrants[4][4] = {{-1, 0, 0, 1}, {0, 0, 1, 1}, {-1, -1, 0, 0}, {0, -1, 1, 0}};
    for (UINT i = 0; i < 4; ++i) {
        ASSERT_EQ(dev->ActivatePixelShader(ids[i]), OXE_OK);
        DrawClipRect(d3d, quadrants[i][0], quadrants[i][1], quadrants[i][2], quadrants[i][3]);
    }
    Picture p = EndFrameAndRead(dev.get());
    d3d->SetPixelShader(nullptr);
    EXPECT_EQ(p.rgb(256, 192), 0xFF0000u); // top left: from text
    EXPECT_EQ(p.rgb(768, 192), 0x00FF00u); // top right: assembly file
    EXPECT_EQ(p.rgb(256, 576), 0x0000FFu); // bottom left: compiled code in memory
    EXPECT_EQ(p.rgb(768, 576), 0xFFFFFFu); // bottom right: compiled file
}

TEST(ShaderTables, CompiledCodeInMemoryIsReadToItsEndTokenWhateverTheLength)
{
    StartedDevice dev;
    ASSERT_TRUE(dev.ok());
    IDirect3DDevice9* d3d = dev.d3d();
    UINT vs = 0;
    ASSERT_EQ(dev->LoadVertexShader(kPassThroughVertexShader, sizeof(kPassThroughVertexShader), false, false, &vs),
              OXE_OK);
    const std::string code = Assemble(ColourPixelShader(0, 1, 0));
    ASSERT_GT(code.size(), 8u);
    UINT ids[3] = {9, 9, 9};
    ASSERT_EQ(dev->LoadPixelShader(code.data(), 1, false, true, &ids[0]), OXE_OK);
    ASSERT_EQ(dev->LoadPixelShader(code.data(), UINT(code.size() - 4), false, true, &ids[1]), OXE_OK);
    ASSERT_EQ(dev->LoadPixelShader(code.data(), UINT_MAX, false, true, &ids[2]), OXE_OK);
    EXPECT_EQ(dev->m_pixelShaderCount, 3u);

    // The one given with a length of 1 draws as the code says.
    ASSERT_EQ(dev->ActivateVertexShader(vs, 1), OXE_OK);
    ASSERT_EQ(dev->ActivatePixelShader(ids[0]), OXE_OK);
    d3d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    BeginBlackFrame(dev.get());
    DrawClipRect(d3d, -1, -1, 1, 1);
    Picture p = EndFrameAndRead(dev.get());
    d3d->SetPixelShader(nullptr);
    EXPECT_EQ(p.rgb(512, 384), 0x00FF00u);
}

TEST(ShaderTables, UnusableSourcesAreRefusedWithTheirCodes)
{
    StartedDevice dev;
    ASSERT_TRUE(dev.ok());
    const std::string pixelCode = Assemble(ColourPixelShader(1, 0, 0));
    const std::string vertexCode = Assemble(kPassThroughVertexShader);
    ASSERT_GT(pixelCode.size(), 8u);
    ASSERT_TRUE(WriteFileBytes("truncated.pso", pixelCode.data(), pixelCode.size() - 4));
    ASSERT_TRUE(WriteFileBytes("empty.pso", "", 0));
    ASSERT_TRUE(WriteFileText("vertex.vso", vertexCode));
    UINT id = 77;

    EXPECT_EQ(dev->LoadPixelShader(nullptr, 0, false, false, &id), OXE_INVALIDPARAM);
    EXPECT_EQ(dev->LoadPixelShader("ps.1.1\nnonsense r0\n", 0, false, false, &id), OXE_FAIL);
    EXPECT_EQ(dev->LoadPixelShader("missing.psh", 0, true, false, &id), OXE_FAIL);
    EXPECT_EQ(dev->LoadPixelShader("missing.pso", 0, true, true, &id), OXE_FILENOTFOUND);
    EXPECT_EQ(dev->LoadPixelShader("empty.pso", 0, true, true, &id), OXE_FILENOTFOUND);
    // Code without its end token would be read past the end of the file.
    EXPECT_EQ(dev->LoadPixelShader("truncated.pso", 0, true, true, &id), OXE_FAIL);
    // Code of the other kind.
    EXPECT_EQ(dev->LoadPixelShader("vertex.vso", 0, true, true, &id), OXE_FAIL);
    EXPECT_EQ(dev->LoadVertexShader(pixelCode.data(), UINT(pixelCode.size()), false, true, &id), OXE_FAIL);
    EXPECT_EQ(id, 77u);
    EXPECT_EQ(dev->m_pixelShaderCount, 0u);
    EXPECT_EQ(dev->m_vertexShaderCount, 1u);

    // A length of 0, or one past the text's terminator, still assembles exactly the text.
    const char text[] = "ps.1.1\nmov r0, v0\n";
    EXPECT_EQ(dev->LoadPixelShader(text, 0, false, false, &id), OXE_OK);
    EXPECT_EQ(dev->LoadPixelShader(text, 4096, false, false, &id), OXE_OK);
    EXPECT_EQ(id, 1u);
}

TEST(ShaderTables, EachTableTakesNineteenShaders)
{
    StartedDevice dev;
    ASSERT_TRUE(dev.ok());
    const std::string pixel = "ps.1.1\nmov r0, v0\n";
    UINT id = 0;
    for (UINT i = 1; i < 19; ++i) { // the built-in shader holds id 0
        ASSERT_EQ(dev->LoadVertexShader(kPassThroughVertexShader, 0, false, false, &id), OXE_OK) << i;
        EXPECT_EQ(id, i);
    }
    EXPECT_EQ(dev->LoadVertexShader(kPassThroughVertexShader, 0, false, false, &id), OXE_OUTOFMEMORY);
    for (UINT i = 0; i < 19; ++i) {
        ASSERT_EQ(dev->LoadPixelShader(pixel.c_str(), 0, false, false, nullptr), OXE_OK) << i;
    }
    EXPECT_EQ(dev->LoadPixelShader(pixel.c_str(), 0, false, false, &id), OXE_OUTOFMEMORY);
    EXPECT_EQ(dev->m_vertexShaderCount, 19u);
    EXPECT_EQ(dev->m_pixelShaderCount, 19u);
    EXPECT_EQ(dev->m_vertexShaders[19], nullptr);
    EXPECT_EQ(dev->m_pixelShaders[19], nullptr);
    EXPECT_EQ(dev->ActivateVertexShader(18, 2), OXE_OK);
    EXPECT_EQ(dev->ActivatePixelShader(18), OXE_OK);
}

TEST(ShaderTables, ActivationChecksIdsAndVertexKinds)
{
    StartedDevice dev;
    ASSERT_TRUE(dev.ok());
    EXPECT_EQ(dev->ActivateVertexShader(1, 1), OXE_INVALIDID);
    EXPECT_EQ(dev->ActivateVertexShader(0, 0), OXE_INVALIDID);
    EXPECT_EQ(dev->ActivateVertexShader(0, 3), OXE_INVALIDID);
    EXPECT_EQ(dev->ActivatePixelShader(0), OXE_INVALIDID);
    EXPECT_EQ(dev->ActivatePixelShader(UINT_MAX), OXE_INVALIDID);

    ASSERT_EQ(dev->ActivateVertexShader(0, 2), OXE_OK);
    IDirect3DVertexDeclaration9* declaration = nullptr;
    dev.d3d()->GetVertexDeclaration(&declaration);
    EXPECT_EQ(declaration, dev->m_declLit);
    if (declaration) declaration->Release();
}

// The table counts are public fields: set past the tables, activation still takes no id past
// them (the places after a table hold other fields of the device).
TEST(ShaderTables, CountsSetPastTheTablesActivateNothingOutsideThem)
{
    StartedDevice dev;
    ASSERT_TRUE(dev.ok());
    ASSERT_EQ(dev->LoadPixelShader("ps.1.1\nmov r0, v0\n", 0, false, false, nullptr), OXE_OK);
    dev->m_vertexShaderCount = OXE_MAX_SHADERS + 5;
    dev->m_pixelShaderCount = OXE_MAX_SHADERS + 5;
    EXPECT_EQ(dev->ActivateVertexShader(OXE_MAX_SHADERS, 1), OXE_INVALIDID) << "the first pixel shader lies there";
    EXPECT_EQ(dev->ActivatePixelShader(OXE_MAX_SHADERS), OXE_INVALIDID) << "the font table lies there";
    EXPECT_EQ(dev->ActivateVertexShader(0, 1), OXE_OK);
    EXPECT_EQ(dev->ActivatePixelShader(0), OXE_OK);
    dev->m_vertexShaderCount = 1;
    dev->m_pixelShaderCount = 1;
}

TEST(ShaderConstants, NothingPassesTheGateWithoutPermission)
{
    StartedDevice dev;
    ASSERT_TRUE(dev.ok());
    const float values[4] = {1, 2, 3, 4};
    for (int shaderKind : {0, 1})
        for (int dataKind : {0, 1, 2, 3})
            for (UINT reg : {0u, 20u})
                EXPECT_EQ(dev->SetShaderConstant(shaderKind, dataKind, reg, 1, values), OXE_NOSHADERSUPPORT);
    // Without permission the shader path cannot be switched either.
    dev->EnableShaders(false);
    EXPECT_TRUE(dev->IsUsingShaders());
    IDirect3DVertexShader9* active = nullptr;
    dev.d3d()->GetVertexShader(&active);
    EXPECT_EQ(active, dev->m_vertexShaders[0]);
    if (active) active->Release();
}

TEST(ShaderConstants, WithPermissionConstantsReachTheDevice)
{
    StartedDevice dev;
    ASSERT_TRUE(dev.ok());
    dev->m_shaderPermission = true;
    IDirect3DDevice9* d3d = dev.d3d();
    const float values[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const int integers[4] = {3, 1, 4, 1};
    const BOOL flags[1] = {TRUE};

    EXPECT_EQ(dev->SetShaderConstant(0, 2, 19, 1, values), OXE_INVALIDPARAM); // the device's registers
    EXPECT_EQ(dev->SetShaderConstant(0, 2, 20, 2, values), OXE_OK);
    float back[8] = {};
    d3d->GetVertexShaderConstantF(20, back, 2);
    EXPECT_EQ(memcmp(back, values, sizeof back), 0);

    EXPECT_EQ(dev->SetShaderConstant(1, 2, 0, 1, values), OXE_OK); // pixel registers start at 0
    EXPECT_EQ(dev->SetShaderConstant(1, 1, 2, 1, integers), OXE_OK);
    EXPECT_EQ(dev->SetShaderConstant(1, 0, 3, 1, flags), OXE_OK);
    int backInt[4] = {};
    BOOL backFlag = FALSE;
    d3d->GetPixelShaderConstantI(2, backInt, 1);
    d3d->GetPixelShaderConstantB(3, &backFlag, 1);
    EXPECT_EQ(memcmp(backInt, integers, sizeof backInt), 0);
    EXPECT_TRUE(backFlag);

    EXPECT_EQ(dev->SetShaderConstant(1, 3, 0, 1, values), OXE_FAIL); // unknown data kind
    EXPECT_EQ(dev->SetShaderConstant(1, 2, 0, 1, nullptr), OXE_INVALIDPARAM);
    // Vertex integer registers end at 16: the device refuses register 20, and so does the call.
    EXPECT_EQ(dev->SetShaderConstant(0, 1, 20, 1, integers), OXE_FAIL);
}

TEST(ShaderConstants, WithPermissionTheShaderPathSwitchesOffAndOn)
{
    StartedDevice dev;
    ASSERT_TRUE(dev.ok());
    dev->m_shaderPermission = true;
    IDirect3DDevice9* d3d = dev.d3d();
    dev->EnableShaders(false);
    EXPECT_FALSE(dev->IsUsingShaders());
    IDirect3DVertexShader9* vs = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    d3d->GetVertexShader(&vs);
    d3d->GetVertexDeclaration(&declaration);
    EXPECT_EQ(vs, nullptr);
    EXPECT_EQ(declaration, nullptr);
    EXPECT_EQ(dev->ActivateVertexShader(0, 1), OXE_NOSHADERSUPPORT);
    EXPECT_EQ(dev->ActivatePixelShader(0), OXE_NOSHADERSUPPORT);

    dev->EnableShaders(true);
    EXPECT_TRUE(dev->IsUsingShaders());
    EXPECT_EQ(dev->ActivateVertexShader(0, 1), OXE_OK);
}

TEST(SharedDeclarations, CreatedReplacedAndReleasedThroughTheCurrentDevice)
{
    StartedDevice dev;
    ASSERT_TRUE(dev.ok());
    ASSERT_EQ(g_pOXECurrentDevice, dev.get());
    dev->CreateVertexDeclarations();
    ExpectElements(g_pOXEParticleDecl, {{0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0},
                                        {12, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_TEXCOORD, 0},
                                        {24, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_TEXCOORD, 1},
                                        {28, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_TEXCOORD, 2},
                                        {32, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_TEXCOORD, 3},
                                        {36, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_TEXCOORD, 4},
                                        {40, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0}});
    ExpectElements(g_pOXEPositionDecl, {{0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0}});
    IDirect3DDevice9* owner = nullptr;
    g_pOXEPositionDecl->GetDevice(&owner);
    EXPECT_EQ(owner, dev.d3d());
    if (owner) owner->Release();

    const ULONG refs = RefCount(dev.d3d());
    dev->CreateVertexDeclarations(); // again: the old pair is released, not leaked
    EXPECT_EQ(RefCount(dev.d3d()), refs);
    dev->ReleaseVertexDeclarations();
    EXPECT_EQ(g_pOXEParticleDecl, nullptr);
    EXPECT_EQ(g_pOXEPositionDecl, nullptr);
    EXPECT_EQ(RefCount(dev.d3d()), refs - 2);
    dev->ReleaseVertexDeclarations(); // nothing left: harmless
}

// ---- Without shader support ----
//
// Wine reads the shader models its Direct3D reports from the registry, per program name. The test
// copies its own program under another name, limits that name to pixel shader model 0, and runs
// the NoShaderDevice cases there.

TEST(NoShaderSupport, DeviceWithoutPixelShadersRunsTheFixedPath)
{
    if (InNoShaderChild()) GTEST_SKIP() << "this is the child";
    if (!RunningUnderWine()) GTEST_SKIP() << "the shader models are limited through Wine's registry";
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const char childName[] = "text_noshaders.exe";
    CreateDirectoryA("noshaders", nullptr);
    const std::string child = std::string("noshaders\\") + childName;
    ASSERT_TRUE(CopyFileA(self, child.c_str(), FALSE));

    HKEY key = nullptr;
    const std::string keyPath = std::string("Software\\Wine\\AppDefaults\\") + childName + "\\Direct3D";
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const DWORD zero = 0;
    RegSetValueExA(key, "MaxShaderModelPS", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero);
    RegCloseKey(key);

    SetEnvironmentVariableA(kChildVariable, "1");
    std::string command = std::string(childName) + " --gtest_filter=NoShaderDevice.*";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessA(child.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, "noshaders",
                                        &startup, &process);
    SetEnvironmentVariableA(kChildVariable, nullptr);
    ASSERT_TRUE(started);
    const DWORD waited = WaitForSingleObject(process.hProcess, 120000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_EQ(waited, WAIT_OBJECT_0);
    EXPECT_EQ(exitCode, 0u) << "the NoShaderDevice cases failed in the child (their output is above)";
}

TEST(NoShaderDevice, ShaderPathIsOffAndActivationRefused)
{
    if (!InNoShaderChild()) GTEST_SKIP() << "runs in the child of NoShaderSupport";
    StartedDevice dev;
    ASSERT_TRUE(dev.ok());
    D3DCAPS9 caps;
    dev.d3d()->GetDeviceCaps(&caps);
    ASSERT_LT(caps.PixelShaderVersion, D3DPS_VERSION(1, 1)) << "the registry limit did not take";
    EXPECT_FALSE(dev->IsUsingShaders());
    EXPECT_EQ(dev->m_vertexShaderCount, 0u);
    EXPECT_EQ(dev->m_declUnlit, nullptr);
    EXPECT_EQ(dev->m_declLit, nullptr);
    EXPECT_EQ(dev->ActivateVertexShader(0, 1), OXE_NOSHADERSUPPORT);
    EXPECT_EQ(dev->ActivatePixelShader(0), OXE_NOSHADERSUPPORT);
    EXPECT_EQ(dev->SetShaderConstant(0, 2, 20, 1, &caps), OXE_NOSHADERSUPPORT);
    IDirect3DVertexShader9* vs = nullptr;
    dev.d3d()->GetVertexShader(&vs);
    EXPECT_EQ(vs, nullptr);
}

TEST(NoShaderDevice, TextLinesAndPointsDrawOnTheFixedPath)
{
    if (!InNoShaderChild()) GTEST_SKIP() << "runs in the child of NoShaderSupport";
    StartedDevice dev;
    ASSERT_TRUE(dev.ok());
    ASSERT_FALSE(dev->IsUsingShaders());
    IDirect3DDevice9* d3d = dev.d3d();
    ASSERT_EQ(dev->CreateFontInSlot(0, "Arial", 24, 12, 700, false), D3D_OK);
    BeginBlackFrame(dev.get());
    dev->DrawTextAt(0, "Hello", 100, 100, 255, 0, 0, 255);
    dev->DrawLine(100, 300, 300, 300, 2, 0, 255, 0, 255);
    dev->DrawRectOutline(400, 300, 500, 400, 1, 0, 0, 255, 255);
    dev->FillRect(600, 300, 9, 20, 255, 255, 0, 255);
    // Fixed-function transforms that map pixels to clip space, no lighting: the point keeps its colour.
    const float w = float(dev->GetScreenWidth()), h = float(dev->GetScreenHeight());
    const D3DXMATRIX pixelsToClip(2.0f / w, 0, 0, 0, 0, -2.0f / h, 0, 0, 0, 0, 1, 0, -1, 1, 0, 1);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    d3d->SetTransform(D3DTS_WORLD, &identity);
    d3d->SetTransform(D3DTS_VIEW, &identity);
    d3d->SetTransform(D3DTS_PROJECTION, &pixelsToClip);
    d3d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    dev->DrawPoint(800, 500, 0, 0, 255, 255, 255);
    Picture p = EndFrameAndRead(dev.get());
    EXPECT_GT(CountNear(p, 0xFF0000, kTextTolerance, 98, 100, 200, 130), 30);
    EXPECT_EQ(p.count(0x00FF00, 100, 299, 300, 301), 400);
    EXPECT_GE(p.count(0x0000FF, 399, 299, 502, 402), 390);
    EXPECT_EQ(p.count(0xFFFF00, 600, 300, 620, 310), 200);
    EXPECT_EQ(p.rgb(800, 500), 0x00FFFFu);
    EXPECT_EQ(p.count(0x00FFFF), 1);
}
