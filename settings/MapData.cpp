#include "settings/MapData.h"

#include "settings/File.h"
#include "settings/Format.h"

CMapData::CMapData(std::int32_t header) : header_(header) {}

CMapData::~CMapData() = default;

bool CMapData::Write(CFile& stream) const
{
    WriteInt32(stream, header_);
    WriteInt32(stream, static_cast<std::int32_t>(integers_.size()));
    for (const auto& entry : integers_) {
        WriteString(stream, entry.first);
        WriteInt32(stream, entry.second);
    }
    WriteInt32(stream, static_cast<std::int32_t>(strings_.size()));
    for (const auto& entry : strings_) {
        WriteString(stream, entry.first);
        WriteString(stream, entry.second);
    }
    WriteInt32(stream, static_cast<std::int32_t>(blocks_.size()));
    for (const auto& entry : blocks_) {
        WriteString(stream, entry.first);
        WriteInt32(stream, static_cast<std::int32_t>(entry.second.size()));
        if (!entry.second.empty())
            stream.Write(entry.second.data(), entry.second.size());
    }
    WriteInt32(stream, static_cast<std::int32_t>(maps_.size()));
    for (const auto& entry : maps_) {
        WriteString(stream, entry.first);
        entry.second.Write(stream);
    }
    return true;
}

bool CMapData::Read(CFile& stream)
{
    ReadBody(stream, 0);
    return true;
}

// Returns false once the data proved damaged, so that the callers stop too.
bool CMapData::ReadBody(CFile& stream, int depth)
{
    integers_.clear();
    strings_.clear();
    blocks_.clear();
    maps_.clear();
    header_ = ReadInt32(stream);

    // Every entry takes at least a few bytes: a count can only be honoured
    // while data remains, so a huge count ends with the data.
    for (std::int32_t n = ReadInt32(stream); n > 0 && stream.Remaining() > 0; --n) {
        const std::wstring key = ReadString(stream);
        Integer(key) = ReadInt32(stream);
    }
    for (std::int32_t n = ReadInt32(stream); n > 0 && stream.Remaining() > 0; --n) {
        const std::wstring key = ReadString(stream);
        String(key) = ReadString(stream);
    }
    for (std::int32_t n = ReadInt32(stream); n > 0 && stream.Remaining() > 0; --n) {
        const std::wstring key = ReadString(stream);
        const auto length = static_cast<std::uint32_t>(ReadInt32(stream));
        if (length > stream.Remaining())
            return false;
        Bytes bytes(length);
        if (length != 0)
            stream.Read(bytes.data(), length);
        Block(key).swap(bytes);
    }
    for (std::int32_t n = ReadInt32(stream); n > 0 && stream.Remaining() > 0; --n) {
        if (depth >= kMaxDepth)
            return false;
        const std::wstring key = ReadString(stream);
        CMapData child(0);
        const bool whole = child.ReadBody(stream, depth + 1);
        Map(key) = std::move(child);
        if (!whole)
            return false;
    }
    return true;
}

bool CMapData::operator==(const CMapData& other) const
{
    return header_ == other.header_ && integers_ == other.integers_ && strings_ == other.strings_ &&
           blocks_ == other.blocks_ && maps_ == other.maps_;
}
