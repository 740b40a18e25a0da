// The exported classes of the three engine libraries as a client program declares them from the
// engine's documentation alone, without any header of this tree: the fields in their documented
// order and types, the documented operations with their documented parameter types (and const
// only where the documentation writes it). Where the documentation names an operation without
// giving its parameter types, the types are those of the engine's headers.
//
// Two tests read these declarations: the ClientUses*.cpp files call every operation, so that
// the compiler mangles them into undefined symbols which the libraries' export tables must hold
// (check-exports.sh), and ClientLayoutTests.cpp compares sizes and field offsets with the
// engine's own headers. No include guard: the layout test includes the header a second time
// inside a namespace, after the system headers below (whose own guards keep them out of it).
#include <d3dx9.h>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

class OXED3D;
class OXEPlane;
class OXERay;
class OXEAabb;
class OXEObb;
class OXEPolygon;

// ---- PelmoraParts ---------------------------------------------------------------------------

class advString {
public:
    advString();
    void initText();
    advString(const char* text);
    advString(const advString& other);
    advString& operator=(const advString& other);
    ~advString();
    unsigned short AnnaPituus() const;
    char* GetString();
    char& operator[](unsigned short i);
    char operator[](unsigned short i) const;
    advString operator+(const advString& other);
    advString& operator+=(const advString& other);

    alignas(4) char text[1024]; // 1028 bytes with the length, alignment included
    unsigned short length;
};

class Timer {
public:
    Timer();
    ~Timer();
    void start();
    void stop();
    double getElapsedTimeInMicroSec();
    double getElapsedTimeInMilliSec();
    double getElapsedTimeInSec();
    double getElapsedTime();

    double startTimeInMicroSec;
    double endTimeInMicroSec;
    int stopped;
    long long frequency;
    long long startCount;
    long long endCount;
};

class geTimer {
public:
    geTimer();
    ~geTimer();
    void Reset();
    void update();
    float GetDelta();
    unsigned long GetSeconds();
    unsigned long GetMinutes();
    unsigned long GetHours();
    unsigned long GetDay();
    unsigned long GetMonth();
    unsigned long GetYear();

    long long frequency;
    long long lastCount;
    long long delta;
    struct tm* now;
};

class OXETimer {
public:
    OXETimer();
    ~OXETimer();
    void start();
    void stop();
    unsigned long getElapsedSecs();
    unsigned long getElapsedTime();
    void reset();

    long long lastTime;
    long long accumulated;
    long long startTime;
    bool running;
};

class OXETimerF {
public:
    OXETimerF();
    ~OXETimerF();
    void Start();
    void Stop();
    void Update();
    float GetElapsedTime();
    float GetRunningTime();
    float GetFPS();
    int IsStopped();

    long long frequency;
    long long currentCount;
    long long lastCount;
    long long fpsStartCount;
    long long fpsInterval;
    unsigned int frameCount;
    float runningTime;
    float elapsed;
    float fps;
    int stopped;
};

class Camera {
public:
    Camera();
    Camera& operator=(const Camera& other);
    const D3DXMATRIX& view() const;
    const D3DXMATRIX& proj() const;
    const D3DXMATRIX& viewProj() const;
    D3DXMATRIX GetView();
    D3DXMATRIX GetProj();
    D3DXMATRIX GetViewProj();
    const D3DXVECTOR3& right() const;
    const D3DXVECTOR3& up() const;
    const D3DXVECTOR3& look() const;
    D3DXVECTOR3& pos();
    void lookAt(const D3DXVECTOR3& pos, const D3DXVECTOR3& target, const D3DXVECTOR3& worldUp);
    void setLens(float fovY, float aspect, float nearZ, float farZ);
    void setSpeed(float s);
    void update(float dt);
    bool isVisible(const OXEAabb& box) const;
    void CameraMoveForward(float units);
    void CameraStrafe(float units);
    void CameraMoveUp(float units);
    void CameraYaw(float angle);
    void CameraPitch(float angle);
    void CameraRoll(float angle);

