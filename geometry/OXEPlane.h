// A plane for classification and intersection tests.
//
// Two sign conventions meet here and the formulas keep them as they are:
//   Set(normal, point), Classify and the ray tests use N.X + d = 0 (front: N.X + d > 0);
//   Set(p0, p1, p2), Distance, Intersects(obb) and the line of two planes use N.X = d.
#pragma once
#include <d3dx9.h>
#include "OXEGeometryApi.h"

class OXERay;
class OXEAabb;
class OXEObb;
class OXEPolygon;

class OXE_GEOMETRY_API OXEPlane {
public:
    D3DXVECTOR3 normal = D3DXVECTOR3(0, 0, 0); // plane normal (not always unit length)
    D3DXVECTOR3 point = D3DXVECTOR3(0, 0, 0);  // a point the plane was built from
    float d = 0.0f;                            // distance term of the plane equation

    OXEPlane() = default;
    OXEPlane(const OXEPlane&) = default;
    OXE_GEOMETRY_INLINE_API OXEPlane& operator=(const OXEPlane&) = default; // all seven floats

    // normal and point stored; d = -(normal . point).
    void Set(const D3DXVECTOR3& n, const D3DXVECTOR3& p);
    // The three values stored unchanged.
    void Set(const D3DXVECTOR3& n, const D3DXVECTOR3& p, float dist);
    // normal = (p1 - p0) x (p2 - p0), not normalised; d = normal . p0; point unchanged.
    void Set(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2);

    // |normal . p - d|
    float Distance(const D3DXVECTOR3& p) const;
    // OXE_FRONT, OXE_BACK or OXE_PLANAR (tolerance 1e-5).
    int Classify(const D3DXVECTOR3& p) const;
    // OXE_FRONT, OXE_BACK, OXE_PLANAR or OXE_CLIPPED for all points of a polygon.
    int Classify(const OXEPolygon& polygon) const;

    // True unless the three corners of the triangle classify alike.
    bool Intersects(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2) const;
    // The line shared with another plane; written into *line when given. False when parallel.
    bool Intersects(const OXEPlane& other, OXERay* line) const;
    // True when the whole box lies on or in front of the plane.
    bool Intersects(const OXEAabb& box) const;
    // True when the box reaches the plane (N.X = d convention).
    bool Intersects(const OXEObb& box) const;
};
