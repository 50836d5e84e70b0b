// brindle.exe started as its own process, as a user or the shell starts it.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace {

const wchar_t kCaption[] = L"Brindle";

// Starts an interactive instance and waits until its dialog is up.
class InteractiveRun : public testing::Test {
protected:
    void SetUp() override
    {
        program = CopyProgramInto(folder);
        first.reset(new ChildProcess(program, L"", folder.Path()));
        ASSERT_TRUE(first->Started());
        ASSERT_TRUE(first->WaitForIdle());
        const std::vector<HWND> windows = WindowsOf(first->Id(), kCaption);
        ASSERT_EQ(windows.size(), 1u);
        dialog = windows.front();
    }

    TempFolder folder;
    std::wstring program;
    std::unique_ptr<ChildProcess> first;
    HWND dialog = nullptr;
};

TEST_F(InteractiveRun, ShowsTheMainDialogAndEscEndsIt)
{
    EXPECT_TRUE(IsWindowVisible(dialog));
    wchar_t className[64] = {};
    GetClassNameW(dialog, className, 64);
    EXPECT_STREQ(className, L"#32770");
    EXPECT_NE(GetDlgItem(dialog, 1010), nullptr);  // the affix box of template 101
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(first->WaitForExit(), 0u);
}

TEST_F(InteractiveRun, TheCloseBoxEndsIt)
{
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(first->WaitForExit(), 0u);
}

TEST_F(InteractiveRun, ASecondStartBringsTheFirstToTheFront)
{
    // Put another window in front first, so the second start has work to do.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(other);
    ASSERT_EQ(GetForegroundWindow(), other);

    ChildProcess second(program, L"", folder.Path());
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.WaitForExit(), 0u);
    EXPECT_EQ(DialogsCaptioned(kCaption).size(), 1u);
    EXPECT_EQ(GetForegroundWindow(), dialog);

    // Minimised, it is restored as well.
    ShowWindow(dialog, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(dialog));
    ChildProcess third(program, L"", folder.Path());
    EXPECT_EQ(third.WaitForExit(), 0u);
    EXPECT_FALSE(IsIconic(dialog));

    DestroyWindow(other);
    PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(first->WaitForExit(), 0u);
}

TEST_F(InteractiveRun, OptionsWithoutFilesStillOnlyActivate)
{
    ChildProcess second(program, L"-a X -s", folder.Path());
    EXPECT_EQ(second.WaitForExit(), 0u);
    EXPECT_EQ(DialogsCaptioned(kCaption).size(), 1u);
    PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(first->WaitForExit(), 0u);
}

TEST(CommandLineRun, ShowsNoWindowAndEndsBesideARunningInstance)
{
    TempFolder folder;
    const std::wstring program = CopyProgramInto(folder);
    ChildProcess interactive(program, L"", folder.Path());
    ASSERT_TRUE(interactive.WaitForIdle());
    const HWND dialog = WindowsOf(interactive.Id(), kCaption).at(0);

    ChildProcess commandLine(program, L"-a x_ nothing-here.txt", folder.Path());
    ASSERT_TRUE(commandLine.Started());
    EXPECT_EQ(commandLine.WaitForExit(), 1u);  // the path names nothing

    // The record still names the interactive dialog: a start without paths
    // activates it instead of opening a second one.
    ChildProcess third(program, L"", folder.Path());
    EXPECT_EQ(third.WaitForExit(), 0u);
    EXPECT_EQ(DialogsCaptioned(kCaption).size(), 1u);

    PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(interactive.WaitForExit(), 0u);
}

TEST(CommandLineRun, HoldsNoRecordSoAStartMeanwhileOpensTheDialog)
{
    TempFolder folder;
    const std::wstring program = CopyProgramInto(folder);
    CreateDirectoryW((folder / L"items").c_str(), nullptr);
    std::string list;
    for (int i = 0; i < 1000; ++i) {
        const std::wstring item = folder / (L"items\\item" + std::to_wstring(i));
        WriteFileBytes(item, "");
        list += std::string(item.begin(), item.end()) + "\n";
    }
    WriteFileBytes(folder / L"list", list);
    const HANDLE change = FindFirstChangeNotificationW((folder / L"items").c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    ASSERT_NE(change, INVALID_HANDLE_VALUE);
    ChildProcess sendTo(program, L"-a x_ -p -l \"" + folder / L"list" + L"\"", folder.Path());
    ASSERT_TRUE(sendTo.Started());
    ASSERT_EQ(WaitForSingleObject(change, 30000), WAIT_OBJECT_0);  // renaming has begun
    FindCloseChangeNotification(change);

    const HANDLE record = OpenFileMappingW(FILE_MAP_READ, FALSE, L"Cobbold - Brindle");
    EXPECT_EQ(record, nullptr);
    if (record)
        CloseHandle(record);
    ChildProcess interactive(program, L"", folder.Path());
    ASSERT_TRUE(interactive.WaitForIdle());
    const std::vector<HWND> windows = WindowsOf(interactive.Id(), kCaption);
    ASSERT_EQ(windows.size(), 1u);
    PostMessageW(windows.front(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(interactive.WaitForExit(), 0u);
    EXPECT_EQ(sendTo.WaitForExit(60000), 0u);
}

// Holds the instance record as a running instance would, with a chosen handle.
class HeldRecord {
public:
    explicit HeldRecord(HWND stored)
        : mapping_(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4,
                                      L"Cobbold - Brindle"))
    {
        const CMappedView view(MapViewOfFile(mapping_.Get(), FILE_MAP_WRITE, 0, 0, 4));
        const std::int32_t value = HandleToLong(stored);
        std::memcpy(view.Get(), &value, sizeof value);
    }

private:
    CKernelHandle mapping_;
};

TEST(ActivationRun, ARecordNamingAGoneWindowStartsAFreshDialog)
{
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    DestroyWindow(gone);
    HeldRecord record(gone);

    TempFolder folder;
    ChildProcess run(CopyProgramInto(folder), L"", folder.Path());
    ASSERT_TRUE(run.WaitForIdle());
    const std::vector<HWND> windows = WindowsOf(run.Id(), kCaption);
    ASSERT_EQ(windows.size(), 1u);
    PostMessageW(windows.front(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(run.WaitForExit(), 0u);
}

TEST(ActivationRun, ARecordWithoutAHandleYetOpensNothing)
{
    // An instance that is still setting up its dialog has stored nothing yet.
    HeldRecord record(nullptr);
    TempFolder folder;
    ChildProcess run(CopyProgramInto(folder), L"", folder.Path());
    EXPECT_EQ(run.WaitForExit(), 0u);
    EXPECT_TRUE(DialogsCaptioned(kCaption).empty());
}

}  // namespace
