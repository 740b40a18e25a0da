// Plans the headless demonstration game and writes its key script (tools/demo-keys.txt) to the
// standard output. A host program built from the game's own rules code (game/GameRules.cpp,
// game/GameState.cpp and the generator the game links): the piece sequence is fixed, since the
// game's generator is never seeded, so the whole game can be worked out in advance.
//
// The plan fills the bottom rows of the well without leaving a hole and clears them all, so
// that the well is empty again afterwards: a depth-first search over every turn and column of
// each piece in sequence, each placement played through the rules exactly as the game plays
// it (turns at the top, moves, drop, lock, removal of full rows). Then it ends the game with
// Space, goes back to the menu and leaves.
//
//   DemoPlanner [rows]   rows to fill and clear (3 to 6, default 4)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>
#include "GameRules.h"
#include "GameState.h"
#include "OXERandom.h"

namespace {

// Where one piece went: the four cells it locked in, and what that did.
struct Placement {
    int kind = 0;
    int turns = 0;       // quarter turns made at the top
    int freeRows = 0;    // rows 0..freeRows-1 held nothing but the falling piece
    int cells[4][2] = {}; // column, row
    int cleared = 0;     // rows removed after it locked
    int firstCleared = 0; // the first of them (kBoardRows if none)
    bool clearsTopmost = true; // nothing lay above the rows it completed
};

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

// Plays the falling piece as the demo will: `turns` turns, moves until its leftmost block is in
// `column`, a drop, the fall step that locks it (and spawns the next piece) and the removal of
// full rows at the start of the next frame. False when a turn or a move is refused.
bool Play(int turns, int column, Placement& out)
{
    out.kind = game.current.kind;
    out.turns = turns;
    out.freeRows = TopRow();
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
    for (int i = 0; i < 4; i++) {
        out.cells[i][0] = game.current.x + game.current.blocks[i].x;
        out.cells[i][1] = game.current.y + game.current.blocks[i].y;
        if (!Board::Contains(out.cells[i][0], out.cells[i][1]))
            return false;
    }
    int score = game.score;
    StepDown();
    out.firstCleared = TopFullRow();
    out.clearsTopmost = out.firstCleared == kBoardRows || TopRow() == out.firstCleared;
    ClearFullRows();
    out.cleared = (game.score - score - 20) / 100;
    return true;
}

// A beam search for the shortest game in which at least `rows` rows are cleared, each clear
// taking the topmost rows of the stack (nothing lies above the rows it completes, so they leave
// empty rows behind), with the stack kept within the bottom `height` rows. Piece by piece,
// every distinct turn and column of the falling piece is played through the rules from each
// kept game, and the `beam` tidiest games (few holes, a level and low surface, many rows
// cleared) go on to the next piece.
class Search {
public:
    Search(int rows, int height, int pieces, int beam)
        : rows_(rows), height_(height), pieces_(pieces), beam_(beam) {}

    bool Run()
    {
        ReplayGenerator(-1);
        NewGame();
        std::vector<Game> games(1, Game{game, {}, 0, 0});
        for (int index = 0; index < pieces_ && !games.empty(); index++) {
            std::vector<Game> next;
            std::set<std::string> seen;
            for (const Game& from : games) {
                for (int turns = 0; turns < 4; turns++) {
                    for (int column = 0; column < kBoardColumns; column++) {
                        game = from.state;
                        ReplayGenerator(index);
                        Placement p;
                        if (!Play(turns, column, p) || !p.clearsTopmost)
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
                        g.cost = 8 * Holes() + Roughness() + 2 * (kBoardRows - TopRow()) - 40 * g.cleared;
                        next.push_back(std::move(g));
                    }
                }
            }
            std::stable_sort(next.begin(), next.end(),
                             [](const Game& a, const Game& b) { return a.cost < b.cost; });
            if (int(next.size()) > beam_)
                next.resize(beam_);
            games = std::move(next);
        }
        return false;
    }

    const std::vector<Placement>& plan() const { return plan_; }

private:
    struct Game {
        GameState state;
        std::vector<Placement> plan;
        int cleared;
        int cost;
    };

    // The occupied cells of the well and the falling piece's kind: two games alike in these
    // play on alike.
    std::string Fingerprint() const
    {
        std::string bits(1, char('0' + game.current.kind));
        for (int row = kBoardRows - height_; row < kBoardRows; row++)
            for (int column = 0; column < kBoardColumns; column++)
                bits += game.board.At(column, row).occupied ? '1' : '0';
        return bits;
    }

