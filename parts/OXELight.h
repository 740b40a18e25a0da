// OXELight: a spot light on light index 0 with fixed start values; applying it also sets solid
// Gouraud lighting, a grey ambient light and a white material.
#pragma once
#include "PelmoraPartsApi.h"
#include "CWorldTransform.h"
#include <d3dx9.h>

class PELMORA_PARTS_API OXELight {
public:
    OXELight(); // resets the transform; the light is set by Initialize
    ~OXELight();

    int Initialize(); // the start values; always 1
    void Update(IDirect3DDevice9* device);

    CWorldTransform transform; // carried along; the light does not use it
    D3DLIGHT9 light;           // what is given to the device as light 0
};
