#include "shell/ItemPath.h"

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// The end of the Linux path component that starts at from.
std::size_t PosixComponentEnd(const std::wstring& text, std::size_t from)
{
    const std::size_t slash = text.find(L'/', from);
    return slash == std::wstring::npos ? text.size() : slash;
}

bool IsDriveLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// The end of the component that starts at from.
std::size_t ComponentEnd(const std::wstring& text, std::size_t from)
{
    while (from < text.size() && !IsSeparator(text[from]))
        ++from;
    return from;
}

bool StartsWithNoCase(const std::wstring& text, std::size_t at, const wchar_t* prefix)
{
    for (; *prefix; ++prefix, ++at) {
        if (at >= text.size())
            return false;
        wchar_t c = text[at];
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
        if (c != *prefix)
            return false;
    }
    return true;
}

}  // namespace

CItemPath CItemPath::Resolve(const std::wstring& given, const AnchorResolver& anchors)
{
    CItemPath path;
    const std::size_t size = given.size();
    const auto separator = [&](std::size_t at) { return at < size && IsSeparator(given[at]); };
    const auto fromAnchor = [&](const std::wstring& anchor, std::size_t rest) {
        // The anchor's folder is a full path: resolved without anchors, so a
        // resolver that answers oddly cannot send this round again.
        CItemPath base = anchors ? Resolve(anchors(anchor), nullptr) : CItemPath();
        if (base.HasRoot())
            base.Append(given, rest);
        return base;
    };
    // server\share from the given position on; nothing without both.
    const auto fromShare = [&](std::size_t from) {
        CItemPath share;
        const std::size_t server = ComponentEnd(given, from), end = ComponentEnd(given, server + 1);
        if (server == from || end <= server + 1)
            return share;
        const std::wstring host = given.substr(from, server - from);
        if (host == L"?" || host == L".")
            return share;  // no server: \\?\ and \\.\ start other forms
        const std::wstring name = host + L"\\" + given.substr(server + 1, end - server - 1);
        share.SetRoot(L"\\\\" + name + L"\\");
        share.Append(given, end);
        return share;
    };

    if (given.empty())
        return path;
    if (size >= 4 && separator(0) && separator(1) && (given[2] == L'?' || given[2] == L'.') && separator(3)) {
        // \\?\ and \\.\: a drive, UNC\server\share, or a device of its own.
        if (StartsWithNoCase(given, 4, L"UNC") && separator(7))
            return fromShare(8);
        const std::size_t end = ComponentEnd(given, 4);
        if (end == 4)
            return path;
        const std::wstring device = given.substr(4, end - 4);
        const bool drive = device.size() == 2 && device[1] == L':' && IsDriveLetter(device[0]);
        path.SetRoot(drive ? device + L"\\" : L"\\\\?\\" + device + L"\\");
        path.Append(given, end);
        return path;
    }
    if (separator(0) && separator(1))
        return fromShare(2);  // \\server\share
    if (size >= 2 && given[1] == L':' && IsDriveLetter(given[0])) {
        if (!separator(2))
            return fromAnchor(given.substr(0, 2), 2);  // "C:name": from drive C's current folder
        path.SetRoot(given.substr(0, 2) + L"\\");
        path.Append(given, 3);
        return path;
    }
    if (separator(0))
        return fromAnchor(L"\\", 1);
    return fromAnchor(L".", 0);
}

CItemPath CItemPath::ResolvePosix(const std::wstring& given, const std::wstring& current)
{
    CItemPath root;
    root.SetRoot(L"/");
    root.separator_ = L'/';
    root.posix_ = true;
    if (given.empty() || given[0] == L'/')
        return ResolvePosix(given, root);
    root.Append(current, 0);
    return ResolvePosix(given, root);
}

CItemPath CItemPath::ResolvePosix(const std::wstring& given, const CItemPath& current)
{
    if (given.empty())
        return CItemPath();
    CItemPath path = current;
    if (given[0] == L'/') {
        path.folder_.resize(path.rootSize_);
        path.name_.clear();
    }
    path.Append(given, 0);
    return path;
}

