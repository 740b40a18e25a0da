// Polygons (plane and box from points, face swapping, copies, splitting, box clipping and
// culling, ray hits) and quaternions (products, angles, matrices, checked against D3DX).
#include "GeometryTestUtil.h"
#include "OXEPlane.h"
#include "OXERay.h"
#include "OXEAabb.h"
#include "OXEPolygon.h"
#include "OXEQuat.h"
#include <cmath>
#include <vector>

// A square in the plane z = height, corners counter-clockwise seen from +z, as two triangles.
static OXEPolygon Square(float half, float height = 0.0f)
{
    D3DXVECTOR3 pts[4] = {V(-half, -half, height), V(half, -half, height), V(half, half, height),
                          V(-half, half, height)};
    unsigned int indis[6] = {0, 1, 2, 0, 2, 3};
    OXEPolygon poly;
    poly.Set(pts, 4, indis, 6);
    return poly;
}

// Every point of the polygon lies on the given side of the plane or within its tolerance.
static bool AllOnSide(const OXEPolygon& poly, const OXEPlane& plane, int side)
{
    for (int i = 0; i < poly.GetNumPoints(); ++i) {
        int c = plane.Classify(poly.GetPoints()[i]);
        if (c != side && c != OXE_PLANAR)
            return false;
    }
    return true;
}

TEST(Polygon, SetFindsThePlaneOffTheFirstEdgesLine)
{
    D3DXVECTOR3 pts[4] = {V(0, 0, 0), V(1, 0, 0), V(2, 0, 0), V(0, 1, 0)};
    unsigned int indis[6] = {0, 1, 2, 1, 3, 2};
    OXEPolygon poly;
    poly.Set(pts, 4, indis, 6);
    EXPECT_VEC_NEAR(poly.GetPlane().normal, V(0, 0, 1), 1e-6f);
    EXPECT_FLOAT_EQ(poly.GetPlane().d, 0.0f);
    OXEAabb box = poly.GetAabb();
    EXPECT_VEC_NEAR(box.min, V(0, 0, 0), 0.0f);
    EXPECT_VEC_NEAR(box.max, V(2, 1, 0), 0.0f);
    EXPECT_VEC_NEAR(box.centre, V(1, 0.5f, 0), 0.0f);
    EXPECT_VEC_NEAR(box.rangeMax, V(0, 0, 0), 0.0f);

    // A raised, tilted triangle: unit normal, d = -(normal . first point).
    D3DXVECTOR3 tri[3] = {V(0, 0, 4), V(2, 0, 4), V(0, 2, 6)};
    unsigned int order[3] = {0, 1, 2};
    poly.Set(tri, 3, order, 3);
    EXPECT_VEC_NEAR(poly.GetPlane().normal, V(0, -0.70710678f, 0.70710678f), 1e-6f);
    EXPECT_NEAR(poly.GetPlane().d, -2.82842712f, 1e-5f);
    EXPECT_VEC_NEAR(poly.GetPlane().point, V(0, 0, 4), 0.0f);
}

TEST(Polygon, SetSkipsCollinearPointsOnASlantedLine)
{
    // Along such lines the normalised edges' dot product rounds to just above 1.
    for (int j : {5, 6, 8, 9, 14}) {
        SCOPED_TRACE(j);
        D3DXVECTOR3 p0 = V(0.3f, 0.2f, 0.1f), d = V(0.1f, 0.37f * j, 0.713f);
        D3DXVECTOR3 pts[4] = {p0, p0 + d, p0 + 2 * d, p0 + V(1, 0, 0)};
        unsigned int indis[6] = {0, 1, 2, 0, 2, 3};
        OXEPolygon poly;
        poly.Set(pts, 4, indis, 6);
        D3DXVECTOR3 expected, side = V(1, 0, 0);
        D3DXVec3Cross(&expected, &d, &side);
        D3DXVec3Normalize(&expected, &expected);
        EXPECT_VEC_NEAR(poly.GetPlane().normal, expected, 1e-4f);
    }
}

