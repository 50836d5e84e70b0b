#include "SettingsFile.h"

#include "Format.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

bool ReadBody(std::vector<unsigned char>& body, CMapData& map)
{
    CFile memory;
    memory.AttachMemory(body);
    return map.Read(memory);
}

}  // namespace

bool LoadMapPlain(CFile& stream, CMapData& map)
{
    if (stream.Remaining() > kMaxSettingsBody)
        return false;
    // One read for the whole body: the reader below takes a few bytes at a time.
    std::vector<unsigned char> body(static_cast<std::size_t>(stream.Remaining()));
    body.resize(stream.Read(body.data(), body.size()));
    return ReadBody(body, map);
}

bool LoadMapCompressed(CFile& stream, CMapData& map)
{
    std::vector<unsigned char> body;
    ReadCompressedBlock(stream, body);
    return ReadBody(body, map);
}

void LoadMapImage(std::vector<unsigned char>& image, CMapData& map)
{
    CFile stream;
    stream.AttachMemory(image);
    const std::int32_t head = ReadInt32(stream);
    stream.AttachMemory(image);
    if (head < 1)
        LoadMapPlain(stream, map);
    else
        LoadMapCompressed(stream, map);
}

#ifdef _WIN32
std::int32_t ReadFileHead(const std::wstring& path)
{
    CFile stream;
    if (!stream.OpenRead(path))
        return 0;
    return ReadInt32(stream);
}

bool LoadMapPlain(const std::wstring& path, CMapData& map)
{
    CFile stream;
    return stream.OpenRead(path) && LoadMapPlain(stream, map);
}

bool LoadMapCompressed(const std::wstring& path, CMapData& map)
{
    std::vector<unsigned char> body;
    {
        CFile stream;
        if (!stream.OpenRead(path))
            return false;
        ReadCompressedBlock(stream, body);
    }  // closed before parsing
    return ReadBody(body, map);
}

void LoadMapFile(const std::wstring& path, CMapData& map)
{
    if (ReadFileHead(path) < 1)
        LoadMapPlain(path, map);
    else
        LoadMapCompressed(path, map);
}

bool SaveMapCompressed(const std::wstring& path, const CMapData& map)
{
    std::vector<unsigned char> body;
    {
        CFile memory;
        memory.AttachMemory(body);
        map.Write(memory);
    }
    std::vector<unsigned char> image;
    {
        CFile memory;
        memory.AttachMemory(image);
        WriteCompressed(memory, body.data(), body.size());
    }

    // A read-only settings file stays as it is (the replace below would not
    // always refuse it).
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return false;
    // A crash or a full disk while writing must never cost the old settings:
    // the new file is complete and on disk before it takes the old one's place.
    // It has a name of its own that nobody else writes (two dialogs may close
    // at once), and a leftover from a crash is simply passed by.
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
        stream.Write(image.data(), image.size());
        written = stream.Length() == image.size() && stream.Flush();
    }
    // A reader that holds the file without letting it be replaced (a Send To
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
#endif
