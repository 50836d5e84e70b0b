#pragma once

#include <functional>
#include <string>
#include <vector>

// A file or folder as the user named it, resolved once into the parts the
// rest of the program needs. Every component is kept exactly as given, its
// case and any trailing dots and spaces included: Windows would drop those,
// and so name another item. Only "." and ".." are resolved, and slashes read
// as backslashes.
class CItemPath {
public:
    CItemPath() = default;

    // The full path of a folder that a relative path starts from: anchor is
    // "." (the current folder), "X:" (drive X's current folder) or "\" (the
    // current drive's root).
    using AnchorResolver = std::function<std::wstring(const std::wstring& anchor)>;
    // Resolves a path as given on a command line, in a list or in a drop.
    static CItemPath Resolve(const std::wstring& given, const AnchorResolver& anchors);
    // A Linux path, relative ones from the folder current (a full path):
    // only "/" separates; "." and ".." are resolved as given, and every
    // other component, a backslash in it too, is kept.
    static CItemPath ResolvePosix(const std::wstring& given, const std::wstring& current);
    // The same from a current folder resolved already: a run resolves many
    // paths from one.
    static CItemPath ResolvePosix(const std::wstring& given, const CItemPath& current);

    // False for a path that names no item of its own: a drive or a share.
    bool HasName() const { return !name_.empty(); }
    // The folder, ending in a backslash ("C:\Photos.\").
    const std::wstring& Folder() const { return folder_; }
    // The item's own name as given.
    const std::wstring& Name() const { return name_; }
    // The full path as a user reads it.
    std::wstring Full() const;
    // The same path in the form file calls take literally and at any length.
    std::wstring Literal() const;
    // The folder in that form, without its final backslash unless it is a root.
    std::wstring LiteralFolder() const;
    // The item that relative (a name, or folders and a name, "." and ".."
    // allowed) names from this item's folder, resolved the same way; its
    // backslashes lead into folders on Linux too.
    CItemPath Sibling(const std::wstring& relative) const;
    // The item of exactly this name in the same folder.
    CItemPath WithName(const std::wstring& name) const;
    // Whether the two lie in one folder, as spelled.
    bool InFolderOf(const CItemPath& other) const { return folder_ == other.folder_; }
    // Whether this path leads through the item folder names.
    bool IsBelow(const CItemPath& folder) const;
    // The full path of each folder above the item, outermost first, the root
    // left out. (On Linux a backslash is part of a name.)
    std::vector<std::wstring> FoldersAbove() const;
    // The item called name inside this one.
    CItemPath Child(const std::wstring& name) const;

private:
    void Append(const std::wstring& text, std::size_t from);
    void Push(const std::wstring& text, std::size_t from, std::size_t end);
    void Pop();
    void SetRoot(const std::wstring& root);
    // The root in the form file calls take literally: "\\?\C:\" for "C:\",
    // "\\?\UNC\server\share\" for "\\server\share\".
    std::wstring LiteralRoot() const;
    bool HasRoot() const { return rootSize_ != 0; }

    // The root ("C:\", "\\server\share\", "/") and the folders above the
    // item, each followed by the separator, as one string; then the item's
    // own name (none for a root). A copy costs two allocations at most,
    // whatever the depth.
    std::wstring folder_, name_;
    std::size_t rootSize_ = 0;
    wchar_t separator_ = L'\\';  // as the full path shows it
    bool posix_ = false;
};
