#include "app/DropFile.h"

#include <shlobj.h>

#include <cstring>
#include <string_view>

CDropFile::CDropFile(HDROP drop) : drop_(drop)
{
    const SIZE_T size = GlobalSize(drop);
    const auto* header = size >= sizeof(DROPFILES) ? static_cast<const DROPFILES*>(GlobalLock(drop)) : nullptr;
    if (header && header->pFiles >= sizeof(DROPFILES) && header->pFiles < size) {
        const char* base = reinterpret_cast<const char*>(header);
        listed_ = base + header->pFiles;
        end_ = base + size;
        wide_ = header->fWide != FALSE;
        return;
    }
    if (header)
        GlobalUnlock(drop);
    count_ = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
}

CDropFile::~CDropFile()
{
    if (listed_)
        GlobalUnlock(drop_);
    DragFinish(drop_);
}

std::wstring CDropFile::Next()
{
    std::wstring name;
    while (listed_ ? NextListed(name) : NextQueried(name))
        if (!name.empty())
            return name;
    return std::wstring();
}

// Each name ends at its terminator and the list at an empty name; a list cut
// short by the drop's end ends there, its unterminated name unread.
bool CDropFile::NextListed(std::wstring& name)
{
    if (wide_) {
        const std::size_t left = static_cast<std::size_t>(end_ - listed_) / sizeof(wchar_t);
        std::wstring_view rest(reinterpret_cast<const wchar_t*>(listed_), left);
        const std::size_t length = rest.find(L'\0');
        if (length == 0 || length == std::wstring_view::npos)
            return false;
        name.assign(rest.substr(0, length));
        listed_ += (length + 1) * sizeof(wchar_t);
        return true;
    }
    const void* terminator = std::memchr(listed_, 0, static_cast<std::size_t>(end_ - listed_));
    const int length = terminator ? static_cast<int>(static_cast<const char*>(terminator) - listed_) : 0;
    if (length == 0)
        return false;
    name.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, listed_, length, nullptr, 0)));
    MultiByteToWideChar(CP_ACP, 0, listed_, length, name.data(), static_cast<int>(name.size()));
    listed_ += length + 1;
    return true;
}

bool CDropFile::NextQueried(std::wstring& name)
{
    if (next_ >= count_)
        return false;
    const UINT index = next_++;
    // Asked for its length first: a name cut to a buffer would name another item.
    const UINT length = DragQueryFileW(drop_, index, nullptr, 0);
    name.assign(length + 1, L'\0');
    name.resize(length == 0 ? 0 : DragQueryFileW(drop_, index, name.data(), length + 1));
    return true;
}
