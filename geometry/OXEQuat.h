// A rotation quaternion (x, y, z vector part, w scalar part).
#pragma once
#include <d3dx9.h>
#include "OXEGeometryApi.h"

class OXE_GEOMETRY_API OXEQuat {
public:
    float x = 0.0f, y = 0.0f, z = 0.0f; // vector part
    float w = 1.0f;                     // scalar part

    OXE_GEOMETRY_INLINE_API OXEQuat() = default; // identity (0, 0, 0, 1)
    OXE_GEOMETRY_INLINE_API OXEQuat(float qx, float qy, float qz, float qw)
        : x(qx), y(qy), z(qz), w(qw) {}
    OXEQuat(const OXEQuat&) = default;
    OXE_GEOMETRY_INLINE_API OXEQuat& operator=(const OXEQuat&) = default;

    // this = this * q (Hamilton product).
    OXEQuat& operator*=(const OXEQuat& q);
    // this * q as a new quaternion; this one is left unchanged.
    OXEQuat operator*(const OXEQuat& q) const;
    // Rotation from angles in radians: a about x, b about y, c about z.
    void MakeFromEuler(float a, float b, float c);
    // The rotation matrix of this quaternion.
    void GetMatrix(D3DXMATRIX* m) const;
};
