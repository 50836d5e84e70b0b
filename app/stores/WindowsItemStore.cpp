#include "app/stores/WindowsItemStore.h"

#include "app/core/NameCheck.h"
#include "app/core/PathList.h"
#include "shell/Holders.h"
#include "shell/Path.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <vector>

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

// The longest path that file calls take, \\?\ included.
const std::size_t kMaxPathUnits = 32767;


const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The item itself, ready to be renamed. On Windows a link is opened as
// itself; Wine always opens what it points to.
HANDLE OpenItem(const CItemPath& path)
{
    return CreateFileW(path.Literal().c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// The path Wine resolved an open item to (\??\Z:\...), at any length, without
// a final backslash; empty when unknown. (Wine's GetFinalPathNameByHandleW
// gives up on paths past MAX_PATH.)
std::wstring ResolvedPath(HANDLE item)
{
    using QueryObject = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const auto query = reinterpret_cast<QueryObject>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll"), "NtQueryObject")));
    const int kObjectNameInformation = 1;
    struct Name {
        USHORT length, capacity;
        wchar_t* text;
    };
    std::vector<char> buffer(sizeof(Name) + 2 * (kMaxPathUnits + 16));
    ULONG written = 0;
    if (!query || query(item, kObjectNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &written) != 0)
        return std::wstring();
    const Name* name = reinterpret_cast<const Name*>(buffer.data());
    std::wstring path(name->text, name->length / sizeof(wchar_t));
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
    return path;
}

// The name an item has in its folder, as the file system holds it: the case
// it was created with, the long name for a short one. False when it has none
// (gone, or a name that would read as a wildcard).
bool StoredName(const CItemPath& path, std::wstring& name)
{
    if (path.Name().find_first_of(L"*?") != std::wstring::npos)
        return false;
    WIN32_FIND_DATAW found;
    const CFindHandle search(FindFirstFileW(path.Literal().c_str(), &found));
    if (!search.IsOpen())
        return false;
    name = found.cFileName;
    return !name.empty();
}

// Wine shows names in resolved paths without some of their trailing dots and
// spaces: compared without any, component by component.
std::wstring WithoutTrailingDotsAndSpaces(const std::wstring& path)
{
    std::wstring result;
    for (std::size_t from = 0; from <= path.size();) {
        std::size_t end = path.find(L'\\', from);
        if (end == std::wstring::npos)
            end = path.size();
        std::size_t last = end;
        while (last > from && (path[last - 1] == L'.' || path[last - 1] == L' '))
            --last;
        result.append(path, from, last - from);
        if (end < path.size())
            result += L'\\';
        from = end + 1;
    }
    return result;
}

// An open item's identity on a volume: its index there and when it was made.
bool IdentityOf(HANDLE handle, unsigned long volume, ItemIdentity& identity, FILE_BASIC_INFO& basic)
{
    using QueryFile = LONG(WINAPI*)(HANDLE, void*, void*, ULONG, int);
    static const auto query = reinterpret_cast<QueryFile>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll"), "NtQueryInformationFile")));
    const int kFileInternalInformation = 6;
    char status[16];
    ULARGE_INTEGER index;
    if (!query || query(handle, status, &index, sizeof index, kFileInternalInformation) != 0 ||
        !GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
        return false;
    // A folder's "creation time" under Wine is its last write time, which every
    // name made or taken away in it changes: folders go by index alone.
    const bool folder = (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    identity = ItemIdentity{volume, index.HighPart, index.LowPart, folder ? 0 : basic.CreationTime.QuadPart};
    return true;
}

HANDLE OpenFolder(const std::wstring& literal)
{
    return CreateFileW(literal.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Why the system refused to open an item, or to make its new name (onTarget).
ItemReason ReasonFor(DWORD error, bool onTarget)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return ItemReason::Missing;
    case ERROR_PATH_NOT_FOUND:
        return onTarget ? ItemReason::NoFolder : ItemReason::Missing;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return ItemReason::Taken;
    case ERROR_NOT_SAME_DEVICE:
        return ItemReason::OtherVolume;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return ItemReason::InUse;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return ItemReason::Denied;
    case ERROR_FILENAME_EXCED_RANGE:
        return ItemReason::TooLong;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return ItemReason::BadName;
    default:
        return ItemReason::Failed;
    }
}

// Renames the open item to a full literal path, never over anything there.
bool RenameOpenItem(HANDLE item, const std::wstring& to)
{
    // The system's own form of the path: \??\ where Win32 writes \\?\.
    const std::wstring target = L"\\??\\" + to.substr(4);
    std::vector<char> buffer(offsetof(FILE_RENAME_INFO, FileName) + (target.size() + 1) * sizeof(wchar_t), 0);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::copy(target.begin(), target.end(), rename->FileName);
    return SetFileInformationByHandle(item, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != FALSE;
}

// A rename within the volume: never replaces anything and never copies (a
// copy cut short would leave half a file behind). An item whose attributes
// stop the rename is let go of them for the rename only, and gets them back
// wherever it ends up.
bool RenameKeepingAttributes(HANDLE item, const std::wstring& from, const std::wstring& to)
{
    if (RenameOpenItem(item, to))
        return true;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS || error == ERROR_NOT_SAME_DEVICE)
        return false;
    const DWORD attributes = GetFileAttributesW(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & kProtectingAttributes) ||
        !SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_NORMAL)) {
        SetLastError(error);
        return false;
    }
    const bool renamed = RenameOpenItem(item, to);
    const DWORD second = GetLastError();
    RestoreAttributes(renamed ? to : from, attributes);
    SetLastError(second);
    return renamed;
}

// The item answers to exactly the name it was given.
bool FoundAs(const CItemPath& target)
{
    std::wstring name;
    return StoredName(target, name) && name == target.Name();
}

// Renames the open item from one path to another, or leaves it where it was:
// Done, or why not.
ItemReason MoveItem(HANDLE item, const CItemPath& from, const CItemPath& to)
{
    const std::wstring source = from.Literal(), target = to.Literal();
    if (!RenameKeepingAttributes(item, source, target))
        return ReasonFor(GetLastError(), true);
    // A file system that quietly made another name of it: back it goes. One
    // that will not take it back leaves it there, and the run says so.
    if (!FoundAs(to))
        return RenameOpenItem(item, source) ? ItemReason::ChangedName : ItemReason::Stranded;
    return ItemReason::Done;
}

// When the item was last written, in local time by the rules of that day's
// year: daylight saving time has not always started and ended when it does now.
bool LocalTimeOf(const FILETIME& written, TagTime& time)
{
    SYSTEMTIME universal, local;
    if (!FileTimeToSystemTime(&written, &universal))
        return false;
    DYNAMIC_TIME_ZONE_INFORMATION zone;
    TIME_ZONE_INFORMATION rules;
    const bool dynamic = GetDynamicTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID;
    const auto convert = [&](WORD year) {
        return dynamic && GetTimeZoneInformationForYear(year, &zone, &rules)
                   ? SystemTimeToTzSpecificLocalTime(&rules, &universal, &local)
                   : SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local);
    };
    if (!convert(universal.wYear))
        return false;
    // New Year's Eve in one time and New Year's Day in the other.
    if (local.wYear != universal.wYear && !convert(local.wYear))
        return false;
    time = TagTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
    return true;
}

// The name compared as Windows compares names: without regard to case.
std::wstring NameKey(const std::wstring& path)
{
    std::wstring key = path;
    if (!key.empty())
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, path.c_str(), static_cast<int>(path.size()), &key[0],
                      static_cast<int>(key.size()), nullptr, nullptr, 0);
    return key;
}

