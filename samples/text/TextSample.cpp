// Text sample: the render device's fonts and screen drawing. The font list (CreateArialFont,
// DrawFormattedText), the font table (CreateDefaultFonts, CreateFontInSlot, DrawTextInFamily,
// DrawTextAt), a font made per call (DrawTextWithFont), and the filled rectangle, outline and
// line. Every position is in back-buffer pixels from the top left.
//   text_sample.exe                           runs until Esc or the close box
//   text_sample.exe --shot FILE [--frames N]  saves frame N (30) as PNG and quits
#include <windows.h>
#include <cstdio>
#include "PelmoraApp.h"

namespace {

const int Width = 640, Height = 480;

// The table's fonts: row 1 holds "Arial", row 2 "Impact" (CreateDefaultFonts), entry k of a
// row is 10 + k pixels high; row 0 holds the program's own (CreateFontInSlot).
const int ArialRow = 1, ImpactRow = 2;

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    PelmoraAppSettings settings;
    settings.title = "Pelmora text";
    settings.width = Width;
    settings.height = Height;
    settings.background = 0xFF283040;
    PelmoraApp app(settings);
    if (!app.start()) return app.exitCode();
    OXERenderDevice* device = app.device();

    // The font list: ids are given in creation order. Sizes are points: the pixel height is
    // points x the screen's pixels per inch / 72.
    UINT title = 0, italic = 0;
    device->CreateArialFont(0, 700, false, 0, 0, 12, &title);
    device->CreateArialFont(0, 400, true, 0, 0, 18, &italic);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    std::printf("text: CreateArialFont ids %u (12 pt bold) and %u (18 pt italic); %d pixels per inch: "
                "12 pt is %d pixels, 18 pt is %d\n", title, italic, dpi, MulDiv(12, dpi, 72), MulDiv(18, dpi, 72));

    // The font table.
    device->CreateDefaultFonts();
    device->CreateFontInSlot(0, "Courier New", 22, 0, 400, false);

    // DrawFormattedText draws its text as given: it formats nothing, so the program formats
    // first (a '%' in the text is shown as it is).
    char line[128];
    std::snprintf(line, sizeof line, "DrawFormattedText: 100%% of %d x %d", app.width(), app.height());
    HRESULT titleHeight = 0;

    app.run([&](float) {
        titleHeight = device->DrawFormattedText(title, 16, 16, 255, 255, 255, line);
        device->DrawFormattedText(italic, 16, 48, 255, 220, 0, "Arial 18 pt italic, font list id 1");
        device->DrawTextInFamily(ArialRow, 0, "DrawTextInFamily: Arial, 10 pixels", 16, 96, 120, 255, 120, 255);
        device->DrawTextInFamily(ArialRow, 10, "DrawTextInFamily: Arial, 20 pixels", 16, 116, 120, 255, 120, 255);
        device->DrawTextInFamily(ImpactRow, 10, "DrawTextInFamily: Impact, 20 pixels", 16, 150, 255, 140, 0, 255);
        device->DrawTextAt(0, "DrawTextAt: slot 0, Courier New 22", 16, 190, 0, 200, 255, 255);
        device->DrawTextWithFont("DrawTextWithFont: a font made and freed per call", 16, 232, "Times New Roman", 20,
                                 0, 400, 255, 80, 200, 255);
        // FillRect takes the height before the width and fills height + 1 rows: 40 rows of
        // 200 pixels here, from (16, 300).
        device->FillRect(16, 300, 39, 200, 200, 40, 40, 255);
        device->DrawRectOutline(12, 296, 220, 344, 2, 255, 255, 255, 255);
        device->DrawLine(260, 300, 600, 340, 3, 160, 200, 255, 255);
        device->FillRect(260, 380, 19, 340, 255, 60, 60, 128); // alpha 128: half over the background
        return true;
    });
    std::printf("text: \"%s\" is %ld pixels high\n", line, long(titleHeight));
    std::printf("text: FillRect(16, 300, 39, 200) fills 40 rows of 200 pixels\n");
    return app.stop();
}
