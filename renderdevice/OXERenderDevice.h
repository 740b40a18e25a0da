// OXERenderDevice: the abstract render device. Every deliverable draws through this table of
// operations, so the order below is fixed: slot 0 is the virtual destructor, slots 1..113 follow
// in declaration order (with g++'s ABI the destructor takes two vtable entries, so operation
// slot n sits at vtable index n + 1). Never insert, remove or reorder a virtual here.
#pragma once
#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>
#include "OXEResult.h"

class OXESkinManager;        // materials and textures (OXESkinManager.h)
class OXEVertexCacheManager; // batched and static geometry (OXEVertexCacheManager.h)
class OXEPlane;              // geometry plane record: normal, point, distance (OXEPlane.h)

// One stage's viewport in back-buffer pixels.
struct OXEViewport {
    UINT x;      // left edge
    UINT y;      // top edge
    UINT width;  // width in pixels
    UINT height; // height in pixels
};

// Back-buffer size written by GetResolution.
struct OXEResolution {
    UINT width;  // back-buffer width
    UINT height; // back-buffer height
};

// A light as the engine describes it to SetLight (all fields 32-bit).
struct OXELightRecord {
    int type;                       // 0 directional, 1 point, 2 spot
    float diffuse[4];               // diffuse colour r, g, b, a
    float specular[4];              // specular colour r, g, b, a
    float ambient[4];               // ambient colour r, g, b, a
    float position[3];              // position x, y, z (point and spot)
    float direction[3];             // direction x, y, z (directional and spot)
    float range;                    // range (point and spot)
    float theta;                    // inner cone angle (spot)
    float phi;                      // outer cone angle (spot)
    float attenuation0;             // constant attenuation (spot)
    float attenuation1;             // linear attenuation (spot)
};

// Engine codes of SetCullMode, SetDepthMode, SetRenderMode and SetStageTextureOp.
enum OXERenderCode {
    OXE_CULL_CW = 1,          // cull clockwise faces
    OXE_CULL_CCW = 2,         // cull counter-clockwise faces
    OXE_CULL_NONE = 3,        // no culling
    OXE_DEPTH_READWRITE = 4,  // depth test and write
    OXE_DEPTH_READONLY = 5,   // depth test, no write
    OXE_DEPTH_NONE = 6,       // neither
    OXE_RENDER_POINTS = 7,    // solid fill, point sprites when the point size is above 0
    OXE_RENDER_WIREFRAME = 9, // wireframe fill
    OXE_RENDER_SOLID = 11,    // solid fill (the mode after start-up)
    OXE_TEXOP_DISABLE = 0,    // stage texture operation: disable
    OXE_TEXOP_ADDSIGNED = 12, // stage texture operation: add signed
    OXE_TEXOP_MODULATE = 13,  // stage texture operation: modulate
};

class OXERenderDevice {
public:
    virtual ~OXERenderDevice() {}                                                              // 0

    // Start-up, display modes, reset
    virtual HRESULT Init(HWND window, UINT depthBits, int stencilBits, bool fullscreen, bool flushLog) = 0; // 1
    virtual void SetDefaultPresentation() = 0;                                                 // 2
    virtual HRESULT enableFullscreeMode(bool fullscreen, UINT width, UINT height) = 0;         // 3
    virtual HRESULT ResetDevice() = 0;                                                         // 4
    virtual UINT GetScreenHeight() = 0;                                                        // 5
    virtual UINT GetScreenWidth() = 0;                                                         // 6
    virtual void Release() = 0;                                                                // 7
    virtual bool IsRunning() = 0;                                                              // 8

    // Frame
    virtual HRESULT SelectRenderWindow(UINT index) = 0;                                        // 9
    virtual HRESULT BeginFrame(bool color, bool depth, bool stencil) = 0;                      // 10
    virtual HRESULT EndFrame() = 0;                                                            // 11
    virtual HRESULT ClearBuffers(bool color, bool depth, bool stencil) = 0;                    // 12
    virtual void SetBackgroundColor(float r, float g, float b) = 0;                            // 13
    virtual bool IsDisplayModeAvailable(UINT width, UINT height, int bits) = 0;               // 14
    virtual UINT GetColorDepth() = 0;                                                          // 15
    virtual HRESULT StubOneArg(UINT value) = 0;                                                // 16
    virtual bool InitWithDisplayMode(bool fullscreen, UINT width, UINT height, int bits, bool hardware) = 0; // 17
    virtual bool IsWindowed() = 0;                                                             // 18
    virtual void SetFullscreenFlag(bool fullscreen) = 0;                                       // 19
    virtual OXESkinManager* GetSkinManager() = 0;                                              // 20
    virtual OXEVertexCacheManager* GetVertexCacheManager() = 0;                                // 21
    virtual D3DCOLORVALUE* GetWireColor(D3DCOLORVALUE* out) = 0;                               // 22

