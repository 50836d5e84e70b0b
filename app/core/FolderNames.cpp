#include "app/core/FolderNames.h"

#include "app/core/PathList.h"

#include <algorithm>

CFolderNames::CFolderNames(const std::vector<std::wstring>& names, KeyOf key) : key_(std::move(key))
{
    entries_.reserve(names.size());
    for (const std::wstring& name : names) {
        if (present_.count(name))
            continue;
        present_.emplace(name, entries_.size());
        byKey_[key_(name)].push_back(entries_.size());
        entries_.push_back(Entry{name, State::Present, 0});
    }
}

const CFolderNames::Entry* CFolderNames::Find(const std::wstring& name) const
{
    if (!key_) {
        const auto changed = changed_.find(Utf8(name));
        if (changed == changed_.end())
            return nullptr;
        found_.state = changed->second.state;
        found_.result = changed->second.result;
        return &found_;
    }
    auto exact = present_.find(name);
    if (exact != present_.end())
        return &entries_[exact->second];
    exact = vacated_.find(name);
    if (exact != vacated_.end())
        return &entries_[exact->second];
    const auto alike = byKey_.find(key_(name));
    return alike == byKey_.end() || alike->second.empty() ? nullptr : &entries_[alike->second.front()];
}

bool CFolderNames::IsFree(const std::wstring& name) const
{
    if (!key_) {
        const Entry* entry = Find(name);
        return !entry || entry->state == State::Vacated;
    }
    const auto alike = byKey_.find(key_(name));
    if (alike == byKey_.end())
        return true;
    return std::none_of(alike->second.begin(), alike->second.end(),
                        [this](std::size_t i) { return entries_[i].state != State::Vacated; });
}

void CFolderNames::Vacate(const std::wstring& name, std::size_t result)
{
    if (!key_) {
        changed_[Utf8(name)] = Change{static_cast<std::uint32_t>(result), State::Vacated};
        return;
    }
    const auto exact = present_.find(name);
    if (exact == present_.end())
        return;  // not listed: the run cannot have met it by this name
    Entry& entry = entries_[exact->second];
    entry.state = State::Vacated;
    entry.result = result;
    vacated_[name] = exact->second;
    present_.erase(exact);
}

void CFolderNames::Add(const std::wstring& name, std::size_t result)
{
    if (!key_) {
        changed_[Utf8(name)] = Change{static_cast<std::uint32_t>(result), State::Added};
        return;
    }
    present_[name] = entries_.size();
    byKey_[key_(name)].push_back(entries_.size());
    entries_.push_back(Entry{name, State::Added, result});
}

// A name's UTF-8, in a buffer kept for it: looking a name up allocates nothing.
const std::string& CFolderNames::Utf8(const std::wstring& name) const
{
    utf8_.clear();
    AppendAsUtf8(name, utf8_);
    return utf8_;
}
