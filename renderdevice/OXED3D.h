/// @file
/// OXED3D: the Direct3D 9 render device behind OXERenderDevice, and the library-wide state of the
/// render device library (the current device, the shared vertex declarations).
///
/// Sources by area:
///   OXED3D.cpp               library-wide state, construction, log, the device's own fields and
///                            accessors
///   OXED3DLifecycle.cpp      start-up, display modes, reset, release
///   OXED3DFramesAndViews.cpp frames, stages, views and transforms
///   OXED3DRenderStates.cpp   render states, lights and materials
///   OXED3DCamera.cpp         built-in camera
///   OXED3DText.cpp           fonts, text, lines and points
///   OXED3DShaders.cpp        shaders, shared vertex declarations, music, random numbers
///
/// The fields are public plain data in a fixed order; the managers and the tests read them.
#pragma once
#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>
#include "OXERenderDevice.h"
#include "OXELog.h"

class OXED3D;

// Library-wide state. Every deliverable links its own copy of the render device library, so each
// keeps its own values of these.

/// The most recently constructed device of this library (cleared when that device is destroyed);
/// the font operations and the shared declarations reach the Direct3D device through it.
extern OXED3D* g_pOXECurrentDevice;
/// The shared particle declaration (position, 3D and four 1D texture coordinates, colour; 44
/// bytes), made by CreateVertexDeclarations.
extern IDirect3DVertexDeclaration9* g_pOXEParticleDecl;
/// The shared position-only declaration (12 bytes), made by CreateVertexDeclarations.
extern IDirect3DVertexDeclaration9* g_pOXEPositionDecl;
// (The flush-log flag g_OXEFlushLog is declared in OXELog.h.)

/// Sends one multimedia command string (mciSendStringA unless replaced); PlayMusic and CloseMusic
/// send through it, and tests replace it to see their commands.
typedef DWORD(WINAPI* OXEMciSendFn)(LPCSTR command, LPSTR reply, UINT replyLength, HWND callback);
/// The function PlayMusic and CloseMusic send their commands with (mciSendStringA).
extern OXEMciSendFn g_pOXEMciSend;

/// Makes a device this library's current device, or clears it with null. A program that links
/// the render device library (Pelmora::RenderDevice) calls it with the device it got from
/// PelmoraGraf.dll, so that its own copy of the library (its vertex declarations, fonts made
/// through it) reaches that device; the device is borrowed, not owned. Clear it (null) once
/// the device is released: the device's destructor clears only its own library's pointer.
void OXESetCurrentRenderDevice(OXERenderDevice* device);

#define OXE_MAX_RENDER_WINDOWS 8 ///< render windows and extra swap chains
#define OXE_MAX_STAGES 4         ///< viewport + projection stages
#define OXE_MAX_SHADERS 20       ///< places in each shader table (19 are filled at most)
#define OXE_FONT_ROWS 3          ///< rows of the font table
#define OXE_FONT_ROW_LENGTH 11   ///< entries per row: a default row holds eleven fonts (heights 10..20)
#define OXE_TEXTURE_STAGES 8     ///< recorded stage texture operations
#define OXE_NO_ID 0xFFFF         ///< no skin, empty texture stage

/// How a device draws its screen-space lines (DrawLine, DrawRectOutline, FillRect).
enum class OXELineWay : BYTE {
    LineObject, ///< a D3DX line object made, used and released for each line
    Triangles,  ///< two pre-transformed triangles per line: the line object cannot draw on this device
};

/// The Direct3D 9 render device: every operation of OXERenderDevice (their text is there).
///
/// Life cycle: constructed by CreateRenderDevice of a library (it opens "log_renderdevice.txt"
/// in the working folder, truncating it, and becomes that library's current device); started by
/// Init; released by Release, which the destructor calls (ReleaseRenderDevice of the same
/// library deletes it). It owns its Direct3D object and device, the skin and vertex cache
/// managers, its fonts, shaders, vertex declarations and log. ResetDevice makes its default-pool
/// objects again after a loss; the states a program set must be set again.
class OXED3D : public OXERenderDevice {
public:
    /// Constructs a device of the library whose module handle is given: every field at its start
    /// value, the default presentation, the log opened with "online (waiting for initialization
    /// call)"; no Direct3D yet. The new device becomes the library's current device.
    explicit OXED3D(HINSTANCE module);
    /// Release, then clears the library's current device if it is this one.
    ~OXED3D() override;
    OXED3D(const OXED3D&) = delete;
    OXED3D& operator=(const OXED3D&) = delete;

