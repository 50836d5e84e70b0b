// Random affixes and names: the rule never fails, and taking off what it
// added gives the name back.
#include "app/AffixRule.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const AffixPosition position = data[0] & 1 ? End : Head;
    const TagTime time = {1900 + data[1] * 3, 1 + data[1] % 12, 1 + data[1] % 28, data[1] % 24, data[1] % 60,
                          data[1] % 60};
    // The rest as UTF-16 units: the affix up to the first zero unit, then the name.
    std::wstring affix, base;
    std::wstring* target = &affix;
    for (std::size_t i = 2; i + 1 < size; i += 2) {
        const wchar_t unit = static_cast<wchar_t>(data[i] | data[i + 1] << 8);
        if (unit == 0 && target == &affix)
            target = &base;
        else if (unit != 0)
            target->push_back(unit);
    }
    if (affix.empty())
        return 0;

    const CAffixRule rule(affix, time, position);
    const std::wstring renamed = rule.Apply(base);
    if (rule.IsCarriedBy(base)) {
        if (renamed.size() + rule.Expanded().size() != base.size())
            std::abort();
    } else if (!rule.IsCarriedBy(renamed) || rule.Apply(renamed) != base) {
        std::abort();
    }
    return 0;
}
