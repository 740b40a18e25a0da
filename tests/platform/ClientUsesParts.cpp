// Calls every documented operation of the PelmoraParts classes once, as a client program would.
// Never run: the object only gives the compiler's mangled names of those operations as its
// undefined symbols, which PelmoraParts.dll must export (check-exports.sh).
#include <new>
#include "ClientDeclarations.h"

void UsePartsLibrary(void* m, IDirect3DDevice9* dev, OXED3D* rd, char* name, D3DXVECTOR3& v,
                     D3DMATERIAL9& mat, std::vector<D3DXVECTOR3>& verts, std::vector<DWORD>& ids,
                     IDirect3DSurface9* surf)
{
    advString& s = *new (m) advString();
    new (m) advString("text");
    new (m) advString(s);
    s = s;
    s.initText();
    s.AnnaPituus();
    s.GetString();
    s[0];
    static_cast<const advString&>(s)[0];
    s + s;
    s += s;
    s.~advString();

    Timer& t = *new (m) Timer();
    t.start(); t.stop();
    t.getElapsedTimeInMicroSec(); t.getElapsedTimeInMilliSec(); t.getElapsedTimeInSec(); t.getElapsedTime();
    t.~Timer();

    geTimer& g = *new (m) geTimer();
    g.Reset(); g.update(); g.GetDelta();
    g.GetSeconds(); g.GetMinutes(); g.GetHours(); g.GetDay(); g.GetMonth(); g.GetYear();
    g.~geTimer();

    OXETimer& o = *new (m) OXETimer();
    o.start(); o.stop(); o.getElapsedSecs(); o.getElapsedTime(); o.reset();
    o.~OXETimer();

    OXETimerF& f = *new (m) OXETimerF();
    f.Start(); f.Stop(); f.Update(); f.GetElapsedTime(); f.GetRunningTime(); f.GetFPS(); f.IsStopped();
    f.~OXETimerF();

    geQuad& q = *new (m) geQuad();
    q = q;
    q.CreateTexture(dev, name); q.CreateTextureColorKey(dev, name, 0);
    q.setGlobalCoords(0, 0, 0);
    q.setPoint1(0, 0, 0); q.setPoint2(0, 0, 0); q.setPoint3(0, 0, 0); q.setPoint4(0, 0, 0);
    q.setColor(0, 0, 0, 0); q.doBox(1, 1, 0); q.getWidth(); q.getHeight();
    q.createGeoBuffers(dev); q.RefreshGeoBuffers(dev); q.Render(dev);
    q.~geQuad();

    Sprite2D& sp = *new (m) Sprite2D();
    sp.Create(dev, s);
    sp.Render(dev); sp.RenderNoAlphaBlend(dev); sp.RenderAlphaBlend(dev, 0); sp.RenderFixed(dev);
    sp.RenderFullscreen(dev, 1, 1); sp.RenderAbs(dev, 0, 0); sp.RenderRel(dev, 0, 0);
    sp.~Sprite2D();

    OXEParticleSystemParams& pp = *new (m) OXEParticleSystemParams();
    OXEParticle& pa = *new (m) OXEParticle();
    pa.Create(pp); pa.Simulate(0); pa.Render(dev, v); pa.GetLife();
    OXEParticleSystem& ps = *new (m) OXEParticleSystem();
    ps.Create(dev, pp, 1, 1, s);
    ps.Simulate(0); ps.Render(dev); ps.SetPosition(v); ps.GetPosition();
    ps.SetSize(0); ps.SetFinalSize(0); ps.SetLifeTime(0); ps.SetDispersion(0); ps.SetVelocity(v);
    ps.SetDontCreate(true);
    ps.~OXEParticleSystem();

    CWorldTransform& w = *new (m) CWorldTransform();
    w.Reset();
    w.TranslateAbs(0, 0, 0); w.TranslateRel(0, 0, 0); w.RotateAbs(0, 0, 0); w.RotateRel(0, 0, 0);
    w.ScaleAbs(0, 0, 0); w.ScaleRel(0, 0, 0); w.GetTransform();
    w.GetXPosition(); w.GetYPosition(); w.GetZPosition();
    w.GetXRotation(); w.GetYRotation(); w.GetZRotation();
    w.GetXScale(); w.GetYScale(); w.GetZScale();
    w.~CWorldTransform();

    CMesh& cm = *new (m) CMesh();
    cm.Load(name, dev); cm.Release(); cm.GetMesh(); cm.GetNumMaterials();
    cm.GetMeshMaterial(0); cm.GetMeshTexture(0); cm.setMeshMaterial(mat, 0);
    cm.~CMesh();
    CMeshInstance& ci = *new (m) CMeshInstance();
    ci.SetMesh(&cm); ci.Release(); ci.setMaterial(mat, 0); ci.Render(dev);
    ci.~CMeshInstance();
    meshObject& mo = *new (m) meshObject();
    mo.setTextureFN(s); mo.init(dev, s, 0); mo.Render(dev); mo.getMaterial(0);
    mo.ChangeMaterial(0, mat); mo.ChangeTexture(dev, 0, s); mo.GetNumMaterials();
    mo.~meshObject();
    simpleMesh& sm = *new (m) simpleMesh();
    sm.init(dev, s); sm.Render(dev); sm.isValidDatatype();
    sm.~simpleMesh();

    OXELightProperties& lp = *new (m) OXELightProperties();
    OXELamp& la = *new (m) OXELamp();
    la.init(D3DLIGHT_POINT); la.init(D3DLIGHT_POINT, 1, 2, 3);
    la.setDiffuse(1, 2, 3); la.setAmbient(1, 2, 3); la.setDirection(v);
    la.setLightOn(dev, true); la.update(dev); la.setLightProperties(lp); la.getLightProp();
    la.~OXELamp();
    OXELight& li = *new (m) OXELight();
    li.Initialize(); li.Update(dev);
    li.~OXELight();

    paneeli& pn = *new (m) paneeli();
    pn.init(0); pn.isInBounds(0, 0); pn.Render(dev);
    pn.~paneeli();
    textParams& tp = *new (m) textParams();
    new (m) textParams(tp);
    tp = tp;
    tp.setColorBytes(D3DXCOLOR(0, 0, 0, 0)); tp.setSelectedColorBytes(D3DXCOLOR(0, 0, 0, 0));
    tp.Render(rd, true);
    tp.~textParams();
    menuItem& mi = *new (m) menuItem();
    new (m) menuItem(mi);
    mi = mi;
    mi.~menuItem();
    simpleMenu& mn = *new (m) simpleMenu(1, 0);
    mn.UpdateMenuItems(); mn.updateMenuItmes(0, 0); mn.isInLabelBounds(0, 0, 0);
    mn.setMenuPosition(0, 0); mn.toggleSelection(0); mn.Render(rd);
    mn.~simpleMenu();
    textCache& tc = *new (m) textCache();
    tc.init(1); tc.RenderText(rd, 0, true); tc.RenderAllText(rd);
    tc.~textCache();

    TriGrid& tg = *new (m) TriGrid();
    tg.GenTriGrid(2, 2, 1, 1, v, verts, ids); tg.buildGeoBuffers(dev, 2, 2); tg.buildFX(dev);
    tg.Render(dev, D3DXMATRIX(), D3DXMATRIX());
    tg.~TriGrid();
    OXESurface& su = *new (m) OXESurface();
    su.CreateNewBlankSurface(1, 1); su.LoadFromFile(name); su.getinfo(); su.getSurface();
    su.copyToBackBuffer(); su.copyToOtherSurface(surf); su.copyFromOtherSurface(surf);
    su.~OXESurface();
    OXETexture& tx = *new (m) OXETexture();
    new (m) OXETexture(dev, name);
    tx.Create(dev, name); tx.GetTexture();
    tx.~OXETexture();
    OXEText3D& t3 = *new (m) OXEText3D();
    t3.CreatD3DXTextMesh(dev, name, s, 12, 0, 0); t3.Render(dev);
    t3.~OXEText3D();
}
