#include "Controls.h"

#include <commctrl.h>

bool CCheckBox::IsChecked() const
{
    return SendMessageW(m_hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

LRESULT CCheckBox::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = DefSubclassProc(hWnd, message, wParam, lParam);
    if (message == BM_SETCHECK)
        ApplyLinks();  // after the control took the new state
    return result;
}

int CCheckBox::ApplyLink(CWindow* target, int action, int value)
{
    const bool equal = SendMessageW(m_hWnd, BM_GETCHECK, 0, 0) == value;
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
        const LRESULT count = SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0);
        if (count <= limit || count == CB_ERR)
            return;
        SendMessageW(m_hWnd, CB_DELETESTRING, static_cast<WPARAM>(count - 1), 0);
    }
}
