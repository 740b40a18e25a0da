// Test support: a Direct3D 9 device that forwards every call to a real device and records the
// calls (name, arguments, result) so that a test can check the order of state changes, which
// binds were made and what was drawn. Nothing is emulated: the real device does all the work,
// so pixels can still be read back from it.
#pragma once
#include <windows.h>
#include <d3d9.h>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testsupport {

// One call made through the recording device.
struct RecordedCall {
    std::string name;             // method name, e.g. "SetRenderState"
    std::vector<uint64_t> args;   // arguments in order: integers as values, pointers as
                                  // addresses, floats as their bit patterns (see argFloat)
    HRESULT result = 0;           // what the real device returned (0 for non-HRESULT methods)
    D3DMATERIAL9 material = {};   // SetMaterial: the material passed
    std::vector<float> floats;    // Set*ShaderConstantF: the constants passed (4 per register)
    std::vector<uint8_t> data;    // DrawPrimitiveUP / DrawIndexedPrimitiveUP: the vertex bytes

    uint64_t arg(size_t i) const { return i < args.size() ? args[i] : 0; }
    float argFloat(size_t i) const
    {
        uint32_t bits = uint32_t(arg(i));
        float f;
        memcpy(&f, &bits, sizeof f);
        return f;
    }
    bool is(const char* n) const { return name == n; }
};

// The proxy. Hand device() (or the object itself) to the code under test in place of the real
// device. Its reference count is its own: Release never deletes it; the destructor releases
// the reference it holds on the real device. QueryInterface for the device interface answers
// with the proxy, so nothing slips past the recording.
class RecordingDevice : public IDirect3DDevice9 {
public:
    explicit RecordingDevice(IDirect3DDevice9* real);
    virtual ~RecordingDevice();
    RecordingDevice(const RecordingDevice&) = delete;
    RecordingDevice& operator=(const RecordingDevice&) = delete;

    IDirect3DDevice9* device() { return this; }
    IDirect3DDevice9* real() const { return real_; }

    // The calls recorded so far, oldest first; recording can be paused.
    const std::vector<RecordedCall>& calls() const { return calls_; }
    void clear() { calls_.clear(); }
    void setRecording(bool on) { recording_ = on; }

