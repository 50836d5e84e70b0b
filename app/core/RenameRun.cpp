#include "app/core/RenameRun.h"

#include <boost/container_hash/hash.hpp>

#include <algorithm>
#include <functional>

std::size_t CRenameRun::IdentityHash::operator()(const ItemIdentity& identity) const
{
    std::size_t seed = 0;
    boost::hash_combine(seed, identity.volume);
    boost::hash_combine(seed, identity.indexHigh);
    boost::hash_combine(seed, identity.indexLow);
    boost::hash_combine(seed, identity.created);
    return seed;
}

// A folder as the run knows it.
struct CRenameRun::Folder {
    StoredFolder facts;
    CFolderNames names;
};

CRenameRun::CRenameRun(const CAffixRule& rule, CItemStore& store, RunOptions options)
    : rule_(rule),
      store_(store),
      dryRun_(options.dryRun),
      keepResults_(options.keepResults),
      exactNames_(store.NamesAreExact())
{
}

CRenameRun::~CRenameRun() = default;

void CRenameRun::Reserve(std::size_t count)
{
    if (keepResults_)
        results_.reserve(count);
    else
        outcomes_.reserve(count);
    // Where names are exact only folders are kept by identity.
    if (!exactNames_)
        renamedItems_.reserve(count);
}

const ItemResult& CRenameRun::Store(ItemResult result)
{
    if (keepResults_) {
        results_.push_back(std::move(result));
        return results_.back();
    }
    outcomes_.push_back(Outcome{result.status, std::hash<std::wstring>()(store_.Key(result.from.Full()))});
    last_ = std::move(result);
    return last_;
}

const ItemResult& CRenameRun::Rename(const std::wstring& given)
{
    return Store(Attempt(store_.Resolve(given)));
}

const ItemResult& CRenameRun::Keep(const std::wstring& given, ItemReason reason)
{
    return Store(KeptItem(store_.Resolve(given), reason));
}

bool CRenameRun::AllRenamed() const
{
    return std::all_of(results_.begin(), results_.end(), [](const ItemResult& r) { return r.Succeeded(); }) &&
           std::all_of(outcomes_.begin(), outcomes_.end(), [](const Outcome& o) { return o.status != ItemStatus::Kept; });
}

const CItemPath& CRenameRun::OnDisk(const CItemPath& path, CItemPath& moved) const
{
    if (!dryRun_ || movedFolders_.empty())
        return path;
    const std::wstring full = path.Full();
    const std::vector<std::wstring> folders = path.FoldersAbove();
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
        const auto found = movedFolders_.find(*folder);
        if (found != movedFolders_.end()) {
            moved = store_.Resolve(found->second + full.substr(folder->size()));
            return moved;
        }
    }
    return path;
}

bool CRenameRun::WasRenamed(const std::wstring& folder) const
{
    if (renamedPaths_.count(folder))
        return true;
    const std::wstring key = store_.Key(folder);
    return renamedKeys_.count(key) || renamedPaths_.count(key);
}

bool CRenameRun::InMovedFolder(const CItemPath& path)
{
    if (!folderRenamed_)
        return false;
    for (const std::wstring& folder : path.FoldersAbove()) {
        if (!WasRenamed(folder))
            continue;
        if (renamedPaths_.count(folder))
            return true;
        // Spelled otherwise: the same folder where the store says so (Linux
        // may hold a twin that differs in case).
        StoredFolder facts;
        // (Of a name inside it: its folder is that folder.)
        if (store_.OpenFolderOf(store_.Resolve(folder).Child(L"x"), facts) != ItemReason::Done ||
            renamedItems_.count(facts.identity))
            return true;
    }
    return false;
}

CRenameRun::Folder* CRenameRun::FolderOf(const CItemPath& path, ItemReason& reason)
{
    CItemPath moved;
    const CItemPath& where = OnDisk(path, moved);
    Folder* folder = KnownFolder(where);
    if (!folder) {
        folder = Meet(where, reason);
        if (!folder)
            return nullptr;
    }
    // A dry run that reaches a folder it would have renamed, by a way other
    // than its new name (a link to its old one), takes a way the run will
    // have broken: the run finds nothing there.
    if (dryRun_ && &where == &path && renamedItems_.count(folder->facts.identity)) {
        reason = ItemReason::Missing;
        return nullptr;
    }
    return folder;
}

