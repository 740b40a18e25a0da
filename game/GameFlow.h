// The per-frame driver of the game: the three game states (main menu, play, game over), the
// keys that move between them and steer the falling piece, and the two timers that pace input
// (every 70 ms) and gravity (every 500 ms). The shell calls UpdateFrame once per loop turn while
// the window is active and draws the frame right after it.
#pragma once
#include "GameState.h"
#include "Timer.h"
#include "OXEInputDevice.h"

// Game key codes: what ReadGameKey reports.
enum GameKey {
    kGameKeyNone = 0,
    kGameKeyDown = 1,  // Down arrow: drop the piece to its resting place
    kGameKeyUp = 2,    // Up arrow: turn the piece
    kGameKeyLeft = 3,  // Left arrow
    kGameKeyRight = 4, // Right arrow
    kGameKeyEsc = 5,   // Esc: menu from play, quit from the menu and from game over
    kGameKeyEnter = 6, // Enter: from game over back to the menu
    kGameKeyU = 7,     // U: new game from the menu
    kGameKeySpace = 8, // Space: end the game in play
};
const int kGameKeyCount = 8;

// DirectInput keyboard code asked for each game key (index = game key code; 0 unused).
extern const int kGameKeyScanCodes[kGameKeyCount + 1];

const double kInputIntervalMs = 70.0; // key polling in play
const double kFallIntervalMs = 500.0; // one row of gravity

// The pacing timers, started when the program starts and restarted (stop, start) after each use.
extern Timer fallTimer;
extern Timer inputTimer;

// The game state the two flags select.
enum GameMode { kModeMenu, kModePlay, kModeGameOver };
GameMode CurrentMode();

// Asks the input device (IsKeyDown with selector 0) about the eight keys in the order of their
// codes and returns the highest code held, 0 if none is or there is no device.
int ReadGameKey(OXEInputDevice* input);

// One frame of the game. Keys are read through input (Update, then ReadGameKey); quit is set
// when the player asks to end the program. Draws nothing.
void UpdateFrame(OXEInputDevice* input, bool& quit);
