#include "app/core/NameCheck.h"

#include "app/core/PathList.h"

namespace {

bool IsForbidden(wchar_t c)
{
    return static_cast<unsigned long>(c) < 0x20 || c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' ||
           c == L'>' || c == L'|';
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
            bytes += Utf8Size(relative[i]);
        }
    }
    return fault;
}

bool IsCreatableName(const std::wstring& relative, std::size_t utf8Limit)
{
    return CheckName(relative, utf8Limit) == NameFault::None;
}
