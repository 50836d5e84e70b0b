#include "shell/Path.h"

#include <windows.h>
#include <shlwapi.h>

#include <vector>

namespace {

// The shell's in-place editors work on a copy with room for one more character
// and the terminator, however long the path.
template <class Edit>
std::wstring EditCopy(const std::wstring& path, std::size_t extra, Edit edit)
{
    std::vector<wchar_t> buffer(path.begin(), path.end());
    buffer.resize(path.size() + extra + 1, L'\0');
    edit(buffer.data());
    return std::wstring(buffer.data());
}

}  // namespace

std::wstring GetFileName(const std::wstring& path)
{
    return PathFindFileNameW(path.c_str());
}

std::wstring GetExtension(const std::wstring& path)
{
    return PathFindExtensionW(path.c_str());
}

std::wstring RemoveExtension(const std::wstring& path)
{
    return EditCopy(path, 0, [](wchar_t* text) { PathRemoveExtensionW(text); });
}

std::wstring RemoveFileSpec(const std::wstring& path)
{
    return EditCopy(path, 0, [](wchar_t* text) { PathRemoveFileSpecW(text); });
}

std::wstring AddBackslash(const std::wstring& path)
{
    // PathAddBackslashW refuses paths of MAX_PATH characters or more; a
    // folder without its backslash would join into a different name.
    if (path.empty() || path.back() == L'\\')
        return path;
    return path + L'\\';
}

std::wstring RenameExtension(const std::wstring& path, const std::wstring& extension)
{
    return RemoveExtension(path) + extension;
}

std::wstring GetModulePath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size())  // otherwise cut short: try a larger buffer
            return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
        if (buffer.size() > 0x10000)
            return std::wstring(buffer.data());
    }
}

std::wstring GetFullPath(const std::wstring& path)
{
    // One call for the usual short path; a second, sized, for a long one.
    wchar_t small[MAX_PATH];
    DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, small, nullptr);
    if (length == 0)
        return path;
    if (length < MAX_PATH)
        return std::wstring(small, length);
    std::vector<wchar_t> buffer(length);
    const DWORD written = GetFullPathNameW(path.c_str(), length, buffer.data(), nullptr);
    if (written == 0 || written >= length)
        return path;
    return std::wstring(buffer.data(), written);
}

CItemPath ResolveItemPath(const std::wstring& given)
{
    return CItemPath::Resolve(given, [](const std::wstring& anchor) { return GetFullPath(anchor); });
}

std::wstring ExtendedPath(const std::wstring& path)
{
    if (path.size() < MAX_PATH - 12)
        return path;
    return LiteralPath(path);
}

std::wstring LiteralPath(const std::wstring& path)
{
    if (path.compare(0, 4, L"\\\\?\\") == 0)
        return path;
    if (path.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

bool LoadOnlySystemDlls()
{
    return SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}
