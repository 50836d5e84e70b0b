// What an interactive run leaves in its settings file, and what the next run
// makes of it: brindle.exe started as its own process in a private folder.
#include "SettingsSamples.h"
#include "TestSupport.h"
#include "WindowProbes.h"
#include "resource.h"
#include "settings/SettingsFile.h"
#include "shell/Holders.h"
#include "shell/SendTo.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <memory>

namespace {

const wchar_t kCaption[] = L"Brindle";
const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// Points the user's Send To folder into the test's folder, and back afterwards.
class SendToRedirect {
public:
    explicit SendToRedirect(const std::wstring& folder)
    {
        CreateDirectoryW(folder.c_str(), nullptr);
        RegCreateKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
        wchar_t old[1024] = {};
        DWORD size = sizeof old, type = 0;
        hadOld_ = RegQueryValueExW(key_, L"SendTo", nullptr, &type, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        old_ = old;
        Set(folder);
    }
    ~SendToRedirect()
    {
        if (hadOld_)
            Set(old_);
        else
            RegDeleteValueW(key_, L"SendTo");
        RegCloseKey(key_);
    }

private:
    void Set(const std::wstring& value)
    {
        RegSetValueExW(key_, L"SendTo", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    HKEY key_ = nullptr;
    bool hadOld_ = false;
    std::wstring old_;
};

std::wstring ItemText(HWND combo, int index)
{
    wchar_t text[256] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}


LRESULT Check(HWND dialog, int id)
{
    return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0);
}


std::wstring LinkTarget(const std::wstring& link)
{
    const CComApartment apartment;
    IShellLinkW* rawLink = nullptr;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                     reinterpret_cast<void**>(&rawLink));
    if (!rawLink)
        return L"<no link object>";
    const boost::intrusive_ptr<IShellLinkW> shellLink = Adopt(rawLink);
    IPersistFile* rawFile = nullptr;
    shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile));
    const boost::intrusive_ptr<IPersistFile> file = Adopt(rawFile);
    if (!file || FAILED(file->Load(link.c_str(), STGM_READ)))
        return L"<unreadable>";
    wchar_t target[MAX_PATH] = {};
    shellLink->GetPath(target, MAX_PATH, nullptr, 0);
    return target;
}

class Persistence : public testing::Test {
protected:
    void SetUp() override
    {
        program = CopyProgramInto(folder);
        settings = program.substr(0, program.size() - 4) + L".dat";
    }

    // Starts an interactive run and returns its dialog.
    HWND Start()
    {
        run.reset(new ChildProcess(program, L"", folder.Path()));
        if (!run->Started() || !run->WaitForIdle())
            return nullptr;
        const std::vector<HWND> windows = WindowsOf(run->Id(), kCaption);
        return windows.size() == 1 ? windows.front() : nullptr;
    }

    // Ends it by the given command and waits for the process.
    DWORD Close(HWND dialog, UINT how = IDCANCEL)
    {
        if (how == SC_CLOSE)
            PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        else if (how == IDC_EXIT)
            PostMessageW(GetDlgItem(dialog, IDC_EXIT), BM_CLICK, 0, 0);
        else
            PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        return run->WaitForExit();
    }

    CMapData Saved() const
    {
        CMapData map(0);
        LoadMapFile(settings, map);
        return map;
    }


    TempFolder folder;
    SendToRedirect sendTo{folder / L"SendTo"};
    std::wstring program, settings;
    std::unique_ptr<ChildProcess> run;
};

TEST_F(Persistence, AFirstStartShowsTheDefaultsAndSavesExactlyThem)
{
    const HWND dialog = Start();
    ASSERT_NE(dialog, nullptr);
    const HWND affix = GetDlgItem(dialog, IDC_AFFIX);
    EXPECT_EQ(AnsweredText(affix), L"");
    EXPECT_EQ(SendMessageW(affix, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(AnsweredText(GetDlgItem(dialog, IDC_HISTORY_COUNT)), L"5");
    EXPECT_EQ(Check(dialog, IDC_HEAD), BST_CHECKED);
    EXPECT_EQ(Check(dialog, IDC_END), BST_UNCHECKED);
    EXPECT_EQ(Check(dialog, IDC_TOPMOST), BST_UNCHECKED);
    EXPECT_FALSE(IsTopMost(dialog));
    EXPECT_EQ(Check(dialog, IDC_SENDTO), BST_UNCHECKED);

    // Centred in the work area.
    RECT window, work;
    GetWindowRect(dialog, &window);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 2);
    EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 2);

    ASSERT_EQ(Close(dialog), 0u);
    CMapData saved = Saved();
    EXPECT_EQ(saved.Block(L"WindowPlacement").size(), sizeof(WINDOWPLACEMENT));
    CMapData expected = DefaultTree();
    expected.Block(L"WindowPlacement") = saved.Block(L"WindowPlacement");
    EXPECT_TRUE(saved == expected);
}

