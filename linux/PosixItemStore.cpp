#include "linux/PosixItemStore.h"

#include "linux/NamedItems.h"

#include "app/core/PathList.h"
#include "shell/Held.h"

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <dirent.h>
#include <climits>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <linux/magic.h>
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
        return ItemReason::Denied;
    case EROFS:
        return ItemReason::ReadOnly;
    case ENOSPC:
    case EDQUOT:
        return ItemReason::NoSpace;
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
    for (; first != last; ++first)
        size += ::Utf8Size(*first);
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
    bool fixed = false;  // immutable or append-only
    unsigned owner = 0;
    long long mount = -1;       // the mount its folder lies on
    int folderDescriptor = -1;  // the store's, where it holds one
};

// An octal escape of /proc/self/mountinfo (\040 for a space) read back.
std::string Unescaped(const std::string& field)
{
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && std::isdigit(static_cast<unsigned char>(field[i + 1])) &&
            std::isdigit(static_cast<unsigned char>(field[i + 2])) &&
            std::isdigit(static_cast<unsigned char>(field[i + 3]))) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

MountFacts FactsOf(long long mount)
{
    std::ifstream table("/proc/self/mountinfo");
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        long long id = -1;
        std::string parent, device, root, point;
        if (!(fields >> id >> parent >> device >> root >> point) || id != mount)
            continue;
        MountFacts facts;
        facts.point = Unescaped(point);
        const std::size_t dash = line.find(" - ");
        if (dash != std::string::npos) {
            std::istringstream after(line.substr(dash + 3));
            std::string source;
            after >> facts.type >> source >> facts.options;
        }
        return facts;
    }
    return MountFacts();
}

// Whether a FUSE daemon is known not to take rename's flags. The kernel
// answers a move onto a taken name with EEXIST before it asks the daemon,
// and a daemon of plain type "fuse" does not say which it is: most (bindfs,
// ntfs-3g, exfat-fuse, fusefat, sshfs) refuse the flag, so only those known
// to take it are trusted.
bool LacksNoReplace(const MountFacts& facts)
{
    const bool fuse = facts.type == "fuse" || facts.type == "fuseblk" || facts.type.compare(0, 5, "fuse.") == 0;
    return fuse && facts.type != "fuse.gocryptfs";
}

// Whether an overlay keeps the folder at path where it is: it moves a
// folder of its lower layers only with redirect_dir, and otherwise answers
// EXDEV, though it is one mount.
bool OverlayKeepsInPlace(const MountFacts& facts, const std::string& path)
{
    if (facts.type != "overlay" || facts.options.find("redirect_dir=on") != std::string::npos)
        return false;
    const std::string inside =
        path.compare(0, facts.point.size(), facts.point) == 0 ? path.substr(facts.point.size()) : path;
    // Every lower layer: "lowerdir=/a:/b" (a colon in a path is "\:").
    const std::size_t lower = facts.options.find("lowerdir=");
    if (lower == std::string::npos)
        return false;
    const std::string layers = facts.options.substr(lower + 9, facts.options.find(',', lower) - lower - 9);
    for (std::size_t from = 0; from <= layers.size();) {
        std::size_t end = from;
        while (end < layers.size() && !(layers[end] == ':' && (end == 0 || layers[end - 1] != '\\')))
            ++end;
        struct stat info;
        if (lstat((Unescaped(layers.substr(from, end - from)) + inside).c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            return true;
        from = end + 1;
    }
    return false;
}

// A dry run reads a folder whole once it has asked of this many names in it.
const unsigned kAskedBeforeListing = 16;

}  // namespace

std::string SystemBytes(const std::wstring& text)
{
    std::string bytes;
    bytes.reserve(text.size());
    std::size_t done = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto code = static_cast<unsigned long>(text[i]);
        if (code < 0xDC80 || code > 0xDCFF)
            continue;
        AppendAsUtf8(text.substr(done, i - done), bytes);
        bytes += static_cast<char>(code - 0xDC00);
        done = i + 1;
    }
    if (done == 0) {
        AppendAsUtf8(text, bytes);
        return bytes;
    }
    AppendAsUtf8(text.substr(done), bytes);
    return bytes;
}

