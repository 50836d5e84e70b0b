#pragma once

#include "AffixPosition.h"

#include <string>
#include <vector>

// What the command line asks for: files to rename, and optionally the affix
// and its position.
struct CommandLine {
    std::vector<std::wstring> files;
    // Files that each name more paths, one per line ("-l").
    std::vector<std::wstring> lists;
    // A file whose appearance stops the run between two items ("-q"): how a
    // caller interrupts it.
    std::wstring stopFile;
    std::wstring affix;
    AffixPosition position = AffixPosition::FromDialog;
};

// Splits the text that follows the program name. Only the space separates
// tokens; "-a" makes the next token the affix, "-l" the next one after that a
// list file, "-q" the stop file, "-p" and "-s" choose head or end; a double-quoted token keeps its
// spaces and dashes; an unclosed quote ends the parse. A null pointer reads as
// an empty command line.
CommandLine ParseCommandLine(const wchar_t* text);
