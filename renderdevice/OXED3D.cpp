// OXED3D: construction, log, start-up, display modes, reset, release, frames, stages, views and
// transforms, render states, lights and the built-in camera. Fonts and text live in
// OXED3DText.cpp, shaders, declarations, music and random numbers in OXED3DShaders.cpp.
#include "OXED3D.h"
#include <cmath>
#include <climits>
#include <cstring>
#include <new>

#include "OXED3DSkinManager.h"
#include "OXED3DVCManager.h"

#include "OXEPlane.h"

OXED3D* g_pOXECurrentDevice = nullptr;
IDirect3DVertexDeclaration9* g_pOXEParticleDecl = nullptr;
IDirect3DVertexDeclaration9* g_pOXEPositionDecl = nullptr;

void OXESetCurrentRenderDevice(OXERenderDevice* device)
{
    g_pOXECurrentDevice = static_cast<OXED3D*>(device);
}

namespace {

const UINT kSdkVersion = 32;               // Direct3D 9 SDK version asked of Direct3DCreate9
const DWORD kWindowedStyle = 0x00CF0000;   // overlapped window: caption, system menu, frame, boxes
const DWORD kFullscreenStyle = 0x80000000; // popup window
const UINT kMaxWindowSize = 0x7FFF;        // largest window or back-buffer side taken
const char* kLogFileName = "log_renderdevice.txt";

// A colour channel 0..1 as a byte: times 255, truncated towards zero, low 8 bits kept.
DWORD ColorByte(float c)
{
    float v = c * 255.0f;
    if (!(v > -2147483648.0f && v < 2147483648.0f)) return 0; // NaN or out of int range
    return DWORD(int(v)) & 0xFFu;
}

DWORD FloatBits(float f)
{
    DWORD d;
    memcpy(&d, &f, sizeof d);
    return d;
}

// Value truncated towards zero into a LONG; NaN gives 0, out-of-range values are clamped.
LONG ClampToLong(double v)
{
    if (v != v) return 0;
    if (v >= double(LONG_MAX)) return LONG_MAX;
    if (v <= double(LONG_MIN)) return LONG_MIN;
    return LONG(v);
}

D3DXMATRIX ZeroMatrix() { return D3DXMATRIX(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0); }

float Length(const D3DXVECTOR3& v) { return sqrtf(v.x * v.x + v.y * v.y + v.z * v.z); }
float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction, log, release
// ---------------------------------------------------------------------------------------------

OXED3D::OXED3D(HINSTANCE module)
{
    // Every field gets a defined value first; the named start values follow.
    m_mainWindow = nullptr;
    for (HWND& w : m_renderWindows) w = nullptr;
    m_renderWindowCount = 0;
    m_projectionMode = 0;
    m_activeStage = -1;
    memset(m_stageViewports, 0, sizeof(m_stageViewports));
    m_wireColor = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    m_renderMode = 0;
    m_orthoChoice = 0;
    m_fullscreen = false;
    memset(&m_presentation, 0, sizeof(m_presentation));
    m_windowWidth = 1024;
    m_windowHeight = 768;
    m_displayFormat = D3DFMT_X8R8G8B8;
    for (IDirect3DSwapChain9*& s : m_swapChains) s = nullptr;
    for (IDirect3DVertexShader9*& s : m_vertexShaders) s = nullptr;
    for (IDirect3DPixelShader9*& s : m_pixelShaders) s = nullptr;
    for (ID3DXFont*& f : m_fontTable) f = nullptr;
    m_focusWindow = nullptr;
    m_backBufferFormat = D3DFMT_X8R8G8B8;
    m_deviceType = D3DDEVTYPE_HAL;
    m_camRight = D3DXVECTOR3(1, 0, 0);
    m_camUp = D3DXVECTOR3(0, 1, 0);
    m_camLook = D3DXVECTOR3(0, 0, 1);
    m_camPosition = D3DXVECTOR3(0, 0, 0);
    m_camTarget = D3DXVECTOR3(0, 0, 1);
    m_camVelocity = D3DXVECTOR3(0, 0, 0);
    m_camYaw = 0.0f;
    m_camPitch = 0.0f;
    m_camPitchLimit = 1.5533431f;
    m_camMaxSpeed = 1.0f;
    m_fov = 1.0471976f;
    m_aspect = 1.3f;
    m_nearPlane = 0.1f;
    m_farPlane = 1000.0f;
    m_camInvertPitch = 0;
    m_camFlyMode = 1;
    memset(&m_material, 0, sizeof(m_material));
    D3DXMatrixIdentity(&m_view2D);
    D3DXMatrixIdentity(&m_view);
    D3DXMatrixIdentity(&m_proj2D);
    for (D3DXMATRIX& m : m_projPerspective) D3DXMatrixIdentity(&m);
    for (D3DXMATRIX& m : m_projOrtho) D3DXMatrixIdentity(&m);
    D3DXMatrixIdentity(&m_world);
    D3DXMatrixIdentity(&m_viewProj);
    D3DXMatrixIdentity(&m_worldViewProj);
    for (D3DTEXTUREOP& op : m_stageTextureOps) op = D3DTOP_DISABLE;
    m_currentSkin = OXE_NO_ID;
    m_valueA = 0;
    m_valueB = 0;

    // The start values, in their order.
    m_module = module;
    m_windowed = true;
    m_d3d = nullptr;
    m_device = nullptr;
    m_clearColor = 0xFF000000;
    m_running = false;
    m_usingShaders = false;
    m_shaderPermission = false;
    m_flagA = false;
    m_inScene = false;
    m_stencil = false;
    m_flagB = true;
    m_flagC = true;
    m_skinManager = nullptr;
    m_vertexCacheManager = nullptr;
    m_declUnlit = nullptr;
    m_declLit = nullptr;
    m_fontList = nullptr;
    m_fontCount = 0;
    m_vertexShaderCount = 0;
    m_pixelShaderCount = 0;
    m_activeRenderWindow = 0;
    m_lineObjectRefused = false;
    g_pOXECurrentDevice = this;
    SetDefaultPresentation();
    m_log.Open(kLogFileName);
    Log("online (waiting for initialization call)");
}

OXED3D::~OXED3D()
{
    Release();
    // The library must not keep pointing at a destroyed device.
    if (g_pOXECurrentDevice == this) g_pOXECurrentDevice = nullptr;
}

void OXED3D::Log(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    m_log.WriteV(OXE_LOG_DEVICE, format, args);
    va_end(args);
}

void OXED3D::CreateManagers()
{
    DeleteManagers(); // a second oneTimeInit must not leak the first pair
    OXED3DSkinManager* skins = new (std::nothrow) OXED3DSkinManager(m_device, &m_log);
    m_skinManager = skins;
    m_vertexCacheManager = new (std::nothrow) OXED3DVCManager(m_device, this, skins, &m_log);
}

void OXED3D::DeleteManagers()
{
    delete m_skinManager;
    delete m_vertexCacheManager;
    m_skinManager = nullptr;
    m_vertexCacheManager = nullptr;
}

void OXED3D::FlushVertexCache()
{
    if (m_vertexCacheManager) m_vertexCacheManager->FlushAll();
}

void OXED3D::InvalidateVertexCacheStates()
{
    if (m_vertexCacheManager) m_vertexCacheManager->InvalidateStates();
}

void OXED3D::Release()
{
    DeleteManagers();
    ReleaseTextObjects();
    ReleaseShaderObjects();
    // The library's shared declarations are useless once their device is gone.
    if (m_device) {
        IDirect3DVertexDeclaration9* shared[2] = {g_pOXEParticleDecl, g_pOXEPositionDecl};
        bool ours = false;
        for (IDirect3DVertexDeclaration9* decl : shared) {
            IDirect3DDevice9* owner = nullptr;
            if (decl && SUCCEEDED(decl->GetDevice(&owner)) && owner) {
                ours = ours || owner == m_device;
                owner->Release();
            }
        }
        if (ours) ReleaseVertexDeclarations();
    }
    for (IDirect3DSwapChain9*& chain : m_swapChains) {
        if (chain) chain->Release();
        chain = nullptr;
    }
    if (m_device) m_device->Release();
    m_device = nullptr;
    if (m_d3d) m_d3d->Release();
    m_d3d = nullptr;
    m_running = false; // nothing is left to run on
    m_inScene = false;
    m_lineObjectRefused = false; // a later device is asked anew
    Log("offline (ok)");
    m_log.Close();
}

// ---------------------------------------------------------------------------------------------
// Start-up, display modes, reset
// ---------------------------------------------------------------------------------------------

void OXED3D::SetDefaultPresentation()
{
    memset(&m_presentation, 0, sizeof(m_presentation));
    m_presentation.BackBufferWidth = 1024;
    m_presentation.BackBufferHeight = 768;
    m_presentation.BackBufferFormat = D3DFMT_X8R8G8B8;
    m_presentation.BackBufferCount = 1;
    m_presentation.MultiSampleType = D3DMULTISAMPLE_NONE;
    m_presentation.MultiSampleQuality = 0;
    m_presentation.SwapEffect = D3DSWAPEFFECT_DISCARD;
    m_presentation.hDeviceWindow = nullptr;
    m_presentation.Windowed = m_windowed;
    m_presentation.EnableAutoDepthStencil = TRUE;
    m_presentation.AutoDepthStencilFormat = D3DFMT_D24S8;
    m_presentation.Flags = 0;
    m_presentation.FullScreen_RefreshRateInHz = 0;
    m_presentation.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    m_fullscreen = false;
    m_windowWidth = 1024;
    m_windowHeight = 768;
    m_displayFormat = D3DFMT_X8R8G8B8;
    m_backBufferFormat = D3DFMT_X8R8G8B8;
}

HRESULT OXED3D::Init(HWND window, UINT, int stencilBits, bool fullscreen, bool flushLog)
{
    // A second start would orphan the device that callers already borrowed: refuse it.
    if (m_device) {
        Log("virhe: Init, laite on jo luotu");
        return OXE_FAIL;
    }
    g_OXEFlushLog = flushLog;
    Log("DirectX init alkaa");
    m_mainWindow = window;
    m_renderWindows[0] = window;
    m_presentation.hDeviceWindow = window;
    m_renderWindowCount = 0;
    m_windowed = !m_fullscreen; // the flag as stored before this call
    if (stencilBits > 0) m_stencil = true;
    if (m_d3d) {
        m_d3d->Release();
        m_d3d = nullptr;
    }

    Log("P\xE4\xE4objekti luotu");
    m_d3d = Direct3DCreate9(kSdkVersion);
    if (!m_d3d) {
        Log("virhe: Direct3DCreate9() luonti");
        return OXE_CREATEAPI;
    }
    Log("Direct3DCreate9 init onnistui");

    enableFullscreeMode(fullscreen, m_presentation.BackBufferWidth, m_presentation.BackBufferHeight);
    ShowCursor(TRUE);

    // Without a window Direct3D may still make a device, but one that presents nowhere: that
    // start fails like any device that cannot be created.
    HRESULT hr = window ? m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                              &m_presentation, &m_device)
                        : D3DERR_INVALIDCALL;
    if (FAILED(hr) || !m_device) {
        m_device = nullptr;
        Log("virhe: IDirect3D::CreateDevice() ep\xE4onnistui");
        return OXE_CREATEDEVICE;
    }
    Log("DirectX CreateDevice onnistui");
    Log("initialized (online and ready)");
    m_running = true;
    m_inScene = false;
    return oneTimeInit();
}

