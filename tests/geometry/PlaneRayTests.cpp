// Planes and rays: classification codes and their tolerance, plane conventions, the line of
// two planes, and rays against triangles, planes and boxes.
#include "GeometryTestUtil.h"
#include "OXEPlane.h"
#include "OXERay.h"
#include "OXEAabb.h"
#include "OXEObb.h"
#include "OXEPolygon.h"

TEST(Plane, ClassifyTreatsTheToleranceAsPlanar)
{
    OXEPlane ground;
    ground.Set(V(0, 0, 1), V(0, 0, 0));
    EXPECT_EQ(ground.Classify(V(3, 4, 0.00001f)), OXE_PLANAR);
    EXPECT_EQ(ground.Classify(V(3, 4, -0.00001f)), OXE_PLANAR);
    EXPECT_EQ(ground.Classify(V(3, 4, 0.00002f)), OXE_FRONT);
    EXPECT_EQ(ground.Classify(V(3, 4, -0.00002f)), OXE_BACK);

    OXEPlane raised; // y = 2 through Set(normal, point): d = -2
    raised.Set(V(0, 1, 0), V(5, 2, 5));
    EXPECT_FLOAT_EQ(raised.d, -2.0f);
    EXPECT_EQ(raised.Classify(V(0, 3, 0)), OXE_FRONT);
    EXPECT_EQ(raised.Classify(V(0, 1, 0)), OXE_BACK);
    EXPECT_EQ(raised.Classify(V(-7, 2, 9)), OXE_PLANAR);
}

TEST(Plane, ThreePointFormKeepsItsOwnSignConvention)
{
    OXEPlane p;
    p.Set(V(0, 0, 0), V(1, 2, 3), 0.0f);
    p.Set(V(0, 0, 2), V(2, 0, 2), V(0, 3, 2));
    EXPECT_VEC_NEAR(p.normal, V(0, 0, 6), 1e-6f); // (p1 - p0) x (p2 - p0), not normalised
    EXPECT_FLOAT_EQ(p.d, 12.0f);                  // normal . p0, no negation
    EXPECT_VEC_NEAR(p.point, V(1, 2, 3), 0.0f);   // point left as it was
    EXPECT_FLOAT_EQ(p.Distance(V(0, 0, 5)), 18.0f); // |6 * 5 - 12|
}

TEST(Plane, ClassifyPolygonCountsPlanarPointsOnBothSides)
{
    OXEPlane ground;
    ground.Set(V(0, 0, 1), V(0, 0, 0));
    unsigned int tri[3] = {0, 1, 2};
    OXEPolygon poly;

    D3DXVECTOR3 flat[3] = {V(0, 0, 0.000005f), V(1, 0, -0.000008f), V(0, 1, 0)};
    poly.Set(flat, 3, tri, 3);
    EXPECT_EQ(ground.Classify(poly), OXE_PLANAR);

    D3DXVECTOR3 leaning[3] = {V(0, 0, 1), V(1, 0, 2), V(0, 1, 0)};
    poly.Set(leaning, 3, tri, 3);
    EXPECT_EQ(ground.Classify(poly), OXE_FRONT);

    D3DXVECTOR3 below[3] = {V(0, 0, -1), V(1, 0, -2), V(0, 1, 0)};
    poly.Set(below, 3, tri, 3);
    EXPECT_EQ(ground.Classify(poly), OXE_BACK);

    D3DXVECTOR3 across[3] = {V(0, 0, -1), V(1, 0, 2), V(0, 1, 0)};
    poly.Set(across, 3, tri, 3);
    EXPECT_EQ(ground.Classify(poly), OXE_CLIPPED);

    EXPECT_TRUE(ground.Intersects(V(0, 0, -1), V(1, 0, 2), V(0, 1, 1)));
    EXPECT_FALSE(ground.Intersects(V(0, 0, 1), V(1, 0, 2), V(0, 1, 1)));
    EXPECT_TRUE(ground.Intersects(V(0, 0, 0), V(1, 0, 2), V(0, 1, 1))); // one corner in it
}

TEST(Plane, LineOfTwoPlanes)
{
    OXEPlane px, py; // x = 1 and y = 2 in the N.X = d form the line uses
    px.Set(V(1, 0, 0), V(0, 0, 0), 1.0f);
    py.Set(V(0, 1, 0), V(0, 0, 0), 2.0f);
    OXERay line;
    ASSERT_TRUE(px.Intersects(py, &line));
    EXPECT_VEC_NEAR(line.origin, V(1, 2, 0), 1e-6f);
    EXPECT_VEC_NEAR(line.direction, V(0, 0, 1), 1e-6f);
    EXPECT_TRUE(px.Intersects(py, nullptr));

    OXEPlane tilted; // normals (1,1,0) and (0,1,0) scaled by 2: the point lies on both planes
    tilted.Set(V(2, 2, 0), V(0, 0, 0), 6.0f);
    ASSERT_TRUE(tilted.Intersects(py, &line));
    EXPECT_NEAR(D3DXVec3Dot(&tilted.normal, &line.origin), 6.0f, 1e-5f);
    EXPECT_NEAR(D3DXVec3Dot(&py.normal, &line.origin), 2.0f, 1e-5f);

    OXEPlane parallel, nearlyParallel;
    parallel.Set(V(0, 2, 0), V(0, 0, 0), 5.0f);
    nearlyParallel.Set(V(0.00005f, 1, 0), V(0, 0, 0), 5.0f); // |N1 x N2|^2 = 2.5e-9
    line.origin = V(9, 9, 9);
    EXPECT_FALSE(py.Intersects(parallel, &line));
    EXPECT_FALSE(py.Intersects(nearlyParallel, &line));
    EXPECT_VEC_NEAR(line.origin, V(9, 9, 9), 0.0f);
}

