#include "NameCheck.h"

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

bool IsCreatableName(const std::wstring& relative, std::size_t utf8Limit)
{
    std::size_t units = 0, bytes = 0;
    for (std::size_t i = 0; i <= relative.size(); ++i) {
        if (i == relative.size() || relative[i] == L'\\' || relative[i] == L'/') {
            if (units == 0 || units > kMaxNameUnits || (utf8Limit && bytes > utf8Limit))
                return false;
            units = bytes = 0;
        } else if (IsForbidden(relative[i])) {
            return false;
        } else {
            ++units;
            bytes += Utf8Bytes(relative[i]);
        }
    }
    return true;
}