// The names a folder holds, as the file system lists them; false when it
// cannot be listed.
bool ListNames(const std::wstring& literalFolder, std::vector<std::wstring>& names)
{
    const std::wstring pattern = literalFolder + (literalFolder.back() == L'\\' ? L"*" : L"\\*");
    WIN32_FIND_DATAW found;
    const CFindHandle search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                              nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search.IsOpen())
        return false;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(search.Get(), &found));
    return true;
}

// The Linux path of a path Wine resolved (\??\Z:\...), where drive Z: is the
// root, as Wine sets it up; empty for any other.
std::string UnixPathOf(const std::wstring& resolved)
{
    const std::wstring drive = L"\\??\\Z:";
    if (resolved.size() < drive.size() || NameKey(resolved.substr(0, drive.size())) != drive)
        return std::string();
    std::wstring rest = resolved.substr(drive.size());
    std::replace(rest.begin(), rest.end(), L'\\', L'/');
    std::string path;
    AppendAsUtf8(rest.empty() ? L"/" : rest, path);
    return path;
}

// A Linux file of the kind /proc holds, which tells no size: read to its end.
bool ReadToEnd(const std::wstring& path, std::string& bytes)
{
    const CFileHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    char buffer[16384];
    DWORD read = 0;
    while (file.IsOpen() && bytes.size() < (16u << 20) && ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) &&
           read > 0)
        bytes.append(buffer, read);
    return file.IsOpen() && !bytes.empty();
}

