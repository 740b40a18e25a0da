/// \file
/// OXEQuat: a rotation quaternion.
#pragma once
#include <d3dx9.h>
#include "OXEGeometryApi.h"

/// A rotation quaternion (x, y, z vector part, w scalar part); a plain value of four floats.
class OXE_GEOMETRY_API OXEQuat {
public:
    /// \var x
    /// Vector part, x.
    /// \var y
    /// Vector part, y.
    float x = 0.0f, y = 0.0f, z = 0.0f; ///< vector part
    float w = 1.0f;                     ///< scalar part

    /// The identity (0, 0, 0, 1).
    OXE_GEOMETRY_INLINE_API OXEQuat() = default;
    /// (qx, qy, qz, qw) as given (not normalised).
    OXE_GEOMETRY_INLINE_API OXEQuat(float qx, float qy, float qz, float qw)
        : x(qx), y(qy), z(qz), w(qw) {}
    /// Copies the four floats.
    OXEQuat(const OXEQuat&) = default;
    /// Copies the four floats.
    OXE_GEOMETRY_INLINE_API OXEQuat& operator=(const OXEQuat&) = default;

    /// this = this * q (Hamilton product).
    OXEQuat& operator*=(const OXEQuat& q);
    /// this * q as a new quaternion; this one is left unchanged.
    OXEQuat operator*(const OXEQuat& q) const;
    /// Rotation from angles in radians, a about x, b about y, c about z: the product
    /// qz(c) * qy(b) * qx(a) of the three axis rotations.
    void MakeFromEuler(float a, float b, float c);
    /// The rotation matrix of this quaternion (written whole; nothing for a null m).
    ///
    /// Note: it is the transpose of D3DXMatrixRotationQuaternion's matrix (m12 = 2xy - 2wz):
    /// with D3DX's row vectors (v * m) it turns the opposite way.
    void GetMatrix(D3DXMATRIX* m) const;
};
