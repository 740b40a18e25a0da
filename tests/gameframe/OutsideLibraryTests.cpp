// The two outside libraries the game loads by name: the DirectInput keyboard device and the
// audio device, reached through their factories and interfaces exactly as the game reaches them.
#include <gtest/gtest.h>
#include <cstring>
#include "TestDevice.h"
#include "OXEInputDevice.h"
#include "OXEAudioDevice.h"

using namespace testsupport;

namespace {

template <class Factory>
Factory LoadFactory(const char* file, const char* name)
{
    HMODULE module = LoadLibraryA((ProgramFolder() + file).c_str());
    if (!module)
        return nullptr;
    return reinterpret_cast<Factory>(GetProcAddress(module, name));
}

OXEInputDevice* NewInputDevice()
{
    auto create = LoadFactory<CREATEINPUTDEVICE>("PelmoraInput.dll", "CreateInputDevice");
    OXEInputDevice* device = nullptr;
    if (!create || FAILED(create(GetModuleHandleA("PelmoraInput.dll"), &device)))
        return nullptr;
    return device;
}

OXEAudioDevice* NewAudioDevice()
{
    auto create = LoadFactory<CREATEAUDIODEVICE>("PelmoraAudio.dll", "CreateAudioDevice");
    OXEAudioDevice* device = nullptr;
    if (!create || FAILED(create(GetModuleHandleA("PelmoraAudio.dll"), &device)))
        return nullptr;
    return device;
}

// Runs the window system long enough for injected input to reach DirectInput.
void Settle(TestWindow& window, int ms = 120)
{
    for (int t = 0; t < ms; t += 10) {
        window.pumpMessages();
        Sleep(10);
    }
}

// Injects a key event the way a real keyboard produces it (virtual key and scan code).
void SendKey(WORD vk, WORD scan, bool down, bool extended = false)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = scan;
    in.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &in, sizeof(in));
}

void Focus(TestWindow& window)
{
    SetForegroundWindow(window.handle());
    SetFocus(window.handle());
    Settle(window);
}

RECT ScreenRect()
{
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1};
}

} // namespace

TEST(InputLibrary, FactoryRefusesAMissingOutput)
{
    auto create = LoadFactory<CREATEINPUTDEVICE>("PelmoraInput.dll", "CreateInputDevice");
    ASSERT_NE(create, nullptr);
    EXPECT_LT(create(nullptr, nullptr), 0);
}

TEST(InputLibrary, NoKeyIsDownBeforeInitOrOutsideTheKeyRange)
{
    OXEInputDevice* input = NewInputDevice();
    ASSERT_NE(input, nullptr);
    EXPECT_FALSE(input->IsRunning());
    EXPECT_LT(input->Update(), 0);
    for (int code : {0x01, 0x16, 0xD0, 0})
        EXPECT_FALSE(input->IsKeyDown(0, code)) << code;

    TestWindow window(200, 150, "InputRange");
    Focus(window);
    ASSERT_GE(input->Init(window.handle(), ScreenRect(), OXE_INPUT_USE_KEYBOARD), 0);
    EXPECT_TRUE(input->IsRunning());
    SendKey('U', 0x16, true);
    Settle(window);
    input->Update();
    ASSERT_TRUE(input->IsKeyDown(0, 0x16)) << "the held key must be seen, or the range checks prove nothing";
    for (int code : {-1, 256, 0x16 + 256, -256 + 0x16, 100000, int(0x80000000u)})
        EXPECT_FALSE(input->IsKeyDown(0, code)) << code;
    EXPECT_FALSE(input->IsKeyDown(7, 0x16)) << "unknown selector";
    SendKey('U', 0x16, false);
    Settle(window);
    input->Update();
    EXPECT_FALSE(input->IsKeyDown(0, 0x16));
    delete input;
}

