// The render device's own operations given ids, indices, codes, counts and sizes past their
// range or at their type's largest value, and null where a value is required: each is refused
// with its failure result or does nothing, the state read back through the interface stays as
// it was, and the device still draws afterwards.
#include "ClientDevice.h"
#include "OXEPlane.h"
#include <climits>
#include <cfloat>
#include <cmath>
#include <cstring>

using namespace argstest;

namespace {

class DeviceArgs : public ClientTest {};

bool SameMatrix(const D3DXMATRIX& a, const D3DXMATRIX& b) { return memcmp(&a, &b, sizeof a) == 0; }

DWORD RenderState(IDirect3DDevice9* d3d, D3DRENDERSTATETYPE state)
{
    DWORD value = 0xDEADBEEF;
    d3d->GetRenderState(state, &value);
    return value;
}

} // namespace

TEST_F(DeviceArgs, SecondStartOnARunningDeviceIsRefusedWhateverItsArguments)
{
    IDirect3DDevice9* before = d3d();
    const ULONG refs = References(before);
    const std::vector<Row> rows = {
        {"Init(null window, UINT_MAX, INT_MAX, ...)", [&] {
             EXPECT_EQ(dev()->Init(nullptr, UINT_MAX, INT_MAX, false, true), OXE_FAIL);
         }},
        {"Init(main window, 16, INT_MIN, fullscreen, ...)", [&] {
             EXPECT_EQ(dev()->Init(dev()->GetWindowHandle(), 16, INT_MIN, true, true), OXE_FAIL);
         }},
        {"InitWithDisplayMode(fullscreen, UINT_MAX, UINT_MAX, INT_MIN, hardware)", [&] {
             EXPECT_FALSE(dev()->InitWithDisplayMode(true, UINT_MAX, UINT_MAX, INT_MIN, true));
         }},
        {"InitWithDisplayMode(windowed, 0, 0, INT_MAX, reference)", [&] {
             EXPECT_FALSE(dev()->InitWithDisplayMode(false, 0, 0, INT_MAX, false));
         }},
    };
    RunRows(rows);
    EXPECT_EQ(d3d(), before);
    EXPECT_TRUE(dev()->IsRunning());
    EXPECT_TRUE(dev()->IsWindowed());
    EXPECT_EQ(References(before), refs);
    EXPECT_GT(Lit(Frame([&] { dev()->FillRect(10, 10, 10, 10, 255, 255, 255, 255); })), 0);
}

TEST_F(DeviceArgs, StartWithoutAWindowFailsAndLeavesTheDeviceStopped)
{
    // A device of the static library, so that the graphics library's current device stays
    // the client's.
    OXED3D fresh(GetModuleHandleA(nullptr));
    const std::vector<Row> rows = {
        {"Init(null window, 16, -1, windowed)", [&] {
             EXPECT_EQ(fresh.Init(nullptr, 16, -1, false, false), OXE_CREATEDEVICE);
             EXPECT_FALSE(fresh.IsRunning());
             EXPECT_EQ(fresh.GetD3DDevice(), nullptr);
             EXPECT_FALSE(fresh.m_stencil); // a negative stencil request asks for none
         }},
        {"InitWithDisplayMode(windowed, UINT_MAX, UINT_MAX, INT_MIN) without a window", [&] {
             EXPECT_FALSE(fresh.InitWithDisplayMode(false, UINT_MAX, UINT_MAX, INT_MIN, true));
             EXPECT_EQ(fresh.GetD3DDevice(), nullptr);
         }},
        {"InitWithDisplayMode(fullscreen, UINT_MAX, UINT_MAX, 16) without a window", [&] {
             EXPECT_FALSE(fresh.InitWithDisplayMode(true, UINT_MAX, UINT_MAX, 16, true));
             EXPECT_EQ(fresh.GetD3DDevice(), nullptr);
         }},
    };
    RunRows(rows);
    fresh.Release();
}

