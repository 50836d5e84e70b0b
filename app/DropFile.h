#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

// The names of one drop, read in the shell's order; the drop is released once,
// when this goes.
class CDropFile {
public:
    explicit CDropFile(HDROP drop);
    virtual ~CDropFile();
    CDropFile(const CDropFile&) = delete;
    CDropFile& operator=(const CDropFile&) = delete;

    // The next name, whole whatever its length; empty after the last.
    std::wstring Next();

private:
    HDROP drop_;
    UINT next_;
    UINT count_;
};
