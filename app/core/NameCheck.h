#pragma once

#include <cstddef>
#include <string>

// Whether the names a rename would create are names Windows can hold. A name
// that fails is never attempted: the platform would make it something else
// (a stream, a shorter name, a collapsed separator) or refuse it half way.

// The longest name a file system takes, in UTF-16 units.
const std::size_t kMaxNameUnits = 255;

// Every component of a relative path (folders the affix leads into, then the
// name) is non-empty, holds no character Windows forbids in names (: * ? " < > |
// and U+0000 to U+001F) and fits kMaxNameUnits; with a UTF-8 limit (a Linux
// file system under Wine counts bytes), fits that many bytes as UTF-8 too.
bool IsCreatableName(const std::wstring& relative, std::size_t utf8Limit = 0);
// Why a name is not creatable: a forbidden character or an empty component
// first, else a component too long.
enum class NameFault { None, Invalid, TooLong };
NameFault CheckName(const std::wstring& relative, std::size_t utf8Limit = 0);
