#include "PelmoraBoxAnswerer.h"
#include <utility>

namespace {

// The answerer whose hook runs (the most recently made one of the process; one frame per
// program in practice).
PelmoraBoxAnswerer* g_current = nullptr;

// The message text of a box: its static control with text (the icon's static has none).
BOOL CALLBACK FindText(HWND child, LPARAM param)
{
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") != 0) return TRUE;
    char text[4096] = {};
    GetWindowTextA(child, text, sizeof text);
    if (!text[0]) return TRUE;
    *reinterpret_cast<std::string*>(param) = text;
    return FALSE;
}

} // namespace

PelmoraBoxAnswerer::PelmoraBoxAnswerer(Seen seen) : seen_(std::move(seen))
{
    hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    if (!hook_) return;
    outer_ = g_current;
    g_current = this;
}

PelmoraBoxAnswerer::~PelmoraBoxAnswerer()
{
    if (!hook_) return;
    UnhookWindowsHookEx(hook_);
    if (g_current == this) g_current = outer_;
}

// A dialog box ("#32770") being activated is read and answered with its default button (OK for
// MB_OK) by a posted click, which its own message loop takes as the user's.
LRESULT CALLBACK PelmoraBoxAnswerer::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    PelmoraBoxAnswerer* self = g_current;
    HHOOK hook = self ? self->hook_ : nullptr;
    if (self && code == HCBT_ACTIVATE) {
        HWND box = HWND(wParam);
        char boxClass[16] = {};
        GetClassNameA(box, boxClass, sizeof boxClass);
        if (box != self->last_ && lstrcmpA(boxClass, "#32770") == 0) {
            self->last_ = box;
            char caption[512] = {};
            GetWindowTextA(box, caption, sizeof caption);
            std::string text;
            EnumChildWindows(box, FindText, LPARAM(&text));
            const LRESULT def = SendMessageA(box, DM_GETDEFID, 0, 0);
            const int button = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), LPARAM(GetDlgItem(box, button)));
            if (self->seen_) self->seen_(caption, text);
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}
