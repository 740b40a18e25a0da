/// @file
/// OXERenderDevice: the abstract render device. Every deliverable draws through this table of
/// operations, so the order below is fixed: slot 0 is the virtual destructor, slots 1..113 follow
/// in declaration order (with g++'s ABI the destructor takes two vtable entries, so operation
/// slot n sits at vtable index n + 1). Never insert, remove or reorder a virtual here.
#pragma once
#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>
#include "OXEResult.h"

class OXESkinManager;        // materials and textures (OXESkinManager.h)
class OXEVertexCacheManager; // batched and static geometry (OXEVertexCacheManager.h)
class OXEPlane;              // geometry plane record: normal, point, distance (OXEPlane.h)

/// One stage's viewport in back-buffer pixels.
struct OXEViewport {
    UINT x;      ///< left edge
    UINT y;      ///< top edge
    UINT width;  ///< width in pixels
    UINT height; ///< height in pixels
};

/// Back-buffer size written by OXERenderDevice::GetResolution.
struct OXEResolution {
    UINT width;  ///< back-buffer width
    UINT height; ///< back-buffer height
};

/// A light as the engine describes it to OXERenderDevice::SetLight (all fields 32-bit).
struct OXELightRecord {
    int type;                       ///< 0 directional, 1 point, 2 spot
    float diffuse[4];               ///< diffuse colour r, g, b, a
    float specular[4];              ///< specular colour r, g, b, a
    float ambient[4];               ///< ambient colour r, g, b, a
    float position[3];              ///< position x, y, z (point and spot)
    float direction[3];             ///< direction x, y, z (directional and spot)
    float range;                    ///< range (point and spot)
    float theta;                    ///< inner cone angle (spot)
    float phi;                      ///< outer cone angle (spot)
    float attenuation0;             ///< constant attenuation (spot)
    float attenuation1;             ///< linear attenuation (spot)
};

/// Engine codes of SetCullMode, SetDepthMode, SetRenderMode and SetStageTextureOp.
enum OXERenderCode {
    OXE_CULL_CW = 1,           ///< cull clockwise faces
    OXE_CULL_CCW = 2,          ///< cull counter-clockwise faces
    OXE_CULL_NONE = 3,         ///< no culling
    OXE_DEPTH_READWRITE = 4,   ///< depth test and write
    OXE_DEPTH_READONLY = 5,    ///< depth test, no write
    OXE_DEPTH_NONE = 6,        ///< neither
    OXE_RENDER_POINTS = 7,     ///< solid fill, point sprites when the point size is above 0; the
                               ///<   vertex cache manager draws its geometry as points
    OXE_RENDER_LINES = 8,      ///< solid fill; the vertex cache manager draws a line list
    OXE_RENDER_WIREFRAME = 9,  ///< wireframe fill
    OXE_RENDER_LINESTRIP = 10, ///< solid fill; the vertex cache manager draws a line strip
    OXE_RENDER_SOLID = 11,     ///< solid fill (the mode after start-up); skins bring their own
                               ///<   material and textures only in this mode
    OXE_TEXOP_DISABLE = 0,     ///< stage texture operation: disable
    OXE_TEXOP_ADDSIGNED = 12,  ///< stage texture operation: add signed
    OXE_TEXOP_MODULATE = 13,   ///< stage texture operation: modulate
};

/// The render device: the one object through which a program draws (Direct3D 9 implementation:
/// OXED3D).
///
/// Life cycle: a program loads PelmoraGraf.dll and calls its CreateRenderDevice, which makes a
/// device (constructed: its log "log_renderdevice.txt" open, no Direct3D yet). enableFullscreeMode
/// sets the back buffer's size, Init starts the device on a window (Direct3D object and device,
/// the skin and vertex cache managers, render states, the built-in vertex shader, stage 0). Each
/// frame is BeginFrame, drawing, FlushAll of the vertex cache manager, EndFrame. ReleaseRenderDevice
/// of the same library destroys the device; its Release frees everything it owns. Whatever the
/// getters hand out (the Direct3D device, the managers, matrices) is borrowed and goes with it.
///
/// A lost device (EndFrame returns D3DERR_DEVICELOST): the program releases its own default-pool
/// objects, waits until the Direct3D device's TestCooperativeLevel answers D3DERR_DEVICENOTRESET,
/// calls ResetDevice (which restores the device's fonts and vertex caches), and sets the states
/// its drawing needs again, the vertex shader among them (ActivateVertexShader(0, 1),
/// SetWorldMatrix). The application frame PelmoraApp does the waiting and the reset.
///
/// After Init the shader path is on (IsUsingShaders) wherever the device offers vertex and pixel
/// shaders 1.1: vertex shader 0, the built-in one, is active with vertex kind 1's declaration,
/// transforms go to vertex shader constants c0..c3 (SetWorldMatrix), and the built-in shader
/// gives every vertex the colour in constant c4, which no operation sets. The guide's page of
/// contracts that surprise (contracts.md beside the guide) shows the one line that does the
/// expected thing for each of the notes below.
class OXERenderDevice {
public:
    /// Destroys the device: OXED3D's destructor calls Release. A program destroys a device
    /// through ReleaseRenderDevice of the library that made it.
    virtual ~OXERenderDevice() {}                                                              // 0

    /// @name Start-up, display modes, reset, release (slots 1-8)
    /// @{

