// The rename engine in this process: drops built as the shell builds them,
// real files in a private folder, and a fixed clock.
#include "app/Brindle.h"
#include "app/DropFile.h"
#include "app/core/RenameRun.h"
#include "app/stores/WindowsItemStore.h"
#include "DropBuilder.h"
#include "TestSupport.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace {

// 2011-02-27 09:05:03, whatever the wall clock says.
class FixedClockBrindle : public CBrindle {
public:
    FixedClockBrindle() : CBrindle({}, L"", AffixPosition::FromDialog) {}
    mutable int clockReads = 0;

protected:
    TagTime Now() const override
    {
        ++clockReads;
        return TagTime{2011, 2, 27, 9, 5, 3};
    }
};

// One dialog for the whole suite: a visible dialog costs seconds to destroy under Wine.
class RenameDrop : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        brindle = new FixedClockBrindle;
        brindle->CreateFromTemplate(CBrindle::TemplateId);
    }
    static void TearDownTestSuite()
    {
        delete brindle;
        brindle = nullptr;
    }

    void SetUp() override
    {
        ASSERT_NE(brindle->m_hWnd, nullptr);
        brindle->affixBox->ResetContent();
        brindle->historyCountBox->SetCurSel(2);
        Use(L"\\e\\m\\d_", AffixPosition::Head);
    }

    void Use(const std::wstring& affix, AffixPosition position)
    {
        SetWindowTextW(brindle->affixBox->m_hWnd, affix.c_str());
        brindle->headButton->SetCheck(position == AffixPosition::Head);
        brindle->endButton->SetCheck(position != AffixPosition::Head);
    }

    void Drop(const std::vector<std::wstring>& names)
    {
        std::vector<std::wstring> paths;
        for (const std::wstring& name : names)
            paths.push_back(folder / name);
        SendMessageW(brindle->m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    }

    std::wstring Make(const std::wstring& name)
    {
        WriteFileBytes(folder / name, std::string(name.begin(), name.end()));
        return name;
    }
    std::vector<std::wstring> Names() const { return NamesIn(folder.Path()); }

    static FixedClockBrindle* brindle;
    TempFolder folder;
};

FixedClockBrindle* RenameDrop::brindle = nullptr;

using NameList = std::vector<std::wstring>;

// One run over the paths, without a dialog, on the same fixed clock; in the
// store of the system the tests run on, or in the one given.
std::vector<ItemResult> RunOnce(const std::wstring& affix, AffixPosition position,
                                const std::vector<std::wstring>& paths, bool dryRun = false,
                                CItemStore* given = nullptr)
{
    const CAffixRule rule(affix, TagTime{2011, 2, 27, 9, 5, 3}, position, ComposeCanonically);
    const std::unique_ptr<CItemStore> store = given ? nullptr : MakeItemStore();
    CRenameRun run(rule, given ? *given : *store, RunOptions{dryRun, true});
    for (const std::wstring& path : paths)
        run.Rename(path);
    return run.Results();
}

