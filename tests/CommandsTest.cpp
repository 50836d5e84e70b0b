// The main dialog's commands, in this process.
#include "app/Brindle.h"
#include "resource.h"
#include "RecordingBrindle.h"
#include "TagMenuTexts.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {


class Commands : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new TempFolder;
        brindle = new RecordingBrindle(*folder / L"settings.dat");
        brindle->CreateFromTemplate(CBrindle::TemplateId);
    }
    static void TearDownTestSuite()
    {
        delete brindle;
        delete folder;
    }

    void SetUp() override
    {
        ASSERT_NE(brindle->m_hWnd, nullptr);
        brindle->affixBox->ResetContent();
        SetWindowTextW(affix(), L"");
        brindle->insertPos = 0;
    }

    static HWND affix() { return brindle->affixBox->m_hWnd; }
    static void Command(int id, int code = 0)
    {
        SendMessageW(brindle->m_hWnd, WM_COMMAND, MAKEWPARAM(id, code),
                     reinterpret_cast<LPARAM>(GetDlgItem(brindle->m_hWnd, id)));
    }

    static TempFolder* folder;
    static RecordingBrindle* brindle;
};

TempFolder* Commands::folder = nullptr;
RecordingBrindle* Commands::brindle = nullptr;

TEST_F(Commands, TagsGoWhereTheCaretWas)
{
    Command(IDM_TAG_FIRST + 0);  // \y
    Command(IDM_TAG_FIRST + 2);  // \m
    EXPECT_EQ(brindle->affixBox->GetText(), L"\\y\\m");
    EXPECT_EQ(brindle->insertPos, 4);

    SetWindowTextW(affix(), L"ABCD");
    SendMessageW(affix(), CB_SETEDITSEL, 0, MAKELPARAM(2, 2));
    Command(IDC_AFFIX, CBN_SELENDCANCEL);  // the field loses the focus to ">"
    EXPECT_EQ(brindle->insertPos, 2);
    Command(IDC_AFFIX, CBN_EDITCHANGE);  // other notifications leave it
    Command(IDM_TAG_FIRST + 3);  // \d
    EXPECT_EQ(brindle->affixBox->GetText(), L"AB\\dCD");

    // A place beyond a text shortened since: the end.
    SetWindowTextW(affix(), L"x");
    brindle->insertPos = 9;
    Command(IDM_TAG_FIRST + 6);  // \s
    EXPECT_EQ(brindle->affixBox->GetText(), L"x\\s");
    EXPECT_EQ(brindle->insertPos, 3);
}

// Looks at the tag menu while it is open, then closes it.
RECT g_menuRect;
std::vector<std::wstring> g_menuItems;

void CALLBACK InspectMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    const HWND popup = FindWindowW(L"#32768", nullptr);
    if (popup) {
        GetWindowRect(popup, &g_menuRect);
        const HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[128] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
            g_menuItems.push_back(text);
        }
    }
    EndMenu();
}

TEST_F(Commands, TheTagMenuOpensOnTheButton)
{
    SetTimer(nullptr, 0, 200, InspectMenu);
    Command(IDC_TAG_BUTTON);  // returns when the menu closes
    RECT button;
    GetWindowRect(brindle->tagButton->m_hWnd, &button);
    EXPECT_EQ(g_menuRect.left, button.left);
    EXPECT_EQ(g_menuRect.top, button.top);
    ASSERT_EQ(g_menuItems.size(), kDateTagCount);
    for (std::size_t i = 0; i < kDateTagCount; ++i)
        EXPECT_EQ(g_menuItems[i], kJapaneseTagTexts[i]);
}

TEST_F(Commands, TheHistoryCountCutsTheListAtOnce)
{
    for (const wchar_t* item : {L"5", L"4", L"3", L"2", L"1"})
        brindle->affixBox->AddToHistory(item, -1);
    SetWindowTextW(affix(), L"typed");
    brindle->historyCountBox->SetCurSel(1);  // "3"
    Command(IDC_HISTORY_COUNT, CBN_SELCHANGE);
    ASSERT_EQ(brindle->affixBox->GetCount(), 3);
    EXPECT_EQ(brindle->affixBox->GetItemText(0), L"1");
    EXPECT_EQ(brindle->affixBox->GetItemText(2), L"3");
    brindle->historyCountBox->SetCurSel(0);  // "0"
    Command(IDC_HISTORY_COUNT, CBN_CLOSEUP);
    EXPECT_EQ(brindle->affixBox->GetCount(), 0);
    EXPECT_EQ(brindle->affixBox->GetText(), L"typed");

    brindle->affixBox->AddToHistory(L"kept", -1);
    brindle->historyCountBox->SetCurSel(-1);  // no number: nothing cut
    Command(IDC_HISTORY_COUNT, CBN_SELCHANGE);
    EXPECT_EQ(brindle->affixBox->GetCount(), 1);
    brindle->historyCountBox->SetCurSel(2);
}

TEST_F(Commands, EnterButtonsAndBoxesLeaveEverythingAsItIs)
{
    SetWindowTextW(affix(), L"same");
    for (int id : {IDOK, IDC_HEAD, IDC_END, IDC_TOPMOST})
        Command(id, BN_CLICKED);
    EXPECT_TRUE(IsWindow(brindle->m_hWnd));
    EXPECT_EQ(brindle->affixBox->GetText(), L"same");
    EXPECT_EQ(brindle->headButton->GetCheck(), BST_CHECKED);
    EXPECT_FALSE(PathExists(*folder / L"settings.dat"));
}

TEST_F(Commands, HelpOpensTheManualHereOrBesideTheProgram)
{
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    SetCurrentDirectoryW(folder->Path().c_str());
    brindle->opened.clear();
    Command(IDC_HELP_BUTTON);
    CreateDirectoryW((*folder / L"Manual").c_str(), nullptr);
    WriteFileBytes(*folder / L"Manual\\index.html", "<html></html>");
    Command(IDC_HELP_BUTTON);
    SetCurrentDirectoryW(current);

    ASSERT_EQ(brindle->opened.size(), 2u);
    EXPECT_EQ(brindle->opened[0], ProgramFolder() + L"\\Manual\\index.html");
    EXPECT_EQ(brindle->opened[1], L"Manual\\index.html");
}

}  // namespace
