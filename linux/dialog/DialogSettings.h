#pragma once

#include "settings/MapData.h"

#include <string>
#include <vector>

// The dialog's state between runs, in the file format and under the keys
// brindle.exe uses: a file either program saved loads in the other.
struct DialogState {
    std::wstring affix;
    std::vector<std::wstring> history;  // newest first
    int historyIndex = 2;               // of the counts "0", "3", "5", "10", "20"
    bool topMost = false, sendTo = false, head = true;
    // The window's place (its top-left corner) and whether it was minimised.
    bool placed = false, minimized = false;
    int left = 0, top = 0, width = 0, height = 0;

    // The counts the history box offers, in its order.
    static const std::vector<int>& HistoryCounts();
};

// The state a loaded settings tree holds; brindle.exe's defaults where it
// holds none, and one position where a damaged file holds both or neither.
DialogState StateFrom(CMapData& settings);
// The tree brindle.exe saves for that state.
CMapData SettingsOf(const DialogState& state);

// The state saved at that path; else the one the Windows dialog saved in the
// clone (read once: the next save writes the new place); else the defaults.
DialogState LoadDialogState(const std::string& path, const std::string& fallback);
// Writes the state whole, never half: a new file put in the old one's place.
bool SaveDialogState(const std::string& path, const DialogState& state);
