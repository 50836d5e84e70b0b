// Arbitrary file images through the loader, in both forms.
#include "settings/File.h"
#include "settings/MapData.h"
#include "settings/SettingsFile.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Whatever was loaded must save and load back as the same tree.
void CheckRoundTrip(const CMapData& map)
{
    std::vector<unsigned char> body;
    CFile out;
    out.AttachMemory(body);
    map.Write(out);
    CMapData again(0);
    CFile in;
    in.AttachMemory(body);
    again.Read(in);
    if (again != map)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<unsigned char> image(data, data + size);
    CMapData chosen(0);
    LoadMapImage(image, chosen);
    CheckRoundTrip(chosen);

    CMapData plain(0), compressed(0);
    CFile stream;
    stream.AttachMemory(image);
    LoadMapPlain(stream, plain);
    stream.AttachMemory(image);
    LoadMapCompressed(stream, compressed);
    CheckRoundTrip(compressed);
    return 0;
}
