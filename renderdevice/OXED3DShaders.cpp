// The programmable side of the render device: the shader check, the built-in vertex shader, the
// vertex and pixel shader tables, shader activation with the vertex-kind declarations, shader
// constants, and the two declarations shared by the whole library. Also two small services that
// have nothing to do with drawing: music through multimedia command strings and a bounded random
// integer from this library's own generator.
#include "OXED3D.h"
#include "OXEVertexCacheManager.h"
#include "OXERandom.h"
#include "ShaderCodeCheck.h"
#include <mmsystem.h>
#include <cstring>
#include <string>

OXEMciSendFn g_pOXEMciSend = mciSendStringA;

namespace {

// Shaders each table accepts: one place of the twenty is never filled.
const UINT kShaderLimit = OXE_MAX_SHADERS - 1;
// Vertex shader constant registers 0..19 belong to the device (matrix, ambient colour).
const UINT kFirstCallerRegister = 20;

// The built-in vertex shader: position through the matrix in c0..c3, colour from c4, texture
// coordinates passed through. Seven lines of 23 characters (trailing blanks included).
const char kBuiltInVertexShader[] =
    "vs.1.1                 \n"
    "dcl_position0 v0       \n"
    "dcl_normal0   v3       \n"
    "dcl_texcoord0 v6       \n"
    "m4x4 oPos, v0, c0      \n"
    "mov oD0, c4            \n"
    "mov oT0, v6            \n";
static_assert(sizeof(kBuiltInVertexShader) == 169, "built-in shader: 168 characters and the terminator");

// Vertex kind 1 (unlit): position, normal, one 2D texture coordinate; 32 bytes.
const D3DVERTEXELEMENT9 kUnlitElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
    {0, 24, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END()};
// Vertex kind 2 (lit): position, packed colour, one 2D texture coordinate; 24 bytes.
const D3DVERTEXELEMENT9 kLitElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END()};
// Shared particle declaration: position, a 3D and four 1D texture coordinates, colour; 44 bytes.
const D3DVERTEXELEMENT9 kParticleElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    {0, 24, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 1},
    {0, 28, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 2},
    {0, 32, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 3},
    {0, 36, D3DDECLTYPE_FLOAT1, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 4},
    {0, 40, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    D3DDECL_END()};
// Shared position-only declaration; 12 bytes.
const D3DVERTEXELEMENT9 kPositionElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    D3DDECL_END()};

template <class T> void ReleaseRef(T*& object)
{
    if (object) object->Release();
    object = nullptr;
}

// Shader code ready for CreateVertexShader / CreatePixelShader, with whatever holds it: an
// assembled buffer or a mapped file. Everything is let go when the object goes out of scope.
struct ShaderCode {
    const DWORD* tokens = nullptr;    // the code handed to Direct3D
    ID3DXBuffer* assembled = nullptr; // result of the assembler
    HANDLE file = INVALID_HANDLE_VALUE;
    HANDLE mapping = nullptr;
    const void* view = nullptr;       // mapped bytes of a compiled file

    ShaderCode() = default;
    ShaderCode(const ShaderCode&) = delete;
    ShaderCode& operator=(const ShaderCode&) = delete;
    ~ShaderCode()
    {
        ReleaseRef(assembled);
        if (view) UnmapViewOfFile(view);
        if (mapping) CloseHandle(mapping);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
};

// Assembles text or an assembly file into code.
HRESULT AssembleShader(const char* source, UINT length, bool fromFile, ShaderCode& code)
{
    ID3DXBuffer* errors = nullptr;
    HRESULT hr;
    if (fromFile) {
        hr = D3DXAssembleShaderFromFileA(source, nullptr, nullptr, 0, &code.assembled, &errors);
    } else {
        // The length counts the terminator; the text never reaches past its terminator.
        const size_t textLength = length ? strnlen(source, length - 1) : strlen(source);
        hr = D3DXAssembleShader(source, UINT(textLength), nullptr, nullptr, 0, &code.assembled, &errors);
    }
    ReleaseRef(errors);
    if (FAILED(hr) || !code.assembled) return OXE_FAIL;
    code.tokens = static_cast<const DWORD*>(code.assembled->GetBufferPointer());
    return OXE_OK;
}

// Maps a compiled shader file read-only.
HRESULT MapCompiledFile(const char* path, DWORD versionKind, ShaderCode& code)
{
    code.file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (code.file == INVALID_HANDLE_VALUE) return OXE_FILENOTFOUND;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(code.file, &size) || size.QuadPart == 0) return OXE_FILENOTFOUND;
    code.mapping = CreateFileMappingA(code.file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!code.mapping) return OXE_FILENOTFOUND;
    code.view = MapViewOfFile(code.mapping, FILE_MAP_READ, 0, 0, 0);
    if (!code.view) return OXE_FILENOTFOUND;
    if (!CompiledCodeFits(code.view, size_t(size.QuadPart), versionKind)) return OXE_FAIL;
    code.tokens = static_cast<const DWORD*>(code.view);
    return OXE_OK;
}