// Linux's mount table under Wine, when drive Z: is Linux's root; empty
// anywhere else.
CMountTable ReadMountTable(bool& root)
{
    root = false;
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* const zRoot = unixName ? unixName(L"Z:\\") : nullptr;
    const bool zIsRoot = zRoot && std::string(zRoot) == "/";
    if (zRoot)
        HeapFree(GetProcessHeap(), 0, zRoot);
    std::string mounts, status;
    if (!zIsRoot || !ReadToEnd(L"\\\\?\\Z:\\proc\\self\\mountinfo", mounts))
        return CMountTable();
    // The owner of every file may write it: as root only a file that Linux
    // marks immutable or append-only refuses to be written.
    if (ReadToEnd(L"\\\\?\\Z:\\proc\\self\\status", status)) {
        const std::size_t uid = status.find("\nUid:");
        const std::size_t value = uid == std::string::npos ? uid : status.find_first_not_of(" \t", uid + 5);
        root = value != std::string::npos && status.compare(value, 2, "0\t") == 0;
    }
    return CMountTable(mounts);
}


// An item the store opened: its handle, closed when it goes.
class CWindowsOpenedItem : public COpenedItem {
public:
    explicit CWindowsOpenedItem(HANDLE handle) : handle_(handle) {}
    HANDLE Get() const { return handle_.Get(); }
    DWORD attributes = 0;
    std::wstring resolved;  // under Wine: the path Wine resolves it to

private:
    CFileHandle handle_;
};

