#pragma once

#include <libintl.h>

#include <string>
#include <vector>

// A message in the user's language (gettext's catalogue "brindle"); as
// written, in English, where there is none for it.
#define _(text) Translated(text)
const char* Translated(const char* text) __attribute__((format_arg(1)));
// A text marked for the catalogue where it is written, looked up where used.
#define N_(text) text

// Speaks the language of the user's locale for messages, whatever the
// locale's other parts: the catalogue is found beside the program where it
// was installed, or at $BRINDLE_LOCALE_DIR (the launcher names the built one).
// A run in the C locale (or none) loads nothing: its messages are the ones
// written.
void UseTheUsersLanguage();
// printf's formatting, into a string.
std::string Formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A translated line with %s in it, filled in as fast as joining strings: a
// run may print a million of them.
class CLineFormat {
public:
    explicit CLineFormat(const char* format);
    // The line with each %s in turn replaced by the next text.
    std::string operator()(const std::string& first, const std::string& second) const;

private:
    std::vector<std::string> parts_;
};
