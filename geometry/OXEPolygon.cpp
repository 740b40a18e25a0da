// Convex polygons: building the plane and box from points and indices, turning the faces,
// splitting by planes, culling against boxes and ray hits.
#include "OXEPolygon.h"
#include "OXERay.h"
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

OXEPolygon::~OXEPolygon()
{
    Clear();
}

void OXEPolygon::Clear()
{
    delete[] m_points;
    delete[] m_indis;
    m_points = nullptr;
    m_indis = nullptr;
    m_numPoints = 0;
    m_numIndis = 0;
    m_plane = OXEPlane();
    m_aabb = OXEAabb();
}

// The copy gets arrays of its own, so the two polygons never free the same array.
OXEPolygon& OXEPolygon::operator=(const OXEPolygon& other)
{
    if (this == &other)
        return *this;
    D3DXVECTOR3* pts = nullptr;
    unsigned int* indis = nullptr;
    if (other.m_numPoints > 0) {
        pts = new (std::nothrow) D3DXVECTOR3[other.m_numPoints];
        if (pts)
            std::memcpy(pts, other.m_points, sizeof(D3DXVECTOR3) * other.m_numPoints);
    }
    if (other.m_numIndis > 0) {
        indis = new (std::nothrow) unsigned int[other.m_numIndis];
        if (indis)
            std::memcpy(indis, other.m_indis, sizeof(unsigned int) * other.m_numIndis);
    }
    Clear();
    m_flag = other.m_flag;
    if ((other.m_numPoints > 0 && !pts) || (other.m_numIndis > 0 && !indis)) {
        delete[] pts; // out of memory: stay empty rather than half copied
        delete[] indis;
        return *this;
    }
    m_plane = other.m_plane;
    m_numPoints = other.m_numPoints;
    m_numIndis = other.m_numIndis;
    m_aabb = other.m_aabb;
    m_points = pts;
    m_indis = indis;
    return *this;
}

void OXEPolygon::CopyOf(const OXEPolygon& other)
{
    *this = other;
}

void OXEPolygon::Set(const D3DXVECTOR3* pts, int numPts, const unsigned int* indis, int numIndis)
{
    Clear();
    if (numPts < 0 || numIndis < 0 || (numPts > 0 && !pts) || (numIndis > 0 && !indis))
        return;
    for (int k = 0; k < numIndis; ++k) {
        if (indis[k] >= (unsigned int)numPts)
            return; // an index outside the points
    }
    if (numPts > 0) {
        m_points = new (std::nothrow) D3DXVECTOR3[numPts];
        if (!m_points)
            return;
        std::memcpy(m_points, pts, sizeof(D3DXVECTOR3) * numPts);
    }
    if (numIndis > 0) {
        m_indis = new (std::nothrow) unsigned int[numIndis];
        if (!m_indis) {
            Clear();
            return;
        }
        std::memcpy(m_indis, indis, sizeof(unsigned int) * numIndis);
    }
    m_numPoints = numPts;
    m_numIndis = numIndis;
    if (numPts == 0)
        return;

    // The normal comes from the first edge and the first indexed point off its line.
    D3DXVECTOR3 normal(0, 0, 0);
    if (numIndis >= 2) {
        const D3DXVECTOR3& base = m_points[m_indis[0]];
        D3DXVECTOR3 e0 = m_points[m_indis[1]] - base;
        D3DXVECTOR3 e1(0, 0, 0);
        for (int k = 2; k < numIndis; ++k) {
            e1 = m_points[m_indis[k]] - base;
            if (D3DXVec3LengthSq(&e1) == 0.0f)
                continue; // the base point again (a fan repeats it): on the line, no angle
            D3DXVec3Normalize(&e0, &e0);
            D3DXVec3Normalize(&e1, &e1);
            float c = D3DXVec3Dot(&e0, &e1) / (D3DXVec3Length(&e0) * D3DXVec3Length(&e1));
            if (c > 1.0f) c = 1.0f; // rounding must not turn a collinear point into no angle
            if (c < -1.0f) c = -1.0f;
            if (std::acos(c) != 0.0f)
                break;
        }
        D3DXVec3Cross(&normal, &e0, &e1);
        D3DXVec3Normalize(&normal, &normal);
    }
    m_plane.Set(normal, m_points[0]);
    CalcBoundingBox();
}

void OXEPolygon::CalcBoundingBox()
{
    if (m_numPoints < 1)
        return;
    D3DXVECTOR3 mn = m_points[0];
    D3DXVECTOR3 mx = m_points[0];
    for (int i = 0; i < m_numPoints; ++i) {
        for (int k = 0; k < 3; ++k) {
            float v = m_points[i][k];
            if (v > mx[k])
                mx[k] = v;
            else if (v < mn[k])
                mn[k] = v;
        }
    }
    m_aabb.min = mn;
    m_aabb.max = mx;
    m_aabb.centre = (mn + mx) * 0.5f;
}

