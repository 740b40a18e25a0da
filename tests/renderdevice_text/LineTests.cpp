// Lines, rectangles and points of the render device, checked on the pixels a real device drew,
// and the device states around the line drawing.
#include "TextTestDevice.h"
#include "RecordingDevice.h"
#include <cmath>
#include <cstring>
#include <vector>

using namespace testsupport;
using namespace texttest;

namespace {

class LineDrawing : public ::testing::Test {
protected:
    static void SetUpTestSuite() { device_ = new StartedDevice(); }
    static void TearDownTestSuite()
    {
        delete device_;
        device_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(device_->ok()); }
    static OXED3D* dev() { return device_->get(); }

    template <class F> Picture frame(F draw)
    {
        BeginBlackFrame(dev());
        draw();
        return EndFrameAndRead(dev());
    }

    static StartedDevice* device_;
};
StartedDevice* LineDrawing::device_ = nullptr;

// Distance of pixel centre (x, y) from the segment (x0, y0)-(x1, y1).
float DistanceToSegment(float x, float y, float x0, float y0, float x1, float y1)
{
    const float dx = x1 - x0, dy = y1 - y0;
    float t = ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy);
    t = std::max(0.0f, std::min(1.0f, t));
    const float px = x0 + t * dx - x, py = y0 + t * dy - y;
    return std::sqrt(px * px + py * py);
}

// The render states a screen-space draw could disturb, with the shaders and vertex input.
struct DeviceStates {
    std::vector<DWORD> values;
    DWORD fvf = 0;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    IDirect3DVertexShader9* vertexShader = nullptr;
    IDirect3DPixelShader9* pixelShader = nullptr;

    static DeviceStates Read(IDirect3DDevice9* d3d)
    {
        static const D3DRENDERSTATETYPE states[] = {
            D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND, D3DRS_DESTBLEND, D3DRS_ZENABLE, D3DRS_ZWRITEENABLE,
            D3DRS_CULLMODE, D3DRS_FILLMODE, D3DRS_ALPHATESTENABLE, D3DRS_LIGHTING, D3DRS_STENCILENABLE};
        DeviceStates s;
        for (D3DRENDERSTATETYPE st : states) {
            DWORD v = 0;
            d3d->GetRenderState(st, &v);
            s.values.push_back(v);
        }
        for (DWORD stage = 0; stage < 2; ++stage)
            for (D3DTEXTURESTAGESTATETYPE st : {D3DTSS_COLOROP, D3DTSS_COLORARG1, D3DTSS_ALPHAOP, D3DTSS_ALPHAARG1}) {
                DWORD v = 0;
                d3d->GetTextureStageState(stage, st, &v);
                s.values.push_back(v);
            }
        d3d->GetFVF(&s.fvf);
        d3d->GetVertexDeclaration(&s.declaration);
        d3d->GetVertexShader(&s.vertexShader);
        d3d->GetPixelShader(&s.pixelShader);
        // Only the identities matter here; drop the references Get* took.
        if (s.declaration) s.declaration->Release();
        if (s.vertexShader) s.vertexShader->Release();
        if (s.pixelShader) s.pixelShader->Release();
        return s;
    }
};

} // namespace

TEST_F(LineDrawing, FillRectOfHeightZeroIsOneRow)
{
    Picture p = frame([] { dev()->FillRect(10, 10, 0, 5, 255, 255, 255, 255); });
    EXPECT_GE(p.count(0xFFFFFF, 10, 10, 16, 11), 5);
    EXPECT_EQ(LitPixels(p), LitPixels(p, 10, 10, 16, 11));
}