// Each row: a tree, the paths named in one run and why each ends as it does.
// A dry run says exactly what the run then does, and moves nothing: in the
// store of the system the tests run on, and in the one Windows has (trees
// without links, which only the first tells apart under Wine).
TEST(RenameRun, ADryRunForetellsTheRunAndEachItemSaysWhy)
{
    CWindowsItemStore windows;
    for (CItemStore* store : {static_cast<CItemStore*>(nullptr), static_cast<CItemStore*>(&windows)}) {
        using R = ItemReason;
        struct Row {
            std::vector<std::wstring> tree;  // folders end in a backslash
            std::wstring affix;
            std::vector<std::wstring> named;
            std::vector<ItemReason> reasons;
        };
        const Row rows[] = {
            {{L"a.txt", L"x_a.txt", L"b.txt"}, L"x_", {L"a.txt", L"b.txt", L"B.TXT", L"gone.txt"},
             {R::Taken, R::Done, R::Again, R::Missing}},
            {{L"dir\\", L"dir\\f.txt"}, L"x_", {L"dir", L"dir\\f.txt"}, {R::Done, R::FolderMoved}},
            {{L"x_a.txt"}, L"x_", {L"x_a.txt", L"a.txt"}, {R::Done, R::SameItem}},
            {{L"a.txt", L"b.txt"}, L"missing\\", {L"a.txt", L"b.txt"}, {R::NoFolder, R::NoFolder}},
            {{L"in\\", L"a.txt", L"in\\a.txt", L"b.txt"}, L"in\\", {L"a.txt", L"b.txt"}, {R::Taken, R::Done}},
            {{L"c.txt", L"d"}, L"_v1.0", {L"c.txt", L"d", L"C:\\"}, {R::Done, R::OneWay, R::NotAnItem}},
            {{L"e.txt"}, L"<", {L"e.txt"}, {R::BadName}},
            {{L"o1\\"}, L"o1\\", {L"o1", L"...", L"  "}, {R::InsideItself, R::NotAnItem, R::NotAnItem}},
            {{L"d\\", L"d\\a"}, L"x_", {L"d\\a", L"d", L"d\\a"}, {R::Done, R::Done, R::Again}},
            {{L"d\\", L"d\\f"}, L"x_", {L"d", L"x_d\\f", L"D\\F"}, {R::Done, R::Done, R::FolderMoved}},
        };
        for (const Row& row : rows) {
            TempFolder place;
            for (const std::wstring& item : row.tree) {
                if (item.back() == L'\\')
                    CreateDirectoryW((place / item).c_str(), nullptr);
                else
                    WriteFileBytes(place / item, "item");
            }
            std::vector<std::wstring> named;
            for (const std::wstring& name : row.named)
                named.push_back(name.find(L':') == std::wstring::npos ? place / name : name);
            const AffixPosition position = row.affix[0] == L'_' ? AffixPosition::End : AffixPosition::Head;
            const NameList before = NamesIn(place.Path());
            const std::vector<ItemResult> planned = RunOnce(row.affix, position, named, true, store);
            EXPECT_EQ(NamesIn(place.Path()), before) << row.affix;
            const std::vector<ItemResult> done = RunOnce(row.affix, position, named, false, store);
            ASSERT_EQ(planned.size(), row.reasons.size());
            ASSERT_EQ(done.size(), row.reasons.size());
            for (std::size_t i = 0; i < row.reasons.size(); ++i) {
                const bool moves = row.reasons[i] == R::Done || row.reasons[i] == R::Again || row.reasons[i] == R::SameItem;
                EXPECT_EQ(planned[i].reason, row.reasons[i]) << row.named[i];
                EXPECT_EQ(done[i].reason, row.reasons[i]) << row.named[i];
                EXPECT_EQ(planned[i].status, moves ? ItemStatus::WouldRename : ItemStatus::Kept) << row.named[i];
                EXPECT_EQ(done[i].status, moves ? ItemStatus::Renamed : ItemStatus::Kept) << row.named[i];
                EXPECT_EQ(planned[i].to.Full(), done[i].to.Full()) << row.named[i];
                // There at the end, unless a folder above it was renamed too.
                bool folderMoved = false;
                for (const ItemResult& other : done)
                    folderMoved = folderMoved || done[i].to.Full().rfind(other.from.Full() + L"\\", 0) == 0;
                EXPECT_TRUE(!moves || folderMoved || PathExists(done[i].to.Full())) << row.named[i];
            }
        }
    }
}

TEST_F(RenameDrop, TheWorkedExampleAddsAndTakesOff)
{
    Make(L"report.txt");
    Make(L"20091231_memo.txt");
    Make(L"meeting-notes.txt");
    brindle->clockReads = 0;
    Drop({L"report.txt", L"20091231_memo.txt", L"meeting-notes.txt"});
    EXPECT_EQ(brindle->clockReads, 1);  // one time for every path of a run
    EXPECT_EQ(Names(), (NameList{L"20110227_meeting-notes.txt", L"20110227_report.txt", L"memo.txt"}));
    EXPECT_EQ(ReadFileBytes(folder / L"20110227_report.txt"), "report.txt");

    Drop({L"20110227_report.txt"});  // a second drop undoes the first
    EXPECT_TRUE(PathExists(folder / L"report.txt"));

    Use(L"_\\h\\i", AffixPosition::End);
    Make(L"plan.doc");
    Make(L"plan_2359.doc");
    Drop({L"plan.doc"});
    Drop({L"plan_2359.doc"});
    EXPECT_EQ(Names(),
              (NameList{L"20110227_meeting-notes.txt", L"memo.txt", L"plan.doc", L"plan_0905.doc", L"report.txt"}));
}

