#pragma once

#include "AffixPosition.h"

#include <boost/regex.hpp>

#include <string>

// The local time a rename run fills its date and time tags from.
struct TagTime {
    int year, month, day, hour, minute, second;
};

// The affix with each tag (\y \e \m \d \h \i \s) replaced by its value.
std::wstring ExpandAffix(const std::wstring& raw, const TagTime& time);
// A regular expression matching the affix as added on any day: each tag
// becomes digits of its width, everything else is matched literally.
std::wstring AffixPattern(const std::wstring& raw);

// One run's decision for each name: take the affix off when the base name
// already carries it at the chosen edge, add it otherwise.
class CAffixRule {
public:
    // position is Head or End (anything but Head counts as End).
    CAffixRule(const std::wstring& raw, const TagTime& time, AffixPosition position);

    // The new base name for a base name.
    std::wstring Apply(const std::wstring& base) const;
    bool IsCarriedBy(const std::wstring& base) const;

    const std::wstring& Expanded() const { return expanded_; }

private:
    std::wstring expanded_;
    boost::wregex pattern_;
    bool head_;
};
