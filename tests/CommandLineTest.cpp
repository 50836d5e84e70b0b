#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

using Files = std::vector<std::wstring>;

struct ParseCase {
    const wchar_t* text;
    Files files;
    std::wstring affix;
    AffixPosition position;
    Files lists = {};
    std::wstring stopFile = {};
    std::wstring resultFile = {}, affixFile = {};
    bool dryRun = false;
};

class ParseCommandLineTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommandLineTest, SplitsAsTheUserMeantIt)
{
    const ParseCase& c = GetParam();
    const CommandLine parsed = ParseCommandLine(c.text);
    EXPECT_EQ(parsed.files, c.files);
    EXPECT_EQ(parsed.affix, c.affix);
    EXPECT_EQ(parsed.position, c.position);
    EXPECT_EQ(parsed.lists, c.lists);
    EXPECT_EQ(parsed.stopFile, c.stopFile);
    EXPECT_EQ(parsed.resultFile, c.resultFile);
    EXPECT_EQ(parsed.affixFile, c.affixFile);
    EXPECT_EQ(parsed.dryRun, c.dryRun);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseCommandLineTest,
    testing::Values(
        ParseCase{L"", {}, L"", AffixPosition::FromDialog},
        ParseCase{nullptr, {}, L"", AffixPosition::FromDialog},
        ParseCase{L"\"C:\\My Files\\a.txt\" b.txt", {L"C:\\My Files\\a.txt", L"b.txt"}, L"", AffixPosition::FromDialog},
        ParseCase{L"-a \"New \" -p x.txt", {L"x.txt"}, L"New ", AffixPosition::Head},
        ParseCase{L"-aX y", {L"y"}, L"X", AffixPosition::FromDialog},
        ParseCase{L"-A X y", {L"y"}, L"X", AffixPosition::FromDialog},
        ParseCase{L"-ps", {L"s"}, L"", AffixPosition::Head},
        ParseCase{L"-x", {L"x"}, L"", AffixPosition::FromDialog},
        ParseCase{L"- a", {L"a"}, L"", AffixPosition::FromDialog},
        ParseCase{L"-", {}, L"", AffixPosition::FromDialog},
        ParseCase{L"-S -p -s f", {L"f"}, L"", AffixPosition::End},
        ParseCase{L"a.txt \"b c.txt", {L"a.txt"}, L"", AffixPosition::FromDialog},
        ParseCase{L"a.txt \"", {L"a.txt"}, L"", AffixPosition::FromDialog},
        ParseCase{L"\"a b\"c", {L"a b", L"c"}, L"", AffixPosition::FromDialog},
        ParseCase{L"\"\"", {L""}, L"", AffixPosition::FromDialog},
        ParseCase{L"a\tb", {L"a\tb"}, L"", AffixPosition::FromDialog},
        ParseCase{L"x -a", {L"x"}, L"", AffixPosition::FromDialog},
        ParseCase{L"-a \"\" x", {L"x"}, L"", AffixPosition::FromDialog},
        ParseCase{L"-abc.txt", {}, L"bc.txt", AffixPosition::FromDialog},
        ParseCase{L"\"-abc.txt\"", {L"-abc.txt"}, L"", AffixPosition::FromDialog},
        ParseCase{L"-a -p x", {}, L"x", AffixPosition::Head},
        ParseCase{L"-a one -a two f", {L"f"}, L"two", AffixPosition::FromDialog},
        ParseCase{L"a\"b c", {L"a\"b", L"c"}, L"", AffixPosition::FromDialog},
        ParseCase{L"a-p  b  ", {L"a-p", L"b"}, L"", AffixPosition::FromDialog},
        ParseCase{L"a a \"\"", {L"a", L"a", L""}, L"", AffixPosition::FromDialog},
        ParseCase{L"日本語.txt \"名前 😀.txt\"", {L"日本語.txt", L"名前 😀.txt"}, L"", AffixPosition::FromDialog},
        ParseCase{L"-l \"Z:\\tmp\\my list\" a -L b", {L"a"}, L"", AffixPosition::FromDialog, {L"Z:\\tmp\\my list", L"b"}},
        ParseCase{L"-l -a x y", {}, L"x", AffixPosition::FromDialog, {L"y"}},
        ParseCase{L"x -l", {L"x"}, L"", AffixPosition::FromDialog},
        ParseCase{L"-q \"Z:\\tmp\\a stop\" -Q b c", {L"c"}, L"", AffixPosition::FromDialog, {}, L"b"},
        ParseCase{L"-r \"r 1\" -t a -N x", {L"x"}, L"", AffixPosition::FromDialog, {}, L"", L"r 1", L"a", true},
        ParseCase{L"-t -r -q -l -a a l q r t f", {L"f"}, L"a", AffixPosition::FromDialog, {L"l"}, L"q", L"r", L"t"}));

}  // namespace