    bool flyMode;
    D3DXVECTOR3 moveVector;
    float pitch;
    float pitchLimit;
    int invertPitch;
    D3DXMATRIX viewMatrix; // view, proj, viewProj: a field cannot share its getter's name
    D3DXMATRIX projMatrix;
    D3DXMATRIX viewProjMatrix;
    D3DXVECTOR3 position;
    D3DXVECTOR3 rightAxis;
    D3DXVECTOR3 upAxis;
    D3DXVECTOR3 lookAxis;
    float speed;
    D3DXPLANE frustum[6];

protected:
    void buildView();
    void buildWorldFrustumPlanes();
};

class geQuad {
public:
    geQuad();
    ~geQuad();
    geQuad& operator=(const geQuad& other);
    long CreateTexture(IDirect3DDevice9* device, const char* file);
    long CreateTextureColorKey(IDirect3DDevice9* device, const char* file, D3DCOLOR key);
    void setGlobalCoords(int x, int y, int z);
    void setPoint1(int x, int y, int z);
    void setPoint2(int x, int y, int z);
    void setPoint3(int x, int y, int z);
    void setPoint4(int x, int y, int z);
    void setColor(DWORD c1, DWORD c2, DWORD c3, DWORD c4);
    void doBox(int width, int height, int z);
    int getWidth();
    int getHeight();
    void createGeoBuffers(IDirect3DDevice9* device);
    void RefreshGeoBuffers(IDirect3DDevice9* device);
    void Render(IDirect3DDevice9* device);

    IDirect3DVertexBuffer9* vertexBuffer;
    IDirect3DIndexBuffer9* indexBuffer;
    IDirect3DTexture9* texture;
    WORD indices[6];
    D3DXMATRIX world;
    int x, y, z;
    int px[4], py[4], pz[4];
    DWORD colour[4];
    bool alphaBlend;
    bool textured;
};

class Sprite2D {
public:
    Sprite2D();
    ~Sprite2D();
    void Create(IDirect3DDevice9* device, advString fileName);
    void Render(IDirect3DDevice9* device);
    void RenderNoAlphaBlend(IDirect3DDevice9* device);
    void RenderAlphaBlend(IDirect3DDevice9* device, int alpha);
    void RenderFixed(IDirect3DDevice9* device);
    void RenderFullscreen(IDirect3DDevice9* device, int screenWidth, int screenHeight);
    void RenderAbs(IDirect3DDevice9* device, float a, float b);
    void RenderRel(IDirect3DDevice9* device, float sx, float sy);

    ID3DXSprite* sprite;
    IDirect3DTexture9* texture;
    int x, y;
    float width, height;
    float scale;
    float rotation;
};

class OXEParticleSystemParams {
public:
    OXEParticleSystemParams();

    D3DXVECTOR3 position;
    D3DXVECTOR3 velocity;
    float size;
    float finalSize;
    DWORD startColour;
    DWORD endColour;
    float lifeTime;
    float dispersion;
    float speed;
};

class OXEParticle {
public:
    OXEParticle();
    void Create(OXEParticleSystemParams& params);
    void Simulate(float dt);
    long Render(IDirect3DDevice9* device, D3DXVECTOR3& emitterPosition);
    float GetLife();

    D3DXVECTOR3 position;
    D3DXVECTOR3 previousPosition;
    D3DXVECTOR3 velocity;
    float startSize, endSize;
    float age;
    float lifeTime;
    DWORD startColour, endColour;
    float dispersion, speed;
};

