#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

// The first tool of a tooltip control: its window, rectangle, flags and text.
struct ToolTipProbe {
    explicit ToolTipProbe(HWND toolTip)
    {
        tool.cbSize = sizeof tool;
        tool.lpszText = buffer;
        found = SendMessageW(toolTip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    }
    std::wstring Text() const { return buffer; }

    TOOLINFOW tool = {};
    wchar_t buffer[256] = {};
    bool found = false;
};
