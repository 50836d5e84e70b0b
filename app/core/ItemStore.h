#pragma once

#include "app/core/AffixRule.h"
#include "app/core/NameCheck.h"
#include "app/core/RunReport.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// A folder as a store found it.
struct StoredFolder {
    ItemIdentity identity;
    int mount = -1;                   // the Linux mount it lies on, where the store knows
    bool readOnly = false;            // on a mount that takes no change
};

// An item a store opened to rename, held open until it goes.
class COpenedItem {
public:
    virtual ~COpenedItem() = default;
    ItemIdentity identity;
    std::wstring name;      // as the file system holds it
    long long written = 0;  // its last write, as the store counts time
    bool folder = false;
    bool link = false;  // renamed as itself: a path may lead through it into a folder
    bool mountPoint = false;
};

// The file system behind a rename run: the facts the planner asks for and the
// moves it has made. Every call answers Done or the reason it could not.
class CItemStore {
public:
    virtual ~CItemStore() = default;

    // A path as a user gives it on a command line, in a list or in a drop.
    virtual CItemPath Resolve(const std::wstring& given) const = 0;
    // What two names share when this file system takes them for one.
    virtual std::wstring Key(const std::wstring& name) const = 0;
    // Whether an item can have this name at all.
    virtual bool CanBeNamed(const std::wstring& name) const = 0;
    // Why a new name (the folders an affix leads into, then the name) cannot
    // be made; None when it can.
    virtual NameFault CheckNewName(const std::wstring& relative) const = 0;
    // Whether file calls take a path this long.
    virtual bool Fits(const CItemPath& path) const = 0;
    // True where a name is only ever its own spelling and a move refuses
    // every name that is taken (a link to nothing too): the run then keeps
    // only the names it changed, and leaves CheckFree to a dry run.
    virtual bool NamesAreExact() const { return false; }

    // The folder a path's item lies in.
    virtual ItemReason OpenFolderOf(const CItemPath& item, StoredFolder& folder) = 0;
    // The names that folder holds, as the file system lists them; false
    // where the run keeps no listing (names are exact: a name the run did not
    // change is whatever the disk says).
    virtual bool ListFolderOf(const CItemPath& item, std::vector<std::wstring>& names) = 0;
    // The item itself, in the folder the store described.
    virtual ItemReason OpenItem(const CItemPath& path, const StoredFolder& folder,
                                std::unique_ptr<COpenedItem>& item) = 0;
    // Whether anything a listing does not show (or, where names are exact,
    // anything at all) stands at target.
    virtual ItemReason CheckFree(const CItemPath& target) = 0;
    // A dry run's last question, which the move itself would ask.
    virtual ItemReason CouldMove(const COpenedItem& item, const CItemPath& from, const CItemPath& to) = 0;
    // The path as the system reaches it: where its folders lead through
    // links, the folder they lead to. The path itself where there are none.
    virtual CItemPath Canonical(const CItemPath& path) { return path; }
    // Renames the open item, never over anything: Done when it answers to
    // exactly the new name.
    virtual ItemReason Move(COpenedItem& item, const CItemPath& from, const CItemPath& to) = 0;
    // When the item was last written, in local time.
    virtual bool LocalTime(const COpenedItem& item, TagTime& time) const = 0;
};
