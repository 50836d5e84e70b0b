#include "settings/Format.h"

#include <zlib.h>

void WriteInt32(CFile& stream, std::int32_t value)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(value);
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
        static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
    stream.Write(bytes, sizeof bytes);
}

std::int32_t ReadInt32(CFile& stream)
{
    unsigned char bytes[4] = {};
    stream.Read(bytes, sizeof bytes);
    return static_cast<std::int32_t>(std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
                                     std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24);
}

namespace {

void WriteUnit(CFile& stream, std::uint32_t unit)
{
    const unsigned char bytes[2] = {static_cast<unsigned char>(unit), static_cast<unsigned char>(unit >> 8)};
    stream.Write(bytes, sizeof bytes);
}

}  // namespace

void WriteString(CFile& stream, const std::wstring& text)
{
    for (const wchar_t c : text) {
        const auto code = static_cast<std::uint32_t>(c);
        if (code > 0xFFFF) {  // only where wchar_t holds UTF-32: store UTF-16
            WriteUnit(stream, 0xD800 + ((code - 0x10000) >> 10));
            WriteUnit(stream, 0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            WriteUnit(stream, code);
        }
    }
    WriteUnit(stream, 0);
}

std::wstring ReadString(CFile& stream)
{
    std::wstring text;
    for (;;) {
        unsigned char bytes[2] = {};
        if (stream.Read(bytes, sizeof bytes) == 0)
            return text;
        const wchar_t unit = static_cast<wchar_t>(bytes[0] | bytes[1] << 8);
        if (unit == 0)
            return text;
        text.push_back(unit);
    }
}

void WriteCompressed(CFile& stream, const unsigned char* data, std::size_t length)
{
    WriteInt32(stream, static_cast<std::int32_t>(length));
    if (length == 0)
        return;
    uLongf compressedLength = compressBound(static_cast<uLong>(length));
    std::vector<unsigned char> compressed(compressedLength);
    compress(compressed.data(), &compressedLength, data, static_cast<uLong>(length));
    WriteInt32(stream, static_cast<std::int32_t>(compressedLength));
    stream.Write(compressed.data(), compressedLength);
}

void ReadCompressedBlock(CFile& stream, std::vector<unsigned char>& body)
{
    body.clear();
    const auto expected = static_cast<std::uint32_t>(ReadInt32(stream));
    if (expected == 0)
        return;
    const auto compressedLength = static_cast<std::uint32_t>(ReadInt32(stream));
    // Neither a length the data cannot hold nor a size zlib could never make
    // from it is taken at its word.
    if (expected > kMaxSettingsBody || compressedLength == 0 || compressedLength > stream.Remaining() ||
        compressedLength > compressBound(kMaxSettingsBody) || expected > compressedLength * kMaxInflateRatio + 64)
        return;
    std::vector<unsigned char> compressed(compressedLength);
    compressed.resize(stream.Read(compressed.data(), compressed.size()));
    body.assign(expected, 0);
    uLongf produced = expected;
    uncompress(body.data(), &produced, compressed.data(), static_cast<uLong>(compressed.size()));
}