    // ---- Operations, in slot order ----
    HRESULT Init(HWND window, UINT depthBits, int stencilBits, bool fullscreen, bool flushLog) override;
    void SetDefaultPresentation() override;
    HRESULT enableFullscreeMode(bool fullscreen, UINT width, UINT height) override;
    HRESULT ResetDevice() override;
    UINT GetScreenHeight() override;
    UINT GetScreenWidth() override;
    void Release() override;
    bool IsRunning() override;
    HRESULT SelectRenderWindow(UINT index) override;
    HRESULT BeginFrame(bool color, bool depth, bool stencil) override;
    HRESULT EndFrame() override;
    HRESULT ClearBuffers(bool color, bool depth, bool stencil) override;
    void SetBackgroundColor(float r, float g, float b) override;
    bool IsDisplayModeAvailable(UINT width, UINT height, int bits) override;
    UINT GetColorDepth() override;
    HRESULT StubOneArg(UINT value) override;
    bool InitWithDisplayMode(bool fullscreen, UINT width, UINT height, int bits, bool hardware) override;
    bool IsWindowed() override;
    void SetFullscreenFlag(bool fullscreen) override;
    OXESkinManager* GetSkinManager() override;
    OXEVertexCacheManager* GetVertexCacheManager() override;
    D3DCOLORVALUE* GetWireColor(D3DCOLORVALUE* out) override;
    HRESULT SetViewAxes(const D3DXVECTOR3* right, const D3DXVECTOR3* up, const D3DXVECTOR3* direction,
                        const D3DXVECTOR3* position) override;
    HRESULT SetViewFromTo(const D3DXVECTOR3* eye, const D3DXVECTOR3* target, const D3DXVECTOR3* up) override;
    void SetClipPlanes(float nearPlane, float farPlane) override;
    HRESULT InitStage(float fov, const OXEViewport* viewport, int stage) override;
    HRESULT GetViewFrustum(OXEPlane* planes) override;
    void ScreenToWorldRay(const POINT* point, D3DXVECTOR3* origin, D3DXVECTOR3* direction) override;
    POINT* WorldToScreen(POINT* out, const D3DXVECTOR3* point) override;
    HRESULT CalcPerspProjMatrix(float fov, float aspect, D3DXMATRIX* out) override;
    void CalcViewProjMatrix() override;
    void CalcWorldViewProjMatrix() override;
    bool QueryFlagA() override;
    bool QueryFlagB() override;
    bool QueryFlagC() override;
    HRESULT SetStageTextureOp(BYTE stage, int code) override;
    OXEResolution* GetResolution(OXEResolution* out) override;
    HRESULT oneTimeInit() override;
    D3DTEXTUREOP GetStageTextureOp(BYTE stage) override;
    void SetCullMode(int code) override;
    void SetDepthMode(int code) override;
    void SetRenderMode(int mode, float pointSize, const D3DCOLORVALUE* color) override;
    int GetRenderMode() override;
    HRESULT StubFourArgs(UINT a, UINT b, UINT c, UINT d) override;
    HRESULT StubFiveArgs(UINT a, UINT b, UINT c, UINT d, UINT e) override;
    void SetAmbientColor(float r, float g, float b) override;
    void SetWorldMatrix(const D3DXMATRIX* world) override;
    HRESULT LoadVertexShader(const void* source, UINT length, bool fromFile, bool compiled, UINT* id) override;
    HRESULT LoadPixelShader(const void* source, UINT length, bool fromFile, bool compiled, UINT* id) override;
    UINT GetCurrentSkin() override;
    UINT QueryValueA() override;
    UINT QueryValueB() override;
    HRESULT ActivateVertexShader(UINT id, int vertexKind) override;
    HRESULT ActivatePixelShader(UINT id) override;
    bool IsUsingShaders() override;
    void EnableShaders(bool on) override;
    bool CanUseShaders() override;
    HRESULT SetShaderConstant(int shaderKind, int dataKind, UINT reg, UINT count, const void* data) override;
    void SetCurrentSkin(UINT id) override;
    HRESULT CreateArialFont(UINT unused0, UINT weight, bool italic, UINT unused1, UINT unused2, int pointSize,
                            UINT* id) override;
    HRESULT DrawFormattedText(UINT id, int x, int y, BYTE r, BYTE g, BYTE b, const char* text, ...) override;
    void Prepare2DMatrices() override;
    void PlayMusic(const char* file, const char* alias) override;
    void CloseMusic(const char* alias) override;
    void FillRect(int x, int y, int height, int width, BYTE r, BYTE g, BYTE b, BYTE a) override;
    void DrawLine(int x0, int y0, int x1, int y1, int width, BYTE r, BYTE g, BYTE b, BYTE a) override;
    void DrawTextAt(UINT font, const char* text, int x, int y, BYTE r, BYTE g, BYTE b, BYTE a) override;
    void DrawRectOutline(int x0, int y0, int x1, int y1, int width, BYTE r, BYTE g, BYTE b, BYTE a) override;
    void DrawPoint(int x, int y, int z, BYTE r, BYTE g, BYTE b, BYTE a) override;
    void DrawTextWithFont(const char* text, int x, int y, const char* face, int height, UINT width, UINT weight,
                          BYTE r, BYTE g, BYTE b, BYTE a) override;
    void DrawTextInFamily(int family, UINT index, const char* text, int x, int y, BYTE r, BYTE g, BYTE b,
                          BYTE a) override;
    void SetPerspective(float fov, float aspect, float nearPlane, float farPlane) override;
    void ResetCamera() override;
    void MoveForward(float distance) override;
    void MoveSideways(float distance) override;
    void MoveUp(float distance) override;
    void Yaw(float angle) override;
    void Pitch(float angle) override;
    void Roll(float angle) override;
    void UpdateCamera() override;
    void SetCameraPosition(const D3DXVECTOR3* position) override;
    void SetCameraTarget(const D3DXVECTOR3* target) override;
    void SetFov(float fov) override;
    void SetAspect(float aspect) override;
    void SetNearPlane(float nearPlane) override;
    void SetFarPlane(float farPlane) override;
    void SetMaxSpeed(float speed) override;
    void SetInvertPitch(int invert) override;
    void SetPitchLimit(float limit) override;
    D3DXMATRIX* GetViewMatrix() override;
    D3DXMATRIX* GetViewProjMatrix() override;
    D3DXVECTOR3* GetCameraPosition() override;
    D3DXVECTOR3* GetCameraTarget() override;
    float GetFov() override;
    float GetAspect() override;
    float GetNearPlane() override;
    float GetFarPlane() override;
    float GetMaxSpeed() override;
    int GetInvertPitch() override;
    float GetPitch() override;
    float GetYaw() override;
    float GetPitchLimit() override;
    HWND GetWindowHandle() override;
    IDirect3DDevice9* GetD3DDevice() override;
    OXERenderDevice* GetRenderDevice() override;
    D3DFORMAT GetDisplayFormat() override;
    void SetLight(const OXELightRecord* light, BYTE index) override;
    HRESULT CreateFontInSlot(UINT index, const char* face, int height, UINT width, UINT weight, bool italic) override;
    HRESULT CreatePlainFontInSlot(UINT index, int height, UINT width, UINT weight, UINT unused) override;
    void CreateDefaultFonts() override;
    void CreateVertexDeclarations() override;
    void ReleaseVertexDeclarations() override;
    int GetRandomInt(int low, int high) override;

