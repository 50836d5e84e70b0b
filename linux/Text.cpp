#include "linux/Text.h"

#include "linux/Messages.h"

#include "app/core/PathList.h"

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
            std::fprintf(stderr, "brindle: %s\n",
                         Formatted(_("ICU (libicuuc.so.%s) cannot be loaded: names are compared as spelled"),
                                   U_ICU_VERSION_SHORT)
                             .c_str());
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

namespace {

// Whether bytes from at start a character a terminal shows as itself; its
// length then.
std::size_t PrintableAt(const std::string& bytes, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x20 || lead == 0x7f)
        return 0;
    std::wstring decoded;
    const std::size_t size = AppendUtf8Character(bytes.data() + at, bytes.data() + bytes.size(), decoded);
    // C1 controls are controls too.
    return size && decoded[0] >= 0x80 && decoded[0] < 0xA0 ? 0 : size;
}

}  // namespace

std::string Shown(const std::string& bytes)
{
    bool plain = true;
    for (std::size_t at = 0; at < bytes.size() && plain;) {
        const std::size_t size = PrintableAt(bytes, at);
        plain = size != 0;
        at += size;
    }
    if (plain) {
        if (bytes.find('\'') == std::string::npos)
            return "'" + bytes + "'";
        if (bytes.find_first_of("\"$`\\!") == std::string::npos)
            return "\"" + bytes + "\"";
    }
    // Quoted stretches, a quote as '\'', and each byte a terminal would not
    // show as $'\n' or $'\xHH': a shell reads the same bytes back.
    std::string out;
    bool open = false;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t size = PrintableAt(bytes, at);
        if (size != 0 && bytes[at] != '\'') {
            if (!open)
                out += '\'';
            open = true;
            out.append(bytes, at, size);
            at += size;
            continue;
        }
        if (open)
            out += '\'';
        open = false;
        const char c = bytes[at++];
        if (c == '\'') {
            out += "\\'";
            continue;
        }
        char escaped[8];
        if (c == '\n' || c == '\t' || c == '\r')
            std::snprintf(escaped, sizeof escaped, "$'\\%c'", c == '\n' ? 'n' : c == '\t' ? 't' : 'r');
        else
            std::snprintf(escaped, sizeof escaped, "$'\\x%02x'", static_cast<unsigned char>(c));
        out += escaped;
    }
    if (open)
        out += '\'';
    return out.empty() ? "''" : out;
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
