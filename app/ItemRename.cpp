#include "ItemRename.h"

#include "NameCheck.h"
#include "PathList.h"
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

// Wine stands in for Windows on Linux file systems, where names count UTF-8
// bytes and where its no-replace move replaces links it cannot see.
bool UnderWine()
{
    static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll"), "wine_get_version") != nullptr;
    return wine;
}

// The longest path that file calls take, \\?\ included.
const std::size_t kMaxPathUnits = 32767;

// An open file or folder, closed when it goes.
class CItemHandle {
public:
    explicit CItemHandle(HANDLE handle) : handle_(handle) {}
    ~CItemHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    CItemHandle(const CItemHandle&) = delete;
    CItemHandle& operator=(const CItemHandle&) = delete;
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

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
    const HANDLE search = FindFirstFileW(path.Literal().c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
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

// The identity of the item at a path, and its times.
bool IdentityAt(const CItemPath& path, ItemIdentity& identity, FILE_BASIC_INFO& basic)
{
    const CItemHandle handle(OpenItem(path));
    BY_HANDLE_FILE_INFORMATION info;
    return handle.IsOpen() && GetFileInformationByHandle(handle.Get(), &info) &&
           IdentityOf(handle.Get(), info.dwVolumeSerialNumber, identity, basic);
}

// A folder's facts, from a handle to it: false when they cannot be read.
bool FactsOf(HANDLE folder, FolderFacts& facts)
{
    BY_HANDLE_FILE_INFORMATION info;
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandle(folder, &info) ||
        !IdentityOf(folder, info.dwVolumeSerialNumber, facts.identity, basic))
        return false;
    if (UnderWine())
        facts.resolved = ResolvedPath(folder);
    return true;
}

HANDLE OpenFolder(const std::wstring& literal)
{
    return CreateFileW(literal.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

// What the program knows of an item it opened to rename.
struct OpenedItem {
    ItemIdentity identity;
    FILETIME written;
    DWORD attributes = 0;
    std::wstring name;      // as the file system holds it
    std::wstring resolved;  // under Wine: the path Wine resolves it to
};

namespace {

// The item behind the handle, named by path in the folder described by
// folder: Done when it is known and is the item named. Under Wine every call
// on a symbolic link reaches what it points to, and a rename moves that: the
// item is itself when Wine resolves it to its own folder (resolved the same
// way) and its own name. A link to a namesake that differs only in trailing
// dots or spaces goes unseen.
ItemReason Inspect(HANDLE handle, const CItemPath& path, const FolderFacts& folder, OpenedItem& item)
{
    FILE_BASIC_INFO basic;
    if (!IdentityOf(handle, folder.identity.volume, item.identity, basic))
        return ItemReason::Failed;
    item.written = FILETIME{basic.LastWriteTime.LowPart, static_cast<DWORD>(basic.LastWriteTime.HighPart)};
    item.attributes = basic.FileAttributes;
    if (!UnderWine())
        return StoredName(path, item.name) ? ItemReason::Done : ItemReason::Missing;
    item.resolved = ResolvedPath(handle);
    const std::wstring& resolved = item.resolved;
    const std::size_t slash = resolved.find_last_of(L'\\');
    // Wine resolves to the stored name, less trailing dots and spaces: only a
    // name that has them, or is spelled otherwise, needs to be looked up.
    if (slash != std::wstring::npos && resolved.compare(slash + 1, std::wstring::npos, path.Name()) == 0)
        item.name = path.Name();
    else if (!StoredName(path, item.name))
        return ItemReason::Missing;
    if (resolved.empty() || folder.resolved.empty())
        return ItemReason::Failed;
    return WithoutTrailingDotsAndSpaces(resolved) == WithoutTrailingDotsAndSpaces(folder.resolved + L"\\" + item.name)
               ? ItemReason::Done
               : ItemReason::Link;
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

// Windows' rename refuses any entry at the target. Under Wine a symbolic
// link there (dangling, or in a loop) is hidden from every lookup and would be
// replaced, yet nothing can be made over it: a new file made there shows the
// name is free. The system deletes it when it is closed, or when the program
// is killed before that, whatever its attributes: it never stays behind.
// Done when the name is free; else why not.
// Windows' rename refuses any entry at the target. Under Wine a symbolic
// link there (dangling, or in a loop) is hidden from every lookup and every
// listing and would be replaced, yet nothing can be made over it: a new file
// made there shows the name is free. Wine deletes it when it is closed, or
// when the program is killed before that, whatever its attributes; only a
// wineserver killed in between leaves it. Done when the name is free; else
// why not.
ItemReason ProbeUnderWine(const std::wstring& to)
{
    const CItemHandle probe(CreateFileW(to.c_str(), DELETE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return probe.IsOpen() ? ItemReason::Done : ReasonFor(GetLastError(), true);
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
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

// A name of only dots and spaces: Windows can hold no such item, and reads
// "..." as the folder it is in.
bool OnlyDotsAndSpaces(const std::wstring& name)
{
    return name.find_first_not_of(L". ") == std::wstring::npos;
}

// Whether text starts with the folder path prefix and goes on below it.
bool IsBelow(const std::wstring& text, const std::wstring& folder)
{
    return text.size() > folder.size() && text.compare(0, folder.size(), folder) == 0 && text[folder.size()] == L'\\';
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
    const CItemHandle file(
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

}  // namespace

// A folder as the run knows it.
struct CRenameRun::Folder {
    FolderFacts facts;
    CFolderNames names;
};

CRenameRun::CRenameRun(const CAffixRule& rule, bool dryRun) : rule_(rule), dryRun_(dryRun) {}

CRenameRun::~CRenameRun() = default;

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

const ItemResult& CRenameRun::Rename(const std::wstring& given)
{
    results_.push_back(Attempt(given));
    return results_.back();
}

const ItemResult& CRenameRun::Keep(const std::wstring& given, ItemReason reason)
{
    results_.push_back(KeptItem(given, reason));
    return results_.back();
}

bool CRenameRun::AllRenamed() const
{
    return std::all_of(results_.begin(), results_.end(), [](const ItemResult& r) { return r.Succeeded(); });
}

CItemPath CRenameRun::OnDisk(const CItemPath& path) const
{
    if (!dryRun_ || movedFolders_.empty())
        return path;
    const std::wstring full = path.Full();
    for (std::size_t slash = full.rfind(L'\\'); slash != std::wstring::npos && slash > 0;
         slash = full.rfind(L'\\', slash - 1)) {
        const auto moved = movedFolders_.find(full.substr(0, slash));
        if (moved != movedFolders_.end())
            return ResolveItemPath(moved->second + full.substr(slash));
    }
    return path;
}

bool CRenameRun::InMovedFolder(const CItemPath& path) const
{
    const std::wstring full = path.Folder();
    for (std::size_t slash = full.find(L'\\'); slash != std::wstring::npos; slash = full.find(L'\\', slash + 1)) {
        const std::wstring folder = full.substr(0, slash);
        if (renamedPaths_.count(folder))
            return true;
        if (!renamedKeys_.count(NameKey(folder)))
            continue;
        // Spelled otherwise: the same folder where the system says so (Linux
        // may hold a twin that differs in case).
        const CItemHandle handle(OpenFolder(ResolveItemPath(folder).Literal()));
        FolderFacts facts;
        if (!handle.IsOpen() || (FactsOf(handle.Get(), facts) && renamedItems_.count(facts.identity)))
            return true;
    }
    return false;
}

CRenameRun::Folder* CRenameRun::FolderOf(const CItemPath& path)
{
    const CItemPath where = OnDisk(path);
    const std::wstring literal = where.LiteralFolder();
    const auto known = folderPaths_.find(literal);
    if (known != folderPaths_.end())
        return known->second;
    const CItemHandle handle(OpenFolder(literal));
    FolderFacts facts;
    if (!handle.IsOpen())
        return nullptr;
    if (!FactsOf(handle.Get(), facts)) {
        SetLastError(ERROR_GEN_FAILURE);
        return nullptr;
    }
    auto& folder = folders_[facts.identity];
    if (!folder) {
        // Reached again by another path (a link to it, a share): the same
        // folder and the same names.
        std::vector<std::wstring> names;
        ListNames(literal, names);
        if (UnderWine()) {
            if (!mountsRead_)
                mounts_ = ReadMountTable(root_), mountsRead_ = true;
            facts.mount = mounts_.MountOf(UnixPathOf(facts.resolved));
        }
        folder.reset(new Folder{facts, CFolderNames(names, NameKey)});
    }
    folderPaths_.emplace(literal, folder.get());
    return folder.get();
}

ItemResult CRenameRun::NamedBefore(std::size_t earlier, const CItemPath& given) const
{
    // Counted once, as the run renamed it.
    ItemResult result = results_[earlier];
    if (NameKey(given.Full()) == NameKey(result.from.Full())) {
        result.reason = ItemReason::Again;
    } else {
        result.reason = ItemReason::SameItem;
        result.from = given;
    }
    return result;
}

ItemResult CRenameRun::Attempt(const std::wstring& text)
{
    ItemResult result = KeptItem(text, ItemReason::Failed);
    const CItemPath given = result.from;
    const auto kept = [&result](ItemReason reason) {
        result.reason = reason;
        return result;
    };
    if (!given.HasName() || !IsCreatableName(given.Name()) || OnlyDotsAndSpaces(given.Name()))
        return kept(ItemReason::NotAnItem);
    // Named again exactly as before, or below a folder the run renamed.
    const auto earlier = renamedPaths_.find(given.Full());
    if (earlier != renamedPaths_.end())
        return NamedBefore(earlier->second, given);
    if (InMovedFolder(given))
        return kept(ItemReason::FolderMoved);
    Folder* const folder = FolderOf(given);
    if (!folder)
        return kept(ReasonFor(GetLastError(), false));
    // The item the folder's names answer for the name given.
    const CFolderNames::Entry* entry = folder->names.Find(given.Name());
    if (entry && entry->state == CFolderNames::State::Vacated)
        return NamedBefore(entry->result, given);
    if (entry && entry->state == CFolderNames::State::Added)
        return NamedBefore(entry->result, given);  // by the name this run gave it
    const CItemPath from = given.Sibling(entry ? entry->name : given.Name());
    const CItemHandle handle(OpenItem(OnDisk(from)));
    if (!handle.IsOpen())
        return kept(ReasonFor(GetLastError(), false));
    OpenedItem opened;
    const ItemReason inspected = Inspect(handle.Get(), OnDisk(from), folder->facts, opened);
    if (inspected != ItemReason::Done)
        return kept(inspected);
    const auto renamed = renamedItems_.find(opened.identity);
    if (renamed != renamedItems_.end())
        return NamedBefore(renamed->second, given);  // another of its names: a hard link, another folder's path
    result.from = from.Sibling(opened.name);
    result.identity = opened.identity;

    TagTime local = {};
    if (rule_.UsesItemTime() && !LocalTimeOf(opened.written, local))
        return kept(ItemReason::NoTime);
    const std::wstring newName =
        rule_.UsesItemTime() ? rule_.ForItem(local).NewName(opened.name) : rule_.NewName(opened.name);
    if (newName.empty())
        return kept(ItemReason::OneWay);
    switch (CheckName(newName, UnderWine() ? kMaxNameUnits : 0)) {
    case NameFault::Invalid:
        return kept(ItemReason::BadName);
    case NameFault::TooLong:
        return kept(ItemReason::TooLong);
    case NameFault::None:
        break;
    }
    const CItemPath target = result.from.Sibling(newName);
    result.to = target;  // planned, whether or not it can be
    Folder* into = nullptr;
    ItemReason moved = CheckMove(result.from, given, opened, target, *folder, into);
    if (moved == ItemReason::Done)
        moved = dryRun_ ? WouldWrite(handle.Get(), result.from, opened) : MoveItem(handle.Get(), result.from, target);
    if (moved != ItemReason::Done)
        return kept(moved);
    result.status = dryRun_ ? ItemStatus::WouldRename : ItemStatus::Renamed;
    result.reason = ItemReason::Done;
    Record(result, given, *folder, *into);
    return result;
}

ItemReason CRenameRun::CheckMove(const CItemPath& from, const CItemPath& given, const OpenedItem& opened,
                                 const CItemPath& target, Folder& folder, Folder*& into)
{
    const std::wstring targetFull = target.Full();
    if (IsBelow(targetFull, from.Full()) || IsBelow(targetFull, given.Full()))
        return ItemReason::InsideItself;
    if (InMovedFolder(target))
        return ItemReason::NoFolder;
    into = target.LiteralFolder() == from.LiteralFolder() ? &folder : FolderOf(target);
    if (!into) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? ItemReason::NoFolder : ReasonFor(error, true);
    }
    if (!into->names.IsFree(target.Name()))
        return ItemReason::Taken;
    if (target.Literal().size() >= kMaxPathUnits)
        return ItemReason::TooLong;
    if (into->facts.identity.volume != folder.facts.identity.volume)
        return ItemReason::OtherVolume;
    if (!UnderWine())
        return ItemReason::Done;
    // What Linux decides and Wine does not show: mounts.
    if (!mounts_.Empty()) {
        if (mounts_.IsMountPoint(UnixPathOf(opened.resolved)))
            return ItemReason::MountPoint;
        if (into->facts.mount != folder.facts.mount)
            return ItemReason::OtherVolume;
        if (mounts_.IsReadOnly(folder.facts.mount))
            return ItemReason::Denied;
    }
    // A name a dry run would have freed is still taken on the disk.
    const CFolderNames::Entry* there = into->names.Find(target.Name());
    if (dryRun_ && there && there->state == CFolderNames::State::Vacated)
        return ItemReason::Done;
    return ProbeUnderWine(OnDisk(target).Literal());
}

ItemReason CRenameRun::WouldWrite(void* item, const CItemPath& from, const OpenedItem& opened) const
{
    // Linux refuses to rename a file it marks immutable or append-only, and
    // refuses to open it for writing: as root nothing else does. (Only a
    // plain file: opening a pipe for writing would wait for a reader.)
    const DWORD unasked = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT;
    if (!UnderWine() || !root_ || (opened.attributes & unasked) || GetFileType(item) != FILE_TYPE_DISK)
        return ItemReason::Done;
    const CItemHandle writable(CreateFileW(OnDisk(from).Literal().c_str(), FILE_WRITE_DATA, kShareAll, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
    return writable.IsOpen() || GetLastError() != ERROR_ACCESS_DENIED ? ItemReason::Done : ItemReason::Denied;
}

void CRenameRun::Record(ItemResult& result, const CItemPath& given, Folder& folder, Folder& into)
{
    const std::size_t index = results_.size();
    renamedPaths_[given.Full()] = index;
    renamedPaths_[result.from.Full()] = index;
    renamedKeys_.insert(NameKey(given.Full()));
    renamedKeys_.insert(NameKey(result.from.Full()));
    renamedItems_.emplace(result.identity, index);
    folder.names.Vacate(result.from.Name(), index);
    into.names.Add(result.to.Name(), index);
    // A dry run leaves a folder where it was: paths below its new name are
    // looked for below its old one.
    if (dryRun_)
        movedFolders_[result.to.Full()] = OnDisk(result.from).Full();
}

ItemResult KeptItem(const std::wstring& given, ItemReason reason)
{
    ItemResult result;
    result.from = ResolveItemPath(given);
    result.reason = reason;
    return result;
}

ItemResult RenameBack(const ItemResult& renamed)
{
    ItemResult result;
    result.from = renamed.to;
    result.identity = renamed.identity;
    const CItemHandle handle(OpenItem(renamed.to));
    FolderFacts facts;
    if (!handle.IsOpen()) {
        result.reason = ReasonFor(GetLastError(), false);
        return result;
    }
    const CItemHandle folder(OpenFolder(renamed.to.LiteralFolder()));
    OpenedItem opened;
    result.reason = folder.IsOpen() && FactsOf(folder.Get(), facts)
                        ? Inspect(handle.Get(), renamed.to, facts, opened)
                        : ItemReason::Failed;
    if (result.reason != ItemReason::Done)
        return result;
    if (!(opened.identity == renamed.identity) || opened.name != renamed.to.Name()) {
        result.reason = ItemReason::OtherItem;
        return result;
    }
    result.to = renamed.from;
    result.reason = renamed.from.Literal().size() >= kMaxPathUnits ? ItemReason::TooLong
                    : UnderWine()                                  ? ProbeUnderWine(renamed.from.Literal())
                                                                   : ItemReason::Done;
    if (result.reason == ItemReason::Done)
        result.reason = MoveItem(handle.Get(), renamed.to, renamed.from);
    if (result.reason == ItemReason::Done)
        result.status = ItemStatus::Renamed;
    return result;
}

bool IsAnItemOf(const CAffixRule& rule, const std::vector<std::wstring>& named, const std::vector<std::wstring>& own)
{
    // Each item by what it is, and by its path now and after the run.
    std::set<ItemIdentity> ownItems;
    std::set<std::wstring> ownKeys;
    for (const std::wstring& file : own) {
        const CItemPath path = ResolveItemPath(file);
        ItemIdentity identity;
        FILE_BASIC_INFO basic;
        if (path.HasName() && IdentityAt(path, identity, basic))
            ownItems.insert(identity);
        ownKeys.insert(NameKey(path.Full()));
    }
    for (const std::wstring& file : named) {
        const CItemPath path = ResolveItemPath(file);
        if (!path.HasName())
            continue;
        ItemIdentity identity;
        FILE_BASIC_INFO basic;
        if (!IdentityAt(path, identity, basic)) {
            if (ownKeys.count(NameKey(path.Full())))
                return true;
            continue;
        }
        if (ownItems.count(identity) || ownKeys.count(NameKey(path.Full())))
            return true;
        TagTime local = {};
        const FILETIME written{basic.LastWriteTime.LowPart, static_cast<DWORD>(basic.LastWriteTime.HighPart)};
        if (rule.UsesItemTime() && !LocalTimeOf(written, local))
            continue;
        const std::wstring newName =
            rule.UsesItemTime() ? rule.ForItem(local).NewName(path.Name()) : rule.NewName(path.Name());
        if (!newName.empty() && ownKeys.count(NameKey(path.Sibling(newName).Full())))
            return true;
    }
    return false;
}

bool IsAnItemOf(const std::vector<ItemResult>& results, const std::wstring& own)
{
    ItemIdentity identity;
    FILE_BASIC_INFO basic;
    const CItemPath path = ResolveItemPath(own);
    return path.HasName() && IdentityAt(path, identity, basic) &&
           std::any_of(results.begin(), results.end(),
                       [&identity](const ItemResult& result) { return result.identity == identity; });
}
