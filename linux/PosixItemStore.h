#pragma once

#include "app/ItemStore.h"

#include <map>
#include <string>

// Linux's own file system: names are bytes (read as UTF-8), case matters, a
// symbolic link is renamed as itself, and renameat2 with RENAME_NOREPLACE
// moves an item atomically and never over anything, a dangling link included.
class CPosixItemStore : public CItemStore {
public:
    // current: the full path relative paths start from.
    explicit CPosixItemStore(const std::wstring& current) : current_(CItemPath::ResolvePosix(L".", current)) {}
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
    void ListFolderOf(const CItemPath& item, std::vector<std::wstring>& names) override;
    ItemReason OpenItem(const CItemPath& path, const StoredFolder& folder,
                        std::unique_ptr<COpenedItem>& item) override;
    ItemReason CheckFree(const CItemPath& target) override;
    ItemReason CouldMove(const COpenedItem& item, const CItemPath& from) override;
    ItemReason Move(COpenedItem& item, const CItemPath& from, const CItemPath& to) override;
    bool LocalTime(const COpenedItem& item, TagTime& time) const override;

    // What a first look at a path found (the item itself, a link as a link),
    // made before anything is renamed so that a path that names nothing
    // renames nothing.
    struct Look {
        ItemIdentity identity;
        long long written = 0;
        unsigned long long attributes = 0;
        unsigned long long mount = 0;
        bool knowsMount = false, folder = false, link = false;
    };
    // False, with errno, when the path names nothing; folder: a folder
    // descriptor the path starts from.
    static bool LookAt(const char* path, Look& look, int folder = -1);
    // Whether a look at this path saw the item the run would open for it:
    // no "." or ".." in it (the system follows links there, the run reads
    // them as written) and no slash at its end (which follows a link too).
    static bool LooksAsRun(const std::string& path);
    // The item the next OpenItem opens is the one this look saw (none: look
    // again). A run's first look is then its only one.
    void Expect(const Look* look) { expected_ = look; }

private:
    CItemPath current_;
    // The folders met, held open so each item is looked at and renamed by
    // its name in the folder found once, not by walking its whole path
    // again; only so many, and by path beyond them.
    std::map<ItemIdentity, int> descriptors_;
    // Once the run has renamed a folder, paths are walked again: a folder
    // held open may no longer be where a path leads.
    bool folderMoved_ = false;
    const Look* expected_ = nullptr;
};

// A path's bytes for the system; its text back from them (false when they
// are not UTF-8).
std::string SystemBytes(const std::wstring& text);
bool FromSystemBytes(const std::string& bytes, std::wstring& text);
