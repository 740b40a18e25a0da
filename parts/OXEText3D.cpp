#include "OXEText3D.h"
#include "OXEResult.h"
#include <climits>

OXEText3D::OXEText3D() : mesh(nullptr), lighting(false) {}

OXEText3D::~OXEText3D()
{
    if (mesh) mesh->Release();
    mesh = nullptr;
    transform.Reset();
}

long OXEText3D::CreatD3DXTextMesh(IDirect3DDevice9* device, char* fontFace, advString text, DWORD pointSize,
                                  int bold, int italic)
{
    // A point size past the int range would turn negative; one whose pixel height does not fit
    // in an int makes MulDiv answer -1: both are refused rather than drawn at a wrong size.
    // A null face is any face to the font machinery, and a null device is D3DX's to answer.
    if (pointSize > DWORD(INT_MAX)) return OXE_INVALIDPARAM;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return OXE_FAIL;
    const int height = MulDiv(int(pointSize), GetDeviceCaps(dc, LOGPIXELSY), 72);
    if (height < 0) {
        DeleteDC(dc);
        return OXE_INVALIDPARAM;
    }
    HFONT font = CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic ? TRUE : FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, fontFace);
    if (!font) {
        DeleteDC(dc);
        return OXE_FAIL;
    }
    HGDIOBJ oldFont = SelectObject(dc, font);
    ID3DXMesh* made = nullptr;
    HRESULT hr = D3DXCreateTextA(device, dc, text.GetString(), 0.001f, 0.4f, &made, nullptr, nullptr);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    DeleteDC(dc);
    if (SUCCEEDED(hr) && made) {
        if (mesh) mesh->Release();
        mesh = made;
    }
    return hr;
}

void OXEText3D::Render(IDirect3DDevice9* device)
{
    if (!device || !mesh) return;
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_LIGHTING, lighting ? TRUE : FALSE);
    device->SetRenderState(D3DRS_AMBIENT, 0xFF323232);
    D3DMATERIAL9 blue = {};
    blue.Diffuse = D3DCOLORVALUE{0.0f, 0.0f, 1.0f, 1.0f};
    blue.Ambient = D3DCOLORVALUE{0.0f, 0.0f, 1.0f, 1.0f};
    device->SetMaterial(&blue);
    device->SetTransform(D3DTS_WORLD, transform.GetTransform());
    mesh->DrawSubset(0);
}
