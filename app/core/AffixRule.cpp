#include "app/core/AffixRule.h"

#include <boost/format.hpp>

#include <algorithm>

#include <cwctype>

namespace {

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

namespace {

const wchar_t kItemTimeTag[] = L"\\f";

std::wstring ExpandWith(const std::wstring& raw, const TagTime& time)
{
    // Each tag in turn, always from the start, so that text a replacement
    // forms with its neighbours is seen by the later tags just as it stands.
    std::wstring text = raw;
    for (const DateTag& row : kDateTags) {
        const std::wstring value = row.field ? TagValue(row, time) : std::wstring();
        for (std::size_t at; (at = text.find(row.tag)) != std::wstring::npos;)
            text.replace(at, 2, value);
    }
    return text;
}

}  // namespace

std::wstring ExpandAffix(const std::wstring& raw, const TagTime& clock, const TagTime& item)
{
    const std::size_t at = raw.find(kItemTimeTag);
    if (at == std::wstring::npos)
        return ExpandWith(raw, clock);
    return ExpandWith(raw.substr(0, at), clock) + ExpandWith(raw.substr(at + 2), item);
}

std::wstring ExpandAffix(const std::wstring& raw, const TagTime& time)
{
    return ExpandAffix(raw, time, time);
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

std::size_t ExtensionStart(const std::wstring& name)
{
    std::size_t dot = name.size();
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == L'.')
            dot = i;
        else if (name[i] == L' ' || name[i] == L'\\')
            dot = name.size();
    }
    return dot;
}

namespace {

bool IsAscii(const std::wstring& text)
{
    for (const wchar_t c : text)
        if (static_cast<unsigned long>(c) >= 0x80)
            return false;
    return true;
}

}  // namespace

CAffixRule::CAffixRule(const std::wstring& raw, const TagTime& time, AffixPosition position, Normalizer normalize)
    : raw_(raw),
      clock_(time),
      usesItemTime_(raw.find(kItemTimeTag) != std::wstring::npos),
      expanded_(ExpandAffix(raw, time)),
      pattern_(AffixPattern(raw)),
      literal_(std::none_of(kDateTags, kDateTags + kDateTagCount,
                            [&raw](const DateTag& row) { return raw.find(row.tag) != std::wstring::npos; })),
      head_(position == AffixPosition::Head),
      normalize_(normalize),
      normalizedLength_(0)
{
    if (normalize_) {
        // Tags and their digits are ASCII: normalisation leaves them alone.
        normalizedPattern_.assign(AffixPattern(normalize_(raw)));
        normalizedLength_ = normalize_(expanded_).size();
    }
}

CAffixRule CAffixRule::ForItem(const TagTime& item) const
{
    CAffixRule rule(*this);
    rule.expanded_ = ExpandAffix(raw_, clock_, item);
    if (normalize_)
        rule.normalizedLength_ = normalize_(rule.expanded_).size();
    return rule;
}

std::size_t CAffixRule::CarriedExactly(const std::wstring& base) const
{
    const std::size_t n = expanded_.size();
    if (base.size() >= n) {
        const auto first = head_ ? base.begin() : base.end() - static_cast<std::ptrdiff_t>(n);
        if (literal_ ? std::equal(first, first + static_cast<std::ptrdiff_t>(n), expanded_.begin())
                     : boost::regex_match(first, first + static_cast<std::ptrdiff_t>(n), pattern_))
            return n;
    }
    return std::wstring::npos;
}

std::size_t CAffixRule::CarriedLength(const std::wstring& base) const
{
    const std::size_t exactly = CarriedExactly(base);
    return exactly != std::wstring::npos ? exactly : CarriedInAnotherForm(base);
}

// The affix as the name spells it in another normalisation form: the shortest
// edge of the name that composes to the affix and ends where the name can be
// split without changing how the rest composes.
std::size_t CAffixRule::CarriedInAnotherForm(const std::wstring& base) const
{
    if (!normalize_ || (IsAscii(base) && IsAscii(expanded_)))
        return std::wstring::npos;
    const std::wstring whole = normalize_(base);
    // The composed name must show the composed affix at its edge: one
    // composition a name decides most names.
    if (whole.size() < normalizedLength_)
        return std::wstring::npos;
    const auto shown = head_ ? whole.begin() : whole.end() - static_cast<std::ptrdiff_t>(normalizedLength_);
    if (!boost::regex_match(shown, shown + static_cast<std::ptrdiff_t>(normalizedLength_), normalizedPattern_))
        return std::wstring::npos;
    // Decomposition makes a character at most a few units longer.
    const std::size_t longest = std::min(base.size(), 4 * normalizedLength_ + 8);
    for (std::size_t k = 1; k <= longest; ++k) {
        const std::wstring edge = head_ ? base.substr(0, k) : base.substr(base.size() - k);
        const std::wstring normalized = normalize_(edge);
        if (normalized.size() != normalizedLength_ || !boost::regex_match(normalized, normalizedPattern_))
            continue;
        const std::wstring rest = normalize_(Without(base, k));
        if ((head_ ? normalized + rest : rest + normalized) == whole)
            return k;
    }
    return std::wstring::npos;
}

bool CAffixRule::IsCarriedBy(const std::wstring& base) const
{
    return CarriedLength(base) != std::wstring::npos;
}

std::wstring CAffixRule::Without(const std::wstring& base, std::size_t carried) const
{
    return head_ ? base.substr(carried) : base.substr(0, base.size() - carried);
}

std::wstring CAffixRule::Apply(const std::wstring& base) const
{
    const std::size_t carried = CarriedLength(base);
    if (carried != std::wstring::npos)
        return Without(base, carried);
    return head_ ? expanded_ + base : base + expanded_;
}

std::wstring CAffixRule::NewName(const std::wstring& name, bool* removes) const
{
    const std::size_t dot = ExtensionStart(name);
    const std::wstring base = name.substr(0, dot), extension = name.substr(dot);
    const std::size_t exactly = CarriedExactly(base);
    const std::size_t carried = exactly != std::wstring::npos ? exactly : CarriedInAnotherForm(base);
    if (removes)
        *removes = carried != std::wstring::npos;
    if (keepOtherForms_ && exactly != carried)
        return std::wstring();
    const std::wstring newName = (carried == std::wstring::npos ? (head_ ? expanded_ + base : base + expanded_)
                                                                : Without(base, carried)) +
                                 extension;

    // The promise of the toggle: a second drop gives this name back. It can
    // break where the affix moves the extension's dot, or where taking it off
    // leaves a name that still carries it.
    const std::size_t newDot = ExtensionStart(newName);
    const std::wstring newBase = newName.substr(0, newDot), newExtension = newName.substr(newDot);
    const std::size_t carriedAfter = CarriedLength(newBase);
    bool comesBack;
    if (carried == std::wstring::npos) {
        comesBack = carriedAfter != std::wstring::npos && Without(newBase, carriedAfter) + newExtension == name;
    } else {
        const std::wstring taken = head_ ? base.substr(0, carried) : base.substr(base.size() - carried);
        comesBack = carriedAfter == std::wstring::npos &&
                    (head_ ? taken + newBase : newBase + taken) + newExtension == name;
    }
    return comesBack ? newName : std::wstring();
}
