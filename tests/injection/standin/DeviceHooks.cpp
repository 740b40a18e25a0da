#include "DeviceHooks.h"
#include "InjectionState.h"
#include "SlotHook.h"

#define RETURN_ADDRESS __builtin_return_address(0)

namespace {

// ---- IDirect3D9 ----

ULONG WINAPI D3DRelease(IDirect3D9* self);
HRESULT WINAPI CreateDevice(IDirect3D9* self, UINT adapter, D3DDEVTYPE type, HWND focus, DWORD flags,
                            D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device);
SlotHook d3dRelease(SLOT(IDirect3D9Vtbl, Release), (void*)D3DRelease);
SlotHook createDevice(SLOT(IDirect3D9Vtbl, CreateDevice), (void*)CreateDevice);

ULONG WINAPI D3DRelease(IDirect3D9* self)
{
    ULONG left = d3dRelease.original<decltype(IDirect3D9Vtbl::Release)>(self)(self);
    InjectionState::get().released(self, left);
    return left;
}

HRESULT WINAPI CreateDevice(IDirect3D9* self, UINT adapter, D3DDEVTYPE type, HWND focus, DWORD flags,
                            D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device)
{
    if (FailThisCall("CreateDevice", RETURN_ADDRESS)) {
        if (device) *device = nullptr;
        return D3DERR_NOTAVAILABLE;
    }
    HRESULT hr = createDevice.original<decltype(IDirect3D9Vtbl::CreateDevice)>(self)(self, adapter, type, focus,
                                                                                   flags, parameters, device);
    if (SUCCEEDED(hr) && device && *device)
        HookDevice(*device, parameters && parameters->hDeviceWindow ? parameters->hDeviceWindow : focus);
    return hr;
}

// ---- Resources: locks and surfaces handed out by textures ----

void HookVertexBuffer(IDirect3DVertexBuffer9* buffer);
void HookIndexBuffer(IDirect3DIndexBuffer9* buffer);
void HookTexture(IDirect3DTexture9* texture);
void HookSurface(IDirect3DSurface9* surface);

HRESULT WINAPI VertexLock(IDirect3DVertexBuffer9* self, UINT offset, UINT size, void** data, DWORD flags);
HRESULT WINAPI IndexLock(IDirect3DIndexBuffer9* self, UINT offset, UINT size, void** data, DWORD flags);
HRESULT WINAPI TextureLockRect(IDirect3DTexture9* self, UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
HRESULT WINAPI GetSurfaceLevel(IDirect3DTexture9* self, UINT level, IDirect3DSurface9** surface);
HRESULT WINAPI SurfaceLockRect(IDirect3DSurface9* self, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
SlotHook vertexLock(SLOT(IDirect3DVertexBuffer9Vtbl, Lock), (void*)VertexLock);
SlotHook indexLock(SLOT(IDirect3DIndexBuffer9Vtbl, Lock), (void*)IndexLock);
SlotHook textureLockRect(SLOT(IDirect3DTexture9Vtbl, LockRect), (void*)TextureLockRect);
SlotHook getSurfaceLevel(SLOT(IDirect3DTexture9Vtbl, GetSurfaceLevel), (void*)GetSurfaceLevel);
SlotHook surfaceLockRect(SLOT(IDirect3DSurface9Vtbl, LockRect), (void*)SurfaceLockRect);

void HookVertexBuffer(IDirect3DVertexBuffer9* buffer) { vertexLock.install(buffer); }
void HookIndexBuffer(IDirect3DIndexBuffer9* buffer) { indexLock.install(buffer); }
void HookTexture(IDirect3DTexture9* texture)
{
    textureLockRect.install(texture);
    getSurfaceLevel.install(texture);
}
void HookSurface(IDirect3DSurface9* surface) { surfaceLockRect.install(surface); }

HRESULT WINAPI VertexLock(IDirect3DVertexBuffer9* self, UINT offset, UINT size, void** data, DWORD flags)
{
    if (FailThisCall("VertexBuffer::Lock", RETURN_ADDRESS)) {
        if (data) *data = nullptr;
        return D3DERR_INVALIDCALL;
    }
    return vertexLock.original<decltype(IDirect3DVertexBuffer9Vtbl::Lock)>(self)(self, offset, size, data, flags);
}

HRESULT WINAPI IndexLock(IDirect3DIndexBuffer9* self, UINT offset, UINT size, void** data, DWORD flags)
{
    if (FailThisCall("IndexBuffer::Lock", RETURN_ADDRESS)) {
        if (data) *data = nullptr;
        return D3DERR_INVALIDCALL;
    }
    return indexLock.original<decltype(IDirect3DIndexBuffer9Vtbl::Lock)>(self)(self, offset, size, data, flags);
}

HRESULT WINAPI TextureLockRect(IDirect3DTexture9* self, UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    if (FailThisCall("Texture::LockRect", RETURN_ADDRESS)) {
        if (locked) {
            locked->pBits = nullptr;
            locked->Pitch = 0;
        }
        return D3DERR_INVALIDCALL;
    }
    return textureLockRect.original<decltype(IDirect3DTexture9Vtbl::LockRect)>(self)(self, level, locked, rect, flags);
}

HRESULT WINAPI GetSurfaceLevel(IDirect3DTexture9* self, UINT level, IDirect3DSurface9** surface)
{
    if (FailThisCall("Texture::GetSurfaceLevel", RETURN_ADDRESS)) {
        if (surface) *surface = nullptr;
        return D3DERR_INVALIDCALL;
    }
    HRESULT hr = getSurfaceLevel.original<decltype(IDirect3DTexture9Vtbl::GetSurfaceLevel)>(self)(self, level, surface);
    if (SUCCEEDED(hr) && surface) HookSurface(*surface);
    return hr;
}

HRESULT WINAPI SurfaceLockRect(IDirect3DSurface9* self, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    if (FailThisCall("Surface::LockRect", RETURN_ADDRESS)) {
        if (locked) {
            locked->pBits = nullptr;
            locked->Pitch = 0;
        }
        return D3DERR_INVALIDCALL;
    }
    return surfaceLockRect.original<decltype(IDirect3DSurface9Vtbl::LockRect)>(self)(self, locked, rect, flags);
}

// ---- The device ----

#define DEVICE_HOOK(Method) SlotHook device##Method(SLOT(IDirect3DDevice9Vtbl, Method), (void*)Device##Method)
#define DEVICE_ORIGINAL(Method) device##Method.original<decltype(IDirect3DDevice9Vtbl::Method)>(self)

ULONG WINAPI DeviceRelease(IDirect3DDevice9* self);
HRESULT WINAPI DevicePresent(IDirect3DDevice9* self, const RECT* source, const RECT* dest, HWND window, const RGNDATA* dirty);
HRESULT WINAPI DeviceReset(IDirect3DDevice9* self, D3DPRESENT_PARAMETERS* parameters);
HRESULT WINAPI DeviceCreateAdditionalSwapChain(IDirect3DDevice9* self, D3DPRESENT_PARAMETERS* parameters, IDirect3DSwapChain9** chain);
HRESULT WINAPI DeviceGetBackBuffer(IDirect3DDevice9* self, UINT chain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface);
HRESULT WINAPI DeviceCreateTexture(IDirect3DDevice9* self, UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared);
HRESULT WINAPI DeviceCreateVolumeTexture(IDirect3DDevice9* self, UINT w, UINT h, UINT d, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DVolumeTexture9** texture, HANDLE* shared);
HRESULT WINAPI DeviceCreateCubeTexture(IDirect3DDevice9* self, UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DCubeTexture9** texture, HANDLE* shared);
HRESULT WINAPI DeviceCreateVertexBuffer(IDirect3DDevice9* self, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer, HANDLE* shared);
HRESULT WINAPI DeviceCreateIndexBuffer(IDirect3DDevice9* self, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** buffer, HANDLE* shared);
HRESULT WINAPI DeviceCreateRenderTarget(IDirect3DDevice9* self, UINT w, UINT h, D3DFORMAT format, D3DMULTISAMPLE_TYPE ms, DWORD quality, BOOL lockable, IDirect3DSurface9** surface, HANDLE* shared);
HRESULT WINAPI DeviceCreateDepthStencilSurface(IDirect3DDevice9* self, UINT w, UINT h, D3DFORMAT format, D3DMULTISAMPLE_TYPE ms, DWORD quality, BOOL discard, IDirect3DSurface9** surface, HANDLE* shared);
HRESULT WINAPI DeviceGetRenderTarget(IDirect3DDevice9* self, DWORD index, IDirect3DSurface9** surface);
HRESULT WINAPI DeviceGetDepthStencilSurface(IDirect3DDevice9* self, IDirect3DSurface9** surface);
HRESULT WINAPI DeviceCreateOffscreenPlainSurface(IDirect3DDevice9* self, UINT w, UINT h, D3DFORMAT format, D3DPOOL pool, IDirect3DSurface9** surface, HANDLE* shared);
HRESULT WINAPI DeviceCreateStateBlock(IDirect3DDevice9* self, D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** block);
HRESULT WINAPI DeviceCreateVertexDeclaration(IDirect3DDevice9* self, const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** declaration);
HRESULT WINAPI DeviceCreateVertexShader(IDirect3DDevice9* self, const DWORD* code, IDirect3DVertexShader9** shader);
HRESULT WINAPI DeviceCreatePixelShader(IDirect3DDevice9* self, const DWORD* code, IDirect3DPixelShader9** shader);
HRESULT WINAPI DeviceCreateQuery(IDirect3DDevice9* self, D3DQUERYTYPE type, IDirect3DQuery9** query);

DEVICE_HOOK(Release);
DEVICE_HOOK(Present);
DEVICE_HOOK(Reset);
DEVICE_HOOK(CreateAdditionalSwapChain);
DEVICE_HOOK(GetBackBuffer);
DEVICE_HOOK(CreateTexture);
DEVICE_HOOK(CreateVolumeTexture);
DEVICE_HOOK(CreateCubeTexture);
DEVICE_HOOK(CreateVertexBuffer);
DEVICE_HOOK(CreateIndexBuffer);
DEVICE_HOOK(CreateRenderTarget);
DEVICE_HOOK(CreateDepthStencilSurface);
DEVICE_HOOK(GetRenderTarget);
DEVICE_HOOK(GetDepthStencilSurface);
DEVICE_HOOK(CreateOffscreenPlainSurface);
DEVICE_HOOK(CreateStateBlock);
DEVICE_HOOK(CreateVertexDeclaration);
DEVICE_HOOK(CreateVertexShader);
DEVICE_HOOK(CreatePixelShader);
DEVICE_HOOK(CreateQuery);

// A creating call that is to fail: its object pointer is cleared, as Direct3D does.
template <typename T> HRESULT Refuse(T** out, HRESULT code)
{
    if (out) *out = nullptr;
    return code;
}

ULONG WINAPI DeviceRelease(IDirect3DDevice9* self)
{
    ULONG left = DEVICE_ORIGINAL(Release)(self);
    InjectionState::get().released(self, left);
    return left;
}

HRESULT WINAPI DevicePresent(IDirect3DDevice9* self, const RECT* source, const RECT* dest, HWND window, const RGNDATA* dirty)
{
    InjectionState::get().countFrame();
    return DEVICE_ORIGINAL(Present)(self, source, dest, window, dirty);
}

HRESULT WINAPI DeviceReset(IDirect3DDevice9* self, D3DPRESENT_PARAMETERS* parameters)
{
    if (FailThisCall("Reset", RETURN_ADDRESS)) return D3DERR_INVALIDCALL;
    return DEVICE_ORIGINAL(Reset)(self, parameters);
}

HRESULT WINAPI DeviceCreateAdditionalSwapChain(IDirect3DDevice9* self, D3DPRESENT_PARAMETERS* parameters, IDirect3DSwapChain9** chain)
{
    if (FailThisCall("CreateAdditionalSwapChain", RETURN_ADDRESS)) return Refuse(chain, D3DERR_OUTOFVIDEOMEMORY);
    return DEVICE_ORIGINAL(CreateAdditionalSwapChain)(self, parameters, chain);
}

HRESULT WINAPI DeviceGetBackBuffer(IDirect3DDevice9* self, UINT chain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface)
{
    if (FailThisCall("GetBackBuffer", RETURN_ADDRESS)) return Refuse(surface, D3DERR_INVALIDCALL);
    HRESULT hr = DEVICE_ORIGINAL(GetBackBuffer)(self, chain, index, type, surface);
    if (SUCCEEDED(hr) && surface) HookSurface(*surface);
    return hr;
}

HRESULT WINAPI DeviceCreateTexture(IDirect3DDevice9* self, UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared)
{
    if (FailThisCall("CreateTexture", RETURN_ADDRESS)) return Refuse(texture, D3DERR_OUTOFVIDEOMEMORY);
    HRESULT hr = DEVICE_ORIGINAL(CreateTexture)(self, w, h, levels, usage, format, pool, texture, shared);
    if (SUCCEEDED(hr) && texture) HookTexture(*texture);
    return hr;
}

HRESULT WINAPI DeviceCreateVolumeTexture(IDirect3DDevice9* self, UINT w, UINT h, UINT d, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DVolumeTexture9** texture, HANDLE* shared)
{
    if (FailThisCall("CreateVolumeTexture", RETURN_ADDRESS)) return Refuse(texture, D3DERR_OUTOFVIDEOMEMORY);
    return DEVICE_ORIGINAL(CreateVolumeTexture)(self, w, h, d, levels, usage, format, pool, texture, shared);
}

HRESULT WINAPI DeviceCreateCubeTexture(IDirect3DDevice9* self, UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DCubeTexture9** texture, HANDLE* shared)
{
    if (FailThisCall("CreateCubeTexture", RETURN_ADDRESS)) return Refuse(texture, D3DERR_OUTOFVIDEOMEMORY);
    return DEVICE_ORIGINAL(CreateCubeTexture)(self, edge, levels, usage, format, pool, texture, shared);
}

HRESULT WINAPI DeviceCreateVertexBuffer(IDirect3DDevice9* self, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer, HANDLE* shared)
{
    if (FailThisCall("CreateVertexBuffer", RETURN_ADDRESS)) return Refuse(buffer, D3DERR_OUTOFVIDEOMEMORY);
    HRESULT hr = DEVICE_ORIGINAL(CreateVertexBuffer)(self, length, usage, fvf, pool, buffer, shared);
    if (SUCCEEDED(hr) && buffer) HookVertexBuffer(*buffer);
    return hr;
}

HRESULT WINAPI DeviceCreateIndexBuffer(IDirect3DDevice9* self, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** buffer, HANDLE* shared)
{
    if (FailThisCall("CreateIndexBuffer", RETURN_ADDRESS)) return Refuse(buffer, D3DERR_OUTOFVIDEOMEMORY);
    HRESULT hr = DEVICE_ORIGINAL(CreateIndexBuffer)(self, length, usage, format, pool, buffer, shared);
    if (SUCCEEDED(hr) && buffer) HookIndexBuffer(*buffer);
    return hr;
}

HRESULT WINAPI DeviceCreateRenderTarget(IDirect3DDevice9* self, UINT w, UINT h, D3DFORMAT format, D3DMULTISAMPLE_TYPE ms, DWORD quality, BOOL lockable, IDirect3DSurface9** surface, HANDLE* shared)
{
    if (FailThisCall("CreateRenderTarget", RETURN_ADDRESS)) return Refuse(surface, D3DERR_OUTOFVIDEOMEMORY);
    HRESULT hr = DEVICE_ORIGINAL(CreateRenderTarget)(self, w, h, format, ms, quality, lockable, surface, shared);
    if (SUCCEEDED(hr) && surface) HookSurface(*surface);
    return hr;
}

HRESULT WINAPI DeviceCreateDepthStencilSurface(IDirect3DDevice9* self, UINT w, UINT h, D3DFORMAT format, D3DMULTISAMPLE_TYPE ms, DWORD quality, BOOL discard, IDirect3DSurface9** surface, HANDLE* shared)
{
    if (FailThisCall("CreateDepthStencilSurface", RETURN_ADDRESS)) return Refuse(surface, D3DERR_OUTOFVIDEOMEMORY);
    HRESULT hr = DEVICE_ORIGINAL(CreateDepthStencilSurface)(self, w, h, format, ms, quality, discard, surface, shared);
    if (SUCCEEDED(hr) && surface) HookSurface(*surface);
    return hr;
}

HRESULT WINAPI DeviceGetRenderTarget(IDirect3DDevice9* self, DWORD index, IDirect3DSurface9** surface)
{
    if (FailThisCall("GetRenderTarget", RETURN_ADDRESS)) return Refuse(surface, D3DERR_NOTFOUND);
    HRESULT hr = DEVICE_ORIGINAL(GetRenderTarget)(self, index, surface);
    if (SUCCEEDED(hr) && surface) HookSurface(*surface);
    return hr;
}

HRESULT WINAPI DeviceGetDepthStencilSurface(IDirect3DDevice9* self, IDirect3DSurface9** surface)
{
    if (FailThisCall("GetDepthStencilSurface", RETURN_ADDRESS)) return Refuse(surface, D3DERR_NOTFOUND);
    HRESULT hr = DEVICE_ORIGINAL(GetDepthStencilSurface)(self, surface);
    if (SUCCEEDED(hr) && surface) HookSurface(*surface);
    return hr;
}

HRESULT WINAPI DeviceCreateOffscreenPlainSurface(IDirect3DDevice9* self, UINT w, UINT h, D3DFORMAT format, D3DPOOL pool, IDirect3DSurface9** surface, HANDLE* shared)
{
    if (FailThisCall("CreateOffscreenPlainSurface", RETURN_ADDRESS)) return Refuse(surface, D3DERR_OUTOFVIDEOMEMORY);
    HRESULT hr = DEVICE_ORIGINAL(CreateOffscreenPlainSurface)(self, w, h, format, pool, surface, shared);
    if (SUCCEEDED(hr) && surface) HookSurface(*surface);
    return hr;
}

HRESULT WINAPI DeviceCreateStateBlock(IDirect3DDevice9* self, D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** block)
{
    if (FailThisCall("CreateStateBlock", RETURN_ADDRESS)) return Refuse(block, E_OUTOFMEMORY);
    return DEVICE_ORIGINAL(CreateStateBlock)(self, type, block);
}

HRESULT WINAPI DeviceCreateVertexDeclaration(IDirect3DDevice9* self, const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** declaration)
{
    if (FailThisCall("CreateVertexDeclaration", RETURN_ADDRESS)) return Refuse(declaration, E_OUTOFMEMORY);
    return DEVICE_ORIGINAL(CreateVertexDeclaration)(self, elements, declaration);
}

HRESULT WINAPI DeviceCreateVertexShader(IDirect3DDevice9* self, const DWORD* code, IDirect3DVertexShader9** shader)
{
    if (FailThisCall("CreateVertexShader", RETURN_ADDRESS)) return Refuse(shader, E_OUTOFMEMORY);
    return DEVICE_ORIGINAL(CreateVertexShader)(self, code, shader);
}

HRESULT WINAPI DeviceCreatePixelShader(IDirect3DDevice9* self, const DWORD* code, IDirect3DPixelShader9** shader)
{
    if (FailThisCall("CreatePixelShader", RETURN_ADDRESS)) return Refuse(shader, E_OUTOFMEMORY);
    return DEVICE_ORIGINAL(CreatePixelShader)(self, code, shader);
}

HRESULT WINAPI DeviceCreateQuery(IDirect3DDevice9* self, D3DQUERYTYPE type, IDirect3DQuery9** query)
{
    if (FailThisCall("CreateQuery", RETURN_ADDRESS)) return Refuse(query, E_OUTOFMEMORY);
    return DEVICE_ORIGINAL(CreateQuery)(self, type, query);
}

} // namespace

void HookDirect3D(IDirect3D9* d3d)
{
    if (!d3d) return;
    d3dRelease.install(d3d);
    createDevice.install(d3d);
    InjectionState::get().watchDirect3D(d3d);
}

void HookDevice(IDirect3DDevice9* device, HWND window)
{
    if (!device) return;
    for (SlotHook* hook : {&deviceRelease, &devicePresent, &deviceReset, &deviceCreateAdditionalSwapChain,
                           &deviceGetBackBuffer, &deviceCreateTexture, &deviceCreateVolumeTexture,
                           &deviceCreateCubeTexture, &deviceCreateVertexBuffer, &deviceCreateIndexBuffer,
                           &deviceCreateRenderTarget, &deviceCreateDepthStencilSurface, &deviceGetRenderTarget,
                           &deviceGetDepthStencilSurface, &deviceCreateOffscreenPlainSurface,
                           &deviceCreateStateBlock, &deviceCreateVertexDeclaration, &deviceCreateVertexShader,
                           &deviceCreatePixelShader, &deviceCreateQuery})
        hook->install(device);
    InjectionState::get().watchDevice(device, window);
}
