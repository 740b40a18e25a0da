// Axis-aligned and oriented boxes: culling against outward planes, bounding planes, overlap,
// containment, slab tests, the range pair's transform and separating-axis tests.
#include "GeometryTestUtil.h"
#include "OXEPlane.h"
#include "OXERay.h"
#include "OXEAabb.h"
#include "OXEObb.h"
#include <cmath>

static OXEObb UnitCube(const D3DXVECTOR3& centre)
{
    OXEObb box;
    box.e0 = box.e1 = box.e2 = 1.0f;
    box.centre = centre;
    return box;
}

// Turns a box's axes by a matrix (rows of the matrix's rotation part).
static void TurnAxes(OXEObb& box, const D3DXMATRIX& m)
{
    box.A0 = V(m._11, m._12, m._13);
    box.A1 = V(m._21, m._22, m._23);
    box.A2 = V(m._31, m._32, m._33);
}

TEST(Aabb, GetPlanesPointOutwardInTheFixedOrder)
{
    OXEAabb box(V(-1, -2, -3), V(1, 2, 3));
    OXEPlane planes[6];
    box.GetPlanes(planes);
    const D3DXVECTOR3 normals[6] = {V(1, 0, 0), V(-1, 0, 0), V(0, 0, -1),
                                    V(0, 0, 1), V(0, 1, 0),  V(0, -1, 0)};
    const float ds[6] = {-1, -1, -3, -3, -2, -2};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_VEC_NEAR(planes[i].normal, normals[i], 0.0f);
        EXPECT_FLOAT_EQ(planes[i].d, ds[i]) << "plane " << i;
        EXPECT_EQ(planes[i].Classify(V(0, 0, 0)), OXE_BACK) << "plane " << i;
        EXPECT_EQ(planes[i].Classify(normals[i] * 10), OXE_FRONT) << "plane " << i;
    }
}

TEST(Aabb, CullAgainstOutwardPlanes)
{
    OXEPlane room[6];
    OXEAabb(V(-10, -10, -10), V(10, 10, 10)).GetPlanes(room);
    EXPECT_EQ(OXEAabb(V(-1, -1, -1), V(1, 1, 1)).Cull(room, 0), OXE_VISIBLE);
    EXPECT_EQ(OXEAabb(V(-1, -1, -1), V(1, 1, 1)).Cull(room, 6), OXE_VISIBLE);
    EXPECT_EQ(OXEAabb(V(9, -1, -1), V(11, 1, 1)).Cull(room, 6), OXE_CLIPPED);
    EXPECT_EQ(OXEAabb(V(-1, -1, -12), V(1, 1, -9)).Cull(room, 6), OXE_CLIPPED);
    EXPECT_EQ(OXEAabb(V(0, 0, 8), V(1, 1, 10)).Cull(room, 6), OXE_CLIPPED); // touching from inside
    EXPECT_EQ(OXEAabb(V(-1, 11, -1), V(1, 12, 1)).Cull(room, 6), OXE_CULLED);
    EXPECT_EQ(OXEAabb(V(-1, 10, -1), V(1, 12, 1)).Cull(room, 6), OXE_CLIPPED); // lowest corner in the plane
}

// The six planes of a camera's view frustum with outward normals, from view x projection.
static void OutwardFrustum(OXEPlane planes[6])
{
    D3DXMATRIX view, proj, vp;
    D3DXVECTOR3 eye = V(0, 0, -30), at = V(0, 0, 1), up = V(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, 0.7853982f, 1.0f, 1.0f, 500.0f);
    D3DXMatrixMultiply(&vp, &view, &proj);
    D3DXVECTOR4 c1(vp._11, vp._21, vp._31, vp._41), c2(vp._12, vp._22, vp._32, vp._42);
    D3DXVECTOR4 c3(vp._13, vp._23, vp._33, vp._43), c4(vp._14, vp._24, vp._34, vp._44);
    D3DXVECTOR4 inward[6] = {c4 + c1, c4 - c1, c4 + c2, c4 - c2, c3, c4 - c3};
    for (int i = 0; i < 6; ++i) {
        D3DXVECTOR3 n(-inward[i].x, -inward[i].y, -inward[i].z);
        float len = D3DXVec3Length(&n);
        planes[i].normal = n / len;
        planes[i].d = -inward[i].w / len;
    }
}

