// What a run knows of folders and mounts, without a file system.
#include "app/core/FolderNames.h"
#include "app/stores/MountTable.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace {

std::wstring Upper(const std::wstring& text)
{
    std::wstring key = text;
    for (wchar_t& c : key)
        c = static_cast<wchar_t>(std::towupper(c));
    return key;
}

// Linux under Wine holds case twins: a name given names its exact spelling
// first, and a name the run moved away still answers for the item it named.
TEST(FolderNames, TheExactSpellingFirstAndWhatTheRunDidSince)
{
    CFolderNames names({L"DATA.jpg", L"data.JPG", L"in", L"IN"}, Upper);
    EXPECT_EQ(names.Find(L"data.JPG")->name, L"data.JPG");
    EXPECT_EQ(names.Find(L"Data.jpg")->name, L"DATA.jpg");  // none spelled so: the first alike
    EXPECT_EQ(names.Find(L"nothing"), nullptr);
    EXPECT_FALSE(names.IsFree(L"IN"));
    EXPECT_FALSE(names.IsFree(L"iN"));

    names.Vacate(L"DATA.jpg", 3);
    names.Add(L"x_DATA.jpg", 3);
    const CFolderNames::Entry* again = names.Find(L"DATA.jpg");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->state, CFolderNames::State::Vacated);
    EXPECT_EQ(again->result, 3u);
    EXPECT_EQ(names.Find(L"Data.jpg")->state, CFolderNames::State::Vacated);  // still the item it named
    EXPECT_EQ(names.Find(L"data.JPG")->state, CFolderNames::State::Present);
    EXPECT_EQ(names.Find(L"X_data.JPG")->state, CFolderNames::State::Added);
    EXPECT_FALSE(names.IsFree(L"data.jpg"));  // its twin is still there
    EXPECT_FALSE(names.IsFree(L"X_DATA.JPG"));

    names.Vacate(L"in", 4);
    names.Vacate(L"IN", 5);
    EXPECT_TRUE(names.IsFree(L"In"));
    EXPECT_EQ(names.Find(L"IN")->result, 5u);
}

TEST(MountTable, MountsPointsAndReadOnlyMounts)
{
    const CMountTable mounts("21 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                             "30 21 0:5 / /home/u/my\\040disk rw - tmpfs none rw\n"
                             "31 21 8:1 /src /home/u/bound rw master:2 - ext4 /dev/sda1 rw\n"
                             "32 21 0:6 / /media/cd ro,nosuid - iso9660 /dev/sr0 ro\n"
                             "33 21 0:7 / /media/late rw - vfat /dev/sdb1 ro\n"
                             "torn line\n");
    const int root = mounts.MountOf("/home/u/file");
    EXPECT_GE(root, 0);
    EXPECT_NE(mounts.MountOf("/home/u/my disk/a"), root);
    EXPECT_EQ(mounts.MountOf("/home/u/my diskette"), root);
    EXPECT_NE(mounts.MountOf("/home/u/bound/x"), root);  // one file system, another mount
    EXPECT_TRUE(mounts.IsMountPoint("/home/u/my disk"));
    EXPECT_FALSE(mounts.IsMountPoint("/home/u"));
    EXPECT_FALSE(mounts.IsReadOnly(root));
    EXPECT_TRUE(mounts.IsReadOnly(mounts.MountOf("/media/cd/track")));
    EXPECT_TRUE(mounts.IsReadOnly(mounts.MountOf("/media/late")));
    EXPECT_EQ(CMountTable("").MountOf("/a"), -1);
}

}  // namespace
