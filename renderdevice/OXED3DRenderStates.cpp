// OXED3D: render states behind the engine codes (culling, depth, the render mode with its wire
// colour, ambient colour, stage texture operations), lights, the current skin, and the fixed
// flags, values and stubs. The device's own material is set once by oneTimeInit
// (OXED3DLifecycle.cpp); outside the solid mode the vertex cache manager sets a material of the
// wire colour kept here.
#include "OXED3D.h"
#include <cstring>

#include "OXEColorByte.h"

namespace {

DWORD FloatBits(float f)
{
    DWORD d;
    memcpy(&d, &f, sizeof d);
    return d;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Render states, lights
// ---------------------------------------------------------------------------------------------

bool OXED3D::QueryFlagA() { return m_flagA; }
bool OXED3D::QueryFlagB() { return m_flagB; }
bool OXED3D::QueryFlagC() { return m_flagC; }
UINT OXED3D::QueryValueA() { return m_valueA; }
UINT OXED3D::QueryValueB() { return m_valueB; }
HRESULT OXED3D::StubOneArg(UINT) { return OXE_OK; }
HRESULT OXED3D::StubFourArgs(UINT, UINT, UINT, UINT) { return OXE_OK; }
HRESULT OXED3D::StubFiveArgs(UINT, UINT, UINT, UINT, UINT) { return OXE_OK; }
int OXED3D::GetRenderMode() { return m_renderMode; }
UINT OXED3D::GetCurrentSkin() { return m_currentSkin; }
void OXED3D::SetCurrentSkin(UINT id) { m_currentSkin = id; }

D3DCOLORVALUE* OXED3D::GetWireColor(D3DCOLORVALUE* out)
{
    if (out) *out = m_wireColor;
    return out;
}

void OXED3D::SetCullMode(int code)
{
    FlushVertexCache();
    if (!m_device) return;
    switch (code) {
    case OXE_CULL_CW: m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW); break;
    case OXE_CULL_CCW: m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW); break;
    case OXE_CULL_NONE: m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE); break;
    default: break;
    }
}

void OXED3D::SetDepthMode(int code)
{
    FlushVertexCache();
    if (!m_device) return;
    switch (code) {
    case OXE_DEPTH_READWRITE:
        m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        m_device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        break;
    case OXE_DEPTH_READONLY:
        m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        m_device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        break;
    case OXE_DEPTH_NONE:
        m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        m_device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        break;
    default: break;
    }
}

void OXED3D::SetRenderMode(int mode, float pointSize, const D3DCOLORVALUE* color)
{
    FlushVertexCache();
    if (color) {
        m_wireColor = *color;
        InvalidateVertexCacheStates();
    }
    if (!m_device) return;
    if (mode == m_renderMode) {
        if (mode == OXE_RENDER_POINTS) m_device->SetRenderState(D3DRS_POINTSIZE, FloatBits(pointSize));
        return;
    }
    if (mode == OXE_RENDER_WIREFRAME) {
        m_device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
        m_renderMode = OXE_RENDER_WIREFRAME;
    } else {
        m_device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        m_renderMode = mode;
        if (mode == OXE_RENDER_POINTS && pointSize > 0.0f) {
            m_device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
            m_device->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
            m_device->SetRenderState(D3DRS_POINTSIZE, FloatBits(pointSize));
            m_device->SetRenderState(D3DRS_POINTSIZE_MIN, FloatBits(0.0f));
            m_device->SetRenderState(D3DRS_POINTSCALE_A, FloatBits(0.0f));
            m_device->SetRenderState(D3DRS_POINTSCALE_B, FloatBits(0.0f));
            m_device->SetRenderState(D3DRS_POINTSCALE_C, FloatBits(0.0f));
            InvalidateVertexCacheStates();
            return;
        }
    }
    m_device->SetRenderState(D3DRS_POINTSPRITEENABLE, FALSE);
    m_device->SetRenderState(D3DRS_POINTSCALEENABLE, FALSE);
    InvalidateVertexCacheStates();
}

void OXED3D::SetAmbientColor(float r, float g, float b)
{
    FlushVertexCache();
    D3DCOLOR color = 0xFF000000u | (OXEColorByte(r) << 16) | (OXEColorByte(g) << 8) | OXEColorByte(b);
    if (!m_device) return;
    if (m_shaderPermission) {
        const float constant[4] = {r, g, b, 1.0f};
        m_device->SetVertexShaderConstantF(4, constant, 1);
    }
    m_device->SetRenderState(D3DRS_AMBIENT, color);
}

HRESULT OXED3D::SetStageTextureOp(BYTE stage, int code)
{
    if (!m_device || stage >= OXE_TEXTURE_STAGES) return OXE_FAIL;
    D3DCAPS9 caps;
    if (FAILED(m_device->GetDeviceCaps(&caps))) return OXE_FAIL;
    if (DWORD(stage) + 1 > caps.MaxSimultaneousTextures) return OXE_FAIL;
    switch (code) {
    case OXE_TEXOP_DISABLE: m_stageTextureOps[stage] = D3DTOP_DISABLE; break;
    case OXE_TEXOP_ADDSIGNED: m_stageTextureOps[stage] = D3DTOP_ADDSIGNED; break;
    case OXE_TEXOP_MODULATE: m_stageTextureOps[stage] = D3DTOP_MODULATE; break;
    default: break;
    }
    return OXE_OK;
}

D3DTEXTUREOP OXED3D::GetStageTextureOp(BYTE stage)
{
    if (stage >= OXE_TEXTURE_STAGES) return D3DTOP_DISABLE;
    return m_stageTextureOps[stage];
}

void OXED3D::SetLight(const OXELightRecord* light, BYTE index)
{
    if (!m_device) return;
    if (!light) {
        m_device->LightEnable(index, FALSE);
        return;
    }
    D3DLIGHT9 l;
    memset(&l, 0, sizeof(l));
    l.Diffuse = D3DCOLORVALUE{light->diffuse[0], light->diffuse[1], light->diffuse[2], light->diffuse[3]};
    l.Specular = D3DCOLORVALUE{light->specular[0], light->specular[1], light->specular[2], light->specular[3]};
    l.Ambient = D3DCOLORVALUE{light->ambient[0], light->ambient[1], light->ambient[2], light->ambient[3]};
    D3DXVECTOR3 position(light->position[0], light->position[1], light->position[2]);
    D3DXVECTOR3 direction(light->direction[0], light->direction[1], light->direction[2]);
    switch (light->type) {
    case 0:
        l.Type = D3DLIGHT_DIRECTIONAL;
        l.Direction = direction;
        break;
    case 1:
        l.Type = D3DLIGHT_POINT;
        l.Range = light->range;
        l.Position = position;
        l.Attenuation1 = 1.0f;
        break;
    case 2:
        l.Type = D3DLIGHT_SPOT;
        l.Range = light->range;
        l.Position = position;
        l.Direction = direction;
        l.Falloff = 1.0f;
        l.Theta = light->theta;
        l.Phi = light->phi;
        l.Attenuation0 = light->attenuation0;
        l.Attenuation1 = light->attenuation1;
        l.Attenuation2 = 1.0f;
        break;
    default:
        break; // type stays 0, which Direct3D rejects
    }
    // Switching on a light that Direct3D refused would light the scene with its default light.
    if (FAILED(m_device->SetLight(index, &l))) return;
    m_device->LightEnable(index, TRUE);
}
