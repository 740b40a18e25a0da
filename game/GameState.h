// The state of the falling-block game: the well, the seven piece templates, the falling piece,
// the score and the two flags that select the game state. One GameState exists for the program
// (`game`); the rules (GameRules.h) and the per-frame driver (GameFlow.h) act on it, and the
// presentation reads it.
#pragma once
#include <cstdint>

const int kBoardColumns = 12; // columns of the well, 0 (left) .. 11 (right)
const int kBoardRows = 25;    // rows of the well, 0 (top) .. 24 (bottom)
const int kBoardCells = kBoardColumns * kBoardRows;
const int kPieceKinds = 7;    // kinds 0..6
const int kPieceBlocks = 4;   // blocks of every piece
const int kSpawnColumn = 6;   // origin of a fresh piece
const int kSpawnRow = 0;

// One square of the well.
struct Cell {
    int32_t kind;     // piece kind (0..6) of the block in the cell; selects the block image
    uint32_t colour;  // ARGB colour of the block in the cell
    bool occupied;    // a block lies in the cell
    int32_t column;   // the cell's own column, 0..11 (never changes)
    int32_t row;      // the cell's own row, 0..24 (never changes)
};

// The well: 12 columns of 25 cells, stored column by column (entry column * 25 + row).
struct Board {
    Cell cells[kBoardCells]; // every cell of the well

    Board();                                       // every cell empty, colour 0xFFC8C8C8, kind 0
    static bool Contains(int column, int row);     // true for a cell inside the well
    Cell& At(int column, int row);                 // the cell; only for positions inside the well
    const Cell& At(int column, int row) const;
    bool IsOccupied(int column, int row) const;    // false for any position outside the well
};

// One block of a piece.
struct Block {
    uint32_t colour; // ARGB colour of the block
    int32_t x;       // column relative to the piece's origin
    int32_t y;       // row relative to the piece's origin
};

// A piece of four blocks; block i stands at column x + blocks[i].x, row y + blocks[i].y.
struct Piece {
    Block blocks[kPieceBlocks]; // the four blocks, in a fixed order
    int32_t x;                  // column of the origin
    int32_t y;                  // row of the origin
    int32_t kind;               // 0..6
};

// The seven piece shapes with their colours, one per kind.
struct PieceTemplates {
    Piece pieces[kPieceKinds]; // pieces[kind], origin (0, 0)

    PieceTemplates();
    static uint32_t Colour(int kind); // the colour of a kind (0 for an unknown kind)
};

// Everything the game keeps between frames.
struct GameState {
    bool gameOver;            // the game over state is shown
    bool menuShown;           // the main menu is shown (the program opens on it)
    Board board;              // the well
    PieceTemplates templates; // the seven shapes
    Piece current;            // the falling piece; all zero until the first NewGame
    int32_t score;            // 20 per locked piece, 100 per removed row
    int32_t originX;          // screen x in pixels of the well's top-left corner (set by the shell)
    int32_t originY;          // screen y in pixels of the well's top-left corner (set by the shell)

    GameState(); // the state at program start: main menu, empty well, zero piece, score 0
};

// The program's one game.
extern GameState game;