TEST(InputLibrary, HeldKeysFollowTheKeyboardThroughUpdate)
{
    OXEInputDevice* input = NewInputDevice();
    ASSERT_NE(input, nullptr);
    TestWindow window(200, 150, "InputHeld");
    Focus(window);
    ASSERT_GE(input->Init(window.handle(), ScreenRect(), OXE_INPUT_USE_KEYBOARD), 0);
    ASSERT_GE(input->Update(), 0);
    EXPECT_FALSE(input->IsKeyDown(0, 0xCB));

    SendKey(VK_LEFT, 0x4B, true, true); // Left arrow: DIK_LEFT 0xCB
    SendKey(VK_SPACE, 0x39, true);      // Space: DIK_SPACE 0x39
    Settle(window);
    EXPECT_FALSE(input->IsKeyDown(0, 0xCB)) << "state changes only in Update";
    ASSERT_GE(input->Update(), 0);
    EXPECT_TRUE(input->IsKeyDown(0, 0xCB));
    EXPECT_TRUE(input->IsKeyDown(0, 0x39));
    EXPECT_TRUE(input->IsKeyPressed(0, 0xCB));
    EXPECT_FALSE(input->IsKeyDown(0, 0xCD)) << "Right arrow was not touched";
    EXPECT_FALSE(input->IsKeyDown(0, 0x4B)) << "keypad 4 shares the scan code without the extended bit";

    ASSERT_GE(input->Update(), 0);
    EXPECT_TRUE(input->IsKeyDown(0, 0xCB)) << "still held";
    EXPECT_FALSE(input->IsKeyPressed(0, 0xCB)) << "pressed only on the first Update that sees it";

    SendKey(VK_LEFT, 0x4B, false, true);
    SendKey(VK_SPACE, 0x39, false);
    Settle(window);
    ASSERT_GE(input->Update(), 0);
    EXPECT_FALSE(input->IsKeyDown(0, 0xCB));
    EXPECT_FALSE(input->IsKeyDown(0, 0x39));

    input->Release();
    EXPECT_FALSE(input->IsRunning());
    EXPECT_FALSE(input->IsKeyDown(0, 0xCB));
    input->Release(); // twice is harmless
    delete input;
}

TEST(InputLibrary, KeyboardComesBackAfterTheWindowRegainsTheFocus)
{
    OXEInputDevice* input = NewInputDevice();
    ASSERT_NE(input, nullptr);
    TestWindow window(200, 150, "InputFocus");
    TestWindow other(200, 150, "InputOther");
    Focus(window);
    ASSERT_GE(input->Init(window.handle(), ScreenRect(), OXE_INPUT_USE_KEYBOARD), 0);
    SendKey('U', 0x16, true);
    Settle(window);
    input->Update();
    ASSERT_TRUE(input->IsKeyDown(0, 0x16));

    // Another window takes the focus with the key still held: the keyboard is lost and no key
    // may stay "held" while the game cannot read it.
    Focus(other);
    window.pumpMessages();
    input->Update();
    EXPECT_FALSE(input->IsKeyDown(0, 0x16));
    SendKey('U', 0x16, false);
    Settle(other);

    // Back in front: the next Update acquires the keyboard again and sees new keys.
    Focus(window);
    input->Update();
    SendKey(VK_DOWN, 0x50, true, true); // DIK_DOWN 0xD0
    Settle(window);
    EXPECT_GE(input->Update(), 0);
    EXPECT_TRUE(input->IsKeyDown(0, 0xD0));
    SendKey(VK_DOWN, 0x50, false, true);
    Settle(window);
    input->Update();
    EXPECT_FALSE(input->IsKeyDown(0, 0xD0));
    delete input;
}