    /// Starts the device on a window: creates the Direct3D object and a hardware device with
    /// software vertex processing and a D24S8 depth-stencil buffer, then runs oneTimeInit.
    /// depthBits is not used; stencilBits above 0 makes the clears include the stencil;
    /// fullscreen chooses the presentation (enableFullscreeMode is called with the back-buffer
    /// size already stored, 1024 x 768 unless enableFullscreeMode set another); flushLog makes
    /// every log line reach the file at once (a library-wide flag).
    /// Returns OXE_OK, OXE_FAIL (a device exists already, or oneTimeInit failed),
    /// OXE_CREATEAPI (no Direct3D object) or OXE_CREATEDEVICE (no device; also for a null window).
    /// Note: the window is restyled and moved: an overlapped window at (100, 100) whose inside is
    /// the back buffer, or a popup covering the screen; the mouse cursor is shown.
    /// Note: IsWindowed afterwards reflects the fullscreen flag stored before this call
    /// (SetFullscreenFlag, enableFullscreeMode), not this call's argument.
    virtual HRESULT Init(HWND window, UINT depthBits, int stencilBits, bool fullscreen, bool flushLog) = 0; // 1
    /// Puts the default presentation back: back buffer 1024 x 768 X8R8G8B8, one back buffer,
    /// discard, D24S8 depth-stencil, immediate presentation, no device window; stored fullscreen
    /// flag false, window size 1024 x 768. Note: a running device sees it only at ResetDevice.
    virtual void SetDefaultPresentation() = 0;                                                 // 2
    /// Sets the back-buffer size in pixels and the presentation for full-screen or windowed use,
    /// and restyles the window given to Init: windowed, an overlapped window at (100, 100) whose
    /// inside is width x height; full-screen, a popup window covering the screen. The size is also
    /// InitStage's default viewport. Returns OXE_OK, or OXE_INVALIDPARAM for a side above 32767
    /// (nothing changed). Note: the device is not reset: a running device takes the new
    /// presentation only at ResetDevice. Call it before Init for a back buffer of another size.
    virtual HRESULT enableFullscreeMode(bool fullscreen, UINT width, UINT height) = 0;         // 3
    /// Resets the Direct3D device with the stored presentation after a loss or a change of size.
    /// The vertex cache manager's default-pool buffers are let go first and made again afterwards
    /// (static and index buffers with their contents, the caches empty); the fonts are told of the
    /// loss and the reset. Returns Direct3D's result of the reset (D3DERR_INVALIDCALL while default-pool
    /// objects of the program still live, D3DERR_DEVICELOST while the device cannot be reset yet),
    /// or OXE_FAIL without a device. Note: the Direct3D device comes back with its default states:
    /// no vertex shader or declaration, default render states and transforms; nothing is restored
    /// (ActivateVertexShader(0, 1) and SetWorldMatrix put the start-up shader state back).
    virtual HRESULT ResetDevice() = 0;                                                         // 4
    /// Back-buffer height in pixels, as the stored presentation holds it.
    virtual UINT GetScreenHeight() = 0;                                                        // 5
    /// Back-buffer width in pixels, as the stored presentation holds it.
    virtual UINT GetScreenWidth() = 0;                                                         // 6
    /// Frees everything the device owns: both managers (with every skin, texture and buffer),
    /// the fonts, shaders and vertex declarations (the library's shared ones too when they were
    /// made on this device), the Direct3D device and object; writes "offline (ok)" and closes the
    /// log. The destructor calls it; a second call frees nothing more. Everything borrowed from
    /// the device is gone afterwards.
    virtual void Release() = 0;                                                                // 7
    /// True once Init has created the Direct3D device, until Release. InitWithDisplayMode does
    /// not set it.
    virtual bool IsRunning() = 0;                                                              // 8
    /// @}

    /// @name Frame (slots 9-13)
    /// @{

    /// Makes the back buffer of extra swap chain index the render target. Returns OXE_OK at once
    /// for a full-screen presentation (nothing done) and OXE_FAIL otherwise. Note: nothing creates
    /// extra swap chains, so every call on a windowed device returns OXE_FAIL.
    virtual HRESULT SelectRenderWindow(UINT index) = 0;                                        // 9
    /// Clears what is asked (the whole target to the background colour, depth to 1.0, stencil to
    /// 0; the stencil only when Init asked for one) and begins the scene. Returns OXE_OK, or
    /// OXE_FAIL when there is no device or the clear or the scene's start failed (no scene begun).
    virtual HRESULT BeginFrame(bool color, bool depth, bool stencil) = 0;                      // 10
    /// Ends the scene and presents the whole back buffer. Returns Direct3D's result of presenting
    /// (D3DERR_DEVICELOST when the device is lost: see the class text), or OXE_FAIL without a
    /// device. Note: the vertex cache manager is not flushed here: geometry still batched by
    /// RenderDynamic is drawn only at its next flush, in a later frame; call FlushAll first.
    virtual HRESULT EndFrame() = 0;                                                            // 11
    /// Clears at any time, as BeginFrame does; inside a scene it ends the scene, clears and begins
    /// it again. Returns OXE_FAIL (no device; the clear failed, and the scene is not begun again),
    /// otherwise the result of beginning the scene again, or the clear's result outside a scene.
    /// Nothing asked still submits a clear of no buffer.
    virtual HRESULT ClearBuffers(bool color, bool depth, bool stencil) = 0;                    // 12
    /// Sets the clear colour from channels 0..1, each times 255 truncated (0.8 gives 0xCC); alpha
    /// 0xFF. Opaque black until set.
    virtual void SetBackgroundColor(float r, float g, float b) = 0;                            // 13
    /// @}