TEST(Polygon, SetRefusesIndicesOutsideThePoints)
{
    OXEPolygon poly = Square(1);
    D3DXVECTOR3 pts[3] = {V(0, 0, 0), V(1, 0, 0), V(0, 1, 0)};
    unsigned int bad[3] = {0, 1, 3};
    poly.Set(pts, 3, bad, 3);
    EXPECT_EQ(poly.GetNumPoints(), 0);
    EXPECT_EQ(poly.GetNumIndis(), 0);
    EXPECT_EQ(poly.GetPoints(), nullptr);
    float t;
    EXPECT_FALSE(poly.Intersects(OXERay(V(0.2f, 0.2f, -1), V(0, 0, 1)), false, &t));
}

TEST(Polygon, SwapFacesTwiceRestores)
{
    OXEPolygon poly = Square(1, 3);
    OXEPlane before = poly.GetPlane();
    std::vector<unsigned int> order(poly.GetIndices(), poly.GetIndices() + 6);
    poly.SwapFaces();
    EXPECT_VEC_NEAR(poly.GetPlane().normal, -before.normal, 0.0f);
    EXPECT_FLOAT_EQ(poly.GetPlane().d, -before.d);
    EXPECT_EQ(poly.GetIndices()[0], order[5]);
    EXPECT_EQ(poly.GetIndices()[5], order[0]);
    poly.SwapFaces();
    EXPECT_VEC_NEAR(poly.GetPlane().normal, before.normal, 0.0f);
    EXPECT_FLOAT_EQ(poly.GetPlane().d, before.d);
    EXPECT_EQ(std::vector<unsigned int>(poly.GetIndices(), poly.GetIndices() + 6), order);
}

TEST(Polygon, CopiesOwnTheirArrays)
{
    OXEPolygon* original = new OXEPolygon(Square(2, 1));
    original->SetFlag(7);
    OXEPolygon copied(*original), assigned, viaCopyOf;
    assigned = *original;
    viaCopyOf.CopyOf(*original);
    EXPECT_NE(copied.GetPoints(), original->GetPoints());
    EXPECT_NE(assigned.GetIndices(), original->GetIndices());
    delete original; // the copies must not lean on its arrays
    OXEPolygon reference = Square(2, 1);
    for (const OXEPolygon* p : {&copied, &assigned, &viaCopyOf}) {
        ASSERT_EQ(p->GetNumPoints(), 4);
        ASSERT_EQ(p->GetNumIndis(), 6);
        EXPECT_EQ(p->GetFlag(), 7u);
        for (int i = 0; i < 4; ++i)
            EXPECT_VEC_NEAR(p->GetPoints()[i], reference.GetPoints()[i], 0.0f);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(p->GetIndices()[i], reference.GetIndices()[i]);
        EXPECT_VEC_NEAR(p->GetAabb().max, V(2, 2, 1), 0.0f);
    }
    OXEPolygon& self = assigned;
    assigned = self;
    EXPECT_EQ(assigned.GetNumPoints(), 4);
    EXPECT_VEC_NEAR(assigned.GetPoints()[2], V(2, 2, 1), 0.0f);
}

TEST(Polygon, ClipByPlaneCutsCrossingEdges)
{
    OXEPolygon square = Square(1);
    OXEPlane cut; // x = 0.5, front towards +x
    cut.Set(V(1, 0, 0), V(0.5f, 0, 0));
    OXEPolygon front, back;
    square.Clip(cut, &front, &back);

    ASSERT_EQ(front.GetNumPoints(), 4);
    EXPECT_EQ(front.GetNumIndis(), 6);
    EXPECT_TRUE(AllOnSide(front, cut, OXE_FRONT));
    EXPECT_VEC_NEAR(front.GetAabb().min, V(0.5f, -1, 0), 1e-6f);
    EXPECT_VEC_NEAR(front.GetAabb().max, V(1, 1, 0), 1e-6f);
    EXPECT_VEC_NEAR(front.GetPlane().normal, square.GetPlane().normal, 1e-6f);

    ASSERT_EQ(back.GetNumPoints(), 4);
    EXPECT_TRUE(AllOnSide(back, cut, OXE_BACK));
    EXPECT_VEC_NEAR(back.GetAabb().min, V(-1, -1, 0), 1e-6f);
    EXPECT_VEC_NEAR(back.GetAabb().max, V(0.5f, 1, 0), 1e-6f);

    // Through a corner: that corner goes to both parts, no extra point is made for it.
    OXEPlane diagonal;
    diagonal.Set(V(0.70710678f, -0.70710678f, 0), V(0, 0, 0));
    square.Clip(diagonal, &front, &back);
    EXPECT_EQ(front.GetNumPoints(), 3);
    EXPECT_EQ(back.GetNumPoints(), 3);

    // The part of a flipped polygon faces the way the polygon does.
    OXEPolygon flipped = Square(1);
    flipped.SwapFaces();
    flipped.Clip(cut, &front, nullptr);
    EXPECT_VEC_NEAR(front.GetPlane().normal, V(0, 0, -1), 1e-6f);
    float t;
    EXPECT_TRUE(front.Intersects(OXERay(V(0.8f, 0, 5), V(0, 0, -1)), false, &t));
}

