#include "AffixRule.h"

#include <boost/format.hpp>

#include <cwctype>

namespace {

struct DateTag {
    const wchar_t* tag;
    const wchar_t* digits;
    const wchar_t* format;
    int TagTime::*field;
    int modulo;  // 0: the field as it is
};

// Applied in this order.
const DateTag kDateTags[] = {
    {L"\\y", L"[0-9]{2,2}", L"%02d", &TagTime::year, 100},
    {L"\\e", L"[0-9]{4,4}", L"%04d", &TagTime::year, 0},
    {L"\\m", L"[0-9]{2,2}", L"%02d", &TagTime::month, 0},
    {L"\\d", L"[0-9]{2,2}", L"%02d", &TagTime::day, 0},
    {L"\\h", L"[0-9]{2,2}", L"%02d", &TagTime::hour, 0},
    {L"\\i", L"[0-9]{2,2}", L"%02d", &TagTime::minute, 0},
    {L"\\s", L"[0-9]{2,2}", L"%02d", &TagTime::second, 0},
};

const DateTag* TagAt(const std::wstring& text, std::size_t index)
{
    for (const DateTag& row : kDateTags)
        if (text.compare(index, 2, row.tag) == 0)
            return &row;
    return nullptr;
}

std::wstring TagValue(const DateTag& row, const TagTime& time)
{
    const int value = time.*row.field;
    return (boost::wformat(row.format) % (row.modulo ? value % row.modulo : value)).str();
}

// Every ASCII character other than a letter or digit is written as its code
// (a backslash alone would not do: \< and \` are assertions in Perl syntax).
void AppendLiteral(std::wstring& pattern, wchar_t c)
{
    if (c < 0x80 && !std::iswalnum(c))
        pattern += (boost::wformat(L"\\x{%X}") % static_cast<unsigned>(c)).str();
    else
        pattern += c;
}

}  // namespace

std::wstring ExpandAffix(const std::wstring& raw, const TagTime& time)
{
    // Each tag in turn, always from the start, so that text a replacement
    // forms with its neighbours is seen by the later tags just as it stands.
    std::wstring text = raw;
    for (const DateTag& row : kDateTags) {
        const std::wstring value = TagValue(row, time);
        for (std::size_t at; (at = text.find(row.tag)) != std::wstring::npos;)
            text.replace(at, 2, value);
    }
    return text;
}

std::wstring AffixPattern(const std::wstring& raw)
{
    std::wstring pattern;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (const DateTag* row = TagAt(raw, i)) {
            pattern += row->digits;
            ++i;
        } else {
            AppendLiteral(pattern, raw[i]);
        }
    }
    return pattern;
}

CAffixRule::CAffixRule(const std::wstring& raw, const TagTime& time, AffixPosition position)
    : expanded_(ExpandAffix(raw, time)), pattern_(AffixPattern(raw)), head_(position == Head)
{
}

bool CAffixRule::IsCarriedBy(const std::wstring& base) const
{
    const std::size_t n = expanded_.size();
    if (base.size() < n)
        return false;
    const auto first = head_ ? base.begin() : base.end() - static_cast<std::ptrdiff_t>(n);
    return boost::regex_match(first, first + static_cast<std::ptrdiff_t>(n), pattern_);
}

std::wstring CAffixRule::Apply(const std::wstring& base) const
{
    const std::size_t n = expanded_.size();
    if (IsCarriedBy(base))
        return head_ ? base.substr(n) : base.substr(0, base.size() - n);
    return head_ ? expanded_ + base : base + expanded_;
}
