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

    float GetXPosition() const { return translate._41; }
    float GetYPosition() const { return translate._42; }
    float GetZPosition() const { return translate._43; }
    float GetXRotation() const { return rotation.x; }
    float GetYRotation() const { return rotation.y; }
    float GetZRotation() const { return rotation.z; }
    float GetXScale() const { return scale._11; }
    float GetYScale() const { return scale._22; }
    float GetZScale() const { return scale._33; }

    D3DXMATRIX translate; // translation in its fourth row
    D3DXMATRIX rotate;    // rotation built from `rotation` (yaw = y, pitch = x, roll = z)
    D3DXMATRIX scale;     // scale factors on its diagonal
    D3DXMATRIX final;     // the last product computed by GetTransform
    D3DXVECTOR3 rotation; // angles about x, y and z in radians

private:
    void rebuildRotation();
};

static_assert(sizeof(CWorldTransform) == 4 * 64 + 12, "CWorldTransform is embedded across modules: keep its size");
