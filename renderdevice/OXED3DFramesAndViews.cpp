// OXED3D: frames (begin, end, clear, background colour, render windows), the stages with their
// viewports and projections, the view, the world and the combined matrices, the view frustum and
// the mappings between screen points and the world.
#include "OXED3D.h"
#include <cmath>
#include <climits>

#include "OXEColorByte.h"
#include "OXEVectorMath.h"

#include "OXEPlane.h"

namespace {

// Value truncated towards zero into a LONG; NaN gives 0, out-of-range values are clamped.
LONG ClampToLong(double v)
{
    if (v != v) return 0;
    if (v >= double(LONG_MAX)) return LONG_MAX;
    if (v <= double(LONG_MIN)) return LONG_MIN;
    return LONG(v);
}

D3DXMATRIX ZeroMatrix() { return D3DXMATRIX(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0); }

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

} // namespace

// ---------------------------------------------------------------------------------------------
// Frame
// ---------------------------------------------------------------------------------------------

DWORD OXED3D::ClearFlags(bool color, bool depth, bool stencil) const
{
    DWORD flags = 0;
    if (color) flags |= D3DCLEAR_TARGET;
    if (depth) flags |= D3DCLEAR_ZBUFFER;
    if (stencil && m_stencil) flags |= D3DCLEAR_STENCIL;
    return flags;
}

HRESULT OXED3D::BeginFrame(bool color, bool depth, bool stencil)
{
    if (!m_device) return OXE_FAIL;
    if (color || depth || stencil) {
        if (FAILED(m_device->Clear(0, nullptr, ClearFlags(color, depth, stencil), m_clearColor, 1.0f, 0)))
            return OXE_FAIL;
    }
    if (FAILED(m_device->BeginScene())) return OXE_FAIL;
    m_inScene = true;
    return OXE_OK;
}

HRESULT OXED3D::EndFrame()
{
    if (!m_device) return OXE_FAIL;
    m_device->EndScene();
    HRESULT hr = m_device->Present(nullptr, nullptr, nullptr, nullptr);
    m_inScene = false;
    return hr;
}

HRESULT OXED3D::ClearBuffers(bool color, bool depth, bool stencil)
{
    if (!m_device) return OXE_FAIL;
    DWORD flags = ClearFlags(color, depth, stencil);
    bool wasInScene = m_inScene;
    if (wasInScene) {
        m_device->EndScene();
        m_inScene = false;
    }
    HRESULT hr = m_device->Clear(0, nullptr, flags, m_clearColor, 1.0f, 0);
    if (FAILED(hr)) return OXE_FAIL;
    if (wasInScene) {
        hr = m_device->BeginScene();
        m_inScene = SUCCEEDED(hr);
    }
    return hr;
}

void OXED3D::SetBackgroundColor(float r, float g, float b)
{
    m_clearColor = 0xFF000000u | (OXEColorByte(r) << 16) | (OXEColorByte(g) << 8) | OXEColorByte(b);
}

HRESULT OXED3D::SelectRenderWindow(UINT index)
{
    if (!m_presentation.Windowed) return OXE_OK;
    if (index >= m_renderWindowCount || index >= OXE_MAX_RENDER_WINDOWS) return OXE_FAIL;
    if (!m_device || !m_swapChains[index]) return OXE_FAIL;
    IDirect3DSurface9* back = nullptr;
    if (FAILED(m_swapChains[index]->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) || !back)
        return OXE_FAIL;
    HRESULT hr = m_device->SetRenderTarget(0, back);
    back->Release();
    if (FAILED(hr)) return OXE_FAIL;
    m_activeRenderWindow = index;
    return OXE_OK;
}

// ---------------------------------------------------------------------------------------------
// Views, stages and transforms
// ---------------------------------------------------------------------------------------------

int OXED3D::StageIndex() const
{
    return (m_activeStage >= 0 && m_activeStage < OXE_MAX_STAGES) ? m_activeStage : -1;
}

