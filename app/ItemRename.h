#pragma once

#include "AffixRule.h"
#include "RunReport.h"
#include "shell/ItemPath.h"

#include <map>
#include <set>
#include <string>
#include <vector>

// What a run needs to know of a folder once, for every item in it.
struct FolderFacts {
    std::wstring resolved;  // under Wine: the path Wine resolves it to
    unsigned long volume = 0;
};

// One rename run: renames the named files and folders, each inside its own
// folder as the rule says, and keeps what became of each. An item keeps its
// attributes; nothing is ever replaced or copied; a symbolic link is never
// mistaken for what it points to. A dry run checks everything the same way
// and moves nothing: it counts the items it would rename as renamed, so a
// later item meets the names as the real run would leave them.
class CRenameRun {
public:
    explicit CRenameRun(const CAffixRule& rule, bool dryRun = false) : rule_(rule), dryRun_(dryRun) {}

    // Renames the item named now, or leaves it as it is; says which and why.
    const ItemResult& Rename(const std::wstring& given);
    // Leaves a named item as it is, for a reason of the caller's.
    const ItemResult& Keep(const std::wstring& given, ItemReason reason);
    // Every named item's outcome, in the order named.
    const std::vector<ItemResult>& Results() const { return results_; }
    // True when every named item has (or would have) its new name.
    bool AllRenamed() const;

private:
    ItemResult Attempt(const std::wstring& given);
    // Whether a folder above the path is one the run renamed; exactly: by
    // the same spelling, else without regard to case.
    bool InMovedFolder(const std::wstring& path, bool exactly) const;
    ItemResult Again(std::size_t earlier) const;
    // A dry run's answer for the move a real run would make.
    ItemReason WouldMove(const CItemPath& target, unsigned long volume);

    const CAffixRule& rule_;
    const bool dryRun_;
    std::vector<ItemResult> results_;
    // Old full paths, compared as Windows compares names, and their results;
    // the same paths as spelled; new full paths, compared as Windows does.
    std::map<std::wstring, std::size_t> renamedKeys_;
    std::set<std::wstring> renamedPaths_;
    std::set<std::wstring> claimedKeys_;
    std::set<ItemIdentity> renamedItems_;
    std::map<std::wstring, FolderFacts> folders_;  // by literal path
};

// Gives a renamed item its old name back, by the same rules: only while the
// same item answers to the new name and the old one is free.
ItemResult RenameBack(const ItemResult& renamed);
// The outcome for an item no run reached (no affix, say).
ItemResult KeptItem(const std::wstring& given, ItemReason reason);
// The canonical composition (NFC) of text, as the system makes it; the text
// as it is when the system cannot.
std::wstring ComposeCanonically(const std::wstring& text);
