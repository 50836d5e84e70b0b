// The resources of the program: the main dialog as the template makes it,
// the tag menu, the icon group and the manifest.
#include "app/core/AffixRule.h"
#include "resource.h"
#include "PlainDialog.h"
#include "TagMenuTexts.h"
#include "WindowProbes.h"
#include "window/Dialog.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace {

struct ControlLayout {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    RECT dialogUnits;  // x, y, width, height
    DWORD style;       // besides WS_CHILD | WS_VISIBLE
};

// The controls in tab order; the keyboard's rules (groups, tab stops) are
// checked as properties below.
const ControlLayout kControls[] = {
    {-1, L"Static", L"追加する文字", {5, 8, 46, 8}, SS_LEFT},
    {IDC_AFFIX, L"ComboBox", L"", {55, 5, 65, 275}, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL},
    {IDC_TAG_BUTTON, L"Button", L">", {121, 4, 12, 14}, BS_PUSHBUTTON},
    {-1, L"Button", L"追加・削除位置", {5, 25, 125, 30}, BS_GROUPBOX},
    {IDC_HEAD, L"Button", L"先頭", {20, 40, 32, 10}, BS_AUTORADIOBUTTON},
    {IDC_END, L"Button", L"末尾", {85, 40, 32, 10}, BS_AUTORADIOBUTTON},
    {IDC_TOPMOST, L"Button", L"ウィンドウを常に最前面に表示", {5, 60, 110, 10}, BS_AUTOCHECKBOX},
    {IDC_SENDTO, L"Button", L"「送る(&N)」メニューに登録する", {5, 75, 110, 10}, BS_AUTOCHECKBOX},
    {-1, L"Static", L"履歴の保持数", {5, 90, 48, 8}, SS_LEFT},
    {IDC_HISTORY_COUNT, L"ComboBox", L"", {55, 88, 74, 77}, CBS_DROPDOWNLIST | WS_VSCROLL},
    {IDC_HELP_BUTTON, L"Button", L"ヘルプ", {5, 105, 60, 14}, BS_PUSHBUTTON},
    {IDC_EXIT, L"Button", L"終了", {70, 105, 60, 14}, BS_PUSHBUTTON},
};


TEST(MainDialogTemplate, BuildsTheControlsInTabOrderWithTheirStylesAndPlaces)
{
    PlainDialog dialog;
    ASSERT_NE(dialog.CreateFromTemplate(IDD_BRINDLE), nullptr);
    const HWND window = dialog.m_hWnd;
    EXPECT_EQ(WindowText(window), L"Brindle");
    EXPECT_FALSE(IsWindowVisible(window));  // shown by the set-up, never by the template
    const DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    EXPECT_EQ(style & frame, frame);
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0u);
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    RECT client;
    GetClientRect(window, &client);
    RECT size = {0, 0, 135, 125};
    MapDialogRect(window, &size);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    HWND control = GetWindow(window, GW_CHILD);
    for (const ControlLayout& layout : kControls) {
        SCOPED_TRACE(layout.text);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(GetDlgCtrlID(control), layout.id);
        const std::wstring className = ClassOf(control);
        EXPECT_EQ(className, layout.className);
        EXPECT_EQ(WindowText(control), layout.text);

        const DWORD actual = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
        EXPECT_EQ(actual & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
        EXPECT_EQ(actual & 0xFFFF, layout.style & 0xFFFF);

        // The dialog manager scales position and size each on its own.
        RECT expected = layout.dialogUnits;
        MapDialogRect(window, &expected);
        RECT placed;
        GetWindowRect(control, &placed);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_EQ(placed.left, expected.left);
        EXPECT_EQ(placed.top, expected.top);
        EXPECT_EQ(placed.right - placed.left, expected.right);
        if (std::wstring(layout.className) != L"ComboBox") {  // a combo box is as tall as its field
            EXPECT_EQ(placed.bottom - placed.top, expected.bottom);
        }
        control = GetWindow(control, GW_HWNDNEXT);
    }
    EXPECT_EQ(control, nullptr);
}

