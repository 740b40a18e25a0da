#include "GameRules.h"
#include "OXERandom.h"

// Board position of a piece's block.
static int BlockColumn(const Piece& piece, int i) { return piece.x + piece.blocks[i].x; }
static int BlockRow(const Piece& piece, int i) { return piece.y + piece.blocks[i].y; }

// Neighbour tests of a block at (column, row). A cell outside the well counts as free: above
// the well there is room, and the walls and the floor are tested on their own.
static bool BelowOccupied(int column, int row) { return game.board.IsOccupied(column, row + 1); }
static bool LeftOccupied(int column, int row) { return game.board.IsOccupied(column - 1, row); }
static bool RightOccupied(int column, int row) { return game.board.IsOccupied(column + 1, row); }
static bool AtBottom(int row) { return row + 1 >= kBoardRows; }

int KindForRoll(int r)
{
    // The roll scaled to 0..1 in single precision (0.0001 taken as a float), then to 0..140.
    float f = (float)((double)r * (double)0.0001f);
    int a = (int)((double)f * 140.0);
    if (a <= 20)
        return 0;
    int kind = (a - 1) / 20; // 21..40 -> 1, 41..60 -> 2, ..., 121..140 -> 6
    return kind < kPieceKinds ? kind : kPieceKinds - 1;
}

void SpawnPiece()
{
    int kind = KindForRoll(OXERand() % 10001);
    const Piece& shape = game.templates.pieces[kind];
    uint32_t colour = PieceTemplates::Colour(kind);
    for (int i = 0; i < kPieceBlocks; i++) {
        game.current.blocks[i].x = shape.blocks[i].x;
        game.current.blocks[i].y = shape.blocks[i].y;
        game.current.blocks[i].colour = colour;
    }
    game.current.x = kSpawnColumn;
    game.current.y = kSpawnRow;
    game.current.kind = kind;
}

bool PieceRests(const Piece& piece)
{
    for (int i = 0; i < kPieceBlocks; i++) {
        int column = BlockColumn(piece, i), row = BlockRow(piece, i);
        if (AtBottom(row) || BelowOccupied(column, row))
            return true;
    }
    return false;
}

bool PieceReachesAboveWell(const Piece& piece)
{
    for (int i = 0; i < kPieceBlocks; i++)
        if (BlockRow(piece, i) < 0)
            return true;
    return false;
}

// Writes the current piece into the well. Blocks above the top row have no cell and are left out.
static void LockPiece()
{
    const Piece& piece = game.current;
    for (int i = 0; i < kPieceBlocks; i++) {
        int column = BlockColumn(piece, i), row = BlockRow(piece, i);
        if (!Board::Contains(column, row))
            continue;
        Cell& cell = game.board.At(column, row);
        cell.occupied = true;
        cell.colour = piece.blocks[i].colour;
        cell.kind = piece.kind;
    }
}

void StepDown()
{
    if (!PieceRests(game.current)) {
        game.current.y += 1;
        return;
    }
    LockPiece();
    SpawnPiece();
    game.score += 20;
}

void HardDrop()
{
    while (!PieceRests(game.current))
        StepDown();
}

void MoveLeft()
{
    const Piece& piece = game.current;
    for (int i = 0; i < kPieceBlocks; i++) {
        int column = BlockColumn(piece, i), row = BlockRow(piece, i);
        if (column - 1 < 0 || LeftOccupied(column, row))
            return;
    }
    game.current.x -= 1;
}

void MoveRight()
{
    const Piece& piece = game.current;
    for (int i = 0; i < kPieceBlocks; i++) {
        int column = BlockColumn(piece, i), row = BlockRow(piece, i);
        if (column + 1 > kBoardColumns - 1 || RightOccupied(column, row))
            return;
    }
    game.current.x += 1;
}

// Whether the turned candidate may replace the current piece. Its own cells are not tested for
// occupation and the top of the well is open; a block below the bottom row is refused, since
// that block could never be stored in the well when the piece locks.
static bool TurnAllowed(const Piece& candidate)
{
    for (int i = 0; i < kPieceBlocks; i++)
        if (BelowOccupied(BlockColumn(candidate, i), BlockRow(candidate, i)))
            return false;
    for (int i = 0; i < kPieceBlocks; i++)
        if (LeftOccupied(BlockColumn(candidate, i), BlockRow(candidate, i)))
            return false;
    for (int i = 0; i < kPieceBlocks; i++)
        if (RightOccupied(BlockColumn(candidate, i), BlockRow(candidate, i)))
            return false;
    for (int i = 0; i < kPieceBlocks; i++) {
        int column = BlockColumn(candidate, i);
        if (column < 0 || column > kBoardColumns - 1)
            return false;
        if (BlockRow(candidate, i) > kBoardRows - 1)
            return false;
    }
    return true;
}

void Rotate()
{
    Piece candidate = game.current;
    for (int i = 0; i < kPieceBlocks; i++) {
        int x = candidate.blocks[i].x, y = candidate.blocks[i].y;
        candidate.blocks[i].x = -y;
        candidate.blocks[i].y = x;
    }
    if (TurnAllowed(candidate))
        game.current = candidate;
}

bool IsRowFull(int row)
{
    if (row < 0 || row >= kBoardRows)
        return false;
    for (int column = 0; column < kBoardColumns; column++)
        if (!game.board.At(column, row).occupied)
            return false;
    return true;
}

void RemoveRow(int row)
{
    if (row < 0 || row >= kBoardRows)
        return;
    // Every row above moves down one; row 0 keeps its contents (so they also appear in row 1).
    for (int r = row; r >= 1; r--) {
        for (int column = 0; column < kBoardColumns; column++) {
            const Cell& above = game.board.At(column, r - 1);
            Cell& cell = game.board.At(column, r);
            cell.kind = above.kind;
            cell.colour = above.colour;
            cell.occupied = above.occupied;
        }
    }
    game.score += 100;
}

void ClearFullRows()
{
    for (int row = 0; row < kBoardRows; row++)
        if (IsRowFull(row))
            RemoveRow(row);
}

bool IsGameOver()
{
    const Piece& piece = game.current;
    bool inTopRow = false, resting = false;
    for (int i = 0; i < kPieceBlocks; i++) {
        int column = BlockColumn(piece, i), row = BlockRow(piece, i);
        if (row == 0)
            inTopRow = true;
        if (BelowOccupied(column, row))
            resting = true;
    }
    return inTopRow && resting;
}

void NewGame()
{
    game.gameOver = false;
    game.menuShown = false;
    game.score = 0;
    for (Cell& cell : game.board.cells) {
        cell.kind = 0;
        cell.colour = 0;
        cell.occupied = false;
    }
    SpawnPiece();
}
