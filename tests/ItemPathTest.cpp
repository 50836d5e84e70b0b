// How a path as given becomes the item it names: every component kept
// exactly, only "." and ".." resolved.
#include "shell/ItemPath.h"

#include <gtest/gtest.h>

namespace {

std::wstring Anchor(const std::wstring& anchor)
{
    return anchor == L"." ? L"C:\\current. \\dir" : anchor == L"\\" ? L"C:\\" : anchor + L"\\on that drive";
}

TEST(ItemPath, EveryComponentIsTheUsers)
{
    struct Row {
        const wchar_t* given;
        const wchar_t* full;  // empty: names no item
        const wchar_t* literal;
    };
    const Row rows[] = {
        {L"C:\\t\\Photos.\\@home", L"C:\\t\\Photos.\\@home", L"\\\\?\\C:\\t\\Photos.\\@home"},
        {L"C:/t/a. /b ", L"C:\\t\\a. \\b ", L"\\\\?\\C:\\t\\a. \\b "},
        {L"C:\\t\\.\\x\\..\\\\y.\\", L"C:\\t\\y.", L"\\\\?\\C:\\t\\y."},
        {L"rel\\a..txt", L"C:\\current. \\dir\\rel\\a..txt", L"\\\\?\\C:\\current. \\dir\\rel\\a..txt"},
        {L"D:x.", L"D:\\on that drive\\x.", L"\\\\?\\D:\\on that drive\\x."},
        {L"\\top\\x", L"C:\\top\\x", L"\\\\?\\C:\\top\\x"},
        {L"C:\\..\\x", L"C:\\x", L"\\\\?\\C:\\x"},
        {L"\\\\srv\\share\\dir.\\f", L"\\\\srv\\share\\dir.\\f", L"\\\\?\\UNC\\srv\\share\\dir.\\f"},
        {L"\\\\?\\C:\\a.\\b", L"C:\\a.\\b", L"\\\\?\\C:\\a.\\b"},
        {L"\\\\.\\C:\\a", L"C:\\a", L"\\\\?\\C:\\a"},
        {L"\\\\?\\unc\\srv\\s\\f", L"\\\\srv\\s\\f", L"\\\\?\\UNC\\srv\\s\\f"},
        {L"", L"", L""},
        {L"C:\\", L"", L""},
        {L"C:\\x\\..", L"", L""},
        {L"\\\\srv", L"", L""},
        {L"\\\\srv\\share\\", L"", L""},
        {L"\\\\?\\", L"", L""},
    };
    for (const Row& row : rows) {
        const CItemPath path = CItemPath::Resolve(row.given, Anchor);
        EXPECT_EQ(path.HasName(), *row.full != L'\0') << row.given;
        if (!path.HasName())
            continue;
        EXPECT_EQ(path.Full(), row.full) << row.given;
        EXPECT_EQ(path.Literal(), row.literal) << row.given;
        EXPECT_EQ(path.Folder() + path.Name(), path.Full());
    }
    // Relative forms need the anchors; without them they name nothing.
    EXPECT_FALSE(CItemPath::Resolve(L"a.txt", nullptr).HasName());

    const CItemPath file = CItemPath::Resolve(L"C:\\t\\a..txt", Anchor);
    EXPECT_EQ(file.LiteralFolder(), L"\\\\?\\C:\\t");
    EXPECT_EQ(file.Sibling(L"a.\\o1.txt").Full(), L"C:\\t\\a.\\o1.txt");
    EXPECT_EQ(file.Sibling(L"../up.txt").Full(), L"C:\\up.txt");
    EXPECT_EQ(CItemPath::Resolve(L"C:\\top", Anchor).LiteralFolder(), L"\\\\?\\C:\\");
}

}  // namespace
