#include "settings/SettingsFile.h"

#include "settings/Format.h"

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

std::vector<unsigned char> CompressedImage(const CMapData& map)
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
    return image;
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
    const std::vector<unsigned char> image = CompressedImage(map);
    return ReplaceFileWith(path, image.data(), image.size());
}
#endif
