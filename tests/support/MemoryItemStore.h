#pragma once
// A file system in memory for the rename planner's tests: items with
// identities, links, mounts, names compared with or without regard to case,
// and failures on demand. Every path lies below C:\t.
#include "app/core/ItemStore.h"

#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <vector>

class CMemoryItemStore : public CItemStore {
public:
    // caseBlind: a name finds its exact spelling first, else one that differs
    // only in case (Windows, and Linux under Wine, which may hold both).
    explicit CMemoryItemStore(bool caseBlind = true) : caseBlind_(caseBlind) { items_[kRoot] = Node{next_++, true}; }

    // "a.txt", a folder "d\", a link "l ->"; mount: the Linux mount it lies on
    // (a folder on another mount than its parent is a mount point).
    void Add(const std::wstring& entry, int mount = 0)
    {
        std::wstring path = entry;
        Node node{next_++, false};
        if (path.size() > 3 && path.compare(path.size() - 3, 3, L" ->") == 0) {
            node.link = true;
            path.resize(path.size() - 3);
        } else if (!path.empty() && path.back() == L'\\') {
            node.folder = true;
            path.pop_back();
        }
        node.mount = mount;
        items_[kRoot + L"\\" + path] = node;
    }
    // A move of this path (below C:\t) fails for this reason; a dry run asks too.
    std::map<std::wstring, ItemReason> refused;
    // Names that stand in a folder but that no listing shows (Wine's links to nothing).
    std::set<std::wstring> hidden;

    // What is there now, below C:\t: folders end in a backslash.
    std::vector<std::wstring> Tree() const
    {
        std::vector<std::wstring> tree;
        for (const auto& item : items_)
            if (item.first != kRoot && !hidden.count(item.first.substr(kRoot.size() + 1)))
                tree.push_back(item.first.substr(kRoot.size() + 1) + (item.second.folder ? L"\\" : L""));
        return tree;
    }

    CItemPath Resolve(const std::wstring& given) const override
    {
        return CItemPath::Resolve(given, [](const std::wstring&) { return kRoot; });
    }
    std::wstring Key(const std::wstring& name) const override
    {
        std::wstring key = name;
        if (caseBlind_)
            for (wchar_t& c : key)
                c = static_cast<wchar_t>(std::towupper(c));
        return key;
    }
    bool CanBeNamed(const std::wstring& name) const override
    {
        return IsCreatableName(name) && name.find_first_not_of(L". ") != std::wstring::npos;
    }
    NameFault CheckNewName(const std::wstring& relative) const override { return CheckName(relative); }
    bool Fits(const CItemPath& path) const override { return path.Literal().size() < 32767; }
    bool NamesAreExact() const override { return !caseBlind_; }