// Opens the item and reads what every store knows of it.
ItemReason Open(const CItemPath& path, const StoredFolder& folder, std::unique_ptr<CWindowsOpenedItem>& opened)
{
    opened.reset(new CWindowsOpenedItem(OpenItem(path)));
    if (opened->Get() == INVALID_HANDLE_VALUE)
        return ReasonFor(GetLastError(), false);
    FILE_BASIC_INFO basic;
    if (!IdentityOf(opened->Get(), folder.identity.volume, opened->identity, basic))
        return ItemReason::Failed;
    opened->written = basic.LastWriteTime.QuadPart;
    opened->attributes = basic.FileAttributes;
    opened->folder = (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return ItemReason::Done;
}

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


ItemResult KeptItem(const std::wstring& given, ItemReason reason)
{
    return KeptItem(ResolveItemPath(given), reason);
}

std::unique_ptr<CItemStore> MakeItemStore()
{
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll"), "wine_get_version") != nullptr;
    return wine ? std::unique_ptr<CItemStore>(new CWineItemStore) : std::unique_ptr<CItemStore>(new CWindowsItemStore);
}

CItemPath CWindowsItemStore::Resolve(const std::wstring& given) const
{
    return ResolveItemPath(given);
}

std::wstring CWindowsItemStore::Key(const std::wstring& name) const
{
    return NameKey(name);
}

// A name of only dots and spaces is none: Windows reads "..." as the folder
// it is in.
bool CWindowsItemStore::CanBeNamed(const std::wstring& name) const
{
    return IsCreatableName(name) && name.find_first_not_of(L". ") != std::wstring::npos;
}

NameFault CWindowsItemStore::CheckNewName(const std::wstring& relative) const
{
    return CheckName(relative, NameBytes());
}

bool CWindowsItemStore::Fits(const CItemPath& path) const
{
    return path.Literal().size() < kMaxPathUnits;
}

ItemReason CWindowsItemStore::OpenFolderOf(const CItemPath& item, StoredFolder& folder)
{
    const CFileHandle handle(OpenFolder(item.LiteralFolder()));
    BY_HANDLE_FILE_INFORMATION info;
    FILE_BASIC_INFO basic;
    if (!handle.IsOpen())
        return ReasonFor(GetLastError(), false);
    if (!GetFileInformationByHandle(handle.Get(), &info) ||
        !IdentityOf(handle.Get(), info.dwVolumeSerialNumber, folder.identity, basic))
        return ItemReason::Failed;
    Describe(handle.Get(), folder);
    return ItemReason::Done;
}

bool CWindowsItemStore::ListFolderOf(const CItemPath& item, std::vector<std::wstring>& names)
{
    ListNames(item.LiteralFolder(), names);
    return true;
}

ItemReason CWindowsItemStore::OpenItem(const CItemPath& path, const StoredFolder& folder,
                                       std::unique_ptr<COpenedItem>& item)
{
    std::unique_ptr<CWindowsOpenedItem> opened;
    const ItemReason reason = Open(path, folder, opened);
    if (reason != ItemReason::Done)
        return reason;
    if (!StoredName(path, opened->name))
        return ItemReason::Missing;
    item = std::move(opened);
    return ItemReason::Done;
}

ItemReason CWindowsItemStore::Move(COpenedItem& item, const CItemPath& from, const CItemPath& to)
{
    return MoveItem(static_cast<CWindowsOpenedItem&>(item).Get(), from, to);
}

bool CWindowsItemStore::LocalTime(const COpenedItem& item, TagTime& time) const
{
    const FILETIME written{static_cast<DWORD>(item.written), static_cast<DWORD>(item.written >> 32)};
    return LocalTimeOf(written, time);
}

CWineItemStore::CWineItemStore() : mounts_(ReadMountTable(root_)) {}

std::size_t CWineItemStore::NameBytes() const
{
    return kMaxNameUnits;
}

// Where Wine resolves the folder (links followed), for the items' own test
// and for the mount it lies on.
void CWineItemStore::Describe(void* handle, StoredFolder& folder) const
{
    const std::wstring& resolved = resolvedFolders_[folder.identity] = ResolvedPath(handle);
    folder.mount = mounts_.MountOf(UnixPathOf(resolved));
    folder.readOnly = mounts_.IsReadOnly(folder.mount);
}

// The item behind the handle is the item named when Wine resolves it to its
// own folder (resolved the same way) and its own name: every call on a
// symbolic link reaches what it points to, and a rename would move that. A
// link to a namesake that differs only in trailing dots or spaces goes unseen.
ItemReason CWineItemStore::OpenItem(const CItemPath& path, const StoredFolder& folder,
                                    std::unique_ptr<COpenedItem>& item)
{
    std::unique_ptr<CWindowsOpenedItem> opened;
    const ItemReason reason = Open(path, folder, opened);
    if (reason != ItemReason::Done)
        return reason;
    opened->resolved = ResolvedPath(opened->Get());
    const std::wstring& resolved = opened->resolved;
    const std::size_t slash = resolved.find_last_of(L'\\');
    // Wine resolves to the stored name, less trailing dots and spaces: only a
    // name that has them, or is spelled otherwise, needs to be looked up.
    if (slash != std::wstring::npos && resolved.compare(slash + 1, std::wstring::npos, path.Name()) == 0)
        opened->name = path.Name();
    else if (!StoredName(path, opened->name))
        return ItemReason::Missing;
    const auto described = resolvedFolders_.find(folder.identity);
    if (resolved.empty() || described == resolvedFolders_.end() || described->second.empty())
        return ItemReason::Failed;
    opened->mountPoint = mounts_.IsMountPoint(UnixPathOf(resolved));
    const bool itself = WithoutTrailingDotsAndSpaces(resolved) ==
                        WithoutTrailingDotsAndSpaces(described->second + L"\\" + opened->name);
    item = std::move(opened);
    return itself ? ItemReason::Done : ItemReason::Link;
}

// Windows' rename refuses any entry at the target. Under Wine a symbolic
// link there (dangling, or in a loop) is hidden from every lookup and every
// listing and would be replaced, yet nothing can be made over it: a new file
// made there shows the name is free. Wine deletes it when it is closed, or
// when the program is killed before that, whatever its attributes; only a
// wineserver killed in between leaves it.
ItemReason CWineItemStore::CheckFree(const CItemPath& target)
{
    const CFileHandle probe(CreateFileW(target.Literal().c_str(), DELETE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return probe.IsOpen() ? ItemReason::Done : ReasonFor(GetLastError(), true);
}

// Linux refuses to rename a file it marks immutable or append-only, and
// refuses to open it for writing: as root nothing else does. (Only a plain
// file: opening a pipe for writing would wait for a reader.)
ItemReason CWineItemStore::CouldMove(const COpenedItem& item, const CItemPath& from, const CItemPath&)
{
    const auto& opened = static_cast<const CWindowsOpenedItem&>(item);
    const DWORD unasked = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT;
    if (!root_ || (opened.attributes & unasked) || GetFileType(opened.Get()) != FILE_TYPE_DISK)
        return ItemReason::Done;
    const CFileHandle writable(
        CreateFileW(from.Literal().c_str(), FILE_WRITE_DATA, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    return writable.IsOpen() || GetLastError() != ERROR_ACCESS_DENIED ? ItemReason::Done : ItemReason::Denied;
}