TEST_F(RenameDrop, NamesFoldersAndEdges)
{
    Use(L"_old", AffixPosition::End);
    Make(L"README");
    Make(L"archive.tar.gz");
    Make(L"報告書 最終版.txt");
    Make(L"\U0001F4C4 メモ.txt");
    CreateDirectoryW((folder / L"Photos.2010").c_str(), nullptr);
    Make(L"Photos.2010\\inside.jpg");
    Drop({L"README", L"archive.tar.gz", L"報告書 最終版.txt", L"\U0001F4C4 メモ.txt", L"Photos.2010"});
    EXPECT_EQ(Names(), (NameList{L"Photos_old.2010", L"README_old", L"archive.tar_old.gz", L"報告書 最終版_old.txt",
                              L"\U0001F4C4 メモ_old.txt"}));
    EXPECT_TRUE(PathExists(folder / L"Photos_old.2010\\inside.jpg"));

    Use(L"\\e\\m\\d_", AffixPosition::Head);
    Make(L"20110227_.txt");  // the affix alone: the base name goes
    Drop({L"20110227_.txt", L"README_old"});
    EXPECT_TRUE(PathExists(folder / L".txt"));
    EXPECT_TRUE(PathExists(folder / L"20110227_README_old"));

    // A backslash in the affix is a folder separator: in when the folder exists.
    CreateDirectoryW((folder / L"done").c_str(), nullptr);
    Use(L"done\\", AffixPosition::Head);
    Make(L"a.txt");
    Make(L"b.txt");
    Drop({L"a.txt"});
    EXPECT_TRUE(PathExists(folder / L"done\\a.txt"));
    Use(L"missing\\", AffixPosition::Head);
    Drop({L"b.txt"});
    EXPECT_TRUE(PathExists(folder / L"b.txt"));
}

// Each row: an item made (with a namesake beside it, where one is given),
// dropped once and then again. A name the second drop could not give back
// is left as it is.
TEST_F(RenameDrop, TheItemNamedIsTheItemRenamedAndASecondDropGivesItBack)
{
    struct Row {
        const wchar_t* affix;
        AffixPosition position;
        std::wstring name, namesake, renamed;  // renamed empty: left as it is
    };
    const Row rows[] = {
        // Names from Linux, macOS or a share that Windows would cut short.
        {L"x_", AffixPosition::Head, L"notes.", L"notes", L"x_notes."},
        {L"x_", AffixPosition::Head, L"memo ", L"memo", L"x_memo "},
        {L"_v", AffixPosition::End, L"draft. .", L"draft", L"draft. _v."},
        // The affix moves the extension's dot: no way back.
        {L"_v1.0", AffixPosition::End, L"README", L"", L""},
        {L"_v1.0", AffixPosition::End, L"guide.txt", L"", L"guide_v1.0.txt"},
        // Taking it off leaves nothing before the extension.
        {L"\U0001F600", AffixPosition::End, L"\U0001F600.txt", L"", L".txt"},
        // Taking it off leaves a name that still carries it.
        {L"x_", AffixPosition::Head, L"x_x_a.txt", L"", L""},
        // The affix typed composed, the name stored decomposed (as macOS does).
        {L"\u00E9t\u00E9_", AffixPosition::Head, L"e\u0301te\u0301_photo.jpg", L"", L"photo.jpg"},
    };
    for (const Row& row : rows) {
        TempFolder place;
        const std::wstring literal = L"\\\\?\\" + place.Path() + L"\\";
        WriteFileBytes(literal + row.name, "item");
        if (!row.namesake.empty())
            WriteFileBytes(literal + row.namesake, "namesake");
        Use(row.affix, row.position);
        auto drop = [&](const std::wstring& name) {
            SendMessageW(brindle->m_hWnd, WM_DROPFILES,
                         reinterpret_cast<WPARAM>(MakeDrop({place.Path() + L"\\" + name})), 0);
        };
        drop(row.name);
        const std::wstring now = row.renamed.empty() ? row.name : row.renamed;
        EXPECT_EQ(ReadFileBytes(literal + now), "item") << row.name;
        if (!row.namesake.empty()) {
            EXPECT_EQ(ReadFileBytes(literal + row.namesake), "namesake") << row.name;
        }
        EXPECT_EQ(NamesIn(place.Path()).size(), row.namesake.empty() ? 1u : 2u) << row.name;
        if (row.renamed.empty())
            continue;
        drop(row.renamed);
        // Composed or not, the name comes back as the same text.
        EXPECT_TRUE(ReadFileBytes(literal + row.name) == "item" ||
                    ReadFileBytes(literal + ComposeCanonically(row.name)) == "item")
            << row.name;
    }
}

