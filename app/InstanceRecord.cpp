#include "app/InstanceRecord.h"

#include <cstdint>
#include <cstring>


namespace {

CMappedView ViewOf(const CKernelHandle& mapping, DWORD access)
{
    return CMappedView(mapping.IsOpen() ? MapViewOfFile(mapping.Get(), access, 0, 0, sizeof(std::int32_t)) : nullptr);
}

}  // namespace

CInstanceRecord::CInstanceRecord(const wchar_t* name)
    : mapping_(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(std::int32_t), name)),
      existed_(mapping_.IsOpen() && GetLastError() == ERROR_ALREADY_EXISTS)
{
}

HWND CInstanceRecord::Read() const
{
    const CMappedView view = ViewOf(mapping_, FILE_MAP_READ);
    if (!view.IsOpen())
        return nullptr;
    std::int32_t value;
    std::memcpy(&value, view.Get(), sizeof value);
    // Window handles are 32-bit values even in 64-bit processes.
    return static_cast<HWND>(LongToHandle(value));
}

void CInstanceRecord::Write(HWND dialog)
{
    const CMappedView view = ViewOf(mapping_, FILE_MAP_WRITE);
    if (!view.IsOpen())
        return;
    const std::int32_t value = HandleToLong(dialog);
    std::memcpy(view.Get(), &value, sizeof value);
}
