#include "simpleMesh.h"
#include "MeshArrays.h"
#include "XFileCheck.h"
#include <cstdio>

namespace {
const char* const kCaption = "SimpleMesh";
const int kPathSize = 260; // a parent-folder retry longer than this is not tried
}

simpleMesh::simpleMesh() : numMaterials(0), mesh(nullptr), materials(nullptr), textures(nullptr) {}

simpleMesh::~simpleMesh()
{
    releaseAll();
    transform.Reset();
}

void simpleMesh::releaseAll()
{
    FreeSubsetArrays(materials, textures);
    if (mesh) mesh->Release();
    mesh = nullptr;
    numMaterials = 0;
}

long simpleMesh::init(IDirect3DDevice9* device, advString file)
{
    releaseAll();
    ID3DXBuffer* materialBuffer = nullptr;
    DWORD count = 0;
    // A broken compressed file would crash D3DX: it counts as a mesh that does not load.
    if (!device || !IsSoundXFile(file.GetString()) || FAILED(D3DXLoadMeshFromXA(file.GetString(), D3DXMESH_SYSTEMMEM, device, nullptr,
                                             &materialBuffer, nullptr, &count, &mesh))) {
        mesh = nullptr;
        if (materialBuffer) materialBuffer->Release();
        MessageBoxA(nullptr, "Could not find mesh", kCaption, MB_OK);
        return E_FAIL;
    }
    const D3DXMATERIAL* loaded = materialBuffer ? static_cast<D3DXMATERIAL*>(materialBuffer->GetBufferPointer()) : nullptr;
    if (!loaded) count = 0;

    if (!MakeSubsetArrays(materials, textures, count)) {
        if (materialBuffer) materialBuffer->Release();
        releaseAll();
        return E_OUTOFMEMORY;
    }
    numMaterials = count;

    for (DWORD i = 0; i < count; ++i) {
        materials[i] = loaded[i].MatD3D;
        materials[i].Ambient = materials[i].Diffuse;
        textures[i] = nullptr;
        const char* name = loaded[i].pTextureFilename;
        if (!name || !name[0]) continue;
        // A name from the file is a file name: an absolute or network one is not opened.
        if (IsRelativeTextureName(name)) {
            if (SUCCEEDED(D3DXCreateTextureFromFileA(device, name, &textures[i]))) continue;
            textures[i] = nullptr;
            char parent[kPathSize];
            int n = snprintf(parent, sizeof(parent), "..\\%s", name);
            if (n > 0 && n < kPathSize && SUCCEEDED(D3DXCreateTextureFromFileA(device, parent, &textures[i]))) continue;
            textures[i] = nullptr;
        }
        MessageBoxA(nullptr, "Could not find texture map", kCaption, MB_OK);
    }
    if (materialBuffer) materialBuffer->Release();
    return 0;
}

long simpleMesh::Render(IDirect3DDevice9* device)
{
    if (!device || !mesh) return 0;
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

    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    device->SetTransform(D3DTS_WORLD, transform.GetTransform());
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFF0000);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    for (DWORD i = 0, n = UsableSubsets(materials, textures, numMaterials); i < n; ++i) {
        device->SetMaterial(&materials[i]);
        device->SetTexture(0, textures[i]);
        mesh->DrawSubset(i);
    }
    return 0;
}

bool simpleMesh::isValidDatatype() { return false; }
