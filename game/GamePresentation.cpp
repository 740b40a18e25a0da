#include "GamePresentation.h"
#include <cstdio>
#include "OXED3D.h"
#include "GameState.h"
#include "Camera.h"

namespace {

// The wait at program end for the work the game's device was handed last. Defined before
// gameGraphics so that it is destroyed after it: its destructor runs once the graphic objects
// have given their buffers and textures back.
//
// Wine's Direct3D does the device's work on a thread of its own. The end of the process stops
// that thread wherever it is; stopped inside the OpenGL driver, it leaves the driver's locks
// taken and its state half changed, and the driver's own clean-up at the process's end then
// waits for ever (until the Wine server kills the process) or crashes. Waiting here until the
// device has done everything before it keeps the process's end clean with the device alive.
class ProgramEndWait {
public:
    ProgramEndWait() = default;
    ProgramEndWait(const ProgramEndWait&) = delete;
    ProgramEndWait& operator=(const ProgramEndWait&) = delete;
    ~ProgramEndWait() { waitForDevice(); }

    bool arm(IDirect3DDevice9* device)
    {
        if (query_ || !device) return query_ != nullptr;
        if (FAILED(device->CreateQuery(D3DQUERYTYPE_EVENT, &query_))) query_ = nullptr;
        return query_ != nullptr;
    }

private:
    void waitForDevice()
    {
        if (!query_) return;
        // The event is reached once the device has done all work given before it. A device
        // that cannot answer (lost, or an error) is not waited for; nor longer than 5 s.
        if (FAILED(query_->Issue(D3DISSUE_END))) return;
        const ULONGLONG start = GetTickCount64();
        while (query_->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE && GetTickCount64() - start < 5000)
            Sleep(1);
        // The query is not released: its release would hand the device one more piece of work
        // while the process ends. Like the device it belongs to, it goes with the process.
    }

    IDirect3DQuery9* query_ = nullptr; // the event waited for (kept to the process's end)
};

ProgramEndWait programEndWait;

} // namespace

GameGraphics gameGraphics;

