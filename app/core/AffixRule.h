#pragma once

#include "app/core/AffixPosition.h"

#include <boost/regex.hpp>

#include <string>

// The local time a rename run fills its date and time tags from.
struct TagTime {
    int year, month, day, hour, minute, second;
};

// One tag: what is typed, the digits it matches, how its value is written,
// and which part of the time it shows (modulo 100 for \y). The one tag
// without a part, \f, writes nothing: the tags after it show the time the
// item was last written instead of the clock's.
struct DateTag {
    const wchar_t* tag;
    const wchar_t* digits;
    const wchar_t* format;
    int TagTime::*field;
    int modulo;  // 0: the field as it is
};

// Every tag, in the order they are replaced, and the order of the tag menu.
// A new tag is one row here and one item in the menu resource.
inline constexpr DateTag kDateTags[] = {
    {L"\\y", L"[0-9]{2,2}", L"%02d", &TagTime::year, 100},
    {L"\\e", L"[0-9]{4,4}", L"%04d", &TagTime::year, 0},
    {L"\\m", L"[0-9]{2,2}", L"%02d", &TagTime::month, 0},
    {L"\\d", L"[0-9]{2,2}", L"%02d", &TagTime::day, 0},
    {L"\\h", L"[0-9]{2,2}", L"%02d", &TagTime::hour, 0},
    {L"\\i", L"[0-9]{2,2}", L"%02d", &TagTime::minute, 0},
    {L"\\s", L"[0-9]{2,2}", L"%02d", &TagTime::second, 0},
    {L"\\f", L"", L"", nullptr, 0},
};
inline constexpr std::size_t kDateTagCount = sizeof kDateTags / sizeof kDateTags[0];

// The affix with each tag (\y \e \m \d \h \i \s) replaced by its value:
// from the clock's time, or after \f from the item's.
std::wstring ExpandAffix(const std::wstring& raw, const TagTime& clock, const TagTime& item);
std::wstring ExpandAffix(const std::wstring& raw, const TagTime& time);
// A regular expression matching the affix as added on any day: each tag
// becomes digits of its width, everything else is matched literally.
std::wstring AffixPattern(const std::wstring& raw);

// Where a name's extension starts, as the shell splits names: at its last
// dot, unless a space follows that dot; the name's length when it has none.
std::size_t ExtensionStart(const std::wstring& name);

// Canonical composition (NFC) of a text; the platform provides it.
using Normalizer = std::wstring (*)(const std::wstring& text);

// Which way a run may change names: either (the toggle), or only one.
enum class AffixWay { Toggle, AddOnly, RemoveOnly };

// One run's decision for each name: take the affix off when the base name
// already carries it at the chosen edge, add it otherwise.
class CAffixRule {
public:
    // position is Head or End (anything but Head counts as End). With a
    // normalizer, an affix also counts as carried when the name spells it in
    // another normalisation form.
    CAffixRule(const std::wstring& raw, const TagTime& time, AffixPosition position,
               Normalizer normalize = nullptr);

    // True when the affix holds \f: each item then needs ForItem.
    bool UsesItemTime() const { return usesItemTime_; }
    // The rule for one item that was last written at item (local time).
    CAffixRule ForItem(const TagTime& item) const;

    // The new base name for a base name.
    std::wstring Apply(const std::wstring& base) const;
    bool IsCarriedBy(const std::wstring& base) const;
    // How many units at the chosen edge of base make up the affix; npos when
    // it does not carry it.
    std::size_t CarriedLength(const std::wstring& base) const;
    // The new name for a whole name (base name and extension), or empty when
    // a second drop would not give this name back: then it is left as it is.
    // removes: set to whether the new name takes the affix off.
    std::wstring NewName(const std::wstring& name, bool* removes = nullptr) const;
    // Where a name is its bytes (Linux), one that spells the affix in another
    // normalisation form keeps its name: taken off, the affix would come back
    // in the rule's own form, and the name with other bytes.
    void KeepOtherForms(bool keep) { keepOtherForms_ = keep; }

    // Only one way where the user asked for it (the rule itself is one).
    void SetWay(AffixWay way) { way_ = way; }
    AffixWay Way() const { return way_; }

    const std::wstring& Expanded() const { return expanded_; }

private:
    std::size_t CarriedInAnotherForm(const std::wstring& base) const;
    // The affix exactly as the rule spells it, at the chosen edge; npos when
    // it is not there.
    std::size_t CarriedExactly(const std::wstring& base) const;
    std::wstring Without(const std::wstring& base, std::size_t carried) const;

    std::wstring raw_;
    TagTime clock_;
    bool usesItemTime_;
    std::wstring expanded_;
    boost::wregex pattern_;
    bool literal_;  // no tags: the name carries exactly the affix's text
    bool head_;
    Normalizer normalize_;
    boost::wregex normalizedPattern_;
    std::size_t normalizedLength_;
    AffixWay way_ = AffixWay::Toggle;
    bool keepOtherForms_ = false;
};
