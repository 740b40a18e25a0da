// World transform: the stored pieces, their getters and the order of the combined product.
#include "CWorldTransform.h"
#include <gtest/gtest.h>
#include <cmath>

namespace {

D3DXVECTOR3 Apply(const D3DXMATRIX& m, const D3DXVECTOR3& p)
{
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &p, &m);
    return out;
}

void ExpectNear(const D3DXVECTOR3& v, float x, float y, float z)
{
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

bool IsIdentity(const D3DXMATRIX& m)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m(r, c) != (r == c ? 1.0f : 0.0f)) return false;
    return true;
}

} // namespace

TEST(WorldTransform, ResetGivesIdentityEverywhere)
{
    CWorldTransform t;
    t.TranslateAbs(1, 2, 3);
    t.RotateAbs(0.5f, 0.6f, 0.7f);
    t.ScaleAbs(4, 5, 6);
    t.GetTransform();
    t.Reset();
    EXPECT_TRUE(IsIdentity(t.translate));
    EXPECT_TRUE(IsIdentity(t.rotate));
    EXPECT_TRUE(IsIdentity(t.scale));
    EXPECT_TRUE(IsIdentity(t.final));
    EXPECT_EQ(t.GetXRotation(), 0.0f);
    EXPECT_EQ(t.GetYRotation(), 0.0f);
    EXPECT_EQ(t.GetZRotation(), 0.0f);
    EXPECT_TRUE(IsIdentity(*t.GetTransform()));
}

TEST(WorldTransform, AbsoluteAndRelativeSettersAndGetters)
{
    CWorldTransform t;
    t.TranslateAbs(1, 2, 3);
    t.TranslateRel(0.5f, -2, 10);
    EXPECT_FLOAT_EQ(t.GetXPosition(), 1.5f);
    EXPECT_FLOAT_EQ(t.GetYPosition(), 0.0f);
    EXPECT_FLOAT_EQ(t.GetZPosition(), 13.0f);

    // Relative scaling adds to the diagonal: from the identity it doubles.
    t.ScaleRel(1, 1, 1);
    EXPECT_FLOAT_EQ(t.GetXScale(), 2.0f);
    EXPECT_FLOAT_EQ(t.GetYScale(), 2.0f);
    EXPECT_FLOAT_EQ(t.GetZScale(), 2.0f);
    t.ScaleAbs(3, 4, 5);
    EXPECT_FLOAT_EQ(t.GetXScale(), 3.0f);
    EXPECT_FLOAT_EQ(t.GetYScale(), 4.0f);
    EXPECT_FLOAT_EQ(t.GetZScale(), 5.0f);
}

TEST(WorldTransform, RelativeRotationSumsAnglesAndRebuildsMatrix)
{
    CWorldTransform t;
    t.RotateRel(0.1f, 0, 0);
    t.RotateRel(0.1f, 0, 0);
    EXPECT_NEAR(t.GetXRotation(), 0.2f, 1e-6f);
    // A rotation of 0.2 about x moves (0, 1, 0) to (0, cos 0.2, sin 0.2) with row vectors.
    ExpectNear(Apply(t.rotate, D3DXVECTOR3(0, 1, 0)), 0, std::cos(0.2f), std::sin(0.2f));

    // The y angle is the yaw: a quarter turn about y takes +x to -z (left-handed).
    t.RotateAbs(0, float(M_PI / 2), 0);
    EXPECT_FLOAT_EQ(t.GetXRotation(), 0.0f);
    ExpectNear(Apply(t.rotate, D3DXVECTOR3(1, 0, 0)), 0, 0, -1);
    // The z angle is the roll: a quarter turn about z takes +x to +y.
    t.RotateAbs(0, 0, float(M_PI / 2));
    ExpectNear(Apply(t.rotate, D3DXVECTOR3(1, 0, 0)), 0, 1, 0);
}

TEST(WorldTransform, ProductScalesThenRotatesThenTranslates)
{
    CWorldTransform t;
    t.ScaleAbs(2, 1, 1);
    t.RotateAbs(0, float(M_PI / 2), 0);
    t.TranslateAbs(10, 0, 0);
    D3DXMATRIX* m = t.GetTransform();
    ASSERT_EQ(m, &t.final);
    // (1,0,0) scaled to (2,0,0), turned to (0,0,-2), moved to (10,0,-2).
    ExpectNear(Apply(*m, D3DXVECTOR3(1, 0, 0)), 10, 0, -2);
    // The translation is not scaled or rotated: the origin lands on it.
    ExpectNear(Apply(*m, D3DXVECTOR3(0, 0, 0)), 10, 0, 0);
    // final keeps the last product until asked again.
    t.TranslateAbs(0, 0, 0);
    ExpectNear(Apply(t.final, D3DXVECTOR3(0, 0, 0)), 10, 0, 0);
    ExpectNear(Apply(*t.GetTransform(), D3DXVECTOR3(0, 0, 0)), 0, 0, 0);
}
