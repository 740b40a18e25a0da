// The planner of the headless demonstration game, a host program built from the game's own
// rules code (game/GameRules.cpp, game/GameState.cpp and the generator the game links).
//
//   DemoPlanner [rows] [height] [pieces] [beam]
//       writes the demonstration's step script (tools/demo-keys.txt) to the standard output:
//       the plan of a whole game from the start (rows to clear, default 3), shown as comments,
//       and the steps around it.
//   DemoPlanner --serve [rows] [height] [pieces] [beam]
//       the online planner that tools/play.sh asks while it plays: one request a line on the
//       standard input, one answer a line on the standard output.
//         plan <rows left> <pieces locked> <column,row> x4 <well>
//                                            the pieces locked so far (-1 if not known), the
//                                            falling piece's four cells as the screen shows
//                                            them, and the well: 300 characters, the 25 rows
//                                            of 12 cells of the locked blocks, top row first,
//                                            '1' occupied
//         -> place <index> <kind> <turns> <column,row> x4 <rows cleared> <first cleared row>
//                  <1 if those rows were the top of the stack> <plan|replan|single>
//         -> none                            (no place for the piece)
//       While the well is the one the plan foresaw, the answer is the plan's next placement.
//       Otherwise (a press missed or acted twice, and a piece lies elsewhere) the rest of the
//       game is searched again from the well as it is: the game's pieces still come in their
//       fixed order, the falling one is the one after the pieces locked (when the count is not
//       known or does not fit the kind its cells show, it is worked out from the blocks added
//       since the last request and that kind). A piece whose place in the order cannot be told
//       is placed alone.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>
#include "DemoSearch.h"
#include "GameRules.h"

namespace {

struct Settings {
    int rows = 3;     // rows the demonstration clears
    int height = 4;   // the plan keeps every block within this many bottom rows
    int pieces = 30;  // the longest plan searched
    int beam = 500;   // games kept per piece by the search from the start
};

const int kReplanBeam = 80;    // games kept per piece by the searches during play
const int kReplanPieces = 12;  // the longest plan searched during play
const int kReplanRows = 1;     // rows a search during play aims at: the next clear
const int kIndexWindow = 8;    // pieces that can have locked unseen between two requests

const char* const kKindNames[kPieceKinds] = {
    "line of four", "row of three with one under the middle", "square",
    "block above the left end of a row of three", "block above the right end of a row of three",
    "vertical zig-zag, right column higher", "vertical zig-zag, left column higher",
};

int LeftColumn(const Placement& p)
{
    int left = kBoardColumns;
    for (auto& c : p.cells)
        left = std::min(left, c[0]);
    return left;
}

// The plan of a whole game from the start: the first piece of a new game on an empty well.
bool PlanFromStart(const Settings& s, std::vector<Placement>& plan)
{
    StartAt(Board(), 0, KindOfPiece(0));
    Search search(s.rows, s.height, s.pieces, s.beam);
    GameState start = game;
    if (!search.Run(start, 0))
        return false;
    plan = search.plan();
    return true;
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
        "# Written by tools/demo/DemoPlanner.cpp from the game's own rules (do not edit by hand):\n"
        "#   build/host/DemoPlanner > tools/demo-keys.txt\n"
        "# One step per line; blank lines and lines starting with # are skipped.\n"
        "#   key <name> <hold seconds> <pause seconds>   press an X key (xdotool name), hold it, release, wait\n"
        "#   shot <name>                                 save <name>.png: the game's 1024x768 picture now\n"
        "#   wait <seconds>                              let the game run\n"
        "#   until <x> <y> <rrggbb> <seconds> [key]      wait until the game's pixel (x, y) shows the\n"
        "#                                               colour, pressing the key again each second\n"
        "#   play <rows> <pieces> <seconds>              play until <rows> rows are cleared (at most\n"
        "#                                               <pieces> pieces and <seconds> seconds): each\n"
        "#                                               piece's place is asked of the planner\n"
        "#                                               (DemoPlanner --serve) for the well as the screen\n"
        "#                                               shows it, and the piece is steered there with\n"
        "#                                               Up, Left and Right, each press held for as many\n"
        "#                                               of the game's key reads as turns or moves are\n"
        "#                                               needed (DemoKeys) and checked on the screen,\n"
        "#                                               then dropped with Down; shots before-clear-<n>\n"
        "#                                               and after-clear-<n> around each clear of the\n"
        "#                                               top of the stack (listed in clears.txt),\n"
        "#                                               playing after the eighth piece, final at the end\n"
        "# GIF frames are grabbed all along, from the first step to the last.\n"
        "#\n"
        "# The plan while every press acts as meant: %d pieces turned and moved into place; %d rows\n"
        "# cleared in %d clears, each of the rows at the top of the stack, so that they leave empty\n"
        "# rows; then Space ends the game, Enter goes back to the menu and Esc leaves. A piece that\n"
        "# lands elsewhere has the rest of the game planned again from the well as it is.\n"
        "# plan: locks %d rows %d score %d\n",
        locks, rows, clears, locks, rows, 20 * locks + 100 * rows);
    int cleared = 0;
    for (size_t i = 0; i < plan.size(); i++) {
        const Placement& p = plan[i];
        std::printf("#   piece %zu: %s, %d turn%s, to", i + 1, kKindNames[p.kind], p.turns, p.turns == 1 ? "" : "s");
        for (auto& c : p.cells)
            std::printf(" %d,%d", c[0], c[1]);
        if (p.cleared > 0) {
            cleared += p.cleared;
            std::printf("; clears row%s %d", p.cleared == 1 ? "" : "s", p.firstCleared);
            if (p.cleared > 1)
                std::printf("..%d", p.firstCleared + p.cleared - 1);
            std::printf(" (%d in all)", cleared);
        }
        std::printf("\n");
    }
    std::printf(
        "shot menu\n"
        "key u 0.3 1.0\n"
        "until 320 220 000000 30 u\n"
        "shot start\n"
        "play %d %d 420\n"
        "key space 1.0 1.0\n"
        "until 290 540 4e174e 30 space\n"
        "shot game-over\n"
        "key Return 1.0 1.5\n"
        "until 320 220 4e174e 30 Return\n"
        "shot menu-again\n"
        "key Escape 1.0 1.0\n",
        rows, 3 * locks);
}

