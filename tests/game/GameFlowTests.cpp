// The per-frame driver: game states and their keys, key priority, and the 70 ms / 500 ms
// pacing, driven by a scripted input device and a counter the test moves by hand.
#include <gtest/gtest.h>
#include <set>
#include <utility>
#include <vector>
#include "GameFlow.h"
#include "GameRules.h"
#include "GameTestSupport.h"

using namespace gametest;

namespace {

// An input device whose held keys the test sets; it records what the game asks.
class ScriptedInput : public OXEInputDevice {
public:
    std::set<int> held;                          // DirectInput codes held down
    int updates = 0;                             // Update calls
    std::vector<std::pair<int, int>> questions;  // IsKeyDown arguments, in order

    HRESULT Init(HWND, RECT, int) override { return S_OK; }
    void Release() override {}
    bool IsRunning() const override { return true; }
    HRESULT GetMousePosition(POINT*) override { return E_FAIL; }
    HRESULT Update() override
    {
        updates++;
        return S_OK;
    }
    bool IsKeyPressed(int, int) override { return false; }
    bool IsKeyDown(int selector, int keyCode) override
    {
        questions.push_back({selector, keyCode});
        return selector == 0 && held.count(keyCode) > 0;
    }

    void Hold(int gameKey) { held = {kGameKeyScanCodes[gameKey]}; }
    void Nothing() { held.clear(); }
};

long long g_ticks = 0; // the counter; one tick is a millisecond
long long TestCounter() { return g_ticks; }
long long TestFrequency() { return 1000; }

class Flow : public ::testing::Test {
protected:
    ScriptedInput input;
    bool quit = false;

    void SetUp() override
    {
        ResetGame();
        g_ticks = 100000;
        Timer::SetClockSources(TestCounter, TestFrequency, nullptr);
        fallTimer = Timer();
        inputTimer = Timer();
        fallTimer.start();
        inputTimer.start();
    }
    void TearDown() override { Timer::SetClockSources(nullptr, nullptr, nullptr); }

    void Frame(long long advanceMs = 0)
    {
        g_ticks += advanceMs;
        UpdateFrame(&input, quit);
    }
    // From the menu into play, then both timers freshly restarted at the current moment.
    void StartPlay()
    {
        input.Hold(kGameKeyU);
        Frame();
        input.Nothing();
        ASSERT_EQ(CurrentMode(), kModePlay);
        fallTimer.stop();
        fallTimer.start();
        inputTimer.stop();
        inputTimer.start();
    }
};

TEST_F(Flow, KeyPriorityAndWhatIsAsked)
{
    EXPECT_EQ(ReadGameKey(&input), kGameKeyNone);
    const int codes[8] = {0xD0, 0xC8, 0xCB, 0xCD, 0x01, 0x1C, 0x16, 0x39};
    ASSERT_EQ(input.questions.size(), 8u);
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(input.questions[i].first, 0);
        EXPECT_EQ(input.questions[i].second, codes[i]);
    }
    input.held = {0xD0, 0xC8};
    EXPECT_EQ(ReadGameKey(&input), kGameKeyUp);
    input.held = {0xD0, 0x39, 0x01, 0x16};
    EXPECT_EQ(ReadGameKey(&input), kGameKeySpace);
    input.held = {0x1C, 0x01};
    EXPECT_EQ(ReadGameKey(&input), kGameKeyEnter);
    input.held = {0xCB};
    EXPECT_EQ(ReadGameKey(&input), kGameKeyLeft);
    EXPECT_EQ(ReadGameKey(nullptr), kGameKeyNone);
}

TEST_F(Flow, MenuReadsKeysEveryFrameAndStartsAGame)
{
    EXPECT_EQ(CurrentMode(), kModeMenu);
    Frame();
    Frame(); // no pacing in the menu: every frame refreshes and reads the keys
    EXPECT_EQ(input.updates, 2);
    EXPECT_EQ(CurrentMode(), kModeMenu);
    EXPECT_EQ(game.current.y, 0); // the zero piece does not fall in the menu
    EXPECT_EQ(game.current.x, 0);

    input.Hold(kGameKeyEnter);
    Frame();
    input.Hold(kGameKeySpace);
    Frame();
    EXPECT_EQ(CurrentMode(), kModeMenu);

    input.Hold(kGameKeyU);
    Frame();
    EXPECT_EQ(CurrentMode(), kModePlay);
    EXPECT_EQ(game.current.kind, 0); // first piece of every run
    EXPECT_EQ(game.current.x, 6);
    EXPECT_FALSE(quit);
}

