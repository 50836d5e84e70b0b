// Arbitrary bodies straight into the map reader (random bytes rarely get
// through zlib, so the loader alone would seldom reach it).
#include "settings/File.h"
#include "settings/MapData.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<unsigned char> body(data, data + size);
    CMapData map(0);
    CFile in;
    in.AttachMemory(body);
    map.Read(in);

    std::vector<unsigned char> written;
    CFile out;
    out.AttachMemory(written);
    map.Write(out);
    if (written.size() > body.size() + 4096)  // never more than the input held
        std::abort();
    CMapData again(0);
    in.AttachMemory(written);
    again.Read(in);
    if (again != map)
        std::abort();
    return 0;
}