// The cells' shape as offsets from their top-left corner, in a fixed order.
std::vector<std::pair<int, int>> Shape(const int cells[kPieceBlocks][2])
{
    int left = kBoardColumns, top = kBoardRows;
    for (int i = 0; i < kPieceBlocks; i++) {
        left = std::min(left, cells[i][0]);
        top = std::min(top, cells[i][1]);
    }
    std::vector<std::pair<int, int>> shape;
    for (int i = 0; i < kPieceBlocks; i++)
        shape.push_back({cells[i][0] - left, cells[i][1] - top});
    std::sort(shape.begin(), shape.end());
    return shape;
}

// The kind of piece whose blocks, turned by the game's rules any number of times, have the
// shape of the four cells; -1 if none.
int KindOfCells(const int cells[kPieceBlocks][2])
{
    const std::vector<std::pair<int, int>> wanted = Shape(cells);
    for (int kind = 0; kind < kPieceKinds; kind++) {
        StartAt(Board(), 0, kind);
        for (int turns = 0; turns < 4; turns++) {
            int blocks[kPieceBlocks][2];
            for (int i = 0; i < kPieceBlocks; i++) {
                blocks[i][0] = game.current.x + game.current.blocks[i].x;
                blocks[i][1] = game.current.y + game.current.blocks[i].y;
            }
            if (Shape(blocks) == wanted)
                return kind;
            Rotate();
        }
    }
    return -1;
}

// The online planner's memory: the plan it follows, the wells it foresees before each of its
// placements, and the last request.
class Server {
public:
    explicit Server(const Settings& s) : settings_(s) {}

    void Start()
    {
        std::vector<Placement> plan;
        if (PlanFromStart(settings_, plan))
            Adopt(Board(), plan);
    }

    // One request line; the answer line.
    std::string Answer(const std::string& line)
    {
        std::istringstream in(line);
        std::string word, bits;
        int rowsLeft = 0, locks = -1;
        int cells[kPieceBlocks][2];
        bool ok = bool(in >> word >> rowsLeft >> locks) && word == "plan";
        for (auto& c : cells) {
            char comma = 0;
            ok = ok && bool(in >> c[0] >> comma >> c[1]) && comma == ',';
        }
        Board board;
        ok = ok && bool(in >> bits) && ReadBoardBits(bits, board);
        if (!ok)
            return "error: expected plan <rows left> <pieces locked> <column,row> x4 <300 characters 0 or 1>";
        int kind = KindOfCells(cells);
        if (kind < 0)
            return "error: the four cells are no piece of the game";
        int index = locks >= 0 && KindOfPiece(locks) == kind ? locks : InferIndex(kind, bits);
        const bool known = index >= 0;
        if (!known)
            index = guess_;
        previous_ = Previous{true, index, kind, bits};

        const char* how = "plan";
        Placement p;
        if (!known || !FromPlan(index, kind, bits, p)) {
            how = "replan";
            if (!known || !Replan(board, index, kind, std::min(std::max(rowsLeft, 1), kReplanRows), p)) {
                how = "single";
                StartAt(board, index, kind);
                if (!BestSinglePlacement(index, p))
                    return "none";
                plan_.assign(1, p);
                boards_.assign(1, bits);
            }
        }
        std::ostringstream out;
        out << "place " << p.index << ' ' << p.kind << ' ' << p.turns;
        for (auto& c : p.cells)
            out << ' ' << c[0] << ',' << c[1];
        out << ' ' << p.cleared << ' ' << p.firstCleared << ' ' << (p.clearsTopmost ? 1 : 0) << ' ' << how;
        return out.str();
    }

private:
    struct Previous {
        bool valid = false;
        int index = 0;
        int kind = 0;
        std::string bits;
    };

