// The rename planner's decisions over a file system in memory: each row a
// tree, the paths named in one run, why each ends as it does, and the tree
// after. The dry run says exactly what the run then does, and moves nothing.
#include "app/core/RenameRun.h"
#include "support/MemoryItemStore.h"

#include <gtest/gtest.h>

namespace {

using R = ItemReason;
using Names = std::vector<std::wstring>;

struct Row {
    Names tree;  // folders end in a backslash, links in " ->"
    std::wstring affix;
    Names named;
    std::vector<ItemReason> reasons;
    Names after;                           // the tree after the real run
    std::function<void(CMemoryItemStore&)> more;  // mounts, hidden names, refusals
};

const Row kRows[] = {
    {{L"a.txt", L"x_a.txt", L"b.txt"}, L"x_", {L"a.txt", L"b.txt", L"B.TXT", L"gone.txt"},
     {R::Taken, R::Done, R::Again, R::Missing}, {L"a.txt", L"x_a.txt", L"x_b.txt"}, nullptr},
    {{L"dir\\", L"dir\\f.txt"}, L"x_", {L"dir", L"dir\\f.txt"}, {R::Done, R::FolderMoved},
     {L"x_dir\\", L"x_dir\\f.txt"}, nullptr},
    {{L"x_a.txt"}, L"x_", {L"x_a.txt", L"a.txt"}, {R::Done, R::SameItem}, {L"a.txt"}, nullptr},
    {{L"a.txt"}, L"missing\\", {L"a.txt"}, {R::NoFolder}, {L"a.txt"}, nullptr},
    {{L"in\\", L"a.txt", L"in\\a.txt", L"b.txt"}, L"in\\", {L"a.txt", L"b.txt"}, {R::Taken, R::Done},
     {L"a.txt", L"in\\", L"in\\a.txt", L"in\\b.txt"}, nullptr},
    {{L"c.txt", L"d"}, L"_v1.0", {L"c.txt", L"d", L"C:\\", L"...", L"e<"}, {R::Done, R::OneWay, R::NotAnItem,
     R::NotAnItem, R::NotAnItem}, {L"c_v1.0.txt", L"d"}, nullptr},
    {{L"e.txt"}, L"<", {L"e.txt"}, {R::BadName}, {L"e.txt"}, nullptr},
    {{L"o1\\"}, L"o1\\", {L"o1"}, {R::InsideItself}, {L"o1\\"}, nullptr},
    {{L"l ->"}, L"x_", {L"l"}, {R::Link}, {L"l"}, nullptr},
    // Case twins, as Linux holds them under Wine: the exact spelling first.
    {{L"DATA.jpg", L"data.JPG"}, L"x_", {L"DATA.jpg", L"DATA.jpg", L"Data.jpg"}, {R::Done, R::Again, R::Again},
     {L"data.JPG", L"x_DATA.jpg"}, nullptr},
    {{L"old\\", L"old\\o1", L"OLD\\", L"OLD\\o1"}, L"x_", {L"old", L"old\\o1"}, {R::Done, R::FolderMoved},
     {L"OLD\\", L"OLD\\o1", L"x_old\\", L"x_old\\o1"}, nullptr},
    {{L"d\\", L"d\\IN", L"d\\in"}, L"x_", {L"d\\IN", L"d", L"d\\in"}, {R::Done, R::Done, R::FolderMoved},
     {L"x_d\\", L"x_d\\in", L"x_d\\x_IN"}, nullptr},
    {{L"d\\", L"d\\a"}, L"x_", {L"d\\a", L"d", L"d\\a", L"x_d\\x_a"}, {R::Done, R::Done, R::Again, R::SameItem},
     {L"x_d\\", L"x_d\\x_a"}, nullptr},
    {{L"d\\", L"d\\f"}, L"x_", {L"d", L"x_d\\f", L"D\\F"}, {R::Done, R::Done, R::FolderMoved},
     {L"x_d\\", L"x_d\\x_f"}, nullptr},
    {{L"A\\", L"A\\f", L"a\\", L"a\\f"}, L"x_", {L"A\\f", L"a\\f"}, {R::Done, R::Done},
     {L"A\\", L"A\\x_f", L"a\\", L"a\\x_f"}, nullptr},
    // What only the system knows: mounts, names it hides, moves it refuses.
    {{L"mp\\", L"o\\", L"f"}, L"o\\", {L"mp", L"f"}, {R::MountPoint, R::OtherVolume}, {L"f", L"mp\\", L"o\\"},
     [](CMemoryItemStore& store) {
         store.Add(L"mp\\", 1);
         store.Add(L"o\\", 2);
     }},
    {{L"a", L"b"}, L"x_", {L"a", L"b"}, {R::Taken, R::Denied}, {L"a", L"b"},
     [](CMemoryItemStore& store) {
         store.Add(L"x_a");
         store.hidden.insert(L"x_a");
         store.refused[L"b"] = R::Denied;
     }},
};

TEST(RenamePlanner, ADryRunForetellsTheRunAndEachItemSaysWhy)
{
    for (const Row& row : kRows) {
        std::vector<ItemResult> runs[2];
        for (const bool dry : {true, false}) {
            CMemoryItemStore store;
            for (const std::wstring& item : row.tree)
                store.Add(item);
            if (row.more)
                row.more(store);
            const Names before = store.Tree();
            const AffixPosition position = row.affix[0] == L'_' ? AffixPosition::End : AffixPosition::Head;
            const CAffixRule rule(row.affix, TagTime{2011, 2, 27, 9, 5, 3}, position, nullptr);
            CRenameRun run(rule, store, RunOptions{dry, true});
            for (const std::wstring& name : row.named)
                run.Rename(name);
            runs[dry ? 0 : 1] = run.Results();
            EXPECT_EQ(store.Tree(), dry ? before : row.after) << row.named[0];
        }
        ASSERT_EQ(runs[0].size(), row.reasons.size());
        for (std::size_t i = 0; i < row.reasons.size(); ++i) {
            const bool moves = row.reasons[i] == R::Done || row.reasons[i] == R::Again || row.reasons[i] == R::SameItem;
            EXPECT_EQ(runs[0][i].reason, row.reasons[i]) << row.named[i];
            EXPECT_EQ(runs[1][i].reason, row.reasons[i]) << row.named[i];
            EXPECT_EQ(runs[0][i].status, moves ? ItemStatus::WouldRename : ItemStatus::Kept) << row.named[i];
            EXPECT_EQ(runs[1][i].status, moves ? ItemStatus::Renamed : ItemStatus::Kept) << row.named[i];
            EXPECT_EQ(runs[0][i].to.Full(), runs[1][i].to.Full()) << row.named[i];
        }
    }
}

// The undo gives back only the same item, and only where its old name is free.
TEST(RenamePlanner, RenameBackOnlyTheSameItemToAFreeName)
{
    CMemoryItemStore store;
    for (const wchar_t* item : {L"a", L"b", L"c"})
        store.Add(item);
    const CAffixRule rule(L"x_", TagTime{2011, 2, 27, 9, 5, 3}, AffixPosition::Head, nullptr);
    CRenameRun run(rule, store);
    for (const wchar_t* item : {L"a", L"b", L"c"})
        run.Rename(item);
    store.Add(L"b");                               // its old name taken
    store.Move(*std::unique_ptr<COpenedItem>([&] {  // another item under c's new name
                   std::unique_ptr<COpenedItem> item;
                   StoredFolder folder;
                   store.OpenFolderOf(store.Resolve(L"x_c"), folder);
                   store.OpenItem(store.Resolve(L"x_c"), folder, item);
                   return item.release();
               }()),
               store.Resolve(L"x_c"), store.Resolve(L"gone"));
    store.Add(L"x_c");
    EXPECT_EQ(RenameBack(store, run.Results()[0]).reason, R::Done);
    EXPECT_EQ(RenameBack(store, run.Results()[1]).reason, R::Taken);
    EXPECT_EQ(RenameBack(store, run.Results()[2]).reason, R::OtherItem);
    EXPECT_EQ(store.Tree(), (Names{L"a", L"b", L"gone", L"x_b", L"x_c"}));
}

}  // namespace
