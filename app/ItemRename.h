#pragma once

#include "AffixRule.h"

#include <string>

// Renames one file or folder inside its own folder as the rule says. The item
// keeps its attributes; nothing is ever replaced. False when the item keeps
// its old name (the new name is taken, the item is in use, is gone, ...).
// With done, the item's new and old full paths are kept there on success.
struct RenamedItem {
    std::wstring now, before;
};
bool RenameItem(const std::wstring& path, const CAffixRule& rule, RenamedItem* done = nullptr);
// Gives a renamed item its old name back, by the same rules: only while it
// answers to the new name and the old one is free.
bool RenameBack(const RenamedItem& renamed);
// The canonical composition (NFC) of text, as the system makes it; the text
// as it is when the system cannot.
std::wstring ComposeCanonically(const std::wstring& text);
