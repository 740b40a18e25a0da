// The fixture of the drawing tests: a real render device started on a test window, with its
// Direct3D device wrapped in a recording proxy, and a skin manager and vertex cache manager of
// the test's own built on that proxy. The render device's own managers are swapped out for the
// test's, so its state operations (which flush the vertex cache) reach the ones under test.
#pragma once
#include <gtest/gtest.h>
#include "OXED3D.h"
#include "OXED3DSkinManager.h"
#include "OXED3DVCManager.h"
#include "VertexCache.h"
#include "OXEResult.h"
#include "RecordingDevice.h"
#include "TestDevice.h"
#include "ManagerTestSupport.h"
#include <memory>
#include <string>
#include <vector>

namespace managertests {

// The render device with a record of the calls the managers make on it.
class ProbeRenderDevice : public OXED3D {
public:
    explicit ProbeRenderDevice(HINSTANCE module) : OXED3D(module) {}
    struct ShaderConstant {
        int shaderKind, dataKind;
        UINT reg, count;
        float values[4];
    };
    std::vector<ShaderConstant> shaderConstants; // SetShaderConstant calls (float data)
    std::vector<UINT> skinsSet;                   // SetCurrentSkin arguments
    std::vector<int> vertexShaderKinds;           // ActivateVertexShader kinds
    std::vector<bool> enableShaders;              // EnableShaders arguments

    HRESULT SetShaderConstant(int shaderKind, int dataKind, UINT reg, UINT count,
                              const void* data) override
    {
        ShaderConstant c = {shaderKind, dataKind, reg, count, {0, 0, 0, 0}};
        if (data && dataKind == 2 && count >= 1) memcpy(c.values, data, sizeof c.values);
        shaderConstants.push_back(c);
        return OXED3D::SetShaderConstant(shaderKind, dataKind, reg, count, data);
    }
    void SetCurrentSkin(UINT id) override
    {
        skinsSet.push_back(id);
        OXED3D::SetCurrentSkin(id);
    }
    HRESULT ActivateVertexShader(UINT id, int kind) override
    {
        vertexShaderKinds.push_back(kind);
        return OXED3D::ActivateVertexShader(id, kind);
    }
    void EnableShaders(bool on) override
    {
        enableShaders.push_back(on);
        OXED3D::EnableShaders(on);
    }
    void forget()
    {
        shaderConstants.clear();
        skinsSet.clear();
        vertexShaderKinds.clear();
        enableShaders.clear();
    }
};

class DrawTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Skins.
    UINT SolidSkin(const D3DCOLORVALUE& ambient);
    UINT TexturedSkin(const char* file, uint32_t rgb, bool alpha = false, float alphaValue = 1.0f,
                      const D3DCOLORVALUE* keys = nullptr, UINT keyCount = 0);
    // Fixed states for drawing in clip space: identity transforms, no culling, no depth,
    // lighting off, white ambient.
    void PlainStates();
    void SetMode(int mode) { rd_->m_renderMode = mode; }
    // Begins a scene cleared to colour; end() ends it and reads the back buffer.
    void begin(D3DCOLOR color);
    testsupport::Picture end();
    // Pixel at clip-space (x, y) of the picture.
    static uint32_t At(const testsupport::Picture& p, float x, float y);

    static testsupport::TestWindow* window_;
    static ProbeRenderDevice* rd_;
    std::unique_ptr<testsupport::RecordingDevice> rec_;
    std::unique_ptr<OXED3DSkinManager> skins_;
    std::unique_ptr<OXED3DVCManager> vc_;
    OXESkinManager* savedSkins_ = nullptr;
    OXEVertexCacheManager* savedVc_ = nullptr;
    IDirect3DDevice9* savedDevice_ = nullptr;
};

// Geometry helpers (clip-space coordinates: x, y in -1..1, z 0.5).
std::vector<OXEVertexLit> LitQuad(float x0, float y0, float x1, float y1, DWORD color);
std::vector<OXEVertexUnlit> UnlitQuad(float x0, float y0, float x1, float y1);
extern const WORD kQuadIndices[6];
std::vector<OXEVertexPosition> PositionTriangles(UINT count);

} // namespace managertests
