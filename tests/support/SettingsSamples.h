#pragma once

#include "settings/File.h"
#include "settings/MapData.h"

#include <string>
#include <vector>

// A settings tree shaped like the program's own, with a full history.
inline CMapData ProgramTree(int historyItems = 20)
{
    CMapData map(1);
    std::vector<unsigned char> placement(44, 0x11);
    map.Block(L"WindowPlacement") = placement;
    CMapData& affix = map.Map(L"Affix");
    affix.String(L"Text") = L"\\y\\m\\d_";
    affix.Integer(L"Size") = historyItems;
    for (int i = 0; i < historyItems; ++i)
        affix.Map(std::to_wstring(i)).String(L"Text") = L"作業_" + std::to_wstring(i) + L"\\e\\m\\d_";
    map.Map(L"History").Integer(L"Index") = 4;
    map.Map(L"TopMostWindow").Integer(L"Check") = 1;
    map.Map(L"SendTo").Integer(L"Check") = 0;
    map.Map(L"Prefix").Integer(L"Check") = 0;
    map.Map(L"Suffix").Integer(L"Check") = 1;
    return map;
}

// The settings an untouched first run leaves, placement aside.
inline CMapData DefaultTree()
{
    CMapData map(1);
    map.Map(L"Affix").String(L"Text");
    map.Map(L"Affix").Integer(L"Size") = 0;
    map.Map(L"History").Integer(L"Index") = 2;
    map.Map(L"TopMostWindow").Integer(L"Check") = 0;
    map.Map(L"SendTo").Integer(L"Check") = 0;
    map.Map(L"Prefix").Integer(L"Check") = 1;
    map.Map(L"Suffix").Integer(L"Check") = 0;
    return map;
}

// The body a map writes, as bytes.
inline std::vector<unsigned char> Body(const CMapData& map)
{
    std::vector<unsigned char> bytes;
    CFile stream;
    stream.AttachMemory(bytes);
    map.Write(stream);
    return bytes;
}
