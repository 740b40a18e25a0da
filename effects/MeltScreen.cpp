#include "MeltScreen.h"
#include "OXEResult.h"
#include "PictureFile.h"
#include "PixelFill.h"
#include "SurfaceCopy.h"
#include "SurfaceLock.h"
#include "TransitionRandom.h"
#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdint>

MeltScreen::MeltScreen()
    : wormCount(0), width(0), height(0), ready(false), logFlush(false), logFile(nullptr),
      pict1(nullptr), pict2(nullptr), finalPicture(nullptr), color1(0xFF000000),
      color2(0xFF000000), fillMode(0), worms()
{
}

MeltScreen::~MeltScreen()
{
    ReleaseSurface(pict1);
    ReleaseSurface(pict2);
    ReleaseSurface(finalPicture);
}

int MeltScreen::GetRandomInt(int a, int b)
{
    return TransitionRandomInt(a, b);
}

void MeltScreen::init(int newWormCount, int newWidth, int newHeight, IDirect3DDevice9* device,
                      D3DFORMAT format)
{
    // More than 128 moving columns would run past the column records.
    wormCount = std::clamp(newWormCount, 0, WormSlots);
    width = newWidth;
    height = newHeight;
    fillMode = 0;
    // A second init starts afresh instead of leaking the first final picture.
    ready = false;
    ReleaseSurface(finalPicture);
    if (!device || width <= 0 || height <= 0) return;
    if (FAILED(CreatePictureSurface(device, width, height, format, &finalPicture))) {
        finalPicture = nullptr;
        return;
    }
    InitWorms(0);
    ready = true;
}

void MeltScreen::InitWorms(int)
{
    const int columnWidth = width / WormSlots;
    for (int i = 0; i < WormSlots; ++i) {
        simple_worm& worm = worms[i];
        worm.drop = 0;
        worm.width = columnWidth;
        worm.x = i * columnWidth;
        worm.reserved = 0;
        worm.speed = int(7.0f * TransitionRandomUnit() + 4.0f);
    }
}

void MeltScreen::SetWormsWidth(int w)
{
    const int columnWidth = w / WormSlots;
    for (int i = 0; i < WormSlots; ++i) {
        worms[i].x = i * columnWidth;
        worms[i].width = columnWidth;
    }
}

void MeltScreen::Simulate(int steps)
{
    if (!ready || steps <= 0) return;
    // steps * speed at once: the same as adding the speed step by step, but bounded so that a
    // long run cannot wrap a drop round to a negative value.
    // wormCount is public: past the column records there is nothing to move.
    const int moving = std::min(wormCount, int(WormSlots));
    for (int i = 0; i < moving; ++i) {
        simple_worm& worm = worms[i];
        const long long drop = (long long)worm.drop + (long long)steps * worm.speed;
        worm.drop = int(std::clamp<long long>(drop, INT_MIN, INT_MAX));
    }
}

void MeltScreen::initPicture(IDirect3DSurface9*& picture, advString& file, DWORD color, bool fill,
                             IDirect3DDevice9* device, D3DFORMAT format)
{
    ReleaseSurface(picture);
    if (!device) return;
    if (!fill) {
        picture = CreatePictureFromFile(device, file.GetString(), format);
        return;
    }
    if (FAILED(CreatePictureSurface(device, width, height, format, &picture))) {
        picture = nullptr;
        return;
    }
    SurfaceLock lock;
    if (FAILED(lock.lock(picture, SurfaceLock::ReadWrite, 0))) return;
    for (int y = 0; y < lock.height(); ++y) std::fill_n(lock.row(y), lock.width(), uint32_t(color));
}

void MeltScreen::initPict1(advString file, DWORD color, bool fill, IDirect3DDevice9* device,
                           D3DFORMAT format)
{
    initPicture(pict1, file, color, fill, device, format);
}

void MeltScreen::initPict2(advString file, DWORD color, bool fill, IDirect3DDevice9* device,
                           D3DFORMAT format)
{
    initPicture(pict2, file, color, fill, device, format);
}

