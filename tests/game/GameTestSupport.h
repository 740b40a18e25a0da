// Shared helpers of the game tests: a fresh program-start state, board set-up and a piece
// placed by hand.
#pragma once
#include <vector>
#include "GameState.h"

namespace gametest {

// The state at program start, with the program's generator back at its first value.
void ResetGame();
// Occupies one cell with a block of the given kind.
void Fill(int column, int row, int kind = 1);
// Occupies every cell of a row except the listed columns.
void FillRow(int row, std::vector<int> gaps = {});
// Makes the current piece: kind's colour, origin (x, y), blocks as given.
void SetPiece(int kind, int x, int y, std::vector<std::pair<int, int>> blocks);
// The template of kind at (x, y).
void SetTemplatePiece(int kind, int x, int y);
// Board positions of the current piece's blocks, sorted.
std::vector<std::pair<int, int>> PieceCells();
// Number of occupied cells in the well.
int OccupiedCount();
// True when the templates, which follow the cells in memory, are as a fresh state has them:
// nothing was written past the last cell.
bool TemplatesIntact();

} // namespace gametest
