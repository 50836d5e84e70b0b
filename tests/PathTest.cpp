#include "shell/Path.h"

#include <gtest/gtest.h>

namespace {

struct Split {
    const wchar_t* path;
    const wchar_t* folder;
    const wchar_t* base;
    const wchar_t* extension;
};

TEST(Path, SplitsAsTheShellDoes)
{
    const Split cases[] = {
        {L"C:\\Docs\\report.txt", L"C:\\Docs\\", L"report", L".txt"},
        {L"C:\\report.txt", L"C:\\", L"report", L".txt"},
        {L"C:\\Docs\\archive.tar.gz", L"C:\\Docs\\", L"archive.tar", L".gz"},
        {L"C:\\Docs\\README", L"C:\\Docs\\", L"README", L""},
        {L"C:\\x\\Photos.2010", L"C:\\x\\", L"Photos", L".2010"},
        {L"C:\\x\\.txt", L"C:\\x\\", L"", L".txt"},
        {L"\\\\server\\share\\報告 書.docx", L"\\\\server\\share\\", L"報告 書", L".docx"},
    };
    for (const Split& split : cases) {
        const std::wstring path = split.path;
        EXPECT_EQ(AddBackslash(RemoveFileSpec(path)), split.folder) << path;
        EXPECT_EQ(RemoveExtension(GetFileName(path)), split.base) << path;
        EXPECT_EQ(GetExtension(path), split.extension) << path;
        EXPECT_EQ(AddBackslash(RemoveFileSpec(path)) + RemoveExtension(GetFileName(path)) + GetExtension(path), path);
    }
    EXPECT_EQ(AddBackslash(L"C:\\Docs\\"), L"C:\\Docs\\");
    EXPECT_EQ(AddBackslash(L""), L"");
    EXPECT_EQ(RenameExtension(L"C:\\Tools\\app.exe", L".dat"), L"C:\\Tools\\app.dat");
    EXPECT_EQ(RenameExtension(L"C:\\Tools\\app", L".dat"), L"C:\\Tools\\app.dat");
}

TEST(Path, LongPathsKeepEveryCharacter)
{
    const std::wstring folder = L"C:\\" + std::wstring(600, L'f');
    const std::wstring path = folder + L"\\name.ext";
    EXPECT_EQ(AddBackslash(folder), folder + L"\\");
    EXPECT_EQ(RemoveFileSpec(path), folder);
    EXPECT_EQ(RemoveExtension(path), folder + L"\\name");
    EXPECT_EQ(RenameExtension(path, L".dat"), folder + L"\\name.dat");
    EXPECT_EQ(GetFullPath(path), path);
    EXPECT_EQ(ExtendedPath(path), L"\\\\?\\" + path);
    EXPECT_EQ(ExtendedPath(L"\\\\srv\\s\\" + std::wstring(300, L'n')), L"\\\\?\\UNC\\srv\\s\\" + std::wstring(300, L'n'));
    EXPECT_EQ(ExtendedPath(L"C:\\short.txt"), L"C:\\short.txt");
}

TEST(Path, TheModuleAndFullPaths)
{
    const std::wstring module = GetModulePath();
    EXPECT_EQ(GetFileName(module), L"rename_tests.exe");
    EXPECT_EQ(GetFullPath(L"C:/x/a.txt"), L"C:\\x\\a.txt");
    EXPECT_EQ(GetFullPath(L"C:\\x\\..\\y\\a.txt"), L"C:\\y\\a.txt");
}

}  // namespace
