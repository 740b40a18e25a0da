#include "MessageBoxAnswerer.h"
#include <windows.h>
#include <vector>

namespace testsupport {

namespace {

struct Recorded {
    std::string caption; // the box's window text
    std::string text;    // its static text control
};
std::vector<Recorded> g_boxes;
std::vector<HWND> g_answered; // boxes already recorded (activation can repeat)
HHOOK g_hook = nullptr;

BOOL CALLBACK FindStaticText(HWND child, LPARAM param)
{
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0) {
        char text[1024] = {};
        GetWindowTextA(child, text, sizeof text);
        if (text[0]) *reinterpret_cast<std::string*>(param) = text;
    }
    return TRUE;
}

// A dialog box ("#32770") being activated for the first time is recorded and answered with OK.
LRESULT CALLBACK AnswerBox(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND box = HWND(wParam);
        char boxClass[16] = {};
        GetClassNameA(box, boxClass, sizeof boxClass);
        bool seen = false;
        for (HWND h : g_answered) seen = seen || h == box;
        if (!seen && lstrcmpA(boxClass, "#32770") == 0) {
            g_answered.push_back(box);
            Recorded r;
            char caption[256] = {};
            GetWindowTextA(box, caption, sizeof caption);
            r.caption = caption;
            EnumChildWindows(box, FindStaticText, LPARAM(&r.text));
            g_boxes.push_back(r);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

} // namespace

MessageBoxAnswerer::MessageBoxAnswerer()
{
    g_boxes.clear();
    g_answered.clear();
    g_hook = SetWindowsHookExA(WH_CBT, AnswerBox, nullptr, GetCurrentThreadId());
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    if (g_hook) UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
}

int MessageBoxAnswerer::count() const { return int(g_boxes.size()); }
std::string MessageBoxAnswerer::caption(int i) const { return g_boxes.at(size_t(i)).caption; }
std::string MessageBoxAnswerer::text(int i) const { return g_boxes.at(size_t(i)).text; }

} // namespace testsupport
