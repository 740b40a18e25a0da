// PelmoraApp: the application frame for client programs of the engine. It makes a window whose
// inside is the asked size, loads the engine library named in the settings (PelmoraGraf.dll by
// default) by name from the program's folder or the system folder, creates and starts that
// library's render device windowed at the same size, runs the message loop and calls the
// program's frame function once a frame between the device's BeginFrame and EndFrame. Esc or the
// window's close box end the loop. At the end it releases the render device through the library
// and checks that the Direct3D device went with it (everything the program made on the device
// must be gone by then).
//
// Command line (see PelmoraAppOptions.h): --shot FILE [--frames N] saves the back buffer of
// frame N (30 by default) as PNG and ends; --frames N ends after N frames; --size WxH replaces
// the program's size. Such scripted runs show no message boxes and step every frame by a fixed
// 1/30 s, so that frame N looks the same on every machine.
//
// Failures to start say what failed on stderr (one line, "PelmoraApp: ..."); an interactive run
// shows the same text in a message box too. Exit codes: 0 done, 1 the program did not start (bad
// command line, window, library, factory, window size or device), 2 a frame failed (the frame
// did not begin, the shot was not saved), 3 Direct3D objects outlived the render device.
//
//     PelmoraAppSettings settings;
//     settings.title = "My client";
//     settings.width = 640;
//     settings.height = 480;
//     PelmoraApp app(settings);
//     if (!app.start()) return app.exitCode();
//     {
//         MyScene scene(app.d3d());   // objects made on the device ...
//         app.run([&](float seconds) { scene.draw(seconds); return true; });
//     }                               // ... are gone before the device is released
//     return app.stop();
#pragma once
#include <windows.h>
#include <d3d9.h>
#include <functional>
#include <string>
#include <vector>
#include "OXERenderDevice.h"
#include "PelmoraAppOptions.h"

// What the frame makes at start.
struct PelmoraAppSettings {
    const char* title = "Pelmora";           // window caption, also the message boxes' caption
    int width = 1024;                        // inside of the window and back buffer, in pixels
    int height = 768;
    const char* library = "PelmoraGraf.dll"; // engine library whose CreateRenderDevice makes the device
    D3DCOLOR background = 0xFF000000;        // colour every frame is cleared to
    bool flushLog = true;                    // the device writes each log line at once
    bool messageBoxes = true;                // false: start failures only on stderr, even interactively
};

class PelmoraApp {
public:
    // The program's frame: draws one frame; seconds since the last one (0 for the first, a fixed
    // 1/30 in scripted runs). Returning false ends this run() after this frame (the program
    // goes on: it may run() again, e.g. another scene).
    typedef std::function<bool(float seconds)> FrameFunction;

    explicit PelmoraApp(const PelmoraAppSettings& settings);
    ~PelmoraApp(); // stop(), if the program did not
    PelmoraApp(const PelmoraApp&) = delete;
    PelmoraApp& operator=(const PelmoraApp&) = delete;

    // Reads the command line of the process (or the arguments given, program name excluded),
    // then makes the window and starts the device. False after a failure (see failure() and
    // exitCode()); everything made so far is released again.
    bool start();
    bool start(const std::vector<std::string>& args);

    // The message loop with one frame per turn, until the frame function returns false, or the
    // program ends: Esc, the close box, the scripted frame count, a failing frame (ending()
    // then turns true). Returns exitCode(). A program may call it more than once (frames are
    // counted on); once the program ends it returns at once.
    int run(const FrameFunction& frame);
    // Drains the window's messages once, for programs with loops of their own; false once the
    // program should end.
    bool pumpMessages();
    // Saves the back buffer of the frame that is being drawn as a PNG file once the frame
    // function returns (call it from the frame function).
    void saveShot(const std::string& file);

    // Replaces the render device with one from another engine library on the same window (a
    // library's parts draw with that library's own device, e.g. the grid of PelmoraParts). The
    // old device is released and checked as in stop(). False after a failure.
    bool restartDevice(const char* library);

    // Releases the render device (vertex declarations first) and destroys the window; returns
    // exitCode(). Calling it again does nothing more.
    int stop();

    OXERenderDevice* device() const { return device_; }
    IDirect3DDevice9* d3d() const { return device_ ? device_->GetD3DDevice() : nullptr; }
    HWND window() const { return window_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int frameCount() const { return frames_; }            // frames run so far
    bool ending() const { return quit_; }                 // the program ends: no more frames
    bool scripted() const { return options_.scripted(); } // --shot or --frames given
    const PelmoraAppOptions& options() const { return options_; }
    const std::vector<std::string>& arguments() const { return options_.rest; } // not taken by the frame
    const std::string& failure() const { return failure_; } // the last failure's text; empty when none
    int exitCode() const { return exitCode_; }
    ULONG referencesLeft() const { return referencesLeft_; } // left on the last released Direct3D device

    // The folder of the running program, with a trailing backslash (for files beside it).
    static std::string ProgramFolder();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool makeWindow();
    bool startDevice(const char* library);
    void releaseDevice();
    bool fail(int exitCode, const std::string& what); // records, reports, always false
    bool endFrame();                                  // shot if one is due, then EndFrame
    bool writeShot(const std::string& file);

    typedef HRESULT (*ReleaseFn)(OXERenderDevice**);

    PelmoraAppSettings settings_;     // as given
    PelmoraAppOptions options_;       // read from the command line by start()
    int width_ = 0;                   // size in force: the settings' or --size
    int height_ = 0;
    HWND window_ = nullptr;           // the window (owned)
    HMODULE library_ = nullptr;       // the engine library of the device (kept loaded)
    ReleaseFn release_ = nullptr;     // its ReleaseRenderDevice
    OXERenderDevice* device_ = nullptr; // the render device (owned, released through release_)
    std::string libraryName_;         // file name of library_
    bool started_ = false;            // start() succeeded
    bool stopped_ = false;            // stop() ran
    bool quit_ = false;               // the loop ends after the current frame
    int frames_ = 0;                  // frames run
    LARGE_INTEGER lastFrame_ = {};    // performance counter at the last frame (0: none yet)
    std::string pendingShot_;         // saveShot's file for the current frame
    std::string failure_;             // text of the last failure
    int exitCode_ = 0;                // 0, or the code of the first failure
    ULONG referencesLeft_ = 0;        // the last device check's count
};