HRESULT OXED3D::SetViewAxes(const D3DXVECTOR3* right, const D3DXVECTOR3* up, const D3DXVECTOR3* direction,
                            const D3DXVECTOR3* position)
{
    if (!m_running || !m_device) return OXE_PLATFORM_FAIL;
    if (!right || !up || !direction || !position) return OXE_INVALIDPARAM;
    const D3DXVECTOR3& R = *right;
    const D3DXVECTOR3& U = *up;
    const D3DXVECTOR3& D = *direction;
    const D3DXVECTOR3& P = *position;
    m_view = D3DXMATRIX(R.x, U.x, D.x, 0.0f,
                        R.y, U.y, D.y, 0.0f,
                        R.z, U.z, D.z, 0.0f,
                        -Dot(R, P), -Dot(U, P), -Dot(D, P), 1.0f);
    if (!m_usingShaders && FAILED(m_device->SetTransform(D3DTS_VIEW, &m_view))) return OXE_FAIL;
    CalcViewProjMatrix();
    CalcWorldViewProjMatrix();
    return OXE_OK;
}

HRESULT OXED3D::SetViewFromTo(const D3DXVECTOR3* eye, const D3DXVECTOR3* target, const D3DXVECTOR3* up)
{
    if (!eye || !target || !up) return OXE_INVALIDPARAM;
    D3DXVECTOR3 D = *target - *eye;
    float length = OXELength(D);
    if (length < 1e-6f) return OXE_FAIL; // eye and target coincide: there is no direction
    D /= length;

    D3DXVECTOR3 U = *up - D * Dot(*up, D);
    if (OXELength(U) < 1e-6f) {
        U = D3DXVECTOR3(0, 1, 0) - D * D.y;
        if (OXELength(U) < 1e-6f) {
            U = D3DXVECTOR3(0, 0, 1) - D * D.z;
            if (OXELength(U) < 1e-6f) return OXE_FAIL;
        }
    }
    U /= OXELength(U);
    D3DXVECTOR3 R(U.y * D.z - U.z * D.y, U.z * D.x - U.x * D.z, U.x * D.y - U.y * D.x);
    return SetViewAxes(&R, &U, &D, eye);
}

void OXED3D::SetClipPlanes(float nearPlane, float farPlane)
{
    if (nearPlane <= 0.0f) nearPlane = 0.01f;
    if (farPlane <= 1.0f) farPlane = 1.0f;
    if (farPlane <= nearPlane) {
        nearPlane = farPlane;
        farPlane = farPlane + 1.0f;
    }
    m_nearPlane = nearPlane;
    m_farPlane = farPlane;
    Prepare2DMatrices();
    float depth = m_farPlane - m_nearPlane;
    for (int s = 0; s < OXE_MAX_STAGES; ++s) {
        m_projOrtho[s]._33 = 1.0f / depth;
        m_projOrtho[s]._43 = -m_nearPlane / depth;
        m_projPerspective[s]._33 = m_farPlane / depth;
        m_projPerspective[s]._43 = -m_nearPlane * m_farPlane / depth;
    }
}

void OXED3D::Prepare2DMatrices()
{
    float W = float(GetScreenWidth());
    float H = float(GetScreenHeight());
    float depth = m_farPlane - m_nearPlane;
    m_proj2D = ZeroMatrix();
    m_proj2D._11 = 2.0f / W;
    m_proj2D._22 = 2.0f / H;
    m_proj2D._33 = 1.0f / depth;
    m_proj2D._43 = -m_nearPlane / depth;
    m_proj2D._44 = 1.0f;
    m_view2D = ZeroMatrix();
    m_view2D._11 = 1.0f;
    m_view2D._22 = -1.0f;
    m_view2D._33 = 1.0f;
    m_view2D._44 = 1.0f;
    m_view2D._41 = W * 0.5f - W;
    m_view2D._42 = H - H * 0.5f;
    m_view2D._43 = m_nearPlane + 0.1f;
}

