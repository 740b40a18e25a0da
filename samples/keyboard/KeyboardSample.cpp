// Keyboard sample: the arrow keys move a square, each press of Space adds a mark to the row at
// the top, on the application frame. The frame reads the keys once a frame: keys().down(key)
// while a key is held (the square moves by its speed times the frame's seconds), and
// keys().pressed(key) once per press however long it is held (one mark per press). Key codes are
// DirectInput's (DIK_ of <dinput.h>): a key's place on the keyboard.
//
//   keyboard.exe                       Esc quits; prints where the square ended and the presses
//   keyboard.exe --shot FILE [--frames N]   saves frame N (30) as PNG and quits
//   keyboard.exe --size WxH            another window size (640 x 480 otherwise)
#include <windows.h>
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
#include <dinput.h>
#include <cstdio>
#include <string>
#include "PelmoraApp.h"
#include "OXEResultText.h"

namespace {

const float Speed = 200.0f; // pixels per second while an arrow key is held
const int Side = 40;        // the square's side in pixels
const int Mark = 10;        // a mark's side; marks stand 16 pixels apart
const int MaxMarks = 30;    // marks shown (further presses are counted, not drawn)

struct State {
    float x = 0, y = 0;    // the square's top left corner, in pixels
    float startX = 0, startY = 0;
    int presses = 0;       // presses of Space so far
};

// One frame: move by the held arrows, count the presses of Space, draw.
void Frame(PelmoraApp& app, State& s, float seconds)
{
    const PelmoraKeyboard& keys = app.keys();
    const float step = Speed * seconds;
    if (keys.down(DIK_LEFT)) s.x -= step;
    if (keys.down(DIK_RIGHT)) s.x += step;
    if (keys.down(DIK_UP)) s.y -= step;
    if (keys.down(DIK_DOWN)) s.y += step;
    if (keys.pressed(DIK_SPACE)) ++s.presses;
    // The square stays inside the window.
    const float right = float(app.width() - Side), bottom = float(app.height() - Side);
    s.x = s.x < 0 ? 0 : s.x > right ? right : s.x;
    s.y = s.y < 0 ? 0 : s.y > bottom ? bottom : s.y;

    OXERenderDevice* device = app.device();
    // FillRect takes the height before the width, and covers height + 1 rows.
    device->FillRect(int(s.x), int(s.y), Side - 1, Side, 255, 128, 0, 255);
    for (int i = 0; i < s.presses && i < MaxMarks; ++i)
        device->FillRect(8 + 16 * i, 8, Mark - 1, Mark, 0, 200, 255, 255);
    char line[64];
    std::snprintf(line, sizeof line, "Arrows move, Space marks: %d", s.presses);
    device->DrawTextAt(0, line, 8, app.height() - 22, 230, 230, 230, 255);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    PelmoraAppSettings settings;
    settings.title = "Pelmora keyboard sample";
    settings.width = 640;
    settings.height = 480;
    settings.background = 0xFF202830;
    PelmoraApp app(settings);
    if (!app.start()) return app.exitCode();

    // Font slot 0: the device's face, 14 pixels high (the device releases it with itself).
    HRESULT hr = app.device()->CreatePlainFontInSlot(0, 14, 0, FW_NORMAL, 0);
    if (FAILED(hr)) std::fprintf(stderr, "keyboard: no font for the text (%s)\n", OXEResultText(hr).c_str());

    State s;
    s.x = s.startX = float((app.width() - Side) / 2);
    s.y = s.startY = float((app.height() - Side) / 2);
    std::printf("keyboard: keys read by the %s\n", app.keys().source().c_str());
    app.run([&](float seconds) {
        Frame(app, s, seconds);
        return true;
    });
    // The numbers a reader checks against the picture.
    std::printf("keyboard: the square ended at (%d, %d), moved by (%+d, %+d); Space pressed %d time(s)\n", int(s.x),
                int(s.y), int(s.x) - int(s.startX), int(s.y) - int(s.startY), s.presses);
    std::fflush(stdout);
    return app.stop();
}
