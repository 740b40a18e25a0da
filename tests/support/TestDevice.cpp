#include "TestDevice.h"
#include <d3dx9.h>
#include <gtest/gtest.h>
#include <cstdio>

namespace testsupport {

static LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static const char* RegisterTestClass()
{
    static const char* name = "PelmoraTestWindow";
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = name;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        registered = RegisterClassA(&wc) != 0;
    }
    return name;
}

TestWindow::TestWindow(int width, int height, const char* title) : width_(width), height_(height)
{
    RECT r = {0, 0, width, height};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    hwnd_ = CreateWindowA(RegisterTestClass(), title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                          r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
    pumpMessages();
}

TestWindow::~TestWindow()
{
    if (hwnd_) DestroyWindow(hwnd_);
    pumpMessages();
}

void TestWindow::pumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int Picture::count(uint32_t rgbValue, int x0, int y0, int x1, int y1) const
{
    int n = 0;
    for (int y = y0; y < y1 && y < height; ++y)
        for (int x = x0; x < x1 && x < width; ++x)
            if (rgb(x, y) == (rgbValue & 0x00FFFFFFu)) ++n;
    return n;
}

bool Picture::saveBmp(const std::string& path) const
{
    const int rowBytes = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + rowBytes * height;
    ih.biSize = sizeof(ih);
    ih.biWidth = width;
    ih.biHeight = height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    fwrite(&fh, sizeof(fh), 1, f);
    fwrite(&ih, sizeof(ih), 1, f);
    std::vector<unsigned char> row(rowBytes, 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            uint32_t p = at(x, y);
            row[x * 3 + 0] = p & 0xFF;
            row[x * 3 + 1] = (p >> 8) & 0xFF;
            row[x * 3 + 2] = (p >> 16) & 0xFF;
        }
        fwrite(row.data(), 1, rowBytes, f);
    }
    fclose(f);
    return true;
}

bool ReadBackBuffer(IDirect3DDevice9* device, Picture& out)
{
    if (!device) return false;
    IDirect3DSurface9* target = nullptr;
    if (FAILED(device->GetRenderTarget(0, &target))) return false;
    D3DSURFACE_DESC desc;
    target->GetDesc(&desc);
    IDirect3DSurface9* copy = nullptr;
    bool ok = SUCCEEDED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                           D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
              SUCCEEDED(device->GetRenderTargetData(target, copy));
    D3DLOCKED_RECT lr;
    if (ok && SUCCEEDED(copy->LockRect(&lr, nullptr, D3DLOCK_READONLY))) {
        out.width = int(desc.Width);
        out.height = int(desc.Height);
        out.pixels.resize(size_t(out.width) * out.height);
        for (int y = 0; y < out.height; ++y) {
            const uint32_t* row = reinterpret_cast<const uint32_t*>(
                static_cast<const unsigned char*>(lr.pBits) + size_t(y) * lr.Pitch);
            for (int x = 0; x < out.width; ++x) out.pixels[size_t(y) * out.width + x] = row[x];
        }
        copy->UnlockRect();
    } else {
        ok = false;
    }
    if (copy) copy->Release();
    target->Release();
    return ok;
}

bool ReadImageFile(IDirect3DDevice9* device, const std::string& path, Picture& out)
{
    D3DXIMAGE_INFO info;
    if (!device || FAILED(D3DXGetImageInfoFromFileA(path.c_str(), &info))) return false;
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(device->CreateOffscreenPlainSurface(info.Width, info.Height, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                   &surface, nullptr)))
        return false;
    bool ok = SUCCEEDED(D3DXLoadSurfaceFromFileA(surface, nullptr, nullptr, path.c_str(), nullptr, D3DX_FILTER_NONE,
                                                 0, nullptr));
    D3DLOCKED_RECT lr;
    if (ok && SUCCEEDED(surface->LockRect(&lr, nullptr, D3DLOCK_READONLY))) {
        out.width = int(info.Width);
        out.height = int(info.Height);
        out.pixels.resize(size_t(out.width) * out.height);
        for (int y = 0; y < out.height; ++y) {
            const uint32_t* row = reinterpret_cast<const uint32_t*>(
                static_cast<const unsigned char*>(lr.pBits) + size_t(y) * lr.Pitch);
            for (int x = 0; x < out.width; ++x) out.pixels[size_t(y) * out.width + x] = row[x];
        }
        surface->UnlockRect();
    } else {
        ok = false;
    }
    surface->Release();
    return ok;
}

TestDevice::TestDevice(int width, int height) : window_(width, height)
{
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d_) return;
    D3DPRESENT_PARAMETERS pp = {};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferWidth = width;
    pp.BackBufferHeight = height;
    pp.BackBufferCount = 1;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    pp.hDeviceWindow = window_.handle();
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    if (FAILED(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_.handle(),
                                  D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device_)))
        device_ = nullptr;
}

TestDevice::~TestDevice()
{
    // Whatever a test made on the device must be gone by now.
    const ULONG left = releaseDevice();
    EXPECT_EQ(left, 0u) << "Direct3D objects left alive on the test device";
    if (d3d_) d3d_->Release();
}

ULONG TestDevice::releaseDevice()
{
    ULONG left = 0;
    if (device_) {
        left = device_->Release();
        device_ = nullptr;
    }
    return left;
}

void TestDevice::clear(D3DCOLOR color)
{
    if (device_) device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, 1.0f, 0);
}

Picture TestDevice::read()
{
    Picture p;
    ReadBackBuffer(device_, p);
    return p;
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    size_t slash = s.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

bool WriteFileBytes(const std::string& path, const void* data, size_t size)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && ok;
}

bool WriteFileText(const std::string& path, const std::string& text)
{
    return WriteFileBytes(path, text.data(), text.size());
}

std::string ReadFileBytes(const std::string& path)
{
    std::string out;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    fclose(f);
    return out;
}

} // namespace testsupport
