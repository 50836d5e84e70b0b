#pragma once

#include "app/core/ItemStore.h"

#include <ctime>
#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include <boost/unordered/unordered_flat_set.hpp>

class CNamedItems;

// A mount as /proc/self/mountinfo describes it, and what a dry run learnt
// of it.
struct MountFacts {
    std::string point, type, options;
    bool noReplace = true;  // it renames without replacing
};

// Linux's own file system: names are bytes (read as UTF-8), case matters, a
// symbolic link is renamed as itself, and renameat2 with RENAME_NOREPLACE
// moves an item atomically and never over anything, a dangling link included.
class CPosixItemStore : public CItemStore {
public:
    // current: the full path relative paths start from.
    explicit CPosixItemStore(const std::wstring& current);
    ~CPosixItemStore() override;
    CPosixItemStore(const CPosixItemStore&) = delete;
    CPosixItemStore& operator=(const CPosixItemStore&) = delete;

    CItemPath Resolve(const std::wstring& given) const override;
    std::wstring Key(const std::wstring& name) const override { return name; }
    bool CanBeNamed(const std::wstring& name) const override;
    NameFault CheckNewName(const std::wstring& relative) const override;
    bool Fits(const CItemPath& path) const override;
    bool NamesAreExact() const override { return true; }
    ItemReason OpenFolderOf(const CItemPath& item, StoredFolder& folder) override;
    bool ListFolderOf(const CItemPath& item, std::vector<std::wstring>& names) override;
    ItemReason OpenItem(const CItemPath& path, const StoredFolder& folder,
                        std::unique_ptr<COpenedItem>& item) override;
    ItemReason CheckFree(const CItemPath& target) override;
    ItemReason CouldMove(const COpenedItem& item, const CItemPath& from, const CItemPath& to) override;
    CItemPath Canonical(const CItemPath& path) override;
    ItemReason Move(COpenedItem& item, const CItemPath& from, const CItemPath& to) override;
    bool LocalTime(const COpenedItem& item, TagTime& time) const override;

    // What a look at an item found (the item itself, a link as a link).
    // (Kept for every item named: as small as it can be.)
    struct Look {
        ItemIdentity identity;
        long long written = 0;
        unsigned owner = 0;
        bool folder = false, link = false;
        bool mountPoint = false;  // a file system is mounted on it
        bool fixed = false;       // immutable or append-only: Linux refuses to rename it
    };
    // The item called name in the folder open as folder (or a path from
    // the current folder, where folder is AT_FDCWD); false, with errno, when
    // there is none. folderMount: the mount the folder lies on, as its own
    // look found it (-1: unknown).
    static bool LookAt(int folder, const char* name, Look& look, long long folderMount);
    // What the folder open as descriptor is; false, with errno, when it
    // cannot be looked at.
    static bool LookAtFolder(int descriptor, StoredFolder& folder);
    // The items a user named, found when the run began: an item opened by
    // the path it was found by is the one that look saw. A run's first look
    // is then its only one, and an item's time is the one it had when the
    // run began.
    void UseFirstLooks(const CNamedItems* named) { named_ = named; }
    // How many folders it may hold open at once.
    void HoldAtMost(std::size_t folders) { holdAtMost_ = folders; }

private:
    // What a dry run learns once per folder and per mount.
    struct FolderRights {
        bool known = false;
        ItemReason change = ItemReason::Done;  // whether this user may change it
        bool sticky = false;
        unsigned owner = 0;
    };
    const FolderRights& RightsOf(const std::string& folder);
    // Whether the file system under an item renames without replacing, and
    // moves such a folder in place (an overlay may not).
    ItemReason MountCanMove(const COpenedItem& item, const std::string& path);

    CItemPath current_;
    // The folders met, held open so each item is looked at and renamed by
    // its name in the folder found once, not by walking its whole path
    // again; only so many, and by path beyond them.
    std::map<ItemIdentity, int> descriptors_;
    // Once the run has renamed a folder, paths are walked again: a folder
    // held open may no longer be where a path leads.
    bool folderMoved_ = false;
    const CNamedItems* named_ = nullptr;
    std::unordered_map<std::string, FolderRights> rights_;
    std::map<long long, MountFacts> mounts_;
    // The names of each folder a dry run asked of often, read once.
    struct Listing {
        unsigned asked = 0;
        bool read = false;
        boost::unordered_flat_set<std::string> names;
    };
    std::unordered_map<std::string, Listing> listings_;
    unsigned user_;  // the user the run acts as
    std::size_t holdAtMost_ = 256;
    std::unordered_set<int> borrowed_;  // the finder's descriptors: it closes them
};

// A moment as the tags read it, in the local time zone; the clock's time,
// once for a whole run.
bool LocalTimeOf(std::time_t moment, TagTime& time);
TagTime LocalNow();

// A path's bytes for the system; a name's text back from them (false when
// they are not UTF-8).
std::string SystemBytes(const std::wstring& text);
bool FromSystemBytes(const std::string& bytes, std::wstring& text);
// A folder's path as text whatever its bytes: a byte that is not UTF-8
// stands as U+DC80 to U+DCFF, and SystemBytes gives it back. Only names the
// run changes need to be text.
std::wstring FolderText(const std::string& bytes);