TEST(Boxes, CullAgainstAViewFrustum)
{
    OXEPlane frustum[6];
    OutwardFrustum(frustum);
    EXPECT_EQ(OXEAabb(V(-1, -1, -1), V(1, 1, 1)).Cull(frustum, 6), OXE_VISIBLE);
    EXPECT_EQ(OXEAabb(V(-1, -1, -101), V(1, 1, -99)).Cull(frustum, 6), OXE_CULLED); // behind
    EXPECT_EQ(OXEAabb(V(-1, -1, -30), V(1, 1, -28)).Cull(frustum, 6), OXE_CLIPPED); // near plane
    EXPECT_EQ(OXEAabb(V(40, -1, 0), V(42, 1, 2)).Cull(frustum, 6), OXE_CULLED);     // right of it
    EXPECT_EQ(OXEAabb(V(10, -1, 0), V(14, 1, 2)).Cull(frustum, 6), OXE_CLIPPED);    // on its edge

    OXEObb box;
    box.e0 = box.e1 = box.e2 = 1.0f;
    EXPECT_EQ(box.Cull(frustum, 6), OXE_VISIBLE);
    box.centre = V(0, 0, -100);
    EXPECT_EQ(box.Cull(frustum, 6), OXE_CULLED);
    box.centre = V(12, 0, 1);
    EXPECT_EQ(box.Cull(frustum, 6), OXE_CLIPPED);
}

TEST(Aabb, PointsBoxesAndContainedRays)
{
    OXEAabb box(V(0, 0, 0), V(2, 2, 2));
    EXPECT_TRUE(box.Intersects(V(2, 1, 1)));  // on a face
    EXPECT_TRUE(box.Intersects(V(0, 0, 0)));  // on a corner
    EXPECT_FALSE(box.Intersects(V(1, 2.001f, 1)));

    EXPECT_TRUE(box.Intersects(OXEAabb(V(2, 0, 0), V(4, 2, 2)))); // sharing a face
    EXPECT_TRUE(OXEAabb(V(2, 0, 0), V(4, 2, 2)).Intersects(box));
    EXPECT_TRUE(box.Intersects(OXEAabb(V(-1, -1, -1), V(3, 3, 3)))); // around it
    EXPECT_FALSE(box.Intersects(OXEAabb(V(0, 0, 2.5f), V(2, 2, 4))));
    EXPECT_FALSE(OXEAabb(V(0, 0, 2.5f), V(2, 2, 4)).Intersects(box));
    EXPECT_FALSE(box.Intersects(OXEAabb(V(0, -3, 0), V(2, -1, 2))));

    OXERay ray(V(0.5f, 0.5f, 0.5f), V(1, 1, 0));
    EXPECT_TRUE(box.Contains(ray, 1.5f));
    EXPECT_FALSE(box.Contains(ray, 1.6f));
}

TEST(Aabb, RaySlabs)
{
    OXEAabb box(V(0, 0, 0), V(2, 2, 2));
    float t = -1;
    OXERay in(V(-4, 1, 1), V(2, 0, 0));
    ASSERT_TRUE(box.Intersects(in, &t));
    EXPECT_FLOAT_EQ(t, 2.0f);
    OXERay fromInside(V(1, 1, 1), V(0, 0, -0.5f));
    ASSERT_TRUE(box.Intersects(fromInside, &t));
    EXPECT_FLOAT_EQ(t, 2.0f); // the exit parameter
    OXERay past(V(-4, 3, 1), V(2, 0, 0)); // parallel to the y slab, above it
    EXPECT_FALSE(box.Intersects(past, &t));
    OXERay away(V(-4, 1, 1), V(-1, 0, 0));
    EXPECT_FALSE(box.Intersects(away, &t));
    OXERay onFace(V(-4, 0, 1), V(1, 0, 0)); // runs along the y = 0 face
    ASSERT_TRUE(box.Intersects(onFace, &t));
    EXPECT_FLOAT_EQ(t, 4.0f);

    // Length limits compare the parameter itself.
    ASSERT_TRUE(box.Intersects(in, 2.0f, &t));
    EXPECT_FLOAT_EQ(t, 2.0f);
    t = 55;
    EXPECT_FALSE(box.Intersects(in, 1.9f, &t));
    EXPECT_FLOAT_EQ(t, 55.0f);
}

