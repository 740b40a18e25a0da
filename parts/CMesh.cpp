#include "CMesh.h"
#include "FindMediaFile.h"
#include "MeshArrays.h"
#include "XFileCheck.h"

CMesh::CMesh() : mesh(nullptr), numMaterials(0), materials(nullptr), textures(nullptr) {}

CMesh::~CMesh() { Release(); }

ID3DXMesh* CMesh::GetMesh() { return mesh; }

DWORD CMesh::GetNumMaterials() { return numMaterials; }

void CMesh::Release()
{
    FreeSubsetArrays(materials, textures);
    if (mesh) {
        mesh->Release();
        mesh = nullptr;
    }
    numMaterials = 0;
}

int CMesh::Load(char* file, IDirect3DDevice9* device)
{
    Release();
    if (!file || !device) return 0;

    char path[kMediaPathSize];
    if (!FindMediaFile(file, path)) return 0;
    if (!IsSoundXFile(path)) return 0; // a broken compressed file would crash D3DX

    ID3DXBuffer* materialBuffer = nullptr;
    DWORD count = 0;
    if (FAILED(D3DXLoadMeshFromXA(path, D3DXMESH_MANAGED, device, nullptr, &materialBuffer, nullptr,
                                  &count, &mesh))) {
        mesh = nullptr;
        if (materialBuffer) materialBuffer->Release();
        return 0;
    }

    const D3DXMATERIAL* loaded = materialBuffer ? static_cast<D3DXMATERIAL*>(materialBuffer->GetBufferPointer()) : nullptr;
    if (!loaded) count = 0;
    if (!MakeSubsetArrays(materials, textures, count)) {
        if (materialBuffer) materialBuffer->Release();
        Release();
        return 0;
    }
    numMaterials = count;

    bool ok = true;
    for (DWORD i = 0; i < count && ok; ++i) {
        materials[i] = loaded[i].MatD3D;
        materials[i].Ambient = materials[i].Diffuse;
        const char* name = loaded[i].pTextureFilename;
        if (!name || !name[0]) continue;
        // A name from the file is a file name: only relative ones are looked for.
        char texturePath[kMediaPathSize];
        ok = IsRelativeTextureName(name) && FindMediaFile(name, texturePath) &&
             SUCCEEDED(D3DXCreateTextureFromFileA(device, texturePath, &textures[i]));
        if (!ok) textures[i] = nullptr;
    }
    if (materialBuffer) materialBuffer->Release();
    if (!ok) {
        Release();
        return 0;
    }
    return 1;
}

D3DMATERIAL9* CMesh::GetMeshMaterial(int i)
{
    if (i < 0 || DWORD(i) >= UsableSubsets(materials, textures, numMaterials)) return nullptr;
    return &materials[i];
}

IDirect3DTexture9* CMesh::GetMeshTexture(int i)
{
    if (i < 0 || DWORD(i) >= UsableSubsets(materials, textures, numMaterials)) return nullptr;
    return textures[i];
}

void CMesh::setMeshMaterial(D3DMATERIAL9 m, int i)
{
    if (D3DMATERIAL9* slot = GetMeshMaterial(i)) *slot = m;
}

// ---- CMeshInstance ----

CMeshInstance::CMeshInstance() : mesh(nullptr) {}

void CMeshInstance::SetMesh(CMesh* m) { mesh = m; }

void CMeshInstance::Release() { mesh = nullptr; }

CMeshInstance::~CMeshInstance()
{
    mesh = nullptr;
    transform.Reset();
}

void CMeshInstance::setMaterial(D3DMATERIAL9 m, int i)
{
    if (mesh) mesh->setMeshMaterial(m, i);
}

void CMeshInstance::Render(IDirect3DDevice9* device)
{
    if (!device || !mesh || !mesh->GetMesh()) return;
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetTransform(D3DTS_WORLD, transform.GetTransform());
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    // GetMeshMaterial answers null past the subsets the mesh really holds: the loop ends there
    // whatever numMaterials says.
    for (DWORD i = 0; i < mesh->GetNumMaterials() && mesh->GetMeshMaterial(int(i)); ++i) {
        device->SetMaterial(mesh->GetMeshMaterial(int(i)));
        device->SetTexture(0, mesh->GetMeshTexture(int(i)));
        mesh->GetMesh()->DrawSubset(i);
        device->SetTexture(0, nullptr);
    }
}
