// The render device's built-in first-person camera (needs no Direct3D device).
#include "StartedDevice.h"
#include <gtest/gtest.h>
#include <cmath>

using devcoretest::SameMatrix;

namespace {

class DeviceCamera : public ::testing::Test {
protected:
    void SetUp() override { cam.ResetCamera(); }
    OXED3D cam{nullptr};
};

} // namespace

TEST_F(DeviceCamera, ResetLooksDownZFromTheOrigin)
{
    EXPECT_FLOAT_EQ(cam.GetPitch(), 0.0f);
    EXPECT_FLOAT_EQ(cam.GetYaw(), 0.0f);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_TRUE(SameMatrix(*cam.GetViewMatrix(), identity));
    EXPECT_FLOAT_EQ(cam.GetFov(), 1.0471976f);
    EXPECT_FLOAT_EQ(cam.GetAspect(), 1.3f);
    EXPECT_FLOAT_EQ(cam.GetNearPlane(), 0.1f);
    EXPECT_FLOAT_EQ(cam.GetFarPlane(), 1000.0f);
    EXPECT_FLOAT_EQ(cam.GetMaxSpeed(), 1.0f);
    EXPECT_FLOAT_EQ(cam.GetPitchLimit(), 1.5533431f);
    EXPECT_EQ(cam.GetInvertPitch(), 0);
    EXPECT_EQ(*cam.GetCameraTarget(), D3DXVECTOR3(0, 0, 1));
}

TEST_F(DeviceCamera, MovementIsCappedAtTheMaximumSpeedAndConsumed)
{
    cam.MoveForward(5);
    cam.UpdateCamera();
    EXPECT_NEAR(cam.GetCameraPosition()->z, 1.0f, 1e-6);
    cam.UpdateCamera(); // the velocity was used up
    EXPECT_NEAR(cam.GetCameraPosition()->z, 1.0f, 1e-6);

    cam.SetMaxSpeed(10);
    cam.MoveForward(2);
    cam.MoveSideways(3);
    cam.MoveUp(4);
    cam.UpdateCamera();
    EXPECT_NEAR(cam.GetCameraPosition()->x, 3.0f, 1e-5);
    EXPECT_NEAR(cam.GetCameraPosition()->y, 4.0f, 1e-5);
    EXPECT_NEAR(cam.GetCameraPosition()->z, 3.0f, 1e-5);
    EXPECT_NEAR(cam.GetCameraTarget()->z, 4.0f, 1e-5);
    // The view matrix moves the eye to the origin.
    D3DXVECTOR3 eye = *cam.GetCameraPosition(), inView;
    D3DXVec3TransformCoord(&inView, &eye, cam.GetViewMatrix());
    EXPECT_NEAR(D3DXVec3Length(&inView), 0.0f, 1e-5);
}

TEST_F(DeviceCamera, WalkingModeKeepsTheHeight)
{
    cam.m_camFlyMode = 0;
    cam.SetMaxSpeed(100);
    cam.Pitch(-0.5f); // look upwards
    cam.UpdateCamera();
    ASSERT_GT(cam.GetPitch(), 0.4f);
    cam.MoveUp(3);
    cam.MoveForward(2);
    cam.UpdateCamera();
    EXPECT_NEAR(cam.GetCameraPosition()->y, 0.0f, 1e-6);
    EXPECT_NEAR(cam.GetCameraPosition()->z, 2.0f, 1e-5);

    cam.m_camFlyMode = 1; // flying follows the look
    cam.MoveForward(2);
    cam.UpdateCamera();
    EXPECT_GT(cam.GetCameraPosition()->y, 0.5f);
}

TEST_F(DeviceCamera, YawAndRollTurnTheAxes)
{
    cam.Yaw(float(M_PI / 2));
    cam.UpdateCamera();
    EXPECT_NEAR(cam.GetYaw(), float(M_PI / 2), 1e-5);
    EXPECT_NEAR(cam.m_camLook.x, 1.0f, 1e-5);
    EXPECT_NEAR(cam.m_camRight.z, -1.0f, 1e-5);
    cam.Yaw(0); // no turn
    EXPECT_NEAR(cam.m_camLook.x, 1.0f, 1e-5);

    cam.Roll(0.3f);
    EXPECT_NEAR(cam.m_camLook.x, 1.0f, 1e-5); // the look axis stays
    EXPECT_GT(fabsf(cam.m_camUp.z), 0.2f);
}

TEST_F(DeviceCamera, PitchStopsAtTheLimitAndCanBeInverted)
{
    for (int i = 0; i < 40; ++i) {
        cam.Pitch(-0.1f);
        cam.UpdateCamera();
    }
    EXPECT_NEAR(cam.GetPitch(), cam.GetPitchLimit(), 1e-3);
    D3DXVECTOR3 look = cam.m_camLook;
    cam.Pitch(-0.1f);
    cam.UpdateCamera();
    EXPECT_NEAR(cam.m_camLook.y, look.y, 1e-4);
    EXPECT_NEAR(cam.m_camLook.z, look.z, 1e-4);

    cam.ResetCamera();
    cam.SetInvertPitch(1);
    cam.Pitch(0.2f); // reversed: looks up
    cam.UpdateCamera();
    EXPECT_NEAR(cam.GetPitch(), 0.2f, 1e-5);
    cam.Pitch(-10.0f); // far past the lower limit in one call: stops at the limit
    cam.UpdateCamera();
    EXPECT_NEAR(cam.GetPitch(), -cam.GetPitchLimit(), 1e-3);
}

TEST_F(DeviceCamera, ProjectionSettersKeepTheOtherValues)
{
    cam.SetNearPlane(2);
    EXPECT_FLOAT_EQ(cam.GetNearPlane(), 2.0f);
    EXPECT_FLOAT_EQ(cam.GetFov(), 1.0471976f);
    EXPECT_FLOAT_EQ(cam.GetAspect(), 1.3f);
    EXPECT_FLOAT_EQ(cam.GetFarPlane(), 1000.0f);
    D3DXMATRIX expected;
    D3DXMatrixPerspectiveFovLH(&expected, 1.0471976f, 1.3f, 2.0f, 1000.0f);
    EXPECT_TRUE(SameMatrix(*cam.GetViewProjMatrix(), expected));
    cam.SetFov(0.5f);
    cam.SetAspect(2.0f);
    cam.SetFarPlane(50.0f);
    D3DXMatrixPerspectiveFovLH(&expected, 0.5f, 2.0f, 2.0f, 50.0f);
    EXPECT_TRUE(SameMatrix(*cam.GetViewProjMatrix(), expected));
}

TEST_F(DeviceCamera, TargetSetsANormalisedLook)
{
    D3DXVECTOR3 position(1, 1, 1), target(1, 4, 5);
    cam.SetCameraPosition(&position);
    cam.SetCameraTarget(&target);
    EXPECT_NEAR(cam.m_camLook.y, 0.6f, 1e-6);
    EXPECT_NEAR(cam.m_camLook.z, 0.8f, 1e-6);
    cam.SetCameraTarget(&position); // on the eye: the look is kept
    EXPECT_NEAR(cam.m_camLook.z, 0.8f, 1e-6);
    cam.UpdateCamera();
    EXPECT_NEAR(cam.GetPitch(), atan2f(0.6f, 0.8f), 1e-5);
}