TEST(Plane, BoxesAgainstAPlane)
{
    OXEPlane ground;
    ground.Set(V(0, 1, 0), V(0, 0, 0));
    EXPECT_TRUE(ground.Intersects(OXEAabb(V(-1, 0, -1), V(1, 2, 1))));   // resting on it
    EXPECT_FALSE(ground.Intersects(OXEAabb(V(-1, -1, -1), V(1, 2, 1)))); // reaching below
    OXEPlane down;
    down.Set(V(0, -1, 0), V(0, 0, 0));
    EXPECT_TRUE(down.Intersects(OXEAabb(V(-1, -3, -1), V(1, -1, 1))));

    OXEObb box; // unit half-extents turned 45 degrees about z: reaches sqrt(2) along y
    box.e0 = box.e1 = box.e2 = 1.0f;
    box.A0 = V(0.70710678f, 0.70710678f, 0);
    box.A1 = V(-0.70710678f, 0.70710678f, 0);
    OXEPlane high; // y = 1.4 in the N.X = d form
    high.Set(V(0, 1, 0), V(0, 0, 0), 1.4f);
    EXPECT_TRUE(high.Intersects(box));
    high.d = 1.42f;
    EXPECT_FALSE(high.Intersects(box));
}

TEST(RayTriangle, HitsMissesAndCulling)
{
    // Triangle in z = 5, wound counter-clockwise as seen from a ray looking down +z.
    D3DXVECTOR3 a = V(-1, -1, 5), b = V(-1, 2, 5), c = V(2, -1, 5);
    OXERay ray(V(0, 0, 0), V(0, 0, 2));
    float t = -1;
    ASSERT_TRUE(ray.Intersects(a, b, c, true, 100.0f, &t));
    EXPECT_NEAR(t, 2.5f, 1e-6f); // in multiples of the direction
    EXPECT_TRUE(ray.Intersects(a, b, c, true, nullptr));

    // Seen from the other side the same corners are wound clockwise.
    OXERay back(V(0, 0, 10), V(0, 0, -1));
    EXPECT_FALSE(back.Intersects(a, b, c, true, &t));
    t = -1;
    ASSERT_TRUE(back.Intersects(a, b, c, false, &t));
    EXPECT_NEAR(t, 5.0f, 1e-6f);

    OXERay beside(V(3, 3, 0), V(0, 0, 1));
    EXPECT_FALSE(beside.Intersects(a, b, c, false, 100.0f, &t));
    EXPECT_FALSE(beside.Intersects(a, b, c, false, &t));

    OXERay along(V(-5, 0, 5), V(1, 0, 0)); // in the triangle's plane
    EXPECT_FALSE(along.Intersects(a, b, c, false, &t));
    EXPECT_FALSE(along.Intersects(a, b, c, true, &t));

    // The edge form reports a triangle behind the origin with a negative parameter; the
    // length is not a limit.
    OXERay past(V(0, 0, 8), V(0, 0, 1));
    ASSERT_TRUE(past.Intersects(a, b, c, false, 1.0f, &t));
    EXPECT_NEAR(t, -3.0f, 1e-6f);
}

TEST(RayPlane, ParameterHitPointAndLength)
{
    OXEPlane wall; // x = 4, front towards +x
    wall.Set(V(1, 0, 0), V(4, 0, 0));
    OXERay ray(V(10, 1, 2), V(-2, 0, 0));
    float t = 0;
    D3DXVECTOR3 hit;
    ASSERT_TRUE(ray.Intersects(wall, true, &t, &hit));
    EXPECT_FLOAT_EQ(t, 3.0f);
    EXPECT_VEC_NEAR(hit, V(4, 1, 2), 1e-6f);

    OXERay away(V(10, 0, 0), V(1, 0, 0)); // meets the back of the plane behind its origin
    EXPECT_FALSE(away.Intersects(wall, true, &t, nullptr));
    ASSERT_TRUE(away.Intersects(wall, false, &t, nullptr));
    EXPECT_FLOAT_EQ(t, -6.0f);

    OXERay grazing(V(10, 0, 0), V(0.000001f, 1, 0));
    EXPECT_FALSE(grazing.Intersects(wall, false, &t, &hit));

    // The length form counts only hits between the origin and length directions ahead.
    ASSERT_TRUE(ray.Intersects(wall, false, 3.0f, &t, &hit));
    EXPECT_FLOAT_EQ(t, 3.0f);
    EXPECT_VEC_NEAR(hit, V(4, 1, 2), 1e-6f);
    t = 77;
    hit = V(7, 7, 7);
    EXPECT_FALSE(ray.Intersects(wall, false, 2.5f, &t, &hit));
    EXPECT_FALSE(away.Intersects(wall, false, 100.0f, &t, &hit));
    EXPECT_FLOAT_EQ(t, 77.0f);
    EXPECT_VEC_NEAR(hit, V(7, 7, 7), 0.0f);
}

