#include "window/Controls.h"
#include "window/Dialog.h"
#include "window/Menu.h"
#include "ToolTipProbe.h"
#include "WindowProbes.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {


// The test template's dialog with its controls wrapped.
class ControlsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(dialog.CreateFromTemplate(200), nullptr);
        combo = CreateControl<CComboBox>(&dialog, 301);
        box = CreateControl<CCheckBox>(&dialog, 302);
        target = CreateControl<CButton>(&dialog, 303);
    }

    void SetCheck(WPARAM state) { box->SetCheck(state); }

    void AddItems(std::initializer_list<const wchar_t*> items)
    {
        for (const wchar_t* item : items)
            combo->AddString(item);
    }
    LRESULT Count() { return combo->GetCount(); }

    CDialog dialog;
    boost::shared_ptr<CComboBox> combo;
    boost::shared_ptr<CCheckBox> box;
    boost::shared_ptr<CButton> target;
};

TEST_F(ControlsTest, TopMostLinkFollowsEveryCheckStateSentFromCode)
{
    box->Subclass();
    box->AddLink(&dialog, TopMostIfEqual, BST_CHECKED);
    EXPECT_FALSE(IsTopMost(dialog.m_hWnd));  // applied at once: the box is unchecked

    SetCheck(BST_CHECKED);  // no WM_COMMAND involved
    EXPECT_TRUE(IsTopMost(dialog.m_hWnd));
    SetWindowPos(dialog.m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    SetCheck(BST_CHECKED);  // the same state again applies the link again
    EXPECT_TRUE(IsTopMost(dialog.m_hWnd));
    EXPECT_TRUE(box->IsChecked());

    SetCheck(BST_INDETERMINATE);  // acts as unchecked
    EXPECT_FALSE(IsTopMost(dialog.m_hWnd));
    EXPECT_FALSE(box->IsChecked());
    SetCheck(BST_UNCHECKED);
    EXPECT_FALSE(IsTopMost(dialog.m_hWnd));
}

TEST_F(ControlsTest, EnableAndDisableLinksDriveTheirTarget)
{
    box->Subclass();
    box->AddLink(target.get(), EnableIfEqual, BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(target->m_hWnd));
    SetCheck(BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(target->m_hWnd));

    box->AddLink(target.get(), DisableIfEqual, BST_CHECKED);  // later links win
    EXPECT_FALSE(IsWindowEnabled(target->m_hWnd));
    SetCheck(BST_UNCHECKED);
    EXPECT_TRUE(IsWindowEnabled(target->m_hWnd));
}

TEST_F(ControlsTest, AnUnknownActionDoesNothing)
{
    box->Subclass();
    box->AddLink(target.get(), 7, BST_CHECKED);
    box->AddLink(&dialog, -1, BST_UNCHECKED);
    SetCheck(BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(target->m_hWnd));
    EXPECT_FALSE(IsTopMost(dialog.m_hWnd));
}

TEST_F(ControlsTest, WithoutTheHookLinksAreAppliedOnlyWhenAdded)
{
    box->AddLink(target.get(), EnableIfEqual, BST_CHECKED);
    SetCheck(BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(target->m_hWnd));
}

TEST_F(ControlsTest, TrimItemsCutsFromTheEnd)
{
    AddItems({L"a", L"b", L"c", L"d"});
    combo->TrimItems(4);
    combo->TrimItems(10);
    EXPECT_EQ(Count(), 4);
    combo->TrimItems(2);
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(combo->GetItemText(0), L"a");
    EXPECT_EQ(combo->GetItemText(1), L"b");
    combo->TrimItems(0);
    EXPECT_EQ(Count(), 0);
}

TEST_F(ControlsTest, ItemAndEditTexts)
{
    EXPECT_EQ(combo->GetText(), L"");
    AddItems({L"日本語 😀", L""});
    EXPECT_EQ(combo->GetItemText(0), L"日本語 😀");
    EXPECT_EQ(combo->GetItemText(1), L"");
    EXPECT_EQ(combo->GetItemText(2), L"");  // index equal to the count
    EXPECT_EQ(combo->GetItemText(-1), L"");
    SetWindowTextW(combo->m_hWnd, L"edit text");
    EXPECT_EQ(combo->GetText(), L"edit text");
    EXPECT_EQ(dialog.GetText(), L"Test");
}

// Counts the hooks on a window by how often a message passes through them.
class CountingCheckBox : public CCheckBox {
public:
    LRESULT SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_USER + 9)
            ++seen;
        return CCheckBox::SubclassProc(hWnd, message, wParam, lParam);
    }
    int seen = 0;
};

