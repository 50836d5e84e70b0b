#pragma once

#include "AffixRule.h"

#include <string>

// Renames one file or folder inside its own folder as the rule says. The item
// keeps its attributes; nothing is ever replaced. False when the item keeps
// its old name (the new name is taken, the item is in use, is gone, ...).
bool RenameItem(const std::wstring& path, const CAffixRule& rule);
// The canonical composition (NFC) of text, as the system makes it; the text
// as it is when the system cannot.
std::wstring ComposeCanonically(const std::wstring& text);
