#include "settings/Format.h"
#include "settings/SettingsFile.h"
#include "SettingsSamples.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <vector>

// The largest single allocation since the last reset, for the whole program.
// (GCC takes the replacement pair below for a mismatch.)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static std::size_t g_largestAllocation = 0;

void* operator new(std::size_t size)
{
    if (size > g_largestAllocation)
        g_largestAllocation = size;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

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

DWORD WINAPI CloseLater(void* handle)
{
    Sleep(100);
    CloseHandle(handle);
    return 0;
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
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::wstring>{L"Brindle.dat"});
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
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::wstring>{L"Brindle.dat"});

    // A folder that is not there: nothing is made.
    EXPECT_FALSE(SaveMapCompressed(folder / L"gone\\Brindle.dat", CMapData(1)));
    EXPECT_FALSE(Exists(folder / L"gone"));
}

TEST(SettingsFile, ASaveGetsPastReadersAndLeftovers)
{
    TempFolder folder;
    const std::wstring path = folder / L"Brindle.dat";
    ASSERT_TRUE(SaveMapCompressed(path, CMapData(1)));
    // A crashed save's leftover, read-only at that.
    WriteFileBytes(path + L".tmp", "left over");
    SetFileAttributesW((path + L".tmp").c_str(), FILE_ATTRIBUTE_READONLY);

    // A reader that lets nobody replace the file, for a moment. (Windows lets
    // the program's own readers, which share deletion, be replaced at once;
    // Wine's replace waits for every reader.)
    const HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const HANDLE closer = CreateThread(nullptr, 0, CloseLater, held, 0, nullptr);
    EXPECT_TRUE(SaveMapCompressed(path, ProgramTree()));
    WaitForSingleObject(closer, INFINITE);
    CloseHandle(closer);

    CMapData loaded(0);
    LoadMapFile(path, loaded);
    EXPECT_TRUE(loaded == ProgramTree());
    EXPECT_EQ(NamesIn(folder.Path()), (std::vector<std::wstring>{L"Brindle.dat", L"Brindle.dat.tmp"}));
}

// Sizes that zlib could make are no promise that the data is the program's:
// no settings file, compressed or plain, asks for more than a body can hold.
TEST(SettingsFile, NoFileAsksForMoreMemoryThanASettingsBody)
{
    TempFolder folder;
    const std::wstring compressed = folder / L"compressed.dat", plain = folder / L"plain.dat";
    {
        const std::vector<unsigned char> zeros(64u << 20, 0);  // deflates to about 64 KB
        Bytes image;
        CFile memory;
        memory.AttachMemory(image);
        WriteCompressed(memory, zeros.data(), zeros.size());
        Put(compressed, image);
        Put(plain, Bytes(2u << 20, 0));
    }
    for (const std::wstring& path : {compressed, plain}) {
        CMapData loaded(0);
        g_largestAllocation = 0;
        LoadMapFile(path, loaded);
        EXPECT_LT(g_largestAllocation, 2u << 20) << (path == plain ? "plain" : "compressed");
        EXPECT_TRUE(loaded == CMapData(0));
    }
}

}  // namespace
