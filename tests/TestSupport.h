#pragma once

#include "shell/Holders.h"

#include <windows.h>

#include <string>
#include <vector>

// A private temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// The folder that holds the running test program (and brindle.exe).
std::wstring ProgramFolder();

// Copies brindle.exe into the folder, so that its settings file is private.
std::wstring CopyProgramInto(const TempFolder& folder);

// A started process, waited for and closed when it goes.
class ChildProcess {
public:
    ChildProcess(const std::wstring& program, const std::wstring& arguments,
                 const std::wstring& currentFolder);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return info_.hProcess != nullptr; }
    DWORD Id() const { return info_.dwProcessId; }
    // Waits up to the limit; the exit code, or STILL_ACTIVE when it did not end.
    DWORD WaitForExit(DWORD milliseconds = 30000);
    // Waits until the process sits idle in its message loop.
    bool WaitForIdle(DWORD milliseconds = 30000);

private:
    PROCESS_INFORMATION info_ = {};
    CKernelHandle process_, thread_;  // info_'s, closed when it goes
};

// Every top-level window of the process with the given caption.
std::vector<HWND> WindowsOf(DWORD processId, const std::wstring& caption);
// Every top-level dialog window with the given caption, of any process.
std::vector<HWND> DialogsCaptioned(const std::wstring& caption);

// Small file helpers for tests on real files.
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// The whole file, or "<missing>".
std::string ReadFileBytes(const std::wstring& path);
bool PathExists(const std::wstring& path);
// The names in a folder, sorted.
std::vector<std::wstring> NamesIn(const std::wstring& folder);