bool IsRadio(HWND control)
{
    return (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
}

// The keyboard reaches every control that takes input, and an arrow key moves
// only within a group: a radio group opens and closes with WS_GROUP. Every
// control shows whole, and none covers another but a group box what it frames.
TEST(MainDialogTemplate, GroupsTabStopsAndPlacesHoldForTheKeyboardAndTheEye)
{
    PlainDialog dialog;
    ASSERT_NE(dialog.CreateFromTemplate(IDD_BRINDLE), nullptr);
    RECT client;
    GetClientRect(dialog.m_hWnd, &client);
    std::vector<HWND> controls;
    for (HWND child = GetWindow(dialog.m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        controls.push_back(child);
    std::vector<RECT> places;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const LONG style = GetWindowLongW(controls[i], GWL_STYLE);
        const bool radio = IsRadio(controls[i]);
        const bool opens = i == 0 || !IsRadio(controls[i - 1]);
        if (radio && opens) {
            EXPECT_TRUE(style & WS_GROUP) << i;
        }
        if (!radio && i > 0 && IsRadio(controls[i - 1])) {
            EXPECT_TRUE(style & WS_GROUP) << "control " << i << " leaves the radio group open";
        }
        const std::wstring className = ClassOf(controls[i]);
        if (className == L"ComboBox" || (!radio && className == L"Button" &&
                                                        (style & BS_TYPEMASK) != BS_GROUPBOX)) {
            EXPECT_TRUE(style & WS_TABSTOP) << i;
        }
        RECT place;
        GetWindowRect(controls[i], &place);
        MapWindowPoints(nullptr, dialog.m_hWnd, reinterpret_cast<POINT*>(&place), 2);
        EXPECT_TRUE(place.left >= 0 && place.top >= 0 && place.right <= client.right && place.bottom <= client.bottom)
            << i;
        places.push_back(place);
    }
    for (std::size_t i = 0; i < places.size(); ++i)
        for (std::size_t j = i + 1; j < places.size(); ++j) {
            RECT both, joined;
            if (!IntersectRect(&both, &places[i], &places[j]))
                continue;
            // Only a frame holding the other whole.
            UnionRect(&joined, &places[i], &places[j]);
            const bool framed = EqualRect(&joined, &places[i]) || EqualRect(&joined, &places[j]);
            const bool frame = (GetWindowLongW(controls[i], GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX ||
                               (GetWindowLongW(controls[j], GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
            EXPECT_TRUE(framed && frame) << "controls " << i << " and " << j << " overlap";
        }
}

// An arrow key moves between Start and End only: from any other control it
// never changes the position.
TEST(MainDialogTemplate, ArrowKeysChangeThePositionOnlyOnItsButtons)
{
    PlainDialog dialog;
    ASSERT_NE(dialog.CreateFromTemplate(IDD_BRINDLE), nullptr);
    ShowWindow(dialog.m_hWnd, SW_SHOW);
    const HWND head = GetDlgItem(dialog.m_hWnd, IDC_HEAD), end = GetDlgItem(dialog.m_hWnd, IDC_END);
    const auto press = [&](UINT key) {
        MSG message = {GetFocus(), WM_KEYDOWN, key, 0, 0, {0, 0}};
        IsDialogMessageW(dialog.m_hWnd, &message);
    };
    CheckRadioButton(dialog.m_hWnd, IDC_HEAD, IDC_END, IDC_END);
    for (int id : {IDC_TOPMOST, IDC_SENDTO, IDC_HELP_BUTTON, IDC_EXIT, IDC_TAG_BUTTON})
        for (UINT key : {VK_DOWN, VK_UP, VK_RIGHT, VK_LEFT, VK_DOWN, VK_DOWN}) {
            SetFocus(GetDlgItem(dialog.m_hWnd, id));
            press(key);
            EXPECT_NE(GetFocus(), head) << id;
            EXPECT_EQ(SendMessageW(end, BM_GETCHECK, 0, 0), BST_CHECKED) << id;
        }
    SetFocus(end);
    press(VK_DOWN);
    EXPECT_EQ(GetFocus(), head);
    EXPECT_EQ(SendMessageW(head, BM_GETCHECK, 0, 0), BST_CHECKED);
    press(VK_DOWN);
    EXPECT_EQ(GetFocus(), end);
}

TEST(MainDialogTemplate, NoButtonIsTheDefaultPushButton)
{
    PlainDialog dialog;
    ASSERT_NE(dialog.CreateFromTemplate(IDD_BRINDLE), nullptr);
    for (int id : {IDC_TAG_BUTTON, IDC_HELP_BUTTON, IDC_EXIT})
        EXPECT_EQ(GetWindowLongW(GetDlgItem(dialog.m_hWnd, id), GWL_STYLE) & 0xF, BS_PUSHBUTTON);
}

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

TEST(Resources, DialogMenuAndIconAreJapanese)
{
    EXPECT_NE(FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(IDD_BRINDLE), kJapanese), nullptr);
    EXPECT_NE(FindResourceExW(nullptr, RT_MENU, MAKEINTRESOURCEW(IDM_TAGS), kJapanese), nullptr);
    EXPECT_NE(FindResourceExW(nullptr, RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_BRINDLE), kJapanese), nullptr);
}

TEST(Resources, TheIconGroupHoldsEverySizeTheDesktopAsksFor)
{
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDI_BRINDLE), RT_GROUP_ICON);
    ASSERT_NE(found, nullptr);
    const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    const WORD count = *reinterpret_cast<const WORD*>(group + 4);
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i)
        sizes.push_back(group[6 + 14 * i]);  // GRPICONDIRENTRY.bWidth
    EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 64}));  // small and large at 96, 144, 192 DPI
}

TEST(Resources, TheTagMenuListsEveryTagOfTheTableInItsOrder)
{
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_TAGS));
    ASSERT_NE(menu, nullptr);
    wchar_t text[64] = {};
    GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"タグ(&T)");
    HMENU tags = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(tags), static_cast<int>(kDateTagCount));
    for (int i = 0; i < static_cast<int>(kDateTagCount); ++i) {
        EXPECT_EQ(GetMenuItemID(tags, i), static_cast<UINT>(IDM_TAG_FIRST + i));
        GetMenuStringW(tags, i, text, 64, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(text).substr(0, 2), kDateTags[i].tag);
        EXPECT_STREQ(text, kJapaneseTagTexts[i]);
    }
    DestroyMenu(menu);
}

TEST(Resources, TheManifestAsksForWhatTheProgramNeeds)
{
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    const std::string manifest(data, SizeofResource(nullptr, found));
    for (const char* needed : {"level=\"asInvoker\"", "Microsoft.Windows.Common-Controls",
                               "version=\"6.0.0.0\"", "PerMonitorV2", "<longPathAware",
                               ">true</longPathAware>"})
        EXPECT_NE(manifest.find(needed), std::string::npos) << needed;
}

}  // namespace
