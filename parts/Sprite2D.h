/// \file
/// Sprite2D: one texture drawn as a 2D screen sprite through a D3DX sprite object.
#pragma once
#include "PelmoraPartsApi.h"
#include "advString.h"
#include <d3d9.h>
#include <d3dx9.h>

/// One texture drawn as a 2D screen sprite through a D3DX sprite object, at an integer pixel
/// position, with optional scaling, rotation and alpha.
///
/// Use: construct, Create once, set x, y (and width, height, scale, rotation as the variant
/// needs), draw with one of the Render variants any number of times (x may change between two
/// draws of a frame), destroy. It owns its sprite object and texture (managed pool) and releases
/// them in its destructor: destroy it before the device is released. Every drawing call takes
/// the device. Note: the 2D transform of each variant applies to the position as well: a sprite
/// scaled without a scaling centre (Render, RenderNoAlphaBlend, RenderFixed, RenderFullscreen)
/// has its position scaled too. Note: D3DX asks ID3DXSprite users to call sprite->OnLostDevice()
/// before a device reset and sprite->OnResetDevice() after; this class leaves that to the caller.
class PELMORA_PARTS_API Sprite2D {
public:
    ID3DXSprite* sprite;        ///< owned; null until Create
    IDirect3DTexture9* texture; ///< owned; null until Create loads the image
    /// \var x
    /// Screen x of the top-left corner, in pixels.
    int x, y;                   ///< screen position of the top-left corner, in pixels
    /// \var width
    /// Set by the user: rotation-centre width (RenderAlphaBlend) or x scale factor (see each variant).
    float width, height;        ///< set by the user: rotation-centre size or scale factors
    float scale;                ///< uniform scale of Render and RenderNoAlphaBlend, 1.0 at start
    float rotation;             ///< radians, used by RenderAlphaBlend

    /// No sprite object, no texture, at (0, 0), width and height 0, scale 1, rotation 0.
    Sprite2D();
    /// Releases the sprite object and the texture.
    ~Sprite2D();
    /// A copy shares the sprite object and texture, each with a reference of its own.
    Sprite2D(const Sprite2D& other);
    /// As the copy constructor; what this sprite held before is released.
    Sprite2D& operator=(const Sprite2D& other);

    /// Creates the sprite object and loads the texture from the file with the default D3DX
    /// loader (replacing earlier ones). Nothing is reported: a file that cannot be loaded leaves
    /// the sprite without a texture, and it then draws nothing. Position and sizes are kept.
    void Create(IDirect3DDevice9* device, advString fileName);

    /// Draws alpha blended, scaled by scale, in white (the texture's own colours).
    ///
    /// Every variant turns the z test off (D3DRS_ZENABLE FALSE) around the draw and on again
    /// after it (TRUE, whatever it was before); the sprite object restores the other states it
    /// changes at its End.
    void Render(IDirect3DDevice9* device);
    /// Draws opaque (blending and alpha test off, the texture's alpha ignored), scaled by scale.
    void RenderNoAlphaBlend(IDirect3DDevice9* device);
    /// Draws alpha blended, unscaled, rotated by rotation about (x + width / 2, y + height / 2),
    /// faded by alpha (0 transparent .. 255 opaque; only the low byte is used).
    void RenderAlphaBlend(IDirect3DDevice9* device, int alpha);
    /// Draws alpha blended, scaled by (width, height) as factors (position scaled too).
    void RenderFixed(IDirect3DDevice9* device);
    /// Draws alpha blended, scaled by (width / screenWidth, height / screenHeight); nothing drawn
    /// for a zero screen size.
    void RenderFullscreen(IDirect3DDevice9* device, int screenWidth, int screenHeight);
    /// Draws alpha blended, scaled by (width, height) as factors about the sprite's position (the
    /// position stays). The two float arguments are not used.
    void RenderAbs(IDirect3DDevice9* device, float unusedX, float unusedY);
    /// Draws alpha blended, scaled by (sx / width, sy / width) about the sprite's position;
    /// nothing drawn when width is 0. Note: both factors are divided by width.
    void RenderRel(IDirect3DDevice9* device, float sx, float sy);

private:
    struct Drawing; // what one variant asks of the drawing frame (Sprite2D.cpp)

    void release();
    // One drawing frame: z testing off, the 2D transform, Begin / Draw at (x, y) / End, z on.
    void draw(IDirect3DDevice9* device, const Drawing& drawing);
};
