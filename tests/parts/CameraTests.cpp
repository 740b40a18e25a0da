// Camera: axes and view matrix from lookAt, the projection and its product, frustum planes and
// box visibility, turns (including the pitch limit) and the accumulated moves.
#include <gtest/gtest.h>
#include <cmath>
#include "Camera.h"
#include "OXEAabb.h"
#include "TestDevice.h"

namespace {

void ExpectVec(const D3DXVECTOR3& v, float x, float y, float z, float tol = 1e-5f)
{
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

void ExpectMatrixNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float tol = 1e-5f)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], tol) << r << "," << c;
}

void ExpectOrthonormal(const Camera& cam)
{
    EXPECT_NEAR(D3DXVec3Length(&cam.right()), 1.0f, 1e-5f);
    EXPECT_NEAR(D3DXVec3Length(&cam.up()), 1.0f, 1e-5f);
    EXPECT_NEAR(D3DXVec3Length(&cam.look()), 1.0f, 1e-5f);
    EXPECT_NEAR(D3DXVec3Dot(&cam.right(), &cam.up()), 0.0f, 1e-5f);
    EXPECT_NEAR(D3DXVec3Dot(&cam.right(), &cam.look()), 0.0f, 1e-5f);
    EXPECT_NEAR(D3DXVec3Dot(&cam.up(), &cam.look()), 0.0f, 1e-5f);
}

float Side(const D3DXPLANE& p, const D3DXVECTOR3& v)
{
    return p.a * v.x + p.b * v.y + p.c * v.z + p.d;
}

OXEAabb Box(float x0, float y0, float z0, float x1, float y1, float z1)
{
    return OXEAabb(D3DXVECTOR3(x0, y0, z0), D3DXVECTOR3(x1, y1, z1));
}

// The camera the game configures: eye (0, 0, -30) looking along +z, 45 degree lens, aspect 1.
Camera GameCamera()
{
    Camera cam;
    cam.lookAt(D3DXVECTOR3(0, 0, -30), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 1, 0));
    cam.setLens(0.7853982f, 1.0f, 0.01f, 5000.0f);
    return cam;
}

} // namespace

TEST(Camera, StartsAtTheOriginLookingAlongZWithIdentityMatrices)
{
    Camera cam;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_TRUE(cam.flyMode);
    ExpectVec(cam.moveVector, 0, 0, 0, 0);
    EXPECT_EQ(cam.speed, 50.0f);
    ExpectVec(cam.pos(), 0, 0, 0, 0);
    ExpectVec(cam.right(), 1, 0, 0, 0);
    ExpectVec(cam.up(), 0, 1, 0, 0);
    ExpectVec(cam.look(), 0, 0, 1, 0);
    ExpectMatrixNear(cam.view(), identity, 0);
    ExpectMatrixNear(cam.GetProj(), identity, 0);
    ExpectMatrixNear(cam.GetViewProj(), identity, 0);
    cam.setSpeed(40);
    EXPECT_EQ(cam.speed, 40.0f);
}

TEST(Camera, LookAtBuildsAxesViewProjectionAndProduct)
{
    Camera cam = GameCamera();
    ExpectVec(cam.right(), 1, 0, 0);
    ExpectVec(cam.up(), 0, 1, 0);
    ExpectVec(cam.look(), 0, 0, 1);
    ExpectVec(cam.pos(), 0, 0, -30, 0);
    const D3DXMATRIX& v = cam.view();
    EXPECT_FLOAT_EQ(v._41, 0);
    EXPECT_FLOAT_EQ(v._42, 0);
    EXPECT_FLOAT_EQ(v._43, 30);
    EXPECT_FLOAT_EQ(v._44, 1);

    D3DXMATRIX proj;
    D3DXMatrixPerspectiveFovLH(&proj, 0.7853982f, 1.0f, 0.01f, 5000.0f);
    ExpectMatrixNear(cam.proj(), proj, 0);
    ExpectMatrixNear(cam.viewProj(), cam.view() * cam.proj());

    // An oblique camera: the view takes the eye to the origin and the target onto +z.
    Camera oblique;
    D3DXVECTOR3 eye(10, 20, 30), target(-5, 0, 7);
    oblique.lookAt(eye, target, D3DXVECTOR3(0, 1, 0));
    ExpectOrthonormal(oblique);
    D3DXVECTOR3 e, t;
    D3DXVec3TransformCoord(&e, &eye, &oblique.view());
    D3DXVec3TransformCoord(&t, &target, &oblique.view());
    ExpectVec(e, 0, 0, 0, 1e-4f);
    D3DXVECTOR3 d = target - eye;
    ExpectVec(t, 0, 0, D3DXVec3Length(&d), 1e-4f);
}

