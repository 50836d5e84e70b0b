// Renames from the command line: brindle.exe started as the shell's Send To
// menu or a console starts it.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace {

// True for eight digits, then the rest.
bool DatedAs(const std::wstring& name, const std::wstring& rest)
{
    if (name.size() != 8 + rest.size() || name.compare(8, std::wstring::npos, rest) != 0)
        return false;
    for (int i = 0; i < 8; ++i)
        if (!std::iswdigit(name[static_cast<std::size_t>(i)]))
            return false;
    return true;
}

class CommandLineRename : public testing::Test {
protected:
    void SetUp() override { program = CopyProgramInto(folder); }

    DWORD Run(const std::wstring& arguments, const std::wstring& current)
    {
        ChildProcess run(program, arguments, current);
        return run.Started() ? run.WaitForExit() : STILL_ACTIVE;
    }

    std::vector<std::wstring> Files()
    {
        std::vector<std::wstring> names;
        for (const std::wstring& name : NamesIn(folder.Path()))
            if (name.find(L"brindle") == std::wstring::npos)
                names.push_back(name);
        return names;
    }

    TempFolder folder;
    std::wstring program;
};

TEST_F(CommandLineRename, AddsWithTodaysDateAndTakesAnyDateOff)
{
    WriteFileBytes(folder / L"report.txt", "r");
    WriteFileBytes(folder / L"20091231_memo.txt", "m");
    ASSERT_EQ(Run(L"-a \\e\\m\\d_ -p \"" + folder / L"report.txt" + L"\" \"" + folder / L"20091231_memo.txt" + L"\"",
                  folder.Path()),
              0u);
    const std::vector<std::wstring> names = Files();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_TRUE(DatedAs(names[0], L"_report.txt")) << names[0];
    EXPECT_EQ(names[1], L"memo.txt");

    ASSERT_EQ(Run(L"-p -a \\e\\m\\d_ \"" + folder / names[0] + L"\"", folder.Path()), 0u);
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"memo.txt", L"report.txt"}));
    EXPECT_EQ(ReadFileBytes(folder / L"report.txt"), "r");
}

TEST_F(CommandLineRename, QuotedNamesInAnyScriptAndRelativePaths)
{
    CreateDirectoryW((folder / L"作業 フォルダ").c_str(), nullptr);
    WriteFileBytes(folder / L"作業 フォルダ\\議事録 \U0001F4DD.txt", "x");
    CreateDirectoryW((folder / L"Photos.2010").c_str(), nullptr);
    for (const wchar_t* name : {L"plain.txt", L"README", L"archive.tar.gz"})
        WriteFileBytes(folder / name, "p");
    ASSERT_EQ(Run(L"-s -a \" (済)\" \"作業 フォルダ\\議事録 \U0001F4DD.txt\" plain.txt README archive.tar.gz Photos.2010",
                  folder.Path()),
              0u);
    EXPECT_EQ(NamesIn(folder / L"作業 フォルダ"), std::vector<std::wstring>{L"議事録 \U0001F4DD (済).txt"});
    for (const wchar_t* name : {L"plain (済).txt", L"README (済)", L"archive.tar (済).gz", L"Photos (済).2010"})
        EXPECT_TRUE(PathExists(folder / name)) << name;
}

TEST_F(CommandLineRename, ExitCodeOneWhenAnyPathKeepsItsNameListsIncluded)
{
    for (const wchar_t* name : {L"a.txt", L"x_a.txt", L"b.txt", L"c.txt", L"d.txt"})
        WriteFileBytes(folder / name, "f");
    const std::wstring quoted = L"\"" + folder / L"a.txt" + L"\"";
    EXPECT_EQ(Run(L"-p -a x_ " + quoted, folder.Path()), 1u);  // x_a.txt is taken
    EXPECT_EQ(Run(L"-p -a x_ \"" + folder / L"missing.txt" + L"\"", folder.Path()), 1u);
    EXPECT_EQ(Run(L"-p -a x_ -l \"" + folder / L"no list" + L"\"", folder.Path()), 1u);

    // A line that is not UTF-8 is never guessed at; the others are renamed.
    const std::wstring b = folder / L"b.txt", c = folder / L"c.txt";
    WriteFileBytes(folder / L"list one", std::string(b.begin(), b.end()) + "\r\n\xE9.txt\n" +
                                             std::string(c.begin(), c.end()) + "\n");
    EXPECT_EQ(Run(L"-a x_ -p -l \"" + folder / L"list one" + L"\"", folder.Path()), 1u);
    const std::wstring d = folder / L"d.txt";
    WriteFileBytes(folder / L"list two", std::string(d.begin(), d.end()));
    EXPECT_EQ(Run(L"-a x_ -p -l \"" + folder / L"list two" + L"\" " + quoted, folder.Path()), 1u);
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"a.txt", L"list one", L"list two", L"x_a.txt", L"x_b.txt",
                                                   L"x_c.txt", L"x_d.txt"}));

    EXPECT_EQ(Run(L"-a x_ -p -l \"" + folder / L"list two" + L"\"", folder.Path()), 1u);  // d.txt is gone
    // x_b.txt becomes b.txt, which the list names again: one item, renamed once.
    EXPECT_EQ(Run(L"-a x_ -p \"" + folder / L"x_b.txt" + L"\" -l \"" + folder / L"list one" + L"\"", folder.Path()),
              1u);
    EXPECT_TRUE(PathExists(folder / L"b.txt"));
    // The same item named twice, in any case, counts once.
    const std::wstring upper = folder / L"B.TXT";
    WriteFileBytes(folder / L"list three", std::string(b.begin(), b.end()) + "\n" + std::string(upper.begin(), upper.end()));
    EXPECT_EQ(Run(L"-a x_ -p \"" + b + L"\" -l \"" + folder / L"list three" + L"\"", folder.Path()), 0u);
    EXPECT_TRUE(PathExists(folder / L"x_b.txt"));
}