    ItemReason OpenFolderOf(const CItemPath& item, StoredFolder& folder) override
    {
        const std::wstring at = Find(Plain(item.LiteralFolder()));
        if (at.empty() || !items_.at(at).folder)
            return ItemReason::Missing;
        folder.identity = ItemIdentity{1, 0, static_cast<unsigned long>(items_.at(at).id), 0};
        folder.mount = items_.at(at).mount;
        return ItemReason::Done;
    }
    bool ListFolderOf(const CItemPath& item, std::vector<std::wstring>& names) override
    {
        // Exact names, as on Linux: no listing is kept.
        if (!caseBlind_)
            return false;
        const std::wstring at = Find(Plain(item.LiteralFolder()));
        for (const auto& child : items_)
            if (!at.empty() && Parent(child.first) == at && !hidden.count(child.first.substr(kRoot.size() + 1)))
                names.push_back(child.first.substr(at.size() + 1));
        return true;
    }
    ItemReason OpenItem(const CItemPath& path, const StoredFolder&, std::unique_ptr<COpenedItem>& item) override
    {
        const std::wstring at = Find(path.Full());
        if (at.empty() || hidden.count(at.substr(kRoot.size() + 1)))
            return ItemReason::Missing;
        const Node& node = items_.at(at);
        item.reset(new COpenedItem);
        item->identity = ItemIdentity{1, 0, static_cast<unsigned long>(node.id), node.folder ? 0 : node.id};
        item->name = at.substr(at.find_last_of(L'\\') + 1);
        item->written = 20110227090503;
        item->folder = node.folder;
        item->link = node.link;
        item->mountPoint = node.folder && node.mount != items_.at(Parent(at)).mount;
        return node.link ? ItemReason::Link : ItemReason::Done;
    }
    ItemReason CheckFree(const CItemPath& target) override
    {
        const std::wstring at = Find(target.Full());
        return !at.empty() && (!caseBlind_ || hidden.count(at.substr(kRoot.size() + 1))) ? ItemReason::Taken
                                                                                      : ItemReason::Done;
    }
    ItemReason CouldMove(const COpenedItem& item, const CItemPath&, const CItemPath&) override { return RefusalOf(item); }
    ItemReason Move(COpenedItem& item, const CItemPath& from, const CItemPath& to) override
    {
        const std::wstring old = Find(from.Full()), folder = Find(Plain(to.LiteralFolder()));
        if (old.empty() || folder.empty())
            return ItemReason::Missing;
        if (RefusalOf(item) != ItemReason::Done)
            return RefusalOf(item);
        const std::wstring target = folder + L"\\" + to.Name();
        for (const auto& child : items_)
            if (Parent(child.first) == folder && Key(child.first) == Key(target))
                return ItemReason::Taken;
        std::map<std::wstring, Node> moved;
        for (auto it = items_.begin(); it != items_.end();) {
            if (it->first == old || it->first.compare(0, old.size() + 1, old + L"\\") == 0) {
                moved[target + it->first.substr(old.size())] = it->second;
                it = items_.erase(it);
            } else {
                ++it;
            }
        }
        items_.insert(moved.begin(), moved.end());
        return ItemReason::Done;
    }
    bool LocalTime(const COpenedItem& item, TagTime& time) const override
    {
        long long t = item.written;
        const int second = static_cast<int>(t % 100), minute = static_cast<int>(t / 100 % 100),
                  hour = static_cast<int>(t / 10000 % 100), day = static_cast<int>(t / 1000000 % 100),
                  month = static_cast<int>(t / 100000000 % 100), year = static_cast<int>(t / 10000000000);
        time = TagTime{year, month, day, hour, minute, second};
        return true;
    }

private:
    struct Node {
        int id = 0;
        bool folder = false, link = false;
        int mount = 0;
    };
    static const std::wstring kRoot;

    static std::wstring Plain(const std::wstring& literal) { return literal.compare(0, 4, L"\\\\?\\") == 0 ? literal.substr(4) : literal; }
    static std::wstring Parent(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }
    ItemReason RefusalOf(const COpenedItem& item) const
    {
        for (const auto& node : items_)
            if (static_cast<unsigned long>(node.second.id) == item.identity.indexLow) {
                const auto refusal = refused.find(node.first.substr(kRoot.size() + 1));
                return refusal == refused.end() ? ItemReason::Done : refusal->second;
            }
        return ItemReason::Done;
    }
    // The stored path a full path names, component by component: the exact
    // spelling first, else the first alike; empty when none.
    std::wstring Find(const std::wstring& full) const
    {
        if (full.compare(0, kRoot.size(), kRoot) != 0)
            return std::wstring();
        std::wstring at = kRoot;
        for (std::size_t from = kRoot.size() + 1; from <= full.size() && full.size() > kRoot.size();) {
            const std::size_t end = std::min(full.find(L'\\', from), full.size());
            const std::wstring exact = at + L"\\" + full.substr(from, end - from);
            std::wstring found = items_.count(exact) ? exact : std::wstring();
            for (auto it = items_.begin(); found.empty() && it != items_.end(); ++it)
                if (Parent(it->first) == at && Key(it->first) == Key(exact))
                    found = it->first;
            if (found.empty())
                return std::wstring();
            at = found;
            from = end + 1;
        }
        return at;
    }

    bool caseBlind_;
    int next_ = 1;
    std::map<std::wstring, Node> items_;
};

inline const std::wstring CMemoryItemStore::kRoot = L"C:\\t";