long MeltScreen::SetPicture1(advString file)
{
    if (!ready) return OXE_FAIL;
    return LoadPictureFile(pict1, file.GetString());
}

long MeltScreen::SetPicture2(advString file)
{
    if (!ready) return OXE_FAIL;
    return LoadPictureFile(pict2, file.GetString());
}

// Writes pixels [x0, x1) of row y of out: the picture's own pixels where it reaches, the
// fallback colour where it does not (or where there is no picture at all).
static void ComposeSpan(uint32_t* out, int x0, int x1, int y, const SurfaceLock& picture,
                        uint32_t fallback)
{
    int x = x0;
    if (picture.isLocked() && y < picture.height()) {
        const int end = std::min(x1, picture.width());
        if (end > x) std::copy(picture.row(y) + x, picture.row(y) + end, out + x);
        x = std::max(x, end);
    }
    if (x1 > x) FillPixels(out + x, size_t(x1 - x), fallback);
}

namespace {

// Where the columns lie in a row of the final picture: columns first to last reach into it,
// each columnWidth pixels wide from x = 0 on, and the last one reaches to the row's end.
struct ColumnLayout {
    int first, last;  // the columns of a row, in order; none when last < first
    int columnWidth;  // pixels of every column but the last
    int rowWidth;     // pixels of a row

    // One past the right-most pixel of a column of the row.
    int end(int column) const { return column == last ? rowWidth : (column + 1 - first) * columnWidth; }
};

// A stretch of neighbouring columns of a row on the same side of their drops.
struct MeltSpan {
    int x0, x1;   // pixels [x0, x1) of the row
    bool melted;  // above the drops: picture 2 or color1
};

} // namespace

// The columns of rows rowWidth pixels wide for a common column width. A width of 0 (a pitch
// below 128 bytes) moves the walk on to column 1 before the row's first pixel, and as no column
// ever fills up it stays there: column 1 covers the whole row. Pixels past the 128th column
// belong to the last column, so the walk never leaves the column records.
static ColumnLayout LayOutColumns(int columnWidth, int rowWidth)
{
    if (rowWidth <= 0) return {0, -1, columnWidth, rowWidth};
    if (columnWidth <= 0) return {1, 1, 0, rowWidth};
    const int columns = int(std::min<long long>((rowWidth - 1) / columnWidth + 1, MeltScreen::WormSlots));
    return {0, columns - 1, columnWidth, rowWidth};
}

// Row y cut into spans, left to right: each span is a run of neighbouring columns that are all
// melted at that row (y above their drops) or all not yet. Returns the number of spans.
static int SplitRowIntoSpans(const simple_worm* worms, const ColumnLayout& layout, int y, MeltSpan* spans)
{
    int count = 0;
    for (int column = layout.first, x0 = 0; column <= layout.last;) {
        const bool melted = y < worms[column].drop;
        int runEnd = column;
        while (runEnd < layout.last && (y < worms[runEnd + 1].drop) == melted) ++runEnd;
        spans[count++] = {x0, layout.end(runEnd), melted};
        x0 = layout.end(runEnd);
        column = runEnd + 1;
    }
    return count;
}

// The first row below y at which some column's drop ends (bottom if none ends before it): the
// rows from y up to that one all split into the same spans.
static int NextDropEnd(const simple_worm* worms, const ColumnLayout& layout, int y, int bottom)
{
    int end = bottom;
    for (int column = layout.first; column <= layout.last; ++column)
        if (worms[column].drop > y) end = std::min(end, worms[column].drop);
    return end;
}

// Rows [y0, y1) of the final picture in the two colours, span by span. The two kinds of band
// are written by functions of their own so that each loop is compiled for itself.
static void FillBand(const SurfaceLock& target, int y0, int y1, const MeltSpan* spans, int count,
                     uint32_t above, uint32_t below)
{
    for (int y = y0; y < y1; ++y) {
        uint32_t* out = target.row(y);
        for (int i = 0; i < count; ++i)
            FillPixels(out + spans[i].x0, size_t(spans[i].x1 - spans[i].x0), spans[i].melted ? above : below);
    }
}

