// The main dialog right after its set-up, in this process.
#include "app/Brindle.h"
#include "resource.h"
#include "settings/SettingsFile.h"
#include "TestSupport.h"
#include "WindowProbes.h"
#include "ToolTipProbe.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

std::vector<std::wstring> Items(const CComboBox& box)
{
    std::vector<std::wstring> items;
    const LRESULT count = box.GetCount();
    for (int i = 0; i < count; ++i)
        items.push_back(box.GetItemText(i));
    return items;
}

TEST(MainDialogSetup, AnInteractiveRunIsShownWithItsControlsReady)
{
    CBrindle brindle({}, L"", AffixPosition::FromDialog);
    ASSERT_NE(brindle.CreateFromTemplate(CBrindle::TemplateId), nullptr);
    const HWND dialog = brindle.m_hWnd;
    EXPECT_TRUE(IsWindowVisible(dialog));

    // The program's icon, large and small (their sizes are checked per DPI).
    EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0), 0);

    ASSERT_TRUE(brindle.affixBox && brindle.historyCountBox && brindle.topMostBox &&
                brindle.sendToBox && brindle.headButton && brindle.endButton && brindle.tagButton);
    EXPECT_TRUE(Items(*brindle.affixBox).empty());
    EXPECT_EQ(brindle.affixBox->GetText(), L"");
    EXPECT_EQ(Items(*brindle.historyCountBox),
              (std::vector<std::wstring>{L"0", L"3", L"5", L"10", L"20"}));
    EXPECT_EQ(brindle.tagButton->m_hWnd, GetDlgItem(dialog, IDC_TAG_BUTTON));
    ASSERT_NE(brindle.tagMenu, nullptr);
    EXPECT_NE(brindle.tagMenu->m_hMenu, nullptr);
    EXPECT_EQ(GetMenuItemCount(brindle.tagMenu->SubMenu(0)->m_hMenu), static_cast<int>(kDateTagCount));
}

TEST(MainDialogSetup, TheDropHintCoversTheClientAreaWithItsAmpersandShown)
{
    CBrindle brindle({}, L"", AffixPosition::FromDialog);
    ASSERT_NE(brindle.CreateFromTemplate(CBrindle::TemplateId), nullptr);
    ASSERT_NE(brindle.m_hToolTip, nullptr);
    EXPECT_TRUE(GetWindowLongW(brindle.m_hToolTip, GWL_STYLE) & TTS_NOPREFIX);

    const ToolTipProbe probe(brindle.m_hToolTip);
    ASSERT_TRUE(probe.found);
    EXPECT_EQ(probe.Text(), L"ファイルをD&Dするとファイル名が変更されます");
    RECT client;
    GetClientRect(brindle.m_hWnd, &client);
    EXPECT_TRUE(EqualRect(&probe.tool.rect, &client));
}

// On the interactive dialog, with its drop hint (Wine 8 makes no window
// top-most while it owns a tooltip: the hint has no owner).
TEST(MainDialogSetup, TheAlwaysOnTopBoxDrivesTheDialogFromCode)
{
    HWND hint = nullptr;
    {
        CBrindle brindle({}, L"", AffixPosition::FromDialog);
        ASSERT_NE(brindle.CreateFromTemplate(CBrindle::TemplateId), nullptr);
        hint = brindle.m_hToolTip;
        ASSERT_NE(hint, nullptr);
        const auto topMost = [&] { return IsTopMost(brindle.m_hWnd); };
        EXPECT_FALSE(topMost());
        brindle.topMostBox->SetCheck(BST_CHECKED);
        EXPECT_TRUE(topMost());
        brindle.topMostBox->SetCheck(BST_UNCHECKED);
        EXPECT_FALSE(topMost());
    }
    EXPECT_FALSE(IsWindow(hint));  // the hint goes with the dialog
}

HWND g_watched = nullptr;
bool g_shown = false;

LRESULT CALLBACK WatchShow(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_SHOWWINDOW && sent->wParam &&
        GetAncestor(sent->hwnd, GA_ROOT) == g_watched)
        g_shown = true;
    if (code == HC_ACTION && sent->message == WM_INITDIALOG)
        g_watched = sent->hwnd;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(MainDialogSetup, ACommandLineRunIsNeverShownAndHasNoHint)
{
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchShow, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    {
        CBrindle brindle({L"C:\\brindle-no-such-folder\\a.txt"}, L"x_", AffixPosition::Head);
        ASSERT_NE(brindle.CreateFromTemplate(CBrindle::TemplateId), nullptr);
        EXPECT_NE(g_watched, nullptr);
        EXPECT_FALSE(IsWindowVisible(brindle.m_hWnd));
        EXPECT_EQ(brindle.m_hToolTip, nullptr);
    }
    UnhookWindowsHookEx(hook);
    EXPECT_FALSE(g_shown);
}

// A dialog whose settings file is the test's, or whose settings cannot be
// had at all (the path throws, as when memory runs out).
class SettingsAt : public CBrindle {
public:
    explicit SettingsAt(const std::wstring& path) : CBrindle({}, L"", AffixPosition::FromDialog), path_(path) {}

protected:
    std::wstring SettingsPath() const override
    {
        if (path_.empty())
            throw std::bad_alloc();
        return path_;
    }

private:
    std::wstring path_;
};

TEST(MainDialogSetup, SettingsThatFailShowTheDialogWithDefaultsAndStillEndTheLoop)
{
    SettingsAt brindle(L"");
    ASSERT_NE(brindle.CreateFromTemplate(CBrindle::TemplateId), nullptr);
    EXPECT_TRUE(IsWindowVisible(brindle.m_hWnd));
    EXPECT_EQ(brindle.historyCountBox->GetText(), L"5");
    EXPECT_EQ(brindle.headButton->GetCheck(), BST_CHECKED);
    EXPECT_NE(brindle.m_hToolTip, nullptr);

    // The save at the end throws too: the message loop is still told to end.
    brindle.Destroy();
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(MainDialogSetup, TheDropHintCoversTheClientAreaAfterAMinimisedStart)
{
    TempFolder folder;
    CMapData stored(1);
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    placement.showCmd = SW_SHOWMINIMIZED;
    placement.rcNormalPosition = RECT{30, 40, 300, 300};
    stored.PutRecord(L"WindowPlacement", placement);
    ASSERT_TRUE(SaveMapCompressed(folder / L"b.dat", stored));

    SettingsAt brindle(folder / L"b.dat");
    ASSERT_NE(brindle.CreateFromTemplate(CBrindle::TemplateId), nullptr);
    EXPECT_TRUE(IsIconic(brindle.m_hWnd));
    ShowWindow(brindle.m_hWnd, SW_RESTORE);
    const ToolTipProbe probe(brindle.m_hToolTip);
    ASSERT_TRUE(probe.found);
    RECT client;
    GetClientRect(brindle.m_hWnd, &client);
    EXPECT_FALSE(IsRectEmpty(&client));
    EXPECT_TRUE(EqualRect(&probe.tool.rect, &client));
}

}  // namespace
