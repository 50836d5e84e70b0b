#include "app/core/AffixRule.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const TagTime kTime = {2011, 2, 27, 9, 5, 3};

std::wstring Apply(const std::wstring& affix, AffixPosition position, const std::wstring& base)
{
    return CAffixRule(affix, kTime, position).Apply(base);
}

TEST(AffixRule, TagsExpandAndMatchAnyDigitsOfTheirWidth)
{
    EXPECT_EQ(ExpandAffix(L"\\e\\m\\d_", kTime), L"20110227_");
    EXPECT_EQ(ExpandAffix(L"\\y-\\h\\h:\\i:\\s", kTime), L"11-0909:05:03");
    EXPECT_EQ(ExpandAffix(L"\\Y\\x\\", kTime), L"\\Y\\x\\");  // no tags: unchanged
    EXPECT_EQ(ExpandAffix(L"\\\\y", kTime), L"\\11");
    EXPECT_EQ(ExpandAffix(L"\\e", TagTime{987, 1, 1, 0, 0, 0}), L"0987");
    EXPECT_EQ(ExpandAffix(L"\\y", TagTime{2005, 1, 1, 0, 0, 0}), L"05");
    // After \f, the item's time; \f itself writes nothing, and matches nothing.
    EXPECT_EQ(ExpandAffix(L"\\e_\\f\\e\\m\\f_", kTime, TagTime{2019, 5, 3, 12, 34, 56}), L"2011_201905_");
    EXPECT_EQ(CAffixRule(L"\\f\\e_", kTime, AffixPosition::Head).Apply(L"1999_x"), L"x");

    // Head: the worked example.
    EXPECT_EQ(Apply(L"\\e\\m\\d_", AffixPosition::Head, L"report"), L"20110227_report");
    EXPECT_EQ(Apply(L"\\e\\m\\d_", AffixPosition::Head, L"20110227_report"), L"report");
    EXPECT_EQ(Apply(L"\\e\\m\\d_", AffixPosition::Head, L"20091231_memo"), L"memo");
    EXPECT_EQ(Apply(L"\\e\\m\\d_", AffixPosition::Head, L"meeting-notes"), L"20110227_meeting-notes");
    EXPECT_EQ(Apply(L"\\e\\m\\d_", AffixPosition::Head, L"20110227_"), L"");
    EXPECT_EQ(Apply(L"\\e\\m\\d_", AffixPosition::Head, L"2011022x_memo"), L"20110227_2011022x_memo");
    // End.
    EXPECT_EQ(Apply(L"_\\h\\i", AffixPosition::End, L"plan"), L"plan_0905");
    EXPECT_EQ(Apply(L"_\\h\\i", AffixPosition::End, L"plan_2359"), L"plan");
    EXPECT_EQ(Apply(L"_old", AffixPosition::End, L"archive.tar"), L"archive.tar_old");
    EXPECT_EQ(Apply(L"_old", AffixPosition::FromDialog, L"x"), L"x_old");  // anything but Head is End
}

TEST(AffixRule, EverythingButTheTagsIsLiteral)
{
    // Names that never carried the affix keep every character.
    EXPECT_EQ(Apply(L"(1)", AffixPosition::End, L"a"), L"a(1)");
    EXPECT_EQ(Apply(L"(1)", AffixPosition::End, L"a(1)"), L"a");
    EXPECT_EQ(Apply(L"(1)", AffixPosition::End, L"note1ab"), L"note1ab(1)");
    EXPECT_EQ(Apply(L"v.1", AffixPosition::End, L"planvX1"), L"planvX1v.1");
    EXPECT_EQ(Apply(L"v.1", AffixPosition::End, L"planv.1"), L"plan");
    EXPECT_EQ(Apply(L"[draft]", AffixPosition::End, L"summary"), L"summary[draft]");
    EXPECT_EQ(Apply(L"[draft]", AffixPosition::Head, L"[draft]summary"), L"summary");
    EXPECT_EQ(Apply(L"a*", AffixPosition::End, L"x"), L"xa*");
    EXPECT_EQ(Apply(L"a*", AffixPosition::End, L"xa*"), L"x");
    EXPECT_EQ(Apply(L"?", AffixPosition::Head, L"x"), L"?x");

    // What would not even compile as an expression is just text.
    for (const wchar_t* affix : {L"(", L"[", L"+x", L"x\\", L"{2}", L"a|b", L"^$", L"\\<", L"\\`", L"\\Y", L"\\Q",
                                 L"\\E", L"#  '"}) {
        const std::wstring added = Apply(affix, AffixPosition::End, L"name");
        EXPECT_EQ(added, L"name" + std::wstring(affix)) << affix;
        EXPECT_EQ(Apply(affix, AffixPosition::End, added), L"name") << affix;
        EXPECT_EQ(Apply(affix, AffixPosition::Head, L"name"), std::wstring(affix) + L"name") << affix;
    }
}

TEST(AffixRule, AnyScriptAndSurrogatePairs)
{
    EXPECT_EQ(Apply(L"済_", AffixPosition::Head, L"報告書"), L"済_報告書");
    EXPECT_EQ(Apply(L"済_", AffixPosition::Head, L"済_報告書"), L"報告書");
    const std::wstring emoji = L"\U0001F4C4";
    EXPECT_EQ(Apply(emoji + L"\\d", AffixPosition::End, L"メモ"), L"メモ" + emoji + L"27");
    EXPECT_EQ(Apply(emoji + L"\\d", AffixPosition::End, L"メモ" + emoji + L"31"), L"メモ");
    EXPECT_EQ(Apply(L" copy", AffixPosition::End, L"a b"), L"a b copy");
    EXPECT_EQ(Apply(L"\\d", AffixPosition::End, L""), L"27");
}

}  // namespace
