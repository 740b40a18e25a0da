/// \file
/// OXELight: a spot light on light index 0 with fixed start values.
#pragma once
#include "PelmoraPartsApi.h"
#include "CWorldTransform.h"
#include <d3dx9.h>

/// A spot light on light index 0 with fixed start values; applying it also sets solid Gouraud
/// lighting, a grey ambient light and a white material.
///
/// Use: construct, Initialize, Update on the device whenever the light should be (re)applied.
/// It owns nothing. Note: it is always light 0: it overwrites (and is overwritten by) any other
/// light 0, an OXELamp's included.
class PELMORA_PARTS_API OXELight {
public:
    /// Resets the transform; the light is all zero (a black light) until Initialize.
    OXELight();
    /// Resets the transform.
    ~OXELight();

    /// The start values: white spot light at the origin pointing along (0, -0.5, 1), range 1000,
    /// falloff 1, constant attenuation 1, inner cone 10 and outer cone 15 degrees. Always 1.
    int Initialize();
    /// Sets on the device: fill mode solid, Gouraud shading, lighting on, ambient 0xFF646464, a
    /// white material (diffuse and ambient 1), light 0 enabled and set from light. Nothing
    /// without a device.
    void Update(IDirect3DDevice9* device);

    CWorldTransform transform; ///< carried along; the light does not use it
    D3DLIGHT9 light;           ///< what is given to the device as light 0
};
