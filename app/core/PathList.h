#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The paths a list file names: UTF-8 text, one full path per line, lines
// ending in LF or CR LF, an optional byte-order mark first.
struct PathList {
    std::vector<std::wstring> paths;
    // Lines that could not be read exactly (not UTF-8, a NUL, too long): the
    // paths they meant are never guessed at, so they count as not renamed.
    std::size_t unreadable = 0;
};

// The longest path a line may hold, in UTF-16 units: the longest path Windows
// file calls accept.
const std::size_t kMaxListedPath = 32767;

// Reads a list file's bytes. Empty lines name nothing and are passed over.
PathList ParsePathList(const std::string& bytes);
// Appends the UTF-16 form of strict UTF-8 (no overlong forms, surrogates or
// values past U+10FFFF); false, with out unchanged, when the text is not that.
bool AppendUtf8(const char* first, const char* last, std::wstring& out);
// How many bytes the character at first takes where they are valid UTF-8
// (appending it to out); 0 where they are not.
std::size_t AppendUtf8Character(const char* first, const char* last, std::wstring& out);
// Appends the UTF-8 form of a wide text; a lone surrogate, which UTF-8
// cannot hold, becomes U+FFFD.
void AppendAsUtf8(const std::wstring& text, std::string& out);
// How many bytes a character takes as UTF-8 (where wchar_t is UTF-16, a
// surrogate counts half of its pair's four).
std::size_t Utf8Size(wchar_t c);
