// Loading and saving the program's own settings tree, full history, against
// reading and writing the same bytes with bare file calls.
#include "BenchSupport.h"
#include "SettingsSamples.h"
#include "settings/SettingsFile.h"

#include <string>
#include <vector>

namespace {

std::wstring TempPath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

void BareWrite(const std::wstring& path, const std::vector<unsigned char>& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD done = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
}

void BareRead(const std::wstring& path, std::vector<unsigned char>& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD done = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
}

}  // namespace

int main()
{
    const int calls = 2000;
    const CMapData tree = ProgramTree(20);
    const std::wstring path = TempPath(L"brindle-bench.dat");
    const std::wstring barePath = TempPath(L"brindle-bench.raw");
    SaveMapCompressed(path, tree);
    std::vector<unsigned char> bytes;
    {
        CFile stream;
        stream.OpenRead(path);
        bytes.resize(static_cast<std::size_t>(stream.Length()));
        stream.Read(bytes.data(), bytes.size());
    }
    std::printf("settings file: %zu bytes\n", bytes.size());

    const double save = MicrosecondsPerCall(calls, [&](int) { SaveMapCompressed(path, tree); });
    const double bareWrite = MicrosecondsPerCall(calls, [&](int) { BareWrite(barePath, bytes); });
    const double load = MicrosecondsPerCall(calls, [&](int) {
        CMapData map(0);
        LoadMapFile(path, map);
    });
    std::vector<unsigned char> scratch(bytes.size());
    const double bareRead = MicrosecondsPerCall(calls, [&](int) { BareRead(barePath, scratch); });

    Report("save (temporary file, flush, replace)", save, bareWrite);
    Report("load (head, then the compressed form)", load, bareRead);
    DeleteFileW(path.c_str());
    DeleteFileW(barePath.c_str());
    return 0;
}
