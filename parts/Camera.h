// Camera: a free-look 3D camera for Direct3D's left-handed convention. It keeps a position and
// three orthonormal axes, builds the view matrix from them, keeps a perspective projection and
// their product (view x projection, row vectors), and the six world-space frustum planes used to
// test axis-aligned boxes for visibility.
//
// The class is exported by PelmoraParts and carried by PelmoraGraf as well (the graphics library
// compiles the same source), so it has its own export macro.
#pragma once
#include <d3dx9.h>

#if defined(PELMORA_PARTS_BUILD) || defined(PELMORA_GRAF_BUILD)
#define PELMORA_CAMERA_API __declspec(dllexport)
#else
#define PELMORA_CAMERA_API __declspec(dllimport)
#endif

class OXEAabb;

class PELMORA_CAMERA_API Camera {
public:
    bool flyMode;               // true: forward and up moves follow the look axis freely
    D3DXVECTOR3 moveVector;     // movement accumulated by the move operations (not applied)
    float pitch;                // accumulated pitch angle, kept within +-pitchLimit
    float pitchLimit;           // largest pitch either way (0: the camera does not pitch)
    int invertPitch;            // non-zero: pitch angles are turned the other way
    D3DXMATRIX viewMatrix;      // world to view
    D3DXMATRIX projMatrix;      // perspective projection
    D3DXMATRIX viewProjMatrix;  // viewMatrix x projMatrix
    D3DXVECTOR3 position;       // eye position in world space
    D3DXVECTOR3 rightAxis;      // camera x axis in world space
    D3DXVECTOR3 upAxis;         // camera y axis in world space
    D3DXVECTOR3 lookAxis;       // camera z axis (viewing direction) in world space
    float speed;                // movement speed (stored for callers)
    D3DXPLANE frustum[6];       // near, far, left, right, top, bottom; normals point inside

    Camera();
    // Copies every field. Defined in the library, like the small getters below, so that both
    // libraries carrying the class export it.
    Camera& operator=(const Camera& other);

    const D3DXMATRIX& view() const;     // references to the matrices
    const D3DXMATRIX& proj() const;
    const D3DXMATRIX& viewProj() const;
    D3DXMATRIX GetView();               // copies of the matrices
    D3DXMATRIX GetProj();
    D3DXMATRIX GetViewProj();
    const D3DXVECTOR3& right() const;   // references to the axes
    const D3DXVECTOR3& up() const;
    const D3DXVECTOR3& look() const;
    D3DXVECTOR3& pos();                 // the position, set by callers through it

    // Places the eye at pos looking at target, with worldUp giving the roll.
    void lookAt(const D3DXVECTOR3& pos, const D3DXVECTOR3& target, const D3DXVECTOR3& worldUp);
    // Perspective projection (D3DXMatrixPerspectiveFovLH); rebuilds the planes and the product.
    void setLens(float fovY, float aspect, float nearZ, float farZ);
    void setSpeed(float s);
    // Rebuilds the view matrix, the frustum planes and the product. dt is not applied.
    void update(float dt);
    // False when the box lies entirely outside one of the frustum planes.
    bool isVisible(const OXEAabb& box) const;

    void CameraMoveForward(float units); // along look (on the ground plane unless flying)
    void CameraStrafe(float units);      // along right
    void CameraMoveUp(float units);      // along world y, only when flying
    void CameraYaw(float angle);         // turn about the up axis
    void CameraPitch(float angle);       // turn about the right axis, limited by pitchLimit
    void CameraRoll(float angle);        // turn about the look axis

protected:
    void buildView();
    void buildWorldFrustumPlanes();
};
