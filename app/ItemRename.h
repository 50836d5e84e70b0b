#pragma once

#include "AffixRule.h"
#include "shell/ItemPath.h"

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

// Which item a file or folder is, whatever it is called: its volume and its
// index there. A program that saves by writing a new file and replacing the
// old one makes a new item.
struct ItemIdentity {
    unsigned long volume = 0, indexHigh = 0, indexLow = 0;
    bool operator<(const ItemIdentity& other) const
    {
        return std::tie(volume, indexHigh, indexLow) < std::tie(other.volume, other.indexHigh, other.indexLow);
    }
    bool operator==(const ItemIdentity& other) const { return !(*this < other) && !(other < *this); }
};

// What a run needs to know of a folder once, for every item in it.
struct FolderFacts {
    std::wstring resolved;  // under Wine: the path Wine resolves it to
    unsigned long volume = 0;
};

// An item a run renamed: its new and old full paths and which item it is.
struct RenamedItem {
    CItemPath now, before;
    ItemIdentity identity;
};

// One rename run: renames the named files and folders, each inside its own
// folder as the rule says. An item keeps its attributes; nothing is ever
// replaced or copied; a symbolic link is never mistaken for what it points to.
class CRenameRun {
public:
    explicit CRenameRun(const CAffixRule& rule) : rule_(rule) {}

    // True when the item named now has its new name; false when it keeps its
    // old one (the new name is taken, the item is in use, gone, a link under
    // Wine, ...). An item named again in the same run counts once.
    bool Rename(const std::wstring& given);
    // What the run renamed, in order.
    const std::vector<RenamedItem>& Renamed() const { return renamed_; }

private:
    const CAffixRule& rule_;
    std::vector<RenamedItem> renamed_;
    std::set<std::wstring> renamedKeys_;  // old full paths, compared as Windows compares names
    std::set<ItemIdentity> renamedItems_;
    std::map<std::wstring, FolderFacts> folders_;  // by literal path
};

// Gives a renamed item its old name back, by the same rules: only while the
// same item answers to the new name and the old one is free.
bool RenameBack(const RenamedItem& renamed);
// The canonical composition (NFC) of text, as the system makes it; the text
// as it is when the system cannot.
std::wstring ComposeCanonically(const std::wstring& text);
