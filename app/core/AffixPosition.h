#pragma once

#include <cstdint>

// Where the affix goes in a base name. The values are stored in settings and
// passed between parts of the program, so they are fixed.
enum class AffixPosition : std::int32_t {
    Head = 0,        // before the base name ("-p")
    End = 1,         // after the base name, before the extension ("-s")
    FromDialog = 2,  // whatever the head/end radio buttons say at rename time
};
