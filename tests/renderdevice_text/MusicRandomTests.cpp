// Music commands and the bounded random integer of the render device.
#include <gtest/gtest.h>
#include "OXED3D.h"
#include "OXERandom.h"
#include "TestDevice.h"
#include <climits>
#include <mmsystem.h>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

std::vector<std::string> g_sent; // commands seen by RecordCommand

DWORD WINAPI RecordCommand(LPCSTR command, LPSTR, UINT, HWND)
{
    g_sent.push_back(command);
    return 0;
}

// Replaces the command sender for one test and puts the real one back after it.
class MusicCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = g_pOXEMciSend;
        g_pOXEMciSend = RecordCommand;
        g_sent.clear();
    }
    void TearDown() override { g_pOXEMciSend = saved_; }

    OXED3D device_{GetModuleHandleA(nullptr)}; // constructed only: music needs no Direct3D
    OXEMciSendFn saved_ = nullptr;
};

// A short silent PCM wave file.
bool WriteSilentWave(const std::string& path)
{
    const std::vector<unsigned char> samples(800, 128); // 0.1 s at 8 kHz, 8-bit mono
    std::string file = "RIFF";
    auto put32 = [&](uint32_t v) { file.append(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&](uint16_t v) { file.append(reinterpret_cast<const char*>(&v), 2); };
    put32(uint32_t(36 + samples.size()));
    file += "WAVEfmt ";
    put32(16);
    put16(1);    // PCM
    put16(1);    // mono
    put32(8000); // samples per second
    put32(8000); // bytes per second
    put16(1);    // block align
    put16(8);    // bits per sample
    file += "data";
    put32(uint32_t(samples.size()));
    file.append(samples.begin(), samples.end());
    return WriteFileBytes(path, file.data(), file.size());
}

bool AliasIsOpen(const std::string& alias)
{
    char reply[64] = {};
    return mciSendStringA(("status " + alias + " mode").c_str(), reply, sizeof reply, nullptr) == 0;
}

} // namespace

TEST_F(MusicCommands, PlayAndCloseSendTheirCommandsInFull)
{
    device_.PlayMusic("song.mid", "bg");
    device_.CloseMusic("bg");
    EXPECT_EQ(g_sent, (std::vector<std::string>{"open song.mid alias bg", "play bg", "close bg"}));

    // Names far past thirty characters arrive whole.
    const std::string file = "C:\\music\\" + std::string(200, 'x') + ".mid";
    const std::string alias(100, 'a');
    g_sent.clear();
    device_.PlayMusic(file.c_str(), alias.c_str());
    device_.CloseMusic(alias.c_str());
    EXPECT_EQ(g_sent, (std::vector<std::string>{"open " + file + " alias " + alias, "play " + alias, "close " + alias}));
}

TEST_F(MusicCommands, NamesNoCommandCanCarryAreRefusedWhole)
{
    const std::string longest(MAX_PATH - 1, 'n');
    const std::string tooLong(MAX_PATH, 'n');
    device_.PlayMusic(tooLong.c_str(), "bg");
    device_.PlayMusic("song.mid", tooLong.c_str());
    device_.CloseMusic(tooLong.c_str());
    device_.PlayMusic(nullptr, "bg");
    device_.PlayMusic("song.mid", nullptr);
    device_.PlayMusic("", "bg");
    device_.CloseMusic(nullptr);
    device_.CloseMusic("");
    EXPECT_TRUE(g_sent.empty());
    device_.PlayMusic(longest.c_str(), longest.c_str());
    ASSERT_EQ(g_sent.size(), 2u);
    EXPECT_EQ(g_sent[0].size(), 5 + longest.size() + 7 + longest.size());
}

TEST(MusicPlayback, OpensPlaysAndClosesAFileWithALongNameThroughTheSystem)
{
    OXED3D device(GetModuleHandleA(nullptr));
    const std::string file = "a_music_file_with_a_name_much_longer_than_thirty_characters.wav";
    const std::string alias = "background_music_alias_past_thirty";
    ASSERT_TRUE(WriteSilentWave(file));
    ASSERT_FALSE(AliasIsOpen(alias));
    device.PlayMusic(file.c_str(), alias.c_str());
    EXPECT_TRUE(AliasIsOpen(alias));
    device.CloseMusic(alias.c_str());
    EXPECT_FALSE(AliasIsOpen(alias));
}

TEST(RandomInt, EmptyAndReversedRangesGiveTheirLowEnd)
{
    OXED3D device(GetModuleHandleA(nullptr));
    EXPECT_EQ(device.GetRandomInt(5, 5), 5);
    EXPECT_EQ(device.GetRandomInt(7, 3), 7);
    EXPECT_EQ(device.GetRandomInt(INT_MAX, INT_MIN), INT_MAX);
}

TEST(RandomInt, DrawsFromThisLibrarysGeneratorWithinTheRange)
{
    OXED3D device(GetModuleHandleA(nullptr));
    // The C runtime's generator is another one: seeding it must change nothing here.
    OXESeedRand(1);
    srand(12345);
    unsigned int state = 1;
    for (int i = 0; i < 200; ++i) {
        state = state * 214013u + 2531011u;
        const int r = int((state >> 16) & 0x7FFF) % 10001;
        const int expected = int(float(r * 0.0001) * 1000.0f + 0.0f);
        ASSERT_EQ(device.GetRandomInt(0, 1000), expected) << "draw " << i;
    }
    int lowest = INT_MAX, highest = INT_MIN;
    for (int i = 0; i < 5000; ++i) {
        const int v = device.GetRandomInt(-3, 4);
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
        ASSERT_GE(v, -3);
        ASSERT_LE(v, 4);
    }
    EXPECT_EQ(lowest, -3);
    EXPECT_GE(highest, 3);
}

TEST(RandomInt, TheHighEndComesOnlyFromTheTopDrawAndNeverOvershoots)
{
    OXED3D device(GetModuleHandleA(nullptr));
    // Find the first draw of the generator that yields 10000 modulo 10001.
    unsigned int state = 1;
    int top = 0;
    for (int i = 1; i < 1000000 && !top; ++i) {
        state = state * 214013u + 2531011u;
        if (int((state >> 16) & 0x7FFF) % 10001 == 10000) top = i;
    }
    ASSERT_GT(top, 0);
    // A range whose width rounds up as a float must still end at its high end.
    const int high = (1 << 25) - 1;
    OXESeedRand(1);
    for (int i = 1; i < top; ++i) ASSERT_LT(device.GetRandomInt(0, high), high) << "draw " << i;
    EXPECT_EQ(device.GetRandomInt(0, high), high);
    OXESeedRand(1);
    for (int i = 1; i < top; ++i) ASSERT_LT(device.GetRandomInt(10, 20), 20) << "draw " << i;
    EXPECT_EQ(device.GetRandomInt(10, 20), 20);
}
