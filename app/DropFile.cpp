#include "app/DropFile.h"

CDropFile::CDropFile(HDROP drop) : drop_(drop), next_(0), count_(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0)) {}

CDropFile::~CDropFile()
{
    DragFinish(drop_);
}

std::wstring CDropFile::Next()
{
    while (next_ < count_) {
        const UINT index = next_++;
        // Asked for its length first: a name cut to a buffer would name another item.
        const UINT length = DragQueryFileW(drop_, index, nullptr, 0);
        if (length == 0)
            continue;
        std::wstring name(length + 1, L'\0');
        name.resize(DragQueryFileW(drop_, index, &name[0], length + 1));
        if (!name.empty())
            return name;
    }
    return std::wstring();
}
