// OXED3D: the library-wide state of the render device library, the device's construction (every
// field's start value) and log, and the accessors of its own fields. The other areas of the
// device live in the files named for them; OXED3D.h lists them.
#include "OXED3D.h"
#include <cstdarg>
#include <cstring>

#include "OXEVertexCacheManager.h"

OXED3D* g_pOXECurrentDevice = nullptr;
IDirect3DVertexDeclaration9* g_pOXEParticleDecl = nullptr;
IDirect3DVertexDeclaration9* g_pOXEPositionDecl = nullptr;

void OXESetCurrentRenderDevice(OXERenderDevice* device)
{
    g_pOXECurrentDevice = static_cast<OXED3D*>(device);
}

namespace {

const char* kLogFileName = "log_renderdevice.txt";

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction, log
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
    m_lineWay = OXELineWay::LineObject;
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

// ---------------------------------------------------------------------------------------------
// Fields and accessors
// ---------------------------------------------------------------------------------------------

void OXED3D::FlushVertexCache()
{
    if (m_vertexCacheManager) m_vertexCacheManager->FlushAll();
}

void OXED3D::InvalidateVertexCacheStates()
{
    if (m_vertexCacheManager) m_vertexCacheManager->InvalidateStates();
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
