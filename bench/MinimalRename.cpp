// The least a Windows program can do to rename one file: the start-up floor
// for a command-line run.
#include <windows.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments && count == 3)
        MoveFileW(arguments[1], arguments[2]);
    LocalFree(arguments);
    return 0;
}