    // Takes over a plan that starts on `board` and records the well before each placement.
    void Adopt(const Board& board, const std::vector<Placement>& plan)
    {
        plan_ = plan;
        boards_.clear();
        if (plan.empty())
            return;
        StartAt(board, plan[0].index, plan[0].kind);
        for (const Placement& p : plan) {
            boards_.push_back(BoardBits(game.board));
            Placement replayed;
            Play(p.index, p.turns, LeftColumn(p), replayed);
        }
    }

    bool FromPlan(int index, int kind, const std::string& bits, Placement& out) const
    {
        for (size_t i = 0; i < plan_.size(); i++)
            if (plan_[i].index == index && plan_[i].kind == kind && boards_[i] == bits) {
                out = plan_[i];
                return true;
            }
        return false;
    }

    // Searches the rest of the game from the well as it is. When no plan clears the topmost
    // rows (a misplaced piece can cover a gap for good), rows lower down may be cleared and the
    // stack may grow a little higher; without any plan that clears rows, the first steps of
    // the tidiest game found are followed.
    bool Replan(const Board& board, int index, int kind, int rows, Placement& out)
    {
        int top = kBoardRows;
        for (int row = kBoardRows - 1; row >= 0; row--)
            for (int column = 0; column < kBoardColumns; column++)
                if (board.At(column, row).occupied)
                    top = row;
        int lowest = std::max(settings_.height, kBoardRows - top + 1);
        std::vector<Placement> partial;
        for (bool anyRows : {false, true}) {
            StartAt(board, index, kind);
            GameState start = game;
            int height = std::min(lowest + (anyRows ? 2 : 0), kBoardRows);
            Search search(rows, height, kReplanPieces, kReplanBeam, anyRows);
            if (search.Run(start, index)) {
                Adopt(board, search.plan());
                out = plan_[0];
                return true;
            }
            if (!search.partial().empty())
                partial = search.partial();
        }
        if (partial.empty())
            return false;
        Adopt(board, partial);
        out = plan_[0];
        return true;
    }

    // Which piece of the game is falling: the one after the last request's, or, when the well
    // gained more blocks than one piece has, as many later as pieces locked meanwhile (each
    // lock adds 4 cells, each removed row takes 12) - the nearest of those candidates whose kind
    // is the one seen. The same well and kind as last time are the same piece. -1 when no
    // candidate has the kind (guess_ then holds the likeliest index).
    int InferIndex(int kind, const std::string& bits)
    {
        int first = 0, expected = 0;
        if (previous_.valid) {
            if (bits == previous_.bits && kind == previous_.kind)
                return previous_.index;
            int added = int(std::count(bits.begin(), bits.end(), '1')) -
                        int(std::count(previous_.bits.begin(), previous_.bits.end(), '1'));
            int locks = 0;
            for (int removed = 0; removed <= 4 && locks < 1; removed++)
                locks = (added + 12 * removed) / 4;
            first = previous_.index + 1;
            expected = previous_.index + std::max(locks, 1);
        }
        guess_ = expected;
        for (int d = 0; d <= kIndexWindow; d++) {
            for (int candidate : {expected + d, expected - d}) {
                if (candidate < first || candidate > first + kIndexWindow)
                    continue;
                if (KindOfPiece(candidate) == kind)
                    return candidate;
            }
        }
        return -1;
    }

    Settings settings_;
    std::vector<Placement> plan_;
    std::vector<std::string> boards_;
    Previous previous_;
    int guess_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    bool serve = argc > 1 && std::string(argv[1]) == "--serve";
    int first = serve ? 2 : 1;
    Settings s;
    int* values[] = {&s.rows, &s.height, &s.pieces, &s.beam};
    for (int i = 0; i < 4 && first + i < argc; i++)
        *values[i] = std::atoi(argv[first + i]);
    if (s.rows < 1 || s.rows > 12 || s.height < 1 || s.height > 12 || s.pieces < 1 || s.beam < 1) {
        std::fprintf(stderr, "DemoPlanner [--serve] [rows] [height] [pieces] [beam]\n");
        return 2;
    }
    if (serve) {
        Server server(s);
        server.Start();
        std::string line;
        while (std::getline(std::cin, line)) {
            std::printf("%s\n", server.Answer(line).c_str());
            std::fflush(stdout);
        }
        return 0;
    }
    std::vector<Placement> plan;
    if (!PlanFromStart(s, plan)) {
        std::fprintf(stderr, "DemoPlanner: no plan clears %d rows with the game's pieces\n", s.rows);
        return 1;
    }
    WriteScript(plan);
    return 0;
}
