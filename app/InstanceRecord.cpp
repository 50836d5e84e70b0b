#include "InstanceRecord.h"

#include <cstdint>
#include <cstring>

namespace {

// A mapped view, unmapped when it goes out of scope.
class CMappedView {
public:
    CMappedView(HANDLE mapping, DWORD access)
        : view_(mapping ? MapViewOfFile(mapping, access, 0, 0, sizeof(std::int32_t)) : nullptr)
    {
    }
    ~CMappedView()
    {
        if (view_)
            UnmapViewOfFile(view_);
    }
    CMappedView(const CMappedView&) = delete;
    CMappedView& operator=(const CMappedView&) = delete;

    void* get() const { return view_; }

private:
    void* view_;
};

}  // namespace

CInstanceRecord::CInstanceRecord(const wchar_t* name)
    : mapping_(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  sizeof(std::int32_t), name)),
      existed_(mapping_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS)
{
}

CInstanceRecord::~CInstanceRecord()
{
    if (mapping_)
        CloseHandle(mapping_);
}

HWND CInstanceRecord::Read() const
{
    CMappedView view(mapping_, FILE_MAP_READ);
    if (!view.get())
        return nullptr;
    std::int32_t value;
    std::memcpy(&value, view.get(), sizeof value);
    // Window handles are 32-bit values even in 64-bit processes.
    return static_cast<HWND>(LongToHandle(value));
}

void CInstanceRecord::Write(HWND dialog)
{
    CMappedView view(mapping_, FILE_MAP_WRITE);
    if (!view.get())
        return;
    const std::int32_t value = HandleToLong(dialog);
    std::memcpy(view.get(), &value, sizeof value);
}
