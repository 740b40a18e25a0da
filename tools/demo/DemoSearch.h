// DemoSearch: placements of the falling piece played through the game's own rules on the
// program's GameState (`game`), and the searches over them that the demonstration game is
// planned with: from the start of a game, or from a well as the screen shows it later.
//
// A placement is played the way the demonstration steers a piece: quarter turns at the top,
// moves until its leftmost block is in the wanted column, a drop, the fall step that locks it
// (and spawns the next piece from the game's generator) and the removal of full rows at the
// start of the next frame. The game never seeds its generator, so the kind of every piece of a
// game started from the menu is known in advance (KindOfPiece).
#pragma once
#include <string>
#include <vector>
#include "GameState.h"

// Where one piece went: the four cells it locked in, and what that did.
struct Placement {
    int index = 0;                // the piece's place in the game (0 = the first of the game)
    int kind = 0;                 // its kind, 0..6
    int turns = 0;                // quarter turns made at the top
    int cells[kPieceBlocks][2] = {}; // column, row of its blocks once locked
    int cleared = 0;              // rows removed after it locked
    int firstCleared = kBoardRows; // the first of them (kBoardRows if none)
    bool clearsTopmost = true;    // nothing lay above the rows it completed
};

// The kind of piece `index` of a game started from the menu (0 = the first).
int KindOfPiece(int index);

// The well as text: 25 rows of 12 characters, top row first, '1' for an occupied cell.
std::string BoardBits(const Board& board);
// Reads BoardBits' form into `board` (cells marked occupied, kind 0); false if malformed.
bool ReadBoardBits(const std::string& bits, Board& board);

// Sets `game` to a game in play on `board`, piece `index` of kind `kind` at its spawn place, and
// the generator where the game has it while that piece falls. Score 0.
void StartAt(const Board& board, int index, int kind);

// Plays the falling piece of `game` (piece `index`): `turns` turns, moves until its leftmost
// block is in `column`, the drop, the lock and the removal of full rows. False when a turn or a
// move is refused, or a block would lock outside the well; `game` is then undefined.
bool Play(int index, int turns, int column, Placement& out);

// Cost of the well of `game` for the searches: holes, a rough or high surface cost; rows
// cleared earn.
int BoardCost(int cleared);

// A beam search for the shortest game in which at least `rows` rows are cleared, each clear
// taking the topmost rows of the stack (nothing lies above the rows it completes, so they leave
// empty rows behind) unless `anyRows` allows others, with every placed block within the bottom
// `height` rows. Piece by piece,
// every distinct turn and column of the falling piece is played through the rules from each
// kept game, and the `beam` tidiest games (BoardCost) go on to the next piece.
class Search {
public:
    Search(int rows, int height, int pieces, int beam, bool anyRows = false)
        : rows_(rows), height_(height), pieces_(pieces), beam_(beam), anyRows_(anyRows) {}

    // Searches from `start` (piece `firstIndex` falling, the generator set for it as StartAt
    // sets it). True when a plan was found.
    bool Run(const GameState& start, int firstIndex);
    const std::vector<Placement>& plan() const { return plan_; }
    // When Run found none: the first steps of the tidiest game of the last piece it reached
    // (empty if no placement was possible at all).
    const std::vector<Placement>& partial() const { return partial_; }

private:
    struct Game {
        GameState state;
        std::vector<Placement> plan;
        int cleared;
        int cost;
    };
    std::string Fingerprint() const;

    int rows_, height_, pieces_, beam_;
    bool anyRows_;
    std::vector<Placement> plan_;
    std::vector<Placement> partial_;
};

// The placement of `game`'s falling piece (piece `index`, whose followers are not known) that
// leaves the tidiest well, preferring clears of the topmost rows. False if none is possible.
bool BestSinglePlacement(int index, Placement& out);