CRenameRun::Folder* CRenameRun::Meet(const CItemPath& where, ItemReason& reason)
{
    std::wstring literal = where.LiteralFolder();
    StoredFolder facts;
    reason = store_.OpenFolderOf(where, facts);
    if (reason != ItemReason::Done)
        return nullptr;
    auto& folder = folders_[facts.identity];
    if (!folder) {
        // Reached again by another path (a link to it, a share): the same
        // folder and the same names.
        const CItemStore& store = store_;
        const auto key = [&store](const std::wstring& name) { return store.Key(name); };
        std::vector<std::wstring> names;
        const bool listed = store_.ListFolderOf(where, names);
        folder.reset(new Folder{facts, listed ? CFolderNames(names, key) : CFolderNames()});
    }
    folderPaths_.emplace(std::move(literal), folder.get());
    return folder.get();
}

CRenameRun::Folder* CRenameRun::KnownFolder(const CItemPath& path)
{
    // Most runs name item after item in one folder.
    if (lastFolder_ && path.Folder() == lastFolderPath_)
        return lastFolder_;
    const auto known = folderPaths_.find(path.LiteralFolder());
    if (known == folderPaths_.end())
        return nullptr;
    lastFolderPath_ = path.Folder();
    return lastFolder_ = known->second;
}

ItemResult CRenameRun::NamedBefore(std::size_t earlier, const CItemPath& given) const
{
    // Counted once, as the run renamed it.
    if (!keepResults_) {
        ItemResult result = KeptItem(given, ItemReason::SameItem);
        result.status = outcomes_[earlier].status;
        if (std::hash<std::wstring>()(store_.Key(given.Full())) == outcomes_[earlier].renamedBy)
            result.reason = ItemReason::Again;
        return result;
    }
    ItemResult result = results_[earlier];
    if (store_.Key(given.Full()) == store_.Key(result.from.Full())) {
        result.reason = ItemReason::Again;
    } else {
        result.reason = ItemReason::SameItem;
        result.from = given;
    }
    return result;
}

ItemReason CRenameRun::NewNameOf(const COpenedItem& item, std::wstring& name, bool& removes) const
{
    // A backslash in a Linux name would read as a folder in the new name.
    if (std::any_of(item.name.begin(), item.name.end(), [](wchar_t c) { return c == L'\\' || c == L'/'; }))
        return ItemReason::Backslash;
    TagTime local = {};
    if (rule_.UsesItemTime() && !store_.LocalTime(item, local))
        return ItemReason::NoTime;
    name = rule_.UsesItemTime() ? rule_.ForItem(local).NewName(item.name, &removes)
                                : rule_.NewName(item.name, &removes);
    if (rule_.Way() == AffixWay::AddOnly && removes)
        return ItemReason::Carried;
    if (rule_.Way() == AffixWay::RemoveOnly && !removes)
        return ItemReason::NotCarried;
    if (name.empty())
        return ItemReason::OneWay;
    switch (store_.CheckNewName(name)) {
    case NameFault::Invalid:
        return ItemReason::BadName;
    case NameFault::TooLong:
        return ItemReason::TooLong;
    case NameFault::None:
        break;
    }
    return ItemReason::Done;
}

ItemResult CRenameRun::Attempt(const CItemPath& given)
{
    ItemResult result = KeptItem(given, ItemReason::Failed);
    const auto kept = [&result](ItemReason reason) {
        result.reason = reason;
        return result;
    };
    if (!given.HasName() || !store_.CanBeNamed(given.Name()))
        return kept(ItemReason::NotAnItem);
    std::size_t earlier = 0;
    if (NamedEarlier(given, earlier))
        return NamedBefore(earlier, given);
    if (InMovedFolder(given))
        return kept(ItemReason::FolderMoved);
    ItemReason reason = ItemReason::Failed;
    Folder* const folder = FolderOf(given, reason);
    if (!folder)
        return kept(reason);

    // The item the folder's names answer for the name given.
    const CFolderNames::Entry* entry = folder->names.Find(given.Name());
    if (entry && entry->state != CFolderNames::State::Present)
        return NamedBefore(entry->result, given);  // moved away by the run, or given this name by it
    CItemPath respelled, moved;
    const CItemPath& from = entry && entry->name != given.Name() ? (respelled = given.WithName(entry->name)) : given;
    std::unique_ptr<COpenedItem> item;
    reason = store_.OpenItem(OnDisk(from, moved), folder->facts, item);
    if (reason != ItemReason::Done)
        return kept(reason);
    // Another of its names: another folder's path to it, or under Windows a
    // hard link. (Where names are exact a file's other names are entries of
    // their own, each a name the user gave: each is renamed.)
    const auto renamed = renamedItems_.find(item->identity);
    if (renamed != renamedItems_.end() && (item->folder || !exactNames_))
        return NamedBefore(renamed->second, given);
    result.from = item->name == from.Name() ? from : from.WithName(item->name);
    result.identity = item->identity;
    return MoveItem(std::move(result), given, *item, *folder);
}

