#include "app/stores/MountTable.h"

#include <algorithm>


namespace {

// A field of mountinfo with its \ooo escapes (space, tab, newline, backslash)
// undone.
std::string Unescaped(const std::string& field)
{
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            int code = 0;
            bool octal = true;
            for (std::size_t j = 1; j <= 3; ++j) {
                const char c = field[i + j];
                octal = octal && c >= '0' && c <= '7';
                code = code * 8 + (c - '0');
            }
            if (octal) {
                text += static_cast<char>(code);
                i += 3;
                continue;
            }
        }
        text += field[i];
    }
    return text;
}

// Splits text at each separator, empty pieces left out.
std::vector<std::string> Split(const std::string& text, const char* separators)
{
    std::vector<std::string> pieces;
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = std::min(text.find_first_of(separators, from), text.size());
        if (end > from)
            pieces.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return pieces;
}

bool HasOption(const std::string& options, const char* wanted)
{
    for (const std::string& option : Split(options, ","))
        if (option == wanted)
            return true;
    return false;
}

// Whether path lies at or below the mount point.
bool Under(const std::string& path, const std::string& point)
{
    if (point == "/")
        return !path.empty() && path[0] == '/';
    return path.compare(0, point.size(), point) == 0 && (path.size() == point.size() || path[point.size()] == '/');
}

}  // namespace

CMountTable::CMountTable(const std::string& mountinfo)
{
    for (const std::string& line : Split(mountinfo, "\n")) {
        const std::vector<std::string> parts = Split(line, " ");
        // id parent major:minor root point options [optional...] - type source super
        if (parts.size() < 6)
            continue;
        Mount mount;
        mount.point = Unescaped(parts[4]);
        mount.readOnly = HasOption(parts[5], "ro");
        for (std::size_t i = 6; i + 3 < parts.size(); ++i)
            if (parts[i] == "-")
                mount.readOnly = mount.readOnly || HasOption(parts[i + 3], "ro");
        if (!mount.point.empty() && mount.point[0] == '/')
            mounts_.push_back(mount);
    }
}

int CMountTable::MountOf(const std::string& path) const
{
    int best = -1;
    for (std::size_t i = 0; i < mounts_.size(); ++i)
        if (Under(path, mounts_[i].point) &&
            (best < 0 || mounts_[i].point.size() >= mounts_[static_cast<std::size_t>(best)].point.size()))
            best = static_cast<int>(i);
    return best;
}

bool CMountTable::IsMountPoint(const std::string& path) const
{
    for (const Mount& mount : mounts_)
        if (mount.point == path)
            return true;
    return false;
}

bool CMountTable::IsReadOnly(int mount) const
{
    return mount >= 0 && static_cast<std::size_t>(mount) < mounts_.size() &&
           mounts_[static_cast<std::size_t>(mount)].readOnly;
}