HRESULT OXED3D::InitStage(float fov, const OXEViewport* viewport, int stage)
{
    Log("InitStage alkaa");
    if (stage < 0 || stage >= OXE_MAX_STAGES) stage = 0;
    const OXEViewport given = viewport ? *viewport : OXEViewport{0, 0, m_windowWidth, m_windowHeight};
    // No projection for an empty rectangle: refused, and the stage keeps what it had.
    if (given.width == 0 || given.height == 0) return OXE_INVALIDPARAM;
    m_stageViewports[stage] = given;
    const OXEViewport& vp = m_stageViewports[stage];

    if (FAILED(CalcPerspProjMatrix(fov, float(vp.height) / float(vp.width), &m_projPerspective[stage])))
        return OXE_FAIL;
    Log("InitStage CalcPerspProjMatrix onnistui");

    float depth = m_farPlane - m_nearPlane;
    D3DXMATRIX& ortho = m_projOrtho[stage];
    ortho = ZeroMatrix();
    ortho._11 = 2.0f / float(vp.width);
    ortho._22 = 2.0f / float(vp.height);
    ortho._33 = 1.0f / depth;
    ortho._43 = -m_nearPlane / depth;
    ortho._44 = 1.0f;
    Log("InitStage kaikki ok");
    return OXE_OK;
}

HRESULT OXED3D::CalcPerspProjMatrix(float fov, float aspect, D3DXMATRIX* out)
{
    if (!out) return OXE_INVALIDPARAM;
    if (fabsf(m_farPlane - m_nearPlane) < 0.01f) return OXE_FAIL;
    float s = sinf(fov / 2.0f);
    float c = cosf(fov / 2.0f);
    if (fabsf(s) < 0.01f) return OXE_FAIL;
    *out = ZeroMatrix();
    out->_11 = aspect * (c / s);
    out->_22 = c / s;
    out->_33 = m_farPlane / (m_farPlane - m_nearPlane);
    out->_34 = 1.0f;
    out->_43 = -m_nearPlane * m_farPlane / (m_farPlane - m_nearPlane);
    return OXE_OK;
}

HRESULT OXED3D::ActivatePerspectiveStage()
{
    if (!m_running || !m_device) return OXE_PLATFORM_FAIL;
    m_projectionMode = 0;
    FlushVertexCache();
    m_activeStage = 0;
    const OXEViewport& vp = m_stageViewports[0];
    D3DVIEWPORT9 d3dvp = {vp.x, vp.y, vp.width, vp.height, 0.0f, 1.0f};
    if (FAILED(m_device->SetViewport(&d3dvp))) return OXE_FAIL;
    if (!m_usingShaders) {
        if (FAILED(m_device->SetTransform(D3DTS_VIEW, &m_view))) return OXE_FAIL;
        if (FAILED(m_device->SetTransform(D3DTS_PROJECTION, &m_projPerspective[0]))) return OXE_FAIL;
    }
    CalcViewProjMatrix();
    CalcWorldViewProjMatrix();
    return OXE_OK;
}

void OXED3D::CalcViewProjMatrix()
{
    if (m_orthoChoice == 1) {
        m_viewProj = m_view2D * m_proj2D;
        return;
    }
    int stage = StageIndex();
    if (stage < 0) stage = 0; // before a stage is active, stage 0's (possibly empty) projections
    const D3DXMATRIX& P = m_orthoChoice == 0 ? m_projPerspective[stage] : m_projOrtho[stage];
    m_viewProj = m_view * P;
}

void OXED3D::CalcWorldViewProjMatrix()
{
    if (m_projectionMode == 1 || m_orthoChoice == 1) {
        m_worldViewProj = m_world * m_view2D * m_proj2D;
        return;
    }
    int stage = StageIndex();
    if (stage < 0) stage = 0;
    const D3DXMATRIX& P = m_orthoChoice == 0 ? m_projPerspective[stage] : m_projOrtho[stage];
    m_worldViewProj = m_world * m_view * P;
}

