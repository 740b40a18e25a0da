#include "meshObject.h"
#include "MeshArrays.h"
#include "XFileCheck.h"

meshObject::meshObject()
    : materialBuffer(nullptr), mesh(nullptr), numMaterials(0), materials(nullptr), textures(nullptr)
{
}

meshObject::~meshObject()
{
    releaseAll();
    transform.Reset();
}

void meshObject::releaseAll()
{
    FreeSubsetArrays(materials, textures);
    if (mesh) mesh->Release();
    mesh = nullptr;
    if (materialBuffer) materialBuffer->Release();
    materialBuffer = nullptr;
    numMaterials = 0;
}

void meshObject::init(IDirect3DDevice9* device, advString file, int)
{
    releaseAll();
    if (!device || !IsSoundXFile(file.GetString())) return; // a broken compressed file would crash D3DX
    DWORD count = 0;
    if (FAILED(D3DXLoadMeshFromXA(file.GetString(), D3DXMESH_SYSTEMMEM, device, nullptr, &materialBuffer,
                                  nullptr, &count, &mesh))) {
        mesh = nullptr;
        releaseAll();
        return;
    }
    const D3DXMATERIAL* loaded = materialBuffer ? static_cast<D3DXMATERIAL*>(materialBuffer->GetBufferPointer()) : nullptr;
    if (!MakeSubsetArrays(materials, textures, loaded ? count : 0)) {
        releaseAll();
        return;
    }
    numMaterials = loaded ? count : 0;
    for (DWORD i = 0; i < numMaterials; ++i) {
        materials[i] = loaded[i].MatD3D;
        materials[i].Ambient = materials[i].Diffuse;
        const char* name = loaded[i].pTextureFilename;
        if (name && name[0] && FAILED(D3DXCreateTextureFromFileA(device, textureFN.GetString(), &textures[i])))
            textures[i] = nullptr;
    }
    D3DXComputeNormals(mesh, nullptr);
}

void meshObject::Render(IDirect3DDevice9* device)
{
    if (!device || !mesh) return;
    for (DWORD i = 0, n = UsableSubsets(materials, textures, numMaterials); i < n; ++i) {
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_ANISOTROPIC);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);

        device->SetTransform(D3DTS_WORLD, transform.GetTransform());
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        device->SetRenderState(D3DRS_LIGHTING, TRUE);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
        device->SetRenderState(D3DRS_AMBIENT, 0x00AAAAAA);
        device->SetMaterial(&materials[i]);
        device->SetTexture(0, textures[i]);
        mesh->DrawSubset(i);
    }
}

D3DMATERIAL9 meshObject::getMaterial(int i)
{
    D3DMATERIAL9 m = {};
    if (i >= 0 && DWORD(i) < UsableSubsets(materials, textures, numMaterials)) m = materials[i];
    return m;
}

void meshObject::ChangeMaterial(int i, D3DMATERIAL9 m)
{
    if (i >= 0 && DWORD(i) < UsableSubsets(materials, textures, numMaterials)) materials[i] = m;
}

void meshObject::ChangeTexture(IDirect3DDevice9* device, int i, advString file)
{
    if (!device || i < 0 || DWORD(i) >= UsableSubsets(materials, textures, numMaterials)) return;
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(D3DXCreateTextureFromFileA(device, file.GetString(), &texture))) return;
    if (textures[i]) textures[i]->Release();
    textures[i] = texture;
}

void meshObject::setTextureFN(advString file) { textureFN = file; }

DWORD meshObject::GetNumMaterials() { return numMaterials; }
