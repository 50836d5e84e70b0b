#include "shell/SendTo.h"

#include "shell/Holders.h"
#include "shell/Path.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

std::wstring GetSendToFolder()
{
    LPITEMIDLIST list = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, CSIDL_SENDTO, &list) != S_OK)
        return std::wstring();
    const CShellMemory held(list);
    wchar_t folder[520] = {};
    return SHGetPathFromIDListW(list, folder) ? std::wstring(folder) : std::wstring();
}

std::wstring GetShortcutPath(const std::wstring& folder)
{
    return folder + L"Brindle.lnk";
}

bool CreateShortcut(const std::wstring& target, const std::wstring& arguments, const std::wstring& workingFolder,
                    const std::wstring& linkPath)
{
    const CComApartment apartment;
    IShellLinkW* rawLink = nullptr;
    if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                         reinterpret_cast<void**>(&rawLink)) != S_OK)
        return false;
    const boost::intrusive_ptr<IShellLinkW> link = Adopt(rawLink);
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    link->SetWorkingDirectory(workingFolder.c_str());
    IPersistFile* rawFile = nullptr;
    if (link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)) != S_OK)
        return false;
    const boost::intrusive_ptr<IPersistFile> file = Adopt(rawFile);
    return SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}

std::wstring SendToShortcutPath()
{
    // Without a Send To folder there is no shortcut: never one relative to
    // the current folder.
    const std::wstring folder = GetSendToFolder();
    return folder.empty() ? std::wstring() : GetShortcutPath(AddBackslash(folder));
}

bool IsRegisteredInSendTo()
{
    const std::wstring shortcut = SendToShortcutPath();
    return !shortcut.empty() && PathFileExistsW(shortcut.c_str());
}

void RegisterInSendTo(bool registered)
{
    const std::wstring shortcut = SendToShortcutPath();
    if (shortcut.empty())
        return;
    if (registered) {
        CreateShortcut(GetModulePath(), L"", L"", shortcut);
    } else {
        SetFileAttributesW(shortcut.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(shortcut.c_str());
    }
}