class OXEParticleSystem {
public:
    OXEParticleSystem();
    ~OXEParticleSystem();
    void Create(IDirect3DDevice9* device, OXEParticleSystemParams& params, int count, int rate,
                advString textureFile);
    void Simulate(float dt);
    void Render(IDirect3DDevice9* device);
    void SetPosition(D3DXVECTOR3& position);
    D3DXVECTOR3 GetPosition();
    void SetSize(float size);
    void SetFinalSize(float size);
    void SetLifeTime(float lifeTime);
    void SetDispersion(float dispersion);
    void SetVelocity(D3DXVECTOR3 velocity);
    void SetDontCreate(bool dontCreate);

    OXEParticleSystemParams params;
    OXEParticle* particles;
    int count;
    IDirect3DTexture9* texture;
    int rate;
    float carry;
    bool dontCreate;
};

class CWorldTransform {
public:
    CWorldTransform();
    ~CWorldTransform();
    void Reset();
    void TranslateAbs(float x, float y, float z);
    void TranslateRel(float x, float y, float z);
    void RotateAbs(float x, float y, float z);
    void RotateRel(float x, float y, float z);
    void ScaleAbs(float x, float y, float z);
    void ScaleRel(float x, float y, float z);
    D3DXMATRIX* GetTransform();
    float GetXPosition();
    float GetYPosition();
    float GetZPosition();
    float GetXRotation();
    float GetYRotation();
    float GetZRotation();
    float GetXScale();
    float GetYScale();
    float GetZScale();

    D3DXMATRIX translate;
    D3DXMATRIX rotate;
    D3DXMATRIX scale;
    D3DXMATRIX final;
    D3DXVECTOR3 rotation;
};

class CMesh {
public:
    CMesh();
    ~CMesh();
    int Load(char* file, IDirect3DDevice9* device);
    void Release();
    ID3DXMesh* GetMesh();
    DWORD GetNumMaterials();
    D3DMATERIAL9* GetMeshMaterial(int i);
    IDirect3DTexture9* GetMeshTexture(int i);
    void setMeshMaterial(D3DMATERIAL9 m, int i);

    ID3DXMesh* mesh;
    DWORD numMaterials;
    D3DMATERIAL9* materials;
    IDirect3DTexture9** textures;
};

class CMeshInstance {
public:
    CMeshInstance();
    ~CMeshInstance();
    void SetMesh(CMesh* mesh);
    void Release();
    void setMaterial(D3DMATERIAL9 m, int i);
    void Render(IDirect3DDevice9* device);

    CWorldTransform transform;
    CMesh* mesh;
};

class meshObject {
public:
    meshObject();
    ~meshObject();
    void setTextureFN(advString file);
    void init(IDirect3DDevice9* device, advString file, int unused);
    void Render(IDirect3DDevice9* device);
    D3DMATERIAL9 getMaterial(int i);
    void ChangeMaterial(int i, D3DMATERIAL9 m);
    void ChangeTexture(IDirect3DDevice9* device, int i, advString file);
    DWORD GetNumMaterials();

    ID3DXBuffer* materialBuffer;
    ID3DXMesh* mesh;
    DWORD numMaterials;
    D3DMATERIAL9* materials;
    IDirect3DTexture9** textures;
    advString textureFN;
    CWorldTransform transform;
};

class simpleMesh {
public:
    simpleMesh();
    ~simpleMesh();
    long init(IDirect3DDevice9* device, advString file);
    long Render(IDirect3DDevice9* device);
    bool isValidDatatype();

    DWORD numMaterials;
    ID3DXMesh* mesh;
    D3DMATERIAL9* materials;
    IDirect3DTexture9** textures;
    CWorldTransform transform;
};

class OXELightProperties {
public:
    OXELightProperties();

    float ambient[4];
    float diffuse[4];
    float specular[4];
    float attenuation0, attenuation1, attenuation2;
    float position[3];
    float direction[3];
    float falloff, phi, range, theta;
};

