#pragma once

#include <boost/functional/hash.hpp>
#include <boost/unordered_map.hpp>

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

class CFile;

// The settings tree: integers, strings, byte blocks and child maps, each in
// its own table keyed by a case-sensitive wide string. Reading a key that is
// absent inserts the type's default, which is how restores get their defaults.
class CMapData {
public:
    using Bytes = std::vector<unsigned char>;

    explicit CMapData(std::int32_t header = 0);
    CMapData(const CMapData& other) = default;
    CMapData& operator=(const CMapData& other) = default;
    CMapData(CMapData&&) = default;
    CMapData& operator=(CMapData&&) = default;
    virtual ~CMapData();

    std::int32_t& Integer(const std::wstring& key) { return integers_[key]; }
    std::wstring& String(const std::wstring& key) { return strings_[key]; }
    Bytes& Block(const std::wstring& key) { return blocks_[key]; }
    CMapData& Map(const std::wstring& key) { return maps_[key]; }
    bool HasInteger(const std::wstring& key) const { return integers_.count(key) != 0; }

    // A fixed-size plain record, stored as a block of exactly its size.
    template <class Record>
    void PutRecord(const std::wstring& key, const Record& record)
    {
        static_assert(std::is_trivially_copyable<Record>::value, "plain records only");
        const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
        Block(key).assign(bytes, bytes + sizeof record);
    }

    // False, with the record untouched, when the key is absent or its block
    // is too short to hold the record (a damaged file).
    template <class Record>
    bool GetRecord(const std::wstring& key, Record& record) const
    {
        static_assert(std::is_trivially_copyable<Record>::value, "plain records only");
        const auto found = blocks_.find(key);
        if (found == blocks_.end() || found->second.size() < sizeof record)
            return false;
        std::memcpy(&record, found->second.data(), sizeof record);
        return true;
    }

    bool Write(CFile& stream) const;
    // Reads what the data holds, stopping at its end or at the first length
    // it cannot hold; what was read before stays.
    bool Read(CFile& stream);

    std::int32_t Header() const { return header_; }
    // Same header and the same entries, in whatever order they were made.
    bool operator==(const CMapData& other) const;
    bool operator!=(const CMapData& other) const { return !(*this == other); }

    // Nesting deeper than this is not followed when reading.
    static const int kMaxDepth = 32;

private:
    template <class Value>
    using Table = boost::unordered_map<std::wstring, Value, boost::hash<std::wstring>>;

    bool ReadBody(CFile& stream, int depth);

    std::int32_t header_;
    Table<std::int32_t> integers_;
    Table<std::wstring> strings_;
    Table<Bytes> blocks_;
    Table<CMapData> maps_;
};
