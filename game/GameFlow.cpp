#include "GameFlow.h"
#include "GameRules.h"

const int kGameKeyScanCodes[kGameKeyCount + 1] = {
    0,    // none
    0xD0, // Down arrow
    0xC8, // Up arrow
    0xCB, // Left arrow
    0xCD, // Right arrow
    0x01, // Esc
    0x1C, // Enter (main keyboard)
    0x16, // U
    0x39, // Space
};

Timer fallTimer;
Timer inputTimer;

// Both timers run from program start; the first poll and step of play therefore come at once.
static struct StartGameTimers {
    StartGameTimers()
    {
        fallTimer.start();
        inputTimer.start();
    }
} g_startGameTimers;

static void Restart(Timer& timer)
{
    timer.stop();
    timer.start();
}

GameMode CurrentMode()
{
    if (game.gameOver)
        return kModeGameOver;
    return game.menuShown ? kModeMenu : kModePlay;
}

int ReadGameKey(OXEInputDevice* input)
{
    if (!input)
        return kGameKeyNone;
    int held = kGameKeyNone;
    for (int code = 1; code <= kGameKeyCount; code++)
        if (input->IsKeyDown(OXE_INPUT_KEYBOARD, kGameKeyScanCodes[code]))
            held = code;
    return held;
}

// The keys of the menu and game over states, read on every frame.
static int PollKey(OXEInputDevice* input)
{
    if (input)
        input->Update();
    return ReadGameKey(input);
}

static void UpdateGameOver(OXEInputDevice* input, bool& quit)
{
    int key = PollKey(input);
    if (key == kGameKeyEsc) {
        quit = true;
    } else if (key == kGameKeyEnter) {
        game.menuShown = true;
        game.gameOver = false;
    }
}

static void UpdateMenu(OXEInputDevice* input, bool& quit)
{
    int key = PollKey(input);
    if (key == kGameKeyEsc)
        quit = true;
    else if (key == kGameKeyU)
        NewGame();
}

static void ActOnPlayKey(int key)
{
    switch (key) {
    case kGameKeyDown: HardDrop(); break;
    case kGameKeyUp: Rotate(); break;
    case kGameKeyLeft: MoveLeft(); break;
    case kGameKeyRight: MoveRight(); break;
    case kGameKeyEsc: game.menuShown = true; break;
    case kGameKeySpace: game.gameOver = true; break;
    default: break; // none, Enter and U do nothing in play
    }
}

static void UpdatePlay(OXEInputDevice* input)
{
    // Rows completed by the last lock go first, before any input.
    ClearFullRows();

    if (inputTimer.getElapsedTimeInMilliSec() >= kInputIntervalMs) {
        ActOnPlayKey(PollKey(input));
        Restart(inputTimer);
        // A move or turn that brings the piece to rest in the top row with blocks above the
        // well ends the game here: the fall step of the same frame would lock it, losing the
        // blocks no cell can hold, and hand the game-over test a fresh piece instead. A piece
        // resting wholly inside the well is locked and the next one tested, as always.
        if (IsGameOver() && PieceReachesAboveWell(game.current)) {
            game.gameOver = true;
            return;
        }
    }
    if (fallTimer.getElapsedTimeInMilliSec() >= kFallIntervalMs) {
        StepDown();
        Restart(fallTimer);
    }
    if (IsGameOver())
        game.gameOver = true;
}

void UpdateFrame(OXEInputDevice* input, bool& quit)
{
    switch (CurrentMode()) {
    case kModeGameOver: UpdateGameOver(input, quit); break;
    case kModeMenu: UpdateMenu(input, quit); break;
    case kModePlay: UpdatePlay(input); break;
    }
}