HRESULT OXED3D::enableFullscreeMode(bool fullscreen, UINT width, UINT height)
{
    // No window or back buffer can be this large, and the window rectangle is signed: a larger
    // size would wrap to a negative one. Refused before anything is stored or restyled.
    if (width > kMaxWindowSize || height > kMaxWindowSize) {
        Log("virhe: enableFullscreeMode, koko %u x %u", width, height);
        return OXE_INVALIDPARAM;
    }
    Log("enableFullscreeMode alkaa");
    m_fullscreen = fullscreen;
    m_windowWidth = width;
    m_windowHeight = height;
    m_presentation.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    HWND window = m_presentation.hDeviceWindow;

    if (fullscreen) {
        Log("Fullscreen");
        int screenWidth = GetSystemMetrics(SM_CXSCREEN);
        int screenHeight = GetSystemMetrics(SM_CYSCREEN);
        m_presentation.BackBufferFormat = D3DFMT_X8R8G8B8;
        m_presentation.BackBufferWidth = width;
        m_presentation.BackBufferHeight = height;
        m_presentation.Windowed = FALSE;
        m_presentation.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        if (window) {
            SetWindowLongA(window, GWL_STYLE, LONG(kFullscreenStyle));
            SetWindowPos(window, nullptr, 0, 0, screenWidth, screenHeight, SWP_NOZORDER | SWP_SHOWWINDOW);
        }
        m_fullscreen = true;
    } else {
        Log("Window");
        RECT frame = {0, 0, LONG(width), LONG(height)};
        AdjustWindowRect(&frame, kWindowedStyle, FALSE);
        m_presentation.BackBufferFormat = D3DFMT_UNKNOWN; // the desktop's format
        m_presentation.BackBufferWidth = width;
        m_presentation.BackBufferHeight = height;
        m_presentation.Windowed = TRUE;
        if (window) {
            SetWindowLongA(window, GWL_STYLE, LONG(kWindowedStyle));
            // The whole enlarged rectangle, so that the client area is width x height.
            SetWindowPos(window, nullptr, 100, 100, frame.right - frame.left, frame.bottom - frame.top,
                         SWP_NOZORDER | SWP_SHOWWINDOW);
        }
        m_fullscreen = false;
    }
    Log("Onnistui");
    return OXE_OK;
}

