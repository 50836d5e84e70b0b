#pragma once

#include "app/core/AffixPosition.h"
#include "app/core/AffixRule.h"
#include "app/core/RunReport.h"

#include <string>
#include <vector>

// What a drop did: each path that named an item, renamed or kept with its
// reason; each that named none, with why.
struct DropOutcome {
    std::vector<ItemResult> results;
    struct Unnamed {
        std::string path, why;
    };
    std::vector<Unnamed> unnamed;
    std::size_t Renamed() const;
};

// Renames dropped paths as the command line renames the same paths: each
// item found first, as the kernel finds it by its path, then renamed in its
// own folder by Linux's rules. A path that names no item is kept out of the
// run; the others are renamed.
DropOutcome RenameDropped(const std::vector<std::string>& paths, const std::wstring& affix, AffixPosition position,
                          const TagTime& now);
// Gives the items a drop renamed their names back, last first, each only
// where it is still the item renamed and its old name is free.
std::vector<ItemResult> UndoDrop(const std::vector<ItemResult>& renamed);