    // ---- Internal helpers (not in the interface; the device's own sources and tests use them) ----
    // OXED3D.cpp
    /// Writes one device line to the log: "[OXED3DDEVICE]: ", the message formatted printf-style
    /// (cut at 259 characters), a line feed.
    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    /// FlushAll of the vertex cache manager, if there is one.
    void FlushVertexCache();
    /// InvalidateStates of the vertex cache manager, if there is one.
    void InvalidateVertexCacheStates();
    // OXED3DLifecycle.cpp
    /// Makes the skin manager and the vertex cache manager (deleting any earlier pair).
    void CreateManagers();
    /// Deletes both managers and sets them to none.
    void DeleteManagers();
    /// Calls action with every font of the table and the list.
    template <class F> void ForEachFont(F action);
    // OXED3DFramesAndViews.cpp
    /// Makes stage 0 active with its perspective projection: its viewport on the device, the
    /// combined matrices (OXE_PLATFORM_FAIL before the device runs, OXE_FAIL when Direct3D refuses).
    HRESULT ActivatePerspectiveStage();
    /// Direct3D clear flags for a request (the stencil only when Init asked for one).
    DWORD ClearFlags(bool color, bool depth, bool stencil) const;
    /// The active stage, or -1 when none is active.
    int StageIndex() const;
    // OXED3DText.cpp
    /// Releases the font table and the font list.
    void ReleaseTextObjects();
    /// Draws count lines of one width (pixels) and colour, line i given by lineAt(i), the way the
    /// device draws lines (m_lineWay): one line object made, used and released per line, or
    /// pre-transformed triangles; switches the way to triangles when the line object cannot draw.
    template <class LineAt> void DrawLines(UINT count, float width, D3DCOLOR color, LineAt lineAt);
    /// The fonts in the font list: m_fontCount, never past the places its allocation holds.
    UINT FontListLength() const;
    // OXED3DShaders.cpp
    /// Keeps the shader path only with vertex and pixel shaders 1.1, and makes the two kind
    /// declarations then.
    void CheckShaderSupport();
    /// Loads the built-in vertex shader as the next vertex shader (vertex shader 0 at start-up).
    HRESULT LoadBuiltInVertexShader();
    /// Releases the shaders and the kind declarations.
    void ReleaseShaderObjects();

