#pragma once

#include "shell/Holders.h"

#include <windows.h>

// The 4-byte block of named shared memory through which a start without
// paths finds the dialog of the instance that already runs.
class CInstanceRecord {
public:
    explicit CInstanceRecord(const wchar_t* name);

    // True when another process had made the block before this one opened it.
    bool Existed() const { return existed_; }
    // The stored dialog handle; null when there is none or no view can be had.
    HWND Read() const;
    // Stores the dialog handle; does nothing without a block.
    void Write(HWND dialog);

private:
    CKernelHandle mapping_;
    bool existed_;
};
