// The rules of the falling-block game, acting on the program's GameState (`game`): choosing and
// placing pieces, moving, turning, dropping and locking them, removing full rows, scoring, and
// the game-over test. Pure logic: no window, input or drawing. No operation fails; a refused
// move leaves the piece as it was.
#pragma once
#include "GameState.h"

void NewGame();          // empty well, score 0, both flags cleared, a fresh piece
void SpawnPiece();       // a kind drawn from the program's generator, placed at column 6, row 0
void StepDown();         // one row down, or lock the piece, spawn the next and add 20
void HardDrop();         // down until the piece rests; it stays unlocked
void Rotate();           // a quarter turn (clockwise on screen) about the origin, if allowed
void MoveLeft();         // one column left, if allowed
void MoveRight();        // one column right, if allowed
bool IsRowFull(int row); // all 12 cells of the row are occupied (false for a row outside the well)
void RemoveRow(int row); // rows above move down one; adds 100 (nothing for a row outside the well)
void ClearFullRows();    // removes every full row, scanning rows 0 to 24 once
bool IsGameOver();       // a block in row 0 and a block resting on something below it

// The kind a roll r of 0..10000 chooses (SpawnPiece rolls r = generator value mod 10001).
int KindForRoll(int r);
// True when a block of the piece stands on the bottom row or on an occupied cell.
bool PieceRests(const Piece& piece);
// True when a block of the piece stands above row 0, where locking would lose it.
bool PieceReachesAboveWell(const Piece& piece);
