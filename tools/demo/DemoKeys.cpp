// DemoKeys: presses the game's keys for the headless demonstration (tools/play.sh), timed by
// the frames the game draws, so that a press is seen by as many of the game's key reads as it
// is meant to be, and no more, however uneven the frames of a loaded machine are.
//
//   DemoKeys <game output file>        (the X display from $DISPLAY)
//
// The clock: the game prints the score it draws once a frame, on a line of its standard output
// (twice a frame on the game over panel), right after it has read the keys for that frame. A
// thread reads the lines as they come (every millisecond) and stamps them. In play the game
// reads the keys only when 70 ms have passed since its last read: a line that comes 45 ms or
// more after the last line taken for a read is taken for one (a frame's work before its line
// takes a few milliseconds; a line taken for a read that had none only makes a press end early).
//
// A press goes down right after a line taken for a read, so the next read is at least 70 ms
// away, and comes up within a millisecond of the line of the n-th read after it: before the
// read after that. It can miss a read (the key reaching the game after the frame began); it adds
// one only when the release reaches the game a read late (seen on a loaded machine). The keys go to the X server through the XTest extension (libXtst, loaded at run
// time like libX11: no development files are needed).
//
// Commands on the standard input, one answer line each on the standard output:
//   press <key> <reads>   the press (an X key name: Left, Right, Up, Down, ...), then waits for
//                         two more frames, so that the screen shows its result
//   tap <key> <ms>        holds the key for the time given, then waits for two frames
//   wait <frames>         waits for that many new frames
//   state                 answers at once
// Every answer: "frames <lines so far> reads <reads so far> score <last score> frame <ms>",
// with "timeout " in front when the game drew nothing for 5 s.
#include <dlfcn.h>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// The few Xlib and XTest calls used, looked up at run time.
struct X11 {
    using OpenDisplay = void* (*)(const char*);
    using StringToKeysym = unsigned long (*)(const char*);
    using KeysymToKeycode = unsigned char (*)(void*, unsigned long);
    using Flush = int (*)(void*);
    using FakeKeyEvent = int (*)(void*, unsigned int, int, unsigned long);

    void* display = nullptr;
    StringToKeysym stringToKeysym = nullptr;
    KeysymToKeycode keysymToKeycode = nullptr;
    Flush flush = nullptr;
    FakeKeyEvent fakeKeyEvent = nullptr;

    bool Open()
    {
        void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_GLOBAL);
        void* xtst = dlopen("libXtst.so.6", RTLD_NOW);
        if (!x11 || !xtst)
            return false;
        auto open = reinterpret_cast<OpenDisplay>(dlsym(x11, "XOpenDisplay"));
        stringToKeysym = reinterpret_cast<StringToKeysym>(dlsym(x11, "XStringToKeysym"));
        keysymToKeycode = reinterpret_cast<KeysymToKeycode>(dlsym(x11, "XKeysymToKeycode"));
        flush = reinterpret_cast<Flush>(dlsym(x11, "XFlush"));
        fakeKeyEvent = reinterpret_cast<FakeKeyEvent>(dlsym(xtst, "XTestFakeKeyEvent"));
        if (!open || !stringToKeysym || !keysymToKeycode || !flush || !fakeKeyEvent)
            return false;
        display = open(nullptr);
        return display != nullptr;
    }

    // The key code of an X key name, 0 if unknown.
    unsigned int Code(const std::string& name) const
    {
        unsigned long keysym = stringToKeysym(name.c_str());
        return keysym ? keysymToKeycode(display, keysym) : 0;
    }

    void Key(unsigned int code, bool down) const
    {
        fakeKeyEvent(display, code, down ? 1 : 0, 0);
        flush(display);
    }
};

// The game's output, read as it grows.
class FrameClock {
public:
    explicit FrameClock(const char* path) : path_(path) {}

    void Start() { thread_ = std::thread([this] { Run(); }); }

    // Waits until `count` more lines taken for key reads (reads) or frames (lines) came; false
    // when the game drew nothing for 5 s.
    bool WaitReads(long count) { return WaitFor(&reads_, count); }
    bool WaitFrames(long count) { return WaitFor(&frames_, count); }

    std::string State()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::ostringstream out;
        out << "frames " << frames_ << " reads " << reads_ << " score " << score_ << " frame " << frameMs_;
        return out.str();
    }

private:
    bool WaitFor(long* counter, long count)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        long target = *counter + count;
        while (*counter < target) {
            long before = frames_;
            if (!changed_.wait_for(lock, std::chrono::seconds(5), [&] { return frames_ != before; }))
                return false;
        }
        return true;
    }

    void Run()
    {
        FILE* file = nullptr;
        std::string line;
        for (;;) {
            if (!file)
                file = std::fopen(path_, "rb");
            int c = file ? std::fgetc(file) : EOF;
            if (c == EOF) {
                if (file)
                    std::clearerr(file);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            if (c != '\n') {
                line += char(c);
                continue;
            }
            Line(line);
            line.clear();
        }
    }

    void Line(const std::string& text)
    {
        Clock::time_point now = Clock::now();
        std::lock_guard<std::mutex> lock(mutex_);
        std::string digits;
        for (char c : text)
            if (c >= '0' && c <= '9')
                digits += c;
        if (!digits.empty())
            score_ = std::atol(digits.c_str());
        double sinceRead = std::chrono::duration<double, std::milli>(now - lastRead_).count();
        double sinceLine = std::chrono::duration<double, std::milli>(now - lastLine_).count();
        if (frames_ == 0 || sinceRead >= 45.0) {
            reads_++;
            lastRead_ = now;
        }
        // A second line of the same frame (the game over panel) is no frame of its own.
        if (frames_ > 0 && sinceLine >= 2.0)
            frameMs_ = (frameMs_ * 3 + long(sinceLine)) / 4;
        lastLine_ = now;
        frames_++;
        changed_.notify_all();
    }

    const char* path_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    long frames_ = 0;
    long reads_ = 0;
    long score_ = 0;
    long frameMs_ = 100;
    Clock::time_point lastRead_;
    Clock::time_point lastLine_;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "DemoKeys <game output file>\n");
        return 2;
    }
    X11 x;
    if (!x.Open()) {
        std::fprintf(stderr, "DemoKeys: no X display, or libX11.so.6 / libXtst.so.6 missing\n");
        return 1;
    }
    FrameClock clock(argv[1]);
    clock.Start();

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command, key;
        long count = 0;
        in >> command;
        bool ok = true;
        if (command == "press" || command == "tap") {
            in >> key >> count;
            unsigned int code = x.Code(key);
            if (!code || count < 1) {
                std::printf("error: %s\n", line.c_str());
                std::fflush(stdout);
                continue;
            }
            if (command == "press") {
                ok = clock.WaitReads(1);
                x.Key(code, true);
                ok = ok && clock.WaitReads(count);
                x.Key(code, false);
            } else {
                x.Key(code, true);
                std::this_thread::sleep_for(std::chrono::milliseconds(count));
                x.Key(code, false);
            }
            ok = ok && clock.WaitFrames(2);
        } else if (command == "wait") {
            in >> count;
            ok = clock.WaitFrames(count);
        } else if (command != "state") {
            std::printf("error: %s\n", line.c_str());
            std::fflush(stdout);
            continue;
        }
        std::printf("%s%s\n", ok ? "" : "timeout ", clock.State().c_str());
        std::fflush(stdout);
    }
    std::_Exit(0);
}
