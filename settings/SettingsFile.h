#pragma once

#include "settings/File.h"
#include "settings/MapData.h"

#include <cstdint>
#include <string>
#include <vector>

// Loading and saving a whole settings tree. A file whose first 4 bytes read as
// 1 or more is compressed (U, C, zlib data); anything else is a bare body.

// Over an open stream: the stream's own bytes.
bool LoadMapPlain(CFile& stream, CMapData& map);
bool LoadMapCompressed(CFile& stream, CMapData& map);
// A whole file image in memory, told apart by its first 4 bytes.
void LoadMapImage(std::vector<unsigned char>& image, CMapData& map);
// The whole compressed file a map is saved as.
std::vector<unsigned char> CompressedImage(const CMapData& map);

#ifdef _WIN32
// The file's first 4 bytes as a signed value; 0 when it cannot be read.
std::int32_t ReadFileHead(const std::wstring& path);
bool LoadMapPlain(const std::wstring& path, CMapData& map);
bool LoadMapCompressed(const std::wstring& path, CMapData& map);
// The head decides the form; a missing file leaves the map as it was.
void LoadMapFile(const std::wstring& path, CMapData& map);

// Writes the compressed file under a temporary name beside it, then puts it in
// place in one step. On any failure the old file stays exactly as it was.
bool SaveMapCompressed(const std::wstring& path, const CMapData& map);
#endif
