#include "GameTestSupport.h"
#include <algorithm>
#include <cstring>
#include "OXERandom.h"

namespace gametest {

void ResetGame()
{
    game = GameState();
    OXESeedRand(1);
}

void Fill(int column, int row, int kind)
{
    Cell& cell = game.board.At(column, row);
    cell.occupied = true;
    cell.kind = kind;
    cell.colour = PieceTemplates::Colour(kind);
}

void FillRow(int row, std::vector<int> gaps)
{
    for (int column = 0; column < kBoardColumns; column++)
        if (std::find(gaps.begin(), gaps.end(), column) == gaps.end())
            Fill(column, row);
}

void SetPiece(int kind, int x, int y, std::vector<std::pair<int, int>> blocks)
{
    for (int i = 0; i < kPieceBlocks; i++) {
        game.current.blocks[i].x = blocks[i].first;
        game.current.blocks[i].y = blocks[i].second;
        game.current.blocks[i].colour = PieceTemplates::Colour(kind);
    }
    game.current.x = x;
    game.current.y = y;
    game.current.kind = kind;
}

void SetTemplatePiece(int kind, int x, int y)
{
    game.current = game.templates.pieces[kind];
    game.current.x = x;
    game.current.y = y;
}

std::vector<std::pair<int, int>> PieceCells()
{
    std::vector<std::pair<int, int>> cells;
    for (const Block& b : game.current.blocks)
        cells.push_back({game.current.x + b.x, game.current.y + b.y});
    std::sort(cells.begin(), cells.end());
    return cells;
}

int OccupiedCount()
{
    int n = 0;
    for (const Cell& cell : game.board.cells)
        n += cell.occupied ? 1 : 0;
    return n;
}

bool TemplatesIntact()
{
    PieceTemplates fresh;
    return std::memcmp(&fresh, &game.templates, sizeof(fresh)) == 0;
}

} // namespace gametest
