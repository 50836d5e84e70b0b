#include "settings/SettingsFile.h"
#include "SettingsSamples.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Contents(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void Put(const std::wstring& path, const Bytes& bytes)
{
    std::ofstream file(path.c_str(), std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}


bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(SettingsFile, SavesCompressedAndLoadsBack)
{
    TempFolder folder;
    const std::wstring path = folder / L"Brindle.dat";
    EXPECT_EQ(ReadFileHead(path), 0);  // no file yet
    CMapData missing(0);
    EXPECT_FALSE(LoadMapPlain(path, missing));
    EXPECT_FALSE(LoadMapCompressed(path, missing));

    const CMapData tree = ProgramTree();
    ASSERT_TRUE(SaveMapCompressed(path, tree));
    EXPECT_FALSE(Exists(path + L".tmp"));
    const Bytes file = Contents(path);
    ASSERT_GT(file.size(), 10u);
    EXPECT_EQ(ReadFileHead(path), static_cast<std::int32_t>(Body(tree).size()));
    EXPECT_EQ(file[8], 0x78);  // zlib stream after U and C
    EXPECT_EQ(file[9], 0x9C);

    CMapData loaded(0);
    LoadMapFile(path, loaded);
    EXPECT_TRUE(loaded == tree);

    // Saving again replaces the file as a whole.
    ASSERT_TRUE(SaveMapCompressed(path, CMapData(1)));
    CMapData small(0);
    LoadMapFile(path, small);
    EXPECT_TRUE(small == CMapData(1));
}

TEST(SettingsFile, PlainFilesLoadAndShortOnesLoadEmpty)
{
    TempFolder folder;
    const std::wstring path = folder / L"plain.dat";
    CMapData tree = ProgramTree(2);
    Bytes plain = Body(tree);
    plain[0] = 0;
    Put(path, plain);
    CMapData loaded(3);
    LoadMapFile(path, loaded);
    EXPECT_EQ(loaded.Header(), 0);
    EXPECT_EQ(loaded.Map(L"Affix").Map(L"1").String(L"Text"), tree.Map(L"Affix").Map(L"1").String(L"Text"));

    Put(path, Bytes{9, 0});  // head reads as 9: compressed, with nothing behind it
    CMapData shortFile(0);
    LoadMapFile(path, shortFile);
    EXPECT_TRUE(shortFile == CMapData(0));
}

TEST(SettingsFile, AFailedSaveKeepsTheOldFileExactly)
{
    TempFolder folder;
    const std::wstring path = folder / L"Brindle.dat";
    ASSERT_TRUE(SaveMapCompressed(path, ProgramTree()));
    const Bytes before = Contents(path);

    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(SaveMapCompressed(path, CMapData(1)));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Contents(path), before);
    EXPECT_FALSE(Exists(path + L".tmp"));

    // A folder that is not there: nothing is made.
    EXPECT_FALSE(SaveMapCompressed(folder / L"gone\\Brindle.dat", CMapData(1)));
    EXPECT_FALSE(Exists(folder / L"gone"));
}

}  // namespace