    /// @name Display modes, the second start path, a stub (slots 14-19)
    /// @{

    /// True when adapter 0 lists a display mode of exactly width x height pixels in a 16-bit
    /// format (R5G6B5, X1R5G5B5, A1R5G5B5) for bits 16, or a 32-bit one (A8R8G8B8, X8R8G8B8) for
    /// any other bits. False before Init (no Direct3D object).
    virtual bool IsDisplayModeAvailable(UINT width, UINT height, int bits) = 0;               // 14
    /// Bits per pixel of the recorded back-buffer format: 32, 16, or 0 for another format.
    /// Note: Init does not record the format it gets, so after Init this is always 32.
    virtual UINT GetColorDepth() = 0;                                                          // 15
    /// Does nothing; returns OXE_OK (kept for its slot).
    virtual HRESULT StubOneArg(UINT value) = 0;                                                // 16
    /// Second way to start: a device on the window an earlier Init was given, full-screen (back
    /// buffer width x height, formats tried in turn: R5G6B5, X1R5G5B5, A1R5G5B5 for bits 16,
    /// A8R8G8B8, X8R8G8B8 otherwise) or windowed in the desktop's format, D16 depth, hardware or
    /// reference rasteriser; then culling off, depth and lighting on, alpha blending, stage 0
    /// modulate. False when a device exists, no window is known (before any Init), no Direct3D
    /// object can be made, or every format fails. Note: no oneTimeInit: no managers, shaders or
    /// stage, IsRunning stays false and the view operations refuse with OXE_PLATFORM_FAIL.
    virtual bool InitWithDisplayMode(bool fullscreen, UINT width, UINT height, int bits, bool hardware) = 0; // 17
    /// The windowed flag: true at construction; Init sets it from the fullscreen flag stored
    /// before that call.
    virtual bool IsWindowed() = 0;                                                             // 18
    /// Stores the fullscreen flag only (read by the next Init for IsWindowed). enableFullscreeMode
    /// overwrites it.
    virtual void SetFullscreenFlag(bool fullscreen) = 0;                                       // 19
    /// @}

    /// @name Managers and the wire colour (slots 20-22)
    /// @{

    /// The device's skin manager (borrowed: owned and deleted by the device); null before Init
    /// and after Release.
    virtual OXESkinManager* GetSkinManager() = 0;                                              // 20
    /// The device's vertex cache manager (borrowed: owned and deleted by the device); null before
    /// Init and after Release.
    virtual OXEVertexCacheManager* GetVertexCacheManager() = 0;                                // 21
    /// Copies the wire colour (SetRenderMode's; white at first) into out and returns out; a null
    /// out is returned unchanged.
    virtual D3DCOLORVALUE* GetWireColor(D3DCOLORVALUE* out) = 0;                               // 22
    /// @}

    /// @name Views, stages and transforms (slots 23-32)
    /// @{

