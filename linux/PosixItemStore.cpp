#include "PosixItemStore.h"

#include "app/PathList.h"
#include "shell/Held.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

ItemReason ReasonFor(int error, bool onTarget)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return onTarget ? ItemReason::NoFolder : ItemReason::Missing;
    case EEXIST:
    case ENOTEMPTY:
        return ItemReason::Taken;
    case EXDEV:
        return ItemReason::OtherVolume;
    case EBUSY:
        return ItemReason::MountPoint;
    case EACCES:
    case EPERM:
    case EROFS:
        return ItemReason::Denied;
    case ENAMETOOLONG:
        return ItemReason::TooLong;
    case EINVAL:
        return onTarget ? ItemReason::NoSafeRename : ItemReason::Failed;
    default:
        return ItemReason::Failed;
    }
}

// The item's identity: its device and inode, and its birth where the file
// system keeps one (a freed inode is handed out again at once).
ItemIdentity IdentityOf(const struct statx& info)
{
    const long long born = (info.stx_mask & STATX_BTIME) ? info.stx_btime.tv_sec * 1000000000LL + info.stx_btime.tv_nsec
                                                         : 0;
    return ItemIdentity{static_cast<unsigned long>(makedev(info.stx_dev_major, info.stx_dev_minor)),
                        static_cast<unsigned long>(info.stx_ino >> 32),
                        static_cast<unsigned long>(info.stx_ino & 0xFFFFFFFFu), S_ISDIR(info.stx_mode) ? 0 : born};
}

// The item itself, by its name in a folder held open, else by its path.
bool Stat(int folder, const char* path, struct statx& info)
{
    return statx(folder >= 0 ? folder : AT_FDCWD, path, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                 STATX_BASIC_STATS | STATX_BTIME | STATX_MNT_ID, &info) == 0;
}

// How many bytes text takes as the system's UTF-8.
std::size_t Utf8Size(const wchar_t* first, const wchar_t* last)
{
    std::size_t size = 0;
    for (; first != last; ++first) {
        const auto code = static_cast<unsigned long>(*first);
        size += code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 || code > 0x10FFFF ? 3 : 4;
    }
    return size;
}

// A file descriptor: -1 is none.
struct DescriptorTraits {
    using Value = int;
    static Value Invalid() { return -1; }
    static void Release(Value descriptor) { close(descriptor); }
};

class CPosixOpenedItem : public COpenedItem {
public:
    unsigned long long attributes = 0;
    int folderDescriptor = -1;  // the store's, where it holds one
};

const std::size_t kHeldFolders = 256;

}  // namespace

std::string SystemBytes(const std::wstring& text)
{
    std::string bytes;
    AppendAsUtf8(text, bytes);
    return bytes;
}

bool FromSystemBytes(const std::string& bytes, std::wstring& text)
{
    text.clear();
    return AppendUtf8(bytes.data(), bytes.data() + bytes.size(), text);
}

CItemPath CPosixItemStore::Resolve(const std::wstring& given) const
{
    return CItemPath::ResolvePosix(given, current_);
}

// Anything but / and NUL.
bool CPosixItemStore::CanBeNamed(const std::wstring& name) const
{
    return !name.empty() && name.find_first_of(std::wstring(L"/\0", 2)) == std::wstring::npos;
}

// Each component of the new name (an affix's backslash leads into a folder)
// at most 255 bytes, none empty, none NUL.
NameFault CPosixItemStore::CheckNewName(const std::wstring& relative) const
{
    NameFault fault = NameFault::None;
    for (std::size_t from = 0; from <= relative.size();) {
        const std::size_t end = std::min(relative.find_first_of(L"\\/", from), relative.size());
        const wchar_t *first = relative.data() + from, *last = relative.data() + end;
        if (first == last || std::find(first, last, L'\0') != last)
            return NameFault::Invalid;
        if (Utf8Size(first, last) > 255)
            fault = NameFault::TooLong;
        from = end + 1;
    }
    return fault;
}

bool CPosixItemStore::Fits(const CItemPath& path) const
{
    const std::wstring full = path.Full();
    return Utf8Size(full.data(), full.data() + full.size()) < PATH_MAX;
}

CPosixItemStore::~CPosixItemStore()
{
    for (const auto& held : descriptors_)
        close(held.second);
}