TEST(InputLibrary, MousePositionStaysInsideTheGivenRectangle)
{
    OXEInputDevice* input = NewInputDevice();
    ASSERT_NE(input, nullptr);
    TestWindow window(200, 150, "InputMouse");
    Focus(window);
    POINT p = {-7, -7};
    ASSERT_GE(input->Init(window.handle(), RECT{10, 20, 110, 220}, OXE_INPUT_USE_KEYBOARD), 0);
    input->Update();
    EXPECT_LT(input->GetMousePosition(&p), 0) << "mouse not asked for";
    EXPECT_EQ(p.x, -7);

    ASSERT_GE(input->Init(window.handle(), RECT{10, 20, 110, 220},
                          OXE_INPUT_USE_KEYBOARD | OXE_INPUT_USE_MOUSE), 0);
    EXPECT_LT(input->GetMousePosition(nullptr), 0);
    for (POINT cursor : {POINT{500, 500}, POINT{0, 0}, POINT{50, 60}}) {
        SetCursorPos(cursor.x, cursor.y);
        Settle(window, 50);
        ASSERT_GE(input->Update(), 0);
        ASSERT_GE(input->GetMousePosition(&p), 0);
        EXPECT_EQ(p.x, cursor.x < 10 ? 10 : cursor.x > 110 ? 110 : cursor.x);
        EXPECT_EQ(p.y, cursor.y < 20 ? 20 : cursor.y > 220 ? 220 : cursor.y);
    }
    EXPECT_FALSE(input->IsKeyDown(1, 3)) << "three mouse buttons only";
    delete input;
}

TEST(AudioLibrary, StartsWithOrWithoutSoundOutput)
{
    auto create = LoadFactory<CREATEAUDIODEVICE>("PelmoraAudio.dll", "CreateAudioDevice");
    ASSERT_NE(create, nullptr);
    EXPECT_LT(create(nullptr, nullptr), 0);

    OXEAudioDevice* audio = NewAudioDevice();
    ASSERT_NE(audio, nullptr);
    EXPECT_FALSE(audio->IsRunning());
    EXPECT_LT(audio->PlaySoundFile("beep.wav", false), 0) << "not started";

    char folder[MAX_PATH] = {};
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH - 1, folder), 0u);
    TestWindow window(100, 100, "Audio");
    // This machine may have no sound output at all; Init succeeds either way, as in the game.
    ASSERT_GE(audio->Init(window.handle(), folder, 1), 0);
    EXPECT_TRUE(audio->IsRunning());
    EXPECT_GE(audio->StopSounds(), 0);
    audio->Release();
    EXPECT_FALSE(audio->IsRunning());
    EXPECT_LT(audio->Init(window.handle(), nullptr, 1), 0) << "a folder is needed";
    delete audio;
}

TEST(AudioLibrary, PlaysExistingWaveFilesOfItsFolderOnly)
{
    // A tenth of a second of 8-bit mono silence at 8 kHz.
    std::string wav;
    auto put32 = [&](uint32_t v) { wav.append(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&](uint16_t v) { wav.append(reinterpret_cast<const char*>(&v), 2); };
    const uint32_t samples = 800;
    wav += "RIFF"; put32(36 + samples); wav += "WAVEfmt "; put32(16);
    put16(1); put16(1); put32(8000); put32(8000); put16(1); put16(8);
    wav += "data"; put32(samples); wav.append(samples, char(0x80));
    ASSERT_TRUE(WriteFileBytes("blip.wav", wav.data(), wav.size()));

    char folder[MAX_PATH] = {};
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH - 1, folder), 0u);
    TestWindow window(100, 100, "AudioPlay");
    for (int enabled : {1, 0}) {
        OXEAudioDevice* audio = NewAudioDevice();
        ASSERT_NE(audio, nullptr);
        ASSERT_GE(audio->Init(window.handle(), folder, enabled), 0);
        EXPECT_GE(audio->PlaySoundFile("blip.wav", false), 0) << enabled;
        EXPECT_GE(audio->PlaySoundFile("blip", false), 0) << "extension added";
        EXPECT_GE(audio->StopSounds(), 0);
        EXPECT_LT(audio->PlaySoundFile("missing.wav", false), 0);
        EXPECT_LT(audio->PlaySoundFile("", false), 0);
        EXPECT_LT(audio->PlaySoundFile(nullptr, false), 0);
        EXPECT_LT(audio->PlaySoundFile(std::string(400, 'a').c_str(), false), 0) << "too long for a path";
        delete audio; // stops what plays
    }
}