TEST_F(DeviceArgs, WindowSizesNoWindowCanHaveAreRefused)
{
    const UINT width = dev()->GetScreenWidth(), height = dev()->GetScreenHeight();
    RECT placed = {};
    GetWindowRect(dev()->GetWindowHandle(), &placed);
    const LONG style = GetWindowLongA(dev()->GetWindowHandle(), GWL_STYLE);
    const std::vector<Row> rows = {
        {"enableFullscreeMode(windowed, UINT_MAX, 480)", [&] {
             EXPECT_EQ(dev()->enableFullscreeMode(false, UINT_MAX, 480), OXE_INVALIDPARAM);
         }},
        {"enableFullscreeMode(windowed, 640, UINT_MAX)", [&] {
             EXPECT_EQ(dev()->enableFullscreeMode(false, 640, UINT_MAX), OXE_INVALIDPARAM);
         }},
        {"enableFullscreeMode(windowed, INT_MAX + 1, INT_MAX + 1)", [&] {
             EXPECT_EQ(dev()->enableFullscreeMode(false, UINT(INT_MAX) + 1u, UINT(INT_MAX) + 1u), OXE_INVALIDPARAM);
         }},
        {"enableFullscreeMode(windowed, INT_MAX, INT_MAX)", [&] {
             EXPECT_EQ(dev()->enableFullscreeMode(false, UINT(INT_MAX), UINT(INT_MAX)), OXE_INVALIDPARAM);
         }},
        {"enableFullscreeMode(fullscreen, UINT_MAX, UINT_MAX)", [&] {
             EXPECT_EQ(dev()->enableFullscreeMode(true, UINT_MAX, UINT_MAX), OXE_INVALIDPARAM);
         }},
    };
    RunRows(rows);
    EXPECT_EQ(dev()->GetScreenWidth(), width);
    EXPECT_EQ(dev()->GetScreenHeight(), height);
    EXPECT_TRUE(dev()->IsWindowed());
    RECT now = {};
    GetWindowRect(dev()->GetWindowHandle(), &now);
    EXPECT_EQ(now.right - now.left, placed.right - placed.left);
    EXPECT_EQ(now.bottom - now.top, placed.bottom - placed.top);
    EXPECT_EQ(GetWindowLongA(dev()->GetWindowHandle(), GWL_STYLE), style);
    EXPECT_GT(Lit(Frame([&] { dev()->FillRect(10, 10, 10, 10, 255, 255, 255, 255); })), 0);
}

TEST_F(DeviceArgs, NullPointersAreRefusedAndWriteNothing)
{
    const D3DXMATRIX view = *dev()->GetViewMatrix();
    const D3DXVECTOR3 v(1, 2, 3), w(0, 0, 1), up(0, 1, 0);
    const D3DXVECTOR3 position = *dev()->GetCameraPosition();
    const D3DXVECTOR3 target = *dev()->GetCameraTarget();
    const D3DXVECTOR3 sentinel(7, 7, 7);
    const POINT at = {INT_MAX, INT_MIN};
    const std::vector<Row> rows = {
        {"GetWireColor(null)", [&] { EXPECT_EQ(dev()->GetWireColor(nullptr), nullptr); }},
        {"GetResolution(null)", [&] { EXPECT_EQ(dev()->GetResolution(nullptr), nullptr); }},
        {"SetViewAxes(null, ...)", [&] { EXPECT_EQ(dev()->SetViewAxes(nullptr, &up, &w, &v), OXE_INVALIDPARAM); }},
        {"SetViewAxes(., null, ...)", [&] { EXPECT_EQ(dev()->SetViewAxes(&v, nullptr, &w, &v), OXE_INVALIDPARAM); }},
        {"SetViewAxes(., ., null, .)", [&] { EXPECT_EQ(dev()->SetViewAxes(&v, &up, nullptr, &v), OXE_INVALIDPARAM); }},
        {"SetViewAxes(., ., ., null)", [&] { EXPECT_EQ(dev()->SetViewAxes(&v, &up, &w, nullptr), OXE_INVALIDPARAM); }},
        {"SetViewFromTo(null, ., .)", [&] { EXPECT_EQ(dev()->SetViewFromTo(nullptr, &w, &up), OXE_INVALIDPARAM); }},
        {"SetViewFromTo(., null, .)", [&] { EXPECT_EQ(dev()->SetViewFromTo(&v, nullptr, &up), OXE_INVALIDPARAM); }},
        {"SetViewFromTo(., ., null)", [&] { EXPECT_EQ(dev()->SetViewFromTo(&v, &w, nullptr), OXE_INVALIDPARAM); }},
        {"ScreenToWorldRay(null point)", [&] {
             D3DXVECTOR3 o = sentinel, d = sentinel;
             dev()->ScreenToWorldRay(nullptr, &o, &d);
             EXPECT_TRUE(o == sentinel && d == sentinel);
         }},
        {"ScreenToWorldRay(null origin)", [&] {
             D3DXVECTOR3 d = sentinel;
             dev()->ScreenToWorldRay(&at, nullptr, &d);
             EXPECT_TRUE(d == sentinel);
         }},
        {"ScreenToWorldRay(null direction)", [&] {
             D3DXVECTOR3 o = sentinel;
             dev()->ScreenToWorldRay(&at, &o, nullptr);
             EXPECT_TRUE(o == sentinel);
         }},
        {"WorldToScreen(null out)", [&] { EXPECT_EQ(dev()->WorldToScreen(nullptr, &v), nullptr); }},
        {"WorldToScreen(out, null point)", [&] {
             POINT p = {5, 5};
             EXPECT_EQ(dev()->WorldToScreen(&p, nullptr), &p);
             EXPECT_EQ(p.x, 0);
             EXPECT_EQ(p.y, 0);
         }},
        {"SetCameraPosition(null)", [&] {
             dev()->SetCameraPosition(nullptr);
             EXPECT_TRUE(*dev()->GetCameraPosition() == position);
         }},
        {"SetCameraTarget(null)", [&] {
             dev()->SetCameraTarget(nullptr);
             EXPECT_TRUE(*dev()->GetCameraTarget() == target);
         }},
    };
    RunRows(rows);
    EXPECT_TRUE(SameMatrix(*dev()->GetViewMatrix(), view));
}