    // Views and transforms
    virtual HRESULT SetViewAxes(const D3DXVECTOR3* right, const D3DXVECTOR3* up,
                                const D3DXVECTOR3* direction, const D3DXVECTOR3* position) = 0; // 23
    virtual HRESULT SetViewFromTo(const D3DXVECTOR3* eye, const D3DXVECTOR3* target,
                                  const D3DXVECTOR3* up) = 0;                                  // 24
    virtual void SetClipPlanes(float nearPlane, float farPlane) = 0;                           // 25
    virtual HRESULT InitStage(float fov, const OXEViewport* viewport, int stage) = 0;          // 26
    virtual HRESULT GetViewFrustum(OXEPlane* planes) = 0;                                      // 27
    virtual void ScreenToWorldRay(const POINT* point, D3DXVECTOR3* origin, D3DXVECTOR3* direction) = 0; // 28
    virtual POINT* WorldToScreen(POINT* out, const D3DXVECTOR3* point) = 0;                    // 29
    virtual HRESULT CalcPerspProjMatrix(float fov, float aspect, D3DXMATRIX* out) = 0;         // 30
    virtual void CalcViewProjMatrix() = 0;                                                     // 31
    virtual void CalcWorldViewProjMatrix() = 0;                                                // 32

    // Render states
    virtual bool QueryFlagA() = 0;                                                             // 33
    virtual bool QueryFlagB() = 0;                                                             // 34
    virtual bool QueryFlagC() = 0;                                                             // 35
    virtual HRESULT SetStageTextureOp(BYTE stage, int code) = 0;                               // 36
    virtual OXEResolution* GetResolution(OXEResolution* out) = 0;                              // 37
    virtual HRESULT oneTimeInit() = 0;                                                         // 38
    virtual D3DTEXTUREOP GetStageTextureOp(BYTE stage) = 0;                                    // 39
    virtual void SetCullMode(int code) = 0;                                                    // 40
    virtual void SetDepthMode(int code) = 0;                                                   // 41
    virtual void SetRenderMode(int mode, float pointSize, const D3DCOLORVALUE* color) = 0;     // 42
    virtual int GetRenderMode() = 0;                                                           // 43
    virtual HRESULT StubFourArgs(UINT a, UINT b, UINT c, UINT d) = 0;                          // 44
    virtual HRESULT StubFiveArgs(UINT a, UINT b, UINT c, UINT d, UINT e) = 0;                  // 45
    virtual void SetAmbientColor(float r, float g, float b) = 0;                               // 46
    virtual void SetWorldMatrix(const D3DXMATRIX* world) = 0;                                  // 47

    // Shaders
    // Load a shader into the next table place (id at *id when given): assembly text of `length`
    // characters with its terminator (0: up to the terminator), an assembly file, a compiled
    // file, or compiled code in memory, which ends at its own end token (`length` not used).
    virtual HRESULT LoadVertexShader(const void* source, UINT length, bool fromFile, bool compiled, UINT* id) = 0; // 48
    virtual HRESULT LoadPixelShader(const void* source, UINT length, bool fromFile, bool compiled, UINT* id) = 0;  // 49
    virtual UINT GetCurrentSkin() = 0;                                                         // 50
    virtual UINT QueryValueA() = 0;                                                            // 51
    virtual UINT QueryValueB() = 0;                                                            // 52
    virtual HRESULT ActivateVertexShader(UINT id, int vertexKind) = 0;                         // 53
    virtual HRESULT ActivatePixelShader(UINT id) = 0;                                          // 54
    virtual bool IsUsingShaders() = 0;                                                         // 55
    virtual void EnableShaders(bool on) = 0;                                                   // 56
    virtual bool CanUseShaders() = 0;                                                          // 57
    virtual HRESULT SetShaderConstant(int shaderKind, int dataKind, UINT reg, UINT count, const void* data) = 0; // 58
    virtual void SetCurrentSkin(UINT id) = 0;                                                  // 59

