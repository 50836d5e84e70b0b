#pragma once

#include "app/core/ItemStore.h"
#include "app/stores/MountTable.h"

#include <map>
#include <memory>
#include <string>

// The file system as Windows shows it: each item opened once and renamed
// through its handle, a symbolic link renamed as itself, names compared
// without regard to case, paths of any length.
class CWindowsItemStore : public CItemStore {
public:
    // The most UTF-8 bytes a name may hold; 0 when only UTF-16 units count.
    virtual std::size_t NameBytes() const { return 0; }
    CItemPath Resolve(const std::wstring& given) const override;
    std::wstring Key(const std::wstring& name) const override;
    bool CanBeNamed(const std::wstring& name) const override;
    NameFault CheckNewName(const std::wstring& relative) const override;
    bool Fits(const CItemPath& path) const override;
    ItemReason OpenFolderOf(const CItemPath& item, StoredFolder& folder) override;
    bool ListFolderOf(const CItemPath& item, std::vector<std::wstring>& names) override;
    ItemReason OpenItem(const CItemPath& path, const StoredFolder& folder,
                        std::unique_ptr<COpenedItem>& item) override;
    ItemReason CheckFree(const CItemPath&) override { return ItemReason::Done; }
    ItemReason CouldMove(const COpenedItem&, const CItemPath&, const CItemPath&) override { return ItemReason::Done; }
    ItemReason Move(COpenedItem& item, const CItemPath& from, const CItemPath& to) override;
    bool LocalTime(const COpenedItem& item, TagTime& time) const override;

protected:
    // What a store knows of an open folder beyond its identity.
    virtual void Describe(void* /*handle*/, StoredFolder& /*folder*/) const {}
};

// Linux under Wine: Wine follows every symbolic link and hides one that
// points nowhere, a Linux file system counts a name's UTF-8 bytes, and
// mounts decide what can move where.
class CWineItemStore : public CWindowsItemStore {
public:
    CWineItemStore();
    std::size_t NameBytes() const override;
    ItemReason OpenItem(const CItemPath& path, const StoredFolder& folder,
                        std::unique_ptr<COpenedItem>& item) override;
    ItemReason CheckFree(const CItemPath& target) override;
    ItemReason CouldMove(const COpenedItem& item, const CItemPath& from, const CItemPath& to) override;

protected:
    void Describe(void* handle, StoredFolder& folder) const override;

private:
    CMountTable mounts_;
    bool root_ = false;  // the program runs as Linux's root
    // Where Wine resolves each folder met (links followed), by its identity.
    mutable std::map<ItemIdentity, std::wstring> resolvedFolders_;
};

// The store for the system the program runs on: chosen once, at start-up.
std::unique_ptr<CItemStore> MakeItemStore();
// The outcome for an item no run reached (no affix, say).
ItemResult KeptItem(const std::wstring& given, ItemReason reason);
// The canonical composition (NFC) of text, as the system makes it; the text
// as it is when the system cannot.
std::wstring ComposeCanonically(const std::wstring& text);