TEST_F(LineDrawing, FillRectWithAlphaIsEvenAndCoversHeightPlusOneRows)
{
    dev()->SetBackgroundColor(0.0f, 0.0f, 0.0f);
    Picture p = frame([] { dev()->FillRect(100, 100, 49, 80, 255, 0, 0, 128); });
    const uint32_t inside = p.rgb(140, 120);
    // Half-transparent red over black, and every row blended once: no row lies over another.
    EXPECT_NEAR(double(inside >> 16), 128.0, 2.0);
    EXPECT_EQ(inside & 0xFFFF, 0u);
    EXPECT_EQ(p.count(inside, 100, 100, 180, 150), 80 * 50);
    EXPECT_EQ(LitPixels(p, 0, 0, 1024, 100), 0);
    EXPECT_EQ(LitPixels(p, 0, 151, 1024, 768), 0);
    EXPECT_EQ(LitPixels(p, 0, 0, 100, 768), 0);
    EXPECT_EQ(LitPixels(p, 181, 0, 1024, 768), 0);
}

TEST_F(LineDrawing, FillRectBeyondTheScreenStopsAtItsEdge)
{
    Picture p = frame([] { dev()->FillRect(900, 700, 2000000000, 200, 0, 255, 0, 255); });
    EXPECT_EQ(p.count(0x00FF00, 900, 700, 1024, 768), 124 * 68);
    EXPECT_EQ(LitPixels(p, 0, 0, 1024, 700), 0);
}

TEST_F(LineDrawing, LinesHaveTheirWidthColourAndPlace)
{
    Picture p = frame([] {
        dev()->DrawLine(50, 300, 250, 300, 4, 0, 0, 255, 255);    // horizontal, four rows
        dev()->DrawLine(600, 100, 600, 200, 1, 0, 255, 0, 255);   // vertical, one column
        dev()->DrawLine(300, 400, 400, 500, 2, 255, 255, 0, 255); // diagonal
    });
    EXPECT_EQ(p.count(0x0000FF, 50, 298, 250, 302), 200 * 4);
    EXPECT_EQ(p.count(0x0000FF), 200 * 4);
    EXPECT_EQ(p.count(0x00FF00, 600, 100, 601, 200), 100);
    EXPECT_EQ(p.count(0x00FF00), 100);
    int diagonal = 0, strayDiagonal = 0;
    for (int y = 380; y < 520; ++y)
        for (int x = 280; x < 420; ++x)
            if (p.rgb(x, y) == 0xFFFF00) {
                ++diagonal;
                strayDiagonal += DistanceToSegment(float(x), float(y), 300, 400, 400, 500) > 1.5f;
            }
    EXPECT_NEAR(diagonal, 141 * 2, 40);
    EXPECT_EQ(strayDiagonal, 0);
    EXPECT_EQ(p.count(0xFFFF00), diagonal);
}

TEST_F(LineDrawing, LineAlphaBlends)
{
    Picture p = frame([] { dev()->DrawLine(10, 50, 110, 50, 1, 255, 255, 255, 64); });
    const uint32_t px = p.rgb(60, 50);
    EXPECT_NEAR(double(px & 0xFF), 64.0, 2.0);
    EXPECT_EQ(p.count(px, 10, 50, 110, 51), 100);
}

TEST_F(LineDrawing, RectOutlineDrawsFourEdgesAndLeavesTheInsideAlone)
{
    Picture p = frame([] { dev()->DrawRectOutline(20, 20, 220, 120, 2, 200, 200, 200, 255); });
    const uint32_t grey = 0xC8C8C8;
    EXPECT_GE(p.count(grey, 20, 19, 220, 21), 190);   // top
    EXPECT_GE(p.count(grey, 20, 119, 220, 121), 190); // bottom
    EXPECT_GE(p.count(grey, 19, 20, 21, 120), 90);    // left
    EXPECT_GE(p.count(grey, 219, 20, 221, 120), 90);  // right
    EXPECT_EQ(LitPixels(p, 22, 22, 218, 118), 0);
    EXPECT_EQ(LitPixels(p) - LitPixels(p, 18, 18, 223, 123), 0);
    EXPECT_EQ(p.count(grey), LitPixels(p));
}

