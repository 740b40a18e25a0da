#include "OXELamp.h"
#include <cstring>

OXELightProperties::OXELightProperties() {}

OXELamp::OXELamp() { init(D3DLIGHT_POINT); }

OXELamp::~OXELamp() {}

void OXELamp::init(D3DLIGHTTYPE type)
{
    init(type, 1, 1, 1); // diffuse 1.0, 1.0, 1.0 from the bytes (1, 1, 1)
}

void OXELamp::init(D3DLIGHTTYPE type, BYTE r, BYTE g, BYTE b)
{
    on = true;
    memset(&light, 0, sizeof(light));
    light.Type = type;
    diffuseBytes[0] = r;
    diffuseBytes[1] = g;
    diffuseBytes[2] = b;
    light.Diffuse.r = float(r);
    light.Diffuse.g = float(g);
    light.Diffuse.b = float(b);
    light.Diffuse.a = 0.0f;
    direction = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
}

void OXELamp::setDiffuse(BYTE r, BYTE g, BYTE b)
{
    diffuseBytes[0] = r;
    diffuseBytes[1] = g;
    diffuseBytes[2] = b;
    light.Diffuse.r = float(r);
    light.Diffuse.g = float(g);
    light.Diffuse.b = float(b);
}

void OXELamp::setAmbient(BYTE r, BYTE g, BYTE b)
{
    light.Ambient.r = float(r);
    light.Ambient.g = float(g);
    light.Ambient.b = float(b);
}

void OXELamp::setDirection(D3DXVECTOR3 v) { direction = v; }

void OXELamp::apply(IDirect3DDevice9* device)
{
    device->LightEnable(0, on ? TRUE : FALSE);
    device->SetLight(0, &light);
}

void OXELamp::setLightOn(IDirect3DDevice9* device, bool lightOn)
{
    on = lightOn;
    if (device) apply(device);
}

void OXELamp::update(IDirect3DDevice9* device)
{
    D3DXVECTOR3 unit;
    D3DXVec3Normalize(&unit, &direction);
    light.Direction = unit;
    if (device) apply(device);
}

void OXELamp::setLightProperties(OXELightProperties p)
{
    light.Ambient = D3DCOLORVALUE{p.ambient[0], p.ambient[1], p.ambient[2], p.ambient[3]};
    light.Diffuse = D3DCOLORVALUE{p.diffuse[0], p.diffuse[1], p.diffuse[2], p.diffuse[3]};
    light.Specular = D3DCOLORVALUE{p.specular[0], p.specular[1], p.specular[2], p.specular[3]};
    light.Attenuation0 = p.attenuation0;
    light.Attenuation1 = p.attenuation1;
    light.Attenuation2 = p.attenuation2;
    light.Position = D3DVECTOR{p.position[0], p.position[1], p.position[2]};
    light.Direction = D3DVECTOR{p.direction[0], p.direction[1], p.direction[2]};
    light.Falloff = p.falloff;
    light.Phi = p.phi;
    light.Range = p.range;
    light.Theta = p.theta;
}

OXELightProperties OXELamp::getLightProp()
{
    OXELightProperties p;
    const D3DCOLORVALUE* colours[3] = {&light.Ambient, &light.Diffuse, &light.Specular};
    float* targets[3] = {p.ambient, p.diffuse, p.specular};
    for (int k = 0; k < 3; ++k) {
        targets[k][0] = colours[k]->r;
        targets[k][1] = colours[k]->g;
        targets[k][2] = colours[k]->b;
        targets[k][3] = colours[k]->a;
    }
    p.attenuation0 = light.Attenuation0;
    p.attenuation1 = light.Attenuation1;
    p.attenuation2 = light.Attenuation2;
    p.position[0] = light.Position.x;
    p.position[1] = light.Position.y;
    p.position[2] = light.Position.z;
    p.direction[0] = light.Direction.x;
    p.direction[1] = light.Direction.y;
    p.direction[2] = light.Direction.z;
    p.falloff = light.Falloff;
    p.phi = light.Phi;
    p.range = light.Range;
    p.theta = light.Theta;
    return p;
}