bool CRenameRun::NamedEarlier(const CItemPath& given, std::size_t& earlier)
{
    // Exactly as before, or below a folder the run renamed.
    const auto path = renamedPaths_.find(given.Full());
    if (path != renamedPaths_.end()) {
        earlier = path->second;
        return true;
    }
    // Where names are exact only folders' paths are kept: an item named
    // again by the same path is in the record of the folder met by it. (The
    // folder's own record answers that too, once the run has met it, unless
    // the run renamed a folder since.)
    if (!exactNames_ || !folderRenamed_)
        return false;
    Folder* const known = KnownFolder(given);
    const CFolderNames::Entry* entry = known ? known->names.Find(given.Name()) : nullptr;
    if (!entry || entry->state == CFolderNames::State::Present)
        return false;
    earlier = entry->result;
    return true;
}

ItemResult CRenameRun::MoveItem(ItemResult result, const CItemPath& given, COpenedItem& item, Folder& folder)
{
    std::wstring newName;
    ItemReason reason = NewNameOf(item, newName, result.affixRemoved);
    if (reason == ItemReason::Done) {
        result.to = result.from.Sibling(newName);  // planned, whether or not it can be
        Folder* into = nullptr;
        reason = CheckMove(result.from, given, item, result.to, folder, into);
        CItemPath moved, movedTarget;
        if (reason == ItemReason::Done)
            reason = dryRun_ ? store_.CouldMove(item, OnDisk(result.from, moved), OnDisk(result.to, movedTarget))
                             : store_.Move(item, result.from, result.to);
        if (reason == ItemReason::Done) {
            result.status = dryRun_ ? ItemStatus::WouldRename : ItemStatus::Renamed;
            result.reason = ItemReason::Done;
            Record(result, given, item.folder || item.link, folder, *into);
            return result;
        }
    }
    result.reason = reason;
    return result;
}

ItemReason CRenameRun::CheckMove(const CItemPath& from, const CItemPath& given, const COpenedItem& item,
                                 CItemPath& target, Folder& folder, Folder*& into)
{
    if (target.IsBelow(from) || target.IsBelow(given))
        return ItemReason::InsideItself;
    if (InMovedFolder(target))
        return ItemReason::NoFolder;
    if (!target.InFolderOf(from)) {
        // Into another folder: the one the system reaches by that way, which
        // may lead through links (into the item itself, even).
        CItemPath moved, movedFrom;
        const CItemPath& onDisk = OnDisk(target, moved);
        const CItemPath reached = store_.Canonical(onDisk);
        if (reached.Full() != onDisk.Full()) {
            if (reached.IsBelow(OnDisk(from, movedFrom)))
                return ItemReason::InsideItself;
            if (InMovedFolder(reached))
                return ItemReason::NoFolder;
            if (&onDisk == &target)
                target = reached;
        }
    }
    ItemReason reason = ItemReason::Done;
    into = target.InFolderOf(from) ? &folder : FolderOf(target, reason);
    if (!into)
        return reason == ItemReason::Missing ? ItemReason::NoFolder : reason;
    if (item.folder && into->facts.identity == item.identity)
        return ItemReason::InsideItself;
    if (!into->names.IsFree(target.Name()))
        return ItemReason::Taken;
    if (!store_.Fits(target))
        return ItemReason::TooLong;
    if (into->facts.identity.volume != folder.facts.identity.volume)
        return ItemReason::OtherVolume;
    // What Linux decides: mounts.
    if (item.mountPoint)
        return ItemReason::MountPoint;
    if (into->facts.mount != folder.facts.mount)
        return ItemReason::OtherVolume;
    if (folder.facts.readOnly)
        return ItemReason::ReadOnly;
    // Where names are exact the move itself refuses a taken one.
    if (!dryRun_ && exactNames_)
        return ItemReason::Done;
    // A name a dry run would have freed is still taken on the disk.
    const CFolderNames::Entry* there = dryRun_ ? into->names.Find(target.Name()) : nullptr;
    if (there && there->state == CFolderNames::State::Vacated)
        return ItemReason::Done;
    CItemPath moved;
    return store_.CheckFree(OnDisk(target, moved));
}

