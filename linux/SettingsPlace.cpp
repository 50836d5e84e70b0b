#include "linux/SettingsPlace.h"

#include <cstdlib>

std::string DialogSettingsPath()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
    if (config && *config == '/')
        return std::string(config) + "/brindle/brindle.dat";
    if (home && *home == '/')
        return std::string(home) + "/.config/brindle/brindle.dat";
    return std::string();
}

std::string FallbackSettingsPath()
{
    const char* given = std::getenv("BRINDLE_FALLBACK_SETTINGS");
    return given && *given ? given : BRINDLE_DEFAULT_SETTINGS;
}
