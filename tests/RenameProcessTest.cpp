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

}  // namespace
