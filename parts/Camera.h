/// \file
/// Camera: a free-look 3D camera with its view, projection and frustum planes.
///
/// The class is exported by PelmoraParts and carried by PelmoraGraf as well (the graphics library
/// compiles the same source), so it has its own export macro.
#pragma once
#include <d3dx9.h>

#if defined(PELMORA_PARTS_BUILD) || defined(PELMORA_GRAF_BUILD)
/// Marks Camera, exported by both PelmoraParts.dll and PelmoraGraf.dll (dllexport while either is built).
#define PELMORA_CAMERA_API __declspec(dllexport)
#else
/// Marks Camera (dllimport in a client).
#define PELMORA_CAMERA_API __declspec(dllimport)
#endif

class OXEAabb;

/// A free-look 3D camera for Direct3D's left-handed convention.
///
/// It keeps a position and three orthonormal axes, builds the view matrix from them, keeps a
/// perspective projection and their product (view x projection, row vectors), and the six
/// world-space frustum planes used to test axis-aligned boxes for visibility. Use: construct,
/// setLens, lookAt (or set pos() and turn), update after every change, hand viewProj() to what
/// draws (the particle systems take the camera by value). It owns nothing and touches no device.
/// Note: the move operations only add to moveVector and nothing applies it; move the camera
/// through pos() or lookAt.
class PELMORA_CAMERA_API Camera {
public:
    bool flyMode;               ///< true: forward and up moves follow the look axis freely
    D3DXVECTOR3 moveVector;     ///< movement accumulated by the move operations (not applied)
    float pitch;                ///< accumulated pitch angle, kept within +-pitchLimit
    float pitchLimit;           ///< largest pitch either way (0: the camera does not pitch)
    int invertPitch;            ///< non-zero: pitch angles are turned the other way
    D3DXMATRIX viewMatrix;      ///< world to view
    D3DXMATRIX projMatrix;      ///< perspective projection
    D3DXMATRIX viewProjMatrix;  ///< viewMatrix x projMatrix
    D3DXVECTOR3 position;       ///< eye position in world space
    D3DXVECTOR3 rightAxis;      ///< camera x axis in world space
    D3DXVECTOR3 upAxis;         ///< camera y axis in world space
    D3DXVECTOR3 lookAxis;       ///< camera z axis (viewing direction) in world space
    float speed;                ///< movement speed (stored for callers)
    D3DXPLANE frustum[6];       ///< near, far, left, right, top, bottom; normals point inside

    /// At the origin looking along +z (right +x, up +y), identity matrices, fly mode, speed 50,
    /// pitch limit 0, all frustum planes zero.
    ///
    /// Note: with pitchLimit 0 the camera does not pitch at all until a limit is set.
    Camera();
    /// Copies every field. Defined in the library, like the small getters below, so that both
    /// libraries carrying the class export it.
    Camera& operator=(const Camera& other);

    /// The view matrix (world to view), by reference.
    const D3DXMATRIX& view() const;
    /// The projection matrix, by reference.
    const D3DXMATRIX& proj() const;
    /// view x projection as of the last update, lookAt or setLens, by reference.
    const D3DXMATRIX& viewProj() const;
    /// A copy of the view matrix.
    D3DXMATRIX GetView();
    /// A copy of the projection matrix.
    D3DXMATRIX GetProj();
    /// A copy of view x projection.
    D3DXMATRIX GetViewProj();
    /// The camera's x axis in world space, by reference.
    const D3DXVECTOR3& right() const;
    /// The camera's y axis in world space, by reference.
    const D3DXVECTOR3& up() const;
    /// The viewing direction in world space, by reference.
    const D3DXVECTOR3& look() const;
    /// The eye position, by modifiable reference: callers set the position through it.
    ///
    /// Note: the view follows only at the next update (or lookAt).
    D3DXVECTOR3& pos();

    /// Places the eye at pos looking at target, with worldUp giving the roll; rebuilds the view,
    /// the frustum planes and view x projection.
    void lookAt(const D3DXVECTOR3& pos, const D3DXVECTOR3& target, const D3DXVECTOR3& worldUp);
    /// Perspective projection (D3DXMatrixPerspectiveFovLH): vertical field of view fovY in
    /// radians, aspect = width / height, near and far plane distances; rebuilds the planes and
    /// the product.
    void setLens(float fovY, float aspect, float nearZ, float farZ);
    /// Stores the speed. Note: nothing reads it.
    void setSpeed(float s);
    /// Re-orthonormalises the axes and rebuilds the view matrix, the frustum planes and the
    /// product. dt is not applied: the camera does not move by itself.
    void update(float dt);
    /// False when the box (its min/max pair) lies entirely outside one of the frustum planes.
    ///
    /// Note: a camera whose frustum was never built (no setLens, update or lookAt) has zero
    /// planes and sees every box.
    bool isVisible(const OXEAabb& box) const;

    /// Adds units along look to moveVector (on the ground plane unless flying). Not applied to the position.
    void CameraMoveForward(float units);
    /// Adds units along right to moveVector. Not applied to the position.
    void CameraStrafe(float units);
    /// Adds units along world y to moveVector, only when flying. Not applied to the position.
    void CameraMoveUp(float units);
    /// Turns right and look about the up axis by angle radians (0 does nothing); update rebuilds the view.
    void CameraYaw(float angle);
    /// Turns up and look about the right axis by angle radians, held within +-pitchLimit
    /// (turned the other way when invertPitch is set); update rebuilds the view.
    void CameraPitch(float angle);
    /// Turns right and up about the look axis by angle radians (0 does nothing); update rebuilds the view.
    void CameraRoll(float angle);

protected:
    /// Re-orthonormalises the axes (look, then up, then right) and writes the view matrix.
    void buildView();
    /// The six frustum planes, normalised, from view x projection.
    void buildWorldFrustumPlanes();
};
