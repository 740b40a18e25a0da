// Sprite2D: one texture drawn as a 2D screen sprite through a D3DX sprite object, at an integer
// pixel position, with optional scaling, rotation and alpha. Every drawing call takes the device.
// The 2D transform of each variant applies to the position as well: a sprite scaled without a
// scaling centre has its position scaled too.
#pragma once
#include "PelmoraPartsApi.h"
#include "advString.h"
#include <d3d9.h>
#include <d3dx9.h>

class PELMORA_PARTS_API Sprite2D {
public:
    ID3DXSprite* sprite;        // owned; null until Create
    IDirect3DTexture9* texture; // owned; null until Create loads the image
    int x, y;                   // screen position of the top-left corner, in pixels
    float width, height;        // set by the user: rotation-centre size or scale factors
    float scale;                // uniform scale of Render and RenderNoAlphaBlend, 1.0 at start
    float rotation;             // radians, used by RenderAlphaBlend

    Sprite2D();
    ~Sprite2D();
    // A copy shares the sprite object and texture, each with a reference of its own.
    Sprite2D(const Sprite2D& other);
    Sprite2D& operator=(const Sprite2D& other);

    // Creates the sprite object and loads the texture (replacing earlier ones). A file that
    // cannot be loaded leaves the sprite without a texture; it then draws nothing.
    void Create(IDirect3DDevice9* device, advString fileName);

    void Render(IDirect3DDevice9* device);                   // alpha blended, scaled by scale
    void RenderNoAlphaBlend(IDirect3DDevice9* device);       // opaque, scaled by scale
    void RenderAlphaBlend(IDirect3DDevice9* device, int alpha); // rotated about its centre, faded
    void RenderFixed(IDirect3DDevice9* device);              // scaled by (width, height)
    // Scaled by (width / screenWidth, height / screenHeight); nothing drawn for a zero screen size.
    void RenderFullscreen(IDirect3DDevice9* device, int screenWidth, int screenHeight);
    // Scaled by (width, height) about the sprite's position; the arguments are not used.
    void RenderAbs(IDirect3DDevice9* device, float unusedX, float unusedY);
    // Scaled by (sx / width, sy / width) about the sprite's position; nothing drawn when width is 0.
    void RenderRel(IDirect3DDevice9* device, float sx, float sy);

private:
    struct Drawing; // what one variant asks of the drawing frame (Sprite2D.cpp)

    void release();
    // One drawing frame: z testing off, the 2D transform, Begin / Draw at (x, y) / End, z on.
    void draw(IDirect3DDevice9* device, const Drawing& drawing);
};
