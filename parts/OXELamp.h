/// \file
/// OXELamp: a fixed-function light on light index 0; OXELightProperties: its numbers at once.
#pragma once
#include "PelmoraPartsApi.h"
#include <d3dx9.h>

/// All of a light's numbers but its type (25 floats), for reading and writing them at once
/// (OXELamp::getLightProp, OXELamp::setLightProperties).
struct PELMORA_PARTS_API OXELightProperties {
    /// Sets nothing: every field is undefined until written.
    OXELightProperties();

    float ambient[4];     ///< red, green, blue, alpha
    float diffuse[4];     ///< red, green, blue, alpha
    float specular[4];    ///< red, green, blue, alpha
    float attenuation0;   ///< constant attenuation
    float attenuation1;   ///< linear attenuation
    float attenuation2;   ///< quadratic attenuation
    float position[3];    ///< x, y, z
    float direction[3];   ///< x, y, z
    float falloff;        ///< spot falloff
    float phi;            ///< spot outer cone angle
    float range;          ///< light range
    float theta;          ///< spot inner cone angle
};

/// A fixed-function light of any type on light index 0, with byte colour setters.
///
/// Use: construct or init, set colours and direction, update (or setLightOn) on the device to
/// apply it. It owns nothing. Note: colour bytes are stored in the light unscaled: 255 becomes
/// 255.0, not 1.0, a light 255 times brighter than full white; init's default bytes (1, 1, 1)
/// give white. Note: init leaves range and attenuation 0, so a point or spot light lights
/// nothing until setLightProperties gives them (a directional light needs neither). Note: it is
/// always light 0: two lamps applied to one device overwrite each other.
class PELMORA_PARTS_API OXELamp {
public:
    /// A white (1.0) point light, on, direction (1, 1, 1); as init(D3DLIGHT_POINT).
    OXELamp();
    /// Does nothing.
    ~OXELamp();

    /// Starts over as a light of that type: everything 0, diffuse (1, 1, 1), on, direction (1, 1, 1).
    void init(D3DLIGHTTYPE type);
    /// Starts over as a light of that type with diffuse (r, g, b) stored unscaled (alpha 0), on,
    /// direction (1, 1, 1).
    void init(D3DLIGHTTYPE type, BYTE r, BYTE g, BYTE b);
    /// Diffuse red, green, blue = r, g, b unscaled (alpha kept); applied at the next update.
    void setDiffuse(BYTE r, BYTE g, BYTE b);
    /// Ambient red, green, blue = r, g, b unscaled; applied at the next update.
    void setAmbient(BYTE r, BYTE g, BYTE b);
    /// Stores the direction; update normalises it into the light.
    void setDirection(D3DXVECTOR3 v);
    /// Stores the switch, enables or disables light 0 and sets it from `light` (the device part
    /// only with a device).
    void setLightOn(IDirect3DDevice9* device, bool lightOn);
    /// Copies the normalised direction into `light`, then applies it as setLightOn does.
    ///
    /// Note: this replaces a direction given by setLightProperties.
    void update(IDirect3DDevice9* device);
    /// Copies the 25 numbers into `light`; type, direction, on and the bytes are untouched.
    void setLightProperties(OXELightProperties p);
    /// The 25 numbers of `light`.
    OXELightProperties getLightProp();

    D3DLIGHT9 light;       ///< what is given to the device as light 0
    D3DXVECTOR3 direction; ///< direction before normalising; copied into light by update
    bool on;               ///< light 0 enabled
    BYTE diffuseBytes[3];  ///< red, green, blue as last given to init or setDiffuse

private:
    void apply(IDirect3DDevice9* device);
};

static_assert(sizeof(OXELightProperties) == 25 * sizeof(float), "25 floats, nothing else");