// Shader code from text, an assembly file, a compiled file or compiled code in memory. Compiled
// code in memory ends at its own end token, as Direct3D reads it: `length` is not used for it,
// and only its version token is checked for the kind of shader.
HRESULT PrepareShaderCode(const void* source, UINT length, bool fromFile, bool compiled, DWORD versionKind,
                          ShaderCode& code)
{
    if (!source) return OXE_INVALIDPARAM;
    if (!compiled) return AssembleShader(static_cast<const char*>(source), length, fromFile, code);
    if (fromFile) return MapCompiledFile(static_cast<const char*>(source), versionKind, code);
    if ((*static_cast<const DWORD*>(source) >> 16) != versionKind) return OXE_FAIL;
    code.tokens = static_cast<const DWORD*>(source);
    return OXE_OK;
}

const DWORD kVertexShaderKind = 0xFFFE;
const DWORD kPixelShaderKind = 0xFFFF;

// Caller text longer than this cannot be a file MCI opens, nor a sensible alias: such commands
// are refused whole rather than cut.
const size_t kMaxMusicName = MAX_PATH - 1;

bool UsableMusicName(const char* name)
{
    return name && name[0] != '\0' && strnlen(name, kMaxMusicName + 1) <= kMaxMusicName;
}

void SendMusicCommand(const std::string& command)
{
    if (g_pOXEMciSend) g_pOXEMciSend(command.c_str(), nullptr, 0, nullptr);
}

} // namespace

// ---- Shader path ----

void OXED3D::CheckShaderSupport()
{
    D3DCAPS9 caps = {};
    const bool capable = m_device && SUCCEEDED(m_device->GetDeviceCaps(&caps)) &&
                         caps.VertexShaderVersion >= D3DVS_VERSION(1, 1) &&
                         caps.PixelShaderVersion >= D3DPS_VERSION(1, 1);
    ReleaseRef(m_declUnlit);
    ReleaseRef(m_declLit);
    if (capable && SUCCEEDED(m_device->CreateVertexDeclaration(kUnlitElements, &m_declUnlit)) &&
        SUCCEEDED(m_device->CreateVertexDeclaration(kLitElements, &m_declLit))) {
        m_device->SetFVF(0);
        return;
    }
    // Without both declarations the shader path could not draw either.
    ReleaseRef(m_declUnlit);
    ReleaseRef(m_declLit);
    m_usingShaders = false;
}

// Loads the built-in shader (text of 169 characters with its terminator) as the next vertex
// shader: vertex shader 0 when start-up runs it.
HRESULT OXED3D::LoadBuiltInVertexShader()
{
    return LoadVertexShader(kBuiltInVertexShader, sizeof(kBuiltInVertexShader), false, false, nullptr);
}

bool OXED3D::IsUsingShaders()
{
    return m_usingShaders;
}

bool OXED3D::CanUseShaders()
{
    return m_shaderPermission;
}

void OXED3D::EnableShaders(bool on)
{
    if (!m_shaderPermission || on == m_usingShaders) return;
    FlushVertexCache();
    InvalidateVertexCacheStates();
    m_usingShaders = on;
    if (!m_device) return;
    if (on) {
        m_device->SetFVF(0);
    } else {
        m_device->SetVertexShader(nullptr);
        m_device->SetPixelShader(nullptr);
        m_device->SetVertexDeclaration(nullptr);
    }
}

// ---- Shader tables ----

HRESULT OXED3D::LoadVertexShader(const void* source, UINT length, bool fromFile, bool compiled, UINT* id)
{
    if (m_vertexShaderCount >= kShaderLimit) return OXE_OUTOFMEMORY;
    if (!m_device) return OXE_FAIL;
    ShaderCode code;
    HRESULT hr = PrepareShaderCode(source, length, fromFile, compiled, kVertexShaderKind, code);
    if (FAILED(hr)) return hr;
    IDirect3DVertexShader9* shader = nullptr;
    if (FAILED(m_device->CreateVertexShader(code.tokens, &shader)) || !shader) return OXE_FAIL;
    m_vertexShaders[m_vertexShaderCount] = shader;
    if (id) *id = m_vertexShaderCount;
    ++m_vertexShaderCount;
    return OXE_OK;
}

HRESULT OXED3D::LoadPixelShader(const void* source, UINT length, bool fromFile, bool compiled, UINT* id)
{
    if (m_pixelShaderCount >= kShaderLimit) return OXE_OUTOFMEMORY;
    if (!m_device) return OXE_FAIL;
    ShaderCode code;
    HRESULT hr = PrepareShaderCode(source, length, fromFile, compiled, kPixelShaderKind, code);
    if (FAILED(hr)) return hr;
    IDirect3DPixelShader9* shader = nullptr;
    if (FAILED(m_device->CreatePixelShader(code.tokens, &shader)) || !shader) return OXE_FAIL;
    m_pixelShaders[m_pixelShaderCount] = shader;
    if (id) *id = m_pixelShaderCount;
    ++m_pixelShaderCount;
    return OXE_OK;
}