TEST_F(LineDrawing, LineDrawingLeavesTheDeviceStatesAsTheyWere)
{
    IDirect3DDevice9* d3d = device_->d3d();
    BeginBlackFrame(dev());
    // States unlike the ones lines need, so that a missing restore shows.
    d3d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d3d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    d3d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    const DeviceStates before = DeviceStates::Read(d3d);
    ASSERT_NE(before.vertexShader, nullptr); // the built-in shader of the shader path
    dev()->DrawLine(10, 10, 200, 10, 3, 255, 255, 255, 255);
    dev()->DrawRectOutline(10, 20, 100, 80, 1, 255, 255, 255, 255);
    dev()->FillRect(10, 100, 5, 50, 255, 255, 255, 128);
    const DeviceStates after = DeviceStates::Read(d3d);
    Picture p = EndFrameAndRead(dev());
    EXPECT_GT(LitPixels(p), 300);
    EXPECT_EQ(after.values, before.values);
    EXPECT_EQ(after.fvf, before.fvf);
    EXPECT_EQ(after.declaration, before.declaration);
    EXPECT_EQ(after.vertexShader, before.vertexShader);
    EXPECT_EQ(after.pixelShader, before.pixelShader);
    d3d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}

TEST_F(LineDrawing, DegenerateLinesDrawNothing)
{
    Picture p = frame([] {
        dev()->DrawLine(100, 100, 100, 100, 5, 255, 255, 255, 255); // no length
        dev()->DrawLine(100, 200, 300, 200, 0, 255, 255, 255, 255); // no width
        dev()->FillRect(100, 300, 10, 0, 255, 255, 255, 255);       // no width
        dev()->FillRect(100, 400, -5, 50, 255, 255, 255, 255);      // no rows
    });
    EXPECT_EQ(LitPixels(p), 0);
}

TEST_F(LineDrawing, PointsGoThroughTheCurrentTransforms)
{
    IDirect3DDevice9* d3d = device_->d3d();
    const float w = float(dev()->GetScreenWidth()), h = float(dev()->GetScreenHeight());
    // World matrix chosen so that world x view x projection maps pixels to clip space.
    const D3DXMATRIX pixelsToClip(2.0f / w, 0, 0, 0, 0, -2.0f / h, 0, 0, 0, 0, 1, 0, -1, 1, 0, 1);
    D3DXMATRIX viewProj = dev()->m_view * dev()->m_projPerspective[0], inverse, world;
    ASSERT_NE(D3DXMatrixInverse(&inverse, nullptr, &viewProj), nullptr);
    world = pixelsToClip * inverse;
    dev()->SetWorldMatrix(&world);
    // The built-in shader colours vertices from register 4.
    const float red[4] = {1, 0, 0, 1};
    d3d->SetVertexShaderConstantF(4, red, 1);
    DWORD colorOp = 0, colorArg = 0;
    d3d->GetTextureStageState(0, D3DTSS_COLOROP, &colorOp);
    d3d->GetTextureStageState(0, D3DTSS_COLORARG1, &colorArg);
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);

    Picture p = frame([] {
        dev()->DrawPoint(37, 41, 0, 0, 255, 0, 255);
        dev()->DrawPoint(500, 300, 0, 0, 255, 0, 255);
    });
    DWORD fvf = 0;
    d3d->GetFVF(&fvf);
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, colorOp);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG1, colorArg);
    dev()->SetWorldMatrix(nullptr);
    dev()->ActivateVertexShader(0, 1);

    EXPECT_EQ(fvf, DWORD(D3DFVF_XYZ | D3DFVF_DIFFUSE));
    EXPECT_EQ(p.rgb(37, 41), 0xFF0000u);
    EXPECT_EQ(p.rgb(500, 300), 0xFF0000u);
    EXPECT_EQ(LitPixels(p), 2);
}

