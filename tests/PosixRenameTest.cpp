// The planner on Linux's own file system: real files in a private folder.
#include "linux/PosixItemStore.h"
#include "app/RenameRun.h"
#include "support/MemoryItemStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using R = ItemReason;
using Names = std::vector<std::string>;

// What a folder holds, all the way down: folders end in "/", links in " ->".
void Walk(const std::string& folder, const std::string& prefix, Names& names)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name, path = folder + "/" + name;
        struct stat info;
        if (name == "." || name == ".." || lstat(path.c_str(), &info) != 0)
            continue;
        if (S_ISLNK(info.st_mode)) {
            names.push_back(prefix + name + " ->");
        } else if (S_ISDIR(info.st_mode)) {
            names.push_back(prefix + name + "/");
            Walk(path, prefix + name + "/", names);
        } else {
            names.push_back(prefix + name);
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
}

// Makes "a", "d/", "l -> target" below root.
void Make(const std::string& root, const std::string& entry)
{
    const std::size_t arrow = entry.find(" -> ");
    const std::string path = root + "/" + entry.substr(0, arrow);
    if (arrow != std::string::npos)
        ASSERT_EQ(symlink(entry.substr(arrow + 4).c_str(), path.c_str()), 0);
    else if (entry.back() == '/')
        ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    else
        close(open(path.c_str(), O_CREAT | O_WRONLY, 0644));
}

struct Row {
    Names tree;
    std::wstring affix;
    std::vector<std::wstring> named;
    std::vector<ItemReason> reasons;
    Names after;
};

// Case matters, a link is renamed as itself and nothing stands where it
// points, a name that is taken by a link to nothing stays taken.
const Row kRows[] = {
    {{"a.txt", "A.txt"}, L"x_", {L"a.txt", L"A.txt", L"a.txt"}, {R::Done, R::Done, R::Again}, {"x_A.txt", "x_a.txt"}},
    {{"l -> nowhere", "m -> l"}, L"x_", {L"l", L"m"}, {R::Done, R::Done}, {"x_l ->", "x_m ->"}},
    {{"b", "x_b -> nowhere"}, L"x_", {L"b"}, {R::Taken}, {"b", "x_b ->"}},
    {{"d/", "d/f", "D/", "D/f"}, L"x_", {L"d", L"d/f", L"D/f"}, {R::Done, R::FolderMoved, R::Done},
     {"D/", "D/x_f", "x_d/", "x_d/f"}},
    {{"in/", "n"}, L"in\\", {L"n", L"in"}, {R::Done, R::InsideItself}, {"in/", "in/n"}},
    {{"back\\slash"}, L"x_", {L"back\\slash"}, {R::Backslash}, {"back\\slash"}},
    // Named again after its folder moved, and by the name the run gave it;
    // a plain file that holds the new name (which only the dry run asks).
    {{"d/", "d/f", "c", "x_c"}, L"x_", {L"d/f", L"d", L"d/f", L"x_d/x_f", L"c"},
     {R::Done, R::Done, R::Again, R::SameItem, R::Taken}, {"c", "x_c", "x_d/", "x_d/x_f"}},
    // Through a link to a folder the run renamed, and through a link it renamed.
    {{"d/", "d/a", "dl -> d"}, L"x_", {L"d", L"dl/a"}, {R::Done, R::Missing}, {"dl ->", "x_d/", "x_d/a"}},
    {{"d/", "d/a", "dl -> d"}, L"x_", {L"dl", L"dl/a"}, {R::Done, R::FolderMoved}, {"d/", "d/a", "x_dl ->"}},
};

