// Test support: a real window, a real Direct3D 9 device on it, and the back buffer read back
// into memory so that a test can check the pixels a frame drew.
#pragma once
#include <windows.h>
#include <d3d9.h>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// A visible top-level window with a client area of the given size. Destroyed with the object.
class TestWindow {
public:
    TestWindow(int width = 640, int height = 480, const char* title = "PelmoraTest");
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND handle() const { return hwnd_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void pumpMessages(); // drains the thread's message queue once

private:
    HWND hwnd_ = nullptr; // the window
    int width_ = 0;       // client width in pixels
    int height_ = 0;      // client height in pixels
};

// The back buffer's pixels, as 32-bit X8R8G8B8 values, row by row from the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
    uint32_t rgb(int x, int y) const { return at(x, y) & 0x00FFFFFFu; }
    // Number of pixels in the rectangle [x0,x1) x [y0,y1) whose RGB equals rgb.
    int count(uint32_t rgb, int x0, int y0, int x1, int y1) const;
    int count(uint32_t rgb) const { return count(rgb, 0, 0, width, height); }
    // Writes the picture as a 24-bit BMP, for looking at a failing test's frame.
    bool saveBmp(const std::string& path) const;
};

// Reads the render target 0 of a device into a Picture through a system-memory surface
// (GetRenderTargetData). Call it between EndScene and Present.
bool ReadBackBuffer(IDirect3DDevice9* device, Picture& out);

// Reads an image file (PNG, BMP, DDS, ...) through D3DX into a Picture of X8R8G8B8 pixels,
// using a system-memory surface of the given device. False when it cannot be read.
bool ReadImageFile(IDirect3DDevice9* device, const std::string& path, Picture& out);

// A real HAL device, windowed, X8R8G8B8 back buffer with D24S8 depth, on its own window.
class TestDevice {
public:
    explicit TestDevice(int width = 640, int height = 480);
    ~TestDevice(); // releases the device and the Direct3D object
    TestDevice(const TestDevice&) = delete;
    TestDevice& operator=(const TestDevice&) = delete;

    bool ok() const { return device_ != nullptr; }
    IDirect3DDevice9* device() const { return device_; }
    IDirect3D9* d3d() const { return d3d_; }
    HWND window() const { return window_.handle(); }
    int width() const { return window_.width(); }
    int height() const { return window_.height(); }

    // Clears target and depth to one colour.
    void clear(D3DCOLOR color);
    // Reads the back buffer (see ReadBackBuffer).
    Picture read();
    // Releases the device and returns what its last Release returned (0: nothing left alive).
    ULONG releaseDevice();

private:
    TestWindow window_;                  // the window the device draws into
    IDirect3D9* d3d_ = nullptr;          // the Direct3D object
    IDirect3DDevice9* device_ = nullptr; // the device
};

// The folder of the running test program (<build>/bin), with a trailing backslash.
std::string ProgramFolder();
// Writes bytes to a file; true on success.
bool WriteFileBytes(const std::string& path, const void* data, size_t size);
bool WriteFileText(const std::string& path, const std::string& text);
// Reads a whole file; empty when missing.
std::string ReadFileBytes(const std::string& path);

} // namespace testsupport
