// Screen-space drawing of the render device: fonts and text, lines, rectangles and points.
//
// Coordinates are back-buffer pixels, (0, 0) at the top left. Two font stores live in the device:
//   - the font table, OXE_FONT_ROWS rows of OXE_FONT_ROW_LENGTH entries. Row 0 holds the fonts
//     callers place with CreateFontInSlot / CreatePlainFontInSlot, CreateDefaultFonts fills row 1
//     with "Arial" and row 2 with "Impact" (entry k: height and width 10 + k);
//   - the font list of CreateArialFont, read by DrawFormattedText; ids are list positions.
// Indices outside the table and empty entries are refused: nothing is created or drawn.
//
// Lines, outlines and filled rectangles are lists of lines drawn by DrawLines, the way the device
// has decided on (m_lineWay): through a D3DX line object, or as two pre-transformed triangles per
// line, with the states that takes saved and restored around them, so that lines and rectangles
// show on every platform. A device starts with the line object; once it answers that it cannot
// draw at all (Wine's D3DX has no line drawing), the device draws its lines as triangles without
// asking again until it is reset or released.
#include "OXED3D.h"
#include <malloc.h>
#include <cstdlib>
#include <cstring>
#include <cmath>
#include <algorithm>
#include <climits>

namespace {

const UINT kFontTableSize = OXE_FONT_ROWS * OXE_FONT_ROW_LENGTH;
const int kDefaultFontCount = 11;    // a default row holds heights 10..20
const UINT kDefaultFontWeight = 10;  // weight of the default rows' fonts
const BYTE kDefaultCharset = 1;      // DEFAULT_CHARSET

// Packs separate bytes as a Direct3D ARGB colour.
D3DCOLOR PackColor(BYTE r, BYTE g, BYTE b, BYTE a)
{
    return (D3DCOLOR(a) << 24) | (D3DCOLOR(r) << 16) | (D3DCOLOR(g) << 8) | D3DCOLOR(b);
}

void ReleaseFont(ID3DXFont*& font)
{
    if (font) font->Release();
    font = nullptr;
}

// The Direct3D device of the library's current render device, or none.
IDirect3DDevice9* CurrentD3DDevice()
{
    return g_pOXECurrentDevice ? g_pOXECurrentDevice->GetD3DDevice() : nullptr;
}

// Creates a font of the table's description: 1 mip level, default character set, precision,
// quality and pitch 0. The face is cut to the 31 characters the description holds (a longer name
// handed straight to D3DX overruns its face buffer).
HRESULT CreateDescribedFont(IDirect3DDevice9* device, const char* face, int height, UINT width,
                            UINT weight, bool italic, ID3DXFont** out)
{
    *out = nullptr;
    if (!device) return OXE_FAIL;
    D3DXFONT_DESCA desc = {};
    desc.Height = height;
    desc.Width = width;
    desc.Weight = weight;
    desc.MipLevels = 1;
    desc.Italic = italic ? TRUE : FALSE;
    desc.CharSet = kDefaultCharset;
    if (face) {
        strncpy(desc.FaceName, face, sizeof(desc.FaceName) - 1);
        desc.FaceName[sizeof(desc.FaceName) - 1] = '\0';
    }
    HRESULT hr = D3DXCreateFontIndirectA(device, &desc, out);
    if (FAILED(hr)) *out = nullptr;
    return hr;
}

// ---- Lines ----

// A line from (x0, y0) to (x1, y1) in back-buffer pixels.
struct ScreenLine {
    float x0, y0, x1, y1;
};

// What a line object made for one line did with it.
enum class LineObjectAnswer {
    Drawn,      // the line is drawn
    NotMade,    // no line object could be made: the line is left out
    CannotDraw, // E_NOTIMPL: the line object cannot draw on this device at all
    Failed,     // any other failure: this line goes to triangles, the next one asks again
};

// Draws one line with a D3DX line object made, used and released for it.
LineObjectAnswer DrawWithLineObject(IDirect3DDevice9* device, const ScreenLine& line, float width, D3DCOLOR color)
{
    ID3DXLine* object = nullptr;
    if (FAILED(D3DXCreateLine(device, &object)) || !object) return LineObjectAnswer::NotMade;
    D3DXVECTOR2 points[2] = {D3DXVECTOR2(line.x0, line.y0), D3DXVECTOR2(line.x1, line.y1)};
    object->SetWidth(width);
    object->SetPattern(0xFFFFFFFF);
    HRESULT drawn = object->Begin();
    if (SUCCEEDED(drawn)) {
        drawn = object->Draw(points, 2, color);
        object->End();
    }
    object->Release();
    if (SUCCEEDED(drawn)) return LineObjectAnswer::Drawn;
    return drawn == E_NOTIMPL ? LineObjectAnswer::CannotDraw : LineObjectAnswer::Failed;
}

// A pre-transformed, coloured vertex.
struct ScreenVertex {
    float x, y, z, rhw; // screen position in pixels, depth 0, reciprocal w 1
    D3DCOLOR color;     // ARGB
};
const DWORD kScreenVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

struct StateValue {
    DWORD state; // render state or texture stage state
    DWORD value; // value the fallback needs
};

// Render states the fallback sets: alpha-blended, untextured, no depth, no culling.
const StateValue kLineRenderStates[] = {
    {D3DRS_ALPHABLENDENABLE, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    {D3DRS_SEPARATEALPHABLENDENABLE, FALSE},
    {D3DRS_ZENABLE, D3DZB_FALSE},
    {D3DRS_ZWRITEENABLE, FALSE},
    {D3DRS_CULLMODE, D3DCULL_NONE},
    {D3DRS_FILLMODE, D3DFILL_SOLID},
    {D3DRS_ALPHATESTENABLE, FALSE},
    {D3DRS_FOGENABLE, FALSE},
    {D3DRS_STENCILENABLE, FALSE},
    {D3DRS_COLORWRITEENABLE, 0xF},
};
const int kLineRenderStateCount = sizeof(kLineRenderStates) / sizeof(kLineRenderStates[0]);

// Texture stage 0 passes the vertex colour through; stage 1 ends the cascade.
const StateValue kLineStage0States[] = {
    {D3DTSS_COLOROP, D3DTOP_SELECTARG1},
    {D3DTSS_COLORARG1, D3DTA_DIFFUSE},
    {D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
    {D3DTSS_ALPHAARG1, D3DTA_DIFFUSE},
};
const int kLineStage0StateCount = sizeof(kLineStage0States) / sizeof(kLineStage0States[0]);
const StateValue kLineStage1States[] = {
    {D3DTSS_COLOROP, D3DTOP_DISABLE},
    {D3DTSS_ALPHAOP, D3DTOP_DISABLE},
};
const int kLineStage1StateCount = sizeof(kLineStage1States) / sizeof(kLineStage1States[0]);

// The quad of a line of the given width centred on the line, as a four-vertex strip. False for
// a line of no length or a width below one half pixel.
bool BuildLineQuad(const ScreenLine& line, float width, D3DCOLOR color, ScreenVertex quad[4])
{
    const float x0 = line.x0, y0 = line.y0, x1 = line.x1, y1 = line.y1;
    float dx = x1 - x0, dy = y1 - y0;
    float length = std::sqrt(dx * dx + dy * dy);
    if (length <= 0.0f || width < 0.5f) return false;
    // Half the width along the segment's normal.
    float nx = -dy / length * width * 0.5f;
    float ny = dx / length * width * 0.5f;
    const float corners[4][2] = {
        {x0 + nx, y0 + ny}, {x0 - nx, y0 - ny}, {x1 + nx, y1 + ny}, {x1 - nx, y1 - ny}};
    for (int i = 0; i < 4; ++i) {
        quad[i].x = corners[i][0];
        quad[i].y = corners[i][1];
        quad[i].z = 0.0f;
        quad[i].rhw = 1.0f;
        quad[i].color = color;
    }
    return true;
}

// Lines drawn as pre-transformed triangles, one strip of four vertices each. Before the first
// line the states they need are put in force (only those the device does not already hold);
// when the object goes, the states it changed, the vertex input and the shaders are written
// back. A list of lines drawn through one object so changes and restores the states once for
// all of them; degenerate lines touch nothing.
class TriangleLines {
public:
    explicit TriangleLines(IDirect3DDevice9* device) : device_(device) {}
    ~TriangleLines() { Restore(); }
    TriangleLines(const TriangleLines&) = delete;
    TriangleLines& operator=(const TriangleLines&) = delete;

    void Draw(const ScreenLine& line, float width, D3DCOLOR color)
    {
        ScreenVertex quad[4];
        if (!BuildLineQuad(line, width, color, quad)) return;
        if (!begun_) Begin();
        device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
    }

private:
    void Begin()
    {
        begun_ = true;
        for (int i = 0; i < kLineRenderStateCount; ++i) {
            const D3DRENDERSTATETYPE state = D3DRENDERSTATETYPE(kLineRenderStates[i].state);
            device_->GetRenderState(state, &renderStates_[i]);
            if (renderStates_[i] != kLineRenderStates[i].value) device_->SetRenderState(state, kLineRenderStates[i].value);
        }
        BeginStage(0, kLineStage0States, kLineStage0StateCount, stage0States_);
        BeginStage(1, kLineStage1States, kLineStage1StateCount, stage1States_);
        device_->GetFVF(&fvf_);
        device_->GetVertexDeclaration(&declaration_);
        device_->GetVertexShader(&vertexShader_);
        device_->GetPixelShader(&pixelShader_);
        device_->SetVertexShader(nullptr);
        device_->SetPixelShader(nullptr);
        device_->SetFVF(kScreenVertexFvf);
    }
    void BeginStage(DWORD stage, const StateValue* needed, int count, DWORD* saved)
    {
        for (int i = 0; i < count; ++i) {
            const D3DTEXTURESTAGESTATETYPE type = D3DTEXTURESTAGESTATETYPE(needed[i].state);
            device_->GetTextureStageState(stage, type, &saved[i]);
            if (saved[i] != needed[i].value) device_->SetTextureStageState(stage, type, needed[i].value);
        }
    }
    void RestoreStage(DWORD stage, const StateValue* needed, int count, const DWORD* saved)
    {
        for (int i = 0; i < count; ++i)
            if (saved[i] != needed[i].value)
                device_->SetTextureStageState(stage, D3DTEXTURESTAGESTATETYPE(needed[i].state), saved[i]);
    }
    // Writes back what Begin changed and drops the references its getters took.
    void Restore()
    {
        if (!begun_) return;
        for (int i = 0; i < kLineRenderStateCount; ++i)
            if (renderStates_[i] != kLineRenderStates[i].value)
                device_->SetRenderState(D3DRENDERSTATETYPE(kLineRenderStates[i].state), renderStates_[i]);
        RestoreStage(0, kLineStage0States, kLineStage0StateCount, stage0States_);
        RestoreStage(1, kLineStage1States, kLineStage1StateCount, stage1States_);
        // A format set through SetFVF comes back as that format; otherwise the declaration.
        if (fvf_ != 0)
            device_->SetFVF(fvf_);
        else
            device_->SetVertexDeclaration(declaration_);
        device_->SetVertexShader(vertexShader_);
        device_->SetPixelShader(pixelShader_);
        if (declaration_) declaration_->Release();
        if (vertexShader_) vertexShader_->Release();
        if (pixelShader_) pixelShader_->Release();
        begun_ = false;
    }

    IDirect3DDevice9* device_;                          // the device drawn on (not owned)
    bool begun_ = false;                                // states saved and put in force
    DWORD renderStates_[kLineRenderStateCount] = {};    // the device's values before Begin
    DWORD stage0States_[kLineStage0StateCount] = {};
    DWORD stage1States_[kLineStage1StateCount] = {};
    DWORD fvf_ = 0;                                     // vertex input and shaders before Begin
    IDirect3DVertexDeclaration9* declaration_ = nullptr;
    IDirect3DVertexShader9* vertexShader_ = nullptr;
    IDirect3DPixelShader9* pixelShader_ = nullptr;
};

} // namespace

// ---- Font table ----

HRESULT OXED3D::CreateFontInSlot(UINT index, const char* face, int height, UINT width, UINT weight, bool italic)
{
    if (index >= kFontTableSize) return OXE_INVALIDID;
    // A font already in the entry is replaced, not leaked.
    ReleaseFont(m_fontTable[index]);
    return CreateDescribedFont(CurrentD3DDevice(), face, height, width, weight, italic, &m_fontTable[index]);
}

HRESULT OXED3D::CreatePlainFontInSlot(UINT index, int height, UINT width, UINT weight, UINT)
{
    if (index >= kFontTableSize) return OXE_INVALIDID;
    ReleaseFont(m_fontTable[index]);
    return CreateDescribedFont(m_device, "", height, width, weight, false, &m_fontTable[index]);
}

void OXED3D::CreateDefaultFonts()
{
    IDirect3DDevice9* device = CurrentD3DDevice();
    for (int k = 0; k < kDefaultFontCount && k < OXE_FONT_ROW_LENGTH; ++k) {
        const int size = 10 + k;
        ID3DXFont*& arial = m_fontTable[1 * OXE_FONT_ROW_LENGTH + k];
        ID3DXFont*& impact = m_fontTable[2 * OXE_FONT_ROW_LENGTH + k];
        ReleaseFont(arial);
        ReleaseFont(impact);
        CreateDescribedFont(device, "Arial", size, UINT(size), kDefaultFontWeight, false, &arial);
        CreateDescribedFont(device, "Impact", size, UINT(size), kDefaultFontWeight, false, &impact);
    }
}

// ---- Font list ----

HRESULT OXED3D::CreateArialFont(UINT, UINT weight, bool italic, UINT, UINT, int pointSize, UINT* id)
{
    if (!id) return OXE_INVALIDPARAM;
    HDC screen = GetDC(nullptr);
    const int pixelsPerInch = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    // A point size whose pixel height no font can have (MulDiv would answer -1) is refused.
    const long long exact = (long long)pointSize * pixelsPerInch / 72;
    if (exact > INT_MAX || exact < -INT_MAX) return OXE_INVALIDPARAM;
    const int h = MulDiv(pointSize, pixelsPerInch, 72);

    // Grow the list by one place after the fonts it really holds; the count moves only once
    // the font exists.
    const UINT count = FontListLength();
    ID3DXFont** grown = static_cast<ID3DXFont**>(realloc(m_fontList, sizeof(ID3DXFont*) * (count + 1)));
    if (!grown) return OXE_FAIL;
    m_fontList = grown;
    m_fontList[count] = nullptr;

    // Character height -h; the width is -h/2 handed over as the description's unsigned field.
    ID3DXFont* font = nullptr;
    if (FAILED(D3DXCreateFontA(m_device, -h, UINT(-h / 2), weight, 1, italic ? TRUE : FALSE, kDefaultCharset, 0, 0,
                               0, "Arial", &font)) ||
        !font)
        return OXE_FAIL;
    m_fontList[count] = font;
    *id = count;
    m_fontCount = count + 1;
    return OXE_OK;
}

UINT OXED3D::FontListLength() const
{
    if (!m_fontList) return 0;
    const size_t places = _msize(m_fontList) / sizeof(ID3DXFont*);
    return m_fontCount < places ? m_fontCount : UINT(places);
}

void OXED3D::ReleaseTextObjects()
{
    for (UINT i = 0; i < kFontTableSize; ++i) ReleaseFont(m_fontTable[i]);
    for (UINT i = 0, n = FontListLength(); i < n; ++i) ReleaseFont(m_fontList[i]);
    free(m_fontList);
    m_fontList = nullptr;
    m_fontCount = 0;
}

// ---- Text ----

void OXED3D::DrawTextAt(UINT font, const char* text, int x, int y, BYTE r, BYTE g, BYTE b, BYTE a)
{
    if (font >= kFontTableSize || !m_fontTable[font] || !text) return;
    RECT area = {x, y, LONG(GetScreenWidth()), LONG(GetScreenHeight())};
    m_fontTable[font]->DrawTextA(nullptr, text, -1, &area, 0, PackColor(r, g, b, a));
}

void OXED3D::DrawTextInFamily(int family, UINT index, const char* text, int x, int y, BYTE r, BYTE g, BYTE b, BYTE a)
{
    if (index >= UINT(OXE_FONT_ROW_LENGTH)) return;
    const UINT row = (family == 1 || family == 2) ? UINT(family) : 0;
    DrawTextAt(row * OXE_FONT_ROW_LENGTH + index, text, x, y, r, g, b, a);
}

void OXED3D::DrawTextWithFont(const char* text, int x, int y, const char* face, int height, UINT width, UINT weight,
                              BYTE r, BYTE g, BYTE b, BYTE a)
{
    if (!text) return;
    ID3DXFont* font = nullptr;
    if (FAILED(CreateDescribedFont(m_device, face, height, width, weight, false, &font))) return;
    RECT area = {x, y, LONG(GetScreenWidth()), LONG(GetScreenHeight())};
    font->DrawTextA(nullptr, text, -1, &area, 0, PackColor(r, g, b, a));
    font->Release();
}

// The text is drawn exactly as given: it is never used as a format, so a caller's '%' signs are
// shown rather than read as directives (the trailing arguments are not read).
HRESULT OXED3D::DrawFormattedText(UINT id, int x, int y, BYTE r, BYTE g, BYTE b, const char* text, ...)
{
    if (id >= FontListLength() || !m_fontList[id] || !text) return OXE_INVALIDPARAM;
    ID3DXFont* font = m_fontList[id];
    // Measure a single line starting at (x, y); the rectangle grows to fit.
    RECT area = {x, y, x, y};
    font->DrawTextA(nullptr, text, -1, &area, DT_SINGLELINE | DT_CALCRECT, 0);
    return font->DrawTextA(nullptr, text, -1, &area, DT_SINGLELINE, PackColor(r, g, b, 0xFF));
}

// ---- Lines, rectangles, points ----

// While the device draws with the line object, every line gets one of its own: a line for which
// none could be made is left out, a line it fails is drawn as triangles by itself. From the line
// at which it answers that it cannot draw at all, the device draws as triangles, and the rest of
// the list is drawn under one change of states. The line object and the triangles may both have
// drawn from memory, which leaves stream 0 empty: the vertex cache manager binds again.
template <class LineAt> void OXED3D::DrawLines(UINT count, float width, D3DCOLOR color, LineAt lineAt)
{
    if (!m_device) return;
    UINT i = 0;
    for (; i < count && m_lineWay == OXELineWay::LineObject; ++i) {
        const ScreenLine line = lineAt(i);
        const LineObjectAnswer answer = DrawWithLineObject(m_device, line, width, color);
        if (answer == LineObjectAnswer::NotMade) continue;
        if (answer == LineObjectAnswer::CannotDraw) m_lineWay = OXELineWay::Triangles; // decided until reset
        if (answer != LineObjectAnswer::Drawn) TriangleLines(m_device).Draw(line, width, color);
        InvalidateVertexCacheStates();
    }
    if (i == count) return;
    {
        TriangleLines lines(m_device);
        for (; i < count; ++i) lines.Draw(lineAt(i), width, color);
    }
    InvalidateVertexCacheStates();
}

void OXED3D::DrawLine(int x0, int y0, int x1, int y1, int width, BYTE r, BYTE g, BYTE b, BYTE a)
{
    const ScreenLine line = {float(x0), float(y0), float(x1), float(y1)};
    DrawLines(1, float(width), PackColor(r, g, b, a), [&](UINT) { return line; });
}

void OXED3D::DrawRectOutline(int x0, int y0, int x1, int y1, int width, BYTE r, BYTE g, BYTE b, BYTE a)
{
    const ScreenLine edges[4] = {{float(x0), float(y1), float(x1), float(y1)},  // bottom
                                 {float(x0), float(y0), float(x1), float(y0)},  // top
                                 {float(x0), float(y1), float(x0), float(y0)},  // left
                                 {float(x1), float(y1), float(x1), float(y0)}}; // right
    DrawLines(4, float(width), PackColor(r, g, b, a), [&](UINT e) { return edges[e]; });
}

void OXED3D::FillRect(int x, int y, int height, int width, BYTE r, BYTE g, BYTE b, BYTE a)
{
    // height + 1 one-pixel rows, from y to y + height. Rows above or below the back buffer cover
    // no pixel, so they are skipped (a huge height then costs no more than a screenful).
    const long long first = std::max<long long>(y, 0);
    const long long last = std::min<long long>((long long)y + height, (long long)GetScreenHeight() - 1);
    if (last < first) return;
    const float left = float(x);
    const float right = float(int(std::clamp<long long>((long long)x + width, INT_MIN, INT_MAX)));
    DrawLines(UINT(last - first + 1), 1.0f, PackColor(r, g, b, a), [&](UINT i) {
        const float row = float(int(first + i));
        return ScreenLine{left, row, right, row};
    });
}

void OXED3D::DrawPoint(int x, int y, int z, BYTE r, BYTE g, BYTE b, BYTE a)
{
    if (!m_device) return;
    struct PointVertex {
        float x, y, z;  // position, through the current transforms
        D3DCOLOR color; // ARGB
    } point = {float(x), float(y), float(z), PackColor(r, g, b, a)};
    m_device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    m_device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof(point));
    // The point changed the vertex format and left stream 0 empty: the vertex cache manager
    // binds its buffers and format again for what it draws next.
    InvalidateVertexCacheStates();
}
