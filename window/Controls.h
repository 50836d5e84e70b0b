#pragma once

#include "window/Window.h"

#include <boost/shared_ptr.hpp>

#include <string>

// What a check box's link does to its target, given the box's check state.
enum LinkAction {
    EnableIfEqual = 0,   // enabled exactly while the state equals the value
    DisableIfEqual = 1,  // disabled exactly while the state equals the value
    TopMostIfEqual = 2,  // top-most exactly while the state equals the value
};

class CButton : public CWindow {};

// The state a control keeps in the settings is the settings store's business:
// these classes declare it first, so that their virtual tables go with its
// definitions (settings/ControlState.cpp) and this layer needs nothing of the
// settings store.

class CCheckBox : public CWindow {
public:
    // "Check": the state as BM_GETCHECK reports it (0, 1 or 2).
    void SaveState(CMapData& map) override;
    void LoadState(CMapData& map) override;
    // As LoadState, with value standing in for an absent "Check".
    void LoadStateOrDefault(CMapData& map, int value) override;

    // Lets every BM_SETCHECK, whoever sends it, re-apply the links.
    LRESULT SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    int ApplyLink(CWindow* target, int action, int value) override;

    // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
    int GetCheck() const { return static_cast<int>(SendMessageW(m_hWnd, BM_GETCHECK, 0, 0)); }
    void SetCheck(int state) { SendMessageW(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(state), 0); }
    // True only for BST_CHECKED; an indeterminate box is not checked.
    bool IsChecked() const { return GetCheck() == BST_CHECKED; }
};

class CRadioButton : public CCheckBox {};

class CComboBox : public CWindow {
public:
    // A drop-down box keeps its edit text and items ("Text", "Size", "0"...),
    // a drop-down list its selection ("Index"); a simple box keeps nothing.
    void SaveState(CMapData& map) override;
    void LoadState(CMapData& map) override;
    // As LoadState, with index standing in for an absent "Index".
    void LoadStateOrDefault(CMapData& map, int index) override;
    // The same under the names the settings store knows them by.
    void SaveContents(CMapData& map) { SaveState(map); }
    void LoadContents(CMapData& map) { LoadState(map); }
    void LoadContentsOrDefault(CMapData& map, int index) { LoadStateOrDefault(map, index); }

    int AddString(const std::wstring& text)
    {
        return static_cast<int>(SendMessageW(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    int InsertString(int index, const std::wstring& text)
    {
        return static_cast<int>(
            SendMessageW(m_hWnd, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str())));
    }
    void DeleteString(int index) { SendMessageW(m_hWnd, CB_DELETESTRING, static_cast<WPARAM>(index), 0); }
    void ResetContent() { SendMessageW(m_hWnd, CB_RESETCONTENT, 0, 0); }
    int GetCount() const { return static_cast<int>(SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0)); }
    int GetCurSel() const { return static_cast<int>(SendMessageW(m_hWnd, CB_GETCURSEL, 0, 0)); }
    void SetCurSel(int index) { SendMessageW(m_hWnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }
    // Where the edit field's selection starts (the caret, when nothing is selected).
    int GetEditSelStart() const { return LOWORD(SendMessageW(m_hWnd, CB_GETEDITSEL, 0, 0)); }

    // An item's text; empty for an index outside the list.
    std::wstring GetItemText(int index) const;
    // Deletes items from the end until at most limit remain.
    void TrimItems(int limit);
    // Puts text at the top of the list, once, keeping at most limit items (a
    // negative limit keeps all); the edit text stays as it is.
    void AddToHistory(const std::wstring& text, int limit);

    // CBS_SIMPLE, CBS_DROPDOWN or CBS_DROPDOWNLIST.
    int Style() const { return static_cast<int>(GetWindowLongW(m_hWnd, GWL_STYLE) & 0xF); }

    // A damaged "Size" never adds more items than this.
    static constexpr int kMaxRestoredItems = 256;
};

// Wraps the parent's dialog item; a missing item gives a wrapper with no window.
template <class T>
boost::shared_ptr<T> CreateControl(CWindow* parent, int itemId)
{
    boost::shared_ptr<T> control(new T);
    control->Attach(parent, itemId);
    return control;
}
