#pragma once

#include "Window.h"

#include <boost/shared_ptr.hpp>

#include <string>

// What a check box's link does to its target, given the box's check state.
enum LinkAction {
    EnableIfEqual = 0,   // enabled exactly while the state equals the value
    DisableIfEqual = 1,  // disabled exactly while the state equals the value
    TopMostIfEqual = 2,  // top-most exactly while the state equals the value
};

class CButton : public CWindow {};

class CCheckBox : public CWindow {
public:
    // True only for BST_CHECKED; an indeterminate box is not checked.
    bool IsChecked() const;
    // Lets every BM_SETCHECK, whoever sends it, re-apply the links.
    LRESULT SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    int ApplyLink(CWindow* target, int action, int value) override;

    // "Check": the state as BM_GETCHECK reports it (0, 1 or 2).
    void SaveState(CMapData& map) override;
    void LoadState(CMapData& map) override;
    // As LoadState, with value standing in for an absent "Check".
    void LoadStateOrDefault(CMapData& map, int value);
};

class CRadioButton : public CCheckBox {};

class CComboBox : public CWindow {
public:
    // An item's text; empty for an index outside the list.
    std::wstring GetItemText(int index) const;
    // Deletes items from the end until at most limit remain.
    void TrimItems(int limit);
    // Puts text at the top of the list, once, keeping at most limit items (a
    // negative limit keeps all); the edit text stays as it is.
    void AddToHistory(const std::wstring& text, int limit);

    // A drop-down box keeps its edit text and items ("Text", "Size", "0"...),
    // a drop-down list its selection ("Index"); a simple box keeps nothing.
    void SaveContents(CMapData& map) const;
    void LoadContents(CMapData& map);
    // As LoadContents, with index standing in for an absent "Index".
    void LoadContentsOrDefault(CMapData& map, int index);

    // A damaged "Size" never adds more items than this.
    static constexpr int kMaxRestoredItems = 256;

private:
    int Style() const;
};

// Wraps the parent's dialog item; a missing item gives a wrapper with no window.
template <class T>
boost::shared_ptr<T> CreateControl(CWindow* parent, int itemId)
{
    boost::shared_ptr<T> control(new T);
    control->Attach(parent, itemId);
    return control;
}