namespace {

// Image file of each piece kind's block.
const char* const kBlockImages[7] = {
    "punainen.dds", "harmaa.dds", "sininen.dds", "vihrea.dds",
    "keltainen.dds", "vsininen.dds", "lila.dds",
};

const DWORD kPanelColour = 0xC8641E64;     // alpha 200, red 100, green 30, blue 100
const DWORD kWellLeftColour = 0xFF7F3300;  // opaque brown on the left side
const DWORD kWellRightColour = 0x647F3300; // the same brown at alpha 100 on the right side

// Colour of the game's texts: red 255, green 80, blue 50.
struct TextColour { BYTE r, g, b, a; };
const TextColour kTitle = {255, 80, 50, 200};
const TextColour kMenuText = {255, 101, 63, 255};
const TextColour kMenuShadow = {200, 90, 90, 90};
const TextColour kGrey = {200, 200, 200, 200};

void Text(UINT font, const char* text, int x, int y, TextColour c)
{
    GameRenderDevice()->DrawTextAt(font, text, x, y, c.r, c.g, c.b, c.a);
}

void BigText(const char* text, int x, int y, TextColour c)
{
    GameRenderDevice()->DrawTextWithFont(text, x, y, "Impact", 50, 40, 3, c.r, c.g, c.b, c.a);
}

// Moves a block quad to a well cell and draws it.
void DrawBlock(IDirect3DDevice9* device, geQuad& quad, int column, int row)
{
    quad.setGlobalCoords(column * kCellSize + game.originX, row * kCellSize + game.originY, 0);
    quad.RefreshGeoBuffers(device);
    quad.Render(device);
}

bool IsKnownKind(int kind)
{
    return kind >= 0 && kind <= 6;
}

void DrawSettledBlocks(IDirect3DDevice9* device, GameGraphics& graphics)
{
    for (const Cell& cell : game.board.cells) {
        if (cell.occupied && IsKnownKind(cell.kind))
            DrawBlock(device, graphics.blockQuads[cell.kind], cell.column, cell.row);
    }
}

void DrawFallingPiece(IDirect3DDevice9* device, GameGraphics& graphics)
{
    const Piece& piece = game.current;
    if (!IsKnownKind(piece.kind))
        return;
    for (const Block& block : piece.blocks)
        DrawBlock(device, graphics.blockQuads[piece.kind], piece.x + block.x, piece.y + block.y);
}

// One torch: the flame above it (not while the menu covers the scene), then its sprite.
void DrawTorch(IDirect3DDevice9* device, GameGraphics& graphics, float flameX, int spriteX)
{
    D3DXVECTOR3 flamePosition(flameX, 400.0f, 0.0f);
    graphics.flames.SetPosition(flamePosition);
    graphics.flames.Simulate(0.0005f);
    if (!game.menuShown)
        graphics.flames.Render(device);
    graphics.torchSprite.x = spriteX;
    graphics.torchSprite.Render(device);
}

void DrawTexts()
{
    Text(0, "[ESC] - Lopetus", 20, 20, kTitle);
    Text(1, "SIMPLE BRIXEL (DX9)", 20, 50, kTitle);
    Text(0, "Simple Brixel - Pelmora-moottori, Direct3D 9", 20, 740, kTitle);
    Text(1, "Pisteet: ", 700, 50, kTitle);
    Text(1, FormatScore(game.score).GetString(), 830, 50, kTitle);
}

void DrawGameOver(IDirect3DDevice9* device, GameGraphics& graphics)
{
    graphics.gameOverPanel.Render(device);
    BigText("GAME OVER", 303, 282, kGrey);
    BigText("GAME OVER", 300, 280, TextColour{255, 80, 50, 220});
    Text(1, "Pisteesi: ", 302, 351, kGrey);
    Text(1, "Pisteesi: ", 300, 350, kTitle);
    // The final score is drawn once, in the shadow colour.
    BigText(FormatScore(game.score).GetString(), 303, 400, kGrey);
    Text(1, "Paina [enter] jatkaaksesi...", 320, 490, TextColour{255, 180, 150, 200});
}

// A panel quad: a box of the given size at (x, y) in one colour, alpha blended, untextured.
void MakePanel(IDirect3DDevice9* device, geQuad& panel, int x, int y, int width, int height)
{
    panel.doBox(width, height, 0);
    panel.setGlobalCoords(x, y, 0);
    panel.setColor(kPanelColour, kPanelColour, kPanelColour, kPanelColour);
    panel.alphaBlend = true;
    panel.createGeoBuffers(device);
}

} // namespace

OXERenderDevice* GameRenderDevice()
{
    return g_pOXECurrentDevice;
}

bool WaitForDeviceAtProgramEnd(IDirect3DDevice9* device)
{
    return programEndWait.arm(device);
}

void CreateBlockQuads(IDirect3DDevice9* device, GameGraphics& graphics)
{
    for (int kind = 0; kind < 7; ++kind) {
        geQuad& quad = graphics.blockQuads[kind];
        DWORD colour = PieceTemplates::Colour(kind);
        quad.doBox(kCellSize, kCellSize, 0);
        quad.setColor(colour, colour, colour, colour);
        quad.alphaBlend = true;
        quad.textured = true;
        // A missing image leaves the quad untextured (textured = false) and it still draws.
        quad.CreateTexture(device, kBlockImages[kind]);
        quad.createGeoBuffers(device);
    }
}

void CreatePanels(IDirect3DDevice9* device, GameGraphics& graphics)
{
    MakePanel(device, graphics.menuPanel, (kConfiguredWindowWidth - 400) / 2, 200, 400, 260);
    MakePanel(device, graphics.gameOverPanel, 280, 250, 480, 300);
}