TEST_F(Flow, EscQuitsFromMenuAndGameOver)
{
    input.Hold(kGameKeyEsc);
    Frame();
    EXPECT_TRUE(quit);

    quit = false;
    game.menuShown = false;
    game.gameOver = true;
    Frame();
    EXPECT_TRUE(quit);
}

TEST_F(Flow, GravityStepsEvery500Ms)
{
    StartPlay();
    Frame(499);
    EXPECT_EQ(game.current.y, 0);
    Frame(1);
    EXPECT_EQ(game.current.y, 1);
    Frame(499);
    EXPECT_EQ(game.current.y, 1);
    Frame(1);
    EXPECT_EQ(game.current.y, 2);
    // Without keys the piece falls to the floor, locks at the next step, and a new one comes.
    for (int i = 0; i < 22; i++)
        Frame(500);
    EXPECT_EQ(game.current.y, 24);
    EXPECT_EQ(game.score, 0);
    Frame(500);
    EXPECT_EQ(game.score, 20);
    EXPECT_EQ(game.current.kind, 5);
    EXPECT_EQ(game.current.y, 0);
    EXPECT_TRUE(game.board.At(6, 24).occupied);
}

TEST_F(Flow, HeldKeysRepeatEvery70Ms)
{
    StartPlay();
    input.Hold(kGameKeyLeft);
    Frame(69);
    EXPECT_EQ(game.current.x, 6);
    EXPECT_EQ(input.updates, 1); // the menu frame's read only
    Frame(1);
    EXPECT_EQ(game.current.x, 5);
    Frame(35);
    EXPECT_EQ(game.current.x, 5);
    Frame(35);
    EXPECT_EQ(game.current.x, 4);
    // Polled with no key: nothing moves, but the 70 ms start again.
    input.Nothing();
    Frame(70);
    EXPECT_EQ(game.current.x, 4);
    input.Hold(kGameKeyRight);
    Frame(69);
    EXPECT_EQ(game.current.x, 4);
    Frame(1);
    EXPECT_EQ(game.current.x, 5);
    input.Hold(kGameKeyUp);
    Frame(70);
    EXPECT_EQ(game.current.blocks[3].x, 0); // straight line turned upright
    EXPECT_EQ(game.current.blocks[3].y, 3);
}

TEST_F(Flow, HeldDownDropsThenTheFallStepLocks)
{
    StartPlay();
    input.Hold(kGameKeyDown);
    Frame(70);
    EXPECT_EQ(game.current.y, 24);
    EXPECT_EQ(game.score, 0);
    Frame(70);
    EXPECT_EQ(game.current.y, 24); // rests, unlocked, until the fall step
    input.Nothing();
    Frame(360); // 500 ms since play began
    EXPECT_EQ(game.score, 20);
    EXPECT_EQ(game.current.kind, 5);
    EXPECT_TRUE(game.board.At(9, 24).occupied);
}

TEST_F(Flow, EnterAndUDoNothingInPlay)
{
    StartPlay();
    game.score = 60;
    input.Hold(kGameKeyEnter);
    Frame(70);
    input.Hold(kGameKeyU);
    Frame(70);
    EXPECT_EQ(CurrentMode(), kModePlay);
    EXPECT_EQ(game.score, 60);
    EXPECT_EQ(game.current.x, 6);
}

TEST_F(Flow, EscOpensTheMenuAndUStartsAfresh)
{
    StartPlay();
    Frame(500);
    game.score = 140;
    Fill(0, 24);
    input.Hold(kGameKeyEsc);
    Frame(70);
    EXPECT_EQ(CurrentMode(), kModeMenu);
    EXPECT_FALSE(quit);
    EXPECT_EQ(game.score, 140); // kept behind the menu
    EXPECT_TRUE(game.board.At(0, 24).occupied);
    int y = game.current.y;
    input.Nothing();
    Frame(500);
    EXPECT_EQ(game.current.y, y); // nothing falls while the menu is shown

    input.Hold(kGameKeyU);
    Frame();
    EXPECT_EQ(CurrentMode(), kModePlay);
    EXPECT_EQ(game.score, 0);
    EXPECT_EQ(OccupiedCount(), 0);
    EXPECT_EQ(game.current.y, 0);
}