    // Helpers for tests.
    size_t count(const char* name) const;                            // calls of that name
    std::vector<RecordedCall> named(const char* name) const;         // those calls, in order
    std::vector<RecordedCall> drawCalls() const;                     // every Draw* call
    // Calls of SetRenderState / SetTextureStageState / SetSamplerState for one state.
    std::vector<RecordedCall> renderStates(D3DRENDERSTATETYPE state) const;
    std::vector<RecordedCall> stageStates(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const;
    // Index of the first call named name at or after from; -1 when there is none.
    int indexOf(const char* name, size_t from = 0) const;
    // The names of all calls, one per line (for failure messages).
    std::string dump() const;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDirect3DDevice9, every method forwarded to the real device
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
    UINT STDMETHODCALLTYPE GetAvailableTextureMem() override;
    HRESULT STDMETHODCALLTYPE EvictManagedResources() override;
    HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D9** a0) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS9* a0) override;
    HRESULT STDMETHODCALLTYPE GetDisplayMode(UINT a0, D3DDISPLAYMODE* a1) override;
    HRESULT STDMETHODCALLTYPE GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS * a0) override;
    HRESULT STDMETHODCALLTYPE SetCursorProperties(UINT a0, UINT a1, IDirect3DSurface9* a2) override;
    void STDMETHODCALLTYPE SetCursorPosition(int a0, int a1, DWORD a2) override;
    WINBOOL STDMETHODCALLTYPE ShowCursor(WINBOOL a0) override;
    HRESULT STDMETHODCALLTYPE CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* a0, IDirect3DSwapChain9** a1) override;
    HRESULT STDMETHODCALLTYPE GetSwapChain(UINT a0, IDirect3DSwapChain9** a1) override;
    UINT STDMETHODCALLTYPE GetNumberOfSwapChains() override;
    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* a0) override;
    HRESULT STDMETHODCALLTYPE Present(const RECT * a0, const RECT * a1, HWND a2, const RGNDATA * a3) override;
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT a0, UINT a1, D3DBACKBUFFER_TYPE a2, IDirect3DSurface9** a3) override;
    HRESULT STDMETHODCALLTYPE GetRasterStatus(UINT a0, D3DRASTER_STATUS* a1) override;
    HRESULT STDMETHODCALLTYPE SetDialogBoxMode(WINBOOL a0) override;
    void STDMETHODCALLTYPE SetGammaRamp(UINT a0, DWORD a1, const D3DGAMMARAMP * a2) override;
    void STDMETHODCALLTYPE GetGammaRamp(UINT a0, D3DGAMMARAMP* a1) override;
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT a0, UINT a1, UINT a2, DWORD a3, D3DFORMAT a4, D3DPOOL a5, IDirect3DTexture9** a6, HANDLE* a7) override;
    HRESULT STDMETHODCALLTYPE CreateVolumeTexture(UINT a0, UINT a1, UINT a2, UINT a3, DWORD a4, D3DFORMAT a5, D3DPOOL a6, IDirect3DVolumeTexture9** a7, HANDLE* a8) override;
    HRESULT STDMETHODCALLTYPE CreateCubeTexture(UINT a0, UINT a1, DWORD a2, D3DFORMAT a3, D3DPOOL a4, IDirect3DCubeTexture9** a5, HANDLE* a6) override;
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT a0, DWORD a1, DWORD a2, D3DPOOL a3, IDirect3DVertexBuffer9** a4, HANDLE* a5) override;
    HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT a0, DWORD a1, D3DFORMAT a2, D3DPOOL a3, IDirect3DIndexBuffer9** a4, HANDLE* a5) override;
    HRESULT STDMETHODCALLTYPE CreateRenderTarget(UINT a0, UINT a1, D3DFORMAT a2, D3DMULTISAMPLE_TYPE a3, DWORD a4, WINBOOL a5, IDirect3DSurface9** a6, HANDLE* a7) override;
    HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT a0, UINT a1, D3DFORMAT a2, D3DMULTISAMPLE_TYPE a3, DWORD a4, WINBOOL a5, IDirect3DSurface9** a6, HANDLE* a7) override;
    HRESULT STDMETHODCALLTYPE UpdateSurface(IDirect3DSurface9 * a0, const RECT * a1, IDirect3DSurface9 * a2, const POINT * a3) override;
    HRESULT STDMETHODCALLTYPE UpdateTexture(IDirect3DBaseTexture9* a0, IDirect3DBaseTexture9* a1) override;
    HRESULT STDMETHODCALLTYPE GetRenderTargetData(IDirect3DSurface9* a0, IDirect3DSurface9* a1) override;
    HRESULT STDMETHODCALLTYPE GetFrontBufferData(UINT a0, IDirect3DSurface9* a1) override;
    HRESULT STDMETHODCALLTYPE StretchRect(IDirect3DSurface9 * a0, const RECT * a1, IDirect3DSurface9 * a2, const RECT * a3, D3DTEXTUREFILTERTYPE a4) override;
    HRESULT STDMETHODCALLTYPE ColorFill(IDirect3DSurface9 * a0, const RECT * a1, D3DCOLOR a2) override;
    HRESULT STDMETHODCALLTYPE CreateOffscreenPlainSurface(UINT a0, UINT a1, D3DFORMAT a2, D3DPOOL a3, IDirect3DSurface9** a4, HANDLE* a5) override;
    HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD a0, IDirect3DSurface9* a1) override;
    HRESULT STDMETHODCALLTYPE GetRenderTarget(DWORD a0, IDirect3DSurface9** a1) override;
    HRESULT STDMETHODCALLTYPE SetDepthStencilSurface(IDirect3DSurface9* a0) override;
    HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface9** a0) override;
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD a0, const D3DRECT * a1, DWORD a2, D3DCOLOR a3, float a4, DWORD a5) override;
    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE a0, const D3DMATRIX * a1) override;
    HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE a0, D3DMATRIX* a1) override;
    HRESULT STDMETHODCALLTYPE MultiplyTransform(D3DTRANSFORMSTATETYPE a0, const D3DMATRIX * a1) override;
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9 * a0) override;
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9* a0) override;
    HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL9 * a0) override;
    HRESULT STDMETHODCALLTYPE GetMaterial(D3DMATERIAL9* a0) override;
    HRESULT STDMETHODCALLTYPE SetLight(DWORD a0, const D3DLIGHT9 * a1) override;
    HRESULT STDMETHODCALLTYPE GetLight(DWORD a0, D3DLIGHT9* a1) override;
    HRESULT STDMETHODCALLTYPE LightEnable(DWORD a0, WINBOOL a1) override;
    HRESULT STDMETHODCALLTYPE GetLightEnable(DWORD a0, WINBOOL* a1) override;
    HRESULT STDMETHODCALLTYPE SetClipPlane(DWORD a0, const float * a1) override;
    HRESULT STDMETHODCALLTYPE GetClipPlane(DWORD a0, float* a1) override;
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE a0, DWORD a1) override;
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE a0, DWORD* a1) override;
    HRESULT STDMETHODCALLTYPE CreateStateBlock(D3DSTATEBLOCKTYPE a0, IDirect3DStateBlock9** a1) override;
    HRESULT STDMETHODCALLTYPE BeginStateBlock() override;
    HRESULT STDMETHODCALLTYPE EndStateBlock(IDirect3DStateBlock9** a0) override;
    HRESULT STDMETHODCALLTYPE SetClipStatus(const D3DCLIPSTATUS9 * a0) override;
    HRESULT STDMETHODCALLTYPE GetClipStatus(D3DCLIPSTATUS9* a0) override;
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD a0, IDirect3DBaseTexture9** a1) override;
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD a0, IDirect3DBaseTexture9* a1) override;
    HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD a0, D3DTEXTURESTAGESTATETYPE a1, DWORD* a2) override;
    HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD a0, D3DTEXTURESTAGESTATETYPE a1, DWORD a2) override;
    HRESULT STDMETHODCALLTYPE GetSamplerState(DWORD a0, D3DSAMPLERSTATETYPE a1, DWORD* a2) override;
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD a0, D3DSAMPLERSTATETYPE a1, DWORD a2) override;
    HRESULT STDMETHODCALLTYPE ValidateDevice(DWORD* a0) override;
    HRESULT STDMETHODCALLTYPE SetPaletteEntries(UINT a0, const PALETTEENTRY * a1) override;
    HRESULT STDMETHODCALLTYPE GetPaletteEntries(UINT a0, PALETTEENTRY* a1) override;
    HRESULT STDMETHODCALLTYPE SetCurrentTexturePalette(UINT a0) override;
    HRESULT STDMETHODCALLTYPE GetCurrentTexturePalette(UINT * a0) override;
    HRESULT STDMETHODCALLTYPE SetScissorRect(const RECT * a0) override;
    HRESULT STDMETHODCALLTYPE GetScissorRect(RECT* a0) override;
    HRESULT STDMETHODCALLTYPE SetSoftwareVertexProcessing(WINBOOL a0) override;
    WINBOOL STDMETHODCALLTYPE GetSoftwareVertexProcessing() override;
    HRESULT STDMETHODCALLTYPE SetNPatchMode(float a0) override;
    float STDMETHODCALLTYPE GetNPatchMode() override;
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE a0, UINT a1, UINT a2) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE a0, INT a1, UINT a2, UINT a3, UINT a4, UINT a5) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE a0, UINT a1, const void * a2, UINT a3) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE a0, UINT a1, UINT a2, UINT a3, const void * a4, D3DFORMAT a5, const void * a6, UINT a7) override;
    HRESULT STDMETHODCALLTYPE ProcessVertices(UINT a0, UINT a1, UINT a2, IDirect3DVertexBuffer9* a3, IDirect3DVertexDeclaration9* a4, DWORD a5) override;
    HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(const D3DVERTEXELEMENT9 * a0, IDirect3DVertexDeclaration9 ** a1) override;
    HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9* a0) override;
    HRESULT STDMETHODCALLTYPE GetVertexDeclaration(IDirect3DVertexDeclaration9** a0) override;
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD a0) override;
    HRESULT STDMETHODCALLTYPE GetFVF(DWORD* a0) override;
    HRESULT STDMETHODCALLTYPE CreateVertexShader(const DWORD * a0, IDirect3DVertexShader9 ** a1) override;
    HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9* a0) override;
    HRESULT STDMETHODCALLTYPE GetVertexShader(IDirect3DVertexShader9** a0) override;
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantF(UINT a0, const float * a1, UINT a2) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderConstantF(UINT a0, float* a1, UINT a2) override;
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantI(UINT a0, const int * a1, UINT a2) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderConstantI(UINT a0, int* a1, UINT a2) override;
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantB(UINT a0, const WINBOOL * a1, UINT a2) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderConstantB(UINT a0, WINBOOL* a1, UINT a2) override;
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT a0, IDirect3DVertexBuffer9* a1, UINT a2, UINT a3) override;
    HRESULT STDMETHODCALLTYPE GetStreamSource(UINT a0, IDirect3DVertexBuffer9** a1, UINT* a2, UINT* a3) override;
    HRESULT STDMETHODCALLTYPE SetStreamSourceFreq(UINT a0, UINT a1) override;
    HRESULT STDMETHODCALLTYPE GetStreamSourceFreq(UINT a0, UINT* a1) override;
    HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9* a0) override;
    HRESULT STDMETHODCALLTYPE GetIndices(IDirect3DIndexBuffer9** a0) override;
    HRESULT STDMETHODCALLTYPE CreatePixelShader(const DWORD * a0, IDirect3DPixelShader9 ** a1) override;
    HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9* a0) override;
    HRESULT STDMETHODCALLTYPE GetPixelShader(IDirect3DPixelShader9** a0) override;
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantF(UINT a0, const float * a1, UINT a2) override;
    HRESULT STDMETHODCALLTYPE GetPixelShaderConstantF(UINT a0, float* a1, UINT a2) override;
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantI(UINT a0, const int * a1, UINT a2) override;
    HRESULT STDMETHODCALLTYPE GetPixelShaderConstantI(UINT a0, int* a1, UINT a2) override;
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantB(UINT a0, const WINBOOL * a1, UINT a2) override;
    HRESULT STDMETHODCALLTYPE GetPixelShaderConstantB(UINT a0, WINBOOL* a1, UINT a2) override;
    HRESULT STDMETHODCALLTYPE DrawRectPatch(UINT a0, const float * a1, const D3DRECTPATCH_INFO * a2) override;
    HRESULT STDMETHODCALLTYPE DrawTriPatch(UINT a0, const float * a1, const D3DTRIPATCH_INFO * a2) override;
    HRESULT STDMETHODCALLTYPE DeletePatch(UINT a0) override;
    HRESULT STDMETHODCALLTYPE CreateQuery(D3DQUERYTYPE a0, IDirect3DQuery9** a1) override;

private:
    RecordedCall& Record(const char* name, std::initializer_list<uint64_t> args);
    static uint64_t Ptr(const void* p) { return uint64_t(uintptr_t(p)); }
    static uint64_t FloatBits(float f)
    {
        uint32_t bits;
        memcpy(&bits, &f, sizeof bits);
        return bits;
    }
    static size_t VerticesOf(D3DPRIMITIVETYPE type, UINT primitives);
    static void CopyVertices(RecordedCall& call, const void* data, size_t bytes);

    IDirect3DDevice9* real_;          // the device that does the work (one reference held)
    LONG refs_ = 1;                   // the proxy's own reference count
    bool recording_ = true;           // calls are recorded while set
    std::vector<RecordedCall> calls_; // recorded calls, oldest first
    RecordedCall scratch_;            // target of Record while recording is paused
};

} // namespace testsupport
