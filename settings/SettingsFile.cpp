#include "SettingsFile.h"

#include "Format.h"

#ifdef _WIN32
#include <windows.h>
#endif

bool LoadMapPlain(CFile& stream, CMapData& map)
{
    return map.Read(stream);
}

namespace {

bool ReadInflatedBody(std::vector<unsigned char>& body, CMapData& map)
{
    CFile memory;
    memory.AttachMemory(body);
    return map.Read(memory);
}

}  // namespace

bool LoadMapCompressed(CFile& stream, CMapData& map)
{
    std::vector<unsigned char> body;
    ReadCompressedBlock(stream, body);
    return ReadInflatedBody(body, map);
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
    return ReadInflatedBody(body, map);
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
    const std::wstring temporary = path + L".tmp";
    bool written = false;
    {
        CFile stream;
        if (!stream.OpenWrite(temporary))
            return false;
        stream.Write(image.data(), image.size());
        written = stream.Length() == image.size() && stream.Flush();
    }
    if (written && MoveFileExW(temporary.c_str(), path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}
#endif
