/// @file
/// PelmoraApp: the application frame for client programs of the engine. It makes a window whose
/// inside is the asked size, loads the engine library named in the settings (PelmoraGraf.dll by
/// default) by name from the program's folder or the system folder, checks its major version
/// against PelmoraVersion.h, creates and starts that library's render device windowed at the same
/// size, runs the message loop and calls the program's frame function once a frame between the
/// device's BeginFrame and EndFrame, with the keyboard read before it (keys()). A lost device is waited for and reset (with the program's
/// lost and reset functions). Esc or the window's close box end the loop. At the end it releases
/// the render device through the library and checks that the Direct3D device went with it
/// (everything the program made on the device must be gone by then).
///
/// Command line (see PelmoraAppOptions.h): `--shot FILE` [`--frames N`] saves the back buffer of
/// frame N (30 by default) as PNG and ends; `--frames N` ends after N frames; `--size WxH` replaces
/// the program's size. Such scripted runs never wait for a click: the frame shows no message box,
/// answers those the libraries show (caption and text on stderr) and steps every frame by a fixed
/// 1/30 s, so that frame N looks the same on every machine.
///
/// Failures say what failed on stderr (one line, "PelmoraApp: ..."); an interactive run shows the
/// start failures in a message box too. Exit codes: 0 done, 1 the program did not start (bad
/// command line, window, library, its version, factory, window size or device), 2 a frame failed
/// (the frame did not begin, the shot was not saved or its frame never came, a lost device could
/// not be reset), 3 Direct3D objects outlived the render device, 4 a library showed a message box
/// in a scripted run. The first failure's code is kept.
///
///     PelmoraAppSettings settings;
///     settings.title = "My client";
///     settings.width = 640;
///     settings.height = 480;
///     PelmoraApp app(settings);
///     if (!app.start()) return app.exitCode();
///     {
///         MyScene scene(app.d3d());   // objects made on the device ...
///         app.run([&](float seconds) { scene.draw(seconds); return true; });
///     }                               // ... are gone before the device is released
///     return app.stop();
#pragma once
#include <windows.h>
#include <d3d9.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "OXERenderDevice.h"
#include "PelmoraAppOptions.h"
#include "PelmoraKeyboard.h"

class PelmoraBoxAnswerer;

/// What the frame makes at start.
struct PelmoraAppSettings {
    const char* title = "Pelmora";           ///< window caption, also the message boxes' caption
    int width = 1024;                        ///< inside of the window and back buffer, in pixels
    int height = 768;                        ///< height of the inside and of the back buffer, in pixels
    const char* library = "PelmoraGraf.dll"; ///< engine library whose CreateRenderDevice makes the device
    D3DCOLOR background = 0xFF000000;        ///< colour every frame is cleared to
    bool flushLog = true;                    ///< the device writes each log line at once
    bool messageBoxes = true;                ///< false: start failures only on stderr, even interactively
    const char* inputLibrary = "PelmoraInput.dll"; ///< library whose input device reads the keys; null: window messages
};

/// The application frame: window, render device, message loop, keyboard, lost device, shots.
///
/// Life cycle: construct it with the settings, start() (window, engine library, render device,
/// keyboard), run() with the frame function as often as the program likes, stop() (or the
/// destructor). Everything the program makes on the device (quads, textures, effects) must be
/// gone before stop(): the frame checks that the Direct3D device went with the render device
/// (exit code 3 otherwise). The device and the Direct3D device it hands out are borrowed: the
/// frame owns and releases them. A lost device is waited for and reset inside run(); the
/// program's lost and reset functions release and make its default-pool objects.
class PelmoraApp {
public:
    /// The program's frame: draws one frame; seconds since the last one (0 for the first, a fixed
    /// 1/30 in scripted runs). Returning false ends this run() after this frame (the program
    /// goes on: it may run() again, e.g. another scene).
    typedef std::function<bool(float seconds)> FrameFunction;

    /// Keeps the settings (copied); nothing is made before start().
    explicit PelmoraApp(const PelmoraAppSettings& settings);
    /// stop(), if the program did not.
    ~PelmoraApp();
    PelmoraApp(const PelmoraApp&) = delete;
    PelmoraApp& operator=(const PelmoraApp&) = delete;

    /// Reads the command line of the process, then makes the window, loads the engine library
    /// (its major version checked), creates and starts its render device windowed at the size
    /// (enableFullscreeMode, then Init(window, 16, 8, false, flushLog)), makes it this program's
    /// current device (OXESetCurrentRenderDevice), calls CreateVertexDeclarations, sets the
    /// background colour and opens the keyboard. False after a failure (exit code 1; see
    /// failure() and exitCode()); everything made so far is released again. A second start()
    /// fails.
    bool start();
    /// start() with the arguments given (program name excluded) instead of the process's.
    bool start(const std::vector<std::string>& args);

    /// The message loop with one frame per turn: BeginFrame(true, true, false), the keyboard's
    /// update, the frame function, EndFrame; until the frame function returns false, or the
    /// program ends: Esc, the close box, the scripted frame count, a failing frame (ending()
    /// then turns true; exit code 2). Returns exitCode(). A program may call it more than once
    /// (frames are counted on); once the program ends it returns at once (exit code 1 before a
    /// start). The frame function may call stop() (the run ends after it) or restartDevice()
    /// (that frame is not presented; the next one draws on the new device). Note: the vertex
    /// cache manager is not flushed before EndFrame: a frame function that batches with
    /// RenderDynamic calls FlushAll itself.
    int run(const FrameFunction& frame);
    /// Drains the window's messages once, for programs with loops of their own; false once the
    /// program should end.
    bool pumpMessages();
    /// Saves the back buffer of the frame that is being drawn as a PNG file once the frame
    /// function returns (call it from the frame function); a file that cannot be written ends
    /// the run with exit code 2.
    void saveShot(const std::string& file);

