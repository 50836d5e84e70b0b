#pragma once

#include "app/core/AffixRule.h"
#include "app/core/FolderNames.h"
#include "app/core/ItemStore.h"
#include "app/core/RunReport.h"

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include <boost/unordered/unordered_flat_map.hpp>
#include <vector>

// How a run goes. (A new member: give it a default that keeps what runs do
// today, and say here who sets it.)
struct RunOptions {
    // Asks the store the same questions in the same order and moves nothing.
    bool dryRun = false;
    // False: the run keeps of each item only what later ones need (its status,
    // and a fingerprint of the path it was renamed by), for a caller that
    // reports each result as it comes (the Linux command line); Results() is
    // then empty.
    bool keepResults = true;
};

// One rename run: renames the named files and folders, each inside its own
// folder as the rule says, and keeps what became of each. Nothing is ever
// replaced or copied. A dry run asks the store the same questions in the same
// order and moves nothing: it counts the items it would rename as renamed, so
// a later item meets the names as the real run would leave them.
//
// Each folder is listed once, when the run first meets it, and the listing
// is kept current by the run's own moves: the item a path names is the one
// the listing answers for it (the exact spelling first, as Linux may hold
// A.txt beside a.txt). The run decides; the store only tells and moves.
class CRenameRun {
public:
    CRenameRun(const CAffixRule& rule, CItemStore& store, RunOptions options = RunOptions());
    ~CRenameRun();
    CRenameRun(const CRenameRun&) = delete;
    CRenameRun& operator=(const CRenameRun&) = delete;

    // Room for this many results at once: a long run's record then never
    // stands twice in memory while it grows.
    void Reserve(std::size_t count);
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
    struct Outcome {
        ItemStatus status;
        std::size_t renamedBy;  // the hash of its path's key, as it was found
    };
    const ItemResult& Store(ItemResult result);
    struct IdentityHash {
        std::size_t operator()(const ItemIdentity& identity) const;
    };
    // Finds the item a path names and moves it, or says why not.
    ItemResult Attempt(const CItemPath& given);
    // Whether the run renamed the item a path names already, by that path
    // (or one below a folder it renamed): the index of that result.
    bool NamedEarlier(const CItemPath& given, std::size_t& earlier);
    // Gives an opened item its new name, as the rule and the store allow.
    ItemResult MoveItem(ItemResult result, const CItemPath& given, COpenedItem& item, Folder& folder);
    // Named before: again by the same spelling, else the same item by another.
    ItemResult NamedBefore(std::size_t earlier, const CItemPath& given) const;
    bool InMovedFolder(const CItemPath& path);
    bool WasRenamed(const std::wstring& folder) const;
    // The folder a path's item lies in, listed once; null with the store's
    // reason when it cannot be opened.
    Folder* FolderOf(const CItemPath& path, ItemReason& reason);
    // The folder a path as on the disk lies in, met for the first time by
    // that path: opened, and listed unless it was met by another.
    Folder* Meet(const CItemPath& where, ItemReason& reason);
    // The folder a path lies in where the run met it by that path; null
    // where it did not.
    Folder* KnownFolder(const CItemPath& path);
    // The new name the rule gives an opened item: Done, or why none.
    ItemReason NewNameOf(const COpenedItem& item, std::wstring& name, bool& removes) const;
    // Whether the item may go to target: Done, or why not.
    ItemReason CheckMove(const CItemPath& from, const CItemPath& given, const COpenedItem& item,
                         CItemPath& target, Folder& folder, Folder*& into);
    // leadsOn: a folder, or a link a path may lead through.
    void Record(const ItemResult& result, const CItemPath& given, bool leadsOn, Folder& folder, Folder& into);
    // Where a path's item is now: in a dry run, below a folder's old name
    // where the run would have renamed it (made in moved), else path itself.
    const CItemPath& OnDisk(const CItemPath& path, CItemPath& moved) const;

    const CAffixRule& rule_;
    CItemStore& store_;
    const bool dryRun_, keepResults_;
    const bool exactNames_;  // the store's names are only their own spelling
    std::vector<ItemResult> results_;
    std::vector<Outcome> outcomes_;  // where results are not kept
    ItemResult last_;
    // Full paths the run renamed, as given and as stored, and their results
    // (where names are exact: only folders'); their keys, where a key is not
    // the path itself.
    std::unordered_map<std::wstring, std::size_t> renamedPaths_;
    std::unordered_set<std::wstring> renamedKeys_;
    boost::unordered_flat_map<ItemIdentity, std::size_t, IdentityHash> renamedItems_;
    std::map<ItemIdentity, std::unique_ptr<Folder>> folders_;
    std::unordered_map<std::wstring, Folder*> folderPaths_;  // by literal path
    std::wstring lastFolderPath_;                            // the last one asked for, as shown
    Folder* lastFolder_ = nullptr;
    std::map<std::wstring, std::wstring> movedFolders_;  // a dry run's new full paths, and the old
    bool folderRenamed_ = false;  // only then can a path lie in a folder the run renamed
};

// Gives a renamed item its old name back, by the same rules: only while the
// same item (its identity and its creation time) answers to the new name and
// the old one is free.
ItemResult RenameBack(CItemStore& store, const ItemResult& renamed);
// Whether a file the run reads or writes besides its items (a list, the
// affix file, the result file, the stop file) is one of the named items, as
// it is now or under the name the run would give it.
bool IsAnItemOf(CItemStore& store, const CAffixRule& rule, const std::vector<std::wstring>& named,
                const std::vector<std::wstring>& own);
// Whether the file at a path is now one of the items a run named.
bool IsAnItemOf(CItemStore& store, const std::vector<ItemResult>& results, const std::wstring& own);