// Direct3D refuses a reset while default-pool resources live, so the vertex cache's buffers and
// the fonts' resources are let go first and made again once the reset succeeded. Render states
// are not restored: a caller that resets sets its states again.
HRESULT OXED3D::ResetDevice()
{
    if (!m_device) return OXE_FAIL;
    OXED3DVCManager* caches = static_cast<OXED3DVCManager*>(m_vertexCacheManager); // made by oneTimeInit
    if (caches) caches->ReleaseDeviceObjects();
    ForEachFont([](ID3DXFont* font) { font->OnLostDevice(); });
    HRESULT hr = m_device->Reset(&m_presentation);
    if (FAILED(hr)) return hr; // still lost: a later reset restores them
    ForEachFont([](ID3DXFont* font) { font->OnResetDevice(); });
    m_lineObjectRefused = false; // the line object is asked again on the reset device
    if (caches) {
        caches->RestoreDeviceObjects();
        caches->InvalidateStates();
    }
    return hr;
}

template <class F> void OXED3D::ForEachFont(F action)
{
    for (ID3DXFont* font : m_fontTable)
        if (font) action(font);
    for (UINT i = 0, n = FontListLength(); i < n; ++i)
        if (m_fontList[i]) action(m_fontList[i]);
}

UINT OXED3D::GetScreenHeight() { return m_presentation.BackBufferHeight; }
UINT OXED3D::GetScreenWidth() { return m_presentation.BackBufferWidth; }
bool OXED3D::IsRunning() { return m_running; }
bool OXED3D::IsWindowed() { return m_windowed; }
void OXED3D::SetFullscreenFlag(bool fullscreen) { m_fullscreen = fullscreen; }
OXESkinManager* OXED3D::GetSkinManager() { return m_skinManager; }
OXEVertexCacheManager* OXED3D::GetVertexCacheManager() { return m_vertexCacheManager; }
HWND OXED3D::GetWindowHandle() { return m_mainWindow; }
IDirect3DDevice9* OXED3D::GetD3DDevice() { return m_device; }
OXERenderDevice* OXED3D::GetRenderDevice() { return this; }
D3DFORMAT OXED3D::GetDisplayFormat() { return m_displayFormat; }