TEST(Camera, FrustumPlanesFaceInwardInTheirOrder)
{
    Camera cam = GameCamera();
    const D3DXPLANE* f = cam.frustum;
    // Near: z = -30 + 0.01 facing +z; far: z = -30 + 5000 facing -z.
    EXPECT_NEAR(f[0].c, 1.0f, 1e-5f);
    EXPECT_NEAR(f[0].d, 29.99f, 1e-3f);
    // The far plane comes from the difference of two nearly equal columns, so with a near to
    // far ratio of 1 : 500000 its distance is only roughly that of z = 4970.
    EXPECT_NEAR(f[1].c, -1.0f, 1e-5f);
    EXPECT_NEAR(f[1].d, 4970.0f, 500.0f);
    // Left faces +x, right -x, top -y, bottom +y; all are unit length.
    EXPECT_GT(f[2].a, 0.5f);
    EXPECT_LT(f[3].a, -0.5f);
    EXPECT_LT(f[4].b, -0.5f);
    EXPECT_GT(f[5].b, 0.5f);
    for (int i = 0; i < 6; ++i) {
        D3DXVECTOR3 n(f[i].a, f[i].b, f[i].c);
        EXPECT_NEAR(D3DXVec3Length(&n), 1.0f, 1e-5f) << "plane " << i;
        // A point on the view axis in the middle of the depth range is inside every plane.
        D3DXVECTOR3 ahead(0, 0, 100);
        EXPECT_GT(Side(f[i], ahead), 0.0f) << "plane " << i;
    }
    // The 45 degree lens: at distance 30 in front of the eye the side planes pass x = +-30 tan(22.5).
    float edge = 30.0f * std::tan(0.7853982f / 2);
    D3DXVECTOR3 leftEdge(-edge, 0, 0), rightEdge(edge, 0, 0);
    EXPECT_NEAR(Side(f[2], leftEdge), 0.0f, 1e-3f);
    EXPECT_NEAR(Side(f[3], rightEdge), 0.0f, 1e-3f);
}

TEST(Camera, BoxesAreVisibleOnlyWhenNotWhollyOutsideOnePlane)
{
    Camera cam = GameCamera();
    EXPECT_TRUE(cam.isVisible(Box(-1, -1, -1, 1, 1, 1))) << "around the origin";
    EXPECT_FALSE(cam.isVisible(Box(-1, -1, -101, 1, 1, -99))) << "behind the eye at z = -100";
    EXPECT_FALSE(cam.isVisible(Box(-1, -1, 6000, 1, 1, 6002))) << "beyond the far plane";
    EXPECT_TRUE(cam.isVisible(Box(-1, -1, 4000, 1, 1, 4002))) << "before the far plane";
    EXPECT_FALSE(cam.isVisible(Box(100, -1, -1, 102, 1, 1))) << "off to the right";
    EXPECT_FALSE(cam.isVisible(Box(-1, 100, -1, 1, 102, 1))) << "above";
    EXPECT_TRUE(cam.isVisible(Box(10, -1, -1, 200, 1, 1))) << "straddling the right plane";
    EXPECT_TRUE(cam.isVisible(Box(-1000, -1000, -1000, 1000, 1000, 1000))) << "round the eye";

    // Turning the camera round makes the box behind it visible and the one ahead of it not.
    cam.CameraYaw(float(M_PI));
    cam.update(1.0f);
    EXPECT_TRUE(cam.isVisible(Box(-1, -1, -101, 1, 1, -99)));
    EXPECT_FALSE(cam.isVisible(Box(-1, -1, 50, 1, 1, 52)));

    // Moving the eye through pos() takes effect on update.
    Camera moved = GameCamera();
    moved.pos() = D3DXVECTOR3(0, 0, 200);
    moved.update(1.0f);
    EXPECT_FALSE(moved.isVisible(Box(-1, -1, -1, 1, 1, 1)));
}

TEST(Camera, YawAndRollTurnTheirAxesAndZeroTurnsNothing)
{
    Camera cam = GameCamera();
    cam.pitchLimit = 1.0f;
    cam.CameraYaw(0);
    cam.CameraRoll(0);
    cam.CameraPitch(0);
    ExpectVec(cam.right(), 1, 0, 0, 0);
    ExpectVec(cam.up(), 0, 1, 0, 0);
    ExpectVec(cam.look(), 0, 0, 1, 0);
    EXPECT_EQ(cam.pitch, 0.0f);

    // A quarter yaw about up (left-handed): look +z turns to +x, right +x turns to -z.
    cam.CameraYaw(float(M_PI / 2));
    ExpectVec(cam.look(), 1, 0, 0);
    ExpectVec(cam.right(), 0, 0, -1);
    ExpectVec(cam.up(), 0, 1, 0);

    Camera rolled = GameCamera();
    rolled.CameraRoll(float(M_PI / 2));
    ExpectVec(rolled.look(), 0, 0, 1);
    ExpectVec(rolled.up(), -1, 0, 0);
    rolled.update(1.0f);
    ExpectOrthonormal(rolled);
}

