#include "Sprite2D.h"
#include <optional>

Sprite2D::Sprite2D()
    : sprite(nullptr), texture(nullptr), x(0), y(0), width(0), height(0), scale(1.0f), rotation(0)
{
}

Sprite2D::~Sprite2D()
{
    release();
}

Sprite2D::Sprite2D(const Sprite2D& other) : sprite(nullptr), texture(nullptr)
{
    *this = other;
}

Sprite2D& Sprite2D::operator=(const Sprite2D& other)
{
    if (this == &other) return *this;
    if (other.sprite) other.sprite->AddRef();
    if (other.texture) other.texture->AddRef();
    release();
    sprite = other.sprite;
    texture = other.texture;
    x = other.x;
    y = other.y;
    width = other.width;
    height = other.height;
    scale = other.scale;
    rotation = other.rotation;
    return *this;
}

void Sprite2D::release()
{
    if (sprite) sprite->Release();
    if (texture) texture->Release();
    sprite = nullptr;
    texture = nullptr;
}

void Sprite2D::Create(IDirect3DDevice9* device, advString fileName)
{
    release();
    if (!device) return;
    if (FAILED(D3DXCreateSprite(device, &sprite))) sprite = nullptr;
    if (FAILED(D3DXCreateTextureFromFileA(device, fileName.GetString(), &texture)))
        texture = nullptr;
}

// The parameters of one drawing frame. Every variant draws the whole texture at (x, y) through
// a 2D transform without translation; what it changes is set here, the rest keeps its default.
struct Sprite2D::Drawing {
    DWORD flags = D3DXSPRITE_ALPHABLEND;       // sprite Begin flags
    std::optional<D3DXVECTOR2> scaling;        // scale factors (x, y); none: unscaled
    std::optional<D3DXVECTOR2> scalingCentre;  // point the scaling keeps in place; none: the origin
    std::optional<D3DXVECTOR2> rotationCentre; // point rotated about; none: the origin
    float rotation = 0.0f;                     // radians
    D3DCOLOR colour = 0xFFFFFFFF;              // modulates the texture; alpha in the top byte
};

static const D3DXVECTOR2* OrNull(const std::optional<D3DXVECTOR2>& v)
{
    return v ? &*v : nullptr;
}

void Sprite2D::draw(IDirect3DDevice9* device, const Drawing& drawing)
{
    if (!device) return;
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    D3DXMATRIX transform;
    D3DXMatrixTransformation2D(&transform, OrNull(drawing.scalingCentre), 0.0f, OrNull(drawing.scaling),
                               OrNull(drawing.rotationCentre), drawing.rotation, nullptr);
    // Without a sprite object or a texture there is nothing to draw.
    if (sprite && texture && SUCCEEDED(sprite->Begin(drawing.flags))) {
        if (!(drawing.flags & D3DXSPRITE_ALPHABLEND)) {
            // Opaque drawing: some sprite implementations blend and alpha-test whatever the
            // flags say, so both are switched off here (the sprite restores them at End).
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
            device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        }
        sprite->SetTransform(&transform);
        D3DXVECTOR3 at(float(x), float(y), 0.0f);
        sprite->Draw(texture, nullptr, nullptr, &at, drawing.colour);
        sprite->End();
    }
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
}

void Sprite2D::Render(IDirect3DDevice9* device)
{
    Drawing drawing;
    drawing.scaling = D3DXVECTOR2(scale, scale);
    draw(device, drawing);
}

void Sprite2D::RenderNoAlphaBlend(IDirect3DDevice9* device)
{
    Drawing drawing;
    drawing.flags = 0;
    drawing.scaling = D3DXVECTOR2(scale, scale);
    draw(device, drawing);
}

void Sprite2D::RenderAlphaBlend(IDirect3DDevice9* device, int alpha)
{
    Drawing drawing;
    drawing.rotationCentre = D3DXVECTOR2(float(x) + width * 0.5f, float(y) + height * 0.5f);
    drawing.rotation = rotation;
    drawing.colour = (DWORD(alpha & 0xFF) << 24) | 0x00FFFFFF;
    draw(device, drawing);
}

void Sprite2D::RenderFixed(IDirect3DDevice9* device)
{
    Drawing drawing;
    drawing.scaling = D3DXVECTOR2(width, height);
    draw(device, drawing);
}

void Sprite2D::RenderFullscreen(IDirect3DDevice9* device, int screenWidth, int screenHeight)
{
    Drawing drawing;
    // A zero screen size gives a zero scale (nothing drawn) rather than an infinite one.
    drawing.scaling = D3DXVECTOR2(0.0f, 0.0f);
    if (screenWidth != 0 && screenHeight != 0)
        drawing.scaling = D3DXVECTOR2(width / float(screenWidth), height / float(screenHeight));
    draw(device, drawing);
}

void Sprite2D::RenderAbs(IDirect3DDevice9* device, float /*unusedX*/, float /*unusedY*/)
{
    Drawing drawing;
    drawing.scalingCentre = D3DXVECTOR2(float(x), float(y));
    drawing.scaling = D3DXVECTOR2(width, height);
    draw(device, drawing);
}

void Sprite2D::RenderRel(IDirect3DDevice9* device, float sx, float sy)
{
    Drawing drawing;
    drawing.scalingCentre = D3DXVECTOR2(float(x), float(y));
    drawing.scaling = D3DXVECTOR2(0.0f, 0.0f); // a zero width gives a zero scale rather than an infinite one
    if (width != 0.0f) drawing.scaling = D3DXVECTOR2(sx / width, sy / width);
    draw(device, drawing);
}
