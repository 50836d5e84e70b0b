#include "window/Controls.h"

#include <commctrl.h>

#include <string>

LRESULT CCheckBox::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = DefSubclassProc(hWnd, message, wParam, lParam);
    if (message == BM_SETCHECK)
        ApplyLinks();  // after the control took the new state
    return result;
}

int CCheckBox::ApplyLink(CWindow* target, int action, int value)
{
    const bool equal = GetCheck() == value;
    switch (action) {
    case EnableIfEqual:
        return EnableWindow(target->m_hWnd, equal);
    case DisableIfEqual:
        return EnableWindow(target->m_hWnd, !equal);
    case TopMostIfEqual:
        return SetWindowPos(target->m_hWnd, equal ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                            SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
    default:
        return 0;
    }
}

std::wstring CComboBox::GetItemText(int index) const
{
    const LRESULT length = SendMessageW(m_hWnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length < 0)
        return std::wstring();
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(m_hWnd, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

void CComboBox::TrimItems(int limit)
{
    for (;;) {
        const int count = GetCount();
        if (count <= limit || count == CB_ERR)
            return;
        DeleteString(count - 1);
    }
}

void CComboBox::AddToHistory(const std::wstring& text, int limit)
{
    const std::wstring editText = GetText();
    for (int i = 0; i < GetCount();) {
        if (GetItemText(i) == text)
            DeleteString(i);
        else
            ++i;
    }
    InsertString(0, text);
    if (limit >= 0)
        TrimItems(limit);
    SetWindowTextW(m_hWnd, editText.c_str());
}