    /// Sets the view matrix from the camera's right, up and direction axes and its eye position
    /// (world units; the axes as given, not normalised), then the view-projection and the
    /// world-view-projection. With the shader path off it also sets Direct3D's view transform.
    /// Returns OXE_OK, OXE_PLATFORM_FAIL before Init, OXE_INVALIDPARAM for a null pointer, or
    /// OXE_FAIL when Direct3D refused the view transform. Note: with the shader path on, nothing
    /// reaches the device until SetWorldMatrix loads c0..c3: call it after every change of view.
    virtual HRESULT SetViewAxes(const D3DXVECTOR3* right, const D3DXVECTOR3* up,
                                const D3DXVECTOR3* direction, const D3DXVECTOR3* position) = 0; // 23
    /// Sets the view of an eye looking at a target (SetViewAxes with axes built from them); up
    /// need not be perpendicular, and when it is parallel to the direction (0, 1, 0), then
    /// (0, 0, 1) serve instead. Returns SetViewAxes's result, OXE_INVALIDPARAM for a null
    /// pointer, or OXE_FAIL when eye and target coincide. Note: as SetViewAxes, call SetWorldMatrix
    /// afterwards with the shader path on.
    virtual HRESULT SetViewFromTo(const D3DXVECTOR3* eye, const D3DXVECTOR3* target,
                                  const D3DXVECTOR3* up) = 0;                                  // 24
    /// Sets the near and far clip planes (world units) and rebuilds the depth terms of every
    /// stage's projections and the 2D matrices. A near plane at or below 0 becomes 0.01, a far one
    /// at or below 1 becomes 1, and a far one not beyond the near one makes near = far, far + 1.
    /// They are the built-in camera's near and far planes too (after start-up 0.1 and 1000).
    /// Note: the view-projection keeps the old planes until CalcViewProjMatrix.
    virtual void SetClipPlanes(float nearPlane, float farPlane) = 0;                           // 25
    /// Sets a stage's viewport (null: 0, 0 and the size of enableFullscreeMode) and makes its
    /// perspective projection of vertical field of view fov (radians) for that viewport's aspect,
    /// and its orthogonal one. A stage outside 0..3 means stage 0. Returns OXE_OK,
    /// OXE_INVALIDPARAM for a viewport of no width or height, or OXE_FAIL when CalcPerspProjMatrix
    /// refuses. Note: the device is not touched and no operation activates a stage: stage 0, made
    /// active at start-up (its viewport set on the device then), is the one the combined matrices
    /// use; a changed viewport does not reach the device.
    virtual HRESULT InitStage(float fov, const OXEViewport* viewport, int stage) = 0;          // 26
    /// Writes the six planes of the view frustum (normal and distance; left, right, bottom, top,
    /// near, far) from the view-projection matrix, each normalised, normals pointing out of the
    /// frustum. Returns OXE_OK, or OXE_INVALIDPARAM for null. Note: reads the view-projection as
    /// last computed (CalcViewProjMatrix; after SetPerspective it holds that projection alone).
    virtual HRESULT GetViewFrustum(OXEPlane* planes) = 0;                                      // 27
    /// The ray through a back-buffer pixel: origin the eye, direction unit length in world
    /// space, from the view matrix and stage 0's viewport and perspective projection. Writes zero
    /// vectors before a stage is active or when the view cannot be inverted; null pointers
    /// write nothing.
    virtual void ScreenToWorldRay(const POINT* point, D3DXVECTOR3* origin, D3DXVECTOR3* direction) = 0; // 28
    /// Projects a world point through the view-projection to stage 0's viewport; returns out.
    /// x counts pixels from the left edge. Note: y grows upward from the bottom edge: the pixel
    /// row is the viewport's height minus y. Note: reads the view-projection as last computed:
    /// after UpdateCamera or SetPerspective, call CalcViewProjMatrix first. A point on the eye
    /// plane, a null point or no active stage give (0, 0); points behind the eye come out mirrored.
    virtual POINT* WorldToScreen(POINT* out, const D3DXVECTOR3* point) = 0;                    // 29
    /// Makes a left-handed perspective matrix of vertical field of view fov (radians) with the
    /// device's near and far planes. Note: aspect is height over width here (SetPerspective takes
    /// width over height). Returns OXE_OK, OXE_INVALIDPARAM for a null out, or OXE_FAIL when
    /// near and far lie within 0.01 or the sine of half the field of view is below 0.01.
    virtual HRESULT CalcPerspProjMatrix(float fov, float aspect, D3DXMATRIX* out) = 0;         // 30
    /// Recomputes the view-projection: the view matrix times stage 0's perspective projection.
    /// The refresh that UpdateCamera, SetClipPlanes and InitStage leave to the caller, and it
    /// replaces what SetPerspective put there.
    virtual void CalcViewProjMatrix() = 0;                                                     // 31
    /// Recomputes the world-view-projection (world times view times stage 0's projection). Note:
    /// it does not reach the shader constants; SetWorldMatrix loads them.
    virtual void CalcWorldViewProjMatrix() = 0;                                                // 32
    /// @}

    /// @name Fixed flags, stage texture operations, resolution, one-time setup (slots 33-39)
    /// @{

    /// Always false (nothing sets it); when true, static buffers would be drawn additively.
    virtual bool QueryFlagA() = 0;                                                             // 33
    /// Always true (nothing clears it); when false, static buffers would write no colour.
    virtual bool QueryFlagB() = 0;                                                             // 34
    /// Always true (nothing clears it); the vertex cache manager binds a skin's textures only
    /// while it is true.
    virtual bool QueryFlagC() = 0;                                                             // 35
    /// Records the texture operation for a texture stage 0..7: OXE_TEXOP_DISABLE,
    /// OXE_TEXOP_ADDSIGNED or OXE_TEXOP_MODULATE (other codes record nothing). The vertex cache
    /// manager sets it on each textured stage of a skin. Returns OXE_OK, or OXE_FAIL without a
    /// device or for a stage beyond 7 or beyond the device's simultaneous textures. Note: nothing
    /// is sent to Direct3D here. After start-up: stage 0 modulate, 1..7 disable.
    virtual HRESULT SetStageTextureOp(BYTE stage, int code) = 0;                               // 36
    /// Writes the back-buffer width and height in pixels into out and returns out (a null out is
    /// returned unchanged).
    virtual OXEResolution* GetResolution(OXEResolution* out) = 0;                              // 37
    /// The setup after the device was created (Init runs it): new skin and vertex cache managers,
    /// lighting on, counter-clockwise faces culled, depth test on, a material of white ambient,
    /// linear filtering on sampler 0, current skin NoId, identity view, clip planes 0.1 and 1000,
    /// the shader path (on with vertex and pixel shaders 1.1: the built-in vertex shader loaded and
    /// activated for vertex kind 1), white ambient, stage texture operations, stage 0 with a
    /// field of view of 0.8 radians made active, identity world. Returns OXE_OK or OXE_FAIL (no
    /// device, the material or the built-in shader refused, stage 0 failed, or the device is not
    /// running). Note: called again, it replaces both managers (every skin, texture and buffer id
    /// is gone) and loads the built-in shader once more under a new id.
    virtual HRESULT oneTimeInit() = 0;                                                         // 38
    /// The texture operation recorded for a stage; D3DTOP_DISABLE for a stage beyond 7.
    virtual D3DTEXTUREOP GetStageTextureOp(BYTE stage) = 0;                                    // 39
    /// @}

    /// @name Render states (slots 40-46)
    /// @{