TEST_F(Persistence, EveryWayOfClosingSavesWhatTheNextStartShows)
{
    for (UINT how : {static_cast<UINT>(IDCANCEL), static_cast<UINT>(SC_CLOSE), static_cast<UINT>(IDC_EXIT)}) {
        HWND dialog = Start();
        ASSERT_NE(dialog, nullptr);
        HWND affix = GetDlgItem(dialog, IDC_AFFIX);
        SendMessageW(affix, CB_RESETCONTENT, 0, 0);
        for (const wchar_t* item : {L"新_", L"\\e\\m\\d_"})
            SendMessageW(affix, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        SendMessageW(affix, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"\\y_済"));
        SendDlgItemMessageW(dialog, IDC_HISTORY_COUNT, CB_SETCURSEL, 4, 0);
        SendDlgItemMessageW(dialog, IDC_TOPMOST, BM_SETCHECK, BST_CHECKED, 0);
        SendDlgItemMessageW(dialog, IDC_HEAD, BM_SETCHECK, BST_UNCHECKED, 0);
        SendDlgItemMessageW(dialog, IDC_END, BM_SETCHECK, BST_CHECKED, 0);
        ASSERT_EQ(Close(dialog, how), 0u) << how;

        CMapData expected = DefaultTree();
        CMapData& affixMap = expected.Map(L"Affix");
        affixMap.String(L"Text") = L"\\y_済";
        affixMap.Integer(L"Size") = 2;
        affixMap.Map(L"0").String(L"Text") = L"新_";
        affixMap.Map(L"1").String(L"Text") = L"\\e\\m\\d_";
        expected.Map(L"History").Integer(L"Index") = 4;
        expected.Map(L"TopMostWindow").Integer(L"Check") = 1;
        expected.Map(L"Prefix").Integer(L"Check") = 0;
        expected.Map(L"Suffix").Integer(L"Check") = 1;
        CMapData saved = Saved();
        expected.Block(L"WindowPlacement") = saved.Block(L"WindowPlacement");
        EXPECT_TRUE(saved == expected) << how;

        dialog = Start();
        ASSERT_NE(dialog, nullptr);
        affix = GetDlgItem(dialog, IDC_AFFIX);
        EXPECT_EQ(AnsweredText(affix), L"\\y_済");
        ASSERT_EQ(SendMessageW(affix, CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(ItemText(affix, 0), L"新_");
        EXPECT_EQ(ItemText(affix, 1), L"\\e\\m\\d_");
        EXPECT_EQ(AnsweredText(GetDlgItem(dialog, IDC_HISTORY_COUNT)), L"20");
        EXPECT_TRUE(IsTopMost(dialog));
        EXPECT_EQ(Check(dialog, IDC_HEAD), BST_UNCHECKED);
        EXPECT_EQ(Check(dialog, IDC_END), BST_CHECKED);
        ASSERT_EQ(Close(dialog), 0u);
        DeleteFileW(settings.c_str());
    }
}

TEST_F(Persistence, PlacementKeepsTheMinimisedStateAndOnlyTheStoredCorner)
{
    HWND dialog = Start();
    ASSERT_NE(dialog, nullptr);
    RECT created;
    GetWindowRect(dialog, &created);
    ShowWindow(dialog, SW_MINIMIZE);
    ASSERT_EQ(Close(dialog), 0u);
    dialog = Start();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsIconic(dialog));
    ASSERT_EQ(Close(dialog), 0u);

    // Stored with another size, shown normally: only the corner is taken.
    CMapData stored = Saved();
    WINDOWPLACEMENT placement = {};
    ASSERT_TRUE(stored.GetRecord(L"WindowPlacement", placement));
    placement.showCmd = SW_SHOWNORMAL;
    placement.flags = 0;
    placement.rcNormalPosition = RECT{40, 50, 700, 650};
    stored.PutRecord(L"WindowPlacement", placement);
    ASSERT_TRUE(SaveMapCompressed(settings, stored));
    dialog = Start();
    ASSERT_NE(dialog, nullptr);
    RECT window;
    GetWindowRect(dialog, &window);
    EXPECT_EQ(window.left, 40);
    EXPECT_EQ(window.top, 50);
    EXPECT_EQ(window.right - window.left, created.right - created.left);
    EXPECT_EQ(window.bottom - window.top, created.bottom - created.top);
    ASSERT_EQ(Close(dialog), 0u);

    // On a screen that is gone, or damaged beyond any screen: brought back onto this one.
    placement.rcNormalPosition = RECT{-2147483600, 2147483600, -30000, -29000};
    stored.PutRecord(L"WindowPlacement", placement);
    ASSERT_TRUE(SaveMapCompressed(settings, stored));
    dialog = Start();
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(MonitorFromWindow(dialog, MONITOR_DEFAULTTONULL), nullptr);
    ASSERT_EQ(Close(dialog), 0u);
}

TEST_F(Persistence, ACommandLineRunUsesTheLastCloseAndWritesNothing)
{
    CMapData stored = DefaultTree();
    stored.Map(L"Affix").String(L"Text") = L"_z";
    stored.Map(L"Affix").Integer(L"Size") = 1;
    stored.Map(L"Affix").Map(L"0").String(L"Text") = L"older";
    stored.Map(L"Prefix").Integer(L"Check") = 0;
    stored.Map(L"Suffix").Integer(L"Check") = 1;
    ASSERT_TRUE(SaveMapCompressed(settings, stored));
    const std::string before = ReadFileBytes(settings);
    WriteFileBytes(folder / L"a.txt", "a");

    ChildProcess send(program, L"\"" + folder / L"a.txt" + L"\"", folder.Path());
    ASSERT_EQ(send.WaitForExit(), 0u);
    EXPECT_TRUE(PathExists(folder / L"a_z.txt"));
    EXPECT_EQ(ReadFileBytes(settings), before);
}

TEST_F(Persistence, OtherKeysPlainDamagedAndReadOnlyFiles)
{
    // A plain file loads; keys of its own are gone after the next close.
    CMapData plain(0);
    plain.Integer(L"Extra") = 7;
    plain.Map(L"Affix").String(L"Text") = L"p_";
    const std::vector<unsigned char> body = Body(plain);
    WriteFileBytes(settings, std::string(body.begin(), body.end()));
    HWND dialog = Start();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(AnsweredText(GetDlgItem(dialog, IDC_AFFIX)), L"p_");
    ASSERT_EQ(Close(dialog), 0u);
    EXPECT_FALSE(Saved().HasInteger(L"Extra"));
    EXPECT_EQ(Saved().Map(L"Affix").String(L"Text"), L"p_");

    // A body past what the program ever writes (an affix of 600,000
    // characters, a few KB compressed) is damaged: the defaults, at once.
    CMapData huge = DefaultTree();
    huge.Map(L"Affix").String(L"Text") = std::wstring(600000, L'A');
    ASSERT_TRUE(SaveMapCompressed(settings, huge));
    dialog = Start();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(AnsweredText(GetDlgItem(dialog, IDC_AFFIX)), L"");
    ASSERT_EQ(Close(dialog), 0u);

    // Damaged: starts with what can be read and closes normally.
    WriteFileBytes(settings, std::string("\x40\0\0\0\x10\0\0\0garbage garbage!", 24));
    dialog = Start();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(AnsweredText(GetDlgItem(dialog, IDC_HISTORY_COUNT)), L"5");
    ASSERT_EQ(Close(dialog), 0u);
    EXPECT_EQ(Saved().Map(L"History").Integer(L"Index"), 2);

    // Neither position, or both: exactly one button is checked, Start.
    for (int both : {0, 1}) {
        CMapData unclear = DefaultTree();
        unclear.Map(L"Prefix").Integer(L"Check") = unclear.Map(L"Suffix").Integer(L"Check") = both;
        ASSERT_TRUE(SaveMapCompressed(settings, unclear));
        dialog = Start();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_HEAD), BST_CHECKED) << both;
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_END), BST_UNCHECKED) << both;
        ASSERT_EQ(Close(dialog), 0u);
    }

    // Read-only: shown, then left exactly as it was.
    SetFileAttributesW(settings.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string before = ReadFileBytes(settings);
    dialog = Start();
    ASSERT_NE(dialog, nullptr);
    SendDlgItemMessageW(dialog, IDC_AFFIX, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"changed"));
    ASSERT_EQ(Close(dialog), 0u);
    EXPECT_EQ(ReadFileBytes(settings), before);
    SetFileAttributesW(settings.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Persistence, TheSendToBoxMakesAndRemovesTheShortcut)
{
    const std::wstring shortcut = folder / L"SendTo\\Brindle.lnk";
    ASSERT_EQ(SendToShortcutPath(), shortcut);
    HWND dialog = Start();
    ASSERT_NE(dialog, nullptr);
    const HWND box = GetDlgItem(dialog, IDC_SENDTO);
    SendMessageW(box, BM_CLICK, 0, 0);
    ASSERT_TRUE(PathExists(shortcut));
    EXPECT_EQ(LinkTarget(shortcut), program);
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_FALSE(PathExists(shortcut));
    SendMessageW(box, BM_CLICK, 0, 0);
    SetFileAttributesW(shortcut.c_str(), FILE_ATTRIBUTE_READONLY);
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_FALSE(PathExists(shortcut));
    SendMessageW(box, BM_CLICK, 0, 0);  // checked at close
    ASSERT_EQ(Close(dialog), 0u);
    EXPECT_EQ(Saved().Map(L"SendTo").Integer(L"Check"), 1);

    // Between runs the file decides, not the stored state.
    DeleteFileW(shortcut.c_str());
    dialog = Start();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Check(dialog, IDC_SENDTO), BST_UNCHECKED);
    ASSERT_EQ(Close(dialog), 0u);
    ASSERT_TRUE(CreateShortcut(program, L"", L"", shortcut));
    dialog = Start();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Check(dialog, IDC_SENDTO), BST_CHECKED);
    ASSERT_EQ(Close(dialog), 0u);
}

}  // namespace
