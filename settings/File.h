#pragma once

#include <cstddef>
#include <cstdint>
#include <streambuf>
#include <string>
#include <vector>

// A byte stream over a platform file or over a caller's byte vector. The
// settings format reads and writes through it; only memory mode exists where
// there is no Windows (the host build used for sanitizer and fuzz checks).
class CFile : public std::basic_streambuf<char> {
public:
    CFile() = default;
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

#ifdef _WIN32
    // Reads a file that others may read, write or replace meanwhile.
    bool OpenRead(const std::wstring& path);
    // Makes a new file that nobody else may open until it is closed; false
    // when the name is taken.
    bool OpenNew(const std::wstring& path);
#endif
    void AttachMemory(std::vector<unsigned char>& bytes);
    bool Close();
    // Pushes written bytes to the disk; true in memory mode.
    bool Flush();

    // Reads at most count bytes, never past the end; returns how many it read.
    std::size_t Read(void* buffer, std::size_t count);
    void Write(const void* buffer, std::size_t count);
    // Steps back over the 4-byte value just read.
    bool UnreadInt();

    std::uint64_t Length() const { return length_; }
    std::uint64_t Position() const { return position_; }
    std::uint64_t Remaining() const { return position_ < length_ ? length_ - position_ : 0; }

private:
#ifdef _WIN32
    bool Open(const std::wstring& path, bool forWriting);
#endif
    enum class Mode { Closed, File, Memory };

    Mode mode_ = Mode::Closed;
    void* handle_ = nullptr;  // the platform file handle in file mode
    std::vector<unsigned char>* memory_ = nullptr;  // not owned
    std::uint64_t length_ = 0;
    std::uint64_t position_ = 0;
};

#ifdef _WIN32
// Writes a file whole: the new bytes reach the disk under a name of their own
// and only then take the old file's place, so a reader never sees half of it.
// A read-only file stays as it is. False when the file could not be written.
bool ReplaceFileWith(const std::wstring& path, const void* bytes, std::size_t size);
// A whole file's bytes, when it can be read and holds at most limit of them.
bool ReadWholeFile(const std::wstring& path, std::uint64_t limit, std::string& bytes);
#endif
