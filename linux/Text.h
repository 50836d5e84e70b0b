#pragma once

#include <string>

// A name as a shell reads it back, as ls and mv -v quote: 'a b', "it's",
// and a byte a terminal would not show as $'\n' or $'\xHH' between quoted
// stretches.
std::string Shown(const std::string& bytes);
// The canonical composition (NFC) of text, by ICU; the text as it is when
// ICU cannot.
std::wstring ComposeCanonically(const std::wstring& text);
