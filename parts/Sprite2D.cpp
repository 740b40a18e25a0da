#include "Sprite2D.h"

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

void Sprite2D::draw(IDirect3DDevice9* device, DWORD flags, const D3DXVECTOR2* scalingCentre,
                    const D3DXVECTOR2* scaling, const D3DXVECTOR2* rotationCentre, float angle,
                    D3DCOLOR colour)
{
    if (!device) return;
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    D3DXMATRIX transform;
    D3DXMatrixTransformation2D(&transform, scalingCentre, 0.0f, scaling, rotationCentre, angle,
                               nullptr);
    // Without a sprite object or a texture there is nothing to draw.
    if (sprite && texture && SUCCEEDED(sprite->Begin(flags))) {
        if (!(flags & D3DXSPRITE_ALPHABLEND)) {
            // Opaque drawing: some sprite implementations blend and alpha-test whatever the
            // flags say, so both are switched off here (the sprite restores them at End).
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
            device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        }
        sprite->SetTransform(&transform);
        D3DXVECTOR3 at(float(x), float(y), 0.0f);
        sprite->Draw(texture, nullptr, nullptr, &at, colour);
        sprite->End();
    }
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
}

void Sprite2D::Render(IDirect3DDevice9* device)
{
    D3DXVECTOR2 s(scale, scale);
    draw(device, D3DXSPRITE_ALPHABLEND, nullptr, &s, nullptr, 0.0f, 0xFFFFFFFF);
}

void Sprite2D::RenderNoAlphaBlend(IDirect3DDevice9* device)
{
    D3DXVECTOR2 s(scale, scale);
    draw(device, 0, nullptr, &s, nullptr, 0.0f, 0xFFFFFFFF);
}

void Sprite2D::RenderAlphaBlend(IDirect3DDevice9* device, int alpha)
{
    D3DXVECTOR2 centre(float(x) + width * 0.5f, float(y) + height * 0.5f);
    D3DCOLOR colour = (DWORD(alpha & 0xFF) << 24) | 0x00FFFFFF;
    draw(device, D3DXSPRITE_ALPHABLEND, nullptr, nullptr, &centre, rotation, colour);
}

void Sprite2D::RenderFixed(IDirect3DDevice9* device)
{
    D3DXVECTOR2 s(width, height);
    draw(device, D3DXSPRITE_ALPHABLEND, nullptr, &s, nullptr, 0.0f, 0xFFFFFFFF);
}

void Sprite2D::RenderFullscreen(IDirect3DDevice9* device, int screenWidth, int screenHeight)
{
    // A zero screen size gives a zero scale (nothing drawn) rather than an infinite one.
    D3DXVECTOR2 s(0.0f, 0.0f);
    if (screenWidth != 0 && screenHeight != 0)
        s = D3DXVECTOR2(width / float(screenWidth), height / float(screenHeight));
    draw(device, D3DXSPRITE_ALPHABLEND, nullptr, &s, nullptr, 0.0f, 0xFFFFFFFF);
}

void Sprite2D::RenderAbs(IDirect3DDevice9* device, float /*unusedX*/, float /*unusedY*/)
{
    D3DXVECTOR2 centre(static_cast<float>(x), static_cast<float>(y));
    D3DXVECTOR2 s(width, height);
    draw(device, D3DXSPRITE_ALPHABLEND, &centre, &s, nullptr, 0.0f, 0xFFFFFFFF);
}

void Sprite2D::RenderRel(IDirect3DDevice9* device, float sx, float sy)
{
    D3DXVECTOR2 centre(static_cast<float>(x), static_cast<float>(y));
    D3DXVECTOR2 s(0.0f, 0.0f); // a zero width gives a zero scale rather than an infinite one
    if (width != 0.0f) s = D3DXVECTOR2(sx / width, sy / width);
    draw(device, D3DXSPRITE_ALPHABLEND, &centre, &s, nullptr, 0.0f, 0xFFFFFFFF);
}
