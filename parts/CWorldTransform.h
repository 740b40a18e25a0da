// CWorldTransform: an object's world matrix kept as separate scale, rotation and translation
// matrices, combined on demand as scale x rotation x translation (row vectors, D3DX order).
#pragma once
#include "PelmoraPartsApi.h"
#include <d3dx9.h>

class PELMORA_PARTS_API CWorldTransform {
public:
    CWorldTransform();   // identity matrices, no rotation
    ~CWorldTransform();  // same as Reset

    void Reset();

    void TranslateAbs(float x, float y, float z); // sets the translation
    void TranslateRel(float x, float y, float z); // adds to the translation
    void RotateAbs(float x, float y, float z);    // sets the angles about x, y, z (radians)
    void RotateRel(float x, float y, float z);    // adds to the angles
    void ScaleAbs(float x, float y, float z);     // sets the scale factors
    void ScaleRel(float x, float y, float z);     // adds to the scale factors

    // Recomputes final = scale x rotate x translate and returns it.
    D3DXMATRIX* GetTransform();

    // Positions from the translation row, angles from rotation, scales from the diagonal.
    float GetXPosition();
    float GetYPosition();
    float GetZPosition();
    float GetXRotation();
    float GetYRotation();
    float GetZRotation();
    float GetXScale();
    float GetYScale();
    float GetZScale();

    D3DXMATRIX translate; // translation in its fourth row
    D3DXMATRIX rotate;    // rotation built from `rotation` (yaw = y, pitch = x, roll = z)
    D3DXMATRIX scale;     // scale factors on its diagonal
    D3DXMATRIX final;     // the last product computed by GetTransform
    D3DXVECTOR3 rotation; // angles about x, y and z in radians

private:
    void rebuildRotation();
};

static_assert(sizeof(CWorldTransform) == 4 * 64 + 12, "CWorldTransform is embedded across modules: keep its size");