// Each row: a tree made with names only Linux makes (trailing dots and
// spaces kept), one path dropped, and the whole tree afterwards: only the item
// named moves, and only to exactly its new name, built from its own spelling.
TEST_F(RenameDrop, EveryPartOfThePathIsTheUsers)
{
    struct Row {
        std::vector<std::wstring> tree;  // folders end in a backslash
        std::wstring dropped, affix;
        AffixPosition position;
        std::vector<std::wstring> after;
    };
    const Row rows[] = {
        {{L"Photos.\\", L"Photos.\\@home", L"Photos\\", L"Photos\\@home"}, L"Photos.\\@home", L"(x)",
         AffixPosition::End, {L"Photos.\\", L"Photos.\\@home(x)", L"Photos\\", L"Photos\\@home"}},
        {{L"a.\\", L"a\\", L"a..txt"}, L"a..txt", L"\\o1", AffixPosition::End, {L"a.\\", L"a.\\o1.txt", L"a\\"}},
        {{L"memo \\", L"memo \\n.txt", L"memo\\"}, L"memo \\sub\\..\\n.txt", L"x_", AffixPosition::Head,
         {L"memo \\", L"memo \\x_n.txt", L"memo\\"}},
        {{L"L_b.txt"}, L"L_B.TXT", L"L_", AffixPosition::Head, {L"b.txt"}},
    };
    for (const Row& row : rows) {
        TempFolder place;
        const std::wstring literal = L"\\\\?\\" + place.Path() + L"\\";
        for (const std::wstring& item : row.tree) {
            if (item.back() == L'\\')
                CreateDirectoryW((literal + item).c_str(), nullptr);
            else
                WriteFileBytes(literal + item, "item");
        }
        Use(row.affix, row.position);
        SendMessageW(brindle->m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({place / row.dropped})), 0);
        std::vector<std::wstring> after;
        for (const std::wstring& top : NamesIn(literal.substr(0, literal.size() - 1))) {
            const bool isFolder = GetFileAttributesW((literal + top).c_str()) & FILE_ATTRIBUTE_DIRECTORY;
            after.push_back(top + (isFolder ? L"\\" : L""));
            if (isFolder)
                for (const std::wstring& inner : NamesIn(literal + top))
                    after.push_back(top + L"\\" + inner);
        }
        std::vector<std::wstring> expected = row.after;
        std::sort(after.begin(), after.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(after, expected) << row.dropped;
    }
}

// After \f the tags show when the item itself was last written (3 May 2019,
// 12:34:56 here); before it, and without it, the clock (27 Feb 2011).
TEST_F(RenameDrop, TagsAfterFShowTheItemsOwnTime)
{
    struct Row {
        const wchar_t* affix;
        AffixPosition position;
        const wchar_t* name;
        const wchar_t* renamed;
        bool folder;
    };
    const Row rows[] = {
        {L"\\f\\e\\m\\d_", AffixPosition::Head, L"photo.jpg", L"20190503_photo.jpg", false},
        {L"_\\f\\h\\i\\s", AffixPosition::End, L"photo.jpg", L"photo_123456.jpg", false},
        {L"\\e_\\f\\m\\d_", AffixPosition::Head, L"scan.pdf", L"2011_0503_scan.pdf", false},
        {L"\\f\\y\\m\\d ", AffixPosition::Head, L"Trip", L"190503 Trip", true},
    };
    SYSTEMTIME local = {2019, 5, 0, 3, 12, 34, 56, 0}, universal;
    FILETIME written;
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal));
    ASSERT_TRUE(SystemTimeToFileTime(&universal, &written));
    for (const Row& row : rows) {
        TempFolder place;
        const std::wstring path = place / row.name;
        if (row.folder)
            CreateDirectoryW(path.c_str(), nullptr);
        else
            WriteFileBytes(path, "item");
        const HANDLE item = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        ASSERT_NE(item, INVALID_HANDLE_VALUE);
        SetFileTime(item, nullptr, nullptr, &written);
        CloseHandle(item);

        Use(row.affix, row.position);
        brindle->pendingFiles = {path};
        brindle->RenameFiles(L"", AffixPosition::FromDialog);
        EXPECT_EQ(NamesIn(place.Path()), std::vector<std::wstring>{row.renamed}) << row.affix;
        brindle->pendingFiles = {place / row.renamed};  // and off again, whatever the date
        brindle->RenameFiles(L"", AffixPosition::FromDialog);
        EXPECT_EQ(NamesIn(place.Path()), std::vector<std::wstring>{row.name}) << row.affix;
    }
}