class OXELamp {
public:
    OXELamp();
    ~OXELamp();
    void init(D3DLIGHTTYPE type);
    void init(D3DLIGHTTYPE type, BYTE r, BYTE g, BYTE b);
    void setDiffuse(BYTE r, BYTE g, BYTE b);
    void setAmbient(BYTE r, BYTE g, BYTE b);
    void setDirection(D3DXVECTOR3 direction);
    void setLightOn(IDirect3DDevice9* device, bool on);
    void update(IDirect3DDevice9* device);
    void setLightProperties(OXELightProperties p);
    OXELightProperties getLightProp();

    D3DLIGHT9 light;
    D3DXVECTOR3 direction;
    bool on;
    BYTE diffuseBytes[3];
};

class OXELight {
public:
    OXELight();
    ~OXELight();
    int Initialize();
    void Update(IDirect3DDevice9* device);

    CWorldTransform transform;
    D3DLIGHT9 light;
};

class paneeli {
public:
    paneeli();
    ~paneeli();
    void init(int tag);
    bool isInBounds(int x, int y);
    void Render(IDirect3DDevice9* device);

    D3DCOLOR color1, color2;
    int height, width, x, y, style;
    int tag;
    bool active;
};

class textParams {
public:
    textParams();
    ~textParams();
    textParams(const textParams& other);
    textParams& operator=(const textParams& other);
    void setColorBytes(D3DXCOLOR c);
    void setSelectedColorBytes(D3DXCOLOR c);
    long Render(OXED3D* device, bool flag);

    int x, y, height, width;
    int spare;
    D3DCOLOR color;
    BYTE rgba[4];
    BYTE selectedRgba[4];
    advString text;
    bool flagA, flagB;
    advString fontName;
};

class menuItem : public textParams {
public:
    menuItem();
    ~menuItem();
    menuItem(const menuItem& other);
    menuItem& operator=(const menuItem& other);

    D3DCOLOR normalColor, hoverColor;
    int index;
    bool hover;
    D3DCOLOR currentColor;
    int labelWidth, labelHeight;
    bool shown;
    bool hidden;
};

class simpleMenu {
public:
    simpleMenu(int count, int unused);
    ~simpleMenu();
    void UpdateMenuItems();
    void updateMenuItmes(int mouseX, int mouseY);
    bool isInLabelBounds(int i, int x, int y);
    void setMenuPosition(int x, int y);
    void toggleSelection(int i);
    void Render(OXED3D* device);

    D3DCOLOR color1, color2;
    int height, width, x, y, style;
    menuItem* items;
    bool showPanel;
    int itemCount;
    int left, top, spacing;
};

class textCache {
public:
    textCache();
    ~textCache();
    void init(int n);
    void RenderText(OXED3D* device, int i, bool flag);
    void RenderAllText(OXED3D* device);

    bool ready;
    textParams* entries;
};

class TriGrid {
public:
    TriGrid();
    ~TriGrid();
    void GenTriGrid(int numVertRows, int numVertCols, float dx, float dz, const D3DXVECTOR3& center,
                    std::vector<D3DXVECTOR3>& verts, std::vector<DWORD>& indices);
    void buildGeoBuffers(IDirect3DDevice9* device, DWORD numVertRows, DWORD numVertCols);
    void buildFX(IDirect3DDevice9* device);
    void Render(IDirect3DDevice9* device, D3DXMATRIX view, D3DXMATRIX proj);

    CWorldTransform transform;
    DWORD numVertices;
    DWORD numTriangles;
    IDirect3DVertexBuffer9* vertexBuffer;
    IDirect3DIndexBuffer9* indexBuffer;
    ID3DXEffect* effect;
    D3DXHANDLE technique;
    D3DXHANDLE hWVP;
};

class OXESurface {
public:
    OXESurface();
    ~OXESurface();
    HRESULT CreateNewBlankSurface(int width, int height);
    HRESULT LoadFromFile(const char* file);
    D3DXIMAGE_INFO getinfo();
    IDirect3DSurface9* getSurface();
    HRESULT copyToBackBuffer();
    HRESULT copyToOtherSurface(IDirect3DSurface9* dst);
    HRESULT copyFromOtherSurface(IDirect3DSurface9* src);

