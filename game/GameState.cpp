#include "GameState.h"
#include <cstring>

GameState game;

Board::Board()
{
    for (int column = 0; column < kBoardColumns; column++) {
        for (int row = 0; row < kBoardRows; row++) {
            Cell& cell = cells[column * kBoardRows + row];
            cell.kind = 0;
            cell.colour = 0xFFC8C8C8;
            cell.occupied = false;
            cell.column = column;
            cell.row = row;
        }
    }
}

bool Board::Contains(int column, int row)
{
    return column >= 0 && column < kBoardColumns && row >= 0 && row < kBoardRows;
}

Cell& Board::At(int column, int row)
{
    return cells[column * kBoardRows + row];
}

const Cell& Board::At(int column, int row) const
{
    return cells[column * kBoardRows + row];
}

bool Board::IsOccupied(int column, int row) const
{
    return Contains(column, row) && At(column, row).occupied;
}

// Shapes and colours of the seven kinds: blocks (x, y) relative to the origin.
struct TemplateShape {
    uint32_t colour;
    int blocks[kPieceBlocks][2];
};

static const TemplateShape kShapes[kPieceKinds] = {
    {0xFFFF0000, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}}, // straight line of four
    {0xFF969696, {{0, 0}, {1, 0}, {1, 1}, {2, 0}}}, // row of three, one block under the middle
    {0xFF0000FF, {{0, 0}, {0, 1}, {1, 1}, {1, 0}}}, // 2 x 2 square
    {0xFF64C832, {{0, 0}, {0, 1}, {1, 1}, {2, 1}}}, // block above the left end of a row of three
    {0xFF82C814, {{0, 1}, {1, 1}, {2, 1}, {2, 0}}}, // block above the right end of a row of three
    {0xFF1CFFEF, {{1, 0}, {0, 1}, {0, 2}, {1, 1}}}, // vertical zig-zag, right column higher
    {0xFFFF1EF0, {{0, 0}, {0, 1}, {1, 1}, {1, 2}}}, // vertical zig-zag, left column higher
};

PieceTemplates::PieceTemplates()
{
    for (int kind = 0; kind < kPieceKinds; kind++) {
        Piece& piece = pieces[kind];
        for (int i = 0; i < kPieceBlocks; i++) {
            piece.blocks[i].colour = kShapes[kind].colour;
            piece.blocks[i].x = kShapes[kind].blocks[i][0];
            piece.blocks[i].y = kShapes[kind].blocks[i][1];
        }
        piece.x = 0;
        piece.y = 0;
        piece.kind = kind;
    }
}

uint32_t PieceTemplates::Colour(int kind)
{
    if (kind < 0 || kind >= kPieceKinds)
        return 0;
    return kShapes[kind].colour;
}

GameState::GameState()
    : gameOver(false), menuShown(true), score(0), originX(0), originY(0)
{
    std::memset(&current, 0, sizeof(current));
}