TEST(Aabb, RangePairStaysApartFromMinMax)
{
    OXEAabb box(V(-100, -100, -100), V(100, 100, 100));
    EXPECT_VEC_NEAR(box.center(), V(0, 0, 0), 0.0f);
    EXPECT_VEC_NEAR(box.extent(), V(0, 0, 0), 0.0f);
    box.rangeMin = V(1, 2, 3);
    box.rangeMax = V(5, 4, 3);
    EXPECT_VEC_NEAR(box.center(), V(3, 3, 3), 0.0f);
    EXPECT_VEC_NEAR(box.extent(), V(2, 1, 0), 0.0f);

    D3DXMATRIX move, turn;
    D3DXMatrixTranslation(&move, 10, 0, -1);
    OXEAabb out(V(7, 7, 7), V(8, 8, 8));
    box.xform(move, out);
    EXPECT_VEC_NEAR(out.rangeMin, V(11, 2, 2), 1e-5f);
    EXPECT_VEC_NEAR(out.rangeMax, V(15, 4, 2), 1e-5f);
    EXPECT_VEC_NEAR(out.min, V(7, 7, 7), 0.0f); // only the range pair is written
    EXPECT_VEC_NEAR(out.max, V(8, 8, 8), 0.0f);

    D3DXMatrixRotationZ(&turn, float(M_PI / 2));
    box.xform(turn, out);
    EXPECT_VEC_NEAR(out.extent(), V(1, 2, 0), 1e-5f); // x and y extents swapped
    EXPECT_VEC_NEAR(out.center(), V(-3, 3, 3), 1e-5f);
    EXPECT_VEC_NEAR(box.min, V(-100, -100, -100), 0.0f);
}

TEST(Aabb, ConstructEnclosesAnOrientedBox)
{
    OXEObb obb = UnitCube(V(1, 2, 3));
    obb.e0 = 2.0f;
    OXEAabb box;
    box.Construct(obb);
    EXPECT_VEC_NEAR(box.min, V(-1, 1, 2), 1e-6f);
    EXPECT_VEC_NEAR(box.max, V(3, 3, 4), 1e-6f);
    EXPECT_VEC_NEAR(box.centre, V(1, 2, 3), 0.0f);

    D3DXMATRIX turn;
    D3DXMatrixRotationZ(&turn, float(M_PI / 4));
    obb = UnitCube(V(0, 0, 0));
    TurnAxes(obb, turn);
    box.Construct(obb);
    EXPECT_VEC_NEAR(box.min, V(-1.41421356f, -1.41421356f, -1), 1e-5f);
    EXPECT_VEC_NEAR(box.max, V(1.41421356f, 1.41421356f, 1), 1e-5f);
}

TEST(Obb, CullAgainstOutwardPlanes)
{
    OXEPlane room[6];
    OXEAabb(V(-10, -10, -10), V(10, 10, 10)).GetPlanes(room);
    D3DXMATRIX turn;
    D3DXMatrixRotationZ(&turn, float(M_PI / 4));
    OXEObb box = UnitCube(V(0, 0, 0));
    TurnAxes(box, turn);
    EXPECT_EQ(box.Cull(room, 0), OXE_VISIBLE);
    EXPECT_EQ(box.Cull(room, 6), OXE_VISIBLE);
    box.centre = V(9, 0, 0); // reaches x = 10.41
    EXPECT_EQ(box.Cull(room, 6), OXE_CLIPPED);
    box.centre = V(8.5f, 0, 0); // reaches x = 9.91
    EXPECT_EQ(box.Cull(room, 6), OXE_VISIBLE);
    box.centre = V(11.5f, 0, 0); // starts at x = 10.09
    EXPECT_EQ(box.Cull(room, 6), OXE_CULLED);
    box.centre = V(0, 0, -11); // touches z = -10 from outside
    EXPECT_EQ(box.Cull(room, 6), OXE_CLIPPED);
}