    IDirect3DSurface9* surface;
    D3DXIMAGE_INFO info;
};

class OXETexture {
public:
    OXETexture();
    OXETexture(IDirect3DDevice9* device, char* file);
    ~OXETexture();
    long Create(IDirect3DDevice9* device, char* file);
    IDirect3DTexture9* GetTexture();

    IDirect3DTexture9* texture;
};

class OXEText3D {
public:
    OXEText3D();
    ~OXEText3D();
    long CreatD3DXTextMesh(IDirect3DDevice9* device, char* fontFace, advString text,
                           DWORD pointSize, int bold, int italic);
    void Render(IDirect3DDevice9* device);

    ID3DXMesh* mesh;
    bool lighting;
    CWorldTransform transform;
};

// ---- geometry: every operation in PelmoraGraf; the small inline ones in PelmoraParts too ----

class OXEPlane {
public:
    OXEPlane& operator=(const OXEPlane& other);
    void Set(const D3DXVECTOR3& normal, const D3DXVECTOR3& point);
    void Set(const D3DXVECTOR3& normal, const D3DXVECTOR3& point, float d);
    void Set(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2);
    float Distance(const D3DXVECTOR3& point) const;
    int Classify(const D3DXVECTOR3& point) const;
    int Classify(const OXEPolygon& polygon) const;
    bool Intersects(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2) const;
    bool Intersects(const OXEPlane& plane, OXERay* ray) const;
    bool Intersects(const OXEAabb& box) const;
    bool Intersects(const OXEObb& box) const;

    D3DXVECTOR3 normal;
    D3DXVECTOR3 point;
    float d;
};

class OXERay {
public:
    OXERay& operator=(const OXERay& other);
    void DeTransform(const D3DXMATRIX& m);
    bool Intersects(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2, bool cull,
                    float length, float* t) const;
    bool Intersects(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2, bool cull,
                    float* t) const;
    bool Intersects(const OXEPlane& plane, bool cull, float* t, D3DXVECTOR3* hit) const;
    bool Intersects(const OXEPlane& plane, bool cull, float length, float* t, D3DXVECTOR3* hit) const;
    bool Intersects(const OXEAabb& box, D3DXVECTOR3* hit) const;
    bool Intersects(const OXEObb* box, float* t) const;

    D3DXVECTOR3 origin;
    D3DXVECTOR3 direction;
};

class OXEAabb {
public:
    OXEAabb& operator=(const OXEAabb& other);
    D3DXVECTOR3 center() const;
    D3DXVECTOR3 extent() const;
    void xform(const D3DXMATRIX& m, OXEAabb& out) const;
    void Construct(const OXEObb& box);
    int Cull(const OXEPlane* planes, int count) const;
    void GetPlanes(OXEPlane* planes) const;
    bool Contains(const OXERay& ray, float length) const;
    bool Intersects(const D3DXVECTOR3& point) const;
    bool Intersects(const OXEAabb& other) const;
    bool Intersects(const OXERay& ray, float* t) const;
    bool Intersects(const OXERay& ray, float length, float* t) const;

    D3DXVECTOR3 min;
    D3DXVECTOR3 max;
    D3DXVECTOR3 centre;
    D3DXVECTOR3 rangeMin;
    D3DXVECTOR3 rangeMax;
};

class OXEObb {
public:
    OXEObb& operator=(const OXEObb& other);
    void DeTransform(const OXEObb& box, const D3DXMATRIX& m);
    int Cull(const OXEPlane* planes, int count) const;
    bool Intersects(const OXERay& ray, float* t) const;
    bool Intersects(const OXERay& ray, float length, float* t) const;
    bool Intersects(D3DXVECTOR3 p0, D3DXVECTOR3 p1, D3DXVECTOR3 p2) const;
    bool Intersects(const OXEObb& other) const;

