// Loads a system DLL by name, after the program's own protection when asked
// ("protected"), and ends with 0 when it came from the system folder, 1 when
// from anywhere else, 2 when it could not be loaded.
#include "shell/Path.h"

#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return 2;
    if (argc > 2 && lstrcmpW(argv[2], L"protected") == 0)
        LoadOnlySystemDlls();
    const HMODULE module = LoadLibraryW(argv[1]);
    if (!module)
        return 2;
    wchar_t loaded[MAX_PATH] = {}, system[MAX_PATH] = {};
    GetModuleFileNameW(module, loaded, MAX_PATH);
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    return CompareStringOrdinal(loaded, static_cast<int>(length), system, static_cast<int>(length), TRUE) == CSTR_EQUAL &&
                   loaded[length] == L'\\'
               ? 0
               : 1;
}