TEST_F(Flow, EscHeldIntoTheMenuAlsoQuits)
{
    StartPlay();
    input.Hold(kGameKeyEsc);
    Frame(70);
    EXPECT_FALSE(quit);
    Frame();
    EXPECT_TRUE(quit);
}

TEST_F(Flow, SpaceEndsTheGameAndEnterReturnsToTheMenu)
{
    StartPlay();
    game.score = 80;
    input.Hold(kGameKeySpace);
    Frame(70);
    EXPECT_EQ(CurrentMode(), kModeGameOver);
    EXPECT_EQ(game.score, 80);

    input.Hold(kGameKeyU);
    Frame();
    input.Hold(kGameKeyLeft);
    Frame(70);
    EXPECT_EQ(CurrentMode(), kModeGameOver);
    EXPECT_EQ(game.score, 80);
    EXPECT_EQ(game.current.x, 6);

    input.Hold(kGameKeyEnter);
    Frame();
    EXPECT_EQ(CurrentMode(), kModeMenu);
    EXPECT_FALSE(game.gameOver);
    EXPECT_FALSE(quit);
}

TEST_F(Flow, PieceRestingInTheTopRowEndsTheGame)
{
    StartPlay();
    // A stack in column 9 under the fresh line (6..9, 0): it rests at once.
    for (int row = 1; row < 25; row++)
        Fill(9, row);
    Frame();
    EXPECT_EQ(CurrentMode(), kModeGameOver);
    EXPECT_FALSE(quit);
}

TEST_F(Flow, MovingToRestInTheTopRowEndsTheGameBeforeTheFallStep)
{
    StartPlay();
    // An upward line in column 4, rows -2..1; one column right it rests on (5, 2).
    SetPiece(0, 4, 1, {{0, 0}, {0, -1}, {0, -2}, {0, -3}});
    Fill(5, 2);
    input.Hold(kGameKeyRight);
    Frame(500); // the key poll and the fall step are both due in this frame
    EXPECT_EQ(CurrentMode(), kModeGameOver);
    EXPECT_EQ(game.current.x, 5);
    EXPECT_EQ(game.score, 0); // not locked
    EXPECT_EQ(OccupiedCount(), 1);
}

TEST_F(Flow, MovingToRestInTheTopRowWithTheFallDueLocksAndTestsTheNextPiece)
{
    StartPlay();
    // A line in row 0, columns 0..3; one column right it rests on (4, 1), wholly in the well.
    SetPiece(0, 0, 0, {{0, 0}, {1, 0}, {2, 0}, {3, 0}});
    Fill(4, 1);
    input.Hold(kGameKeyRight);
    Frame(500); // the key poll and the fall step are both due in this frame
    // The fall step locks it (+20) and spawns the next piece, which is free: play goes on.
    EXPECT_EQ(CurrentMode(), kModePlay);
    EXPECT_EQ(game.score, 20);
    EXPECT_EQ(OccupiedCount(), 5);
    for (int column = 1; column <= 4; column++)
        EXPECT_TRUE(game.board.At(column, 0).occupied) << column;
    EXPECT_EQ(game.current.x, 6);
    EXPECT_EQ(game.current.y, 0);
}

TEST_F(Flow, FullRowsGoAtTheStartOfTheNextFrame)
{
    StartPlay();
    FillRow(24, {6, 7, 8, 9});
    input.Hold(kGameKeyDown);
    Frame(70);      // dropped onto row 24
    input.Nothing();
    Frame(430);     // the fall step locks it and completes row 24
    EXPECT_EQ(game.score, 20);
    EXPECT_TRUE(IsRowFull(24));
    Frame();        // removed first thing, before anything else
    EXPECT_EQ(game.score, 120);
    EXPECT_FALSE(IsRowFull(24));
    EXPECT_EQ(OccupiedCount(), 0);
}

TEST_F(Flow, TimersRunOnWhileTheMenuIsShown)
{
    // A long while on the menu: the first play frame polls the keys and steps down at once.
    Frame(5000);
    input.Hold(kGameKeyU);
    Frame();
    input.Hold(kGameKeyRight);
    int updates = input.updates;
    Frame();
    EXPECT_EQ(input.updates, updates + 1);
    EXPECT_EQ(game.current.x, 7);
    EXPECT_EQ(game.current.y, 1);
    Frame(1); // both restarted
    EXPECT_EQ(game.current.x, 7);
    EXPECT_EQ(game.current.y, 1);
}

} // namespace