OXEResolution* OXED3D::GetResolution(OXEResolution* out)
{
    if (!out) return out;
    out->width = GetScreenWidth();
    out->height = GetScreenHeight();
    return out;
}

UINT OXED3D::GetColorDepth()
{
    switch (m_backBufferFormat) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        return 32;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
        return 16;
    default:
        return 0;
    }
}

bool OXED3D::IsDisplayModeAvailable(UINT width, UINT height, int bits)
{
    if (!m_d3d) return false;
    static const D3DFORMAT formats16[] = {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5};
    static const D3DFORMAT formats32[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8};
    const D3DFORMAT* formats = bits == 16 ? formats16 : formats32;
    int formatCount = bits == 16 ? 3 : 2;
    for (int f = 0; f < formatCount; ++f) {
        UINT modes = m_d3d->GetAdapterModeCount(0, formats[f]);
        for (UINT i = 0; i < modes; ++i) {
            D3DDISPLAYMODE mode;
            if (FAILED(m_d3d->EnumAdapterModes(0, formats[f], i, &mode))) continue;
            if (mode.Width == width && mode.Height == height) return true;
        }
    }
    return false;
}

bool OXED3D::InitWithDisplayMode(bool fullscreen, UINT width, UINT height, int bits, bool hardware)
{
    if (m_device) return false; // a device exists already: refuse, as Init does
    if (!m_d3d) m_d3d = Direct3DCreate9(kSdkVersion);
    if (!m_d3d) return false;
    m_deviceType = hardware ? D3DDEVTYPE_HAL : D3DDEVTYPE_REF;
    // No operation records a focus window of its own: the main window serves.
    if (!m_focusWindow) m_focusWindow = m_mainWindow;
    if (!m_focusWindow) return false; // no window to present into

    memset(&m_presentation, 0, sizeof(m_presentation));
    m_presentation.SwapEffect = D3DSWAPEFFECT_DISCARD;
    m_presentation.EnableAutoDepthStencil = TRUE;
    m_presentation.AutoDepthStencilFormat = D3DFMT_D16;

    D3DFORMAT chosen = D3DFMT_UNKNOWN;
    if (fullscreen) {
        m_presentation.BackBufferCount = 1;
        m_presentation.BackBufferWidth = width;
        m_presentation.BackBufferHeight = height;
        m_presentation.Windowed = FALSE;
        m_presentation.FullScreen_RefreshRateInHz = 0;
        m_presentation.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
        static const D3DFORMAT formats16[] = {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5};
        static const D3DFORMAT formats32[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8};
        const D3DFORMAT* formats = bits == 16 ? formats16 : formats32;
        int formatCount = bits == 16 ? 3 : 2;
        for (int f = 0; f < formatCount && !m_device; ++f) {
            m_presentation.BackBufferFormat = formats[f];
            HRESULT hr = m_d3d->CreateDevice(0, D3DDEVTYPE(m_deviceType), m_focusWindow,
                                             D3DCREATE_SOFTWARE_VERTEXPROCESSING, &m_presentation, &m_device);
            if (SUCCEEDED(hr) && m_device) chosen = formats[f];
            else m_device = nullptr;
        }
        if (!m_device) return false;
    } else {
        D3DDISPLAYMODE mode;
        if (FAILED(m_d3d->GetAdapterDisplayMode(0, &mode))) return false;
        m_presentation.Windowed = TRUE;
        m_presentation.BackBufferCount = 1;
        m_presentation.BackBufferFormat = mode.Format;
        HRESULT hr = m_d3d->CreateDevice(0, D3DDEVTYPE(m_deviceType), m_focusWindow,
                                         D3DCREATE_SOFTWARE_VERTEXPROCESSING, &m_presentation, &m_device);
        if (FAILED(hr) || !m_device) {
            m_device = nullptr;
            return false;
        }
        chosen = mode.Format;
    }
    m_backBufferFormat = chosen;

    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_device->SetRenderState(D3DRS_ZENABLE, TRUE);
    m_device->SetRenderState(D3DRS_LIGHTING, TRUE);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    return true;
}