void CItemPath::Append(const std::wstring& text, std::size_t from)
{
    while (from < text.size()) {
        const std::size_t end = posix_ ? PosixComponentEnd(text, from) : ComponentEnd(text, from);
        const std::size_t length = end - from;
        if (length == 2 && text[from] == L'.' && text[from + 1] == L'.')
            Pop();
        else if (length != 0 && !(length == 1 && text[from] == L'.'))
            Push(text, from, end);
        from = end + 1;
    }
}

void CItemPath::Push(const std::wstring& text, std::size_t from, std::size_t end)
{
    if (!name_.empty())
        (folder_ += name_) += separator_;
    name_.assign(text, from, end - from);
}

void CItemPath::Pop()
{
    if (name_.empty())
        return;
    // No component holds the separator, and the root ends in one.
    std::size_t start = rootSize_;
    if (folder_.size() > rootSize_) {
        const std::size_t cut = folder_.rfind(separator_, folder_.size() - 2);
        start = cut == std::wstring::npos || cut + 1 < rootSize_ ? rootSize_ : cut + 1;
    }
    name_.assign(folder_, start, folder_.size() > start ? folder_.size() - 1 - start : 0);
    folder_.erase(start);
}

void CItemPath::SetRoot(const std::wstring& root)
{
    folder_ = root;
    rootSize_ = root.size();
    name_.clear();
}

std::wstring CItemPath::LiteralRoot() const
{
    const std::wstring root = folder_.substr(0, rootSize_);
    if (root == L"/" || root.compare(0, 4, L"\\\\?\\") == 0)
        return root;
    if (root.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + root.substr(2);
    return L"\\\\?\\" + root;
}

bool CItemPath::IsBelow(const CItemPath& folder) const
{
    const std::size_t above = folder.folder_.size(), name = folder.name_.size();
    return folder.HasName() && folder_.size() > above + name && folder_.compare(0, above, folder.folder_) == 0 &&
           folder_.compare(above, name, folder.name_) == 0 &&
           (posix_ ? folder_[above + name] == L'/' : IsSeparator(folder_[above + name]));
}

std::vector<std::wstring> CItemPath::FoldersAbove() const
{
    std::vector<std::wstring> folders;
    for (std::size_t at = rootSize_; at < folder_.size(); ++at)
        if (posix_ ? folder_[at] == L'/' : IsSeparator(folder_[at]))
            folders.push_back(folder_.substr(0, at));
    return folders;
}

CItemPath CItemPath::Child(const std::wstring& name) const
{
    CItemPath child = *this;
    if (!child.name_.empty())
        (child.folder_ += child.name_) += child.separator_;
    child.name_ = name;
    return child;
}

std::wstring CItemPath::Full() const
{
    std::wstring full;
    full.reserve(folder_.size() + name_.size());
    return (full += folder_) += name_;
}

std::wstring CItemPath::Literal() const
{
    return (LiteralRoot() += folder_.substr(rootSize_)) += name_;
}

std::wstring CItemPath::LiteralFolder() const
{
    std::wstring literal = LiteralRoot();
    literal.append(folder_, rootSize_, std::wstring::npos);
    if (folder_.size() > rootSize_)
        literal.pop_back();  // its separator
    return literal;
}

CItemPath CItemPath::WithName(const std::wstring& name) const
{
    CItemPath same = *this;
    if (!same.name_.empty())
        same.name_ = name;
    return same;
}

CItemPath CItemPath::Sibling(const std::wstring& relative) const
{
    CItemPath sibling = *this;
    sibling.Pop();
    // The affix's backslashes lead into folders, whatever the system.
    const bool posix = sibling.posix_;
    sibling.posix_ = false;
    sibling.Append(relative, 0);
    sibling.posix_ = posix;
    return sibling;
}