// Brindle makes exactly the name it computed, or leaves the item as it was.
TEST_F(RenameDrop, NamesNoWindowsPathCanHoldAreNeverAttempted)
{
    struct Row {
        std::wstring affix;
        AffixPosition position;
        std::wstring name;
        ItemReason reason;
    };
    const ItemReason renamed = ItemReason::Done, bad = ItemReason::BadName, tooLong = ItemReason::TooLong;
    const std::wstring japanese = std::wstring(76, L'\u3042') + L".txt";
    const Row rows[] = {
        {L"a:b", AffixPosition::Head, L"f.txt", bad},  // a stream on Windows, a new file under Wine
        {L"*", AffixPosition::End, L"f.txt", bad},
        {L"?", AffixPosition::Head, L"f.txt", bad},
        {L"\"", AffixPosition::Head, L"f.txt", bad},
        {L"<", AffixPosition::Head, L"f.txt", bad},
        {L">", AffixPosition::Head, L"f.txt", bad},
        {L"|", AffixPosition::Head, L"f.txt", bad},
        {L"\x01", AffixPosition::Head, L"f.txt", bad},
        {L"\\Y", AffixPosition::Head, L"f.txt", bad},  // an empty folder name before the item
        {L"x", AffixPosition::Head, std::wstring(250, L'a') + L".txt", renamed},  // 255 units
        {L"x", AffixPosition::Head, std::wstring(251, L'a') + L".txt", tooLong},  // 256
        {std::wstring(40000, L'A'), AffixPosition::Head, L"f.txt", tooLong},
        // 86 units, but 262 bytes in UTF-8: more than a Linux name holds.
        {std::wstring(10, L'\u5B57'), AffixPosition::Head, japanese, tooLong},
    };
    for (const Row& row : rows) {
        TempFolder place;
        WriteFileBytes(place / row.name, "item");
        const bool moves = row.reason == ItemReason::Done;
        EXPECT_EQ(RunOnce(row.affix, row.position, {place / row.name}).front().reason, row.reason)
            << row.affix.substr(0, 8) << row.name.size();
        EXPECT_EQ(NamesIn(place.Path()).size(), 1u);
        EXPECT_EQ(PathExists(place / row.name), !moves) << row.affix.substr(0, 8) << row.name.size();
    }
}

// Under Wine, the Z: drive path of a path; empty elsewhere.
std::wstring UnixDrivePath(const std::wstring& path)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix =
        reinterpret_cast<ToUnix>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* unix = toUnix ? toUnix(path.c_str()) : nullptr;
    if (!unix)
        return L"";
    std::wstring wide(MAX_PATH * 4, L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, unix, -1, &wide[0], MAX_PATH * 4 - 1)));
    HeapFree(GetProcessHeap(), 0, unix);
    wide = wide.substr(0, wide.find(L'\0'));
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    // Drive C: is a link in the prefix; its target is a name Windows can hold.
    const std::wstring link = L"\\dosdevices\\c:\\";
    const std::size_t at = wide.find(link);
    if (at != std::wstring::npos)
        wide.replace(at, link.size(), L"\\drive_c\\");
    return L"Z:" + wide;
}

// A rename never copies: an affix that leads onto another volume (here the
// tmpfs of /dev/shm) moves nothing, and leaves nothing there.
TEST_F(RenameDrop, AnAffixOntoAnotherVolumeMovesNothing)
{
    const std::wstring here = UnixDrivePath(folder.Path());
    const std::wstring other = L"Z:\\dev\\shm\\brindle-" + std::to_wstring(GetCurrentProcessId());
    if (here.empty() || !CreateDirectoryW(other.c_str(), nullptr))
        GTEST_SKIP() << "needs Wine and /dev/shm";
    // Slashes: after a backslash, d and s would be the day and second tags.
    std::wstring up;
    for (std::size_t at = here.find(L'\\'); (at = here.find(L'\\', at + 1)) != std::wstring::npos;)
        up += L"../";
    const std::wstring affix = up + L"../dev/shm/brindle-" + std::to_wstring(GetCurrentProcessId()) + L"/";
    WriteFileBytes(folder / L"big.bin", std::string(1 << 20, 'b'));
    EXPECT_EQ(RunOnce(affix, AffixPosition::Head, {here + L"\\big.bin"}, true).front().reason, ItemReason::OtherVolume);
    EXPECT_EQ(RunOnce(affix, AffixPosition::Head, {here + L"\\big.bin"}).front().reason, ItemReason::OtherVolume);
    const bool moved = DeleteFileW((other + L"\\big.bin").c_str()) != FALSE;
    EXPECT_TRUE(RemoveDirectoryW(other.c_str()));  // nothing left there, not even an empty claim
    EXPECT_FALSE(moved);
    EXPECT_EQ(ReadFileBytes(folder / L"big.bin").size(), 1u << 20);
}

