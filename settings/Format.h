#pragma once

#include "settings/File.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The primitives of the settings format: little-endian 32-bit integers,
// NUL-terminated UTF-16LE strings and zlib-compressed blocks.
void WriteInt32(CFile& stream, std::int32_t value);
// Bytes missing at the end of the data read as 0.
std::int32_t ReadInt32(CFile& stream);
void WriteString(CFile& stream, const std::wstring& text);
// Up to a zero code unit or the end of the data.
std::wstring ReadString(CFile& stream);

// U, then (when U is not 0) C and C bytes of zlib stream.
void WriteCompressed(CFile& stream, const unsigned char* data, std::size_t length);
// Reads U, C and the zlib data and inflates it into a vector of exactly U
// bytes, zero-filled where zlib produced nothing. A U past kMaxSettingsBody or
// that C bytes of zlib data could never produce, or more data than the stream
// holds, reads as damaged (nothing); what was inflated before damage inside
// the zlib data is kept.
void ReadCompressedBlock(CFile& stream, std::vector<unsigned char>& body);

// The most that deflate expands to: about 1032 bytes out per byte in.
const std::uint64_t kMaxInflateRatio = 1032;
// The program's own settings body is a few hundred bytes: a longer one, in
// either form, is damaged input, whatever its sizes say.
const std::uint32_t kMaxSettingsBody = 1u << 20;
