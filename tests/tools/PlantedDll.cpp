// A DLL to plant beside a program under a system DLL's name: loaded, it
// leaves a file named "planted-ran" beside itself.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    DWORD slash = length;
    while (slash > 0 && path[slash - 1] != L'\\')
        --slash;
    lstrcpynW(path + slash, L"planted-ran", MAX_PATH - static_cast<int>(slash));
    CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return TRUE;
}
