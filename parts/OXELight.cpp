#include "OXELight.h"
#include <cstring>

OXELight::OXELight()
{
    // Zero rather than leave garbage: an Update before Initialize then sets a black light.
    memset(&light, 0, sizeof(light));
    transform.Reset();
}

OXELight::~OXELight() { transform.Reset(); }

int OXELight::Initialize()
{
    memset(&light, 0, sizeof(light));
    light.Type = D3DLIGHT_SPOT;
    light.Diffuse.r = light.Diffuse.g = light.Diffuse.b = 1.0f;
    light.Direction = D3DVECTOR{0.0f, -0.5f, 1.0f};
    light.Range = 1000.0f;
    light.Falloff = 1.0f;
    light.Attenuation0 = 1.0f;
    light.Theta = 0.17453292f;
    light.Phi = 0.2617994f;
    return 1;
}

void OXELight::Update(IDirect3DDevice9* device)
{
    if (!device) return;
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0xFF646464);
    device->LightEnable(0, TRUE);
    D3DMATERIAL9 white = {};
    white.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    white.Ambient = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    device->SetMaterial(&white);
    device->LightEnable(0, TRUE);
    device->SetLight(0, &light);
}
