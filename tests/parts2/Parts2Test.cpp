#include "Parts2Test.h"
#include <cstdlib>
#include <vector>

namespace parts2test {

namespace {

typedef HRESULT (*CreateFn)(HINSTANCE, OXERenderDevice**);
typedef HRESULT (*ReleaseFn)(OXERenderDevice**);

OXERenderDevice* g_device = nullptr;
bool g_started = false;

OXERenderDevice* StartDevice()
{
    HMODULE parts = GetModuleHandleA("PelmoraParts.dll");
    if (!parts) return nullptr;
    CreateFn create = reinterpret_cast<CreateFn>(GetProcAddress(parts, "CreateRenderDevice"));
    if (!create) return nullptr;
    OXERenderDevice* device = nullptr;
    if (FAILED(create(parts, &device)) || !device) return nullptr;
    // Never destroyed: the window that carried a device costs seconds to destroy under Wine.
    static testsupport::TestWindow* window = new testsupport::TestWindow(1024, 768, "PelmoraPartsTest");
    if (FAILED(device->Init(window->handle(), 16, 8, false, false))) return nullptr;
    return device;
}

// Releases the shared device after the last test, through the library that made it, so that
// the program never ends with a live device.
class DeviceEnvironment : public ::testing::Environment {
public:
    void TearDown() override
    {
        if (!g_device) return;
        ReleaseFn release = reinterpret_cast<ReleaseFn>(
            GetProcAddress(GetModuleHandleA("PelmoraParts.dll"), "ReleaseRenderDevice"));
        IDirect3DDevice9* d3d = g_device->GetD3DDevice();
        if (d3d) d3d->AddRef(); // counted after the library has released its device
        if (release) release(&g_device);
        if (d3d) {
            EXPECT_EQ(d3d->Release(), 0u) << "Direct3D objects left alive";
        }
        g_device = nullptr;
    }
};
::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new DeviceEnvironment);

} // namespace

OXERenderDevice* Device()
{
    if (!g_started) {
        g_started = true;
        g_device = StartDevice();
    }
    return g_device;
}

IDirect3DDevice9* D3D() { return Device() ? Device()->GetD3DDevice() : nullptr; }

void BeginFrame(D3DCOLOR clearColor)
{
    D3D()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clearColor, 1.0f, 0);
    D3D()->BeginScene();
}

testsupport::Picture EndFrameAndRead()
{
    D3D()->EndScene();
    testsupport::Picture picture;
    testsupport::ReadBackBuffer(D3D(), picture);
    D3D()->Present(nullptr, nullptr, nullptr, nullptr);
    return picture;
}

void SetPlainView()
{
    IDirect3DDevice9* d = D3D();
    D3DXMATRIX world, view, proj;
    D3DXMatrixIdentity(&world);
    D3DXVECTOR3 eye(0, 0, -3), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, float(M_PI / 2), 1024.0f / 768.0f, 0.1f, 100.0f);
    d->SetTransform(D3DTS_WORLD, &world);
    d->SetTransform(D3DTS_VIEW, &view);
    d->SetTransform(D3DTS_PROJECTION, &proj);
    for (DWORD i = 0; i < 8; ++i) d->LightEnable(i, FALSE);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    d->SetTexture(0, nullptr);
    // The started render device leaves its own vertex shader bound; the parts draw fixed-function.
    d->SetVertexShader(nullptr);
    d->SetPixelShader(nullptr);
}

bool WriteBmp(const std::string& path, int w, int h, uint32_t leftColor, uint32_t rightColor)
{
    const int rowBytes = (w * 3 + 3) & ~3;
    std::vector<uint8_t> data(54 + size_t(rowBytes) * h, 0);
    auto put32 = [&](size_t at, uint32_t v) { for (int k = 0; k < 4; ++k) data[at + k] = uint8_t(v >> (8 * k)); };
    data[0] = 'B';
    data[1] = 'M';
    put32(2, uint32_t(data.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    data[26] = 1;
    data[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = x < w / 2 ? leftColor : rightColor;
            uint8_t* p = &data[54 + size_t(y) * rowBytes + size_t(x) * 3];
            p[0] = uint8_t(c);
            p[1] = uint8_t(c >> 8);
            p[2] = uint8_t(c >> 16);
        }
    return testsupport::WriteFileBytes(path, data.data(), data.size());
}

std::string QuadX(const char* texture, float r, float g, float b)
{
    char material[512];
    snprintf(material, sizeof(material),
             "Material Mat0 {\n %f;%f;%f;1.000000;;\n 0.000000;\n 0.000000;0.000000;0.000000;;\n"
             " 0.000000;0.000000;0.000000;;\n%s%s%s}\n",
             r, g, b, texture && texture[0] ? " TextureFilename { \"" : "", texture ? texture : "",
             texture && texture[0] ? "\"; }\n" : "");
    return std::string("xof 0303txt 0032\n") + material +
           "Mesh Quad {\n 4;\n -1.0;-1.0;0.0;, -1.0;1.0;0.0;, 1.0;1.0;0.0;, 1.0;-1.0;0.0;;\n"
           " 2;\n 3;0,1,2;, 3;0,2,3;;\n"
           " MeshMaterialList { 1; 2; 0, 0;; { Mat0 } }\n"
           " MeshNormals { 1; 0.0;0.0;-1.0;; 2; 3;0,0,0;, 3;0,0,0;; }\n"
           " MeshTextureCoords { 4; 0.0;1.0;, 0.0;0.0;, 1.0;0.0;, 1.0;1.0;; }\n"
           "}\n";
}


bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

} // namespace parts2test
