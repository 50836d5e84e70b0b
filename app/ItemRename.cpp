#include "ItemRename.h"

#include "shell/Path.h"

#include <windows.h>

namespace {

const DWORD kProtectingAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The attributes SetFileAttributesW takes back as they were read.
DWORD Settable(DWORD attributes)
{
    const DWORD settable = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                         FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                                         FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_TEMPORARY);
    return settable ? settable : FILE_ATTRIBUTE_NORMAL;
}

// MoveFileW never replaces an existing item. An item whose attributes stop
// the move is let go of them for the move only, and gets them back wherever
// it ends up.
bool Move(const std::wstring& from, const std::wstring& to)
{
    if (MoveFileW(from.c_str(), to.c_str()))
        return true;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
        return false;
    const DWORD attributes = GetFileAttributesW(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & kProtectingAttributes))
        return false;
    if (!SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_NORMAL))
        return false;
    const bool moved = MoveFileW(from.c_str(), to.c_str()) != FALSE;
    SetFileAttributesW((moved ? to : from).c_str(), Settable(attributes));
    return moved;
}

}  // namespace

bool RenameItem(const std::wstring& given, const CAffixRule& rule)
{
    // Split the full path, so that a relative, drive-relative or slash-separated
    // one is renamed in its own folder and not in the current one.
    std::wstring path = GetFullPath(given);
    while (path.size() > 1 && path.back() == L'\\' && path[path.size() - 2] != L':')
        path.pop_back();
    const std::wstring name = GetFileName(path);
    if (name.empty() || name.size() >= path.size() || name.find_first_of(L"\\:") != std::wstring::npos)
        return false;  // a drive or share root has no name to change
    const std::wstring folder = path.substr(0, path.size() - name.size());
    const std::wstring extension = GetExtension(name);
    const std::wstring base = name.substr(0, name.size() - extension.size());
    const std::wstring newName = rule.Apply(base) + extension;
    if (newName.empty())
        return false;
    // The new path is made full as well, so that separators and dots the affix
    // brings mean the same at any length (a \\?\ path takes them literally).
    return Move(ExtendedPath(path), ExtendedPath(GetFullPath(folder + newName)));
}
