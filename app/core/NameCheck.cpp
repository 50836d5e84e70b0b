#include "app/core/NameCheck.h"

namespace {

bool IsForbidden(wchar_t c)
{
    return static_cast<unsigned long>(c) < 0x20 || c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' ||
           c == L'>' || c == L'|';
}

// UTF-8 bytes of one UTF-16 unit (a surrogate counts half of its pair's four).
std::size_t Utf8Bytes(wchar_t c)
{
    const auto code = static_cast<unsigned long>(c);
    if (code < 0x80)
        return 1;
    if (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))
        return 2;
    return code > 0xFFFF ? 4 : 3;
}

}  // namespace

NameFault CheckName(const std::wstring& relative, std::size_t utf8Limit)
{
    std::size_t units = 0, bytes = 0;
    NameFault fault = NameFault::None;
    for (std::size_t i = 0; i <= relative.size(); ++i) {
        if (i == relative.size() || relative[i] == L'\\' || relative[i] == L'/') {
            if (units == 0)
                return NameFault::Invalid;
            if (units > kMaxNameUnits || (utf8Limit && bytes > utf8Limit))
                fault = NameFault::TooLong;
            units = bytes = 0;
        } else if (IsForbidden(relative[i])) {
            return NameFault::Invalid;
        } else {
            ++units;
            bytes += Utf8Bytes(relative[i]);
        }
    }
    return fault;
}

bool IsCreatableName(const std::wstring& relative, std::size_t utf8Limit)
{
    return CheckName(relative, utf8Limit) == NameFault::None;
}
