/// \file
/// OXEPolygon: a convex polygon with its plane and bounding box.
#pragma once
#include <d3dx9.h>
#include "OXEGeometryApi.h"
#include "OXEPlane.h"
#include "OXEAabb.h"

class OXERay;

/// A convex polygon: its points in boundary order, a triangle index list over them, its
/// supporting plane and its bounding box.
///
/// Use: construct, Set, then test, clip or cull. The polygon owns both arrays and frees them in
/// its destructor; copies are deep.
class OXE_GEOMETRY_API OXEPolygon {
public:
    /// Empty: no points, no indices, flag 0, all-zero plane and box.
    OXE_GEOMETRY_INLINE_API OXEPolygon() = default;
    /// A deep copy of other.
    OXEPolygon(const OXEPolygon& other) { *this = other; }
    /// Frees both arrays.
    ~OXEPolygon();

    /// Copies every field; the arrays are duplicated. Self-assignment is harmless; out of memory
    /// leaves this polygon empty (with other's flag).
    OXEPolygon& operator=(const OXEPolygon& other);
    /// Same as assignment.
    void CopyOf(const OXEPolygon& other);

    /// Copies numPts points (in boundary order) and numIndis triangle indices into them, then
    /// computes the plane (unit normal from the first edge and the first indexed point off its
    /// line; through the first point of the list) and the box. Invalid input (negative counts,
    /// missing arrays, an index outside the points) leaves the polygon empty.
    void Set(const D3DXVECTOR3* pts, int numPts, const unsigned int* indis, int numIndis);

    /// Number of points.
    OXE_GEOMETRY_INLINE_API int GetNumPoints() const { return m_numPoints; }
    /// Number of triangle indices.
    OXE_GEOMETRY_INLINE_API int GetNumIndis() const { return m_numIndis; }
    /// The points (borrowed; valid until the polygon changes).
    OXE_GEOMETRY_INLINE_API const D3DXVECTOR3* GetPoints() const { return m_points; }
    /// The triangle indices (borrowed; valid until the polygon changes).
    OXE_GEOMETRY_INLINE_API const unsigned int* GetIndices() const { return m_indis; }
    /// A copy of the supporting plane (N.X + d = 0).
    OXE_GEOMETRY_INLINE_API OXEPlane GetPlane() const { return m_plane; }
    /// A copy of the bounding box (min, max and centre; the range pair is zero).
    OXE_GEOMETRY_INLINE_API OXEAabb GetAabb() const { return m_aabb; }
    /// The caller's flag.
    OXE_GEOMETRY_INLINE_API unsigned int GetFlag() const { return m_flag; }
    /// Sets the caller's flag (free for any use).
    OXE_GEOMETRY_INLINE_API void SetFlag(unsigned int flag) { m_flag = flag; }

    /// Reverses the index order and turns the plane around.
    void SwapFaces();
    /// Splits the polygon by a plane into the part in front and the part behind it (points
    /// within the plane's tolerance belong to both; edges crossing the plane are cut there).
    /// Each part is a triangle fan facing as this polygon does. A part of fewer than three
    /// points leaves its output unchanged. front or back may be null, and either may be this
    /// polygon.
    void Clip(const OXEPlane& plane, OXEPolygon* front, OXEPolygon* back) const;
    /// Cuts the polygon down to its part inside the box, plane by plane, wherever a bounding
    /// plane of the box crosses it; the flag is kept.
    void Clip(const OXEAabb& box);
    /// Against a box: OXE_CULLED when the bounding boxes do not overlap, OXE_VISIBLE when every
    /// point lies inside (bounds included), else OXE_CLIPPED.
    int Cull(const OXEAabb& box) const;
    /// The nearest hit of a ray on the polygon's triangles (the ray's triangle test, with cull
    /// as there); *t (when given) gets its parameter, which may be negative.
    bool Intersects(const OXERay& ray, bool cull, float* t) const;

private:
    void Clear();            // frees both arrays and empties the polygon
    void CalcBoundingBox();  // min, max and centre of the points

    OXEPlane m_plane;                // supporting plane: unit normal, first point, d = -(normal . first point)
    int m_numPoints = 0;             // number of points
    int m_numIndis = 0;              // number of triangle indices
    OXEAabb m_aabb;                  // min, max and centre of the points (range pair stays zero)
    unsigned int m_flag = 0;         // free for the caller
    D3DXVECTOR3* m_points = nullptr; // owned point array
    unsigned int* m_indis = nullptr; // owned triangle index list into the points
};