    int rows_, height_, pieces_, beam_;
    std::vector<Placement> plan_;
};

const char* const kKindNames[kPieceKinds] = {
    "line of four", "row of three with one under the middle", "square",
    "block above the left end of a row of three", "block above the right end of a row of three",
    "vertical zig-zag, right column higher", "vertical zig-zag, left column higher",
};

// The row the piece's top must have reached before it is dropped. When the next piece spawns
// looking exactly as this one lies before its drop (same kind, no turn, spawn column), a
// check right after the drop could take the fresh piece for this one still falling: this one
// then waits until it is well below the spawn rows, where the fresh one cannot be yet.
int DropRow(const std::vector<Placement>& plan, size_t i)
{
    const Placement& p = plan[i];
    if (i + 1 >= plan.size() || plan[i + 1].kind != p.kind)
        return 0;
    Piece spawn = game.templates.pieces[p.kind];
    std::vector<std::pair<int, int>> a, b;
    int left = kBoardColumns, top = kBoardRows;
    for (auto& c : p.cells) {
        left = std::min(left, c[0]);
        top = std::min(top, c[1]);
    }
    for (auto& c : p.cells)
        a.push_back({c[0] - left, c[1] - top});
    for (const Block& blk : spawn.blocks)
        b.push_back({blk.x, blk.y});
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return (a == b && left == kSpawnColumn) ? 4 : 0;
}

void WriteScript(const std::vector<Placement>& plan)
{
    int locks = int(plan.size()), rows = 0, clears = 0;
    for (const Placement& p : plan) {
        rows += p.cleared;
        clears += p.cleared > 0;
    }
    std::printf(
        "# The headless demonstration game that `sh tools/play.sh` plays when there is no X display.\n"
        "# Written by tools/DemoPlanner.cpp from the game's own rules (do not edit by hand):\n"
        "#   build/host/DemoPlanner > tools/demo-keys.txt\n"
        "# One step per line; blank lines and lines starting with # are skipped.\n"
        "#   key <name> <hold seconds> <pause seconds>   press an X key (xdotool name), hold it, release, wait\n"
        "#   shot <name>                                 save <name>.png: the game's 1024x768 picture now\n"
        "#   wait <seconds>                              let the game run\n"
        "#   until <x> <y> <rrggbb> <seconds> [key]      wait until the game's pixel (x, y) shows the\n"
        "#                                               colour, pressing the key again each second\n"
        "#   place <kind> <free rows> <drop row> <column,row> x4\n"
        "#                                               watch the well and steer the falling piece (short\n"
        "#                                               taps of Up, Left and Right, each checked on the\n"
        "#                                               screen) until it lies turned and moved above\n"
        "#                                               the four cells, then drop it there with Down;\n"
        "#                                               rows 0 .. free rows - 1 hold only the falling piece;\n"
        "#                                               the drop waits until its top row is <drop row>\n"
        "#   empty <first row> <last row> <seconds>      wait until those rows of the well are empty\n"
        "# GIF frames are grabbed all along, from the first step to the last.\n"
        "#\n"
        "# The plan: %d pieces turned and moved into place; %d rows cleared in %d clears, each of the\n"
        "# rows at the top of the stack, so that they leave empty rows; then Space ends the game,\n"
        "# Enter goes back to the menu and Esc leaves.\n"
        "# plan: locks %d rows %d score %d\n"
        "shot menu\n"
        "key u 0.3 1.0\n"
        "until 320 220 000000 30 u\n"
        "shot start\n",
        locks, rows, clears, locks, rows, 20 * locks + 100 * rows);
    int cleared = 0, clear = 0;
    for (size_t i = 0; i < plan.size(); i++) {
        const Placement& p = plan[i];
        std::printf("# piece %zu: %s, %d turn%s\n", i + 1, kKindNames[p.kind], p.turns, p.turns == 1 ? "" : "s");
        if (p.cleared > 0)
            std::printf("shot before-clear-%d\n", clear + 1);
        std::printf("place %d %d %d", p.kind, p.freeRows, DropRow(plan, i));
        for (auto& c : p.cells)
            std::printf(" %d,%d", c[0], c[1]);
        std::printf("\n");
        if (p.cleared > 0) {
            cleared += p.cleared;
            clear++;
            std::printf("# %d row%s cleared, %d in all\n", p.cleared, p.cleared == 1 ? "" : "s", cleared);
            std::printf("empty %d %d 10\nshot after-clear-%d\n", p.firstCleared, p.firstCleared + p.cleared - 1, clear);
        }
        if (i + 1 == plan.size() / 2)
            std::printf("shot playing\n");
    }
    std::printf(
        "key space 0.3 1.0\n"
        "until 290 540 4e174e 30 space\n"
        "shot game-over\n"
        "key Return 1.0 1.5\n"
        "until 320 220 4e174e 30 Return\n"
        "shot menu-again\n"
        "key Escape 1.0 1.0\n");
}

} // namespace

int main(int argc, char** argv)
{
    int rows = argc > 1 ? std::atoi(argv[1]) : 3;
    int height = argc > 2 ? std::atoi(argv[2]) : 4;
    int pieces = argc > 3 ? std::atoi(argv[3]) : 30;
    int beam = argc > 4 ? std::atoi(argv[4]) : 500;
    if (rows < 1 || rows > 12 || height < 1 || height > 12 || pieces < 1 || beam < 1) {
        std::fprintf(stderr, "DemoPlanner [rows] [height] [pieces] [beam]\n");
        return 2;
    }
    Search search(rows, height, pieces, beam);
    if (!search.Run()) {
        std::fprintf(stderr, "DemoPlanner: no plan clears %d rows with the game's pieces\n", rows);
        return 1;
    }
    WriteScript(search.plan());
    return 0;
}