TEST(PosixRename, ADryRunForetellsTheRunOnLinuxsOwnRules)
{
    char place[] = "/tmp/brindle-posix-XXXXXX";
    ASSERT_NE(mkdtemp(place), nullptr);
    for (const Row& row : kRows) {
        std::vector<ItemResult> runs[2];
        for (const bool dry : {true, false}) {
            const std::string root = std::string(place) + (dry ? "/dry" : "/real");
            ASSERT_EQ(mkdir(root.c_str(), 0755), 0);
            for (const std::string& entry : row.tree)
                Make(root, entry);
            Names before;
            Walk(root, "", before);
            std::wstring current;
            ASSERT_TRUE(FromSystemBytes(root, current));
            CPosixItemStore store(current);
            const CAffixRule rule(row.affix, TagTime{2011, 2, 27, 9, 5, 3}, AffixPosition::Head, nullptr);
            // The real run as the command line makes it: keeping no results.
            CRenameRun run(rule, store, dry, dry);
            for (const std::wstring& name : row.named)
                runs[dry ? 0 : 1].push_back(run.Rename(name));
            EXPECT_EQ(run.Results().size(), dry ? row.named.size() : 0u);
            Names now;
            Walk(root, "", now);
            EXPECT_EQ(now, dry ? before : row.after) << row.tree[0];
            ASSERT_EQ(std::system(("rm -rf '" + root + "'").c_str()), 0);
        }
        ASSERT_EQ(runs[1].size(), row.reasons.size());
        for (std::size_t i = 0; i < row.reasons.size(); ++i) {
            EXPECT_EQ(runs[0][i].reason, row.reasons[i]) << row.tree[0] << " " << i;
            EXPECT_EQ(runs[1][i].reason, row.reasons[i]) << row.tree[0] << " " << i;
        }
    }
    rmdir(place);
}

}  // namespace

// One rule, two systems: the same names and affixes through the planner on
// Linux and on Windows (the in-memory store keeps Windows' rules), and where
// the outcome differs, the system's own rule that decides it.
TEST(PosixRename, TheRuleIsOneWhereTheSystemsRulesAgree)
{
    struct Case {
        std::wstring name, affix, windows, linux;  // the new path, or the reason's word
        const char* why;                           // empty where both agree
    };
    const std::wstring kana(100, L'\u3042');
    const Case cases[] = {
        {L"report.txt", L"x_", L"x_report.txt", L"x_report.txt", ""},
        {L"x_report.txt", L"x_", L"report.txt", L"report.txt", ""},
        {L"notes", L"in\\", L"in\\notes", L"in\\notes", ""},
        {L"a?b.txt", L"x_", L"not-an-item", L"x_a?b.txt", "Windows forbids : * ? \" < > | in names"},
        {L"A.txt", L"x_", L"taken", L"x_A.txt", "Windows takes x_a.txt and x_A.txt for one name"},
        {kana, L"x_", L"x_" + kana, L"too-long", "Linux counts a name's UTF-8 bytes (302 here), Windows UTF-16 units"},
        {L"l", L"x_", L"link", L"x_l", "under Wine a link cannot be renamed as itself; Linux renames it so"},
    };
    const auto outcome = [](const ItemResult& result, const std::wstring& root) {
        if (result.reason != R::Done)
            return std::wstring(ReasonWord(result.reason), ReasonWord(result.reason) + std::strlen(ReasonWord(result.reason)));
        std::wstring relative = result.to.Full().substr(root.size());
        std::replace(relative.begin(), relative.end(), L'/', L'\\');
        return relative;
    };
    for (const Case& row : cases) {
        const CAffixRule rule(row.affix, TagTime{2011, 2, 27, 9, 5, 3}, AffixPosition::Head, nullptr);
        CMemoryItemStore windows;
        windows.Add(row.name == L"l" ? L"l ->" : row.name);
        windows.Add(L"x_a.txt");
        windows.Add(L"in\\");
        CRenameRun onWindows(rule, windows);
        const std::wstring there = outcome(onWindows.Rename(row.name), L"C:\\t\\");

        char place[] = "/tmp/brindle-rule-XXXXXX";
        ASSERT_NE(mkdtemp(place), nullptr);
        Make(place, SystemBytes(row.name) + (row.name == L"l" ? " -> nowhere" : ""));
        Make(place, "x_a.txt");
        Make(place, "in/");
        std::wstring root;
        ASSERT_TRUE(FromSystemBytes(std::string(place) + "/", root));
        CPosixItemStore linux(root);
        CRenameRun onLinux(rule, linux);
        const std::wstring here = outcome(onLinux.Rename(row.name), root);
        ASSERT_EQ(std::system(("rm -rf '" + std::string(place) + "'").c_str()), 0);

        EXPECT_EQ(there, row.windows) << SystemBytes(row.name);
        EXPECT_EQ(here, row.linux) << SystemBytes(row.name);
        EXPECT_EQ(there == here, *row.why == '\0') << row.why;
    }
}
