#include "ItemRename.h"

#include "NameCheck.h"
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

FolderFacts FactsOf(const CItemPath& path)
{
    FolderFacts facts;
    const CItemHandle folder(CreateFileW(path.LiteralFolder().c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!folder.IsOpen() || !GetFileInformationByHandle(folder.Get(), &info))
        return facts;
    facts.volume = info.dwVolumeSerialNumber;  // an item that can be renamed lies on its folder's volume
    if (UnderWine())
        facts.resolved = ResolvedPath(folder.Get());
    return facts;
}

// What the program knows of an item it opened to rename.
struct OpenedItem {
    ItemIdentity identity;
    FILETIME written;
    std::wstring name;  // as the file system holds it
};

// The item behind the handle, named by path in the folder described by
// folder: Done when it is known and is the item named. Under Wine every call
// on a symbolic link reaches what it points to, and a rename moves that: the
// item is itself when Wine resolves it to its own folder (resolved the same
// way) and its own name. A link to a namesake that differs only in trailing
// dots or spaces goes unseen.
ItemReason Inspect(HANDLE handle, const CItemPath& path, const FolderFacts& folder, OpenedItem& item)
{
    using QueryFile = LONG(WINAPI*)(HANDLE, void*, void*, ULONG, int);
    static const auto query = reinterpret_cast<QueryFile>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll"), "NtQueryInformationFile")));
    const int kFileInternalInformation = 6;
    char status[16];
    ULARGE_INTEGER index;
    FILE_BASIC_INFO basic;
    if (!query || query(handle, status, &index, sizeof index, kFileInternalInformation) != 0 ||
        !GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
        return ItemReason::Failed;
    item.identity = ItemIdentity{folder.volume, index.HighPart, index.LowPart};
    item.written = FILETIME{basic.LastWriteTime.LowPart, static_cast<DWORD>(basic.LastWriteTime.HighPart)};
    if (!UnderWine())
        return StoredName(path, item.name) ? ItemReason::Done : ItemReason::Missing;
    const std::wstring resolved = ResolvedPath(handle);
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
ItemReason ProbeUnderWine(const std::wstring& to)
{
    const CItemHandle probe(CreateFileW(to.c_str(), DELETE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return probe.IsOpen() ? ItemReason::Done : ReasonFor(GetLastError(), true);
}

// Whether a name is free, without making anything there: Done when it is.
ItemReason ProbeOnWindows(const std::wstring& to)
{
    if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES)
        return ItemReason::Taken;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? ItemReason::Done : ReasonFor(error, true);
}

// The item answers to exactly the name it was given.
bool FoundAs(const CItemPath& target)
{
    std::wstring name;
    return StoredName(target, name) && name == target.Name();
}

// The checks every rename of an item to a path passes first: Done when the
// target can be made.
ItemReason CheckTarget(const CItemPath& to)
{
    if (!to.HasName())
        return ItemReason::BadName;
    if (to.Literal().size() >= kMaxPathUnits)
        return ItemReason::TooLong;
    return UnderWine() ? ProbeUnderWine(to.Literal()) : ItemReason::Done;
}

// Renames the open item from one path to another, or leaves it where it was:
// Done, or why not.
ItemReason MoveItem(HANDLE item, const CItemPath& from, const CItemPath& to)
{
    const ItemReason checked = CheckTarget(to);
    if (checked != ItemReason::Done)
        return checked;
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

bool CRenameRun::InMovedFolder(const std::wstring& path, bool exactly) const
{
    const std::wstring key = exactly ? path : NameKey(path);
    for (std::size_t slash = key.find(L'\\'); slash != std::wstring::npos; slash = key.find(L'\\', slash + 1))
        if (exactly ? renamedPaths_.count(key.substr(0, slash)) > 0 : renamedKeys_.count(key.substr(0, slash)) > 0)
            return true;
    return false;
}

ItemResult CRenameRun::Again(std::size_t earlier) const
{
    ItemResult result = results_[earlier];
    result.reason = ItemReason::Again;
    return result;
}

ItemResult CRenameRun::Attempt(const std::wstring& given)
{
    ItemResult result = KeptItem(given, ItemReason::Failed);
    const CItemPath& item = result.from;
    const auto kept = [&result](ItemReason reason) {
        result.reason = reason;
        return result;
    };
    if (!item.HasName() || !IsCreatableName(item.Name()))
        return kept(ItemReason::NotAnItem);
    // A dry run moves no folder: it knows by the name. Linux tells names apart
    // by case.
    if (dryRun_ && InMovedFolder(item.Full(), UnderWine()))
        return kept(ItemReason::FolderMoved);
    const std::wstring key = NameKey(item.Full());
    const CItemHandle handle(OpenItem(item));
    if (!handle.IsOpen()) {
        // Gone: the run may have moved it, or its folder, already. (A name
        // Windows cannot find even without regard to case.)
        const DWORD error = GetLastError();
        const auto earlier = renamedKeys_.find(key);
        if (earlier != renamedKeys_.end())
            return Again(earlier->second);
        if (dryRun_ && claimedKeys_.count(key))
            return kept(ItemReason::SameItem);  // where the dry run would have put an item
        if (InMovedFolder(item.Full(), false))
            return kept(ItemReason::FolderMoved);
        return kept(ReasonFor(error, false));
    }
    const auto folder = folders_.emplace(item.LiteralFolder(), FolderFacts());
    if (folder.second)
        folder.first->second = FactsOf(item);
    OpenedItem opened;
    const ItemReason inspected = Inspect(handle.Get(), item, folder.first->second, opened);
    if (inspected != ItemReason::Done)
        return kept(inspected);
    if (renamedItems_.count(opened.identity)) {
        // By this name (a dry run moved nothing), or by another of its names.
        const auto earlier = renamedKeys_.find(key);
        if (earlier != renamedKeys_.end() && results_[earlier->second].identity == opened.identity)
            return Again(earlier->second);
        return kept(ItemReason::SameItem);
    }
    result.from = item.Sibling(opened.name);
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
    const CItemPath target = item.Sibling(newName);
    result.to = target;  // planned, whether or not it can be
    const ItemReason moved =
        dryRun_ ? WouldMove(target, folder.first->second.volume) : MoveItem(handle.Get(), result.from, target);
    if (moved != ItemReason::Done)
        return kept(moved);
    result.status = dryRun_ ? ItemStatus::WouldRename : ItemStatus::Renamed;
    result.reason = ItemReason::Done;
    renamedKeys_.emplace(key, results_.size());
    renamedPaths_.insert(item.Full());
    claimedKeys_.insert(NameKey(target.Full()));
    renamedItems_.insert(opened.identity);
    return result;
}

ItemReason CRenameRun::WouldMove(const CItemPath& target, unsigned long volume)
{
    // The names as the items before would have left them.
    const std::wstring key = NameKey(target.Full());
    if (claimedKeys_.count(key))
        return ItemReason::Taken;
    if (InMovedFolder(target.Full(), UnderWine()))
        return ItemReason::NoFolder;
    if (!renamedKeys_.count(key)) {
        ItemReason free = CheckTarget(target);
        if (free == ItemReason::Done && !UnderWine())
            free = ProbeOnWindows(target.Literal());
        if (free != ItemReason::Done)
            return free;
    } else if (target.Literal().size() >= kMaxPathUnits) {
        return ItemReason::TooLong;
    }
    const auto folder = folders_.emplace(target.LiteralFolder(), FolderFacts());
    if (folder.second)
        folder.first->second = FactsOf(target);
    return folder.first->second.volume == volume ? ItemReason::Done : ItemReason::OtherVolume;
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
    if (!handle.IsOpen()) {
        result.reason = ReasonFor(GetLastError(), false);
        return result;
    }
    OpenedItem opened;
    result.reason = Inspect(handle.Get(), renamed.to, FactsOf(renamed.to), opened);
    if (result.reason != ItemReason::Done)
        return result;
    if (!(opened.identity == renamed.identity) || opened.name != renamed.to.Name()) {
        result.reason = ItemReason::OtherItem;
        return result;
    }
    result.to = renamed.from;
    result.reason = MoveItem(handle.Get(), renamed.to, renamed.from);
    if (result.reason == ItemReason::Done)
        result.status = ItemStatus::Renamed;
    return result;
}
