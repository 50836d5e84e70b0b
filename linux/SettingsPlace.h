#pragma once

#include <string>

// Where the dialog keeps its settings on Linux, and the command line reads
// its default affix and position: brindle.dat in
// ${XDG_CONFIG_HOME:-~/.config}/brindle; empty when there is no home.
std::string DialogSettingsPath();
// The file read where that one is missing: the one the Windows dialog saved
// in the checkout ($BRINDLE_FALLBACK_SETTINGS where the launcher names it).
std::string FallbackSettingsPath();
