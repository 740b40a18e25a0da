// Lamps and the spot light: what reaches the device as light 0 and its material, read back with
// GetLight / GetMaterial, and a lit quad drawn brighter than an unlit one.
#include "Parts2Test.h"
#include "OXELamp.h"
#include "OXELight.h"
#include "CMesh.h"
#include <gtest/gtest.h>

using namespace parts2test;

namespace {

class LightTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(D3D(), nullptr) << "no device"; }
    static D3DLIGHT9 Light0()
    {
        D3DLIGHT9 l = {};
        EXPECT_EQ(D3D()->GetLight(0, &l), D3D_OK);
        return l;
    }
    // Any non-zero answer means enabled (the runtime answers 128).
    static bool Light0On()
    {
        BOOL on = 0;
        EXPECT_EQ(D3D()->GetLightEnable(0, &on), D3D_OK);
        return on != FALSE;
    }
};

} // namespace

TEST_F(LightTest, LampStartsAsWhitePointLightAndStoresBytesUnscaled)
{
    OXELamp lamp;
    EXPECT_TRUE(lamp.on);
    EXPECT_EQ(lamp.light.Type, D3DLIGHT_POINT);
    EXPECT_EQ(lamp.light.Diffuse.r, 1.0f);
    EXPECT_EQ(lamp.light.Diffuse.a, 0.0f);
    EXPECT_EQ(lamp.diffuseBytes[0], 1);
    EXPECT_EQ(lamp.direction, D3DXVECTOR3(1, 1, 1));

    lamp.init(D3DLIGHT_DIRECTIONAL, 10, 20, 30);
    EXPECT_EQ(lamp.light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(lamp.light.Diffuse.g, 20.0f);
    lamp.light.Diffuse.a = 0.5f;
    lamp.setDiffuse(255, 128, 0);
    EXPECT_EQ(lamp.light.Diffuse.r, 255.0f);
    EXPECT_EQ(lamp.light.Diffuse.g, 128.0f);
    EXPECT_EQ(lamp.light.Diffuse.b, 0.0f);
    EXPECT_EQ(lamp.light.Diffuse.a, 0.5f);
    EXPECT_EQ(lamp.diffuseBytes[1], 128);
    lamp.setAmbient(1, 2, 3);
    EXPECT_EQ(lamp.light.Ambient.b, 3.0f);

    lamp.setDirection(D3DXVECTOR3(0, 0, 2));
    lamp.update(D3D());
    D3DLIGHT9 l = Light0();
    EXPECT_EQ(l.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(l.Diffuse.r, 255.0f);
    EXPECT_EQ(l.Ambient.g, 2.0f);
    EXPECT_NEAR(l.Direction.z, 1.0f, 1e-6f);
    EXPECT_EQ(Light0On(), true);

    lamp.setLightOn(D3D(), false);
    EXPECT_FALSE(lamp.on);
    EXPECT_EQ(Light0On(), false);
    lamp.update(D3D());
    EXPECT_EQ(Light0On(), false);
    lamp.setLightOn(D3D(), true);
    EXPECT_EQ(Light0On(), true);
}

TEST_F(LightTest, PropertiesRoundTripAndUpdateRenormalisesDirection)
{
    OXELamp lamp;
    OXELightProperties p;
    float* all = &p.ambient[0];
    for (int i = 0; i < 25; ++i) all[i] = float(i + 1);
    lamp.setLightProperties(p);
    EXPECT_EQ(lamp.light.Ambient.r, 1.0f);
    EXPECT_EQ(lamp.light.Diffuse.a, 8.0f);
    EXPECT_EQ(lamp.light.Specular.r, 9.0f);
    EXPECT_EQ(lamp.light.Attenuation2, 15.0f);
    EXPECT_EQ(lamp.light.Position.z, 18.0f);
    EXPECT_EQ(lamp.light.Direction.x, 19.0f);
    EXPECT_EQ(lamp.light.Falloff, 22.0f);
    EXPECT_EQ(lamp.light.Phi, 23.0f);
    EXPECT_EQ(lamp.light.Range, 24.0f);
    EXPECT_EQ(lamp.light.Theta, 25.0f);
    EXPECT_EQ(lamp.light.Type, D3DLIGHT_POINT);
    EXPECT_EQ(lamp.diffuseBytes[0], 1);

    OXELightProperties back = lamp.getLightProp();
    const float* got = &back.ambient[0];
    for (int i = 0; i < 25; ++i) EXPECT_EQ(got[i], float(i + 1)) << "number " << i;

    // update replaces the direction given in the properties by the lamp's own, normalised.
    lamp.setDirection(D3DXVECTOR3(3, 0, 4));
    lamp.update(D3D());
    D3DLIGHT9 l = Light0();
    EXPECT_NEAR(l.Direction.x, 0.6f, 1e-6f);
    EXPECT_NEAR(l.Direction.z, 0.8f, 1e-6f);
    EXPECT_EQ(l.Range, 24.0f);

    // A zero direction normalises to zero.
    lamp.setDirection(D3DXVECTOR3(0, 0, 0));
    lamp.update(D3D());
    EXPECT_EQ(lamp.light.Direction.x, 0.0f);
    EXPECT_EQ(lamp.light.Direction.y, 0.0f);
    EXPECT_EQ(lamp.light.Direction.z, 0.0f);
}

TEST_F(LightTest, TwoLampsShareLightZero)
{
    OXELamp a, b;
    a.init(D3DLIGHT_POINT, 5, 5, 5);
    b.init(D3DLIGHT_SPOT, 7, 7, 7);
    b.light.Range = 10.0f;
    b.light.Phi = 0.5f;
    b.light.Theta = 0.2f;
    a.update(D3D());
    b.update(D3D());
    D3DLIGHT9 l = Light0();
    EXPECT_EQ(l.Type, D3DLIGHT_SPOT);
    EXPECT_EQ(l.Diffuse.r, 7.0f);
    a.update(D3D());
    EXPECT_EQ(Light0().Diffuse.r, 5.0f);
}

TEST_F(LightTest, SpotLightAppliesItsValuesStatesAndWhiteMaterial)
{
    OXELight spot;
    EXPECT_EQ(spot.Initialize(), 1);
    D3D()->SetRenderState(D3DRS_LIGHTING, FALSE);
    D3D()->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    spot.Update(D3D());
    D3DLIGHT9 l = Light0();
    EXPECT_EQ(l.Type, D3DLIGHT_SPOT);
    EXPECT_EQ(l.Diffuse.g, 1.0f);
    EXPECT_EQ(l.Direction.y, -0.5f);
    EXPECT_EQ(l.Direction.z, 1.0f);
    EXPECT_EQ(l.Range, 1000.0f);
    EXPECT_EQ(l.Attenuation0, 1.0f);
    EXPECT_NEAR(l.Theta, 0.17453292f, 1e-7f);
    EXPECT_NEAR(l.Phi, 0.2617994f, 1e-7f);
    EXPECT_EQ(Light0On(), true);

    D3DMATERIAL9 m = {};
    ASSERT_EQ(D3D()->GetMaterial(&m), D3D_OK);
    EXPECT_EQ(m.Diffuse.r, 1.0f);
    EXPECT_EQ(m.Diffuse.a, 1.0f);
    EXPECT_EQ(m.Ambient.b, 1.0f);
    EXPECT_EQ(m.Specular.r, 0.0f);
    EXPECT_EQ(m.Emissive.g, 0.0f);
    DWORD v = 0;
    D3D()->GetRenderState(D3DRS_AMBIENT, &v);
    EXPECT_EQ(v, 0xFF646464u);
    D3D()->GetRenderState(D3DRS_LIGHTING, &v);
    EXPECT_EQ(v, DWORD(TRUE));
    D3D()->GetRenderState(D3DRS_SHADEMODE, &v);
    EXPECT_EQ(v, DWORD(D3DSHADE_GOURAUD));
}

TEST_F(LightTest, DirectionalLampLightsAQuad)
{
    ASSERT_TRUE(WriteBmp("whitetex.bmp", 4, 4, 0xFFFFFF, 0xFFFFFF));
    ASSERT_TRUE(testsupport::WriteFileText("greyquad.x", QuadX("whitetex.bmp", 0.5f, 0.5f, 0.5f)));
    CMesh mesh;
    ASSERT_EQ(mesh.Load(const_cast<char*>("greyquad.x"), D3D()), 1);
    CMeshInstance instance;
    instance.SetMesh(&mesh);

    auto draw = [&](bool lampOn) {
        BeginFrame(0xFF000000);
        SetPlainView();
        D3D()->SetRenderState(D3DRS_AMBIENT, 0);
        OXELamp lamp;
        lamp.init(D3DLIGHT_DIRECTIONAL); // diffuse 1.0 white
        lamp.setDirection(D3DXVECTOR3(0, 0, 1)); // shining along +z, onto the quad's -z face
        lamp.on = lampOn;
        lamp.update(D3D());
        instance.Render(D3D());
        return EndFrameAndRead().rgb(512, 384);
    };
    // Half-grey material under a full white light; black without it.
    EXPECT_TRUE(Near(draw(true), 0x808080, 2)) << std::hex << draw(true);
    EXPECT_EQ(draw(false), 0u);
}
