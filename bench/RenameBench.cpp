// Renaming 10,000 files in one drop, against bare MoveFileW calls on the same
// files; and a command-line run of brindle.exe that renames one file, start to
// exit, against a minimal program that does only that rename; and reading a
// drop of 100,000 names against one of 1,000, a name each.
#include "BenchSupport.h"
#include "DropBuilder.h"
#include "app/Brindle.h"
#include "app/DropFile.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::wstring MakeFolder()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"brindle-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

double Seconds(const std::function<void()>& work)
{
    return MicrosecondsPerCall(1, [&](int) { work(); }) / 1e6;
}

// Starts the program with the arguments and waits for it to end.
void RunToExit(const std::wstring& program, const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// Microseconds a name to read every name of a drop of that many.
double ReadingADrop(std::size_t names)
{
    const std::vector<std::wstring> paths(names, L"C:\\users\\someone\\photos\\IMG_0001.JPG");
    HDROP drop = MakeDrop(paths);
    std::size_t read = 0;
    const double seconds = Seconds([&] {
        CDropFile file(drop);
        while (!file.Next().empty())
            ++read;
    });
    return read == names ? seconds * 1e6 / static_cast<double>(names) : 0;
}

std::wstring BesideThisProgram(const wchar_t* name)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

}  // namespace

// "rename_bench startup" measures only the start-up.
int main(int argc, char** argv)
{
    const bool startupOnly = argc > 1 && std::string(argv[1]) == "startup";
    const int files = startupOnly ? 1 : 10000;
    const std::wstring folder = MakeFolder();
    std::vector<std::wstring> plain, affixed;
    for (int i = 0; i < files; ++i) {
        const std::wstring name = L"file " + std::to_wstring(i) + L".txt";
        plain.push_back(folder + L"\\" + name);
        affixed.push_back(folder + L"\\x_" + name);
        CloseHandle(CreateFileW(plain.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    }

    CBrindle brindle({}, L"", AffixPosition::FromDialog);
    brindle.CreateFromTemplate(CBrindle::TemplateId);
    SetWindowTextW(brindle.affixBox->m_hWnd, L"x_");
    brindle.headButton->SetCheck(BST_CHECKED);

    // Alternate: the drop adds the affix, bare calls take it off again.
    double engine = 1e9, bare = 1e9;
    for (int round = 0; round < (startupOnly ? 0 : 3); ++round) {
        engine = std::min(engine, Seconds([&] {
            SendMessageW(brindle.m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(plain)), 0);
        }));
        bare = std::min(bare, Seconds([&] {
            for (int i = 0; i < files; ++i)
                MoveFileW(affixed[static_cast<std::size_t>(i)].c_str(), plain[static_cast<std::size_t>(i)].c_str());
        }));
    }
    if (!startupOnly)
        Report("drop of 10,000 files, per file", engine * 1e6 / files, bare * 1e6 / files);

    // Linear: a name of 100,000 costs what a name of 1,000 does.
    if (!startupOnly)
        Report("reading a drop of 100,000 names, per name", ReadingADrop(100000), ReadingADrop(1000));

    // Start-up: one file, renamed back and forth by each program in turn.
    const std::wstring brindleExe = BesideThisProgram(L"brindle.exe");
    const std::wstring minimalExe = BesideThisProgram(L"minimal_rename.exe");
    const std::wstring one = L"\"" + plain[0] + L"\"";
    double full = 1e9, minimal = 1e9;
    for (int round = 0; round < 5; ++round) {
        full = std::min(full, Seconds([&] { RunToExit(brindleExe, L"-a x_ -p " + one); }));
        minimal = std::min(minimal, Seconds([&] { RunToExit(minimalExe, L"\"" + affixed[0] + L"\" " + one); }));
    }
    Report("command-line run of one file, start to exit", full * 1e6, minimal * 1e6);

    for (int i = 0; i < files; ++i) {
        DeleteFileW(plain[static_cast<std::size_t>(i)].c_str());
        DeleteFileW(affixed[static_cast<std::size_t>(i)].c_str());
    }
    RemoveDirectoryW(folder.c_str());
    return 0;
}
