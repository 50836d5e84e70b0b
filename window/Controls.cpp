#include "Controls.h"

#include "settings/MapData.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

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

void CComboBox::AddToHistory(const std::wstring& text, int limit)
{
    const std::wstring editText = GetText();
    for (int i = 0; i < SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0);) {
        if (GetItemText(i) == text)
            SendMessageW(m_hWnd, CB_DELETESTRING, static_cast<WPARAM>(i), 0);
        else
            ++i;
    }
    SendMessageW(m_hWnd, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (limit >= 0)
        TrimItems(limit);
    SetWindowTextW(m_hWnd, editText.c_str());
}

void CCheckBox::SaveState(CMapData& map)
{
    map.Integer(L"Check") = static_cast<std::int32_t>(SendMessageW(m_hWnd, BM_GETCHECK, 0, 0));
}

void CCheckBox::LoadState(CMapData& map)
{
    SendMessageW(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(map.Integer(L"Check")), 0);
}

void CCheckBox::LoadStateOrDefault(CMapData& map, int value)
{
    if (!map.HasInteger(L"Check"))
        map.Integer(L"Check") = value;
    LoadState(map);
}

int CComboBox::Style() const
{
    return static_cast<int>(GetWindowLongW(m_hWnd, GWL_STYLE) & 0xF);
}

void CComboBox::SaveContents(CMapData& map) const
{
    switch (Style()) {
    case CBS_DROPDOWN:
        map.String(L"Text") = GetText();
        map.Integer(L"Size") = static_cast<std::int32_t>(SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0); ++i)
            map.Map(std::to_wstring(i)).String(L"Text") = GetItemText(i);
        break;
    case CBS_DROPDOWNLIST:
        map.Integer(L"Index") = static_cast<std::int32_t>(SendMessageW(m_hWnd, CB_GETCURSEL, 0, 0));
        break;
    default:
        break;
    }
}

void CComboBox::LoadContents(CMapData& map)
{
    switch (Style()) {
    case CBS_DROPDOWN: {
        SetWindowTextW(m_hWnd, map.String(L"Text").c_str());
        const int count = std::min<int>(map.Integer(L"Size"), kMaxRestoredItems);
        for (int i = 0; i < count; ++i) {
            const std::wstring& text = map.Map(std::to_wstring(i)).String(L"Text");
            SendMessageW(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        break;
    }
    case CBS_DROPDOWNLIST:
        SendMessageW(m_hWnd, CB_SETCURSEL, static_cast<WPARAM>(map.Integer(L"Index")), 0);
        break;
    default:
        break;
    }
}

void CComboBox::LoadContentsOrDefault(CMapData& map, int index)
{
    if (Style() == CBS_DROPDOWNLIST && !map.HasInteger(L"Index"))
        map.Integer(L"Index") = index;
    LoadContents(map);
}