HRESULT OXED3D::oneTimeInit()
{
    if (!m_device) return OXE_FAIL;
    m_renderMode = OXE_RENDER_SOLID;
    m_usingShaders = true; // provisional: the shader check decides

    CreateManagers();

    m_device->SetRenderState(D3DRS_LIGHTING, TRUE);
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);

    memset(&m_material, 0, sizeof(m_material));
    m_material.Ambient = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    m_material.Power = 0.0f;
    if (FAILED(m_device->SetMaterial(&m_material))) {
        Log("virhe:Set material (OneTimeInit)");
        return OXE_FAIL;
    }

    m_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    m_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    m_device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);

    OXEViewport full = {0, 0, GetScreenWidth(), GetScreenHeight()};
    SetCurrentSkin(OXE_NO_ID);
    m_orthoChoice = 0;
    m_activeStage = -1;

    D3DXMatrixIdentity(&m_view);
    SetClipPlanes(0.1f, 1000.0f);

    CheckShaderSupport();
    if (m_usingShaders) {
        if (FAILED(LoadBuiltInVertexShader())) return OXE_FAIL;
        if (FAILED(ActivateVertexShader(0, 1))) return OXE_FAIL;
    }

    SetAmbientColor(1.0f, 1.0f, 1.0f);
    SetStageTextureOp(0, OXE_TEXOP_MODULATE);
    for (BYTE s = 1; s < OXE_TEXTURE_STAGES; ++s) SetStageTextureOp(s, OXE_TEXOP_DISABLE);

    if (FAILED(InitStage(0.8f, &full, 0))) return OXE_FAIL;
    if (FAILED(ActivatePerspectiveStage())) return OXE_FAIL;
    SetWorldMatrix(nullptr);
    Log("oneTimeInit onnistui");
    return OXE_OK;
}

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
    m_clearColor = 0xFF000000u | (ColorByte(r) << 16) | (ColorByte(g) << 8) | ColorByte(b);
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
    float length = Length(D);
    if (length < 1e-6f) return OXE_FAIL; // eye and target coincide: there is no direction
    D /= length;

    D3DXVECTOR3 U = *up - D * Dot(*up, D);
    if (Length(U) < 1e-6f) {
        U = D3DXVECTOR3(0, 1, 0) - D * D.y;
        if (Length(U) < 1e-6f) {
            U = D3DXVECTOR3(0, 0, 1) - D * D.z;
            if (Length(U) < 1e-6f) return OXE_FAIL;
        }
    }
    U /= Length(U);
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
        float length = Length(n);
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
    float length = Length(d);
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
    D3DCOLOR color = 0xFF000000u | (ColorByte(r) << 16) | (ColorByte(g) << 8) | ColorByte(b);
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