TEST_F(ControlsTest, SubclassTwiceInstallsOneHook)
{
    auto counting = CreateControl<CountingCheckBox>(&dialog, 302);
    counting->Subclass();
    counting->Subclass();
    SendMessageW(counting->m_hWnd, WM_USER + 9, 0, 0);
    EXPECT_EQ(counting->seen, 1);
}

// GetWindowSubclass is exported by ordinal only.
bool HasFrameworkHook(HWND window)
{
    using Getter = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*);
    const auto get = reinterpret_cast<Getter>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"comctl32.dll"), MAKEINTRESOURCEA(411))));
    DWORD_PTR data = 0;
    return get && get(window, CWindow::SubclassThunk, CWindow::SubclassHookId, &data);
}

TEST_F(ControlsTest, AWrapperTakesItsHookAndControlWithIt)
{
    HWND control;
    {
        auto counting = CreateControl<CountingCheckBox>(&dialog, 302);
        counting->Subclass();
        control = counting->m_hWnd;
        EXPECT_TRUE(HasFrameworkHook(control));
    }
    EXPECT_FALSE(IsWindow(control));
    box->m_hWnd = nullptr;  // the fixture's wrapper of the same item
}

TEST(ControlWrappers, OutlivingTheirDialogIsHarmless)
{
    boost::shared_ptr<CCheckBox> box;
    {
        CDialog dialog;
        ASSERT_NE(dialog.CreateFromTemplate(200), nullptr);
        box = CreateControl<CCheckBox>(&dialog, 302);
        box->Subclass();
        dialog.Destroy();
    }
    // A new window may take the old handle's place: the wrapper has let go of
    // it, so it can never destroy that window.
    EXPECT_EQ(box->m_hWnd, nullptr);
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    box.reset();
    EXPECT_TRUE(IsWindow(other));
    DestroyWindow(other);
}

TEST(ControlWrappers, AMissingItemGivesAWrapperWithoutAWindow)
{
    CDialog dialog;
    ASSERT_NE(dialog.CreateFromTemplate(200), nullptr);
    auto missing = CreateControl<CButton>(&dialog, 9999);
    EXPECT_EQ(missing->m_hWnd, nullptr);
    EXPECT_EQ(dialog.m_children.count(missing.get()), 1u);
}

TEST(ToolTip, CoversTheClientAreaAndKeepsTheAmpersand)
{
    CDialog dialog;
    ASSERT_NE(dialog.CreateFromTemplate(200), nullptr);
    dialog.CreateToolTip(L"D&D here");
    ASSERT_NE(dialog.m_hToolTip, nullptr);
    EXPECT_TRUE(GetWindowLongW(dialog.m_hToolTip, GWL_STYLE) & TTS_NOPREFIX);
    // No owner (Wine makes no owner of a tooltip top-most), yet it goes with the window.
    EXPECT_EQ(GetWindow(dialog.m_hToolTip, GW_OWNER), nullptr);

    const ToolTipProbe probe(dialog.m_hToolTip);
    ASSERT_TRUE(probe.found);
    EXPECT_EQ(probe.Text(), L"D&D here");
    RECT client;
    GetClientRect(dialog.m_hWnd, &client);
    EXPECT_TRUE(EqualRect(&probe.tool.rect, &client));
    EXPECT_EQ(probe.tool.hwnd, dialog.m_hWnd);
    EXPECT_FALSE(probe.tool.uFlags & TTF_IDISHWND);

    const HWND hint = dialog.m_hToolTip;
    dialog.Destroy();
    EXPECT_FALSE(IsWindow(hint));
}

}  // namespace
