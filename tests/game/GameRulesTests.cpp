// The rules on the program's GameState: spawning from the generator, moves and turns at the
// walls, the floor and above the well, locking, row removal and scoring, and game over.
#include <gtest/gtest.h>
#include "GameRules.h"
#include "GameTestSupport.h"
#include "OXERandom.h"

using namespace gametest;
typedef std::vector<std::pair<int, int>> Cells;

namespace {

class Rules : public ::testing::Test {
protected:
    void SetUp() override { ResetGame(); }
};

TEST_F(Rules, ProgramStartState)
{
    EXPECT_FALSE(game.gameOver);
    EXPECT_TRUE(game.menuShown);
    EXPECT_EQ(game.score, 0);
    EXPECT_EQ(game.current.kind, 0);
    EXPECT_EQ(game.current.x, 0);
    EXPECT_EQ(game.current.y, 0);
    for (const Block& b : game.current.blocks) {
        EXPECT_EQ(b.x, 0);
        EXPECT_EQ(b.y, 0);
    }
    // Storage is column by column; every cell knows its own place.
    const Cell& cell = game.board.cells[3 * 25 + 7];
    EXPECT_EQ(cell.column, 3);
    EXPECT_EQ(cell.row, 7);
    EXPECT_EQ(cell.colour, 0xFFC8C8C8u);
    EXPECT_FALSE(cell.occupied);
    EXPECT_EQ(game.board.cells[299].column, 11);
    EXPECT_EQ(game.board.cells[299].row, 24);
    EXPECT_EQ(game.templates.pieces[5].blocks[2].x, 0);
    EXPECT_EQ(game.templates.pieces[5].blocks[2].y, 2);
    EXPECT_EQ(game.templates.pieces[6].blocks[0].colour, 0xFFFF1EF0u);
}

TEST_F(Rules, RollsChooseKindsInTheirShares)
{
    int counts[7] = {};
    for (int r = 0; r <= 10000; r++) {
        int kind = KindForRoll(r);
        ASSERT_GE(kind, 0);
        ASSERT_LE(kind, 6);
        counts[kind]++;
    }
    const int expected[7] = {1501, 1428, 1429, 1428, 1429, 1428, 1358};
    for (int k = 0; k < 7; k++)
        EXPECT_EQ(counts[k], expected[k]) << "kind " << k;
    EXPECT_EQ(KindForRoll(1500), 0);
    EXPECT_EQ(KindForRoll(1501), 1);
    EXPECT_EQ(KindForRoll(8642), 5);
    EXPECT_EQ(KindForRoll(8643), 6);
    EXPECT_EQ(KindForRoll(10000), 6);
}

TEST_F(Rules, FirstTwentyPiecesOfARunAreFixed)
{
    const int expected[20] = {0, 5, 4, 4, 6, 3, 0, 6, 4, 3, 3, 5, 2, 4, 6, 0, 2, 1, 3, 3};
    NewGame();
    for (int i = 0; i < 20; i++) {
        if (i > 0)
            SpawnPiece();
        ASSERT_EQ(game.current.kind, expected[i]) << "spawn " << i;
        EXPECT_EQ(game.current.x, 6);
        EXPECT_EQ(game.current.y, 0);
        const Piece& shape = game.templates.pieces[expected[i]];
        for (int b = 0; b < 4; b++) {
            EXPECT_EQ(game.current.blocks[b].x, shape.blocks[b].x);
            EXPECT_EQ(game.current.blocks[b].y, shape.blocks[b].y);
            EXPECT_EQ(game.current.blocks[b].colour, PieceTemplates::Colour(expected[i]));
        }
    }
}

TEST_F(Rules, NewGameEmptiesTheWellAndResets)
{
    Fill(3, 20);
    FillRow(24, {5});
    game.score = 4321;
    game.gameOver = true;
    NewGame();
    EXPECT_EQ(OccupiedCount(), 0);
    EXPECT_EQ(game.score, 0);
    EXPECT_FALSE(game.gameOver);
    EXPECT_FALSE(game.menuShown);
    EXPECT_EQ(game.board.At(3, 20).colour, 0u);
    EXPECT_EQ(game.board.At(3, 20).kind, 0);
    EXPECT_EQ(game.board.At(3, 20).column, 3);
    EXPECT_EQ(game.board.At(3, 20).row, 20);
    EXPECT_EQ(game.current.y, 0);
}

TEST_F(Rules, SidewaysMovesStopAtWallsAndBlocks)
{
    SetTemplatePiece(0, 0, 10); // columns 0..3
    MoveLeft();
    EXPECT_EQ(game.current.x, 0);
    MoveRight();
    EXPECT_EQ(game.current.x, 1);

    SetTemplatePiece(0, 8, 10); // columns 8..11
    MoveRight();
    EXPECT_EQ(game.current.x, 8);
    MoveLeft();
    EXPECT_EQ(game.current.x, 7);

    Fill(6, 10);
    SetTemplatePiece(0, 7, 10);
    MoveLeft();
    EXPECT_EQ(game.current.x, 7);
    ResetGame();
    Fill(2, 11);
    SetTemplatePiece(1, 3, 10); // (3,10) (4,10) (4,11) (5,10): the lower block meets nothing
    MoveRight();
    EXPECT_EQ(game.current.x, 4);
    SetTemplatePiece(1, 3, 10);
    MoveLeft(); // block (4,11) would move into (3,11): free; block (3,10) into (2,10): free
    EXPECT_EQ(game.current.x, 2);
    MoveLeft(); // (3,11) would meet the block at (2,11)
    EXPECT_EQ(game.current.x, 2);
}

TEST_F(Rules, StraightPieceTurns)
{
    SetTemplatePiece(0, 6, 0);
    Rotate();
    EXPECT_EQ(PieceCells(), (Cells{{6, 0}, {6, 1}, {6, 2}, {6, 3}}));
    Rotate();
    EXPECT_EQ(PieceCells(), (Cells{{3, 0}, {4, 0}, {5, 0}, {6, 0}}));
}

TEST_F(Rules, SquareTurnsAroundItsOriginCell)
{
    SetTemplatePiece(2, 5, 10);
    Cells first = PieceCells();
    Rotate();
    EXPECT_EQ(PieceCells(), (Cells{{4, 10}, {4, 11}, {5, 10}, {5, 11}}));
    Rotate();
    EXPECT_EQ(PieceCells(), (Cells{{4, 9}, {4, 10}, {5, 9}, {5, 10}}));
    Rotate();
    EXPECT_EQ(PieceCells(), (Cells{{5, 9}, {5, 10}, {6, 9}, {6, 10}}));
    Rotate();
    EXPECT_EQ(PieceCells(), first);
    for (int b = 0; b < 4; b++) {
        EXPECT_EQ(game.current.blocks[b].x, game.templates.pieces[2].blocks[b].x);
        EXPECT_EQ(game.current.blocks[b].y, game.templates.pieces[2].blocks[b].y);
    }
}

TEST_F(Rules, TurnsRefusedPastEitherWall)
{
    SetTemplatePiece(0, 0, 5);
    Rotate(); // vertical in column 0
    Cells vertical = PieceCells();
    Rotate(); // would reach columns -3..0
    EXPECT_EQ(PieceCells(), vertical);

    // Upward line in column 9: the next turn lays it along columns 9..12.
    SetPiece(0, 9, 5, {{0, 0}, {0, -1}, {0, -2}, {0, -3}});
    Cells upward = PieceCells();
    Rotate();
    EXPECT_EQ(PieceCells(), upward);
    SetPiece(0, 8, 5, {{0, 0}, {0, -1}, {0, -2}, {0, -3}});
    Rotate();
    EXPECT_EQ(PieceCells(), (Cells{{8, 5}, {9, 5}, {10, 5}, {11, 5}}));
}

TEST_F(Rules, TurnTestsTheTurnedBlocksNeighbours)
{
    // Onto an occupied cell whose neighbours below, left and right are free: allowed. Kind 4
    // at (6, 5) turns into (5, 5) (5, 6) (5, 7) (6, 7); (5, 5) is taken.
    SetTemplatePiece(4, 6, 5);
    Fill(5, 5);
    Rotate();
    EXPECT_EQ(PieceCells(), (Cells{{5, 5}, {5, 6}, {5, 7}, {6, 7}}));

    // The same turn with something under the lowest turned block: refused.
    ResetGame();
    SetTemplatePiece(0, 6, 5);
    Fill(6, 9);
    Rotate();
    EXPECT_EQ(PieceCells(), (Cells{{6, 5}, {7, 5}, {8, 5}, {9, 5}}));

    // Something left of a turned block: refused; right of one: refused.
    ResetGame();
    SetTemplatePiece(0, 6, 5);
    Fill(5, 7);
    Rotate();
    EXPECT_EQ(PieceCells()[0], (std::pair<int, int>{6, 5}));
    EXPECT_EQ(PieceCells()[1], (std::pair<int, int>{7, 5}));
    ResetGame();
    SetTemplatePiece(0, 6, 5);
    Fill(7, 8);
    Rotate();
    EXPECT_EQ(PieceCells()[1], (std::pair<int, int>{7, 5}));
}

TEST_F(Rules, TurnsAtTheFloorStayInsideTheWell)
{
    // A square on the floor turns: its lower turned blocks stand on row 24, with no cell under
    // them. The cells that follow column 3 and 4 in storage ((4,0) and (5,0)) must not count.
    SetTemplatePiece(2, 4, 23);
    Fill(4, 0);
    Fill(5, 0);
    Rotate();
    EXPECT_EQ(PieceCells(), (Cells{{3, 23}, {3, 24}, {4, 23}, {4, 24}}));

    // A line lying on the floor would turn down to rows 24..27: refused, so a lock never has
    // to store a block below the well.
    ResetGame();
    SetTemplatePiece(0, 4, 24);
    Rotate();
    EXPECT_EQ(PieceCells(), (Cells{{4, 24}, {5, 24}, {6, 24}, {7, 24}}));
    StepDown(); // locks
    EXPECT_EQ(OccupiedCount(), 4);
    EXPECT_TRUE(game.board.At(7, 24).occupied);
    EXPECT_TRUE(TemplatesIntact());
}

TEST_F(Rules, BlocksAboveTheWellReadNoCells)
{
    // Kind 5 turned twice at the spawn place: blocks at rows -2..0 in columns 5 and 6.
    SetTemplatePiece(5, 6, 0);
    Rotate();
    Rotate();
    EXPECT_EQ(PieceCells(), (Cells{{5, -1}, {5, 0}, {6, -2}, {6, -1}}));
    // The cell stored just before (6, 0) is (5, 24); the one before (5, 0) is (4, 24).
    Fill(5, 24);
    Fill(4, 24);
    EXPECT_FALSE(PieceRests(game.current));
    EXPECT_FALSE(IsGameOver());
    MoveLeft(); // left of (5, -1) and (6, -2) is open sky
    EXPECT_EQ(game.current.x, 5);
    MoveRight();
    MoveRight();
    EXPECT_EQ(game.current.x, 7);
    StepDown();
    EXPECT_EQ(game.current.y, 1);
}

TEST_F(Rules, LockingAbovetheWellStoresOnlyCellsInside)
{
    // An upward line resting on (5, 1) locks with three blocks above row 0.
    SetPiece(0, 5, 0, {{0, 0}, {0, -1}, {0, -2}, {0, -3}});
    Fill(5, 1);
    bool menu = game.menuShown, over = game.gameOver;
    StepDown();
    EXPECT_TRUE(game.board.At(5, 0).occupied);
    EXPECT_EQ(game.board.At(5, 0).kind, 0);
    EXPECT_EQ(OccupiedCount(), 2);
    EXPECT_EQ(game.score, 20);
    EXPECT_EQ(game.menuShown, menu);
    EXPECT_EQ(game.gameOver, over);
    EXPECT_TRUE(TemplatesIntact());
    // Cells before the block in storage stay as they were.
    EXPECT_FALSE(game.board.At(4, 24).occupied);
    EXPECT_FALSE(game.board.At(4, 23).occupied);
}

TEST_F(Rules, StepDownMovesThenLocksAndScores)
{
    NewGame(); // kind 0 at (6, 0)
    for (int i = 0; i < 24; i++)
        StepDown();
    EXPECT_EQ(game.current.y, 24);
    EXPECT_EQ(game.score, 0);
    StepDown();
    EXPECT_EQ(game.score, 20);
    for (int column = 6; column <= 9; column++) {
        const Cell& cell = game.board.At(column, 24);
        EXPECT_TRUE(cell.occupied);
        EXPECT_EQ(cell.kind, 0);
        EXPECT_EQ(cell.colour, 0xFFFF0000u);
        EXPECT_EQ(cell.column, column);
        EXPECT_EQ(cell.row, 24);
    }
    EXPECT_EQ(game.current.kind, 5); // the second piece of the run
    EXPECT_EQ(game.current.y, 0);
}

TEST_F(Rules, HardDropRestsWithoutLocking)
{
    SetTemplatePiece(2, 3, 0);
    Fill(3, 20);
    HardDrop();
    EXPECT_EQ(game.current.y, 18);
    EXPECT_EQ(OccupiedCount(), 1);
    EXPECT_EQ(game.score, 0);
    MoveRight(); // still free to move
    EXPECT_EQ(game.current.x, 4);
    HardDrop();
    EXPECT_EQ(game.current.y, 23);
    StepDown();
    EXPECT_EQ(OccupiedCount(), 5);
    EXPECT_EQ(game.score, 20);
}

TEST_F(Rules, FullRowsAreRemovedAndScored)
{
    FillRow(24, {11});
    ClearFullRows();
    EXPECT_EQ(game.score, 0);
    EXPECT_EQ(OccupiedCount(), 11);

    Fill(4, 23, 3);
    Fill(7, 10, 6);
    Fill(11, 24);
    EXPECT_TRUE(IsRowFull(24));
    ClearFullRows();
    EXPECT_EQ(game.score, 100);
    EXPECT_EQ(OccupiedCount(), 2);
    EXPECT_TRUE(game.board.At(4, 24).occupied);
    EXPECT_EQ(game.board.At(4, 24).kind, 3);
    EXPECT_EQ(game.board.At(4, 24).row, 24);
    EXPECT_TRUE(game.board.At(7, 11).occupied);
    EXPECT_EQ(game.board.At(7, 11).colour, 0xFFFF1EF0u);
    EXPECT_FALSE(game.board.At(7, 10).occupied);
}

TEST_F(Rules, TwoFullRowsAtOnceScore200)
{
    FillRow(20);
    FillRow(22);
    Fill(0, 21);
    ClearFullRows();
    EXPECT_EQ(game.score, 200);
    EXPECT_EQ(OccupiedCount(), 1);
    EXPECT_TRUE(game.board.At(0, 22).occupied);
}

TEST_F(Rules, TwoAdjacentFullRowsGoTogetherAndTheRowsAboveMoveDownTwo)
{
    FillRow(23);
    FillRow(24);
    Fill(3, 22, 5); // just above the full rows
    Fill(8, 10, 2);
    ClearFullRows();
    EXPECT_EQ(game.score, 200);
    EXPECT_EQ(OccupiedCount(), 2);
    EXPECT_TRUE(game.board.At(3, 24).occupied);
    EXPECT_EQ(game.board.At(3, 24).kind, 5);
    EXPECT_EQ(game.board.At(3, 24).colour, PieceTemplates::Colour(5));
    EXPECT_TRUE(game.board.At(8, 12).occupied);
    EXPECT_EQ(game.board.At(8, 12).kind, 2);
    EXPECT_FALSE(IsRowFull(23));
    EXPECT_FALSE(IsRowFull(24));
}

TEST_F(Rules, FourFullRowsAtOnceScore400AndTheRowsAboveMoveDownFour)
{
    for (int row = 21; row <= 24; row++)
        FillRow(row);
    FillRow(20, {0, 6});  // the row above, with two gaps
    Fill(5, 15, 4);
    ClearFullRows();
    EXPECT_EQ(game.score, 400);
    EXPECT_EQ(OccupiedCount(), 11);
    for (int column = 0; column < kBoardColumns; column++)
        EXPECT_EQ(game.board.At(column, 24).occupied, column != 0 && column != 6) << column;
    EXPECT_TRUE(game.board.At(5, 19).occupied);
    EXPECT_EQ(game.board.At(5, 19).kind, 4);
    EXPECT_FALSE(game.board.At(5, 15).occupied);
    for (int row = 20; row <= 23; row++)
        for (int column = 0; column < kBoardColumns; column++)
            EXPECT_FALSE(game.board.At(column, row).occupied) << column << ", " << row;
}

TEST_F(Rules, RowZeroIsKeptWhenRowsMove)
{
    Fill(2, 0, 4);
    Fill(9, 0, 4);
    FillRow(5);
    RemoveRow(5);
    EXPECT_EQ(game.score, 100);
    EXPECT_TRUE(game.board.At(2, 0).occupied);
    EXPECT_TRUE(game.board.At(2, 1).occupied);
    EXPECT_EQ(game.board.At(2, 1).kind, 4);
    EXPECT_TRUE(game.board.At(9, 1).occupied);
    EXPECT_EQ(OccupiedCount(), 4);

    RemoveRow(0); // nothing moves, still scores
    EXPECT_EQ(game.score, 200);
    EXPECT_EQ(OccupiedCount(), 4);

    RemoveRow(-1);
    RemoveRow(25);
    EXPECT_FALSE(IsRowFull(-1));
    EXPECT_FALSE(IsRowFull(25));
    EXPECT_EQ(game.score, 200);
    EXPECT_TRUE(TemplatesIntact());
}

TEST_F(Rules, GameOverNeedsTheTopRowAndSupport)
{
    SetTemplatePiece(0, 6, 0);
    EXPECT_FALSE(IsGameOver()); // in row 0 but falling
    Fill(9, 1);
    EXPECT_TRUE(IsGameOver());  // in row 0 and resting on the stack

    ResetGame();
    SetTemplatePiece(2, 6, 5);
    Fill(7, 7);
    EXPECT_FALSE(IsGameOver()); // resting below the top row

    // A block in row 0 while another block rests: any pair counts.
    ResetGame();
    SetTemplatePiece(5, 2, 0); // (3,0) (2,1) (2,2) (3,1)
    Fill(3, 2);
    EXPECT_TRUE(IsGameOver());
}

} // namespace
