#include "PartsDevice.h"
#include "OXEResult.h"

namespace badfiles {

namespace {
typedef HRESULT (*CreateFn)(HINSTANCE, OXERenderDevice**);
typedef HRESULT (*ReleaseFn)(OXERenderDevice**);
} // namespace

LibraryDevice::LibraryDevice(const char* library, int width, int height)
    : library_(library), window_(width, height, library)
{
    HMODULE module = GetModuleHandleA(library);
    CreateFn create = module ? (CreateFn)GetProcAddress(module, "CreateRenderDevice") : nullptr;
    if (!create || create(module, &device_) != OXE_OK || !device_) {
        device_ = nullptr;
        return;
    }
    if (device_->Init(window_.handle(), 16, 8, false, false) != OXE_OK) return;
    device_->CreateVertexDeclarations();
}

void LibraryDevice::begin()
{
    d3d()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    d3d()->BeginScene();
}

testsupport::Picture LibraryDevice::end()
{
    d3d()->EndScene();
    testsupport::Picture p;
    testsupport::ReadBackBuffer(d3d(), p);
    d3d()->Present(nullptr, nullptr, nullptr, nullptr);
    return p;
}

ULONG LibraryDevice::ReleaseAndCount()
{
    IDirect3DDevice9* d3d = this->d3d();
    if (!d3d) return ~0u;
    d3d->AddRef();
    ReleaseFn release = (ReleaseFn)GetProcAddress(GetModuleHandleA(library_), "ReleaseRenderDevice");
    if (release) release(&device_);
    device_ = nullptr;
    return d3d->Release();
}

} // namespace badfiles