TEST(Camera, PitchTurnsWithinTheLimitAndHoldsThere)
{
    Camera cam = GameCamera();
    cam.CameraPitch(0.3f); // a limit of 0 allows no pitch
    ExpectVec(cam.look(), 0, 0, 1);

    cam.pitchLimit = 0.5f;
    cam.CameraPitch(0.3f); // within the limit: the whole turn
    EXPECT_NEAR(std::asin(-cam.look().y), 0.3f, 1e-5f);
    cam.CameraPitch(0.3f); // only 0.2 left before the limit
    EXPECT_NEAR(std::asin(-cam.look().y), 0.5f, 1e-5f);
    cam.CameraPitch(0.3f); // past the limit: the camera stays at it
    EXPECT_NEAR(std::asin(-cam.look().y), 0.5f, 1e-5f);
    EXPECT_NEAR(cam.pitch, -0.5f, 1e-6f);
    cam.CameraPitch(-0.2f); // back again at once
    EXPECT_NEAR(std::asin(-cam.look().y), 0.3f, 1e-5f);

    // Inverted pitch turns the other way.
    Camera inv = GameCamera();
    inv.pitchLimit = 1.0f;
    inv.invertPitch = 1;
    inv.CameraPitch(0.3f);
    EXPECT_NEAR(std::asin(-inv.look().y), -0.3f, 1e-5f);
    inv.update(1.0f);
    ExpectOrthonormal(inv);
}

TEST(Camera, MovesAccumulateWithoutMovingTheEye)
{
    Camera cam;
    cam.lookAt(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 1), D3DXVECTOR3(0, 1, 0));
    cam.CameraMoveForward(2);
    float s = std::sqrt(2.0f);
    ExpectVec(cam.moveVector, 0, s, s);
    cam.CameraMoveUp(1);
    ExpectVec(cam.moveVector, 0, s + 1, s);
    cam.CameraStrafe(3);
    ExpectVec(cam.moveVector, 3, s + 1, s);
    cam.update(1.0f);
    ExpectVec(cam.pos(), 0, 0, 0, 0);

    // On the ground: forward stays level at full length and up does nothing.
    cam.flyMode = false;
    cam.moveVector = D3DXVECTOR3(0, 0, 0);
    cam.CameraMoveForward(2);
    cam.CameraMoveUp(5);
    ExpectVec(cam.moveVector, 0, 0, 2);
    // Looking straight down there is no level forward direction.
    Camera down;
    down.flyMode = false;
    down.lookAt(D3DXVECTOR3(0, 10, 0), D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1));
    down.CameraMoveForward(2);
    EXPECT_FALSE(std::isnan(down.moveVector.x));
    ExpectVec(down.moveVector, 0, 0, 0);
}

// The graphics library carries its own copy of the class (its particle effects take cameras by
// value); built from the same source, it must lay out and compute the camera the same way.
TEST(Camera, GraphicsLibraryCopyBuildsTheSameCamera)
{
    HMODULE graf = LoadLibraryA((testsupport::ProgramFolder() + "PelmoraGraf.dll").c_str());
    ASSERT_NE(graf, nullptr);
    typedef void (*Construct)(Camera*);
    typedef void (*LookAt)(Camera*, const D3DXVECTOR3&, const D3DXVECTOR3&, const D3DXVECTOR3&);
    typedef void (*SetLens)(Camera*, float, float, float, float);
    typedef bool (*IsVisible)(const Camera*, const OXEAabb&);
    auto construct = reinterpret_cast<Construct>(GetProcAddress(graf, "_ZN6CameraC1Ev"));
    auto lookAt = reinterpret_cast<LookAt>(
        GetProcAddress(graf, "_ZN6Camera6lookAtERK11D3DXVECTOR3S2_S2_"));
    auto setLens = reinterpret_cast<SetLens>(GetProcAddress(graf, "_ZN6Camera7setLensEffff"));
    auto isVisible = reinterpret_cast<IsVisible>(
        GetProcAddress(graf, "_ZNK6Camera9isVisibleERK7OXEAabb"));
    ASSERT_TRUE(construct && lookAt && setLens && isVisible);

    alignas(Camera) unsigned char storage[sizeof(Camera)];
    Camera* theirs = reinterpret_cast<Camera*>(storage);
    construct(theirs);
    EXPECT_EQ(theirs->speed, 50.0f);
    D3DXVECTOR3 eye(3, 4, -30), target(0, 0, 1), up(0, 1, 0);
    lookAt(theirs, eye, target, up);
    setLens(theirs, 0.7853982f, 1.0f, 0.01f, 5000.0f);

    Camera ours;
    ours.lookAt(eye, target, up);
    ours.setLens(0.7853982f, 1.0f, 0.01f, 5000.0f);
    ExpectMatrixNear(theirs->viewProj(), ours.viewProj(), 0);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(theirs->frustum[i].a, ours.frustum[i].a);
        EXPECT_EQ(theirs->frustum[i].d, ours.frustum[i].d);
    }
    EXPECT_TRUE(isVisible(theirs, Box(-1, -1, -1, 1, 1, 1)));
    EXPECT_FALSE(isVisible(theirs, Box(-1, -1, -101, 1, 1, -99)));
}