    float e0, e1, e2;
    D3DXVECTOR3 A0, A1, A2;
    D3DXVECTOR3 centre;
};

class OXEPolygon {
public:
    OXEPolygon();
    ~OXEPolygon();
    OXEPolygon& operator=(const OXEPolygon& other);
    void CopyOf(const OXEPolygon& other);
    void Set(const D3DXVECTOR3* points, int numPoints, const unsigned int* indices, int numIndices);
    int GetNumPoints() const;
    int GetNumIndis() const;
    const D3DXVECTOR3* GetPoints() const;
    const unsigned int* GetIndices() const;
    OXEPlane GetPlane() const;
    OXEAabb GetAabb() const;
    unsigned int GetFlag() const;
    void SetFlag(unsigned int flag);
    void SwapFaces();
    void Clip(const OXEPlane& plane, OXEPolygon* front, OXEPolygon* back) const;
    void Clip(const OXEAabb& box);
    int Cull(const OXEAabb& box) const;
    bool Intersects(const OXERay& ray, bool cull, float* t) const;

    OXEPlane plane;
    int numPoints;
    int numIndices;
    OXEAabb box;
    unsigned int flag;
    D3DXVECTOR3* points;
    unsigned int* indices;
};

class OXEQuat {
public:
    OXEQuat();
    OXEQuat(float x, float y, float z, float w);
    OXEQuat& operator=(const OXEQuat& other);
    OXEQuat& operator*=(const OXEQuat& q);
    OXEQuat operator*(const OXEQuat& q) const;
    void MakeFromEuler(float a, float b, float c);
    void GetMatrix(D3DXMATRIX* m) const;

    float x, y, z, w;
};

// ---- PelmoraGraf: particle effects (and Camera, above) -------------------------------------

struct Particle {
    D3DXVECTOR3 startPos;
    D3DXVECTOR3 startVelocity;
    float startSize;
    float birthTime;
    float lifeSpan;
    float mass;
    D3DCOLOR startColor;
};

float GetRandomFloat(float a, float b);
void GetRandomVec(D3DXVECTOR3& out);

class PSystem {
public:
    PSystem(const std::string& fxName, const std::string& techName, const std::string& texName,
            const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle);
    virtual ~PSystem();
    void setTime(float t);
    void setWorldMtx(const D3DXMATRIX& m);
    void addParticle();
    void UseAlphaBlendingParticles(bool on);
    virtual void onLostDevice();
    virtual void onResetDevice();
    virtual void initParticle(Particle& out) = 0;
    virtual void update(float dt);
    virtual void draw(Camera camera);
    virtual void setParticleBlending(int alpha) = 0;

    bool useAlphaFade;
    ID3DXEffect* effect;
    D3DXHANDLE technique;
    D3DXHANDLE hWVP, hEyePosL, hTex, hTime, hAccel, hViewportHeight;
    IDirect3DTexture9* texture;
    IDirect3DVertexBuffer9* vertexBuffer;
    D3DXMATRIX world;
    D3DXMATRIX invWorld;
    float time;
    D3DXVECTOR3 accel;
    OXEAabb box;
    int maxParticles;
    float timePerParticle;
    std::vector<Particle> particles;
    std::vector<Particle*> alive;
    std::vector<Particle*> dead;
};

// The five kinds: a constructor with PSystem's parameters, the destructor and initParticle.
#define CLIENT_EFFECT_KIND(Kind)                                                                 \
    class Kind : public PSystem {                                                                \
    public:                                                                                      \
        Kind(const std::string& fxName, const std::string& techName, const std::string& texName, \
             const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles,                  \
             float timePerParticle);                                                             \
        ~Kind();                                                                                 \
        void initParticle(Particle& out);                                                        \
    };
