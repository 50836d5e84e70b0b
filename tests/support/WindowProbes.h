#pragma once

#include <windows.h>

#include <string>

// What tests read off a window.

// Its text, whole.
inline std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

// What the window itself answers to WM_GETTEXT: for a window of another
// process GetWindowTextW gives only its caption, not a control's text.
inline std::wstring AnsweredText(HWND window)
{
    wchar_t text[256] = {};
    SendMessageW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

// Its window class's name ("Button", "ComboBox", ...).
inline std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

inline bool IsTopMost(HWND window)
{
    return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}