void CreateSceneObjects(IDirect3DDevice9* device, Camera& camera, GameGraphics& graphics)
{
    OXERenderDevice* rd = GameRenderDevice();
    float aspect = float(rd->GetScreenWidth() / rd->GetScreenHeight());
    camera.pos() = D3DXVECTOR3(55.0f, 50.0f, 25.0f);
    camera.setSpeed(40.0f);
    camera.setLens(0.7853982f, aspect, 0.01f, 5000.0f);
    D3DXVECTOR3 eye(0.0f, 0.0f, -30.0f), target(0.0f, 0.0f, 1.0f), up(0.0f, 1.0f, 0.0f);
    camera.lookAt(eye, target, up);
    camera.update(1.0f);

    graphics.torchSprite.Create(device, advString("soihtu.dds"));
    graphics.torchSprite.x = 100;
    graphics.torchSprite.y = 380;


    CreatePanels(device, graphics);

    OXEParticleSystemParams params;
    params.position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    params.velocity = D3DXVECTOR3(-30.0f, -4.0f, -10.0f);
    params.size = 27.0f;
    params.finalSize = 10.0f;
    params.startColour = 0xFFFF5816;
    params.endColour = 0xFFFF3E00;
    params.lifeTime = 0.4f;
    params.dispersion = 0.1f;
    params.speed = -3.5f; // negative: the flames rise
    graphics.flames.Create(device, params, 600, 100, advString("torch.dds"));

    geQuad& well = graphics.wellQuad;
    well.setGlobalCoords(game.originX, game.originY, 0);
    well.setPoint1(0, 0, 0);
    well.setPoint2(kWellWidth, kWellHeight, 0);
    well.setPoint3(0, kWellHeight, 0);
    well.setPoint4(kWellWidth, 0, 0);
    well.setColor(kWellLeftColour, kWellRightColour, kWellLeftColour, kWellRightColour);
    well.alphaBlend = true;
    well.textured = false;
    well.createGeoBuffers(device);
}

void DrawMenu(IDirect3DDevice9* device, GameGraphics& graphics)
{
    geQuad& panel = graphics.menuPanel;
    int px = panel.x, py = panel.y;
    panel.Render(device);
    Text(1, "Simple Brixel", px + 110, py + 25, kMenuShadow);
    Text(1, "Simple Brixel", px + 100, py + 20, kMenuText);
    Text(1, "-------------------", px + 100, py + 40, kMenuText);
    Text(0, "P\xE4\xE4valikko", px + 25, py + 90, kMenuShadow);
    Text(0, "P\xE4\xE4valikko", px + 20, py + 85, kMenuText);
    Text(0, "[U] - Uusi peli", px + 30, py + 120, kMenuText);
    Text(0, "[ESC] - Lopeta peli", px + 30, py + 160, kMenuText);
}

void DrawScene(IDirect3DDevice9* device, GameGraphics& graphics)
{
    OXERenderDevice* rd = GameRenderDevice();
    if (!rd)
        return;
    rd->SetBackgroundColor(0.0f, 0.0f, 0.0f);
    rd->BeginFrame(true, true, true);

    graphics.wellQuad.Render(device);
    rd->DrawRectOutline(game.originX, game.originY, game.originX + kWellWidth,
                        game.originY + kWellHeight, 2, 200, 200, 200, 255);
    DrawSettledBlocks(device, graphics);
    DrawFallingPiece(device, graphics);
    DrawTorch(device, graphics, 160.0f, 100);
    DrawTorch(device, graphics, 860.0f, 800);
    DrawTexts();
    if (game.menuShown)
        DrawMenu(device, graphics);
    if (game.gameOver)
        DrawGameOver(device, graphics);
}

void DrawFrame(IDirect3DDevice9* device, GameGraphics& graphics)
{
    DrawScene(device, graphics);
    if (OXERenderDevice* rd = GameRenderDevice())
        rd->EndFrame();
}

advString FormatScore(int score)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%s%d", "", score);
    std::printf("\"%s\"\n", text);
    return advString(text);
}
