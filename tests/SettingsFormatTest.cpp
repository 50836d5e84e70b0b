#include "settings/File.h"
#include "settings/Format.h"
#include "settings/MapData.h"
#include "settings/SettingsFile.h"
#include "SettingsSamples.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;


CMapData Load(Bytes bytes)
{
    CMapData map(0);
    CFile stream;
    stream.AttachMemory(bytes);
    map.Read(stream);
    return map;
}

Bytes Compressed(const Bytes& body)
{
    Bytes file;
    CFile stream;
    stream.AttachMemory(file);
    WriteCompressed(stream, body.data(), body.size());
    return file;
}

Bytes Inflated(Bytes file)
{
    Bytes body;
    CFile stream;
    stream.AttachMemory(file);
    ReadCompressedBlock(stream, body);
    return body;
}

CMapData WorkedExample()
{
    CMapData map(1);
    map.Map(L"SendTo").Integer(L"Check") = 1;
    return map;
}

TEST(SettingsFormat, TheWorkedExampleByteForByte)
{
    const Bytes expected = {
        0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0,
        'S', 0, 'e', 0, 'n', 0, 'd', 0, 'T', 0, 'o', 0, 0, 0,
        0, 0, 0, 0, 0x01, 0, 0, 0,
        'C', 0, 'h', 0, 'e', 0, 'c', 0, 'k', 0, 0, 0,
        0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes body = Body(WorkedExample());
    ASSERT_EQ(body.size(), 70u);
    EXPECT_EQ(body, expected);

    const Bytes file = Compressed(body);
    ASSERT_GT(file.size(), 10u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 4), (Bytes{0x46, 0, 0, 0}));
    const std::uint32_t c = file[4] | file[5] << 8 | file[6] << 16 | file[7] << 24;
    EXPECT_EQ(file.size(), 8 + c);
    EXPECT_EQ(file[8], 0x78);
    EXPECT_EQ(file[9], 0x9C);
    EXPECT_EQ(Inflated(file), body);

    CMapData loaded = Load(Inflated(file));
    EXPECT_EQ(loaded.Header(), 1);
    EXPECT_EQ(loaded.Map(L"SendTo").Header(), 0);
    EXPECT_EQ(loaded.Map(L"SendTo").Integer(L"Check"), 1);
}

TEST(SettingsFormat, AnEmptyMapIsTwentyBytes)
{
    const Bytes body = Body(CMapData(0));
    EXPECT_EQ(body, Bytes(20, 0));
    const Bytes file = Compressed(body);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 4), (Bytes{20, 0, 0, 0}));
}

TEST(SettingsFormat, EveryKindOfValueRoundTrips)
{
    CMapData map(7);
    map.Integer(L"") = -5;  // the empty key is a key like any other
    map.Integer(L"Text") = 3;
    map.String(L"Text") = L"日本語 text";
    map.String(L"empty");
    map.Block(L"none");
    map.Block(L"bytes") = Bytes{0, 1, 2, 255};
    CMapData& affix = map.Map(L"Affix");
    affix.Integer(L"Size") = 2;
    affix.Map(L"0").String(L"Text") = L"a_";
    affix.Map(L"1").String(L"Text") = L"\\e\\m\\d_";
    affix.Map(L"1").Map(L"deeper").Integer(L"x") = 1;

    CMapData loaded = Load(Body(map));
    EXPECT_EQ(loaded.Header(), 7);
    EXPECT_EQ(loaded.Integer(L""), -5);
    EXPECT_EQ(loaded.Integer(L"Text"), 3);
    EXPECT_EQ(loaded.String(L"Text"), L"日本語 text");
    EXPECT_EQ(loaded.String(L"empty"), L"");
    EXPECT_TRUE(loaded.Block(L"none").empty());
    EXPECT_EQ(loaded.Block(L"bytes"), (Bytes{0, 1, 2, 255}));
    EXPECT_EQ(loaded.Map(L"Affix").Integer(L"Size"), 2);
    EXPECT_EQ(loaded.Map(L"Affix").Map(L"1").String(L"Text"), L"\\e\\m\\d_");
    EXPECT_EQ(loaded.Map(L"Affix").Map(L"1").Map(L"deeper").Integer(L"x"), 1);
    EXPECT_EQ(Body(Load(Body(map))).size(), Body(map).size());
}

TEST(SettingsMap, AccessorsInsertDefaultsInSeparateTables)
{
    CMapData map(0);
    EXPECT_FALSE(map.HasInteger(L"Index"));
    EXPECT_EQ(map.Integer(L"Index"), 0);
    EXPECT_TRUE(map.HasInteger(L"Index"));
    map.String(L"Index") = L"x";
    EXPECT_EQ(map.Integer(L"Index"), 0);
    EXPECT_EQ(map.Map(L"Affix").Header(), 0);
    EXPECT_EQ(Load(Body(map)).Integer(L"Index"), 0);
    EXPECT_TRUE(Load(Body(map)).HasInteger(L"Index"));
}