CLIENT_EFFECT_KIND(FireRing)
CLIENT_EFFECT_KIND(Sprinkler)
CLIENT_EFFECT_KIND(Smoke)
CLIENT_EFFECT_KIND(Candle)
#undef CLIENT_EFFECT_KIND

class Rain : public PSystem {
public:
    Rain(const std::string& fxName, const std::string& techName, const std::string& texName,
         const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle,
         D3DXVECTOR3 initCamPos);
    ~Rain();
    void initParticle(Particle& out);
    void setInitCamPos(D3DXVECTOR3 pos);

    D3DXVECTOR3 initCamPos;
};

// ---- PelmoraEffects ---------------------------------------------------------------------------

class FadeScreen {
public:
    FadeScreen();
    ~FadeScreen();
    void init(int width, int height, advString pic1File, advString pic2File, IDirect3DDevice9* device,
              D3DFORMAT format);
    void initPict1(advString file, IDirect3DDevice9* device);
    void initPict2(advString file, IDirect3DDevice9* device);
    void RenderPict1ToFinalPicture(IDirect3DDevice9* device);
    long RenderFinalPicture(int count);
    void RenderToBackBuffer(IDirect3DDevice9* device);
    IDirect3DSurface9* GetPict1();
    IDirect3DSurface9* GetPict2();

    int width, height;
    bool ready;
    IDirect3DSurface9* pict1;
    IDirect3DSurface9* pict2;
    IDirect3DSurface9* finalPicture;
    int fillMode;
    D3DCOLOR color1, color2;
};

struct simple_worm {
    int speed, x, reserved, width, drop;
};

class MeltScreen {
public:
    MeltScreen();
    ~MeltScreen();
    void init(int wormCount, int width, int height, IDirect3DDevice9* device, D3DFORMAT format);
    void InitWorms(int unused);
    void SetWormsWidth(int w);
    void Simulate(int steps);
    int GetSingleWormWidth();
    void initPict1(advString file, DWORD color, bool fill, IDirect3DDevice9* device, D3DFORMAT format);
    void initPict2(advString file, DWORD color, bool fill, IDirect3DDevice9* device, D3DFORMAT format);
    long SetPicture1(advString file);
    long SetPicture2(advString file);
    long RenderFinalPicture();
    void RenderToBackBuffer(IDirect3DDevice9* device);
    void Reset(IDirect3DDevice9* device);
    void CaptureScreenToSurf(IDirect3DDevice9* device, IDirect3DSurface9* surface);
    void CopyBackBuffer(IDirect3DDevice9* device, int which);
    IDirect3DSurface9* GetPict1();
    IDirect3DSurface9* GetPict2();
    void Log(const char* format, ...);

    int wormCount;
    int width, height;
    bool ready;
    bool logFlush;
    FILE* logFile;
    IDirect3DSurface9* pict1;
    IDirect3DSurface9* pict2;
    IDirect3DSurface9* finalPicture;
    D3DCOLOR color1, color2;
    int fillMode;
    simple_worm worms[128];
};

class Pixelate {
public:
    Pixelate();
    ~Pixelate();
    void init(IDirect3DDevice9* device, advString file, bool load);
    long RenderToBackSurface(IDirect3DDevice9* device, int block);
    long PixelateBackBuffer(IDirect3DDevice9* device, int block);
    bool CaptureBackBufferToSurface(IDirect3DDevice9* device);
    void CopyBackBuffeToSrc(IDirect3DDevice9* device);
    void SaveOldTarget(IDirect3DDevice9* device);
    void RenderToSrc(IDirect3DDevice9* device);
    void RestoreOldTarget(IDirect3DDevice9* device);

    IDirect3DSurface9* source;
    IDirect3DSurface9* work;
    IDirect3DSurface9* savedTarget;
    bool ready;
    int width, height;
    D3DFORMAT format;
    int blockSize;
};