    /// Draws what the vertex cache manager has batched, then sets culling: OXE_CULL_CW culls
    /// clockwise faces, OXE_CULL_CCW counter-clockwise ones (the start-up state), OXE_CULL_NONE
    /// none; other codes change nothing.
    virtual void SetCullMode(int code) = 0;                                                    // 40
    /// Draws what the vertex cache manager has batched, then sets depth test and write:
    /// OXE_DEPTH_READWRITE, OXE_DEPTH_READONLY, OXE_DEPTH_NONE; other codes change nothing.
    virtual void SetDepthMode(int code) = 0;                                                   // 41
    /// Draws what is batched, then sets the render mode (OXERenderCode 7 to 11); a colour, when
    /// given, becomes the wire colour. OXE_RENDER_WIREFRAME fills in wireframe, every other mode
    /// solid; OXE_RENDER_POINTS with pointSize above 0 turns point sprites and point scaling on at
    /// that size (pixels), any other mode turns them off; the mode in force again changes only the
    /// point size of OXE_RENDER_POINTS. A new mode or a colour makes the vertex cache manager
    /// forget its states (InvalidateStates). Note: outside
    /// OXE_RENDER_SOLID the manager draws with a material of the wire colour and no texture, and in
    /// modes 7, 8 and 10 it draws its batches as points, line lists and line strips.
    virtual void SetRenderMode(int mode, float pointSize, const D3DCOLORVALUE* color) = 0;     // 42
    /// The render mode: OXE_RENDER_SOLID (11) after start-up, 0 before.
    virtual int GetRenderMode() = 0;                                                           // 43
    /// Does nothing; returns OXE_OK (kept for its slot).
    virtual HRESULT StubFourArgs(UINT a, UINT b, UINT c, UINT d) = 0;                          // 44
    /// Does nothing; returns OXE_OK (kept for its slot).
    virtual HRESULT StubFiveArgs(UINT a, UINT b, UINT c, UINT d, UINT e) = 0;                  // 45
    /// Draws what is batched, then sets Direct3D's ambient light colour from channels 0..1 (each
    /// times 255 truncated; alpha 0xFF); it lights the fixed-function pipeline only. Note: the
    /// built-in vertex shader's colour c4 is written only with the shader permission, which
    /// nothing sets, so c4 keeps whatever the Direct3D device holds (zero on a new device: black)
    /// until the program sets it on the Direct3D device itself.
    virtual void SetAmbientColor(float r, float g, float b) = 0;                               // 46
    /// @}

    /// @name World transform (slot 47)
    /// @{

    /// Draws what is batched, sets the world matrix (null: identity) and recomputes the
    /// world-view-projection from it, the current view and stage 0's projection; with the shader
    /// path on, loads that matrix transposed into vertex shader constants c0..c3, otherwise sets
    /// Direct3D's world transform. It is the only operation that loads c0..c3: call it after
    /// every change of view or camera.
    virtual void SetWorldMatrix(const D3DXMATRIX* world) = 0;                                  // 47
    /// @}

    /// @name Shaders, with the current skin and two fixed values among them (slots 48-59)
    /// @{

    /// Loads a vertex shader into the next place of the device's table (ids in load order; the
    /// built-in shader is id 0, so a program's first is id 1). source is assembly text (length
    /// counts the terminator; 0: up to it), the name of an assembly file (fromFile), the name of
    /// a compiled file (compiled and fromFile, mapped read-only) or compiled code in memory
    /// (compiled; read up to its own end token as Direct3D reads it, length not used). The id
    /// goes to *id when id is given. The device owns the shader; the source is only read. It is
    /// not activated.
    /// Returns OXE_OK, OXE_OUTOFMEMORY (19 shaders loaded), OXE_INVALIDPARAM (null source),
    /// OXE_FILENOTFOUND (compiled file missing or empty) or OXE_FAIL (no device, assembly or
    /// creation failed, compiled code that is no vertex shader, a compiled file with no end).
    /// Note: compiled code in memory must end in its end token: nothing bounds the read.
    virtual HRESULT LoadVertexShader(const void* source, UINT length, bool fromFile, bool compiled, UINT* id) = 0; // 48
    /// Loads a pixel shader, as LoadVertexShader does, into the pixel shader table (ids from 0:
    /// there is no built-in pixel shader). Same results.
    virtual HRESULT LoadPixelShader(const void* source, UINT length, bool fromFile, bool compiled, UINT* id) = 0;  // 49
    /// The skin the vertex cache manager last put in force; NoId after start-up and after its
    /// InvalidateStates.
    virtual UINT GetCurrentSkin() = 0;                                                         // 50
    /// Always 0 (nothing sets it).
    virtual UINT QueryValueA() = 0;                                                            // 51
    /// Always 0 (nothing sets it).
    virtual UINT QueryValueB() = 0;                                                            // 52
    /// Draws what is batched, then makes vertex shader id active with the declaration of a vertex
    /// kind: 1 (OXEVertexUnlit) or 2 (OXEVertexLit). Returns OXE_OK, OXE_NOSHADERSUPPORT with the
    /// shader path off, OXE_INVALIDID for an unknown id or another kind, or OXE_FAIL when Direct3D
    /// refused. Note: the declaration in force stays kind 1's from start-up until this is called
    /// with kind 2: OXEVertexLit geometry drawn before is read with the unlit layout. The vertex
    /// cache manager never sets a declaration itself; kinds 0 and 3..5 have none here.
    virtual HRESULT ActivateVertexShader(UINT id, int vertexKind) = 0;                         // 53
    /// Draws what is batched, then makes pixel shader id active. Returns OXE_OK,
    /// OXE_NOSHADERSUPPORT with the shader path off, OXE_INVALIDID for an id not loaded (any id
    /// before LoadPixelShader), or OXE_FAIL when Direct3D refused. No operation clears the pixel
    /// shader again: SetPixelShader(nullptr) on the Direct3D device does.
    virtual HRESULT ActivatePixelShader(UINT id) = 0;                                          // 54
    /// True while the shader path is on: from Init on wherever the device offers vertex and pixel
    /// shaders 1.1 (nothing switches it off). Transforms then go to constants c0..c3, and the
    /// vertex cache manager sets no vertex format.
    virtual bool IsUsingShaders() = 0;                                                         // 55
    /// Would switch the shader path. Note: it never acts: it works only with the shader
    /// permission (CanUseShaders), which no operation sets. To draw with the fixed-function
    /// pipeline, clear the shaders on the Direct3D device itself.
    virtual void EnableShaders(bool on) = 0;                                                   // 56
    /// The shader permission: always false (no operation sets it).
    virtual bool CanUseShaders() = 0;                                                          // 57
    /// Would set count constant registers from reg of the vertex shader (shaderKind 0) or the
    /// pixel shader (any other), as booleans (dataKind 0), integer vectors (1) or float vectors
    /// (2). Note: it never acts and always returns OXE_NOSHADERSUPPORT: no operation sets the
    /// shader permission. Set constants on the Direct3D device (SetVertexShaderConstantF,
    /// registers 20 and up; 0..19 are the device's). Because of this, the vertex cache manager puts
    /// no skin material in force on the shader path.
    virtual HRESULT SetShaderConstant(int shaderKind, int dataKind, UINT reg, UINT count, const void* data) = 0; // 58
    /// Stores the current skin id only. The vertex cache manager compares a skin with it to skip
    /// putting it in force again; NoId makes the next draw put its skin in force.
    virtual void SetCurrentSkin(UINT id) = 0;                                                  // 59
    /// @}

