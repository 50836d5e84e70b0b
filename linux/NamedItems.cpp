#include "linux/NamedItems.h"

#include "linux/Messages.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A path's text with "." and ".." taken as written and slashes collapsed:
// what the path would name if no folder on the way were a link.
std::string AsWrittenFrom(const std::string& current, const std::string& text)
{
    std::vector<std::string> parts;
    const std::string whole = !text.empty() && text[0] == '/' ? text : current + text;
    for (std::size_t from = 0; from <= whole.size();) {
        std::size_t end = whole.find('/', from);
        if (end == std::string::npos)
            end = whole.size();
        const std::string part = whole.substr(from, end - from);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        from = end + 1;
    }
    std::string path = "/";
    for (const std::string& part : parts)
        (path += part) += '/';
    return path;
}

// Where the folder open as descriptor lies: as the kernel names it (one
// call), else as realpath finds it from the text.
bool RealPath(int descriptor, const std::string& text, std::string& path)
{
    char link[PATH_MAX + 1];
    const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
    const ssize_t size = readlink(self.c_str(), link, PATH_MAX);
    if (size > 0 && link[0] == '/' && static_cast<std::size_t>(size) < PATH_MAX) {
        path.assign(link, static_cast<std::size_t>(size));
        // A folder removed is marked so: not a path.
        if (path.find(" (deleted)") == std::string::npos)
            return true;
    }
    char* const real = realpath(text.c_str(), nullptr);
    if (!real)
        return false;
    path = real;
    std::free(real);
    return true;
}

}  // namespace

CNamedItems::CNamedItems()
{
    std::vector<char> here(PATH_MAX + 1, '\0');
    if (getcwd(here.data(), here.size()))
        current_ = std::string(here.data()) + (here[1] ? "/" : "");
}

CNamedItems::~CNamedItems()
{
    if (passing_ >= 0)
        close(passing_);
    for (const Folder& folder : folders_)
        if (folder.descriptor >= 0)
            close(folder.descriptor);
}

long CNamedItems::FolderOf(const std::string& text)
{
    if (lastFolder_ >= 0 && text == lastText_)
        return lastFolder_;
    lastText_ = text;
    const auto known = folderIndex_.find(text);
    if (known != folderIndex_.end() && folders_[known->second].descriptor >= 0) {
        lastDescriptor_ = folders_[known->second].descriptor;
        return lastFolder_ = known->second;
    }
    // Opened as the kernel opens it: links followed, ".." from where a link
    // leads; then named by where it lies. Held open while there is room (a
    // list may come back to a folder again and again), else until the next.
    lastFolder_ = -1;
    const int descriptor = open(text.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return -1;
    const bool hold = held_ < holdAtMost_;
    if (!hold) {
        if (passing_ >= 0)
            close(passing_);
        passing_ = descriptor;
    }
    held_ += hold;
    lastDescriptor_ = descriptor;
    if (known != folderIndex_.end()) {
        if (hold)
            folders_[known->second].descriptor = descriptor;
        return lastFolder_ = known->second;
    }
    Folder folder;
    std::string path;
    if (!RealPath(descriptor, text, path) || !CPosixItemStore::LookAtFolder(descriptor, folder.facts)) {
        const int error = errno;
        if (hold) {
            close(descriptor);
            --held_;
        }
        errno = error;
        return -1;
    }
    if (path.back() != '/')
        path += '/';
    folder.asWritten = !current_.empty() && AsWrittenFrom(current_, text) == path;
    folder.path = FolderText(path);
    folder.mount = folder.facts.mount;
    folder.descriptor = hold ? descriptor : -1;
    folderPaths_.emplace(folder.path, static_cast<std::uint32_t>(folders_.size()));
    folders_.push_back(std::move(folder));
    folderIndex_.emplace(text, static_cast<std::uint32_t>(folders_.size() - 1));
    return lastFolder_ = static_cast<long>(folders_.size() - 1);
}

CNamedItems::Fault CNamedItems::Add(const char* given, int& error)
{
    // The name: the last component, final slashes aside.
    std::size_t end = std::strlen(given);
    const bool slash = end && given[end - 1] == '/';
    while (end && given[end - 1] == '/')
        --end;
    if (end == 0)
        return Fault::Nothing;
    std::size_t nameAt = end;
    while (nameAt && given[nameAt - 1] != '/')
        --nameAt;
    const std::string name(given + nameAt, end - nameAt);
    if (name == "." || name == "..")
        return Fault::DotName;
    const std::string folderText = nameAt == 0 ? std::string(".") : std::string(given, nameAt);
    const long folder = FolderOf(folderText);
    Item item{0, static_cast<std::uint32_t>(nameAt), {}};
    if (folder < 0 || !CPosixItemStore::LookAt(lastDescriptor_, name.c_str(), item.look,
                                                folders_[static_cast<std::size_t>(folder)].mount)) {
        error = errno;
        return Fault::System;
    }
    // A final slash names a folder: through a link, the one it leads to,
    // which rename(2) refuses to reach so (and so do mv and rename).
    if (slash && item.look.link)
        return Fault::LinkSlash;
    if (slash && !item.look.folder) {
        error = ENOTDIR;
        return Fault::System;
    }
    item.folder = static_cast<std::uint32_t>(folder);
    items_.push_back(item);
    return Fault::None;
}

bool CNamedItems::FolderFound(const std::wstring& path, StoredFolder& facts, int& descriptor) const
{
    const auto found = folderPaths_.find(path);
    if (found == folderPaths_.end())
        return false;
    facts = folders_[found->second].facts;
    descriptor = folders_[found->second].descriptor;
    return true;
}

bool CNamedItems::Path(std::size_t index, const char* given, std::wstring& path) const
{
    const Item& item = items_[index];
    std::size_t end = std::strlen(given);
    while (end && given[end - 1] == '/')
        --end;
    std::wstring name;
    if (!FromSystemBytes(std::string(given + item.nameAt, end - item.nameAt), name))
        return false;
    path = folders_[item.folder].path + name;
    asked_ = index;
    askedName_ = std::move(name);
    return true;
}

const CPosixItemStore::Look* CNamedItems::LookFor(const CItemPath& path) const
{
    if (asked_ >= items_.size() || path.Name() != askedName_ || path.Folder() != folders_[items_[asked_].folder].path)
        return nullptr;
    return &items_[asked_].look;
}

std::string CNamedItems::FromHere(const std::wstring& full) const
{
    const std::string bytes = SystemBytes(full);
    if (!current_.empty() && bytes.size() > current_.size() && bytes.compare(0, current_.size(), current_) == 0)
        return bytes.substr(current_.size());
    return bytes;
}

// Why a path names no item, in words.
std::string CNamedItems::Said(Fault fault, int error)
{
    switch (fault) {
    case Fault::Nothing:
        return N_("names no file or folder that can be renamed");
    case Fault::DotName:
        return N_("'.' and '..' name a folder by where it is: name it by its own name");
    case Fault::LinkSlash:
        return N_("a link followed by '/' names the folder it leads to, which is not renamed through a link: "
               "name the link without the '/', or the folder itself");
    case Fault::System:
    case Fault::None:
        break;
    }
    switch (error) {
    case ENOENT:
        return N_("no such file or folder");
    case EACCES:
        return N_("permission denied");
    case ENOTDIR:
        return N_("not a folder");
    default:
        return std::strerror(error);
    }
}