// A caller learns what became of each path, in order; a dry run tells the
// same and moves nothing; an affix from a file may start with a dash.
TEST_F(CommandLineRename, TheResultFileSaysWhatBecameOfEachPath)
{
    for (const wchar_t* name : {L"report.txt", L"memo.txt", L"memo-draft.txt"})
        WriteFileBytes(folder / name, "f");
    WriteFileBytes(folder / L"affix", "-draft");
    const std::wstring paths = L" report.txt memo.txt nothing.txt", options = L"-s -t affix -r \"" + folder / L"result" + L"\"";
    const std::string dir(folder.Path().begin(), folder.Path().end());
    const std::string expected = "\t" + dir + "\\report.txt\t" + dir + "\\report-draft.txt\tdone\n"
                                 "kept\t" + dir + "\\memo.txt\t" + dir + "\\memo-draft.txt\ttaken\n"
                                 "kept\t" + dir + "\\nothing.txt\t\tmissing\n";
    EXPECT_EQ(Run(L"-n " + options + paths, folder.Path()), 1u);
    EXPECT_EQ(ReadFileBytes(folder / L"result"), "would-rename" + expected);
    EXPECT_TRUE(PathExists(folder / L"report.txt"));
    EXPECT_EQ(Run(options + paths, folder.Path()), 1u);
    EXPECT_EQ(ReadFileBytes(folder / L"result"), "renamed" + expected);
    EXPECT_TRUE(PathExists(folder / L"report-draft.txt"));
    // No result where none can be written: the run says so.
    EXPECT_EQ(Run(L"-s -t affix -r \"" + folder / L"no folder\\result" + L"\" report-draft.txt", folder.Path()), 1u);
    EXPECT_TRUE(PathExists(folder / L"report.txt"));
    // A file of the run's own that is one of its items, now or by its new
    // name, in any case: nothing renamed, nothing written over; and an empty
    // affix file is no affix at all.
    WriteFileBytes(folder / L"empty", "");
    WriteFileBytes(folder / L"list", "report.txt\n");
    for (const wchar_t* own : {L"-r report_draft.txt", L"-r REPORT.TXT", L"-q report.txt", L"-l list list",
                               L"-t report.txt", L"-t empty"}) {
        EXPECT_EQ(Run(L"-s -a _draft " + std::wstring(own) + L" report.txt", folder.Path()), 2u) << own;
        EXPECT_EQ(ReadFileBytes(folder / L"report.txt"), "f") << own;
    }
}

// A program started from Downloads loads no DLL that lies beside it under a
// system DLL's name: once protected, a process finds such names in the
// system folder. (Without the protection the planted one is taken, so the
// plant works.) These two are loaded when the window is themed and drawn;
// what the system loads for the program's own imports, before it runs, only
// Windows protects (KnownDLLs).
TEST_F(CommandLineRename, OnceProtectedADllPlantedBesideTheProgramIsNeverLoaded)
{
    const std::wstring probe = folder / L"dll_probe.exe";
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\dll_probe.exe").c_str(), probe.c_str(), FALSE));
    for (const wchar_t* name : {L"uxtheme.dll", L"dwmapi.dll"}) {
        ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\planted_dll.dll").c_str(), (folder / name).c_str(), FALSE));
        ChildProcess plain(probe, std::wstring(name), folder.Path());
        EXPECT_EQ(plain.WaitForExit(), 1u) << name;
        ChildProcess guarded(probe, std::wstring(name) + L" protected", folder.Path());
        EXPECT_EQ(guarded.WaitForExit(), 0u) << name;
    }
    // Loaded while the program's imports are resolved, before its first line
    // can protect it, unless the program holds back what pulls it in.
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\planted_dll.dll").c_str(), (folder / L"shcore.dll").c_str(), FALSE));
    WriteFileBytes(folder / L"a.txt", "a");
    DeleteFileW((folder / L"planted-ran").c_str());
    EXPECT_EQ(Run(L"-a x_ -p a.txt", folder.Path()), 0u);
    EXPECT_TRUE(PathExists(folder / L"x_a.txt"));
    EXPECT_FALSE(PathExists(folder / L"planted-ran"));
}

}  // namespace
