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
    if (path.HasName())
        Check(path.Sibling(relative));
    return 0;
}