TEST(Polygon, ClipLeavesOutputsOfFewerThanThreePointsAlone)
{
    OXEPolygon square = Square(1);
    OXEPlane distant; // x = 5: the whole square is behind it
    distant.Set(V(1, 0, 0), V(5, 0, 0));
    OXEPolygon front = Square(9, 9);
    OXEPolygon back;
    square.Clip(distant, &front, &back);
    EXPECT_EQ(front.GetNumPoints(), 4);
    EXPECT_VEC_NEAR(front.GetAabb().max, V(9, 9, 9), 0.0f);
    EXPECT_EQ(back.GetNumPoints(), 4); // the whole square

    // Into itself: the polygon becomes its front part.
    OXEPlane cut;
    cut.Set(V(0, 1, 0), V(0, 0, 0));
    square.Clip(cut, &square, nullptr);
    EXPECT_EQ(square.GetNumPoints(), 4);
    EXPECT_VEC_NEAR(square.GetAabb().min, V(-1, 0, 0), 1e-6f);
    EXPECT_VEC_NEAR(square.GetPlane().normal, V(0, 0, 1), 1e-6f);
}

TEST(Polygon, CullAndClipAgainstABox)
{
    OXEAabb box(V(-2, -2, -2), V(2, 2, 2));
    EXPECT_EQ(Square(1).Cull(box), OXE_VISIBLE);
    EXPECT_EQ(Square(2).Cull(box), OXE_VISIBLE); // bounds included
    EXPECT_EQ(Square(1, 5).Cull(box), OXE_CULLED);
    EXPECT_EQ(Square(3).Cull(box), OXE_CLIPPED);

    OXEPolygon big = Square(3);
    big.SetFlag(42);
    big.Clip(box);
    EXPECT_EQ(big.Cull(box), OXE_VISIBLE);
    EXPECT_EQ(big.GetNumPoints(), 4);
    EXPECT_VEC_NEAR(big.GetAabb().min, V(-2, -2, 0), 1e-5f);
    EXPECT_VEC_NEAR(big.GetAabb().max, V(2, 2, 0), 1e-5f);
    EXPECT_VEC_NEAR(big.GetPlane().normal, V(0, 0, 1), 1e-6f);
    EXPECT_EQ(big.GetFlag(), 42u);

    // A triangle poking out through one corner of the box keeps only its inside part.
    D3DXVECTOR3 tri[3] = {V(0, 0, 0), V(3, 0, 0), V(0, 3, 0)};
    unsigned int order[3] = {0, 1, 2};
    OXEPolygon poke;
    poke.Set(tri, 3, order, 3);
    poke.Clip(box);
    EXPECT_EQ(poke.Cull(box), OXE_VISIBLE);
    EXPECT_EQ(poke.GetNumPoints(), 5); // (0,0) (2,0) (2,1) (1,2) (0,2)
    EXPECT_EQ(poke.GetNumIndis(), 9);

    OXEPolygon inside = Square(1);
    inside.Clip(box);
    EXPECT_EQ(inside.GetNumPoints(), 4);
    EXPECT_VEC_NEAR(inside.GetAabb().max, V(1, 1, 0), 0.0f);
}

