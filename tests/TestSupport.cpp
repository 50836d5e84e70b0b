#include "TestSupport.h"
#include "WindowProbes.h"

#include <shellapi.h>

#include <algorithm>
#include <vector>

namespace {

// Takes the path literally, so that names with trailing dots or spaces go too.
void RemoveTree(const std::wstring& given)
{
    const std::wstring path = given.compare(0, 4, L"\\\\?\\") == 0 ? given : L"\\\\?\\" + given;
    WIN32_FIND_DATAW found;
    const CFindHandle search(FindFirstFileW((path + L"\\*").c_str(), &found));
    if (search.IsOpen()) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search.Get(), &found));
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path.c_str());
}


struct WindowQuery {
    DWORD processId;  // 0: any process
    std::wstring caption;
    bool dialogsOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data)
{
    auto* query = reinterpret_cast<WindowQuery*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (query->processId && owner != query->processId)
        return TRUE;
    if (WindowText(window) != query->caption)
        return TRUE;
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (query->dialogsOnly && std::wstring(className) != L"#32770")
        return TRUE;
    query->found.push_back(window);
    return TRUE;
}

}  // namespace

TempFolder::TempFolder()
{
    wchar_t base[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, base);
    for (unsigned attempt = GetTickCount() ^ GetCurrentProcessId();; ++attempt) {
        path_ = std::wstring(base) + L"brindle-test-" + std::to_wstring(attempt);
        if (CreateDirectoryW(path_.c_str(), nullptr))
            break;
    }
}

TempFolder::~TempFolder()
{
    RemoveTree(L"\\\\?\\" + path_);  // the prefix reaches paths of any length
}

std::wstring ProgramFolder()
{
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L"\\/"));
}

std::wstring CopyProgramInto(const TempFolder& folder)
{
    const std::wstring target = folder / L"brindle.exe";
    CopyFileW((ProgramFolder() + L"\\brindle.exe").c_str(), target.c_str(), TRUE);
    return target;
}

ChildProcess::ChildProcess(const std::wstring& program, const std::wstring& arguments,
                           const std::wstring& currentFolder)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        currentFolder.c_str(), &startup, &info_))
        info_ = {};
    process_ = CKernelHandle(info_.hProcess);
    thread_ = CKernelHandle(info_.hThread);
}

ChildProcess::~ChildProcess()
{
    if (process_.IsOpen() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT)
        TerminateProcess(process_.Get(), 1);
}

DWORD ChildProcess::WaitForExit(DWORD milliseconds)
{
    if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

bool ChildProcess::WaitForIdle(DWORD milliseconds)
{
    return WaitForInputIdle(info_.hProcess, milliseconds) == 0;
}

std::vector<HWND> WindowsOf(DWORD processId, const std::wstring& caption)
{
    WindowQuery query{processId, caption, false, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

std::vector<HWND> DialogsCaptioned(const std::wstring& caption)
{
    WindowQuery query{0, caption, true, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD done = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
}

std::string ReadFileBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes(static_cast<std::size_t>(GetFileSize(file, nullptr)), '\0');
    DWORD done = 0;
    if (!bytes.empty())
        ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
    return bytes;
}

bool PathExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> NamesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const CFindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!search.IsOpen())
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(search.Get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}
