// geQuad: a four-cornered shape drawn directly in screen pixels (pre-transformed vertices),
// optionally textured and optionally translucent. It works on the Direct3D device passed to each
// call and knows nothing of the render device. One quad can be moved and redrawn many times per
// frame: change x, y (or corners, colours), RefreshGeoBuffers, Render.
#pragma once
#include "PelmoraPartsApi.h"
#include <d3d9.h>
#include <d3dx9.h>

class PELMORA_PARTS_API geQuad {
public:
    IDirect3DVertexBuffer9* vertexBuffer; // four vertices, owned; null until createGeoBuffers
    IDirect3DIndexBuffer9* indexBuffer;   // six 16-bit indices, owned; null until createGeoBuffers
    IDirect3DTexture9* texture;           // owned; null until a texture is loaded
    WORD indices[6];                      // always 0, 1, 2, 3, 1, 0: triangles (1,2,3) and (4,2,1)
    D3DXMATRIX world;                     // world transform, set to identity on every Render
    int x, y, z;                          // position of the quad in screen pixels
    int px[4], py[4], pz[4];              // corner 1..4 offsets from (x, y, z)
    DWORD colour[4];                      // ARGB colour of corners 1..4
    bool alphaBlend;                      // draw with alpha blending (source alpha over)
    bool textured;                        // draw with the texture on stage 0

    geQuad();
    ~geQuad();
    // A copy has its own buffers (made on the same device when the source has them) and shares
    // the texture with a reference of its own, so each quad releases only what it holds.
    geQuad(const geQuad& other);
    geQuad& operator=(const geQuad& other);

    // Loads the texture with the default D3DX file loader. 0 on success (textured = true);
    // OXE_FAIL otherwise (textured = false, the quad draws untextured).
    long CreateTexture(IDirect3DDevice9* device, const char* fileName);
    // Loads the texture with a colour key: pixels of colourKey become transparent black.
    long CreateTextureColorKey(IDirect3DDevice9* device, const char* fileName, D3DCOLOR colourKey);

    void setGlobalCoords(int x, int y, int z);
    void setPoint1(int x, int y, int z);
    void setPoint2(int x, int y, int z);
    void setPoint3(int x, int y, int z);
    void setPoint4(int x, int y, int z);
    void setColor(DWORD c1, DWORD c2, DWORD c3, DWORD c4);
    // Corners of a width x height box: top-left, bottom-right, bottom-left, top-right.
    void doBox(int width, int height, int z);
    int getWidth();  // corner 4 x minus corner 1 x
    int getHeight(); // corner 3 y minus corner 1 y

    // Creates both buffers and fills them from the current fields (replacing earlier buffers).
    void createGeoBuffers(IDirect3DDevice9* device);
    // Rewrites the vertex buffer from the current fields; keeps the old vertices if it cannot lock.
    void RefreshGeoBuffers(IDirect3DDevice9* device);
    // Draws the quad; does nothing while a buffer is missing. Leaves its render states set.
    void Render(IDirect3DDevice9* device);

private:
    void releaseBuffers();
    void setPoint(int corner, int x, int y, int z);
    long loadTexture(IDirect3DDevice9* device, const char* fileName, bool colourKeyed,
                     D3DCOLOR colourKey);
};