void CRenameRun::Record(const ItemResult& result, const CItemPath& given, bool leadsOn, Folder& folder, Folder& into)
{
    folderRenamed_ = folderRenamed_ || leadsOn;
    const std::size_t index = keepResults_ ? results_.size() : outcomes_.size();
    const std::wstring givenFull = leadsOn || !exactNames_ ? given.Full() : std::wstring(),
                       fromFull = givenFull.empty() ? std::wstring() : result.from.Full();
    for (const std::wstring* full : {&givenFull, &fromFull}) {
        if (full->empty() || (full == &fromFull && fromFull == givenFull))
            break;
        renamedPaths_[*full] = index;
        if (exactNames_)
            continue;
        std::wstring key = store_.Key(*full);
        if (key != *full)
            renamedKeys_.insert(std::move(key));
    }
    // Where names are exact a file reached again is found by its folder's
    // record (a hard link's other name is an entry of its own): only folders,
    // which a path may be reached through, are kept by identity.
    if (leadsOn || !exactNames_)
        renamedItems_.emplace(result.identity, index);
    folder.names.Vacate(result.from.Name(), index);
    into.names.Add(result.to.Name(), index);
    // A dry run leaves a folder where it was: paths below its new name are
    // looked for below its old one.
    CItemPath moved;
    if (dryRun_ && leadsOn)
        movedFolders_[result.to.Full()] = OnDisk(result.from, moved).Full();
}

ItemResult RenameBack(CItemStore& store, const ItemResult& renamed)
{
    ItemResult result = KeptItem(renamed.to, ItemReason::Failed);
    result.identity = renamed.identity;
    StoredFolder folder;
    std::unique_ptr<COpenedItem> item;
    result.reason = store.OpenFolderOf(renamed.to, folder);
    if (result.reason == ItemReason::Done)
        result.reason = store.OpenItem(renamed.to, folder, item);
    if (result.reason != ItemReason::Done)
        return result;
    if (!(item->identity == renamed.identity) || item->name != renamed.to.Name()) {
        result.reason = ItemReason::OtherItem;
        return result;
    }
    result.to = renamed.from;
    result.reason = store.Fits(renamed.from) ? store.CheckFree(renamed.from) : ItemReason::TooLong;
    if (result.reason == ItemReason::Done)
        result.reason = store.Move(*item, renamed.to, renamed.from);
    if (result.reason == ItemReason::Done)
        result.status = ItemStatus::Renamed;
    return result;
}

namespace {

// The item at a path, opened in its folder; null when there is none.
std::unique_ptr<COpenedItem> OpenAt(CItemStore& store, const CItemPath& path)
{
    StoredFolder folder;
    std::unique_ptr<COpenedItem> item;
    if (!path.HasName() || store.OpenFolderOf(path, folder) != ItemReason::Done)
        return nullptr;
    const ItemReason reason = store.OpenItem(path, folder, item);
    // A link is what it is too: the store would not rename it, nor write it.
    return reason == ItemReason::Done || reason == ItemReason::Link ? std::move(item) : nullptr;
}

}  // namespace

bool IsAnItemOf(CItemStore& store, const CAffixRule& rule, const std::vector<std::wstring>& named,
                const std::vector<std::wstring>& own)
{
    // Each by what it is, and by its path now and after the run.
    std::vector<ItemIdentity> ownItems;
    std::vector<std::wstring> ownKeys;
    for (const std::wstring& file : own) {
        const CItemPath path = store.Resolve(file);
        if (const auto item = OpenAt(store, path))
            ownItems.push_back(item->identity);
        ownKeys.push_back(store.Key(path.Full()));
    }
    const auto isOwn = [&](const CItemPath& path) {
        return std::find(ownKeys.begin(), ownKeys.end(), store.Key(path.Full())) != ownKeys.end();
    };
    for (const std::wstring& file : named) {
        const CItemPath path = store.Resolve(file);
        const auto item = OpenAt(store, path);
        if (isOwn(path) ||
            (item && std::find(ownItems.begin(), ownItems.end(), item->identity) != ownItems.end()))
            return true;
        TagTime local = {};
        if (!item || (rule.UsesItemTime() && !store.LocalTime(*item, local)))
            continue;
        const std::wstring newName =
            rule.UsesItemTime() ? rule.ForItem(local).NewName(path.Name()) : rule.NewName(path.Name());
        if (!newName.empty() && isOwn(path.Sibling(newName)))
            return true;
    }
    return false;
}

bool IsAnItemOf(CItemStore& store, const std::vector<ItemResult>& results, const std::wstring& own)
{
    const auto item = OpenAt(store, store.Resolve(own));
    return item && std::any_of(results.begin(), results.end(),
                               [&item](const ItemResult& result) { return result.identity == item->identity; });
}