    // Fonts, text, simple drawing, music
    virtual HRESULT CreateArialFont(UINT unused0, UINT weight, bool italic, UINT unused1, UINT unused2,
                                    int pointSize, UINT* id) = 0;                              // 60
    virtual HRESULT DrawFormattedText(UINT id, int x, int y, BYTE r, BYTE g, BYTE b, const char* text, ...) = 0; // 61
    virtual void Prepare2DMatrices() = 0;                                                      // 62
    virtual void PlayMusic(const char* file, const char* alias) = 0;                           // 63
    virtual void CloseMusic(const char* alias) = 0;                                            // 64
    virtual void FillRect(int x, int y, int height, int width, BYTE r, BYTE g, BYTE b, BYTE a) = 0; // 65
    virtual void DrawLine(int x0, int y0, int x1, int y1, int width, BYTE r, BYTE g, BYTE b, BYTE a) = 0; // 66
    virtual void DrawTextAt(UINT font, const char* text, int x, int y, BYTE r, BYTE g, BYTE b, BYTE a) = 0; // 67
    virtual void DrawRectOutline(int x0, int y0, int x1, int y1, int width, BYTE r, BYTE g, BYTE b, BYTE a) = 0; // 68
    virtual void DrawPoint(int x, int y, int z, BYTE r, BYTE g, BYTE b, BYTE a) = 0;           // 69
    virtual void DrawTextWithFont(const char* text, int x, int y, const char* face, int height, UINT width,
                                  UINT weight, BYTE r, BYTE g, BYTE b, BYTE a) = 0;            // 70
    virtual void DrawTextInFamily(int family, UINT index, const char* text, int x, int y,
                                  BYTE r, BYTE g, BYTE b, BYTE a) = 0;                         // 71

    // Built-in camera
    virtual void SetPerspective(float fov, float aspect, float nearPlane, float farPlane) = 0;  // 72
    virtual void ResetCamera() = 0;                                                            // 73
    virtual void MoveForward(float distance) = 0;                                              // 74
    virtual void MoveSideways(float distance) = 0;                                             // 75
    virtual void MoveUp(float distance) = 0;                                                   // 76
    virtual void Yaw(float angle) = 0;                                                         // 77
    virtual void Pitch(float angle) = 0;                                                       // 78
    virtual void Roll(float angle) = 0;                                                        // 79
    virtual void UpdateCamera() = 0;                                                           // 80
    virtual void SetCameraPosition(const D3DXVECTOR3* position) = 0;                           // 81
    virtual void SetCameraTarget(const D3DXVECTOR3* target) = 0;                               // 82
    virtual void SetFov(float fov) = 0;                                                        // 83
    virtual void SetAspect(float aspect) = 0;                                                  // 84
    virtual void SetNearPlane(float nearPlane) = 0;                                            // 85
    virtual void SetFarPlane(float farPlane) = 0;                                              // 86
    virtual void SetMaxSpeed(float speed) = 0;                                                 // 87
    virtual void SetInvertPitch(int invert) = 0;                                               // 88
    virtual void SetPitchLimit(float limit) = 0;                                               // 89
    virtual D3DXMATRIX* GetViewMatrix() = 0;                                                   // 90
    virtual D3DXMATRIX* GetViewProjMatrix() = 0;                                               // 91
    virtual D3DXVECTOR3* GetCameraPosition() = 0;                                              // 92
    virtual D3DXVECTOR3* GetCameraTarget() = 0;                                                // 93
    virtual float GetFov() = 0;                                                                // 94
    virtual float GetAspect() = 0;                                                             // 95
    virtual float GetNearPlane() = 0;                                                          // 96
    virtual float GetFarPlane() = 0;                                                           // 97
    virtual float GetMaxSpeed() = 0;                                                           // 98
    virtual int GetInvertPitch() = 0;                                                          // 99
    virtual float GetPitch() = 0;                                                              // 100
    virtual float GetYaw() = 0;                                                                // 101
    virtual float GetPitchLimit() = 0;                                                         // 102

    // Handles
    virtual HWND GetWindowHandle() = 0;                                                        // 103
    virtual IDirect3DDevice9* GetD3DDevice() = 0;                                              // 104
    virtual OXERenderDevice* GetRenderDevice() = 0;                                            // 105
    virtual D3DFORMAT GetDisplayFormat() = 0;                                                  // 106
    virtual void SetLight(const OXELightRecord* light, BYTE index) = 0;                        // 107

    // Font table, shared declarations, random numbers
    virtual HRESULT CreateFontInSlot(UINT index, const char* face, int height, UINT width, UINT weight,
                                     bool italic) = 0;                                         // 108
    virtual HRESULT CreatePlainFontInSlot(UINT index, int height, UINT width, UINT weight, UINT unused) = 0; // 109
    virtual void CreateDefaultFonts() = 0;                                                     // 110
    virtual void CreateVertexDeclarations() = 0;                                               // 111
    virtual void ReleaseVertexDeclarations() = 0;                                              // 112
    virtual int GetRandomInt(int low, int high) = 0;                                           // 113
};
