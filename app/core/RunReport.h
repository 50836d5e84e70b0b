#pragma once

#include "shell/ItemPath.h"

#include <string>
#include <tuple>
#include <vector>

// Which item a file or folder is, whatever it is called: its volume, its
// index there, and its creation time, which a new item that is handed a freed
// index does not share. (Wine gives the last write time as the creation
// time.) A program that saves by writing a new file and replacing the old one
// makes a new item.
struct ItemIdentity {
    unsigned long volume = 0, indexHigh = 0, indexLow = 0;
    long long created = 0;
    bool operator<(const ItemIdentity& other) const
    {
        return std::tie(volume, indexHigh, indexLow, created) <
               std::tie(other.volume, other.indexHigh, other.indexLow, other.created);
    }
    bool operator==(const ItemIdentity& other) const { return !(*this < other) && !(other < *this); }
};

// What became of one named item.
enum class ItemStatus { Renamed, WouldRename, Kept };

// Why, from a closed set: a caller can act on each.
enum class ItemReason {
    Done,           // it has (or a dry run would give it) its new name
    Again,          // named again after this run renamed it: counted once
    SameItem,       // the run renamed this item already, under another of its names: counted once
    NotAnItem,      // a drive, a share, or a name no item can have
    Missing,        // no such file or folder
    FolderMoved,    // its folder was renamed earlier in the run
    Link,           // a symbolic link, which Wine would follow
    MountPoint,     // a file system is mounted there: it cannot be moved
    InUse,          // another program holds it
    Denied,         // the system refused access
    NoTime,         // its last-write time could not be read (\f)
    OneWay,         // a second run could not give this name back
    BadName,        // the new name is one Windows cannot hold
    Backslash,      // (Linux) its name holds a backslash, which an affix reads as a folder
    TooLong,        // the new path is longer than file calls take
    Taken,          // the new name is taken
    NoFolder,       // the folder the new name leads into does not exist
    InsideItself,   // the new name leads into the item itself
    OtherVolume,    // the new name lies on another volume: a rename never copies
    NoSafeRename,   // the file system cannot rename without a chance of replacing
    NotInPlace,     // the file system cannot move this folder in place (an overlay's lower layer)
    ReadOnly,       // the file system takes no change
    NoSpace,        // the file system has no room (or quota) left for the new name
    ChangedName,    // the file system would have made another name of it
    Stranded,       // ... and the item could not be given its old name back
    OtherItem,      // (undo) another item has the name now
    NoAffix,        // there was no affix to apply
    Carried,        // it carries the affix already, and the run only adds
    NotCarried,     // it does not carry the affix, and the run only takes off
    Stopped,        // the run was stopped before it reached the item
    Failed,         // anything else the system refused
};

// One named item's outcome. from is where the item was; to is its new place
// (done, or planned where a rename was tried), empty when it has none.
struct ItemResult {
    ItemStatus status = ItemStatus::Kept;
    ItemReason reason = ItemReason::Failed;
    CItemPath from, to;
    ItemIdentity identity;  // of an item renamed, for an undo
    bool affixRemoved = false;  // the rename took the affix off (else it added it)

    bool Succeeded() const { return status != ItemStatus::Kept; }
    // Renamed by this very line, not counted again.
    bool Moved() const { return status == ItemStatus::Renamed && reason == ItemReason::Done; }
};

// The outcome for an item no run reached, or one kept before it was opened.
ItemResult KeptItem(const CItemPath& path, ItemReason reason);

// The words a result file uses.
const char* StatusWord(ItemStatus status);
const char* ReasonWord(ItemReason reason);
// Why, in words for people; %s stands for the new name where it counts.
const char* ReasonSaid(ItemReason reason, bool dryRun);

// A result file's text: UTF-8, one line per named item in the order given,
// each "status TAB old path TAB new path TAB reason" ending in LF. A control
// character, which no Windows name holds, shows as U+FFFD so every line stays
// one line of four fields.
std::string ResultText(const std::vector<ItemResult>& results);
