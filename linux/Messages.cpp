#include "linux/Messages.h"

#include <clocale>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

bool translating = false;

// The locale messages are shown in, as the variables name it: the C locale
// (and its UTF-8 form) has no catalogue, and gettext ignores LANGUAGE there.
bool MessagesInC()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            const std::string locale = value;
            return locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0;
        }
    }
    return true;
}

}  // namespace

const char* Translated(const char* text)
{
    return translating ? gettext(text) : text;
}

void UseTheUsersLanguage()
{
    if (MessagesInC())
        return;
    // Only messages: the program reads names as bytes, whatever the locale.
    std::setlocale(LC_MESSAGES, "");
    const char* given = std::getenv("BRINDLE_LOCALE_DIR");
    std::string folder = given && *given ? given : "";
    if (folder.empty()) {
        char self[PATH_MAX];
        const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
        const std::string program(self, length > 0 ? static_cast<std::size_t>(length) : 0);
        folder = program.substr(0, program.rfind('/') + 1) + BRINDLE_LOCALE_FROM_BIN;
    }
    bindtextdomain("brindle", folder.c_str());
    // UTF-8 whatever the locale's character set: names are shown as UTF-8.
    bind_textdomain_codeset("brindle", "UTF-8");
    textdomain("brindle");
    translating = true;
}

std::string Formatted(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

CLineFormat::CLineFormat(const char* format)
{
    const std::string text = format;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find("%s", from)) != std::string::npos; from = at + 2)
        parts_.push_back(text.substr(from, at - from));
    parts_.push_back(text.substr(from));
}

std::string CLineFormat::operator()(const std::string& first, const std::string& second) const
{
    std::string line = parts_[0];
    const std::string* texts[] = {&first, &second};
    for (std::size_t i = 1; i < parts_.size(); ++i)
        line.append(i <= 2 ? *texts[i - 1] : std::string()).append(parts_[i]);
    return line;
}
