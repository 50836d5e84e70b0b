#include "ItemRename.h"

#include "NameCheck.h"
#include "shell/Path.h"

#include <windows.h>

namespace {

const DWORD kProtectingAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
// What SetFileAttributesW cannot set: the kind of item and how it is stored
// (integrity stream 0x8000, recall on open 0x40000 and on data access
// 0x400000 are missing from older headers).
const DWORD kFixedAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_NORMAL |
                               FILE_ATTRIBUTE_SPARSE_FILE | FILE_ATTRIBUTE_REPARSE_POINT |
                               FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_ENCRYPTED | FILE_ATTRIBUTE_VIRTUAL |
                               0x8000 | 0x40000 | 0x400000;
// What every version of SetFileAttributesW takes.
const DWORD kClassicAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                                 FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_TEMPORARY;

// Gives an item back the attributes it had: all of them where the system
// takes them, else those every system does.
void RestoreAttributes(const std::wstring& path, DWORD attributes)
{
    const DWORD settable = attributes & ~kFixedAttributes;
    if (SetFileAttributesW(path.c_str(), settable ? settable : FILE_ATTRIBUTE_NORMAL))
        return;
    const DWORD classic = attributes & kClassicAttributes;
    SetFileAttributesW(path.c_str(), classic ? classic : FILE_ATTRIBUTE_NORMAL);
}

// Wine stands in for Windows on Linux file systems, where names count UTF-8
// bytes and where its no-replace move replaces links it cannot see.
bool UnderWine()
{
    static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll"), "wine_get_version") != nullptr;
    return wine;
}

// A rename within the volume: never replaces anything the caller did not
// claim and never copies (a copy cut short would leave half a file behind).
// An item whose attributes stop the move is let go of them for the move
// only, and gets them back wherever it ends up.
bool Move(const std::wstring& from, const std::wstring& to, DWORD flags)
{
    if (MoveFileExW(from.c_str(), to.c_str(), flags))
        return true;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS || error == ERROR_NOT_SAME_DEVICE)
        return false;
    const DWORD attributes = GetFileAttributesW(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & kProtectingAttributes))
        return false;
    if (!SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_NORMAL))
        return false;
    const bool moved = MoveFileExW(from.c_str(), to.c_str(), flags) != FALSE;
    RestoreAttributes(moved ? to : from, attributes);
    return moved;
}

// Windows' move refuses any entry at the target. Under Wine a symbolic link
// there (dangling, or in a loop) is hidden from every lookup and would be
// replaced, yet nothing can be made over it: a new empty file claims the name
// first, and the move replaces only that. A folder cannot replace a file, so
// for one a folder is made and removed again to show the name is free.
bool MoveToFreeName(const std::wstring& from, const std::wstring& to)
{
    if (!UnderWine())
        return Move(from, to, 0);
    const DWORD attributes = GetFileAttributesW(from.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (!CreateDirectoryW(to.c_str(), nullptr))
            return false;
        RemoveDirectoryW(to.c_str());
        return Move(from, to, 0);
    }
    const HANDLE claim = CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (claim == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(claim);
    if (Move(from, to, MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileW(to.c_str());
    return false;
}

// The item answers to exactly the name it was given.
bool FoundAs(const std::wstring& target)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(target.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return GetFileName(target) == found.cFileName;
}

// When the item was last written, in local time.
bool LastWritten(const std::wstring& path, TagTime& time)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    SYSTEMTIME universal, local;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        !FileTimeToSystemTime(&data.ftLastWriteTime, &universal) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        return false;
    time = TagTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
    return true;
}

// The longest path that file calls take, \\?\ included.
const std::size_t kMaxPathUnits = 32767;

}  // namespace

std::wstring ComposeCanonically(const std::wstring& text)
{
    if (text.empty())
        return text;
    const int size = static_cast<int>(text.size());
    int room = NormalizeString(NormalizationC, text.c_str(), size, nullptr, 0);
    // The first answer is an estimate: grow while the system asks for more.
    for (int tries = 0; room > 0 && tries < 4; ++tries) {
        std::wstring composed(static_cast<std::size_t>(room), L'\0');
        const int length = NormalizeString(NormalizationC, text.c_str(), size, &composed[0], room);
        if (length > 0) {
            composed.resize(static_cast<std::size_t>(length));
            return composed;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
        room = -length;
    }
    return text;
}

bool RenameItem(const std::wstring& given, const CAffixRule& rule, RenamedItem* done)
{
    // Split the full path, so that a relative, drive-relative or slash-separated
    // one is renamed in its own folder and not in the current one.
    std::wstring path = given;
    while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/') && path[path.size() - 2] != L':')
        path.pop_back();
    path = GetFullItemPath(path);
    const std::wstring name = GetFileName(path);
    if (name.empty() || name.size() >= path.size() || name.find_first_of(L"\\:") != std::wstring::npos)
        return false;  // a drive or share root has no name to change
    const std::wstring folder = path.substr(0, path.size() - name.size());
    TagTime written = {};
    if (rule.UsesItemTime() && !LastWritten(LiteralPath(path), written))
        return false;
    const std::wstring newName = rule.UsesItemTime() ? rule.ForItem(written).NewName(name) : rule.NewName(name);
    if (newName.empty() || !IsCreatableName(newName, UnderWine() ? kMaxNameUnits : 0))
        return false;
    // The new path is made full as well, so that separators and dots the affix
    // brings mean the same at any length. Both are then taken literally, so a
    // name's trailing dots and spaces stay its own.
    const std::wstring from = LiteralPath(path), to = LiteralPath(GetFullItemPath(folder + newName));
    if (to.size() >= kMaxPathUnits || !MoveToFreeName(from, to))
        return false;
    // A file system that quietly made another name of it: back it goes.
    if (!FoundAs(to)) {
        MoveFileExW(to.c_str(), from.c_str(), 0);
        return false;
    }
    if (done)
        *done = RenamedItem{to, from};
    return true;
}

bool RenameBack(const RenamedItem& renamed)
{
    if (!FoundAs(renamed.now) || !MoveToFreeName(renamed.now, renamed.before))
        return false;
    if (!FoundAs(renamed.before)) {
        MoveFileExW(renamed.before.c_str(), renamed.now.c_str(), 0);
        return false;
    }
    return true;
}
