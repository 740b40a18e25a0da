// A convex polygon: its points in boundary order, a triangle index list over them, its
// supporting plane and its bounding box. The polygon owns both arrays; copies are deep.
#pragma once
#include <d3dx9.h>
#include "OXEGeometryApi.h"
#include "OXEPlane.h"
#include "OXEAabb.h"

class OXERay;

class OXE_GEOMETRY_API OXEPolygon {
public:
    OXE_GEOMETRY_INLINE_API OXEPolygon() = default;
    OXEPolygon(const OXEPolygon& other) { *this = other; }
    ~OXEPolygon();

    // Copies every field; the arrays are duplicated. Self-assignment is harmless.
    OXEPolygon& operator=(const OXEPolygon& other);
    // Same as assignment.
    void CopyOf(const OXEPolygon& other);

    // Copies the points and the triangle indices, then computes the plane and the box.
    // Invalid input (negative counts, missing arrays, an index outside the points) leaves
    // the polygon empty.
    void Set(const D3DXVECTOR3* pts, int numPts, const unsigned int* indis, int numIndis);

    OXE_GEOMETRY_INLINE_API int GetNumPoints() const { return m_numPoints; }
    OXE_GEOMETRY_INLINE_API int GetNumIndis() const { return m_numIndis; }
    OXE_GEOMETRY_INLINE_API const D3DXVECTOR3* GetPoints() const { return m_points; }
    OXE_GEOMETRY_INLINE_API const unsigned int* GetIndices() const { return m_indis; }
    OXE_GEOMETRY_INLINE_API OXEPlane GetPlane() const { return m_plane; }
    OXE_GEOMETRY_INLINE_API OXEAabb GetAabb() const { return m_aabb; }
    OXE_GEOMETRY_INLINE_API unsigned int GetFlag() const { return m_flag; }
    OXE_GEOMETRY_INLINE_API void SetFlag(unsigned int flag) { m_flag = flag; }

    // Reverses the index order and turns the plane around.
    void SwapFaces();
    // Splits the polygon by a plane into the part in front and the part behind it (points
    // within the plane's tolerance belong to both; edges crossing the plane are cut there).
    // A part of fewer than three points leaves its output unchanged. front or back may be
    // null, and either may be this polygon.
    void Clip(const OXEPlane& plane, OXEPolygon* front, OXEPolygon* back) const;
    // Cuts the polygon down to its part inside the box, plane by plane, wherever a bounding
    // plane of the box crosses it.
    void Clip(const OXEAabb& box);
    // OXE_CULLED, OXE_VISIBLE or OXE_CLIPPED against a box.
    int Cull(const OXEAabb& box) const;
    // The nearest hit of a ray on the polygon's triangles; *t gets its parameter.
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