// ---------------------------------------------------------------------------------------------
// Built-in camera
// ---------------------------------------------------------------------------------------------

void OXED3D::SetPerspective(float fov, float aspect, float nearPlane, float farPlane)
{
    m_fov = fov;
    m_aspect = aspect;
    m_nearPlane = nearPlane;
    m_farPlane = farPlane;
    D3DXMatrixPerspectiveFovLH(&m_viewProj, fov, aspect, nearPlane, farPlane);
}

void OXED3D::ResetCamera()
{
    m_camRight = D3DXVECTOR3(1, 0, 0);
    m_camUp = D3DXVECTOR3(0, 1, 0);
    m_camLook = D3DXVECTOR3(0, 0, 1);
    m_camPosition = D3DXVECTOR3(0, 0, 0);
    m_camTarget = m_camPosition + m_camLook;
    m_camVelocity = D3DXVECTOR3(0, 0, 0);
    m_camYaw = 0.0f;
    m_camPitch = 0.0f;
    m_camPitchLimit = 1.5533431f;
    m_camMaxSpeed = 1.0f;
    m_camInvertPitch = 0;
    m_camFlyMode = 1;
    SetPerspective(1.0471976f, 1.3f, 0.1f, 1000.0f);
    UpdateCamera();
}

void OXED3D::MoveForward(float distance)
{
    D3DXVECTOR3 step = m_camLook;
    if (m_camFlyMode == 0) {
        step = D3DXVECTOR3(m_camLook.x, 0.0f, m_camLook.z);
        float length = Length(step);
        if (length > 0.0f) step /= length; // looking straight up or down: no level step
    }
    m_camVelocity += step * distance;
}

void OXED3D::MoveSideways(float distance) { m_camVelocity += m_camRight * distance; }

void OXED3D::MoveUp(float distance)
{
    if (m_camFlyMode != 0) m_camVelocity.y += distance;
}

void OXED3D::Yaw(float angle)
{
    if (angle == 0.0f) return;
    D3DXMATRIX rotation;
    D3DXMatrixRotationAxis(&rotation, &m_camUp, angle);
    D3DXVec3TransformNormal(&m_camRight, &m_camRight, &rotation);
    D3DXVec3TransformNormal(&m_camLook, &m_camLook, &rotation);
}

