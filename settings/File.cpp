#include "settings/File.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

CFile::~CFile()
{
    Close();
}

#ifdef _WIN32
bool CFile::Open(const std::wstring& path, bool forWriting)
{
    Close();
    const HANDLE file = CreateFileW(path.c_str(), forWriting ? GENERIC_WRITE : GENERIC_READ,
                                    forWriting ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, forWriting ? CREATE_NEW : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    if (!forWriting)
        GetFileSizeEx(file, &size);
    mode_ = Mode::File;
    handle_ = file;
    length_ = static_cast<std::uint64_t>(size.QuadPart);
    position_ = 0;
    return true;
}

bool CFile::OpenRead(const std::wstring& path)
{
    return Open(path, false);
}

bool CFile::OpenNew(const std::wstring& path)
{
    return Open(path, true);
}
#endif

void CFile::AttachMemory(std::vector<unsigned char>& bytes)
{
    Close();
    mode_ = Mode::Memory;
    memory_ = &bytes;
    length_ = bytes.size();
    position_ = 0;
}

bool CFile::Close()
{
#ifdef _WIN32
    if (mode_ == Mode::File)
        CloseHandle(static_cast<HANDLE>(handle_));
#endif
    mode_ = Mode::Closed;
    handle_ = nullptr;
    memory_ = nullptr;
    return true;
}

bool CFile::Flush()
{
#ifdef _WIN32
    if (mode_ == Mode::File)
        return FlushFileBuffers(static_cast<HANDLE>(handle_)) != FALSE;
#endif
    return mode_ == Mode::Memory;
}

std::size_t CFile::Read(void* buffer, std::size_t count)
{
    if (count > Remaining())
        count = static_cast<std::size_t>(Remaining());
    if (count == 0)
        return 0;
    switch (mode_) {
    case Mode::Memory:
        std::memcpy(buffer, memory_->data() + position_, count);
        position_ += count;
        return count;
#ifdef _WIN32
    case Mode::File: {
        DWORD done = 0;
        if (!ReadFile(static_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(count), &done, nullptr))
            return 0;
        position_ += done;
        return done;
    }
#endif
    default:
        return 0;
    }
}

void CFile::Write(const void* buffer, std::size_t count)
{
    switch (mode_) {
    case Mode::Memory:
        if (position_ + count > memory_->size())
            memory_->resize(static_cast<std::size_t>(position_ + count));
        std::memcpy(memory_->data() + position_, buffer, count);
        position_ += count;
        length_ = memory_->size();
        break;
#ifdef _WIN32
    case Mode::File: {
        DWORD done = 0;
        if (WriteFile(static_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(count), &done, nullptr)) {
            position_ += done;
            length_ += done;
        }
        break;
    }
#endif
    default:
        break;
    }
}

bool CFile::UnreadInt()
{
    const std::uint64_t back = position_ < 4 ? position_ : 4;
    switch (mode_) {
    case Mode::Memory:
        position_ -= back;
        return true;
#ifdef _WIN32
    case Mode::File:
        SetFilePointer(static_cast<HANDLE>(handle_), -static_cast<LONG>(back), nullptr, FILE_CURRENT);
        position_ -= back;
        return true;
#endif
    default:
        return false;
    }
}

#ifdef _WIN32
bool ReplaceFileWith(const std::wstring& path, const void* bytes, std::size_t size)
{
    // A read-only file stays as it is (the replace below would not
    // always refuse it).
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return false;
    // A crash or a full disk while writing must never cost the old file:
    // the new file is complete and on disk before it takes the old one's place.
    // It has a name of its own that nobody else writes (two runs may end at
    // once), and a leftover from a crash is simply passed by.
    std::wstring temporary;
    bool written = false;
    {
        CFile stream;
        for (unsigned attempt = 0; attempt < 16 && temporary.empty(); ++attempt) {
            const std::wstring name = path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                      std::to_wstring(GetTickCount() + attempt) + L".tmp";
            if (stream.OpenNew(name))
                temporary = name;
        }
        if (temporary.empty())
            return false;
        stream.Write(bytes, size);
        written = stream.Length() == size && stream.Flush();
    }
    // A reader that holds the file without letting it be replaced (another
    // run starting this moment) is waited for, briefly.
    for (int attempt = 0; written && attempt < 40; ++attempt) {
        if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION && error != ERROR_ACCESS_DENIED)
            break;
        Sleep(25);
    }
    DeleteFileW(temporary.c_str());
    return false;
}

bool ReadWholeFile(const std::wstring& path, std::uint64_t limit, std::string& bytes)
{
    CFile file;
    if (!file.OpenRead(path) || file.Length() > limit)
        return false;
    bytes.assign(static_cast<std::size_t>(file.Length()), '\0');
    return bytes.empty() || file.Read(&bytes[0], bytes.size()) == bytes.size();
}
#endif