// Undo gives each item of the last drop its old name back, where that is
// safe; the rest stays as it is.
TEST_F(RenameDrop, UndoTakesBackTheLastDropWhereItSafelyCan)
{
    const HMENU system = GetSystemMenu(brindle->m_hWnd, FALSE);
    const auto undoable = [&] { return !(GetMenuState(system, IDM_UNDO, MF_BYCOMMAND) & MF_GRAYED); };
    const auto undo = [&] { SendMessageW(brindle->m_hWnd, WM_SYSCOMMAND, IDM_UNDO, 0); };
    Use(L"x_", AffixPosition::Head);
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt", L"e.txt", L"f.txt", L"g.txt"})
        Make(name);
    Drop({L"a.txt", L"b.txt", L"c.txt", L"d.txt", L"f.txt", L"g.txt"});
    EXPECT_TRUE(undoable());
    // f is moved away and another file saved under its new name: a new item.
    MoveFileW((folder / L"x_f.txt").c_str(), (folder / L"f moved.txt").c_str());
    WriteFileBytes(folder / L"x_f.txt", "another file");
    MoveFileW((folder / L"x_b.txt").c_str(), (folder / L"renamed again.txt").c_str());
    WriteFileBytes(folder / L"c.txt", "a new c");
    DeleteFileW((folder / L"x_d.txt").c_str());
    {
        // g's index handed to a new file, made at another time (Linux gives a
        // freed index out again at once).
        const HANDLE g = CreateFileW((folder / L"x_g.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                                     nullptr);
        const FILETIME made = {0x12345678, 0x01c00000};
        EXPECT_TRUE(SetFileTime(g, &made, nullptr, &made));
        CloseHandle(g);
    }
    Drop({L"no such file.txt"});  // renames nothing: the undo stays as it was
    undo();
    EXPECT_EQ(Names(), (NameList{L"a.txt", L"c.txt", L"e.txt", L"f moved.txt", L"renamed again.txt", L"x_c.txt",
                              L"x_f.txt", L"x_g.txt"}));
    EXPECT_EQ(ReadFileBytes(folder / L"c.txt"), "a new c");
    EXPECT_EQ(ReadFileBytes(folder / L"x_f.txt"), "another file");
    EXPECT_FALSE(undoable());
    undo();  // once only
    EXPECT_EQ(Names().size(), 8u);

    // Ctrl+Z: anywhere in the dialog but in the affix text.
    Drop({L"e.txt"});
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG inAffix = {brindle->affixBox->m_hWnd, WM_KEYDOWN, 'Z', 0, 0, {0, 0}};
    MSG onButton = {brindle->headButton->m_hWnd, WM_KEYDOWN, 'Z', 0, 0, {0, 0}};
    EXPECT_FALSE(brindle->PreTranslateMessage(inAffix));
    EXPECT_TRUE(PathExists(folder / L"x_e.txt"));
    EXPECT_TRUE(brindle->PreTranslateMessage(onButton));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_TRUE(PathExists(folder / L"e.txt"));
}

TEST_F(RenameDrop, ATakenNameOrAnOpenFileKeepsItsName)
{
    Make(L"report.txt");
    WriteFileBytes(folder / L"20110227_report.txt", "the other file");
    Drop({L"report.txt"});
    EXPECT_EQ(ReadFileBytes(folder / L"report.txt"), "report.txt");
    EXPECT_EQ(ReadFileBytes(folder / L"20110227_report.txt"), "the other file");

    Make(L"open.txt");
    HANDLE held = CreateFileW((folder / L"open.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::vector<ItemResult> results = RunOnce(L"x_", AffixPosition::Head, {folder / L"open.txt"});
    Drop({L"open.txt", L"gone.txt"});
    CloseHandle(held);
    EXPECT_EQ(results.front().reason, ItemReason::InUse);
    EXPECT_TRUE(PathExists(folder / L"open.txt"));
    EXPECT_EQ(Names(), (NameList{L"20110227_report.txt", L"open.txt", L"report.txt"}));
}

TEST_F(RenameDrop, AttributesStayWithTheItem)
{
    const std::map<std::wstring, DWORD> items = {
        {L"ro.txt", FILE_ATTRIBUTE_READONLY},
        {L"hidden.txt", FILE_ATTRIBUTE_HIDDEN},
        {L"system.txt", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN},
        {L"archive.txt", FILE_ATTRIBUTE_ARCHIVE},
        // Wine keeps no read-only attribute on folders; system and hidden it does.
        {L"sysfolder", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY},
    };
    std::vector<std::wstring> names;
    for (const auto& item : items) {
        if (item.second & FILE_ATTRIBUTE_DIRECTORY)
            CreateDirectoryW((folder / item.first).c_str(), nullptr);
        else
            Make(item.first);
        SetFileAttributesW((folder / item.first).c_str(), item.second & ~FILE_ATTRIBUTE_DIRECTORY);
        names.push_back(item.first);
    }
    WriteFileBytes(folder / L"20110227_ro.txt", "blocks the read-only file");
    Drop(names);
    for (const auto& item : items) {
        const std::wstring now = folder / (item.first == L"ro.txt" ? item.first : L"20110227_" + item.first);
        const DWORD attributes = GetFileAttributesW(now.c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << now;
        EXPECT_EQ(attributes & (item.second | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
                  item.second)
            << now;
    }
}

TEST_F(RenameDrop, PathsAreRenamedInTheirOwnFolder)
{
    CreateDirectoryW((folder / L"sub").c_str(), nullptr);
    Make(L"sub\\relative.txt");
    Make(L"sub\\drive.txt");
    Make(L"sub\\slashes.txt");
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    SetCurrentDirectoryW(folder.Path().c_str());
    std::wstring slashes = folder / L"sub/slashes.txt";
    brindle->pendingFiles = {L"sub\\relative.txt", folder.Path().substr(0, 2) + L"sub\\drive.txt", slashes};
    brindle->RenameFiles(L"", AffixPosition::FromDialog);
    SetCurrentDirectoryW(current);
    EXPECT_EQ(NamesIn(folder / L"sub"),
              (NameList{L"20110227_drive.txt", L"20110227_relative.txt", L"20110227_slashes.txt"}));
    EXPECT_EQ(Names(), NameList{L"sub"});
}

TEST_F(RenameDrop, LongPathsAreNeverCutShort)
{
    std::wstring path = L"\\\\?\\" + folder.Path();
    std::wstring relative;
    for (int i = 0; i < 12; ++i) {
        relative += std::wstring(30, static_cast<wchar_t>(L'a' + i)) + L"\\";
        CreateDirectoryW((path + L"\\" + relative).c_str(), nullptr);
    }
    WriteFileBytes(path + L"\\" + relative + L"deep.txt", "deep");
    ASSERT_GT((folder / relative).size(), 400u);
    Drop({relative + L"deep.txt"});
    EXPECT_EQ(ReadFileBytes(path + L"\\" + relative + L"20110227_deep.txt"), "deep");
}

TEST_F(RenameDrop, AnEmptyAffixRenamesNothingAndForgetsThePaths)
{
    Use(L"", AffixPosition::Head);
    Make(L"first.txt");
    Drop({L"first.txt"});
    EXPECT_EQ(Names(), NameList{L"first.txt"});
    EXPECT_EQ(brindle->affixBox->GetCount(), 0);

    Use(L"x_", AffixPosition::Head);
    Make(L"second.txt");
    Drop({L"second.txt"});
    EXPECT_EQ(Names(), (NameList{L"first.txt", L"x_second.txt"}));
}

TEST_F(RenameDrop, HistoryMovesUsedTextsToTheTopAndKeepsTheEditText)
{
    CComboBox& box = *brindle->affixBox;
    for (const wchar_t* affix : {L"a_", L"b_", L"c_", L"a_"}) {
        Use(affix, AffixPosition::Head);
        brindle->RenameFiles(L"", AffixPosition::FromDialog);  // nothing pending: only the history
    }
    ASSERT_EQ(box.GetCount(), 3);
    EXPECT_EQ(box.GetItemText(0), L"a_");
    EXPECT_EQ(box.GetItemText(2), L"b_");
    EXPECT_EQ(box.GetText(), L"a_");

    box.AddToHistory(L"d_", 2);
    EXPECT_EQ(box.GetCount(), 2);
    EXPECT_EQ(box.GetItemText(0), L"d_");
    box.AddToHistory(L"e_", 0);
    EXPECT_EQ(box.GetCount(), 0);
    EXPECT_EQ(box.GetText(), L"a_");

    // A count box showing no number trims nothing.
    brindle->historyCountBox->SetCurSel(-1);
    for (int i = 0; i < 25; ++i)
        brindle->RenameFiles(L"h" + std::to_wstring(i), AffixPosition::Head);
    EXPECT_EQ(box.GetCount(), 25);
}

// A tree of 1,000 files and folders, renamed twice in one drop each, comes back
// exactly: names, contents and attributes.
TEST_F(RenameDrop, NothingIsLostInAThousandItems)
{
    struct Item {
        std::string contents;
        DWORD attributes;
    };
    std::map<std::wstring, Item> before;
    std::vector<std::wstring> top;
    for (int f = 0; f < 90; ++f) {
        const std::wstring dir = L"dir" + std::to_wstring(f) + (f % 7 ? L"" : L".v2");
        CreateDirectoryW((folder / dir).c_str(), nullptr);
        top.push_back(dir);
        for (int i = 0; i < 9; ++i) {
            const std::wstring name = dir + L"\\file " + std::to_wstring(i) + (i % 3 ? L".txt" : L"");
            WriteFileBytes(folder / name, std::string(static_cast<std::size_t>(i * 37), char('a' + f % 26)));
        }
    }
    // The top level also holds files, some of them protected.
    for (int i = 0; i < 100; ++i) {
        const std::wstring name = L"top" + std::to_wstring(i) + L".dat";
        WriteFileBytes(folder / name, std::to_string(i));
        if (i % 10 == 0)
            SetFileAttributesW((folder / name).c_str(), FILE_ATTRIBUTE_READONLY);
        top.push_back(name);
    }
    auto snapshot = [&](std::map<std::wstring, Item>& out) {
        out.clear();
        for (const std::wstring& dir : NamesIn(folder.Path())) {
            const DWORD attributes = GetFileAttributesW((folder / dir).c_str());
            out[dir] = Item{ReadFileBytes(folder / dir), attributes};
            if (attributes & FILE_ATTRIBUTE_DIRECTORY)
                for (const std::wstring& name : NamesIn(folder / dir))
                    out[dir + L"\\" + name] = Item{ReadFileBytes(folder / (dir + L"\\" + name)),
                                                   GetFileAttributesW((folder / (dir + L"\\" + name)).c_str())};
        }
    };
    snapshot(before);
    ASSERT_EQ(before.size(), 1000u);

    Drop(top);
    std::vector<std::wstring> renamed;
    for (const std::wstring& name : top)
        renamed.push_back(L"20110227_" + name);
    EXPECT_EQ(Names().size(), 190u);
    EXPECT_TRUE(PathExists(folder / renamed.front()));
    Drop(renamed);

    std::map<std::wstring, Item> after;
    snapshot(after);
    ASSERT_EQ(after.size(), before.size());
    for (const auto& entry : before) {
        const auto found = after.find(entry.first);
        ASSERT_NE(found, after.end()) << entry.first;
        EXPECT_EQ(found->second.contents, entry.second.contents) << entry.first;
        EXPECT_EQ(found->second.attributes, entry.second.attributes) << entry.first;
    }
}

}  // namespace

// A drop's names come out whole and in order, wide or ANSI; a list cut short
// by the end of its memory ends at its last whole name.
TEST(DropFile, ReadsEachNameOnceAndNeverPastTheDrop)
{
    auto read = [](HDROP drop) {
        std::vector<std::wstring> names;
        CDropFile file(drop);
        for (std::wstring name = file.Next(); !name.empty(); name = file.Next())
            names.push_back(name);
        return names;
    };
    const std::vector<std::wstring> given{L"C:\\a b\\%20.txt", std::wstring(40000, L'x'), L"C:\\\x65e5\x672c"};
    EXPECT_EQ(read(MakeDrop(given)), given);

    const char ansi[] = "C:\\one\0C:\\two\0";
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + sizeof ansi);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    std::memcpy(header + 1, ansi, sizeof ansi);
    GlobalUnlock(memory);
    EXPECT_EQ(read(static_cast<HDROP>(memory)), (std::vector<std::wstring>{L"C:\\one", L"C:\\two"}));

    const wchar_t cut[] = {L'C', L':', L'\\', L'a', 0, L'C', L':', L'\\', L'b'};
    memory = GlobalAlloc(GHND, sizeof(DROPFILES) + sizeof cut);
    header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(header + 1, cut, sizeof cut);
    GlobalUnlock(memory);
    EXPECT_EQ(read(static_cast<HDROP>(memory)), std::vector<std::wstring>{L"C:\\a"});
}
