#include "app/core/PathList.h"

#include <algorithm>

namespace {

// The length and lowest value of a sequence by its lead byte; 0 for a byte
// that cannot start one.
int SequenceLength(unsigned char lead, char32_t& lowest)
{
    if (lead < 0x80) {
        lowest = 0;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        lowest = 0x80;
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        lowest = 0x800;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        lowest = 0x10000;
        return 4;
    }
    return 0;
}

}  // namespace

std::size_t AppendUtf8Character(const char* first, const char* last, std::wstring& out)
{
    char32_t lowest = 0;
    const int size = first == last ? 0 : SequenceLength(static_cast<unsigned char>(*first), lowest);
    if (size == 0 || last - first < size || !AppendUtf8(first, first + size, out))
        return 0;
    return static_cast<std::size_t>(size);
}

bool AppendUtf8(const char* first, const char* last, std::wstring& out)
{
    std::wstring decoded;
    decoded.reserve(static_cast<std::size_t>(last - first));
    while (first != last) {
        const unsigned char lead = static_cast<unsigned char>(*first);
        char32_t lowest = 0;
        const int length = SequenceLength(lead, lowest);
        if (length == 0 || last - first < length)
            return false;
        char32_t value = length == 1 ? lead : lead & (0x7F >> length);
        for (int i = 1; i < length; ++i) {
            const unsigned char next = static_cast<unsigned char>(first[i]);
            if ((next & 0xC0) != 0x80)
                return false;
            value = value << 6 | (next & 0x3F);
        }
        if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        if (value >= 0x10000 && sizeof(wchar_t) == 2) {  // UTF-16: a surrogate pair
            decoded += static_cast<wchar_t>(0xD800 + ((value - 0x10000) >> 10));
            decoded += static_cast<wchar_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
        } else {
            decoded += static_cast<wchar_t>(value);
        }
        first += length;
    }
    out += decoded;
    return true;
}

std::size_t Utf8Size(wchar_t c)
{
    const auto code = static_cast<unsigned long>(c);
    if (code < 0x80)
        return 1;
    if (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))
        return 2;
    return code > 0xFFFF ? 4 : 3;
}

void AppendAsUtf8(const std::wstring& text, std::string& out)
{
    // Most names are ASCII: their characters are copied in one pass.
    const std::size_t start = out.size();
    out.resize(start + text.size());
    std::size_t ascii = 0;
    while (ascii < text.size() && static_cast<char32_t>(text[ascii]) < 0x80) {
        out[start + ascii] = static_cast<char>(text[ascii]);
        ++ascii;
    }
    out.resize(start + ascii);
    for (std::size_t i = ascii; i < text.size(); ++i) {
        char32_t value = static_cast<char32_t>(text[i]);
        if (value < 0x80) {
            out.push_back(static_cast<char>(value));
            continue;
        }
        if (sizeof(wchar_t) == 2 && value >= 0xD800 && value <= 0xDBFF && i + 1 < text.size() &&
            text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            value = 0x10000 + ((value - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
        else if ((value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
            value = 0xFFFD;
        if (value < 0x80) {
            out += static_cast<char>(value);
        } else if (value < 0x800) {
            out += static_cast<char>(0xC0 | value >> 6);
            out += static_cast<char>(0x80 | (value & 0x3F));
        } else if (value < 0x10000) {
            out += static_cast<char>(0xE0 | value >> 12);
            out += static_cast<char>(0x80 | (value >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (value & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | value >> 18);
            out += static_cast<char>(0x80 | (value >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (value >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (value & 0x3F));
        }
    }
}

PathList ParsePathList(const std::string& bytes)
{
    PathList list;
    std::size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::size_t lineEnd = end;
        if (lineEnd > start && bytes[lineEnd - 1] == '\r')
            --lineEnd;
        const char* first = bytes.data() + start;
        const char* last = bytes.data() + lineEnd;
        std::wstring path;
        if (first == last) {
            // nothing named
        } else if (std::find(first, last, '\0') != last || !AppendUtf8(first, last, path) ||
                   path.size() > kMaxListedPath) {
            ++list.unreadable;
        } else {
            list.paths.push_back(std::move(path));
        }
        start = end + 1;
    }
    return list;
}