TEST(RayAabb, CandidatePlanes)
{
    OXEAabb box(V(0, 0, 0), V(2, 2, 2));
    D3DXVECTOR3 hit;
    OXERay in(V(-3, 1, 1.5f), V(1, 0, 0));
    ASSERT_TRUE(in.Intersects(box, &hit));
    EXPECT_VEC_NEAR(hit, V(0, 1, 1.5f), 1e-6f);

    OXERay diagonal(V(5, 5, 1), V(-1, -2, 0)); // comes down to x = 2 only at y = -1
    EXPECT_FALSE(diagonal.Intersects(box, &hit));
    OXERay steep(V(3, 5, 1), V(-1, -2, 0)); // y = 2 at x = 1.5
    ASSERT_TRUE(steep.Intersects(box, &hit));
    EXPECT_VEC_NEAR(hit, V(1.5f, 2, 1), 1e-6f);

    OXERay inside(V(1, 1, 1), V(0, 1, 0));
    ASSERT_TRUE(inside.Intersects(box, &hit));
    EXPECT_VEC_NEAR(hit, V(1, 1, 1), 0.0f);

    OXERay away(V(-3, 1, 1), V(-1, 0, 0));
    EXPECT_FALSE(away.Intersects(box, &hit));
    OXERay edge(V(-1, 2.000005f, 1), V(1, 0, 0)); // just above the top face, within 1e-5
    EXPECT_TRUE(edge.Intersects(box, &hit));
}

TEST(RayObb, SlabsInTheBoxFrame)
{
    OXEObb box; // unit cube turned 45 degrees about z around (5, 0, 0)
    box.e0 = box.e1 = box.e2 = 1.0f;
    box.A0 = V(0.70710678f, 0.70710678f, 0);
    box.A1 = V(-0.70710678f, 0.70710678f, 0);
    box.centre = V(5, 0, 0);
    float t = 0;
    OXERay ray(V(0, 0, 0), V(1, 0, 0));
    ASSERT_TRUE(ray.Intersects(&box, &t));
    EXPECT_NEAR(t, 5.0f - 1.41421356f, 1e-5f);
    ASSERT_TRUE(box.Intersects(ray, 4.0f, &t));
    EXPECT_FALSE(box.Intersects(ray, 3.5f, &t));

    OXERay fromInside(V(5, 0, 0), V(0, 0, 1)); // leaves through the top face
    ASSERT_TRUE(box.Intersects(fromInside, &t));
    EXPECT_NEAR(t, 1.0f, 1e-5f);

    OXERay over(V(0, 0, 1.5f), V(1, 0, 0)); // parallel to the z slab, outside it
    EXPECT_FALSE(box.Intersects(over, &t));
    OXERay beside(V(0, 2, 0), V(1, 0, 0));
    EXPECT_FALSE(ray.Intersects((const OXEObb*)nullptr, &t));
    EXPECT_FALSE(beside.Intersects(&box, &t));
    OXERay behind(V(10, 0, 0), V(1, 0, 0));
    EXPECT_FALSE(behind.Intersects(&box, &t));
}

TEST(Ray, DeTransformUndoesAWorldMatrix)
{
    D3DXMATRIX rot, scale, move, world;
    D3DXMatrixRotationY(&rot, 0.6f);
    D3DXMatrixScaling(&scale, 2, 2, 2);
    D3DXMatrixTranslation(&move, 3, -1, 7);
    D3DXMatrixMultiply(&world, &scale, &rot);
    D3DXMatrixMultiply(&world, &world, &move);

    D3DXVECTOR3 localOrigin = V(1, 2, 3), localDir = V(0, -1, 0.5f);
    OXERay ray;
    D3DXVec3TransformCoord(&ray.origin, &localOrigin, &world);
    D3DXVec3TransformNormal(&ray.direction, &localDir, &world);
    ray.DeTransform(world);
    EXPECT_VEC_NEAR(ray.origin, localOrigin, 1e-5f);
    EXPECT_VEC_NEAR(ray.direction, localDir, 1e-5f);

    D3DXMATRIX flat;
    D3DXMatrixScaling(&flat, 1, 0, 1); // cannot be inverted: the ray stays as it is
    ray.DeTransform(flat);
    EXPECT_VEC_NEAR(ray.origin, localOrigin, 1e-5f);
    EXPECT_VEC_NEAR(ray.direction, localDir, 1e-5f);
}