// Rows [y0, y1) of the final picture from the two pictures, span by span.
static void ComposeBand(const SurfaceLock& target, int y0, int y1, const MeltSpan* spans, int count,
                        const SurfaceLock& first, const SurfaceLock& second, uint32_t above, uint32_t below)
{
    for (int y = y0; y < y1; ++y) {
        uint32_t* out = target.row(y);
        for (int i = 0; i < count; ++i) {
            const MeltSpan& span = spans[i];
            ComposeSpan(out, span.x0, span.x1, y, span.melted ? second : first, span.melted ? above : below);
        }
    }
}

// The final picture, row by row: each pixel shows picture 2 (color1) above its column's drop
// and picture 1 (color2) from the drop down. The rows are taken in bands: a band runs down to
// the next row where some column's drop ends, and every row of a band splits into the same
// spans of columns, so the spans are worked out once a band and each span is written whole.
long MeltScreen::RenderFinalPicture()
{
    if (!ready) return OXE_FAIL;

    SurfaceLock first, second, target;
    if (pict1) {
        HRESULT hr = first.lock(pict1, SurfaceLock::Read, D3DLOCK_READONLY);
        if (FAILED(hr)) return hr;
    }
    second.lock(pict2, SurfaceLock::Read, D3DLOCK_READONLY); // a missing picture 2 reads as color1
    HRESULT hr = target.lock(finalPicture, SurfaceLock::ReadWrite, 0);
    if (FAILED(hr)) return hr;

    SetWormsWidth(target.pitch());
    const bool colours = fillMode == 0 || fillMode == 1;
    const bool pictures = fillMode == 2 || fillMode == 3;
    const int h = colours || pictures ? std::min(height, target.height()) : 0;
    const ColumnLayout layout = LayOutColumns(GetSingleWormWidth(), std::min(width, target.width()));

    MeltSpan spans[WormSlots];
    for (int y = 0; y < h;) {
        const int count = SplitRowIntoSpans(worms, layout, y, spans);
        const int bandEnd = NextDropEnd(worms, layout, y, h);
        if (colours)
            FillBand(target, y, bandEnd, spans, count, color1, color2);
        else
            ComposeBand(target, y, bandEnd, spans, count, first, second, color1, color2);
        y = bandEnd;
    }
    second.unlock();
    first.unlock();
    return target.unlock();
}

void MeltScreen::RenderToBackBuffer(IDirect3DDevice9* device)
{
    if (ready) ShowOnBackBuffer(device, finalPicture);
}

void MeltScreen::Reset(IDirect3DDevice9* device)
{
    (void)device; // both surfaces are normally in system memory: the copy goes through the processor
    if (pict1 && finalPicture) CopySurfacePixels(finalPicture, pict1);
}

void MeltScreen::CaptureScreenToSurf(IDirect3DDevice9* device, IDirect3DSurface9* surface)
{
    if (!ready || !surface) return;
    IDirect3DSurface9* backBuffer = GetBackBufferZero(device);
    if (!backBuffer) return;
    CopyRenderTarget(device, backBuffer, surface);
    backBuffer->Release();
}

void MeltScreen::CopyBackBuffer(IDirect3DDevice9* device, int which)
{
    IDirect3DSurface9** member = which == 1 ? &pict1 : which == 2 ? &pict2 : which == 3 ? &finalPicture : nullptr;
    if (!member) return;
    IDirect3DSurface9* backBuffer = GetBackBufferZero(device);
    if (!backBuffer) return; // keep what the member held
    ReleaseSurface(*member);
    *member = backBuffer; // the reference GetBackBuffer added is now the member's
}

void MeltScreen::Log(const char* format, ...)
{
    if (!logFile || !format) return;
    char message[256];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args);
    va_end(args);
    message[sizeof message - 1] = 0;
    fputs("[EFFECTS_DLL]: ", logFile);
    fputs(message, logFile);
    fputs("\n", logFile);
    if (logFlush) fflush(logFile);
}

int MeltScreen::GetSingleWormWidth() { return worms[0].width; }

IDirect3DSurface9* MeltScreen::GetPict1() { return pict1; }

IDirect3DSurface9* MeltScreen::GetPict2() { return pict2; }