    /// @name Fonts, text, simple drawing, music (slots 60-71)
    /// @{

    /// Makes an "Arial" font in the font list (read by DrawFormattedText): character height
    /// pointSize points at the screen's pixels per inch (12 points are 16 pixels at 96), width
    /// half of it, the given weight and italic; the three unused arguments are ignored. Its id
    /// (0, 1, 2, ... in creation order) goes to *id. The device owns the font. Returns OXE_OK,
    /// OXE_INVALIDPARAM (no id pointer; a point size no font can have) or OXE_FAIL (the list
    /// could not grow, D3DX made no font).
    virtual HRESULT CreateArialFont(UINT unused0, UINT weight, bool italic, UINT unused1, UINT unused2,
                                    int pointSize, UINT* id) = 0;                              // 60
    /// Draws a text on one line with list font id, its top-left corner at pixel (x, y), opaque in
    /// the colour r, g, b. Returns the drawn text's height in pixels, or OXE_INVALIDPARAM for an
    /// unknown id or a null text. Note: despite its name and the trailing arguments, the text is
    /// drawn as given: it is no format (a `%` shows as it is) and the arguments are not read; format
    /// it first (snprintf).
    virtual HRESULT DrawFormattedText(UINT id, int x, int y, BYTE r, BYTE g, BYTE b, const char* text, ...) = 0; // 61
    /// Recomputes the 2D view and projection from the back-buffer size and the clip planes.
    /// Note: nothing draws with them: no operation selects the 2D projection.
    virtual void Prepare2DMatrices() = 0;                                                      // 62
    /// Opens a music file under an alias and plays it, with the multimedia command strings "open
    /// FILE alias ALIAS" and "play ALIAS". Results are not checked; a null or empty name, or one
    /// longer than MAX_PATH - 1 characters, sends nothing.
    virtual void PlayMusic(const char* file, const char* alias) = 0;                           // 63
    /// Closes the music opened under an alias ("close ALIAS"); results are not checked.
    virtual void CloseMusic(const char* alias) = 0;                                            // 64
    /// Fills a rectangle in colour r, g, b, a (alpha-blended), row by row as one-pixel lines from
    /// x to x + width. Note: height comes before width, and height + 1 rows are filled, y to y + height
    /// (FillRect(x, y, 39, 200, ...) fills 40 rows of 200 pixels). Rows off the back buffer are
    /// skipped. Forgets the vertex cache manager's states, as DrawLine does.
    virtual void FillRect(int x, int y, int height, int width, BYTE r, BYTE g, BYTE b, BYTE a) = 0; // 65
    /// Draws a line between two back-buffer pixels, width pixels wide, in colour r, g, b, a
    /// (alpha-blended). It draws through a D3DX line object, or, where that object cannot draw
    /// (Wine's D3DX), as two pre-transformed triangles whose states are restored afterwards.
    /// The vertex cache manager's states are forgotten (InvalidateStates).
    virtual void DrawLine(int x0, int y0, int x1, int y1, int width, BYTE r, BYTE g, BYTE b, BYTE a) = 0; // 66
    /// Draws a text with font-table entry font (0..32) into the rectangle from pixel (x, y) to
    /// the back buffer's bottom-right corner, top-left aligned, without word breaks, in colour
    /// r, g, b, a. An entry outside the table, an empty entry or a null text draws nothing.
    /// Note: unlike the line, rectangle and point operations, it does not call the vertex cache
    /// manager's InvalidateStates; D3DX's font restores the device states it changes.
    virtual void DrawTextAt(UINT font, const char* text, int x, int y, BYTE r, BYTE g, BYTE b, BYTE a) = 0; // 67
    /// Draws the four edges of a rectangle between corners (x0, y0) and (x1, y1) as lines width
    /// pixels wide (bottom, top, left, right), as DrawLine does.
    virtual void DrawRectOutline(int x0, int y0, int x1, int y1, int width, BYTE r, BYTE g, BYTE b, BYTE a) = 0; // 68
    /// Draws one point at (x, y, z) through the current transforms (world coordinates, not
    /// pixels), with the vertex format position and colour. Forgets the vertex cache manager's
    /// states. Note: that format replaces the vertex declaration in force: with the shader path
    /// on, call ActivateVertexShader again before the manager draws; the built-in vertex shader
    /// colours the point with c4, not with r, g, b, a.
    virtual void DrawPoint(int x, int y, int z, BYTE r, BYTE g, BYTE b, BYTE a) = 0;           // 69
    /// Draws a text as DrawTextAt does with a font made for this call from face (up to 31
    /// characters), height and width in pixels and weight, then released. Note: a font is made
    /// and destroyed on every call (about a millisecond); keep a font-table font for text drawn
    /// every frame.
    virtual void DrawTextWithFont(const char* text, int x, int y, const char* face, int height, UINT width,
                                  UINT weight, BYTE r, BYTE g, BYTE b, BYTE a) = 0;            // 70
    /// Draws a text as DrawTextAt does with entry index (0..10) of a font-table row: family 1 the
    /// "Arial" row, 2 the "Impact" row (both filled by CreateDefaultFonts), any other family row 0.
    virtual void DrawTextInFamily(int family, UINT index, const char* text, int x, int y,
                                  BYTE r, BYTE g, BYTE b, BYTE a) = 0;                         // 71
    /// @}

