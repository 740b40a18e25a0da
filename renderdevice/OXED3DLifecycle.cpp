// OXED3D: start-up (Init, InitWithDisplayMode, oneTimeInit and the managers they make), the
// presentation and display modes, the device reset, and release.
#include "OXED3D.h"
#include <cstring>
#include <new>

#include "OXED3DSkinManager.h"
#include "OXED3DVCManager.h"

namespace {

const UINT kSdkVersion = 32;               // Direct3D 9 SDK version asked of Direct3DCreate9
const DWORD kWindowedStyle = 0x00CF0000;   // overlapped window: caption, system menu, frame, boxes
const DWORD kFullscreenStyle = 0x80000000; // popup window
const UINT kMaxWindowSize = 0x7FFF;        // largest window or back-buffer side taken

} // namespace

// ---------------------------------------------------------------------------------------------
// Start-up, display modes
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

// ---------------------------------------------------------------------------------------------
// Reset
// ---------------------------------------------------------------------------------------------

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
    m_lineWay = OXELineWay::LineObject; // the line object is asked again on the reset device
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
    for (UINT i = 0; i < m_fontCount; ++i)
        if (m_fontList && m_fontList[i]) action(m_fontList[i]);
}

// ---------------------------------------------------------------------------------------------
// Release
// ---------------------------------------------------------------------------------------------

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
    m_lineWay = OXELineWay::LineObject; // a later device is asked anew
    Log("offline (ok)");
    m_log.Close();
}
