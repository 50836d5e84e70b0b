#pragma once

#include <string>

// A name as a terminal can show it, in single quotes: bytes that are not
// UTF-8 and control characters as \xHH.
std::string Shown(const std::string& bytes);
// The canonical composition (NFC) of text, by ICU; the text as it is when
// ICU cannot.
std::wstring ComposeCanonically(const std::wstring& text);
