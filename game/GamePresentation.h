// What the game shows: the graphic objects made once at start-up (block images, well, panels,
// torch sprite, flame particles) and the fixed drawing order of every frame, menu and game over
// panel included. All drawing is 2D in back-buffer pixels, laid out for 1024 x 768; it goes
// through the game's current render device (texts, outline, frame) and through the parts'
// quads, sprite and particle system on the Direct3D device.
#pragma once
#include <d3d9.h>
#include "geQuad.h"
#include "Sprite2D.h"
#include "OXEParticleSystem.h"
#include "advString.h"

class Camera;
class OXERenderDevice;

// The game's graphic objects, kept for the whole run.
struct GameGraphics {
    geQuad blockQuads[7];       // one 25 x 25 textured block per piece kind 0..6, moved for every block drawn
    geQuad wellQuad;            // the well's background, 300 x 625 at the well's origin
    geQuad menuPanel;           // the main menu's panel, 400 x 260 at (312, 200)
    geQuad gameOverPanel;       // the game over panel, 480 x 300 at (280, 250)
    Sprite2D torchSprite;       // the torch image, drawn at x 100 and x 800, y 380
    OXEParticleSystem flames;   // one flame drawn above both torches
};

// The program's graphic objects (static storage; their buffers go with the process).
extern GameGraphics gameGraphics;

// Layout constants of the picture.
const int kCellSize = 25;            // pixels per well cell
const int kWellWidth = 300;          // 12 cells
const int kWellHeight = 625;         // 25 cells
const int kConfiguredWindowWidth = 1024; // the window width the menu panel is centred in

// The render device the game draws through: the game's current render device (set by the
// shell from GetRenderDevice after start-up).
OXERenderDevice* GameRenderDevice();
// Makes the process's end wait, after the program's graphic objects (gameGraphics) are destroyed,
// until the Direct3D device has done all the work it was handed, their release included: the
// device itself lives on to the process's end. Returns false when that wait cannot be made (the
// device refused the event query it needs); nothing then waits.
bool WaitForDeviceAtProgramEnd(IDirect3DDevice9* device);

// Creation steps, called once by the shell after the render device runs.
// The seven block quads with their images ("punainen.dds" ... "lila.dds").
void CreateBlockQuads(IDirect3DDevice9* device, GameGraphics& graphics = gameGraphics);
// Aims the camera, then makes the torch sprite, the panels, the flames and the well quad (the
// well's origin in the game state must be set before).
void CreateSceneObjects(IDirect3DDevice9* device, Camera& camera, GameGraphics& graphics = gameGraphics);
// The menu and game over panels.
void CreatePanels(IDirect3DDevice9* device, GameGraphics& graphics = gameGraphics);

// One frame: everything of DrawScene, then EndFrame (present).
void DrawFrame(IDirect3DDevice9* device, GameGraphics& graphics = gameGraphics);
// The frame up to the present: clear and begin, well, blocks, piece, torches, texts, menu and
// game over panel. The scene is still open afterwards (tests read the back buffer here).
void DrawScene(IDirect3DDevice9* device, GameGraphics& graphics = gameGraphics);
// The main menu's panel and texts.
void DrawMenu(IDirect3DDevice9* device, GameGraphics& graphics = gameGraphics);
// The score as decimal text; also traces it, quoted, on the standard output.
advString FormatScore(int score);
