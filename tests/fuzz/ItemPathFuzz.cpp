// Any path, as a command line, a list file or a drop may hand it over: the
// parts always join up again, a name is a real name, and resolving the full
// path once more changes nothing.
#include "shell/ItemPath.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(const CItemPath& path)
{
    if (!path.HasName())
        return;
    const std::wstring& name = path.Name();
    if (name.empty() || name == L"." || name == L".." || name.find_first_of(L"\\/") != std::wstring::npos ||
        path.Full() != path.Folder() + name || path.Folder().back() != L'\\' ||
        path.Literal().compare(0, 4, L"\\\\?\\") != 0 || path.Literal().find(L"\\\\", 4) != std::wstring::npos)
        std::abort();
    const CItemPath again = CItemPath::Resolve(path.Full(), nullptr);
    if (!again.HasName() || again.Full() != path.Full() || again.Literal() != path.Literal())
        std::abort();
}

// A Linux path: "/" alone separates, and the literal form is the path.
void CheckPosix(const CItemPath& path)
{
    if (!path.HasName())
        return;
    const std::wstring full = path.Full(), folder = path.LiteralFolder();
    if (path.Name().find(L'/') != std::wstring::npos || full != path.Folder() + path.Name() ||
        path.Folder().front() != L'/' || path.Folder().back() != L'/' || path.Literal() != full ||
        (folder == L"/" ? folder : folder + L"/") + path.Name() != full ||
        CItemPath::ResolvePosix(full, L"/elsewhere").Full() != full)
        std::abort();
}

// Whether one path leads through the item another names, as their texts say.
void CheckBelow(const CItemPath& path, const CItemPath& folder)
{
    const std::wstring text = path.Full(), above = folder.Full();
    const bool below = folder.HasName() && text.size() > above.size() && text.compare(0, above.size(), above) == 0 &&
                       (text[above.size()] == L'\\' || text[above.size()] == L'/');
    if (path.IsBelow(folder) != below || path.InFolderOf(folder) != (path.Folder() == folder.Folder()))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Two bytes a unit; the first half the path, the rest a relative one.
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    const std::wstring given = text.substr(0, text.size() / 2), relative = text.substr(text.size() / 2);
    const CItemPath path = CItemPath::Resolve(given, [&](const std::wstring& anchor) {
        return anchor == L"." ? std::wstring(L"C:\\cur rent.\\x") : anchor == L"\\" ? relative : anchor + L"\\d";
    });
    Check(path);
    if (path.HasName()) {
        Check(path.Sibling(relative));
        CheckBelow(path.Sibling(relative), path);
    }
    const CItemPath posix = CItemPath::ResolvePosix(given, L"/cur rent/x");
    CheckPosix(posix);
    if (posix.HasName())
        CheckBelow(posix.Sibling(relative), posix);
    return 0;
}
