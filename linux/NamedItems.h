#pragma once

#include "linux/PosixItemStore.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// The items a user named, each found as the kernel finds it by that path,
// before anything is renamed: its folder (links and ".." followed from where
// they lead, as the system reads them) and its own name in it. The run then
// renames exactly these, whatever it renames first.
class CNamedItems {
public:
    CNamedItems();
    ~CNamedItems();
    CNamedItems(const CNamedItems&) = delete;
    CNamedItems& operator=(const CNamedItems&) = delete;
    // How many folders it may hold open at once.
    void HoldAtMost(std::size_t folders) { holdAtMost_ = folders; }
    // Room for that many items, made once.
    void Reserve(std::size_t items) { items_.reserve(items); }

    enum class Fault {
        None,
        Nothing,    // an empty path, or the root
        DotName,    // it ends in "." or "..": a folder named by where it is
        LinkSlash,  // a link followed by "/": that names where it leads
        System,     // the system's answer, in error
    };

    // The path's item, looked at; the fault and the system's error where it
    // names none.
    Fault Add(const char* given, int& error);
    // Why a path names no item, in words.
    static std::string Said(Fault fault, int error);
    std::size_t Size() const { return items_.size(); }
    // The full path the run renames it by: its folder as the system found
    // it, and its name as given; false when the name is not UTF-8. The item
    // asked for last is the one LookFor answers for.
    bool Path(std::size_t index, const char* given, std::wstring& path) const;
    // The look at the item a path names, made when the run began, where it
    // is the item whose path was asked for last; null for any other.
    const CPosixItemStore::Look* LookFor(const CItemPath& path) const;
    // Whether the path as given leads to its folder without links, so that
    // a new name beside it can be shown as the user wrote the path.
    bool AsWritten(std::size_t index) const { return folders_[items_[index].folder].asWritten; }
    // What a folder found is, and its descriptor where it is held open
    // (-1 where not); false for a path that is not a folder found.
    bool FolderFound(const std::wstring& path, StoredFolder& facts, int& descriptor) const;
    // A full path as a user reads it best: from the current folder where it
    // lies below it.
    std::string FromHere(const std::wstring& full) const;

private:
    struct Folder {
        std::wstring path;  // ends in "/"
        long long mount = -1;
        bool asWritten = false;
        int descriptor = -1;  // held open, where there was room
        StoredFolder facts;
    };
    struct Item {
        std::uint32_t folder;
        std::uint32_t nameAt;
        CPosixItemStore::Look look;
    };
    // The folder of that text, found once; -1 with errno when there is none.
    long FolderOf(const std::string& text);

    std::vector<Folder> folders_;
    std::unordered_map<std::string, std::uint32_t> folderIndex_;  // by the text given
    std::unordered_map<std::wstring, std::uint32_t> folderPaths_;  // by its full path
    std::vector<Item> items_;
    std::string current_;  // ends in "/"
    int lastDescriptor_ = -1;
    int passing_ = -1;  // the last folder opened beyond the room to hold them
    std::size_t held_ = 0, holdAtMost_ = 256;
    std::string lastText_;
    long lastFolder_ = -1;
    mutable std::size_t asked_ = 0;  // the item whose path was asked for last
    mutable std::wstring askedName_;
};