    // ---- Fields, in order ----
    HWND m_mainWindow;                                      ///< window given to Init; GetWindowHandle
    HWND m_renderWindows[OXE_MAX_RENDER_WINDOWS];           ///< windows that may be rendered into; 0 = main
    UINT m_renderWindowCount;                               ///< extra swap chains in use (0, nothing raises it)
    UINT m_activeRenderWindow;                              ///< index last chosen by SelectRenderWindow
    HINSTANCE m_module;                                     ///< handle given to CreateRenderDevice
    bool m_windowed;                                        ///< windowed flag; IsWindowed
    bool m_running;                                         ///< the device has been created
    bool m_usingShaders;                                    ///< shader path active
    int m_projectionMode;                                   ///< 0 perspective, 1 two-dimensional
    int m_activeStage;                                      ///< stage in force; -1 before one is activated
    OXEViewport m_stageViewports[OXE_MAX_STAGES];           ///< viewport of each stage
    bool m_shaderPermission;                                ///< gates EnableShaders/SetShaderConstant; never set
    D3DCOLORVALUE m_wireColor;                              ///< colour kept by SetRenderMode
    int m_renderMode;                                       ///< engine render mode code
    int m_orthoChoice;                                      ///< projection of the combined matrices: 0 persp, 1 2D, else ortho
    OXESkinManager* m_skinManager;                          ///< owned; made by oneTimeInit
    OXEVertexCacheManager* m_vertexCacheManager;            ///< owned; made by oneTimeInit
    OXELog m_log;                                           ///< "log_renderdevice.txt", owned
    bool m_flagA;                                           ///< false; QueryFlagA
    bool m_flagB;                                           ///< true; QueryFlagB
    bool m_fullscreen;                                      ///< stored fullscreen request
    D3DPRESENT_PARAMETERS m_presentation;                   ///< presentation parameters
    UINT m_windowWidth;                                     ///< width given to enableFullscreeMode (InitStage's default)
    UINT m_windowHeight;                                    ///< height given to enableFullscreeMode
    D3DFORMAT m_displayFormat;                              ///< GetDisplayFormat
    IDirect3D9* m_d3d;                                      ///< Direct3D object, owned
    IDirect3DDevice9* m_device;                             ///< Direct3D device, owned; GetD3DDevice
    IDirect3DSwapChain9* m_swapChains[OXE_MAX_RENDER_WINDOWS]; ///< one per extra render window
    IDirect3DVertexDeclaration9* m_declUnlit;               ///< vertex kind 1 declaration, owned
    IDirect3DVertexDeclaration9* m_declLit;                 ///< vertex kind 2 declaration, owned
    IDirect3DVertexShader9* m_vertexShaders[OXE_MAX_SHADERS]; ///< vertex shader table
    IDirect3DPixelShader9* m_pixelShaders[OXE_MAX_SHADERS]; ///< pixel shader table
    ID3DXFont* m_fontTable[OXE_FONT_ROWS * OXE_FONT_ROW_LENGTH]; ///< font table, row r starts at r * row length
    D3DCOLOR m_clearColor;                                  ///< clear colour
    HWND m_focusWindow;                                     ///< focus window of InitWithDisplayMode
    D3DFORMAT m_backBufferFormat;                           ///< back-buffer format after device creation
    UINT m_deviceType;                                      ///< 1 hardware, 2 reference (InitWithDisplayMode)
    bool m_flagC;                                           ///< true; QueryFlagC
    bool m_inScene;                                         ///< between BeginFrame and EndFrame
    bool m_stencil;                                         ///< a stencil was requested by Init
    D3DXVECTOR3 m_camRight;                                 ///< camera right axis
    D3DXVECTOR3 m_camUp;                                    ///< camera up axis
    D3DXVECTOR3 m_camLook;                                  ///< camera look axis
    D3DXVECTOR3 m_camPosition;                              ///< camera eye point
    D3DXVECTOR3 m_camTarget;                                ///< point looked at
    D3DXVECTOR3 m_camVelocity;                              ///< movement pending for the next update
    float m_camYaw;                                         ///< yaw in radians, derived from look
    float m_camPitch;                                       ///< pitch in radians, derived from look
    float m_camPitchLimit;                                  ///< largest absolute pitch
    float m_camMaxSpeed;                                    ///< largest movement per update
    float m_fov;                                            ///< field of view (camera)
    float m_aspect;                                         ///< aspect (camera)
    float m_nearPlane;                                      ///< near plane (camera and clip planes)
    float m_farPlane;                                       ///< far plane (camera and clip planes)
    int m_camInvertPitch;                                   ///< non-zero reverses pitch input
    int m_camFlyMode;                                       ///< non-zero: move along look and vertically
    D3DMATERIAL9 m_material;                                ///< material set by oneTimeInit
    D3DXMATRIX m_view2D;                                    ///< 2D view matrix
    D3DXMATRIX m_view;                                      ///< view matrix
    D3DXMATRIX m_proj2D;                                    ///< 2D projection matrix
    D3DXMATRIX m_projPerspective[OXE_MAX_STAGES];           ///< perspective projection per stage
    D3DXMATRIX m_projOrtho[OXE_MAX_STAGES];                 ///< orthogonal projection per stage
    D3DXMATRIX m_world;                                     ///< world matrix
    D3DXMATRIX m_viewProj;                                  ///< view-projection (camera projection after SetPerspective)
    D3DXMATRIX m_worldViewProj;                             ///< world-view-projection
    D3DTEXTUREOP m_stageTextureOps[OXE_TEXTURE_STAGES];     ///< recorded texture operation per stage
    ID3DXFont** m_fontList;                                 ///< fonts of CreateArialFont, owned
    UINT m_fontCount;                                       ///< entries in the font list
    UINT m_currentSkin;                                     ///< current skin id
    UINT m_valueA;                                          ///< QueryValueA (0)
    UINT m_valueB;                                          ///< QueryValueB (0)
    UINT m_vertexShaderCount;                               ///< vertex shaders in the table
    UINT m_pixelShaderCount;                                ///< pixel shaders in the table
    // Implementation state beyond the device's documented fields.
    OXELineWay m_lineWay;                                   ///< how lines are drawn: line object until it says
                                                            ///<   it cannot draw; asked again after reset, release
};
