#pragma once

#include <string>
#include <vector>

// The file systems mounted on Linux, read from /proc/self/mountinfo: what a
// program under Wine cannot otherwise learn. A rename never crosses from one
// mount to another (not even between two mounts of one file system), never
// moves a mount point, and never succeeds on a mount that is read-only.
class CMountTable {
public:
    CMountTable() = default;
    explicit CMountTable(const std::string& mountinfo);

    // The mount a full Unix path lies on: the one mounted last at the longest
    // mount point above it (or at it); -1 when the table knows none.
    int MountOf(const std::string& path) const;
    // True when something is mounted exactly at the path.
    bool IsMountPoint(const std::string& path) const;
    bool IsReadOnly(int mount) const;
    bool Empty() const { return mounts_.empty(); }

private:
    struct Mount {
        std::string point;
        bool readOnly = false;
    };
    std::vector<Mount> mounts_;
};
