// press_button.exe CAPTION ID: clicks control ID of the top-level window with
// that caption, the way a user's click would (for pictures of menus).
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    int result = 1;
    if (arguments && count == 3) {
        const HWND window = FindWindowW(nullptr, arguments[1]);
        const HWND button = window ? GetDlgItem(window, static_cast<int>(std::wcstol(arguments[2], nullptr, 10))) : nullptr;
        if (button) {
            SetForegroundWindow(window);
            PostMessageW(button, BM_CLICK, 0, 0);
            result = 0;
        }
    }
    LocalFree(arguments);
    return result;
}