    /// @name Built-in camera (slots 72-102)
    /// A free-flying camera: moves gather in a velocity that UpdateCamera applies before it
    /// rebuilds the view matrix. Its near and far planes are the clip planes' fields.
    /// @{

    /// Stores the camera's field of view (radians, vertical), aspect (width over height), near
    /// and far planes, and writes their left-handed perspective projection into the
    /// view-projection field. Note: drawing does not use this projection: the combined matrices
    /// use stage 0's (InitStage), and CalcViewProjMatrix overwrites it. The near and far planes
    /// are stored without SetClipPlanes' limits, and the stage projections are not rebuilt.
    virtual void SetPerspective(float fov, float aspect, float nearPlane, float farPlane) = 0;  // 72
    /// Puts the camera at the origin looking along +z with world axes, no pending movement,
    /// pitch limit 89 degrees, largest speed 1, pitch not inverted; SetPerspective(60 degrees,
    /// 1.3, 0.1, 1000) and UpdateCamera (the view matrix becomes the identity).
    virtual void ResetCamera() = 0;                                                            // 73
    /// Adds distance (world units) along the look axis to the pending movement.
    virtual void MoveForward(float distance) = 0;                                              // 74
    /// Adds distance along the right axis to the pending movement.
    virtual void MoveSideways(float distance) = 0;                                             // 75
    /// Adds distance along the world's y axis to the pending movement.
    virtual void MoveUp(float distance) = 0;                                                   // 76
    /// Turns the right and look axes about the up axis by angle radians.
    virtual void Yaw(float angle) = 0;                                                         // 77
    /// Turns the up and look axes about the right axis by angle radians (reversed with
    /// SetInvertPitch), held within the pitch limit.
    virtual void Pitch(float angle) = 0;                                                       // 78
    /// Turns the right and up axes about the look axis by angle radians. Note: UpdateCamera
    /// rebuilds the axes from the look axis and the world's up, so the roll is undone there.
    virtual void Roll(float angle) = 0;                                                        // 79
    /// Applies the pending movement (shortened to the largest speed), clears it, sets the target
    /// to eye + look, builds the view matrix looking from the eye to the target with the world's
    /// up, and takes the axes, pitch and yaw from it. Note: only the view matrix changes: the
    /// view-projection is not refreshed (CalcViewProjMatrix does) and nothing reaches the shader
    /// constants (SetWorldMatrix does).
    virtual void UpdateCamera() = 0;                                                           // 80
    /// Stores the eye position only; the view changes at UpdateCamera.
    virtual void SetCameraPosition(const D3DXVECTOR3* position) = 0;                           // 81
    /// Stores the target and turns the look axis towards it from the current eye (kept when the
    /// target is the eye); set the position first. The view changes at UpdateCamera.
    virtual void SetCameraTarget(const D3DXVECTOR3* target) = 0;                               // 82
    /// SetPerspective with this field of view (radians) and the other three values as stored.
    virtual void SetFov(float fov) = 0;                                                        // 83
    /// SetPerspective with this aspect (width over height) and the other values as stored.
    virtual void SetAspect(float aspect) = 0;                                                  // 84
    /// SetPerspective with this near plane; it is the clip planes' near plane too.
    virtual void SetNearPlane(float nearPlane) = 0;                                            // 85
    /// SetPerspective with this far plane; it is the clip planes' far plane too.
    virtual void SetFarPlane(float farPlane) = 0;                                              // 86
    /// Sets the largest movement one UpdateCamera applies (world units; 1 at first).
    virtual void SetMaxSpeed(float speed) = 0;                                                 // 87
    /// Non-zero makes Pitch turn the other way.
    virtual void SetInvertPitch(int invert) = 0;                                               // 88
    /// Sets the largest pitch up or down in radians (89 degrees at first).
    virtual void SetPitchLimit(float limit) = 0;                                               // 89
    /// The device's view matrix (borrowed: valid while the device lives; written through, it
    /// changes the view without any recomputation).
    virtual D3DXMATRIX* GetViewMatrix() = 0;                                                   // 90
    /// The device's view-projection field (borrowed): view times stage 0's projection after
    /// CalcViewProjMatrix or a view change, the camera's projection alone after SetPerspective.
    virtual D3DXMATRIX* GetViewProjMatrix() = 0;                                               // 91
    /// The camera's eye position (borrowed pointer into the device).
    virtual D3DXVECTOR3* GetCameraPosition() = 0;                                              // 92
    /// The camera's target point (borrowed pointer into the device).
    virtual D3DXVECTOR3* GetCameraTarget() = 0;                                                // 93
    /// The camera's field of view in radians.
    virtual float GetFov() = 0;                                                                // 94
    /// The camera's aspect, width over height.
    virtual float GetAspect() = 0;                                                             // 95
    /// The near plane (camera and clip planes).
    virtual float GetNearPlane() = 0;                                                          // 96
    /// The far plane (camera and clip planes).
    virtual float GetFarPlane() = 0;                                                           // 97
    /// The largest movement per UpdateCamera.
    virtual float GetMaxSpeed() = 0;                                                           // 98
    /// Non-zero while Pitch is reversed.
    virtual int GetInvertPitch() = 0;                                                          // 99
    /// The pitch in radians as UpdateCamera took it from the look axis (positive looking up).
    virtual float GetPitch() = 0;                                                              // 100
    /// The yaw in radians as UpdateCamera took it from the look axis (0 along +z).
    virtual float GetYaw() = 0;                                                                // 101
    /// The pitch limit in radians.
    virtual float GetPitchLimit() = 0;                                                         // 102
    /// @}

