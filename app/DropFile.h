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
    // The next name from the drop's own list, or through DragQueryFileW where
    // the drop is not one this can read.
    bool NextListed(std::wstring& name);
    bool NextQueried(std::wstring& name);

    HDROP drop_;
    // The drop's list, read where it lies: DragQueryFileW walks it from the
    // start for every index, which makes a large drop quadratic.
    const char* listed_ = nullptr;
    const char* end_ = nullptr;
    bool wide_ = true;
    UINT next_ = 0;
    UINT count_ = 0;
};
