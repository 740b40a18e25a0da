/// \file
/// geQuad: a four-cornered shape drawn directly in screen pixels.
#pragma once
#include "PelmoraPartsApi.h"
#include <d3d9.h>
#include <d3dx9.h>

/// A four-cornered shape drawn directly in screen pixels (pre-transformed vertices), optionally
/// textured and optionally translucent.
///
/// It works on the Direct3D device passed to each call and knows nothing of the render device.
/// Use: construct, place it (doBox or setPoint1..4, setGlobalCoords, setColor), optionally load a
/// texture, createGeoBuffers once, then per draw move it (change x, y, corners or colours,
/// RefreshGeoBuffers) and Render; one quad can be moved and drawn many times per frame. It owns
/// its two buffers and its texture and releases them in its destructor: destroy it before the
/// device is released. Both buffers and the texture are in the managed pool, so a device reset
/// asks nothing of it.
class PELMORA_PARTS_API geQuad {
public:
    IDirect3DVertexBuffer9* vertexBuffer; ///< four vertices, owned; null until createGeoBuffers
    IDirect3DIndexBuffer9* indexBuffer;   ///< six 16-bit indices, owned; null until createGeoBuffers
    IDirect3DTexture9* texture;           ///< owned; null until a texture is loaded
    WORD indices[6];                      ///< always 0, 1, 2, 3, 1, 0: triangles (1,2,3) and (4,2,1)
    D3DXMATRIX world;                     ///< world transform, set to identity on every Render
    /// \var x
    /// Left position of the quad in screen pixels (corner offsets are added to it).
    /// \var y
    /// Top position of the quad in screen pixels.
    int x, y, z;                          ///< position of the quad in screen pixels
    /// \var px
    /// Corner 1..4 x offsets from x, in pixels.
    /// \var py
    /// Corner 1..4 y offsets from y, in pixels.
    int px[4], py[4], pz[4];              ///< corner 1..4 offsets from (x, y, z)
    DWORD colour[4];                      ///< ARGB colour of corners 1..4 (alpha in the top byte)
    bool alphaBlend;                      ///< draw with alpha blending (source alpha over)
    bool textured;                        ///< draw with the texture on stage 0

    /// At (0, 0, 0), all corners at the position, colours 0 (transparent black), no buffers, no
    /// texture, alphaBlend on.
    geQuad();
    /// Releases the buffers and the texture.
    ~geQuad();
    /// A copy has its own buffers (made on the same device when the source has them) and shares
    /// the texture with a reference of its own, so each quad releases only what it holds.
    geQuad(const geQuad& other);
    /// As the copy constructor; what this quad held before is released first.
    geQuad& operator=(const geQuad& other);

    /// Loads the texture (managed pool) from the file with the default D3DX file loader,
    /// replacing the one held before. 0 on success (textured = true); OXE_FAIL otherwise
    /// (textured = false, the quad draws untextured), also for a null device or name.
    long CreateTexture(IDirect3DDevice9* device, const char* fileName);
    /// Loads the texture as CreateTexture does, with a colour key: pixels of colourKey (ARGB)
    /// become transparent black. Same results.
    long CreateTextureColorKey(IDirect3DDevice9* device, const char* fileName, D3DCOLOR colourKey);

    /// Sets the position in screen pixels (z as given, normally 0). RefreshGeoBuffers shows it.
    void setGlobalCoords(int x, int y, int z);
    /// Sets corner 1's offsets from the position (texture coordinate (0, 0)).
    void setPoint1(int x, int y, int z);
    /// Sets corner 2's offsets from the position (texture coordinate (1, 1)).
    void setPoint2(int x, int y, int z);
    /// Sets corner 3's offsets from the position (texture coordinate (0, 1)).
    void setPoint3(int x, int y, int z);
    /// Sets corner 4's offsets from the position (texture coordinate (1, 0)).
    void setPoint4(int x, int y, int z);
    /// Sets the ARGB colours of corners 1 to 4.
    void setColor(DWORD c1, DWORD c2, DWORD c3, DWORD c4);
    /// Corners of a width x height box in pixels: top-left, bottom-right, bottom-left, top-right,
    /// so the texture is mapped once, upright.
    void doBox(int width, int height, int z);
    /// Corner 4 x minus corner 1 x.
    int getWidth();
    /// Corner 3 y minus corner 1 y.
    int getHeight();

    /// Creates both buffers (managed pool) and fills them from the current fields, replacing
    /// earlier buffers. Nothing is reported: a buffer that cannot be made or filled leaves the
    /// quad without an index buffer, and it then draws nothing.
    void createGeoBuffers(IDirect3DDevice9* device);
    /// Rewrites the vertex buffer from the current fields; keeps the old vertices if it cannot
    /// lock. The device is not used.
    void RefreshGeoBuffers(IDirect3DDevice9* device);
    /// Draws the quad; does nothing while a buffer is missing. Leaves its states set: fill mode
    /// solid, world transform identity, z test on, culling off, stage 0 colour = texture (select
    /// argument 1) and alpha = texture x diffuse, blending source alpha / inverse source alpha
    /// (on or off after alphaBlend), stream 0, indices and FVF (0x144); the texture on stage 0
    /// is taken off again.
    ///
    /// Note: it binds stream 0 and the indices on the Direct3D device without telling the render
    /// device's vertex cache manager: a static buffer drawn after it needs the manager's
    /// InvalidateStates first.
    /// Note: an untextured quad leaves stage 0's texture as it is and selects the texture as
    /// colour: a texture left on stage 0 by other drawing shows on it.
    /// Note: it sets no shader; the render device keeps a vertex shader active after Init, so set
    /// SetVertexShader(nullptr) and SetPixelShader(nullptr) first.
    void Render(IDirect3DDevice9* device);

private:
    void releaseBuffers();
    void setPoint(int corner, int x, int y, int z);
    long loadTexture(IDirect3DDevice9* device, const char* fileName, bool colourKeyed,
                     D3DCOLOR colourKey);
};
