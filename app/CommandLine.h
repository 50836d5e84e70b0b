#pragma once

#include "app/core/AffixPosition.h"

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
    // A file to write what became of each path to ("-r").
    std::wstring resultFile;
    // A file whose UTF-8 text is the affix ("-t"): any affix, whatever a
    // command line could carry.
    std::wstring affixFile;
    // Check everything, move nothing ("-n").
    bool dryRun = false;
    std::wstring affix;
    AffixPosition position = AffixPosition::FromDialog;
};

// Splits the text that follows the program name. Only the space separates
// tokens; "-a" makes the next token the affix, "-l" the next one after that a
// list file, "-q" the stop file, "-r" the result file, "-t" the affix file;
// "-p" and "-s" choose head or end, "-n" makes a dry run; a double-quoted
// token keeps its spaces and dashes; an unclosed quote ends the parse. A null pointer reads as
// an empty command line.
CommandLine ParseCommandLine(const wchar_t* text);