    /// A function of the program called at a device loss or reset (may be empty).
    typedef std::function<void()> DeviceFunction;
    /// Sets the program's functions for a lost device. A device can be lost (another program
    /// takes the screen, the display mode changes): EndFrame then reports D3DERR_DEVICELOST.
    /// run() stops drawing and calls lost (release everything made in D3DPOOL_DEFAULT: such
    /// textures and buffers, and call PSystem::onLostDevice, ID3DXFont/ID3DXSprite
    /// OnLostDevice), waits until the device can be reset (TestCooperativeLevel), calls the render
    /// device's ResetDevice, then reset (make them again, call the onResetDevice ones) and goes on
    /// with the next frame. Either may be empty.
    /// Note: after a reset the Direct3D device's states are its defaults again (no shader, no
    /// vertex declaration, default render states and transforms); set what your drawing needs.
    /// The render device's own fonts and vertex caches are restored by ResetDevice. A reset that
    /// fails ends the run with exit code 2; a scripted run waits at most 60 s for a lost device.
    void setDeviceLossFunctions(const DeviceFunction& lost, const DeviceFunction& reset);
    /// True while the device is lost and not reset yet.
    bool deviceLost() const { return lost_; }
    /// Resets after a loss so far.
    int deviceResets() const { return resets_; }

    /// Replaces the render device with one from another engine library on the same window (a
    /// library's parts draw with that library's own device, as the grid of PelmoraParts does). The
    /// old device is released and checked as in stop(); the new one is started as in start().
    /// False after a failure (the program then ends). Note: everything made on the old device
    /// must be gone first, and the device() and d3d() pointers change.
    bool restartDevice(const char* library);

    /// Releases the render device (vertex declarations first, through the library's
    /// ReleaseRenderDevice), checks that the Direct3D device went with it (exit code 3 when
    /// references were left), closes the keyboard and destroys the window; returns exitCode().
    /// A `--shot` whose frame never came is reported here (exit code 2). Calling it again does
    /// nothing more.
    int stop();

    /// The keyboard, read before each frame function: keys().down(DIK_LEFT) while Left is held,
    /// keys().pressed(DIK_SPACE) once per press of Space (DirectInput key codes of <dinput.h>).
    /// A program with a loop of its own calls keys().update() once per turn.
    PelmoraKeyboard& keys() { return keyboard_; }
    /// The keyboard (read only).
    const PelmoraKeyboard& keys() const { return keyboard_; }

    /// The render device (borrowed: the frame releases it in stop()); null before start().
    OXERenderDevice* device() const { return device_; }
    /// The render device's Direct3D device (borrowed, no reference added); null without a device.
    IDirect3DDevice9* d3d() const { return device_ ? device_->GetD3DDevice() : nullptr; }
    /// The window (owned by the frame).
    HWND window() const { return window_; }
    /// Width of the window's inside and of the back buffer in pixels (the settings' or `--size`).
    int width() const { return width_; }
    /// Height of the window's inside and of the back buffer in pixels.
    int height() const { return height_; }
    /// Frames run so far.
    int frameCount() const { return frames_; }
    /// True once the program ends: no more frames.
    bool ending() const { return quit_; }
    /// True for a scripted run: `--shot` or `--frames` on the command line.
    bool scripted() const { return options_.scripted(); }
    /// The frame's options as read from the command line.
    const PelmoraAppOptions& options() const { return options_; }
    /// The arguments the frame did not take, in order.
    const std::vector<std::string>& arguments() const { return options_.rest; }
    /// The last failure's text; empty when none.
    const std::string& failure() const { return failure_; }
    /// 0, or the exit code of the first failure (1 start, 2 frame, 3 objects left, 4 a box).
    int exitCode() const { return exitCode_; }
    /// References left on the last released Direct3D device (0 when everything went).
    ULONG referencesLeft() const { return referencesLeft_; }

    /// The folder of the running program, with a trailing backslash (for files beside it).
    static std::string ProgramFolder();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool makeWindow();
    bool startDevice(const char* library);
    void releaseDevice();
    bool fail(int exitCode, const std::string& what); // records, reports, always false
    bool endFrame();                                  // shot if one is due, then EndFrame
    bool writeShot(const std::string& file);
    void boxAnswered(const std::string& caption, const std::string& text); // a library's box, scripted run
    void enterLoss();                                 // the device reported loss: stop drawing, tell the program
    bool recoverDevice();                             // one look at a lost device; false: it cannot come back

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
    bool shotAttempted_ = false;      // the --shot frame was drawn and its saving tried
    unsigned deviceGeneration_ = 0;   // counts started devices (a restart inside a frame shows)
    std::string failure_;             // text of the last failure
    int exitCode_ = 0;                // 0, or the code of the first failure
    ULONG referencesLeft_ = 0;        // the last device check's count
    std::unique_ptr<PelmoraBoxAnswerer> boxes_; // scripted runs: answers the libraries' message boxes
    DeviceFunction onLost_;           // the program's lost function (may be empty)
    DeviceFunction onReset_;          // the program's reset function (may be empty)
    bool lost_ = false;               // the device is lost: no frames until it is reset
    DWORD lostSince_ = 0;             // tick count when it was lost
    int resets_ = 0;                  // resets after a loss
    PelmoraKeyboard keyboard_;        // the window's keyboard
};