TEST_F(DeviceArgs, ExtremeScreenPointsGiveFiniteAnswers)
{
    const POINT corners[] = {{INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {0, 0}};
    for (const POINT& p : corners) {
        SCOPED_TRACE(testing::Message() << "ScreenToWorldRay(" << p.x << ", " << p.y << ")");
        D3DXVECTOR3 o, d;
        dev()->ScreenToWorldRay(&p, &o, &d);
        EXPECT_TRUE(std::isfinite(d.x) && std::isfinite(d.y) && std::isfinite(d.z));
        EXPECT_NEAR(sqrtf(d.x * d.x + d.y * d.y + d.z * d.z), 1.0f, 1e-3f);
    }
    // From the origin along z with y up (the view is the identity), through the stage's
    // perspective: x grows to the right, y upwards from the bottom edge, both from the centre.
    const D3DXMATRIX saved = layout()->m_view;
    D3DXVECTOR3 eye(0, 0, 0), at(0, 0, 1), up(0, 1, 0);
    ASSERT_EQ(dev()->SetViewFromTo(&eye, &at, &up), OXE_OK);
    D3DVIEWPORT9 vp = {};
    ASSERT_EQ(d3d()->GetViewport(&vp), D3D_OK);
    const LONG cx = LONG(vp.Width / 2), cy = LONG(vp.Height / 2);
    struct Case { D3DXVECTOR3 v; LONG x, y; } exact[] = {
        {D3DXVECTOR3(0, 0, 1e-30f), cx, cy},                  // straight ahead, however near
        {D3DXVECTOR3(0, 0, FLT_MAX), cx, cy},                 // or far
        {D3DXVECTOR3(1e30f, 1e30f, 1e-30f), LONG_MAX, LONG_MAX},   // past the right and top edges
        {D3DXVECTOR3(-1e30f, -1e30f, 1e-30f), LONG_MIN, LONG_MIN}, // past the left and bottom edges
        {D3DXVECTOR3(5, 7, 0), 0, 0},                         // on the eye's plane: no position
    };
    for (const Case& c : exact) {
        SCOPED_TRACE(testing::Message() << "WorldToScreen(" << c.v.x << ", " << c.v.y << ", " << c.v.z << ")");
        POINT q = {1, 1};
        EXPECT_EQ(dev()->WorldToScreen(&q, &c.v), &q);
        EXPECT_EQ(q.x, c.x);
        EXPECT_EQ(q.y, c.y);
    }
    // Right of and below the centre, however far.
    const D3DXVECTOR3 distant(FLT_MAX, -FLT_MAX, FLT_MAX);
    POINT q = {1, 1};
    EXPECT_EQ(dev()->WorldToScreen(&q, &distant), &q);
    EXPECT_GT(q.x, cx);
    EXPECT_LT(q.y, cy);

    // The view the device had before, for the cases after this one.
    D3DXMATRIX inverse;
    ASSERT_NE(D3DXMatrixInverse(&inverse, nullptr, &saved), nullptr);
    D3DXVECTOR3 right(saved._11, saved._21, saved._31), upAxis(saved._12, saved._22, saved._32),
        direction(saved._13, saved._23, saved._33), position(inverse._41, inverse._42, inverse._43);
    EXPECT_EQ(dev()->SetViewAxes(&right, &upAxis, &direction, &position), OXE_OK);
}

TEST_F(DeviceArgs, StateCodesOutsideTheirTablesChangeNothing)
{
    const DWORD cull = RenderState(d3d(), D3DRS_CULLMODE);
    const DWORD zenable = RenderState(d3d(), D3DRS_ZENABLE);
    const DWORD zwrite = RenderState(d3d(), D3DRS_ZWRITEENABLE);
    const int codes[] = {0, -1, INT_MAX, INT_MIN, 7};
    for (int code : codes) {
        SCOPED_TRACE(testing::Message() << "SetCullMode/SetDepthMode(" << code << ")");
        dev()->SetCullMode(code);
        dev()->SetDepthMode(code);
        EXPECT_EQ(RenderState(d3d(), D3DRS_CULLMODE), cull);
        EXPECT_EQ(RenderState(d3d(), D3DRS_ZENABLE), zenable);
        EXPECT_EQ(RenderState(d3d(), D3DRS_ZWRITEENABLE), zwrite);
    }

    // Texture operation codes outside the table record nothing, on the first and the last stage.
    const BYTE stages[] = {0, 7};
    const int opCodes[] = {-1, 1, 11, 14, INT_MAX, INT_MIN}; // 0, 12 and 13 are the table's
    for (BYTE stage : stages) {
        const D3DTEXTUREOP op = dev()->GetStageTextureOp(stage);
        for (int code : opCodes) {
            SCOPED_TRACE(testing::Message() << "SetStageTextureOp(" << int(stage) << ", " << code << ")");
            EXPECT_EQ(dev()->SetStageTextureOp(stage, code), OXE_OK);
            EXPECT_EQ(dev()->GetStageTextureOp(stage), op);
        }
    }

    // A light of an unknown type is not switched on (Direct3D has no light of type 0).
    OXELightRecord odd = {};
    odd.diffuse[0] = odd.diffuse[1] = odd.diffuse[2] = odd.diffuse[3] = 1.0f;
    odd.direction[2] = 1.0f;
    const int types[] = {3, -1, INT_MAX, INT_MIN};
    for (int type : types) {
        SCOPED_TRACE(testing::Message() << "SetLight(type " << type << ", 5)");
        odd.type = type;
        dev()->SetLight(&odd, 5);
        BOOL on = FALSE;
        d3d()->GetLightEnable(5, &on);
        EXPECT_FALSE(on);
    }
    // The largest light index is an index like any other.
    odd.type = 0;
    dev()->SetLight(&odd, 255);
    BOOL on = FALSE;
    EXPECT_EQ(d3d()->GetLightEnable(255, &on), D3D_OK);
    EXPECT_TRUE(on);
    dev()->SetLight(nullptr, 255);
    EXPECT_EQ(d3d()->GetLightEnable(255, &on), D3D_OK);
    EXPECT_FALSE(on);

    const std::vector<Row> rows = {
        {"IsDisplayModeAvailable(UINT_MAX, UINT_MAX, INT_MIN)", [&] {
             EXPECT_FALSE(dev()->IsDisplayModeAvailable(UINT_MAX, UINT_MAX, INT_MIN));
         }},
        {"IsDisplayModeAvailable(0, 0, INT_MAX)", [&] { EXPECT_FALSE(dev()->IsDisplayModeAvailable(0, 0, INT_MAX)); }},
        {"IsDisplayModeAvailable(UINT_MAX, 0, 16)", [&] { EXPECT_FALSE(dev()->IsDisplayModeAvailable(UINT_MAX, 0, 16)); }},
    };
    RunRows(rows);
}

TEST_F(DeviceArgs, StageViewportsWithNoAreaAreRefusedAndKept)
{
    OXED3D* d = layout();
    const OXEViewport kept = d->m_stageViewports[1];
    const D3DXMATRIX projection = d->m_projPerspective[1];
    const OXEViewport empty[] = {{0, 0, 0, 480}, {0, 0, 640, 0}, {UINT_MAX, UINT_MAX, 0, 0}};
    for (const OXEViewport& vp : empty) {
        SCOPED_TRACE(testing::Message() << "InitStage(viewport " << vp.width << " x " << vp.height << ", 1)");
        EXPECT_EQ(dev()->InitStage(0.8f, &vp, 1), OXE_INVALIDPARAM);
        EXPECT_EQ(memcmp(&d->m_stageViewports[1], &kept, sizeof kept), 0);
        EXPECT_TRUE(SameMatrix(d->m_projPerspective[1], projection));
    }
}

TEST_F(DeviceArgs, ShaderIdsAndVertexKindsPastTheirTablesAreRefused)
{
    if (!dev()->IsUsingShaders()) GTEST_SKIP() << "no shader path on this device";
    OXED3D* d = layout();
    IDirect3DVertexShader9* shaderBefore = nullptr;
    IDirect3DVertexDeclaration9* declBefore = nullptr;
    IDirect3DPixelShader9* pixelBefore = nullptr;
    d3d()->GetVertexShader(&shaderBefore);
    d3d()->GetVertexDeclaration(&declBefore);
    d3d()->GetPixelShader(&pixelBefore);
    const UINT vertexCount = d->m_vertexShaderCount;
    const UINT pixelCount = d->m_pixelShaderCount;
    const std::vector<Row> rows = {
        {"ActivateVertexShader(count, 1)", [&] { EXPECT_EQ(dev()->ActivateVertexShader(vertexCount, 1), OXE_INVALIDID); }},
        {"ActivateVertexShader(UINT_MAX, 1)", [&] { EXPECT_EQ(dev()->ActivateVertexShader(UINT_MAX, 1), OXE_INVALIDID); }},
        {"ActivateVertexShader(NoId, 2)", [&] { EXPECT_EQ(dev()->ActivateVertexShader(NoId, 2), OXE_INVALIDID); }},
        {"ActivateVertexShader(0, kind 0)", [&] { EXPECT_EQ(dev()->ActivateVertexShader(0, 0), OXE_INVALIDID); }},
        {"ActivateVertexShader(0, kind 3)", [&] { EXPECT_EQ(dev()->ActivateVertexShader(0, 3), OXE_INVALIDID); }},
        {"ActivateVertexShader(0, kind -1)", [&] { EXPECT_EQ(dev()->ActivateVertexShader(0, -1), OXE_INVALIDID); }},
        {"ActivateVertexShader(0, kind INT_MAX)", [&] { EXPECT_EQ(dev()->ActivateVertexShader(0, INT_MAX), OXE_INVALIDID); }},
        {"ActivateVertexShader(0, kind INT_MIN)", [&] { EXPECT_EQ(dev()->ActivateVertexShader(0, INT_MIN), OXE_INVALIDID); }},
        {"ActivatePixelShader(count)", [&] { EXPECT_EQ(dev()->ActivatePixelShader(pixelCount), OXE_INVALIDID); }},
        {"ActivatePixelShader(UINT_MAX)", [&] { EXPECT_EQ(dev()->ActivatePixelShader(UINT_MAX), OXE_INVALIDID); }},
    };
    RunRows(rows);
    IDirect3DVertexShader9* shaderAfter = nullptr;
    IDirect3DVertexDeclaration9* declAfter = nullptr;
    IDirect3DPixelShader9* pixelAfter = nullptr;
    d3d()->GetVertexShader(&shaderAfter);
    d3d()->GetVertexDeclaration(&declAfter);
    d3d()->GetPixelShader(&pixelAfter);
    EXPECT_EQ(shaderAfter, shaderBefore);
    EXPECT_EQ(declAfter, declBefore);
    EXPECT_EQ(pixelAfter, pixelBefore);
    for (IUnknown* u : {(IUnknown*)shaderBefore, (IUnknown*)declBefore, (IUnknown*)pixelBefore,
                        (IUnknown*)shaderAfter, (IUnknown*)declAfter, (IUnknown*)pixelAfter})
        if (u) u->Release();
}

TEST_F(DeviceArgs, ShaderSourcesThatAreMissingOrTooShortAddNoShader)
{
    OXED3D* d = layout();
    const UINT vertexCount = d->m_vertexShaderCount;
    const UINT pixelCount = d->m_pixelShaderCount;
    const ULONG refs = References(d3d());
    const DWORD shortCode[1] = {0xFFFE0101};         // a version token and nothing after it
    const DWORD refused[3] = {0xFFFE0101, 0x7777, 0x0000FFFF}; // an instruction Direct3D does not know
    const DWORD pixelAsVertex[2] = {0xFFFF0101, 0x0000FFFF};
    const std::vector<Row> rows = {
        {"LoadVertexShader(null text)", [&] {
             UINT id = 77;
             EXPECT_EQ(dev()->LoadVertexShader(nullptr, 0, false, false, &id), OXE_INVALIDPARAM);
             EXPECT_EQ(id, 77u);
         }},
        {"LoadVertexShader(null file name)", [&] { EXPECT_EQ(dev()->LoadVertexShader(nullptr, UINT_MAX, true, false, nullptr), OXE_INVALIDPARAM); }},
        {"LoadVertexShader(null compiled code)", [&] { EXPECT_EQ(dev()->LoadVertexShader(nullptr, 8, false, true, nullptr), OXE_INVALIDPARAM); }},
        {"LoadVertexShader(null compiled file name)", [&] { EXPECT_EQ(dev()->LoadVertexShader(nullptr, 0, true, true, nullptr), OXE_INVALIDPARAM); }},
        {"LoadPixelShader(null text)", [&] { EXPECT_EQ(dev()->LoadPixelShader(nullptr, 0, false, false, nullptr), OXE_INVALIDPARAM); }},
        {"LoadPixelShader(null compiled code)", [&] { EXPECT_EQ(dev()->LoadPixelShader(nullptr, UINT_MAX, false, true, nullptr), OXE_INVALIDPARAM); }},
        {"LoadVertexShader(refused compiled code, 4 bytes)", [&] { EXPECT_EQ(dev()->LoadVertexShader(refused, 4, false, true, nullptr), OXE_FAIL); }},
        {"LoadVertexShader(refused compiled code, length UINT_MAX)", [&] { EXPECT_EQ(dev()->LoadVertexShader(refused, UINT_MAX, false, true, nullptr), OXE_FAIL); }},
        {"LoadVertexShader(compiled pixel shader code)", [&] { EXPECT_EQ(dev()->LoadVertexShader(pixelAsVertex, sizeof pixelAsVertex, false, true, nullptr), OXE_FAIL); }},
        {"LoadPixelShader(compiled vertex shader code)", [&] { EXPECT_EQ(dev()->LoadPixelShader(shortCode, sizeof shortCode, false, true, nullptr), OXE_FAIL); }},
        {"LoadVertexShader(missing compiled file)", [&] { EXPECT_EQ(dev()->LoadVertexShader("no such shader.vso", 0, true, true, nullptr), OXE_FILENOTFOUND); }},
        {"LoadPixelShader(empty compiled file name)", [&] { EXPECT_EQ(dev()->LoadPixelShader("", 0, true, true, nullptr), OXE_FILENOTFOUND); }},
        {"LoadVertexShader(text, length 1: nothing but the terminator)", [&] { EXPECT_EQ(dev()->LoadVertexShader("vs.1.1\nmov oPos, v0\n", 1, false, false, nullptr), OXE_FAIL); }},
    };
    RunRows(rows);
    EXPECT_EQ(d->m_vertexShaderCount, vertexCount);
    EXPECT_EQ(d->m_pixelShaderCount, pixelCount);
    EXPECT_EQ(References(d3d()), refs);

    // A length at the type's largest value: the text is read only up to its terminator.
    UINT id = 77;
    ASSERT_EQ(dev()->LoadVertexShader("vs.1.1\ndcl_position0 v0\nmov oPos, v0\n", UINT_MAX, false, false, &id), OXE_OK);
    EXPECT_EQ(id, vertexCount);
    EXPECT_EQ(d->m_vertexShaderCount, vertexCount + 1);
    // Compiled code in memory ends at its end token: no length shortens or lengthens it.
    const char text[] = "vs.1.1\ndcl_position0 v0\nmov oPos, v0\n";
    ID3DXBuffer* code = nullptr;
    ASSERT_EQ(D3DXAssembleShader(text, sizeof text - 1, nullptr, nullptr, 0, &code, nullptr), D3D_OK);
    for (UINT length : {0u, 1u, UINT_MAX}) {
        EXPECT_EQ(dev()->LoadVertexShader(code->GetBufferPointer(), length, false, true, &id), OXE_OK) << length;
        EXPECT_EQ(id, d->m_vertexShaderCount - 1) << length;
    }
    code->Release();
    EXPECT_EQ(d->m_vertexShaderCount, vertexCount + 4);
}

TEST_F(DeviceArgs, ShaderConstantRegistersAndCountsPastTheDeviceAreRefused)
{
    OXED3D* d = layout();
    const float four[4] = {1, 2, 3, 4};
    const BOOL flags[1] = {TRUE};
    const int ints[4] = {1, 2, 3, 4};
    // Without the permission every call is refused the same way.
    EXPECT_EQ(dev()->SetShaderConstant(0, 2, UINT_MAX, UINT_MAX, nullptr), OXE_NOSHADERSUPPORT);

    d->m_shaderPermission = true; // nothing in the device grants it; the gates behind it are tested
    const std::vector<Row> rows = {
        {"vertex float register 19", [&] { EXPECT_EQ(dev()->SetShaderConstant(0, 2, 19, 1, four), OXE_INVALIDPARAM); }},
        {"vertex float register UINT_MAX", [&] { EXPECT_EQ(dev()->SetShaderConstant(0, 2, UINT_MAX, 1, four), OXE_FAIL); }},
        {"vertex float count UINT_MAX", [&] { EXPECT_EQ(dev()->SetShaderConstant(0, 2, 20, UINT_MAX, four), OXE_FAIL); }},
        {"vertex float register + count wrapping around", [&] { EXPECT_EQ(dev()->SetShaderConstant(0, 2, 0xFFFFFFF0u, 0x20, four), OXE_FAIL); }},
        {"vertex bool register UINT_MAX", [&] { EXPECT_EQ(dev()->SetShaderConstant(0, 0, UINT_MAX, 1, flags), OXE_FAIL); }},
        {"vertex int register UINT_MAX", [&] { EXPECT_EQ(dev()->SetShaderConstant(0, 1, UINT_MAX, 1, ints), OXE_FAIL); }},
        {"pixel float register UINT_MAX", [&] { EXPECT_EQ(dev()->SetShaderConstant(1, 2, UINT_MAX, 1, four), OXE_FAIL); }},
        {"pixel float count UINT_MAX", [&] { EXPECT_EQ(dev()->SetShaderConstant(1, 2, 0, UINT_MAX, four), OXE_FAIL); }},
        {"pixel int register + count wrapping around", [&] { EXPECT_EQ(dev()->SetShaderConstant(INT_MIN, 1, UINT_MAX, 2, ints), OXE_FAIL); }},
        {"data kind 3", [&] { EXPECT_EQ(dev()->SetShaderConstant(0, 3, 20, 1, four), OXE_FAIL); }},
        {"data kind -1", [&] { EXPECT_EQ(dev()->SetShaderConstant(0, -1, 20, 1, four), OXE_FAIL); }},
        {"data kind INT_MAX", [&] { EXPECT_EQ(dev()->SetShaderConstant(INT_MAX, INT_MAX, 0, 1, four), OXE_FAIL); }},
        {"null data", [&] { EXPECT_EQ(dev()->SetShaderConstant(0, 2, 20, 1, nullptr), OXE_INVALIDPARAM); }},
        {"the first caller register works", [&] { EXPECT_EQ(dev()->SetShaderConstant(0, 2, 20, 1, four), OXE_OK); }},
    };
    RunRows(rows);
    d->m_shaderPermission = false;
}

TEST_F(DeviceArgs, FontSizesBeyondAnyPixelHeightAreRefused)
{
    OXED3D* d = layout();
    const UINT listCount = d->m_fontCount;
    const ULONG refs = References(d3d());
    const std::vector<Row> rows = {
        {"CreateArialFont(point size INT_MAX)", [&] {
             UINT id = 77;
             EXPECT_EQ(dev()->CreateArialFont(0, 400, false, 0, 0, INT_MAX, &id), OXE_INVALIDPARAM);
             EXPECT_EQ(id, 77u);
         }},
        {"CreateArialFont(point size INT_MIN)", [&] {
             UINT id = 77;
             EXPECT_EQ(dev()->CreateArialFont(UINT_MAX, UINT_MAX, true, UINT_MAX, UINT_MAX, INT_MIN, &id), OXE_INVALIDPARAM);
             EXPECT_EQ(id, 77u);
         }},
    };
    RunRows(rows);
    EXPECT_EQ(d->m_fontCount, listCount);
    EXPECT_EQ(References(d3d()), refs);
}

TEST_F(DeviceArgs, ExtremeCoordinatesAndSizesDrawOnlyWhatIsOnScreen)
{
    const int W = int(dev()->GetScreenWidth()), H = int(dev()->GetScreenHeight());
    const std::vector<Row> rows = {
        {"FillRect(10, 10, height INT_MAX, 5)", [&] {
             testsupport::Picture p = Frame([&] { dev()->FillRect(10, 10, INT_MAX, 5, 255, 255, 255, 255); });
             EXPECT_EQ(Lit(p, 0, 0, W, 10), 0);
             EXPECT_GT(Lit(p, 10, H - 2, 16, H), 0); // down to the last row
             EXPECT_EQ(Lit(p, 20, 0, W, H), 0);
         }},
        {"FillRect(10, INT_MIN, height INT_MAX, 5): ends above the screen", [&] {
             EXPECT_EQ(Lit(Frame([&] { dev()->FillRect(10, INT_MIN, INT_MAX, 5, 255, 255, 255, 255); })), 0);
         }},
        {"FillRect(0, 0, height -1, 5): no rows", [&] {
             EXPECT_EQ(Lit(Frame([&] { dev()->FillRect(0, 0, -1, 5, 255, 255, 255, 255); })), 0);
         }},
        {"FillRect(INT_MAX, 0, 10, width INT_MAX)", [&] {
             EXPECT_EQ(Lit(Frame([&] { dev()->FillRect(INT_MAX, 0, 10, INT_MAX, 255, 255, 255, 255); })), 0);
         }},
        {"FillRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX)", [&] {
             EXPECT_EQ(Lit(Frame([&] { dev()->FillRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 255, 255, 255, 255); })), 0);
         }},
        {"DrawLine(INT_MIN, 100, INT_MAX, 100, 1)", [&] {
             testsupport::Picture p = Frame([&] { dev()->DrawLine(INT_MIN, 100, INT_MAX, 100, 1, 255, 255, 255, 255); });
             EXPECT_GT(Lit(p, 0, 99, 20, 102), 0);
             EXPECT_GT(Lit(p, W - 20, 99, W, 102), 0);
             EXPECT_EQ(Lit(p, 0, 110, W, H), 0);
         }},
        {"DrawLine(width INT_MIN)", [&] {
             EXPECT_EQ(Lit(Frame([&] { dev()->DrawLine(0, 0, 100, 100, INT_MIN, 255, 255, 255, 255); })), 0);
         }},
        {"DrawLine(width 0)", [&] {
             EXPECT_EQ(Lit(Frame([&] { dev()->DrawLine(0, 0, 100, 100, 0, 255, 255, 255, 255); })), 0);
         }},
        {"DrawRectOutline(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1): every edge off screen", [&] {
             EXPECT_EQ(Lit(Frame([&] { dev()->DrawRectOutline(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1, 255, 255, 255, 255); })), 0);
         }},
        {"DrawPoint(INT_MAX, INT_MIN, INT_MAX): off screen, where a point at the origin shows", [&] {
             // Through fixed-function identity transforms, unlit: the point's own colour.
             IDirect3DVertexShader9* shader = nullptr;
             d3d()->GetVertexShader(&shader);
             D3DMATRIX saved[3];
             const D3DTRANSFORMSTATETYPE kinds[3] = {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION};
             D3DMATRIX identity = {};
             identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
             for (int i = 0; i < 3; ++i) {
                 d3d()->GetTransform(kinds[i], &saved[i]);
                 d3d()->SetTransform(kinds[i], &identity);
             }
             const DWORD lighting = RenderState(d3d(), D3DRS_LIGHTING);
             d3d()->SetVertexShader(nullptr);
             d3d()->SetRenderState(D3DRS_LIGHTING, FALSE);
             const int origin = Lit(Frame([&] { dev()->DrawPoint(0, 0, 0, 255, 255, 255, 255); }));
             const int extreme = Lit(Frame([&] { dev()->DrawPoint(INT_MAX, INT_MIN, INT_MAX, 255, 255, 255, 255); }));
             d3d()->SetRenderState(D3DRS_LIGHTING, lighting);
             d3d()->SetVertexShader(shader);
             if (shader) shader->Release();
             for (int i = 0; i < 3; ++i) d3d()->SetTransform(kinds[i], &saved[i]);
             EXPECT_GT(origin, 0);
             EXPECT_EQ(extreme, 0);
         }},
        {"DrawTextWithFont(height INT_MAX, width UINT_MAX, weight UINT_MAX)", [&] {
             // The font made for the call goes with it; nothing lands above or left of (10, 10)
             // (the text's filtered edge may touch the pixel row and column next to it).
             const ULONG refs = References(d3d());
             testsupport::Picture p = Frame([&] { dev()->DrawTextWithFont("W", 10, 10, "Arial", INT_MAX, UINT_MAX, UINT_MAX, 255, 255, 255, 255); });
             EXPECT_EQ(References(d3d()), refs);
             EXPECT_EQ(Lit(p, 0, 0, W, 9), 0);
             EXPECT_EQ(Lit(p, 0, 0, 9, H), 0);
         }},
        {"DrawTextWithFont(height INT_MIN)", [&] {
             const ULONG refs = References(d3d());
             testsupport::Picture p = Frame([&] { dev()->DrawTextWithFont("W", 10, 10, "Arial", INT_MIN, 0, 400, 255, 255, 255, 255); });
             EXPECT_EQ(References(d3d()), refs);
             EXPECT_EQ(Lit(p, 0, 0, W, 9), 0);
             EXPECT_EQ(Lit(p, 0, 0, 9, H), 0);
         }},
        {"CreateFontInSlot(0, height INT_MAX, width UINT_MAX) then DrawTextAt", [&] {
             // D3DX's answer for that description comes back; the font it replaces is let go.
             ASSERT_EQ(dev()->CreateFontInSlot(0, "Arial", 20, 10, 400, false), D3D_OK);
             const ULONG refs = References(d3d());
             D3DXFONT_DESCA desc = {};
             desc.Height = INT_MAX;
             desc.Width = UINT_MAX;
             desc.Weight = UINT_MAX;
             desc.MipLevels = 1;
             desc.Italic = TRUE;
             desc.CharSet = DEFAULT_CHARSET;
             strcpy(desc.FaceName, "Arial");
             ID3DXFont* own = nullptr;
             const HRESULT d3dx = D3DXCreateFontIndirectA(d3d(), &desc, &own);
             if (own) own->Release();
             EXPECT_EQ(dev()->CreateFontInSlot(0, "Arial", INT_MAX, UINT_MAX, UINT_MAX, true), d3dx);
             EXPECT_EQ(layout()->m_fontTable[0] != nullptr, SUCCEEDED(d3dx));
             EXPECT_EQ(References(d3d()), refs - (SUCCEEDED(d3dx) ? 0 : 1));
             Frame([&] { dev()->DrawTextAt(0, "W", 0, 0, 255, 255, 255, 255); });
         }},
        {"DrawTextAt(font 0, text at INT_MAX, INT_MAX)", [&] {
             dev()->CreateFontInSlot(0, "Arial", 20, 10, 400, false);
             EXPECT_EQ(Lit(Frame([&] { dev()->DrawTextAt(0, "WWWW", INT_MAX, INT_MAX, 255, 255, 255, 255); })), 0);
         }},
    };
    RunRows(rows);
    // The device still draws.
    EXPECT_GT(Lit(Frame([&] { dev()->FillRect(10, 10, 10, 10, 255, 255, 255, 255); })), 0);
}
