#include "RecordingDevice.h"

namespace testsupport {

RecordingDevice::RecordingDevice(IDirect3DDevice9* real) : real_(real)
{
    if (real_) real_->AddRef();
}

RecordingDevice::~RecordingDevice()
{
    if (real_) real_->Release();
}

RecordedCall& RecordingDevice::Record(const char* name, std::initializer_list<uint64_t> args)
{
    if (!recording_) {
        scratch_ = RecordedCall();
        return scratch_;
    }
    calls_.emplace_back();
    RecordedCall& call = calls_.back();
    call.name = name;
    call.args.assign(args.begin(), args.end());
    return call;
}

size_t RecordingDevice::VerticesOf(D3DPRIMITIVETYPE type, UINT primitives)
{
    switch (type) {
    case D3DPT_POINTLIST: return primitives;
    case D3DPT_LINELIST: return size_t(primitives) * 2;
    case D3DPT_LINESTRIP: return primitives ? primitives + 1 : 0;
    case D3DPT_TRIANGLELIST: return size_t(primitives) * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return primitives ? primitives + 2 : 0;
    default: return 0;
    }
}

void RecordingDevice::CopyVertices(RecordedCall& call, const void* data, size_t bytes)
{
    if (!data) return;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    call.data.assign(p, p + bytes);
}

size_t RecordingDevice::count(const char* name) const
{
    size_t n = 0;
    for (const RecordedCall& c : calls_) n += c.is(name) ? 1 : 0;
    return n;
}

std::vector<RecordedCall> RecordingDevice::named(const char* name) const
{
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : calls_)
        if (c.is(name)) out.push_back(c);
    return out;
}

std::vector<RecordedCall> RecordingDevice::drawCalls() const
{
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : calls_)
        if (c.name.compare(0, 4, "Draw") == 0) out.push_back(c);
    return out;
}

std::vector<RecordedCall> RecordingDevice::renderStates(D3DRENDERSTATETYPE state) const
{
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : calls_)
        if (c.is("SetRenderState") && c.arg(0) == uint64_t(state)) out.push_back(c);
    return out;
}

std::vector<RecordedCall> RecordingDevice::stageStates(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const
{
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : calls_)
        if (c.is("SetTextureStageState") && c.arg(0) == stage && c.arg(1) == uint64_t(type))
            out.push_back(c);
    return out;
}

int RecordingDevice::indexOf(const char* name, size_t from) const
{
    for (size_t i = from; i < calls_.size(); ++i)
        if (calls_[i].is(name)) return int(i);
    return -1;
}

std::string RecordingDevice::dump() const
{
    std::string out;
    char buf[64];
    for (size_t i = 0; i < calls_.size(); ++i) {
        snprintf(buf, sizeof buf, "%3u ", unsigned(i));
        out += buf;
        out += calls_[i].name;
        out += "(";
        for (size_t a = 0; a < calls_[i].args.size(); ++a) {
            snprintf(buf, sizeof buf, a ? ", %llu" : "%llu", (unsigned long long)calls_[i].args[a]);
            out += buf;
        }
        out += ")\n";
    }
    return out;
}

HRESULT RecordingDevice::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (IsEqualGUID(riid, IID_IDirect3DDevice9) || IsEqualGUID(riid, IID_IUnknown)) {
        *object = static_cast<IDirect3DDevice9*>(this);
        AddRef();
        return S_OK;
    }
    return real_->QueryInterface(riid, object);
}

ULONG RecordingDevice::AddRef() { return ULONG(InterlockedIncrement(&refs_)); }

ULONG RecordingDevice::Release()
{
    LONG left = InterlockedDecrement(&refs_);
    return ULONG(left > 0 ? left : 0);
}

HRESULT RecordingDevice::TestCooperativeLevel()
{
    RecordedCall& call = Record("TestCooperativeLevel", {});
    HRESULT r = real_->TestCooperativeLevel();
    call.result = HRESULT(r);
    return r;
}

UINT RecordingDevice::GetAvailableTextureMem()
{
    RecordedCall& call = Record("GetAvailableTextureMem", {});
    UINT r = real_->GetAvailableTextureMem();
    call.result = HRESULT(0);
    return r;
}