TEST_F(LineDrawing, OutlineEdgesComeBottomTopLeftRightAndAFlatFillIsOneLine)
{
    // Where the line object refuses to draw (here), every line is one strip of four
    // pre-transformed vertices; the recording shows each line's centre and width.
    IDirect3DDevice9* real = dev()->m_device;
    RecordingDevice proxy(real);
    dev()->m_device = proxy.device();
    BeginBlackFrame(dev());
    proxy.clear();
    dev()->DrawRectOutline(0, 0, 10, 10, 1, 255, 255, 255, 255);
    dev()->FillRect(10, 10, 0, 5, 255, 255, 255, 255);
    std::vector<RecordedCall> draws = proxy.named("DrawPrimitiveUP");
    dev()->m_device = real;
    EndFrameAndRead(dev());

    struct Line { float x0, y0, x1, y1, width; };
    const Line expected[] = {{0, 10, 10, 10, 1}, {0, 0, 10, 0, 1}, {0, 10, 0, 0, 1}, {10, 10, 10, 0, 1},
                             {10, 10, 15, 10, 1}};
    ASSERT_EQ(draws.size(), 5u) << proxy.dump();
    for (size_t i = 0; i < draws.size(); ++i) {
        ASSERT_EQ(draws[i].arg(0), uint64_t(D3DPT_TRIANGLESTRIP));
        ASSERT_EQ(draws[i].arg(1), 2u);
        ASSERT_EQ(draws[i].data.size(), 4 * 20u);
        float v[4][5];
        memcpy(v, draws[i].data.data(), sizeof v); // x, y, z, rhw, colour per vertex
        const float x0 = (v[0][0] + v[1][0]) / 2, y0 = (v[0][1] + v[1][1]) / 2;
        const float x1 = (v[2][0] + v[3][0]) / 2, y1 = (v[2][1] + v[3][1]) / 2;
        const float width = std::hypot(v[0][0] - v[1][0], v[0][1] - v[1][1]);
        EXPECT_FLOAT_EQ(x0, expected[i].x0) << "line " << i;
        EXPECT_FLOAT_EQ(y0, expected[i].y0) << "line " << i;
        EXPECT_FLOAT_EQ(x1, expected[i].x1) << "line " << i;
        EXPECT_FLOAT_EQ(y1, expected[i].y1) << "line " << i;
        EXPECT_FLOAT_EQ(width, expected[i].width) << "line " << i;
    }
}

// Kept last in this file: the device is reset here, which puts its states back to defaults.
TEST_F(LineDrawing, LineObjectIsAskedOncePerDeviceAndAgainAfterAResetForTheSamePicture)
{
    // Asking the line object shows through the state block its Begin takes here. Only the
    // first line after a reset asks it (it cannot draw on this platform); every frame shows
    // the same picture whether the line object was asked or not.
    IDirect3DDevice9* real = dev()->m_device;
    RecordingDevice proxy(real);
    auto draw = [&](size_t& asked) {
        dev()->m_device = proxy.device();
        BeginBlackFrame(dev());
        proxy.clear();
        dev()->DrawRectOutline(20, 20, 220, 120, 2, 200, 200, 200, 255);
        dev()->FillRect(300, 50, 30, 60, 255, 0, 0, 128);
        dev()->DrawLine(50, 300, 250, 340, 3, 0, 0, 255, 255);
        asked = proxy.count("CreateStateBlock");
        dev()->m_device = real;
        return EndFrameAndRead(dev());
    };
    size_t asked = 0;
    const Picture before = draw(asked);
    EXPECT_GT(LitPixels(before), 1000);
    ASSERT_EQ(dev()->ResetDevice(), D3D_OK);
    EXPECT_TRUE(draw(asked).pixels == before.pixels);
    EXPECT_EQ(asked, 1u);
    EXPECT_TRUE(draw(asked).pixels == before.pixels);
    EXPECT_EQ(asked, 0u);
    ASSERT_EQ(dev()->ResetDevice(), D3D_OK);
    EXPECT_TRUE(draw(asked).pixels == before.pixels);
    EXPECT_EQ(asked, 1u);
}