TEST(Polygon, RayHitsOnlyThePolygon)
{
    OXEPolygon square = Square(1, 2); // faces +z
    float t = 0;
    ASSERT_TRUE(square.Intersects(OXERay(V(0.5f, -0.5f, 6), V(0, 0, -2)), true, &t));
    EXPECT_FLOAT_EQ(t, 2.0f);
    t = 99;
    EXPECT_FALSE(square.Intersects(OXERay(V(1.5f, 0, 6), V(0, 0, -1)), false, &t));
    EXPECT_FLOAT_EQ(t, 99.0f);
    EXPECT_FALSE(square.Intersects(OXERay(V(0, 0, -6), V(0, 0, 1)), true, &t)); // its back
    ASSERT_TRUE(square.Intersects(OXERay(V(0, 0, -6), V(0, 0, 1)), false, &t));
    EXPECT_FLOAT_EQ(t, 8.0f);
    EXPECT_FALSE(OXEPolygon().Intersects(OXERay(V(0, 0, -6), V(0, 0, 1)), false, &t));
}

static void ExpectQuatNear(const OXEQuat& a, float x, float y, float z, float w, float tol)
{
    EXPECT_NEAR(a.x, x, tol);
    EXPECT_NEAR(a.y, y, tol);
    EXPECT_NEAR(a.z, z, tol);
    EXPECT_NEAR(a.w, w, tol);
}

static OXEQuat AxisQuat(const D3DXVECTOR3& axis, float angle)
{
    D3DXQUATERNION q;
    D3DXQuaternionRotationAxis(&q, &axis, angle);
    return OXEQuat(q.x, q.y, q.z, q.w);
}

TEST(Quat, HamiltonProduct)
{
    OXEQuat i(1, 0, 0, 0), j(0, 1, 0, 0), k(0, 0, 1, 0);
    ExpectQuatNear(i * j, 0, 0, 1, 0, 0.0f); // ij = k
    ExpectQuatNear(j * i, 0, 0, -1, 0, 0.0f);
    ExpectQuatNear(j * k, 1, 0, 0, 0, 0.0f);
    ExpectQuatNear(k * k, 0, 0, 0, -1, 0.0f);

    OXEQuat a(0.1f, -0.7f, 0.3f, 0.64f), b(-0.5f, 0.2f, 0.4f, 0.74f);
    ExpectQuatNear(a * OXEQuat(), a.x, a.y, a.z, a.w, 0.0f);
    ExpectQuatNear(OXEQuat() * a, a.x, a.y, a.z, a.w, 0.0f);

    // D3DX multiplies in the opposite order: its (b, a) is a * b.
    D3DXQUATERNION da(a.x, a.y, a.z, a.w), db(b.x, b.y, b.z, b.w), dab;
    D3DXQuaternionMultiply(&dab, &db, &da);
    OXEQuat ab = a * b;
    ExpectQuatNear(ab, dab.x, dab.y, dab.z, dab.w, 1e-6f);
    ExpectQuatNear(a, 0.1f, -0.7f, 0.3f, 0.64f, 0.0f); // operator* leaves a alone
    OXEQuat c = a;
    c *= b;
    ExpectQuatNear(c, ab.x, ab.y, ab.z, ab.w, 0.0f);
    OXEQuat sq = a;
    sq *= sq; // reads all of itself before writing
    OXEQuat aa = a * a;
    ExpectQuatNear(sq, aa.x, aa.y, aa.z, aa.w, 0.0f);
}

TEST(Quat, EulerAnglesAndMatrices)
{
    OXEQuat q;
    q.MakeFromEuler(0, 0, 0);
    ExpectQuatNear(q, 0, 0, 0, 1, 0.0f);
    D3DXMATRIX m, identity;
    q.GetMatrix(&m);
    D3DXMatrixIdentity(&identity);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(m.m[r][c], identity.m[r][c]) << r << c;

    // a about x, b about y, c about z: the product qz * qy * qx.
    float a = 0.4f, b = -1.1f, c = 2.3f;
    q.MakeFromEuler(a, b, c);
    OXEQuat expected = AxisQuat(V(0, 0, 1), c) * AxisQuat(V(0, 1, 0), b) * AxisQuat(V(1, 0, 0), a);
    ExpectQuatNear(q, expected.x, expected.y, expected.z, expected.w, 1e-6f);

    // The matrix is D3DX's rotation matrix of the same quaternion, transposed (column vectors).
    q.GetMatrix(&m);
    D3DXQUATERNION dq(q.x, q.y, q.z, q.w);
    D3DXMATRIX dm;
    D3DXMatrixRotationQuaternion(&dm, &dq);
    for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(m.m[r][k], dm.m[k][r], 1e-6f) << r << k;
}