void OXED3D::SetWorldMatrix(const D3DXMATRIX* world)
{
    FlushVertexCache();
    if (world) m_world = *world;
    else D3DXMatrixIdentity(&m_world);
    CalcWorldViewProjMatrix();
    if (!m_device) return;
    if (m_usingShaders) {
        D3DXMATRIX transposed;
        D3DXMatrixTranspose(&transposed, &m_worldViewProj);
        m_device->SetVertexShaderConstantF(0, (const float*)&transposed, 4);
    } else {
        m_device->SetTransform(D3DTS_WORLD, &m_world);
    }
}

HRESULT OXED3D::GetViewFrustum(OXEPlane* planes)
{
    if (!planes) return OXE_INVALIDPARAM;
    const D3DXMATRIX& M = m_viewProj;
    const D3DXVECTOR4 c1(M._11, M._21, M._31, M._41);
    const D3DXVECTOR4 c2(M._12, M._22, M._32, M._42);
    const D3DXVECTOR4 c3(M._13, M._23, M._33, M._43);
    const D3DXVECTOR4 c4(M._14, M._24, M._34, M._44);
    const D3DXVECTOR4 raw[6] = {-(c4 + c1), -(c4 - c1), -(c4 + c2), -(c4 - c2), -c3, -(c4 - c3)};
    for (int i = 0; i < 6; ++i) {
        D3DXVECTOR3 n(raw[i].x, raw[i].y, raw[i].z);
        float d = raw[i].w;
        float length = OXELength(n);
        if (length > 0.0f) {
            n /= length;
            d /= length;
        }
        planes[i].normal = n;
        planes[i].d = d;
    }
    return OXE_OK;
}

void OXED3D::ScreenToWorldRay(const POINT* point, D3DXVECTOR3* origin, D3DXVECTOR3* direction)
{
    if (!point || !origin || !direction) return;
    *origin = D3DXVECTOR3(0, 0, 0);
    *direction = D3DXVECTOR3(0, 0, 0);
    int stage = StageIndex();
    if (stage < 0) return; // no stage active yet: no projection to invert
    float W = m_projectionMode == 1 ? float(GetScreenWidth()) : float(m_stageViewports[stage].width);
    float H = m_projectionMode == 1 ? float(GetScreenHeight()) : float(m_stageViewports[stage].height);
    const D3DXMATRIX& P = m_projPerspective[stage];
    if (W <= 0.0f || H <= 0.0f || P._11 == 0.0f || P._22 == 0.0f) return;
    float vx = (2.0f * float(point->x) / W - 1.0f) / P._11;
    float vy = -(2.0f * float(point->y) / H - 1.0f) / P._22;

    D3DXMATRIX I;
    if (!D3DXMatrixInverse(&I, nullptr, &m_view)) return;
    D3DXVECTOR3 d(vx * I._11 + vy * I._21 + I._31,
                  vx * I._12 + vy * I._22 + I._32,
                  vx * I._13 + vy * I._23 + I._33);
    *origin = D3DXVECTOR3(I._41, I._42, I._43);
    float length = OXELength(d);
    *direction = length > 0.0f ? d / length : d;
}

POINT* OXED3D::WorldToScreen(POINT* out, const D3DXVECTOR3* point)
{
    if (!out) return out;
    out->x = 0;
    out->y = 0;
    int stage = StageIndex();
    if (!point || stage < 0) return out;
    UINT W = m_projectionMode == 1 ? GetScreenWidth() : m_stageViewports[stage].width;
    UINT H = m_projectionMode == 1 ? GetScreenHeight() : m_stageViewports[stage].height;
    const D3DXMATRIX& M = m_viewProj;
    const D3DXVECTOR3& p = *point;
    double w = double(p.x * M._14 + p.y * M._24 + p.z * M._34 + M._44);
    double x = double(p.x * M._11 + p.y * M._21 + p.z * M._31 + M._41);
    double y = double(p.x * M._12 + p.y * M._22 + p.z * M._32 + M._42);
    if (w == 0.0) return out; // on the eye plane: no screen position
    out->x = ClampToLong((x / w + 1.0) * double(W / 2));
    out->y = ClampToLong((y / w + 1.0) * double(H / 2));
    return out;
}
