/// \file
/// CWorldTransform: an object's world matrix kept as separate scale, rotation and translation.
#pragma once
#include "PelmoraPartsApi.h"
#include <d3dx9.h>

/// An object's world matrix kept as separate scale, rotation and translation matrices, combined
/// on demand as scale x rotation x translation (row vectors, D3DX order).
///
/// Embedded in the meshes, lights, grid and 3D text of this library. It owns nothing. Note: the
/// matrices change at once, but final only when GetTransform is called.
class PELMORA_PARTS_API CWorldTransform {
public:
    /// Identity matrices, no rotation (as Reset).
    CWorldTransform();
    /// Same as Reset.
    ~CWorldTransform();

    /// All four matrices identity, the angles 0.
    void Reset();

    /// Sets the translation (the fourth row of translate).
    void TranslateAbs(float x, float y, float z);
    /// Adds to the translation.
    void TranslateRel(float x, float y, float z);
    /// Sets the angles about x, y, z (radians) and rebuilds rotate (yaw = y, pitch = x, roll = z).
    void RotateAbs(float x, float y, float z);
    /// Adds to the angles and rebuilds rotate from their sums.
    void RotateRel(float x, float y, float z);
    /// Sets the scale factors (the diagonal of scale).
    void ScaleAbs(float x, float y, float z);
    /// Adds to the scale factors. Note: adds, does not multiply: ScaleRel(1, 1, 1) after Reset gives 2.
    void ScaleRel(float x, float y, float z);

    /// Recomputes final = scale x rotate x translate and returns it (the object's own matrix).
    D3DXMATRIX* GetTransform();

    /// Translation along x (from the translation row).
    float GetXPosition();
    /// Translation along y.
    float GetYPosition();
    /// Translation along z.
    float GetZPosition();
    /// Angle about x in radians.
    float GetXRotation();
    /// Angle about y in radians.
    float GetYRotation();
    /// Angle about z in radians.
    float GetZRotation();
    /// Scale factor along x (from the diagonal).
    float GetXScale();
    /// Scale factor along y.
    float GetYScale();
    /// Scale factor along z.
    float GetZScale();

    D3DXMATRIX translate; ///< translation in its fourth row
    D3DXMATRIX rotate;    ///< rotation built from `rotation` (yaw = y, pitch = x, roll = z)
    D3DXMATRIX scale;     ///< scale factors on its diagonal
    D3DXMATRIX final;     ///< the last product computed by GetTransform
    D3DXVECTOR3 rotation; ///< angles about x, y and z in radians

private:
    void rebuildRotation();
};

static_assert(sizeof(CWorldTransform) == 4 * 64 + 12, "CWorldTransform is embedded across modules: keep its size");