struct Placement {
    std::int32_t values[11];
};

TEST(SettingsMap, RecordsAndDeepCopies)
{
    CMapData map(0);
    Placement record = {{1, 2, 3}};
    Placement out = {{9}};
    EXPECT_FALSE(map.GetRecord(L"WindowPlacement", out));
    EXPECT_EQ(out.values[0], 9);
    map.PutRecord(L"WindowPlacement", record);
    record.values[0] = 4;
    map.PutRecord(L"WindowPlacement", record);
    EXPECT_EQ(map.Block(L"WindowPlacement").size(), sizeof(Placement));
    ASSERT_TRUE(map.GetRecord(L"WindowPlacement", out));
    EXPECT_EQ(out.values[0], 4);

    map.Block(L"WindowPlacement").resize(10);  // damaged: too short to hold the record
    out.values[0] = 9;
    EXPECT_FALSE(map.GetRecord(L"WindowPlacement", out));
    EXPECT_EQ(out.values[0], 9);

    map.Map(L"child").Integer(L"v") = 1;
    CMapData copy = map;
    copy.Map(L"child").Integer(L"v") = 2;
    EXPECT_EQ(map.Map(L"child").Integer(L"v"), 1);
}

TEST(SettingsFormat, AKeyTwiceKeepsTheLaterValue)
{
    const Bytes body = {0, 0, 0, 0, 2, 0, 0, 0, 'C', 0, 0, 0, 1, 0, 0, 0, 'C', 0, 0, 0, 5, 0, 0, 0,
                        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Load(body).Integer(L"C"), 5);
}

TEST(SettingsFormat, DamagedBodiesLoadWhatTheyHoldAndNoMore)
{
    const Bytes good = Body(WorkedExample());
    EXPECT_EQ(Load({}).Header(), 0);
    EXPECT_EQ(Load({1, 0}).Header(), 1);
    for (std::size_t cut = 0; cut < good.size(); ++cut)
        Load(Bytes(good.begin(), good.begin() + cut));  // never reads past the end

    // A huge count with nothing behind it ends with the data.
    const Bytes hugeCount = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F};
    EXPECT_FALSE(Load(hugeCount).HasInteger(L""));

    // A block longer than the data is refused; what came before stays.
    Bytes hugeBlock = {0, 0, 0, 0, 1, 0, 0, 0, 'a', 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0,
                       'b', 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2};
    CMapData loaded = Load(hugeBlock);
    EXPECT_EQ(loaded.Integer(L"a"), 9);
    EXPECT_TRUE(loaded.Block(L"b").empty());

    // Deep nesting is not followed past the limit.
    Bytes deep;
    for (int i = 0; i < 10000; ++i)
        deep.insert(deep.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 'm', 0, 0, 0});
    Load(deep);
}

TEST(SettingsFormat, DamagedCompressedDataNeverAsksForTooMuch)
{
    const Bytes body = Body(WorkedExample());
    Bytes file = Compressed(body);
    EXPECT_TRUE(Inflated(Bytes(file.begin(), file.begin() + 3)).empty());     // shorter than 4 bytes
    EXPECT_TRUE(Inflated(Bytes(file.begin(), file.end() - 3)).empty());       // truncated stream
    Bytes damaged = file;
    damaged[20] ^= 0xFF;
    const Bytes partial = Inflated(damaged);
    EXPECT_EQ(partial.size(), body.size());  // what zlib did not produce reads as zero bytes
    Bytes hugeU = file;
    hugeU[3] = 0x7F;  // U near 2 GiB from a few dozen bytes
    EXPECT_TRUE(Inflated(hugeU).empty());
    EXPECT_TRUE(Inflated(Bytes{0, 0, 0, 0}).empty());
}

TEST(SettingsFormat, FileImagesLoadInEitherForm)
{
    const CMapData tree = ProgramTree();
    Bytes compressed = Compressed(Body(tree));
    CMapData loaded(0);
    LoadMapImage(compressed, loaded);
    EXPECT_EQ(loaded.Header(), 1);
    EXPECT_TRUE(loaded == tree);

    Bytes plain = Body(WorkedExample());
    plain[0] = 0;  // a bare body is told apart by a head below 1
    CMapData fromPlain(5);
    LoadMapImage(plain, fromPlain);
    EXPECT_EQ(fromPlain.Header(), 0);
    EXPECT_EQ(fromPlain.Map(L"SendTo").Integer(L"Check"), 1);

    for (Bytes tiny : {Bytes{}, Bytes{0, 0, 0, 0}, Bytes{7}, Bytes{0xFF, 0xFF, 0xFF, 0xFF}}) {
        CMapData empty(0);
        LoadMapImage(tiny, empty);
        EXPECT_TRUE(empty == CMapData(empty.Header()));
    }
}

}  // namespace
