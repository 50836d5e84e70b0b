#include "app/core/PathList.h"
#include "app/core/RunReport.h"

#include <gtest/gtest.h>

namespace {

struct ListCase {
    const char* name;
    std::string bytes;
    std::vector<std::wstring> paths;
    std::size_t unreadable;
};

class PathListTest : public testing::TestWithParam<ListCase> {};

TEST_P(PathListTest, ReadsEveryLineExactlyOrNotAtAll)
{
    const ListCase& c = GetParam();
    const PathList list = ParsePathList(c.bytes);
    EXPECT_EQ(list.paths, c.paths);
    EXPECT_EQ(list.unreadable, c.unreadable);
}

const std::wstring kLongest = L"Z:\\" + std::wstring(kMaxListedPath - 3, L'a');

INSTANTIATE_TEST_SUITE_P(
    Lines, PathListTest,
    testing::Values(
        ListCase{"empty", "", {}, 0},
        ListCase{"lf_crlf_last_line_open", "Z:\\a\nZ:\\b c\r\nZ:\\d", {L"Z:\\a", L"Z:\\b c", L"Z:\\d"}, 0},
        ListCase{"bom_and_blank_lines", "\xEF\xBB\xBFZ:\\a\n\n\r\nZ:\\b\n", {L"Z:\\a", L"Z:\\b"}, 0},
        ListCase{"any_script", "Z:\\\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80\n", {L"Z:\\日本 \U0001F600"}, 0},
        ListCase{"latin1_byte", "Z:\\caf\xE9\nZ:\\ok\n", {L"Z:\\ok"}, 1},
        ListCase{"overlong_slash", "Z:\\\xC0\xAF\n", {}, 1},
        ListCase{"surrogate", "Z:\\\xED\xA0\x80\n", {}, 1},
        ListCase{"past_u10ffff", "Z:\\\xF4\x90\x80\x80\n", {}, 1},
        ListCase{"cut_sequence", "Z:\\\xE6\x97", {}, 1},
        ListCase{"nul", std::string("Z:\\a\0b\n", 7), {}, 1},
        ListCase{"longest", std::string(kLongest.begin(), kLongest.end()), {kLongest}, 0},
        ListCase{"too_long", std::string(kLongest.begin(), kLongest.end()) + "a", {}, 1}),
    [](const testing::TestParamInfo<ListCase>& row) { return std::string(row.param.name); });

}  // namespace

// What the program writes back reads back as the same text; a result line
// stays one line of four fields whatever the names hold.
TEST(ResultFile, Utf8RoundTripsAndEveryLineHasFourFields)
{
    const std::wstring text = L"Z:\\日本 \U0001F600 caf\u00E9";
    std::string bytes;
    AppendAsUtf8(text, bytes);
    std::wstring back;
    ASSERT_TRUE(AppendUtf8(bytes.data(), bytes.data() + bytes.size(), back));
    EXPECT_EQ(back, text);
    bytes.clear();
    AppendAsUtf8(std::wstring(1, static_cast<wchar_t>(0xD800)) + L"a", bytes);
    EXPECT_EQ(bytes, "\xEF\xBF\xBD" "a");

    const auto at = [](const std::wstring& path) { return CItemPath::Resolve(path, nullptr); };
    ItemResult renamed{ItemStatus::Renamed, ItemReason::Done, at(L"C:\\a b.txt"), at(L"C:\\x_a b.txt"), {}};
    ItemResult kept{ItemStatus::Kept, ItemReason::BadName, at(L"C:\\t\ta\nb"), CItemPath(), {}};
    EXPECT_EQ(ResultText({renamed, kept}), "renamed\tC:\\a b.txt\tC:\\x_a b.txt\tdone\n"
                                           "kept\tC:\\t\xEF\xBF\xBD" "a\xEF\xBF\xBD" "b\t\tbad-name\n");
}
