#include "DemoSearch.h"
#include <algorithm>
#include <set>
#include <utility>
#include "GameRules.h"
#include "OXERandom.h"

namespace {

// The generator as the game has used it when piece `index` (0 = the first) is falling: one
// draw for every piece spawned so far.
void ReplayGenerator(int index)
{
    OXESeedRand(1);
    for (int i = 0; i <= index; i++)
        OXERand();
}

int TopRow()
{
    for (int row = 0; row < kBoardRows; row++)
        for (int column = 0; column < kBoardColumns; column++)
            if (game.board.At(column, row).occupied)
                return row;
    return kBoardRows;
}

bool SameBlocks(const Piece& a, const Piece& b)
{
    for (int i = 0; i < kPieceBlocks; i++)
        if (a.blocks[i].x != b.blocks[i].x || a.blocks[i].y != b.blocks[i].y)
            return false;
    return true;
}

int LeftmostColumn(const Piece& piece)
{
    int left = kBoardColumns;
    for (const Block& b : piece.blocks)
        left = std::min(left, piece.x + b.x);
    return left;
}

// The first full row, kBoardRows if none.
int TopFullRow()
{
    for (int row = 0; row < kBoardRows; row++)
        if (IsRowFull(row))
            return row;
    return kBoardRows;
}

// Empty cells under occupied ones.
int Holes()
{
    int holes = 0;
    for (int column = 0; column < kBoardColumns; column++) {
        bool covered = false;
        for (int row = 0; row < kBoardRows; row++) {
            bool occupied = game.board.At(column, row).occupied;
            if (covered && !occupied)
                holes++;
            covered = covered || occupied;
        }
    }
    return holes;
}

// The squared height steps between neighbouring columns.
int Roughness()
{
    int sum = 0, previous = -1;
    for (int column = 0; column < kBoardColumns; column++) {
        int height = 0;
        for (int row = 0; row < kBoardRows; row++)
            if (game.board.At(column, row).occupied) {
                height = kBoardRows - row;
                break;
            }
        if (previous >= 0)
            sum += (height - previous) * (height - previous);
        previous = height;
    }
    return sum;
}

} // namespace

int KindOfPiece(int index)
{
    ReplayGenerator(index - 1);
    return KindForRoll(OXERand() % 10001);
}

std::string BoardBits(const Board& board)
{
    std::string bits;
    for (int row = 0; row < kBoardRows; row++)
        for (int column = 0; column < kBoardColumns; column++)
            bits += board.At(column, row).occupied ? '1' : '0';
    return bits;
}

bool ReadBoardBits(const std::string& bits, Board& board)
{
    if (bits.size() != size_t(kBoardCells))
        return false;
    board = Board();
    for (int row = 0; row < kBoardRows; row++)
        for (int column = 0; column < kBoardColumns; column++) {
            char c = bits[row * kBoardColumns + column];
            if (c != '0' && c != '1')
                return false;
            board.At(column, row).occupied = c == '1';
            board.At(column, row).colour = 0;
        }
    return true;
}

void StartAt(const Board& board, int index, int kind)
{
    game = GameState();
    game.menuShown = false;
    game.board = board;
    const Piece& shape = game.templates.pieces[kind];
    game.current = shape;
    game.current.x = kSpawnColumn;
    game.current.y = kSpawnRow;
    game.current.kind = kind;
    ReplayGenerator(index);
}

bool Play(int index, int turns, int column, Placement& out)
{
    out.index = index;
    out.kind = game.current.kind;
    out.turns = turns;
    for (int i = 0; i < turns; i++) {
        Piece before = game.current;
        Rotate();
        if (SameBlocks(before, game.current))
            return false;
    }
    while (LeftmostColumn(game.current) != column) {
        int x = game.current.x;
        if (LeftmostColumn(game.current) < column)
            MoveRight();
        else
            MoveLeft();
        if (game.current.x == x)
            return false;
    }
    HardDrop();
    for (int i = 0; i < kPieceBlocks; i++) {
        out.cells[i][0] = game.current.x + game.current.blocks[i].x;
        out.cells[i][1] = game.current.y + game.current.blocks[i].y;
        if (!Board::Contains(out.cells[i][0], out.cells[i][1]))
            return false;
    }
    // The lock draws the next piece: the generator must stand where the game has it.
    ReplayGenerator(index);
    int score = game.score;
    StepDown();
    out.firstCleared = TopFullRow();
    out.clearsTopmost = out.firstCleared == kBoardRows || TopRow() == out.firstCleared;
    ClearFullRows();
    out.cleared = (game.score - score - 20) / 100;
    return true;
}

int BoardCost(int cleared)
{
    return 8 * Holes() + Roughness() + 2 * (kBoardRows - TopRow()) - 40 * cleared;
}

bool Search::Run(const GameState& start, int firstIndex)
{
    plan_.clear();
    partial_.clear();
    std::vector<Game> games(1, Game{start, {}, 0, 0});
    for (int step = 0; step < pieces_ && !games.empty(); step++) {
        int index = firstIndex + step;
        std::vector<Game> next;
        std::set<std::string> seen;
        for (const Game& from : games) {
            for (int turns = 0; turns < 4; turns++) {
                for (int column = 0; column < kBoardColumns; column++) {
                    game = from.state;
                    Placement p;
                    if (!Play(index, turns, column, p) || !(p.clearsTopmost || anyRows_))
                        continue;
                    bool low = true;
                    for (auto& c : p.cells)
                        low = low && c[1] >= kBoardRows - height_;
                    if (!low)
                        continue;
                    Game g{game, from.plan, from.cleared + p.cleared, 0};
                    g.plan.push_back(p);
                    if (g.cleared >= rows_) {
                        plan_ = g.plan;
                        return true;
                    }
                    if (!seen.insert(Fingerprint()).second)
                        continue;
                    g.cost = BoardCost(g.cleared);
                    next.push_back(std::move(g));
                }
            }
        }
        std::stable_sort(next.begin(), next.end(),
                         [](const Game& a, const Game& b) { return a.cost < b.cost; });
        if (int(next.size()) > beam_)
            next.resize(beam_);
        if (!next.empty())
            partial_ = next.front().plan;
        games = std::move(next);
    }
    return false;
}

// The occupied cells of the well and the falling piece's kind: two games alike in these play
// on alike.
std::string Search::Fingerprint() const
{
    std::string bits(1, char('0' + game.current.kind));
    for (int row = kBoardRows - height_; row < kBoardRows; row++)
        for (int column = 0; column < kBoardColumns; column++)
            bits += game.board.At(column, row).occupied ? '1' : '0';
    return bits;
}

bool BestSinglePlacement(int index, Placement& out)
{
    const GameState start = game;
    bool found = false;
    int best = 0;
    for (int turns = 0; turns < 4; turns++) {
        for (int column = 0; column < kBoardColumns; column++) {
            game = start;
            Placement p;
            if (!Play(index, turns, column, p))
                continue;
            // A clear of rows with blocks above them leaves a well that no longer shows it.
            int cost = BoardCost(p.cleared) + (p.clearsTopmost ? 0 : 60);
            if (!found || cost < best) {
                found = true;
                best = cost;
                out = p;
            }
        }
    }
    game = start;
    return found;
}
