// PelmoraBoxAnswerer: answers the message boxes of a scripted run. The engine libraries report
// some faults with MessageBoxA (an effect that does not compile, a mesh or texture not found),
// which blocks until someone clicks; a run meant to end by itself has no one to click. While an
// answerer lives, every message box the thread shows is answered with its default button as soon
// as it appears, and its caption and text are handed to the given function first. It works on
// the thread that made it, inside the box's own message loop: nothing runs on another thread.
#pragma once
#include <windows.h>
#include <functional>
#include <string>

class PelmoraBoxAnswerer {
public:
    typedef std::function<void(const std::string& caption, const std::string& text)> Seen;

    // Starts answering the calling thread's message boxes; seen is called once per box.
    explicit PelmoraBoxAnswerer(Seen seen);
    ~PelmoraBoxAnswerer(); // stops answering
    PelmoraBoxAnswerer(const PelmoraBoxAnswerer&) = delete;
    PelmoraBoxAnswerer& operator=(const PelmoraBoxAnswerer&) = delete;

    // False when the thread's window hook could not be set (boxes then wait as usual).
    bool active() const { return hook_ != nullptr; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);

    Seen seen_;                            // told about every box
    HHOOK hook_ = nullptr;                 // the thread's computer-based-training hook
    PelmoraBoxAnswerer* outer_ = nullptr;  // the answerer that was current before this one
    HWND last_ = nullptr;                  // the box answered last (activation can repeat)
};