HRESULT RecordingDevice::EvictManagedResources()
{
    RecordedCall& call = Record("EvictManagedResources", {});
    HRESULT r = real_->EvictManagedResources();
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetDirect3D(IDirect3D9** a0)
{
    RecordedCall& call = Record("GetDirect3D", {Ptr(a0)});
    HRESULT r = real_->GetDirect3D(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetDeviceCaps(D3DCAPS9* a0)
{
    RecordedCall& call = Record("GetDeviceCaps", {Ptr(a0)});
    HRESULT r = real_->GetDeviceCaps(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetDisplayMode(UINT a0, D3DDISPLAYMODE* a1)
{
    RecordedCall& call = Record("GetDisplayMode", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->GetDisplayMode(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS * a0)
{
    RecordedCall& call = Record("GetCreationParameters", {Ptr(a0)});
    HRESULT r = real_->GetCreationParameters(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetCursorProperties(UINT a0, UINT a1, IDirect3DSurface9* a2)
{
    RecordedCall& call = Record("SetCursorProperties", {uint64_t(a0), uint64_t(a1), Ptr(a2)});
    HRESULT r = real_->SetCursorProperties(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

void RecordingDevice::SetCursorPosition(int a0, int a1, DWORD a2)
{
    RecordedCall& call = Record("SetCursorPosition", {uint64_t(a0), uint64_t(a1), uint64_t(a2)});
    (void)call;
    real_->SetCursorPosition(a0, a1, a2);
}

WINBOOL RecordingDevice::ShowCursor(WINBOOL a0)
{
    RecordedCall& call = Record("ShowCursor", {uint64_t(a0)});
    WINBOOL r = real_->ShowCursor(a0);
    call.result = HRESULT(0);
    return r;
}

HRESULT RecordingDevice::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* a0, IDirect3DSwapChain9** a1)
{
    RecordedCall& call = Record("CreateAdditionalSwapChain", {Ptr(a0), Ptr(a1)});
    HRESULT r = real_->CreateAdditionalSwapChain(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetSwapChain(UINT a0, IDirect3DSwapChain9** a1)
{
    RecordedCall& call = Record("GetSwapChain", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->GetSwapChain(a0, a1);
    call.result = HRESULT(r);
    return r;
}

UINT RecordingDevice::GetNumberOfSwapChains()
{
    RecordedCall& call = Record("GetNumberOfSwapChains", {});
    UINT r = real_->GetNumberOfSwapChains();
    call.result = HRESULT(0);
    return r;
}

HRESULT RecordingDevice::Reset(D3DPRESENT_PARAMETERS* a0)
{
    RecordedCall& call = Record("Reset", {Ptr(a0)});
    HRESULT r = real_->Reset(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::Present(const RECT * a0, const RECT * a1, HWND a2, const RGNDATA * a3)
{
    RecordedCall& call = Record("Present", {Ptr(a0), Ptr(a1), Ptr(a2), Ptr(a3)});
    HRESULT r = real_->Present(a0, a1, a2, a3);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetBackBuffer(UINT a0, UINT a1, D3DBACKBUFFER_TYPE a2, IDirect3DSurface9** a3)
{
    RecordedCall& call = Record("GetBackBuffer", {uint64_t(a0), uint64_t(a1), uint64_t(a2), Ptr(a3)});
    HRESULT r = real_->GetBackBuffer(a0, a1, a2, a3);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetRasterStatus(UINT a0, D3DRASTER_STATUS* a1)
{
    RecordedCall& call = Record("GetRasterStatus", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->GetRasterStatus(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetDialogBoxMode(WINBOOL a0)
{
    RecordedCall& call = Record("SetDialogBoxMode", {uint64_t(a0)});
    HRESULT r = real_->SetDialogBoxMode(a0);
    call.result = HRESULT(r);
    return r;
}

void RecordingDevice::SetGammaRamp(UINT a0, DWORD a1, const D3DGAMMARAMP * a2)
{
    RecordedCall& call = Record("SetGammaRamp", {uint64_t(a0), uint64_t(a1), Ptr(a2)});
    (void)call;
    real_->SetGammaRamp(a0, a1, a2);
}

void RecordingDevice::GetGammaRamp(UINT a0, D3DGAMMARAMP* a1)
{
    RecordedCall& call = Record("GetGammaRamp", {uint64_t(a0), Ptr(a1)});
    (void)call;
    real_->GetGammaRamp(a0, a1);
}

HRESULT RecordingDevice::CreateTexture(UINT a0, UINT a1, UINT a2, DWORD a3, D3DFORMAT a4, D3DPOOL a5, IDirect3DTexture9** a6, HANDLE* a7)
{
    RecordedCall& call = Record("CreateTexture", {uint64_t(a0), uint64_t(a1), uint64_t(a2), uint64_t(a3), uint64_t(a4), uint64_t(a5), Ptr(a6), Ptr(a7)});
    HRESULT r = real_->CreateTexture(a0, a1, a2, a3, a4, a5, a6, a7);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::CreateVolumeTexture(UINT a0, UINT a1, UINT a2, UINT a3, DWORD a4, D3DFORMAT a5, D3DPOOL a6, IDirect3DVolumeTexture9** a7, HANDLE* a8)
{
    RecordedCall& call = Record("CreateVolumeTexture", {uint64_t(a0), uint64_t(a1), uint64_t(a2), uint64_t(a3), uint64_t(a4), uint64_t(a5), uint64_t(a6), Ptr(a7), Ptr(a8)});
    HRESULT r = real_->CreateVolumeTexture(a0, a1, a2, a3, a4, a5, a6, a7, a8);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::CreateCubeTexture(UINT a0, UINT a1, DWORD a2, D3DFORMAT a3, D3DPOOL a4, IDirect3DCubeTexture9** a5, HANDLE* a6)
{
    RecordedCall& call = Record("CreateCubeTexture", {uint64_t(a0), uint64_t(a1), uint64_t(a2), uint64_t(a3), uint64_t(a4), Ptr(a5), Ptr(a6)});
    HRESULT r = real_->CreateCubeTexture(a0, a1, a2, a3, a4, a5, a6);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::CreateVertexBuffer(UINT a0, DWORD a1, DWORD a2, D3DPOOL a3, IDirect3DVertexBuffer9** a4, HANDLE* a5)
{
    RecordedCall& call = Record("CreateVertexBuffer", {uint64_t(a0), uint64_t(a1), uint64_t(a2), uint64_t(a3), Ptr(a4), Ptr(a5)});
    HRESULT r = real_->CreateVertexBuffer(a0, a1, a2, a3, a4, a5);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::CreateIndexBuffer(UINT a0, DWORD a1, D3DFORMAT a2, D3DPOOL a3, IDirect3DIndexBuffer9** a4, HANDLE* a5)
{
    RecordedCall& call = Record("CreateIndexBuffer", {uint64_t(a0), uint64_t(a1), uint64_t(a2), uint64_t(a3), Ptr(a4), Ptr(a5)});
    HRESULT r = real_->CreateIndexBuffer(a0, a1, a2, a3, a4, a5);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::CreateRenderTarget(UINT a0, UINT a1, D3DFORMAT a2, D3DMULTISAMPLE_TYPE a3, DWORD a4, WINBOOL a5, IDirect3DSurface9** a6, HANDLE* a7)
{
    RecordedCall& call = Record("CreateRenderTarget", {uint64_t(a0), uint64_t(a1), uint64_t(a2), uint64_t(a3), uint64_t(a4), uint64_t(a5), Ptr(a6), Ptr(a7)});
    HRESULT r = real_->CreateRenderTarget(a0, a1, a2, a3, a4, a5, a6, a7);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::CreateDepthStencilSurface(UINT a0, UINT a1, D3DFORMAT a2, D3DMULTISAMPLE_TYPE a3, DWORD a4, WINBOOL a5, IDirect3DSurface9** a6, HANDLE* a7)
{
    RecordedCall& call = Record("CreateDepthStencilSurface", {uint64_t(a0), uint64_t(a1), uint64_t(a2), uint64_t(a3), uint64_t(a4), uint64_t(a5), Ptr(a6), Ptr(a7)});
    HRESULT r = real_->CreateDepthStencilSurface(a0, a1, a2, a3, a4, a5, a6, a7);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::UpdateSurface(IDirect3DSurface9 * a0, const RECT * a1, IDirect3DSurface9 * a2, const POINT * a3)
{
    RecordedCall& call = Record("UpdateSurface", {Ptr(a0), Ptr(a1), Ptr(a2), Ptr(a3)});
    HRESULT r = real_->UpdateSurface(a0, a1, a2, a3);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::UpdateTexture(IDirect3DBaseTexture9* a0, IDirect3DBaseTexture9* a1)
{
    RecordedCall& call = Record("UpdateTexture", {Ptr(a0), Ptr(a1)});
    HRESULT r = real_->UpdateTexture(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetRenderTargetData(IDirect3DSurface9* a0, IDirect3DSurface9* a1)
{
    RecordedCall& call = Record("GetRenderTargetData", {Ptr(a0), Ptr(a1)});
    HRESULT r = real_->GetRenderTargetData(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetFrontBufferData(UINT a0, IDirect3DSurface9* a1)
{
    RecordedCall& call = Record("GetFrontBufferData", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->GetFrontBufferData(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::StretchRect(IDirect3DSurface9 * a0, const RECT * a1, IDirect3DSurface9 * a2, const RECT * a3, D3DTEXTUREFILTERTYPE a4)
{
    RecordedCall& call = Record("StretchRect", {Ptr(a0), Ptr(a1), Ptr(a2), Ptr(a3), uint64_t(a4)});
    HRESULT r = real_->StretchRect(a0, a1, a2, a3, a4);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::ColorFill(IDirect3DSurface9 * a0, const RECT * a1, D3DCOLOR a2)
{
    RecordedCall& call = Record("ColorFill", {Ptr(a0), Ptr(a1), uint64_t(a2)});
    HRESULT r = real_->ColorFill(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::CreateOffscreenPlainSurface(UINT a0, UINT a1, D3DFORMAT a2, D3DPOOL a3, IDirect3DSurface9** a4, HANDLE* a5)
{
    RecordedCall& call = Record("CreateOffscreenPlainSurface", {uint64_t(a0), uint64_t(a1), uint64_t(a2), uint64_t(a3), Ptr(a4), Ptr(a5)});
    HRESULT r = real_->CreateOffscreenPlainSurface(a0, a1, a2, a3, a4, a5);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetRenderTarget(DWORD a0, IDirect3DSurface9* a1)
{
    RecordedCall& call = Record("SetRenderTarget", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->SetRenderTarget(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetRenderTarget(DWORD a0, IDirect3DSurface9** a1)
{
    RecordedCall& call = Record("GetRenderTarget", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->GetRenderTarget(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetDepthStencilSurface(IDirect3DSurface9* a0)
{
    RecordedCall& call = Record("SetDepthStencilSurface", {Ptr(a0)});
    HRESULT r = real_->SetDepthStencilSurface(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetDepthStencilSurface(IDirect3DSurface9** a0)
{
    RecordedCall& call = Record("GetDepthStencilSurface", {Ptr(a0)});
    HRESULT r = real_->GetDepthStencilSurface(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::BeginScene()
{
    RecordedCall& call = Record("BeginScene", {});
    HRESULT r = real_->BeginScene();
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::EndScene()
{
    RecordedCall& call = Record("EndScene", {});
    HRESULT r = real_->EndScene();
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::Clear(DWORD a0, const D3DRECT * a1, DWORD a2, D3DCOLOR a3, float a4, DWORD a5)
{
    RecordedCall& call = Record("Clear", {uint64_t(a0), Ptr(a1), uint64_t(a2), uint64_t(a3), FloatBits(a4), uint64_t(a5)});
    HRESULT r = real_->Clear(a0, a1, a2, a3, a4, a5);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE a0, const D3DMATRIX * a1)
{
    RecordedCall& call = Record("SetTransform", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->SetTransform(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetTransform(D3DTRANSFORMSTATETYPE a0, D3DMATRIX* a1)
{
    RecordedCall& call = Record("GetTransform", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->GetTransform(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::MultiplyTransform(D3DTRANSFORMSTATETYPE a0, const D3DMATRIX * a1)
{
    RecordedCall& call = Record("MultiplyTransform", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->MultiplyTransform(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetViewport(const D3DVIEWPORT9 * a0)
{
    RecordedCall& call = Record("SetViewport", {Ptr(a0)});
    HRESULT r = real_->SetViewport(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetViewport(D3DVIEWPORT9* a0)
{
    RecordedCall& call = Record("GetViewport", {Ptr(a0)});
    HRESULT r = real_->GetViewport(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetMaterial(const D3DMATERIAL9 * a0)
{
    RecordedCall& call = Record("SetMaterial", {Ptr(a0)});
    if (a0) call.material = *a0;
    HRESULT r = real_->SetMaterial(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetMaterial(D3DMATERIAL9* a0)
{
    RecordedCall& call = Record("GetMaterial", {Ptr(a0)});
    HRESULT r = real_->GetMaterial(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetLight(DWORD a0, const D3DLIGHT9 * a1)
{
    RecordedCall& call = Record("SetLight", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->SetLight(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetLight(DWORD a0, D3DLIGHT9* a1)
{
    RecordedCall& call = Record("GetLight", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->GetLight(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::LightEnable(DWORD a0, WINBOOL a1)
{
    RecordedCall& call = Record("LightEnable", {uint64_t(a0), uint64_t(a1)});
    HRESULT r = real_->LightEnable(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetLightEnable(DWORD a0, WINBOOL* a1)
{
    RecordedCall& call = Record("GetLightEnable", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->GetLightEnable(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetClipPlane(DWORD a0, const float * a1)
{
    RecordedCall& call = Record("SetClipPlane", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->SetClipPlane(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetClipPlane(DWORD a0, float* a1)
{
    RecordedCall& call = Record("GetClipPlane", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->GetClipPlane(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE a0, DWORD a1)
{
    RecordedCall& call = Record("SetRenderState", {uint64_t(a0), uint64_t(a1)});
    HRESULT r = real_->SetRenderState(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetRenderState(D3DRENDERSTATETYPE a0, DWORD* a1)
{
    RecordedCall& call = Record("GetRenderState", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->GetRenderState(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::CreateStateBlock(D3DSTATEBLOCKTYPE a0, IDirect3DStateBlock9** a1)
{
    RecordedCall& call = Record("CreateStateBlock", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->CreateStateBlock(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::BeginStateBlock()
{
    RecordedCall& call = Record("BeginStateBlock", {});
    HRESULT r = real_->BeginStateBlock();
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::EndStateBlock(IDirect3DStateBlock9** a0)
{
    RecordedCall& call = Record("EndStateBlock", {Ptr(a0)});
    HRESULT r = real_->EndStateBlock(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetClipStatus(const D3DCLIPSTATUS9 * a0)
{
    RecordedCall& call = Record("SetClipStatus", {Ptr(a0)});
    HRESULT r = real_->SetClipStatus(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetClipStatus(D3DCLIPSTATUS9* a0)
{
    RecordedCall& call = Record("GetClipStatus", {Ptr(a0)});
    HRESULT r = real_->GetClipStatus(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetTexture(DWORD a0, IDirect3DBaseTexture9** a1)
{
    RecordedCall& call = Record("GetTexture", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->GetTexture(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetTexture(DWORD a0, IDirect3DBaseTexture9* a1)
{
    RecordedCall& call = Record("SetTexture", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->SetTexture(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetTextureStageState(DWORD a0, D3DTEXTURESTAGESTATETYPE a1, DWORD* a2)
{
    RecordedCall& call = Record("GetTextureStageState", {uint64_t(a0), uint64_t(a1), Ptr(a2)});
    HRESULT r = real_->GetTextureStageState(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetTextureStageState(DWORD a0, D3DTEXTURESTAGESTATETYPE a1, DWORD a2)
{
    RecordedCall& call = Record("SetTextureStageState", {uint64_t(a0), uint64_t(a1), uint64_t(a2)});
    HRESULT r = real_->SetTextureStageState(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetSamplerState(DWORD a0, D3DSAMPLERSTATETYPE a1, DWORD* a2)
{
    RecordedCall& call = Record("GetSamplerState", {uint64_t(a0), uint64_t(a1), Ptr(a2)});
    HRESULT r = real_->GetSamplerState(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetSamplerState(DWORD a0, D3DSAMPLERSTATETYPE a1, DWORD a2)
{
    RecordedCall& call = Record("SetSamplerState", {uint64_t(a0), uint64_t(a1), uint64_t(a2)});
    HRESULT r = real_->SetSamplerState(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::ValidateDevice(DWORD* a0)
{
    RecordedCall& call = Record("ValidateDevice", {Ptr(a0)});
    HRESULT r = real_->ValidateDevice(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetPaletteEntries(UINT a0, const PALETTEENTRY * a1)
{
    RecordedCall& call = Record("SetPaletteEntries", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->SetPaletteEntries(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetPaletteEntries(UINT a0, PALETTEENTRY* a1)
{
    RecordedCall& call = Record("GetPaletteEntries", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->GetPaletteEntries(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetCurrentTexturePalette(UINT a0)
{
    RecordedCall& call = Record("SetCurrentTexturePalette", {uint64_t(a0)});
    HRESULT r = real_->SetCurrentTexturePalette(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetCurrentTexturePalette(UINT * a0)
{
    RecordedCall& call = Record("GetCurrentTexturePalette", {Ptr(a0)});
    HRESULT r = real_->GetCurrentTexturePalette(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetScissorRect(const RECT * a0)
{
    RecordedCall& call = Record("SetScissorRect", {Ptr(a0)});
    HRESULT r = real_->SetScissorRect(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetScissorRect(RECT* a0)
{
    RecordedCall& call = Record("GetScissorRect", {Ptr(a0)});
    HRESULT r = real_->GetScissorRect(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetSoftwareVertexProcessing(WINBOOL a0)
{
    RecordedCall& call = Record("SetSoftwareVertexProcessing", {uint64_t(a0)});
    HRESULT r = real_->SetSoftwareVertexProcessing(a0);
    call.result = HRESULT(r);
    return r;
}

WINBOOL RecordingDevice::GetSoftwareVertexProcessing()
{
    RecordedCall& call = Record("GetSoftwareVertexProcessing", {});
    WINBOOL r = real_->GetSoftwareVertexProcessing();
    call.result = HRESULT(0);
    return r;
}

HRESULT RecordingDevice::SetNPatchMode(float a0)
{
    RecordedCall& call = Record("SetNPatchMode", {FloatBits(a0)});
    HRESULT r = real_->SetNPatchMode(a0);
    call.result = HRESULT(r);
    return r;
}

float RecordingDevice::GetNPatchMode()
{
    RecordedCall& call = Record("GetNPatchMode", {});
    float r = real_->GetNPatchMode();
    call.result = HRESULT(0);
    return r;
}

HRESULT RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE a0, UINT a1, UINT a2)
{
    RecordedCall& call = Record("DrawPrimitive", {uint64_t(a0), uint64_t(a1), uint64_t(a2)});
    HRESULT r = real_->DrawPrimitive(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE a0, INT a1, UINT a2, UINT a3, UINT a4, UINT a5)
{
    RecordedCall& call = Record("DrawIndexedPrimitive", {uint64_t(a0), uint64_t(a1), uint64_t(a2), uint64_t(a3), uint64_t(a4), uint64_t(a5)});
    HRESULT r = real_->DrawIndexedPrimitive(a0, a1, a2, a3, a4, a5);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE a0, UINT a1, const void * a2, UINT a3)
{
    RecordedCall& call = Record("DrawPrimitiveUP", {uint64_t(a0), uint64_t(a1), Ptr(a2), uint64_t(a3)});
    CopyVertices(call, a2, VerticesOf(a0, a1) * a3);
    HRESULT r = real_->DrawPrimitiveUP(a0, a1, a2, a3);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE a0, UINT a1, UINT a2, UINT a3, const void * a4, D3DFORMAT a5, const void * a6, UINT a7)
{
    RecordedCall& call = Record("DrawIndexedPrimitiveUP", {uint64_t(a0), uint64_t(a1), uint64_t(a2), uint64_t(a3), Ptr(a4), uint64_t(a5), Ptr(a6), uint64_t(a7)});
    CopyVertices(call, a6, size_t(a1 + a2) * a7);
    HRESULT r = real_->DrawIndexedPrimitiveUP(a0, a1, a2, a3, a4, a5, a6, a7);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::ProcessVertices(UINT a0, UINT a1, UINT a2, IDirect3DVertexBuffer9* a3, IDirect3DVertexDeclaration9* a4, DWORD a5)
{
    RecordedCall& call = Record("ProcessVertices", {uint64_t(a0), uint64_t(a1), uint64_t(a2), Ptr(a3), Ptr(a4), uint64_t(a5)});
    HRESULT r = real_->ProcessVertices(a0, a1, a2, a3, a4, a5);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::CreateVertexDeclaration(const D3DVERTEXELEMENT9 * a0, IDirect3DVertexDeclaration9 ** a1)
{
    RecordedCall& call = Record("CreateVertexDeclaration", {Ptr(a0), Ptr(a1)});
    HRESULT r = real_->CreateVertexDeclaration(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetVertexDeclaration(IDirect3DVertexDeclaration9* a0)
{
    RecordedCall& call = Record("SetVertexDeclaration", {Ptr(a0)});
    HRESULT r = real_->SetVertexDeclaration(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetVertexDeclaration(IDirect3DVertexDeclaration9** a0)
{
    RecordedCall& call = Record("GetVertexDeclaration", {Ptr(a0)});
    HRESULT r = real_->GetVertexDeclaration(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetFVF(DWORD a0)
{
    RecordedCall& call = Record("SetFVF", {uint64_t(a0)});
    HRESULT r = real_->SetFVF(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetFVF(DWORD* a0)
{
    RecordedCall& call = Record("GetFVF", {Ptr(a0)});
    HRESULT r = real_->GetFVF(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::CreateVertexShader(const DWORD * a0, IDirect3DVertexShader9 ** a1)
{
    RecordedCall& call = Record("CreateVertexShader", {Ptr(a0), Ptr(a1)});
    HRESULT r = real_->CreateVertexShader(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetVertexShader(IDirect3DVertexShader9* a0)
{
    RecordedCall& call = Record("SetVertexShader", {Ptr(a0)});
    HRESULT r = real_->SetVertexShader(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetVertexShader(IDirect3DVertexShader9** a0)
{
    RecordedCall& call = Record("GetVertexShader", {Ptr(a0)});
    HRESULT r = real_->GetVertexShader(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetVertexShaderConstantF(UINT a0, const float * a1, UINT a2)
{
    RecordedCall& call = Record("SetVertexShaderConstantF", {uint64_t(a0), Ptr(a1), uint64_t(a2)});
    if (a1) call.floats.assign(a1, a1 + size_t(a2) * 4);
    HRESULT r = real_->SetVertexShaderConstantF(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetVertexShaderConstantF(UINT a0, float* a1, UINT a2)
{
    RecordedCall& call = Record("GetVertexShaderConstantF", {uint64_t(a0), Ptr(a1), uint64_t(a2)});
    HRESULT r = real_->GetVertexShaderConstantF(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetVertexShaderConstantI(UINT a0, const int * a1, UINT a2)
{
    RecordedCall& call = Record("SetVertexShaderConstantI", {uint64_t(a0), Ptr(a1), uint64_t(a2)});
    HRESULT r = real_->SetVertexShaderConstantI(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetVertexShaderConstantI(UINT a0, int* a1, UINT a2)
{
    RecordedCall& call = Record("GetVertexShaderConstantI", {uint64_t(a0), Ptr(a1), uint64_t(a2)});
    HRESULT r = real_->GetVertexShaderConstantI(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetVertexShaderConstantB(UINT a0, const WINBOOL * a1, UINT a2)
{
    RecordedCall& call = Record("SetVertexShaderConstantB", {uint64_t(a0), Ptr(a1), uint64_t(a2)});
    HRESULT r = real_->SetVertexShaderConstantB(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetVertexShaderConstantB(UINT a0, WINBOOL* a1, UINT a2)
{
    RecordedCall& call = Record("GetVertexShaderConstantB", {uint64_t(a0), Ptr(a1), uint64_t(a2)});
    HRESULT r = real_->GetVertexShaderConstantB(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetStreamSource(UINT a0, IDirect3DVertexBuffer9* a1, UINT a2, UINT a3)
{
    RecordedCall& call = Record("SetStreamSource", {uint64_t(a0), Ptr(a1), uint64_t(a2), uint64_t(a3)});
    HRESULT r = real_->SetStreamSource(a0, a1, a2, a3);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetStreamSource(UINT a0, IDirect3DVertexBuffer9** a1, UINT* a2, UINT* a3)
{
    RecordedCall& call = Record("GetStreamSource", {uint64_t(a0), Ptr(a1), Ptr(a2), Ptr(a3)});
    HRESULT r = real_->GetStreamSource(a0, a1, a2, a3);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetStreamSourceFreq(UINT a0, UINT a1)
{
    RecordedCall& call = Record("SetStreamSourceFreq", {uint64_t(a0), uint64_t(a1)});
    HRESULT r = real_->SetStreamSourceFreq(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetStreamSourceFreq(UINT a0, UINT* a1)
{
    RecordedCall& call = Record("GetStreamSourceFreq", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->GetStreamSourceFreq(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetIndices(IDirect3DIndexBuffer9* a0)
{
    RecordedCall& call = Record("SetIndices", {Ptr(a0)});
    HRESULT r = real_->SetIndices(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetIndices(IDirect3DIndexBuffer9** a0)
{
    RecordedCall& call = Record("GetIndices", {Ptr(a0)});
    HRESULT r = real_->GetIndices(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::CreatePixelShader(const DWORD * a0, IDirect3DPixelShader9 ** a1)
{
    RecordedCall& call = Record("CreatePixelShader", {Ptr(a0), Ptr(a1)});
    HRESULT r = real_->CreatePixelShader(a0, a1);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetPixelShader(IDirect3DPixelShader9* a0)
{
    RecordedCall& call = Record("SetPixelShader", {Ptr(a0)});
    HRESULT r = real_->SetPixelShader(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetPixelShader(IDirect3DPixelShader9** a0)
{
    RecordedCall& call = Record("GetPixelShader", {Ptr(a0)});
    HRESULT r = real_->GetPixelShader(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetPixelShaderConstantF(UINT a0, const float * a1, UINT a2)
{
    RecordedCall& call = Record("SetPixelShaderConstantF", {uint64_t(a0), Ptr(a1), uint64_t(a2)});
    if (a1) call.floats.assign(a1, a1 + size_t(a2) * 4);
    HRESULT r = real_->SetPixelShaderConstantF(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetPixelShaderConstantF(UINT a0, float* a1, UINT a2)
{
    RecordedCall& call = Record("GetPixelShaderConstantF", {uint64_t(a0), Ptr(a1), uint64_t(a2)});
    HRESULT r = real_->GetPixelShaderConstantF(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetPixelShaderConstantI(UINT a0, const int * a1, UINT a2)
{
    RecordedCall& call = Record("SetPixelShaderConstantI", {uint64_t(a0), Ptr(a1), uint64_t(a2)});
    HRESULT r = real_->SetPixelShaderConstantI(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetPixelShaderConstantI(UINT a0, int* a1, UINT a2)
{
    RecordedCall& call = Record("GetPixelShaderConstantI", {uint64_t(a0), Ptr(a1), uint64_t(a2)});
    HRESULT r = real_->GetPixelShaderConstantI(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::SetPixelShaderConstantB(UINT a0, const WINBOOL * a1, UINT a2)
{
    RecordedCall& call = Record("SetPixelShaderConstantB", {uint64_t(a0), Ptr(a1), uint64_t(a2)});
    HRESULT r = real_->SetPixelShaderConstantB(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::GetPixelShaderConstantB(UINT a0, WINBOOL* a1, UINT a2)
{
    RecordedCall& call = Record("GetPixelShaderConstantB", {uint64_t(a0), Ptr(a1), uint64_t(a2)});
    HRESULT r = real_->GetPixelShaderConstantB(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::DrawRectPatch(UINT a0, const float * a1, const D3DRECTPATCH_INFO * a2)
{
    RecordedCall& call = Record("DrawRectPatch", {uint64_t(a0), Ptr(a1), Ptr(a2)});
    HRESULT r = real_->DrawRectPatch(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::DrawTriPatch(UINT a0, const float * a1, const D3DTRIPATCH_INFO * a2)
{
    RecordedCall& call = Record("DrawTriPatch", {uint64_t(a0), Ptr(a1), Ptr(a2)});
    HRESULT r = real_->DrawTriPatch(a0, a1, a2);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::DeletePatch(UINT a0)
{
    RecordedCall& call = Record("DeletePatch", {uint64_t(a0)});
    HRESULT r = real_->DeletePatch(a0);
    call.result = HRESULT(r);
    return r;
}

HRESULT RecordingDevice::CreateQuery(D3DQUERYTYPE a0, IDirect3DQuery9** a1)
{
    RecordedCall& call = Record("CreateQuery", {uint64_t(a0), Ptr(a1)});
    HRESULT r = real_->CreateQuery(a0, a1);
    call.result = HRESULT(r);
    return r;
}
} // namespace testsupport
