// Random affixes and names: the rule never fails, taking off what it added
// gives the name back, and two drops in a row give any name back (as the same
// text, composed or not) unless the first leaves it as it was.
#include "app/core/AffixRule.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// A small stand-in for canonical composition: e and a combining acute make é.
std::wstring Compose(const std::wstring& text)
{
    std::wstring composed;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'e' && i + 1 < text.size() && text[i + 1] == 0x301) {
            composed += L'\u00E9';
            ++i;
        } else {
            composed += text[i];
        }
    }
    return composed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const AffixPosition position = data[0] & 1 ? AffixPosition::End : AffixPosition::Head;
    const Normalizer normalize = data[0] & 2 ? Compose : nullptr;
    const TagTime time = {1900 + data[1] * 3, 1 + data[1] % 12, 1 + data[1] % 28, data[1] % 24, data[1] % 60,
                          data[1] % 60};
    // The rest as UTF-16 units: the affix up to the first zero unit, then the name.
    std::wstring affix, name;
    std::wstring* target = &affix;
    for (std::size_t i = 2; i + 1 < size; i += 2) {
        const wchar_t unit = static_cast<wchar_t>(data[i] | data[i + 1] << 8);
        if (unit == 0 && target == &affix)
            target = &name;
        else if (unit != 0)
            target->push_back(unit);
    }
    if (affix.empty())
        return 0;

    const CAffixRule rule(affix, time, position, normalize);
    const std::wstring& base = name;
    const std::wstring renamed = rule.Apply(base);
    const std::size_t carried = rule.CarriedLength(base);
    if (carried != std::wstring::npos) {
        if (renamed.size() + carried != base.size())
            std::abort();
    } else if (!rule.IsCarriedBy(renamed) || rule.Apply(renamed) != base) {
        std::abort();
    }

    // The toggle's promise, for whole names. With tags, taking off the date of
    // another day and putting today's back is not the same name.
    const std::wstring first = rule.NewName(name);
    const bool added = rule.CarriedLength(name.substr(0, ExtensionStart(name))) == std::wstring::npos;
    if (!first.empty() && (added || rule.Expanded() == affix)) {
        const std::wstring second = rule.NewName(first);
        const bool same = normalize ? Compose(second) == Compose(name) : second == name;
        if (!same)
            std::abort();
    }
    return 0;
}