    /// @name Handles and lights (slots 103-107)
    /// @{

    /// The window given to Init (null before).
    virtual HWND GetWindowHandle() = 0;                                                        // 103
    /// The Direct3D device, borrowed: no reference is added, so never Release it; null before
    /// Init and after Release. Note: the vertex cache manager does not see what is set on it
    /// directly: after binding stream 0, indices or textures yourself, call the manager's
    /// InvalidateStates before it draws.
    virtual IDirect3DDevice9* GetD3DDevice() = 0;                                              // 104
    /// The device itself, as OXERenderDevice (what OXESetCurrentRenderDevice takes).
    virtual OXERenderDevice* GetRenderDevice() = 0;                                            // 105
    /// The display format: always D3DFMT_X8R8G8B8.
    virtual D3DFORMAT GetDisplayFormat() = 0;                                                  // 106
    /// Sets Direct3D light index from an engine light record and switches it on, or, with null,
    /// switches it off. Types: 0 directional, 1 point (attenuation 1, the record's attenuations
    /// not read), 2 spot (falloff 1, quadratic attenuation 1); a light Direct3D refuses, as one
    /// of another type, is not switched on. Lights act on the fixed-function pipeline only.
    virtual void SetLight(const OXELightRecord* light, BYTE index) = 0;                        // 107
    /// @}

    /// @name Font table, shared vertex declarations, random numbers (slots 108-113)
    /// @{

    /// Makes a font in font-table entry index (0..32; row 0 is 0..10, rows 1 and 2, of
    /// CreateDefaultFonts, 11..21 and 22..32), releasing the font it held: face (up to 31
    /// characters), height and width in pixels (width 0: the face's own), weight, italic. The
    /// device owns it. Returns D3DX's result of the creation, OXE_INVALIDID for an index beyond
    /// 32, or OXE_FAIL when there is no Direct3D device. Note: the font is made on the Direct3D
    /// device of the library's current device (OXESetCurrentRenderDevice), normally this one.
    virtual HRESULT CreateFontInSlot(UINT index, const char* face, int height, UINT width, UINT weight,
                                     bool italic) = 0;                                         // 108
    /// As CreateFontInSlot with the system's default face, not italic, on this device; the last
    /// argument is not used.
    virtual HRESULT CreatePlainFontInSlot(UINT index, int height, UINT width, UINT weight, UINT unused) = 0; // 109
    /// Fills font-table rows 1 ("Arial") and 2 ("Impact"): entry k (0..10) of height and width
    /// 10 + k pixels, weight 10, replacing what they held; on the library's current device.
    /// Failures are silent (the entry stays empty).
    virtual void CreateDefaultFonts() = 0;                                                     // 110
    /// Makes the two vertex declarations the library that made this device shares (particle, 44
    /// bytes; position only, 12 bytes) on that library's current device, replacing earlier ones.
    /// PelmoraGraf's particle systems draw with them; make them once after Init.
    virtual void CreateVertexDeclarations() = 0;                                               // 111
    /// Releases the two shared vertex declarations (Release does too when they were made on this
    /// device).
    virtual void ReleaseVertexDeclarations() = 0;                                              // 112
    /// A random integer in low..high from the generator of the library that made the device
    /// (`rand() % 10001` scaled; high comes only for 10000); low when low is not below high.
    virtual int GetRandomInt(int low, int high) = 0;                                           // 113
    /// @}
};