ItemReason CPosixItemStore::OpenFolderOf(const CItemPath& item, StoredFolder& folder)
{
    // The folder a path leads through, links followed; then what that very
    // folder is.
    CHeld<DescriptorTraits> descriptor(
        open(SystemBytes(item.LiteralFolder()).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct statx info;
    struct statvfs system;
    if (!descriptor.IsOpen() ||
        statx(descriptor.Get(), "", AT_EMPTY_PATH | AT_NO_AUTOMOUNT, STATX_BASIC_STATS | STATX_MNT_ID, &info) != 0)
        return ReasonFor(errno, false);
    folder.identity = IdentityOf(info);
    folder.mount = (info.stx_mask & STATX_MNT_ID) ? static_cast<int>(info.stx_mnt_id) : -1;
    folder.readOnly = fstatvfs(descriptor.Get(), &system) == 0 && (system.f_flag & ST_RDONLY);
    const auto held = descriptors_.find(folder.identity);
    if (held != descriptors_.end()) {
        folder.descriptor = held->second;
    } else if (descriptors_.size() < kHeldFolders) {
        descriptors_.emplace(folder.identity, descriptor.Get());
        folder.descriptor = descriptor.Release();
    }
    return ItemReason::Done;
}

// Never asked: where names are exact the run lists no folder.
void CPosixItemStore::ListFolderOf(const CItemPath&, std::vector<std::wstring>&) {}

bool CPosixItemStore::LookAt(const char* path, Look& look, int folder)
{
    struct statx info;
    if (!Stat(folder, path, info))
        return false;
    look.identity = IdentityOf(info);
    look.written = info.stx_mtime.tv_sec;
    look.attributes = info.stx_attributes & info.stx_attributes_mask;
    look.knowsMount = (info.stx_mask & STATX_MNT_ID) != 0;
    look.mount = info.stx_mnt_id;
    look.folder = S_ISDIR(info.stx_mode);
    look.link = S_ISLNK(info.stx_mode);
    return true;
}

bool CPosixItemStore::LooksAsRun(const std::string& path)
{
    if (path.empty() || path.back() == '/')
        return false;
    for (std::size_t from = 0; from <= path.size();) {
        const std::size_t end = std::min(path.find('/', from), path.size());
        if ((end - from == 1 && path[from] == '.') || (end - from == 2 && path.compare(from, 2, "..") == 0))
            return false;
        from = end + 1;
    }
    return true;
}

ItemReason CPosixItemStore::OpenItem(const CItemPath& path, const StoredFolder& folder,
                                     std::unique_ptr<COpenedItem>& item)
{
    const int at = folderMoved_ ? -1 : folder.descriptor;
    Look look;
    if (expected_ && !folderMoved_)
        look = *expected_;
    else if (!LookAt(SystemBytes(at >= 0 ? path.Name() : path.Full()).c_str(), look, at))
        return ReasonFor(errno, false);
    expected_ = nullptr;
    std::unique_ptr<CPosixOpenedItem> opened(new CPosixOpenedItem);
    opened->folderDescriptor = at;
    opened->identity = look.identity;
    opened->name = path.Name();
    opened->written = look.written;
    opened->attributes = look.attributes;
    opened->folder = look.folder;
    opened->link = look.link;
    opened->mountPoint = (look.attributes & STATX_ATTR_MOUNT_ROOT) != 0 ||
                         (look.knowsMount && folder.mount >= 0 && static_cast<int>(look.mount) != folder.mount);
    item = std::move(opened);
    return ItemReason::Done;
}

// A dry run's question: the move itself refuses a taken name.
ItemReason CPosixItemStore::CheckFree(const CItemPath& target)
{
    struct stat info;
    if (lstat(SystemBytes(target.Full()).c_str(), &info) == 0)
        return ItemReason::Taken;
    return errno == ENOENT ? ItemReason::Done : ReasonFor(errno, true);
}

// What the move itself would ask: an item Linux marks immutable or
// append-only stays, and so does one in a folder this user may not change.
ItemReason CPosixItemStore::CouldMove(const COpenedItem& item, const CItemPath& from)
{
    const auto& opened = static_cast<const CPosixOpenedItem&>(item);
    if (opened.attributes & (STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND))
        return ItemReason::Denied;
    if (access(SystemBytes(from.LiteralFolder()).c_str(), W_OK | X_OK) != 0)
        return ItemReason::Denied;
    return ItemReason::Done;
}

// By name, as Linux renames: the item was looked at a moment before, and
// whatever stands at the new name stays.
ItemReason CPosixItemStore::Move(COpenedItem& item, const CItemPath& from, const CItemPath& to)
{
    const int folder = static_cast<const CPosixOpenedItem&>(item).folderDescriptor;
    const bool held = folder >= 0, same = held && to.InFolderOf(from);
    const std::string source = SystemBytes(held ? from.Name() : from.Full()),
                      target = SystemBytes(same ? to.Name() : to.Full());
    if (renameat2(held ? folder : AT_FDCWD, source.c_str(), same ? folder : AT_FDCWD, target.c_str(),
                  RENAME_NOREPLACE) != 0)
        return ReasonFor(errno, true);
    folderMoved_ = folderMoved_ || item.folder;
    return ItemReason::Done;
}

bool CPosixItemStore::LocalTime(const COpenedItem& item, TagTime& time) const
{
    const std::time_t written = static_cast<std::time_t>(item.written);
    std::tm local;
    if (!localtime_r(&written, &local))
        return false;
    time = TagTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
    return true;
}
