// OXELamp: a fixed-function light of any type on light index 0, with byte colour setters.
// Colour bytes are stored in the light unscaled (255 stays 255.0, not 1.0).
// OXELightProperties: all of a light's numbers but its type, for reading and writing at once.
#pragma once
#include "PelmoraPartsApi.h"
#include <d3dx9.h>

struct PELMORA_PARTS_API OXELightProperties {
    OXELightProperties(); // sets nothing

    float ambient[4];     // red, green, blue, alpha
    float diffuse[4];     // red, green, blue, alpha
    float specular[4];    // red, green, blue, alpha
    float attenuation0;   // constant attenuation
    float attenuation1;   // linear attenuation
    float attenuation2;   // quadratic attenuation
    float position[3];    // x, y, z
    float direction[3];   // x, y, z
    float falloff;        // spot falloff
    float phi;            // spot outer cone angle
    float range;          // light range
    float theta;          // spot inner cone angle
};

class PELMORA_PARTS_API OXELamp {
public:
    OXELamp(); // a white point light, on
    ~OXELamp();

    void init(D3DLIGHTTYPE type);
    void init(D3DLIGHTTYPE type, BYTE r, BYTE g, BYTE b);
    void setDiffuse(BYTE r, BYTE g, BYTE b);
    void setAmbient(BYTE r, BYTE g, BYTE b);
    void setDirection(D3DXVECTOR3 v); // used by the next update
    // Stores the switch, enables or disables light 0 and sets it from `light`.
    void setLightOn(IDirect3DDevice9* device, bool lightOn);
    // Copies the normalised direction into `light`, then applies it as setLightOn does.
    void update(IDirect3DDevice9* device);
    void setLightProperties(OXELightProperties p);
    OXELightProperties getLightProp();

    D3DLIGHT9 light;       // what is given to the device as light 0
    D3DXVECTOR3 direction; // direction before normalising; copied into light by update
    bool on;               // light 0 enabled
    BYTE diffuseBytes[3];  // red, green, blue as last given to init or setDiffuse

private:
    void apply(IDirect3DDevice9* device);
};

static_assert(sizeof(OXELightProperties) == 25 * sizeof(float), "25 floats, nothing else");
