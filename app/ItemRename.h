#pragma once

#include "AffixRule.h"
#include "FolderNames.h"
#include "MountTable.h"
#include "RunReport.h"
#include "shell/ItemPath.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

struct OpenedItem;

// What a run knows of a folder once, for every item in it.
struct FolderFacts {
    ItemIdentity identity;
    std::wstring resolved;  // under Wine: the path Wine resolves it to
    int mount = -1;         // under Wine: the Linux mount it lies on
};

// One rename run: renames the named files and folders, each inside its own
// folder as the rule says, and keeps what became of each. An item keeps its
// attributes; nothing is ever replaced or copied; a symbolic link is never
// mistaken for what it points to. A dry run checks everything the same way
// and moves nothing: it counts the items it would rename as renamed, so a
// later item meets the names as the real run would leave them.
//
// Each folder is listed once, when the run first meets it, and the listing
// is kept current by the run's own moves: the item a path names is the one
// the listing answers for it (the exact spelling first, as Linux under Wine
// may hold A.txt beside a.txt), in the real run and the dry run alike.
class CRenameRun {
public:
    explicit CRenameRun(const CAffixRule& rule, bool dryRun = false);
    ~CRenameRun();
    CRenameRun(const CRenameRun&) = delete;
    CRenameRun& operator=(const CRenameRun&) = delete;

    // Renames the item named now, or leaves it as it is; says which and why.
    const ItemResult& Rename(const std::wstring& given);
    // Leaves a named item as it is, for a reason of the caller's.
    const ItemResult& Keep(const std::wstring& given, ItemReason reason);
    // Every named item's outcome, in the order named.
    const std::vector<ItemResult>& Results() const { return results_; }
    // True when every named item has (or would have) its new name.
    bool AllRenamed() const;

private:
    struct Folder;
    ItemResult Attempt(const std::wstring& given);
    // Whether a folder above the path is one the run renamed.
    bool InMovedFolder(const CItemPath& path) const;
    // The folder a path lies in, listed; null when it cannot be opened (the
    // system's error is then the last error).
    Folder* FolderOf(const CItemPath& path);
    // Whether the item may go to target, as the rename would find: Done, or
    // why not.
    ItemReason CheckMove(const CItemPath& from, const CItemPath& given, const OpenedItem& opened,
                         const CItemPath& target, Folder& folder, Folder*& into);
    // A dry run's last question, which the rename itself asks: may the item
    // be written (on Linux, moved) at all.
    ItemReason WouldWrite(void* item, const CItemPath& from, const OpenedItem& opened) const;
    // Where a path's item is on the disk: in a dry run, below a folder's old
    // name where the run would have renamed it.
    CItemPath OnDisk(const CItemPath& path) const;
    void Record(ItemResult& result, const CItemPath& given, Folder& folder, Folder& into);
    ItemResult NamedBefore(std::size_t earlier, const CItemPath& given) const;

    const CAffixRule& rule_;
    const bool dryRun_;
    std::vector<ItemResult> results_;
    // Full paths the run renamed, as given and as stored, and their results;
    // the same compared as Windows compares names.
    std::map<std::wstring, std::size_t> renamedPaths_;
    std::set<std::wstring> renamedKeys_;
    std::map<ItemIdentity, std::size_t> renamedItems_;
    std::map<ItemIdentity, std::unique_ptr<Folder>> folders_;
    std::map<std::wstring, Folder*> folderPaths_;  // by literal path
    std::map<std::wstring, std::wstring> movedFolders_;  // a dry run's new full paths, and the old
    CMountTable mounts_;  // under Wine, read when the run first needs it
    bool mountsRead_ = false, root_ = false;
};

// Gives a renamed item its old name back, by the same rules: only while the
// same item (its identity and its creation time) answers to the new name and
// the old one is free.
ItemResult RenameBack(const ItemResult& renamed);
// The outcome for an item no run reached (no affix, say).
ItemResult KeptItem(const std::wstring& given, ItemReason reason);
// Whether a file the run reads or writes besides its items (a list, the
// affix file, the result file, the stop file) is one of the named items, as
// it is now or under the name the run would give it.
bool IsAnItemOf(const CAffixRule& rule, const std::vector<std::wstring>& named, const std::vector<std::wstring>& own);
// Whether the file at a path is now one of the items a run named.
bool IsAnItemOf(const std::vector<ItemResult>& results, const std::wstring& own);
// The canonical composition (NFC) of text, as the system makes it; the text
// as it is when the system cannot.
std::wstring ComposeCanonically(const std::wstring& text);
