#include "Text.h"

#include "app/PathList.h"

#include <unicode/unorm2.h>
#include <unicode/uvernum.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

#define BRINDLE_NAME_OF(symbol) BRINDLE_TEXT_OF(symbol)
#define BRINDLE_TEXT_OF(symbol) #symbol

// ICU, loaded at the first text that is not ASCII: most runs never need it,
// and loading it at the start would cost a one-file run as much as the
// rename itself. (ICU's headers give its functions their versioned names.)
class CNormalizer {
public:
    CNormalizer()
    {
        void* library = dlopen("libicuuc.so." U_ICU_VERSION_SHORT, RTLD_NOW | RTLD_LOCAL);
        using GetInstance = const UNormalizer2* (*)(UErrorCode*);
        const auto get = library ? reinterpret_cast<GetInstance>(dlsym(library, BRINDLE_NAME_OF(unorm2_getNFCInstance)))
                                 : nullptr;
        normalize_ = library ? reinterpret_cast<Normalize>(dlsym(library, BRINDLE_NAME_OF(unorm2_normalize))) : nullptr;
        UErrorCode status = U_ZERO_ERROR;
        nfc_ = get && normalize_ ? get(&status) : nullptr;
        if (!nfc_ || U_FAILURE(status)) {
            nfc_ = nullptr;
            std::fprintf(stderr, "brindle: ICU (libicuuc.so.%s) cannot be loaded: names are compared as spelled\n",
                         U_ICU_VERSION_SHORT);
        }
    }
    // The composed units, or false.
    bool Compose(const std::vector<UChar>& units, std::vector<UChar>& composed, int32_t& length) const
    {
        UErrorCode status = U_ZERO_ERROR;
        if (!nfc_)
            return false;
        length = normalize_(nfc_, units.data(), static_cast<int32_t>(units.size()), composed.data(),
                            static_cast<int32_t>(composed.size()), &status);
        return U_SUCCESS(status);
    }

private:
    using Normalize = int32_t (*)(const UNormalizer2*, const UChar*, int32_t, UChar*, int32_t, UErrorCode*);
    Normalize normalize_ = nullptr;
    const UNormalizer2* nfc_ = nullptr;
};

}  // namespace

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
    // ASCII is composed already, and composes with nothing that follows.
    if (std::all_of(text.begin(), text.end(), [](wchar_t c) { return static_cast<unsigned long>(c) < 0x80; }))
        return text;
    static const CNormalizer normalizer;
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
    int32_t length = 0;
    if (!normalizer.Compose(units, composed, length))
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
