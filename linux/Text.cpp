#include "Text.h"

#include "app/PathList.h"

#include <unicode/unorm2.h>

#include <cstdio>
#include <vector>

std::string Shown(const std::string& bytes)
{
    std::wstring decoded;
    const bool utf8 = AppendUtf8(bytes.data(), bytes.data() + bytes.size(), decoded);
    std::string out = "'";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || (byte >= 0x80 && !utf8)) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "'";
}

std::wstring ComposeCanonically(const std::wstring& text)
{
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    if (U_FAILURE(status) || text.empty())
        return text;
    // ICU counts UTF-16 units.
    std::vector<UChar> units;
    for (const wchar_t c : text) {
        const auto code = static_cast<unsigned long>(c);
        if (code >= 0x10000) {
            units.push_back(static_cast<UChar>(0xD800 + ((code - 0x10000) >> 10)));
            units.push_back(static_cast<UChar>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<UChar>(code));
        }
    }
    std::vector<UChar> composed(units.size() * 3 + 16);
    const int32_t length = unorm2_normalize(nfc, units.data(), static_cast<int32_t>(units.size()), composed.data(),
                                            static_cast<int32_t>(composed.size()), &status);
    if (U_FAILURE(status))
        return text;
    std::wstring result;
    for (int32_t i = 0; i < length; ++i) {
        const unsigned long unit = composed[static_cast<std::size_t>(i)];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length) {
            const unsigned long low = composed[static_cast<std::size_t>(++i)];
            result += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        } else {
            result += static_cast<wchar_t>(unit);
        }
    }
    return result;
}
