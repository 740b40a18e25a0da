/// \file
/// OXERay: a ray for intersection tests.
#pragma once
#include <d3dx9.h>
#include "OXEGeometryApi.h"

class OXEPlane;
class OXEAabb;
class OXEObb;

/// A ray: origin plus multiples t of a direction (not required to be of unit length). A plain
/// value (six floats), owning nothing; ray parameters t are measured in multiples of direction.
class OXE_GEOMETRY_API OXERay {
public:
    D3DXVECTOR3 origin = D3DXVECTOR3(0, 0, 0);    ///< start point
    D3DXVECTOR3 direction = D3DXVECTOR3(0, 0, 0); ///< t = 1 is origin + direction

    /// All zero.
    OXERay() = default;
    /// Copies origin and direction.
    OXERay(const OXERay&) = default;
    /// Copies origin and direction.
    OXE_GEOMETRY_INLINE_API OXERay& operator=(const OXERay&) = default;
    /// The ray from o along dir.
    OXERay(const D3DXVECTOR3& o, const D3DXVECTOR3& dir) : origin(o), direction(dir) {}

    /// v as the row vector (x, y, z, 1) times m, divided by the homogeneous w truncated toward
    /// zero to a whole number (1 for affine matrices). A w that truncates to 0 divides nothing.
    static D3DXVECTOR3 TransformRow(const D3DXVECTOR3& v, const D3DXMATRIX& m);

    /// Brings the ray into the space in which the matrix is the identity (an object's local
    /// space for its world matrix). A matrix that cannot be inverted leaves the ray unchanged.
    ///
    /// Note: the direction is transformed as a point (with m's translation removed), as the
    /// origin is; for the usual affine matrices that is the same.
    void DeTransform(const D3DXMATRIX& m);

    /// Ray against triangle p0 p1 p2. With cull, only triangles whose normal
    /// (p1 - p0) x (p2 - p0) points back against the ray are hit (wound clockwise as seen from
    /// the origin in Direct3D's left-handed frame, its front faces); without cull both sides are
    /// hit. A ray along the triangle's plane misses. *t (when given) receives the ray parameter
    /// of the hit, which may be negative for a triangle behind the origin. The length is
    /// accepted and not used.
    bool Intersects(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2,
                    bool cull, float length, float* t) const;
    /// The same triangle test without a length.
    bool Intersects(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2,
                    bool cull, float* t) const;

    /// Ray against a plane (N.X + d = 0); *t and *hit when given. cull misses the back of the
    /// plane (a ray running along the normal). A ray parallel to the plane misses. A hit behind
    /// the origin (negative t) is reported like any other.
    bool Intersects(const OXEPlane& plane, bool cull, float* t, D3DXVECTOR3* hit) const;
    /// Segment against a plane: as above, but only hits with 0 <= t <= length count; outputs
    /// are written only on a hit.
    bool Intersects(const OXEPlane& plane, bool cull, float length, float* t,
                    D3DXVECTOR3* hit) const;

    /// Ray against the min/max pair of a box; *hit gets the entry point (the origin itself
    /// when it lies inside).
    bool Intersects(const OXEAabb& box, D3DXVECTOR3* hit) const;
    /// Ray against an oriented box (false for a null box); *t gets the entry parameter (exit
    /// when starting inside).
    bool Intersects(const OXEObb* box, float* t) const;
};