HRESULT OXED3D::ActivateVertexShader(UINT id, int vertexKind)
{
    if (!m_usingShaders) return OXE_NOSHADERSUPPORT;
    if (id >= m_vertexShaderCount || id >= OXE_MAX_SHADERS) return OXE_INVALIDID; // the count is public
    FlushVertexCache();
    IDirect3DVertexDeclaration9* declaration = nullptr;
    if (vertexKind == 1)
        declaration = m_declUnlit;
    else if (vertexKind == 2)
        declaration = m_declLit;
    else
        return OXE_INVALIDID;
    if (FAILED(m_device->SetVertexDeclaration(declaration))) return OXE_FAIL;
    if (FAILED(m_device->SetVertexShader(m_vertexShaders[id]))) return OXE_FAIL;
    return OXE_OK;
}

HRESULT OXED3D::ActivatePixelShader(UINT id)
{
    if (!m_usingShaders) return OXE_NOSHADERSUPPORT;
    if (id >= m_pixelShaderCount || id >= OXE_MAX_SHADERS) return OXE_INVALIDID;
    FlushVertexCache();
    if (FAILED(m_device->SetPixelShader(m_pixelShaders[id]))) return OXE_FAIL;
    return OXE_OK;
}

HRESULT OXED3D::SetShaderConstant(int shaderKind, int dataKind, UINT reg, UINT count, const void* data)
{
    if (!m_shaderPermission) return OXE_NOSHADERSUPPORT;
    const bool vertex = shaderKind == 0;
    if (vertex && reg < kFirstCallerRegister) return OXE_INVALIDPARAM;
    if (dataKind < 0 || dataKind > 2) return OXE_FAIL;
    if (!data || !m_device) return OXE_INVALIDPARAM;
    HRESULT hr;
    switch (dataKind) {
    case 0:
        hr = vertex ? m_device->SetVertexShaderConstantB(reg, static_cast<const BOOL*>(data), count)
                    : m_device->SetPixelShaderConstantB(reg, static_cast<const BOOL*>(data), count);
        break;
    case 1:
        hr = vertex ? m_device->SetVertexShaderConstantI(reg, static_cast<const int*>(data), count)
                    : m_device->SetPixelShaderConstantI(reg, static_cast<const int*>(data), count);
        break;
    default:
        hr = vertex ? m_device->SetVertexShaderConstantF(reg, static_cast<const float*>(data), count)
                    : m_device->SetPixelShaderConstantF(reg, static_cast<const float*>(data), count);
        break;
    }
    // A register range the device refuses is reported, not passed off as success.
    return FAILED(hr) ? OXE_FAIL : OXE_OK;
}

void OXED3D::ReleaseShaderObjects()
{
    for (UINT i = 0; i < OXE_MAX_SHADERS; ++i) {
        ReleaseRef(m_vertexShaders[i]);
        ReleaseRef(m_pixelShaders[i]);
    }
    m_vertexShaderCount = 0;
    m_pixelShaderCount = 0;
    ReleaseRef(m_declUnlit);
    ReleaseRef(m_declLit);
}

// ---- Shared declarations ----

void OXED3D::CreateVertexDeclarations()
{
    ReleaseVertexDeclarations();
    IDirect3DDevice9* device = g_pOXECurrentDevice ? g_pOXECurrentDevice->GetD3DDevice() : nullptr;
    if (!device) return;
    if (FAILED(device->CreateVertexDeclaration(kParticleElements, &g_pOXEParticleDecl))) g_pOXEParticleDecl = nullptr;
    if (FAILED(device->CreateVertexDeclaration(kPositionElements, &g_pOXEPositionDecl))) g_pOXEPositionDecl = nullptr;
}

void OXED3D::ReleaseVertexDeclarations()
{
    ReleaseRef(g_pOXEParticleDecl);
    ReleaseRef(g_pOXEPositionDecl);
}

// ---- Music ----

// Commands are built at their full length; a file name or alias that no command could carry
// is refused whole (nothing is sent) rather than cut into a different name.
void OXED3D::PlayMusic(const char* file, const char* alias)
{
    if (!UsableMusicName(file) || !UsableMusicName(alias)) return;
    SendMusicCommand(std::string("open ") + file + " alias " + alias);
    SendMusicCommand(std::string("play ") + alias);
}

void OXED3D::CloseMusic(const char* alias)
{
    if (!UsableMusicName(alias)) return;
    SendMusicCommand(std::string("close ") + alias);
}

// ---- Random numbers ----

int OXED3D::GetRandomInt(int low, int high)
{
    if (low >= high) return low;
    const int r = OXERand() % 10001;
    const float f = float(r * 0.0001);
    const float value = f * float((long long)high - low) + float(low);
    // Float rounding of wide ranges must not step outside low..high.
    long long result = (long long)value;
    if (result < low) result = low;
    if (result > high) result = high;
    return int(result);
}
