// Answers the message boxes a test provokes, so that a loader's error box never waits for a
// click, and records what each box said.
#pragma once
#include <string>

namespace testsupport {

// While alive, answers every message box the calling thread shows with OK and records its
// caption and text, in the order they appeared. Only one should be alive at a time.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer();
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;
    int count() const;                  // boxes answered so far
    std::string caption(int i) const;   // the i-th box's caption
    std::string text(int i) const;      // the i-th box's message text
};

} // namespace testsupport