void OXEPolygon::SwapFaces()
{
    if (m_numIndis > 0) {
        unsigned int* reversed = new (std::nothrow) unsigned int[m_numIndis];
        if (!reversed)
            return;
        for (int j = 0; j < m_numIndis; ++j)
            reversed[j] = m_indis[m_numIndis - 1 - j];
        delete[] m_indis;
        m_indis = reversed;
    }
    m_plane.normal *= -1.0f;
    m_plane.d *= -1.0f;
}

// Builds a polygon from a loop of points as a triangle fan, facing the way `facing` points.
static void BuildPart(const std::vector<D3DXVECTOR3>& loop, const D3DXVECTOR3& facing,
                      OXEPolygon* out)
{
    int c = (int)loop.size();
    if (!out || c < 3)
        return;
    std::vector<unsigned int> fan;
    fan.reserve(3 * c - 6);
    for (int k = 2; k < c; ++k) {
        fan.push_back(0);
        fan.push_back(k - 1);
        fan.push_back(k);
    }
    out->Set(loop.data(), c, fan.data(), (int)fan.size());
    D3DXVECTOR3 n = out->GetPlane().normal;
    if (D3DXVec3Dot(&n, &facing) < 0.0f)
        out->SwapFaces();
}

// Walks the boundary once: each point goes to its side (a planar point to both), and an edge
// running from one side to the other adds the point where it crosses the plane to both.
void OXEPolygon::Clip(const OXEPlane& plane, OXEPolygon* front, OXEPolygon* back) const
{
    if (!front && !back)
        return;
    int n = m_numPoints;
    if (n < 1)
        return;
    std::vector<D3DXVECTOR3> frontList, backList;
    frontList.reserve(2 * n);
    backList.reserve(2 * n);
    for (int i = 0; i < n; ++i) {
        const D3DXVECTOR3& cur = m_points[i];
        const D3DXVECTOR3& next = m_points[(i + 1) % n];
        int cc = plane.Classify(cur);
        int cn = plane.Classify(next);
        if (cc != OXE_BACK)
            frontList.push_back(cur);
        if (cc != OXE_FRONT)
            backList.push_back(cur);
        bool crosses = (cc == OXE_FRONT && cn == OXE_BACK) || (cc == OXE_BACK && cn == OXE_FRONT);
        if (crosses) {
            float fc = D3DXVec3Dot(&plane.normal, &cur) + plane.d;
            float fn = D3DXVec3Dot(&plane.normal, &next) + plane.d;
            D3DXVECTOR3 cut = cur + (next - cur) * (fc / (fc - fn));
            frontList.push_back(cut);
            backList.push_back(cut);
        }
    }
    D3DXVECTOR3 facing = m_plane.normal; // front or back may be this polygon
    BuildPart(frontList, facing, front);
    BuildPart(backList, facing, back);
}

// The inside of the box lies behind its outward planes: each plane that crosses the polygon
// cuts away the part in front of it.
void OXEPolygon::Clip(const OXEAabb& box)
{
    OXEPlane planes[6];
    box.GetPlanes(planes);
    for (int k = 0; k < 6; ++k) {
        if (planes[k].Classify(*this) != OXE_CLIPPED)
            continue;
        OXEPolygon inside;
        Clip(planes[k], nullptr, &inside);
        if (inside.GetNumPoints() < 3)
            continue;
        unsigned int flag = m_flag;
        *this = inside;
        m_flag = flag;
    }
}

int OXEPolygon::Cull(const OXEAabb& box) const
{
    if (!m_aabb.Intersects(box))
        return OXE_CULLED;
    for (int i = 0; i < m_numPoints; ++i) {
        if (!box.Intersects(m_points[i]))
            return OXE_CLIPPED;
    }
    return OXE_VISIBLE;
}

// Tests every triangle of the index list and keeps the smallest ray parameter.
bool OXEPolygon::Intersects(const OXERay& ray, bool cull, float* t) const
{
    bool found = false;
    float best = 0.0f;
    for (int k = 0; k + 2 < m_numIndis; k += 3) {
        float tt = 0.0f;
        if (!ray.Intersects(m_points[m_indis[k]], m_points[m_indis[k + 1]],
                            m_points[m_indis[k + 2]], cull, &tt))
            continue;
        if (!found || tt < best)
            best = tt;
        found = true;
    }
    if (found && t)
        *t = best;
    return found;
}
