#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include <boost/unordered/unordered_flat_map.hpp>
#include <vector>

// What a run knows of the names in one folder: those it held when the run
// first listed it, and what the run did to them since. A name given names
// the entry spelled exactly so where there is one, else the first whose key
// matches (on Windows the key ignores case; Linux under Wine may hold A.txt
// and a.txt side by side).
class CFolderNames {
public:
    // A name's key: two names with one key cannot stand side by side.
    using KeyOf = std::function<std::wstring(const std::wstring&)>;

    enum class State : std::uint8_t {
        Present,  // as listed, untouched by the run
        Vacated,  // the run moved its item away
        Added,    // the run moved an item here
    };
    struct Entry {
        std::wstring name;
        State state = State::Present;
        std::size_t result = 0;  // the run's result that vacated or added it
    };

    CFolderNames(const std::vector<std::wstring>& names, KeyOf key);
    // A folder not listed, where every name is only its own spelling: it
    // knows only the names the run changes (their entries' names left
    // empty: the name is the key), and a name it does not know is for the
    // file system to answer.
    CFolderNames() = default;

    // The entry a given name names; null when none does. An item there now
    // comes before one the run moved away. (Of a folder not listed: valid
    // until the next call.)
    const Entry* Find(const std::wstring& name) const;
    // True when no item there now has the name's key.
    bool IsFree(const std::wstring& name) const;
    // The run moved the item of this entry away, or an item here.
    void Vacate(const std::wstring& name, std::size_t result);
    void Add(const std::wstring& name, std::size_t result);

private:
    std::vector<Entry> entries_;  // in the order listed, then as added
    std::unordered_map<std::wstring, std::size_t> present_;   // exact name of an item there now
    std::unordered_map<std::wstring, std::size_t> vacated_;   // exact name the run moved away
    std::unordered_map<std::wstring, std::vector<std::size_t>> byKey_;
    KeyOf key_;  // none where the folder is not listed
    // A folder not listed: each name the run changed (as UTF-8, which most
    // names fit without a block of their own) and what it is now, in one
    // flat table: a run over a million names keeps two entries each.
    // Packed to eight bytes: a run's results are counted in far fewer than
    // 2^32 (each takes more than a byte of memory).
    struct Change {
        std::uint32_t result;
        State state;
    };
    boost::unordered_flat_map<std::string, Change> changed_;
    const std::string& Utf8(const std::wstring& name) const;
    mutable std::string utf8_;
    mutable Entry found_;
};