TEST(Obb, BoxAgainstBoxSeparatingAxes)
{
    OXEObb a = UnitCube(V(0, 0, 0));
    EXPECT_TRUE(a.Intersects(UnitCube(V(1.5f, 0.5f, 0))));
    EXPECT_TRUE(a.Intersects(UnitCube(V(2, 0, 0))));  // faces touching
    EXPECT_FALSE(a.Intersects(UnitCube(V(0, 0, -2.01f))));

    D3DXMATRIX turn;
    D3DXMatrixRotationZ(&turn, float(M_PI / 4));
    OXEObb diamond = UnitCube(V(2.3f, 0, 0)); // its corner reaches x = 0.886
    TurnAxes(diamond, turn);
    EXPECT_TRUE(a.Intersects(diamond));
    EXPECT_TRUE(diamond.Intersects(a));
    diamond.centre = V(2.3f, 2.3f, 0); // separated only along its own diagonal axis A0
    EXPECT_FALSE(a.Intersects(diamond));
    EXPECT_FALSE(diamond.Intersects(a));

    // Turned about x and z and placed off a diagonal, the boxes overlap on all six face axes
    // but an edge-against-edge axis (a cross product) separates them.
    D3DXMATRIX rx, rz, both;
    D3DXMatrixRotationX(&rx, float(M_PI / 4));
    D3DXMatrixRotationZ(&rz, float(M_PI / 3));
    D3DXMatrixMultiply(&both, &rx, &rz);
    OXEObb tilted = UnitCube(V(0, 3.12f / 1.41421356f, 3.12f / 1.41421356f));
    TurnAxes(tilted, both);
    EXPECT_FALSE(a.Intersects(tilted));
    EXPECT_FALSE(tilted.Intersects(a));
    tilted.centre = V(0, 1, 1);
    EXPECT_TRUE(a.Intersects(tilted));
}

TEST(Obb, BoxAgainstTriangle)
{
    OXEObb box = UnitCube(V(0, 0, 0));
    // Through the middle, with edges parallel to box axes (those cross products are zero).
    EXPECT_TRUE(box.Intersects(V(-3, -3, 0), V(3, -3, 0), V(-3, 3, 0)));
    EXPECT_TRUE(box.Intersects(V(-0.5f, 0, 0), V(0.5f, 0, 0), V(0, 0.5f, 0.5f))); // inside
    EXPECT_FALSE(box.Intersects(V(-3, -3, 1.5f), V(3, -3, 1.5f), V(-3, 3, 1.5f)));
    EXPECT_FALSE(box.Intersects(V(5, 5, 5), V(6, 5, 5), V(5, 6, 5)));
    // A large slanted triangle whose plane passes the corner (1, 1, 1) just outside it.
    EXPECT_FALSE(box.Intersects(V(3.2f, 0, 0), V(0, 3.2f, 0), V(0, 0, 3.2f)));
    EXPECT_TRUE(box.Intersects(V(2.8f, 0, 0), V(0, 2.8f, 0), V(0, 0, 2.8f)));
    // In a plane through the box and overlapping it on every box axis, but beyond the
    // corner (1, 1): only its first edge crossed with A2 separates.
    EXPECT_FALSE(box.Intersects(V(1.5f, 0.8f, 0), V(0.8f, 1.5f, 0), V(3, 3, 0)));
    EXPECT_TRUE(box.Intersects(V(1.1f, 0.8f, 0), V(0.8f, 1.1f, 0), V(3, 3, 0)));
}

TEST(Obb, DeTransformMovesTheBox)
{
    OXEObb box = UnitCube(V(1, 0, 0));
    box.e1 = 3.0f;
    D3DXMATRIX turn, move, m;
    D3DXMatrixRotationZ(&turn, float(M_PI / 2));
    D3DXMatrixTranslation(&move, 0, 0, 5);
    D3DXMatrixMultiply(&m, &turn, &move);
    OXEObb moved;
    moved.DeTransform(box, m);
    EXPECT_VEC_NEAR(moved.centre, V(0, 1, 5), 1e-6f);
    EXPECT_VEC_NEAR(moved.A0, V(0, 1, 0), 1e-6f);
    EXPECT_VEC_NEAR(moved.A1, V(-1, 0, 0), 1e-6f);
    EXPECT_VEC_NEAR(moved.A2, V(0, 0, 1), 1e-6f);
    EXPECT_FLOAT_EQ(moved.e1, 3.0f);

    box.DeTransform(box, m); // into itself
    EXPECT_VEC_NEAR(box.centre, V(0, 1, 5), 1e-6f);
    EXPECT_VEC_NEAR(box.A1, V(-1, 0, 0), 1e-6f);
}