std::wstring FolderText(const std::string& bytes)
{
    std::wstring text;
    const char *first = bytes.data(), *last = first + bytes.size();
    if (AppendUtf8(first, last, text))
        return text;
    // Byte by byte where a sequence does not decode.
    for (const char* at = first; at != last;) {
        const std::size_t size = AppendUtf8Character(at, last, text);
        if (size == 0)
            text += static_cast<wchar_t>(0xDC00 + static_cast<unsigned char>(*at));
        at += size ? size : 1;
    }
    return text;
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

CPosixItemStore::CPosixItemStore(const std::wstring& current)
    : current_(CItemPath::ResolvePosix(L".", current)), user_(geteuid())
{
}

CPosixItemStore::~CPosixItemStore()
{
    for (const auto& held : descriptors_)
        if (!borrowed_.count(held.second))
            close(held.second);
}

bool CPosixItemStore::LookAtFolder(int descriptor, StoredFolder& folder)
{
    struct statx info;
    struct statvfs system;
    if (statx(descriptor, "", AT_EMPTY_PATH | AT_NO_AUTOMOUNT, STATX_BASIC_STATS | STATX_MNT_ID, &info) != 0)
        return false;
    folder.identity = IdentityOf(info);
    folder.mount = (info.stx_mask & STATX_MNT_ID) ? static_cast<int>(info.stx_mnt_id) : -1;
    folder.readOnly = fstatvfs(descriptor, &system) == 0 && (system.f_flag & ST_RDONLY);
    return true;
}

ItemReason CPosixItemStore::OpenFolderOf(const CItemPath& item, StoredFolder& folder)
{
    // A folder found when the run began, and held open there, as it was
    // found (until the run renames a folder).
    int found = -1;
    if (named_ && !folderMoved_ && named_->FolderFound(item.Folder(), folder, found)) {
        if (found >= 0 && !descriptors_.count(folder.identity)) {
            descriptors_.emplace(folder.identity, found);
            borrowed_.insert(found);
        }
        return ItemReason::Done;
    }
    // The folder a path leads through, links followed; then what that very
    // folder is.
    CHeld<DescriptorTraits> descriptor(
        open(SystemBytes(item.LiteralFolder()).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!descriptor.IsOpen() || !LookAtFolder(descriptor.Get(), folder))
        return ReasonFor(errno, false);
    if (!descriptors_.count(folder.identity) && descriptors_.size() < holdAtMost_)
        descriptors_.emplace(folder.identity, descriptor.Release());
    return ItemReason::Done;
}

// Names are exact: the run keeps no listing, and a move refuses a taken name.
bool CPosixItemStore::ListFolderOf(const CItemPath&, std::vector<std::wstring>&)
{
    return false;
}

bool CPosixItemStore::LookAt(int folder, const char* name, Look& look, long long folderMount)
{
    struct statx info;
    if (!Stat(folder, name, info))
        return false;
    look.identity = IdentityOf(info);
    look.written = info.stx_mtime.tv_sec;
    const unsigned long long attributes = info.stx_attributes & info.stx_attributes_mask;
    look.fixed = (attributes & (STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND)) != 0;
    look.owner = info.stx_uid;
    look.folder = S_ISDIR(info.stx_mode);
    look.link = S_ISLNK(info.stx_mode);
    look.mountPoint = (attributes & STATX_ATTR_MOUNT_ROOT) != 0 ||
                      ((info.stx_mask & STATX_MNT_ID) && folderMount >= 0 &&
                       static_cast<long long>(info.stx_mnt_id) != folderMount);
    return true;
}

ItemReason CPosixItemStore::OpenItem(const CItemPath& path, const StoredFolder& folder,
                                     std::unique_ptr<COpenedItem>& item)
{
    const auto held = descriptors_.find(folder.identity);
    const int at = folderMoved_ || held == descriptors_.end() ? -1 : held->second;
    Look look;
    if (const Look* first = named_ ? named_->LookFor(path) : nullptr) {
        look = *first;
    } else {
        // By its whole path, the mount is that of the folder the path leads
        // through (a second mount of one folder is another mount).
        long long mount = folder.mount;
        struct statx info;
        if (at < 0)
            mount = Stat(AT_FDCWD, SystemBytes(path.LiteralFolder()).c_str(), info) && (info.stx_mask & STATX_MNT_ID)
                        ? static_cast<long long>(info.stx_mnt_id)
                        : -1;
        if (!LookAt(at >= 0 ? at : AT_FDCWD, SystemBytes(at >= 0 ? path.Name() : path.Full()).c_str(), look, mount))
            return ReasonFor(errno, false);
    }
    std::unique_ptr<CPosixOpenedItem> opened(new CPosixOpenedItem);
    opened->folderDescriptor = at;
    opened->identity = look.identity;
    opened->name = path.Name();
    opened->written = look.written;
    opened->fixed = look.fixed;
    opened->owner = look.owner;
    opened->folder = look.folder;
    opened->link = look.link;
    opened->mountPoint = look.mountPoint;
    opened->mount = folder.mount;
    item = std::move(opened);
    return ItemReason::Done;
}

// A dry run's question: the move itself refuses a taken name. A folder asked
// of often is read once (a few system calls for thousands of names), and
// its names answer from then on; the run's own changes are the planner's.
ItemReason CPosixItemStore::CheckFree(const CItemPath& target)
{
    const std::string folder = SystemBytes(target.LiteralFolder());
    Listing& listing = listings_[folder];
    if (!listing.read && ++listing.asked > kAskedBeforeListing) {
        listing.read = true;
        if (DIR* const entries = opendir(folder.c_str())) {
            while (const dirent* entry = readdir(entries))
                listing.names.insert(entry->d_name);
            closedir(entries);
        } else {
            listing.names.clear();
            listing.read = false;
            listing.asked = 0;
        }
    }
    if (listing.read)
        return listing.names.count(SystemBytes(target.Name())) ? ItemReason::Taken : ItemReason::Done;
    struct stat info;
    if (lstat(SystemBytes(target.Full()).c_str(), &info) == 0)
        return ItemReason::Taken;
    return errno == ENOENT ? ItemReason::Done : ReasonFor(errno, true);
}

const CPosixItemStore::FolderRights& CPosixItemStore::RightsOf(const std::string& folder)
{
    FolderRights& rights = rights_[folder];
    if (rights.known)
        return rights;
    rights.known = true;
    // Asked as the kernel asks: the bits, ACLs, and root's rights, for the
    // user the run acts as.
    if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        rights.change = errno == EROFS ? ItemReason::ReadOnly : ItemReason::Denied;
    struct stat info;
    if (stat(folder.c_str(), &info) == 0) {
        rights.sticky = (info.st_mode & S_ISVTX) != 0;
        rights.owner = info.st_uid;
    }
    return rights;
}

ItemReason CPosixItemStore::MountCanMove(const COpenedItem& item, const std::string& path)
{
    const auto& opened = static_cast<const CPosixOpenedItem&>(item);
    const long long mount = opened.mount;
    auto known = mounts_.find(mount);
    if (known == mounts_.end()) {
        MountFacts answers = FactsOf(mount);
        // Where the kernel asks the file system first, a move onto its own
        // name answers EINVAL for an unknown flag, and changes nothing.
        const int folder = opened.folderDescriptor >= 0 ? opened.folderDescriptor : AT_FDCWD;
        const std::string name = opened.folderDescriptor >= 0 ? SystemBytes(item.name) : path;
        answers.noReplace = !LacksNoReplace(answers) &&
                            !(renameat2(folder, name.c_str(), folder, name.c_str(), RENAME_NOREPLACE) != 0 &&
                              errno == EINVAL);
        known = mounts_.emplace(mount, std::move(answers)).first;
    }
    if (!known->second.noReplace)
        return ItemReason::NoSafeRename;
    if (item.folder && !item.link && OverlayKeepsInPlace(known->second, path))
        return ItemReason::NotInPlace;
    return ItemReason::Done;
}

// What the move itself would ask: an item Linux marks immutable or
// append-only stays, and so does one in a folder this user may not change,
// one of another user's in a sticky folder, and a folder this user may not
// change that would move to another folder (its ".." changes).
ItemReason CPosixItemStore::CouldMove(const COpenedItem& item, const CItemPath& from, const CItemPath& to)
{
    const auto& opened = static_cast<const CPosixOpenedItem&>(item);
    if (opened.fixed)
        return ItemReason::Denied;
    const FolderRights& rights = RightsOf(SystemBytes(from.LiteralFolder()));
    if (rights.change != ItemReason::Done)
        return rights.change;
    if (rights.sticky && user_ != 0 && user_ != opened.owner && user_ != rights.owner)
        return ItemReason::Denied;
    const std::string path = SystemBytes(from.Full());
    if (!to.InFolderOf(from)) {
        const ItemReason into = RightsOf(SystemBytes(to.LiteralFolder())).change;
        if (into != ItemReason::Done)
            return into;
        if (item.folder && !item.link && faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
            return errno == EROFS ? ItemReason::ReadOnly : ItemReason::Denied;
    }
    return MountCanMove(item, path);
}

CItemPath CPosixItemStore::Canonical(const CItemPath& path)
{
    char* const real = realpath(SystemBytes(path.LiteralFolder()).c_str(), nullptr);
    if (!real)
        return path;
    const std::wstring folder = FolderText(real);
    std::free(real);
    return CItemPath::ResolvePosix(folder, current_).Child(path.Name());
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
                  RENAME_NOREPLACE) == 0) {
        folderMoved_ = folderMoved_ || item.folder;
        return ItemReason::Done;
    }
    const int error = errno;
    struct statx info;
    switch (error) {
    case ENOENT:
        // Gone from its old name (another program moved it), or no folder
        // where the new name leads.
        return Stat(held ? folder : AT_FDCWD, source.c_str(), info) ? ItemReason::NoFolder : ItemReason::Missing;
    case EXDEV:
        // The mounts were compared before: the file system itself would
        // have to copy.
        return item.folder && !item.link ? ItemReason::NotInPlace : ItemReason::OtherVolume;
    default:
        return ReasonFor(error, true);
    }
}

bool CPosixItemStore::LocalTime(const COpenedItem& item, TagTime& time) const
{
    return LocalTimeOf(static_cast<std::time_t>(item.written), time);
}

bool LocalTimeOf(std::time_t moment, TagTime& time)
{
    std::tm local;
    if (!localtime_r(&moment, &local))
        return false;
    time = TagTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
    return true;
}

TagTime LocalNow()
{
    TagTime now;
    LocalTimeOf(std::time(nullptr), now);
    return now;
}
