// What the controls keep in the settings: a check box its check state, a
// combo box its text and list or its selection.
#include "settings/MapData.h"
#include "window/Controls.h"

#include <algorithm>

void CCheckBox::SaveState(CMapData& map)
{
    map.Integer(L"Check") = GetCheck();
}

void CCheckBox::LoadState(CMapData& map)
{
    SetCheck(map.Integer(L"Check"));
}

void CCheckBox::LoadStateOrDefault(CMapData& map, int value)
{
    if (!map.HasInteger(L"Check"))
        map.Integer(L"Check") = value;
    LoadState(map);
}

void CComboBox::SaveState(CMapData& map)
{
    switch (Style()) {
    case CBS_DROPDOWN:
        map.String(L"Text") = GetText();
        map.Integer(L"Size") = GetCount();
        for (int i = 0; i < GetCount(); ++i)
            map.Map(std::to_wstring(i)).String(L"Text") = GetItemText(i);
        break;
    case CBS_DROPDOWNLIST:
        map.Integer(L"Index") = GetCurSel();
        break;
    default:
        break;
    }
}

void CComboBox::LoadState(CMapData& map)
{
    switch (Style()) {
    case CBS_DROPDOWN: {
        SetWindowTextW(m_hWnd, map.String(L"Text").c_str());
        const int count = std::min<int>(map.Integer(L"Size"), kMaxRestoredItems);
        for (int i = 0; i < count; ++i)
            AddString(map.Map(std::to_wstring(i)).String(L"Text"));
        break;
    }
    case CBS_DROPDOWNLIST:
        SetCurSel(map.Integer(L"Index"));
        break;
    default:
        break;
    }
}

void CComboBox::LoadStateOrDefault(CMapData& map, int index)
{
    if (Style() == CBS_DROPDOWNLIST && !map.HasInteger(L"Index"))
        map.Integer(L"Index") = index;
    LoadState(map);
}