void OXED3D::Pitch(float angle)
{
    if (angle == 0.0f) return;
    if (m_camInvertPitch) angle = -angle;
    m_camPitch -= angle;
    if (m_camPitch > m_camPitchLimit) angle += m_camPitch - m_camPitchLimit;
    else if (m_camPitch < -m_camPitchLimit) angle += m_camPitch + m_camPitchLimit;
    D3DXMATRIX rotation;
    D3DXMatrixRotationAxis(&rotation, &m_camRight, angle);
    D3DXVec3TransformNormal(&m_camUp, &m_camUp, &rotation);
    D3DXVec3TransformNormal(&m_camLook, &m_camLook, &rotation);
}

void OXED3D::Roll(float angle)
{
    if (angle == 0.0f) return;
    D3DXMATRIX rotation;
    D3DXMatrixRotationAxis(&rotation, &m_camLook, angle);
    D3DXVec3TransformNormal(&m_camRight, &m_camRight, &rotation);
    D3DXVec3TransformNormal(&m_camUp, &m_camUp, &rotation);
}

void OXED3D::UpdateCamera()
{
    float speed = Length(m_camVelocity);
    if (speed > m_camMaxSpeed) m_camVelocity *= m_camMaxSpeed / speed;
    m_camPosition += m_camVelocity;
    m_camVelocity = D3DXVECTOR3(0, 0, 0);
    m_camTarget = m_camPosition + m_camLook;
    const D3DXVECTOR3 worldUp(0, 1, 0);
    D3DXMatrixLookAtLH(&m_view, &m_camPosition, &m_camTarget, &worldUp);
    m_camRight = D3DXVECTOR3(m_view._11, m_view._21, m_view._31);
    m_camUp = D3DXVECTOR3(m_view._12, m_view._22, m_view._32);
    m_camLook = D3DXVECTOR3(m_view._13, m_view._23, m_view._33);
    m_camPitch = atan2f(m_camLook.y, sqrtf(m_camLook.x * m_camLook.x + m_camLook.z * m_camLook.z));
    m_camYaw = atan2f(m_camLook.x, m_camLook.z);
}

void OXED3D::SetCameraPosition(const D3DXVECTOR3* position)
{
    if (position) m_camPosition = *position;
}

void OXED3D::SetCameraTarget(const D3DXVECTOR3* target)
{
    if (!target) return;
    m_camTarget = *target;
    D3DXVECTOR3 look = m_camTarget - m_camPosition;
    float length = Length(look);
    if (length > 0.0f) m_camLook = look / length; // a target on the eye keeps the old look
}

void OXED3D::SetFov(float fov) { SetPerspective(fov, m_aspect, m_nearPlane, m_farPlane); }
void OXED3D::SetAspect(float aspect) { SetPerspective(m_fov, aspect, m_nearPlane, m_farPlane); }
void OXED3D::SetNearPlane(float nearPlane) { SetPerspective(m_fov, m_aspect, nearPlane, m_farPlane); }
void OXED3D::SetFarPlane(float farPlane) { SetPerspective(m_fov, m_aspect, m_nearPlane, farPlane); }
void OXED3D::SetMaxSpeed(float speed) { m_camMaxSpeed = speed; }
void OXED3D::SetInvertPitch(int invert) { m_camInvertPitch = invert; }
void OXED3D::SetPitchLimit(float limit) { m_camPitchLimit = limit; }
D3DXMATRIX* OXED3D::GetViewMatrix() { return &m_view; }
D3DXMATRIX* OXED3D::GetViewProjMatrix() { return &m_viewProj; }
D3DXVECTOR3* OXED3D::GetCameraPosition() { return &m_camPosition; }
D3DXVECTOR3* OXED3D::GetCameraTarget() { return &m_camTarget; }
float OXED3D::GetFov() { return m_fov; }
float OXED3D::GetAspect() { return m_aspect; }
float OXED3D::GetNearPlane() { return m_nearPlane; }
float OXED3D::GetFarPlane() { return m_farPlane; }
float OXED3D::GetMaxSpeed() { return m_camMaxSpeed; }
int OXED3D::GetInvertPitch() { return m_camInvertPitch; }
float OXED3D::GetPitch() { return m_camPitch; }
float OXED3D::GetYaw() { return m_camYaw; }
float OXED3D::GetPitchLimit() { return m_camPitchLimit; }
