// The planner on Linux's own file system: real files in a private folder.
#include "linux/NamedItems.h"
#include "linux/PosixItemStore.h"
#include "linux/Text.h"
#include "app/core/RenameRun.h"
#include "support/MemoryItemStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
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

// Makes "a", "d/", "l -> target", "hard => a" (a second name of a) below
// root.
void Make(const std::string& root, const std::string& entry)
{
    const std::size_t arrow = entry.find(" -> "), hard = entry.find(" => ");
    const std::string path = root + "/" + entry.substr(0, std::min(arrow, hard));
    if (hard != std::string::npos)
        ASSERT_EQ(link((root + "/" + entry.substr(hard + 4)).c_str(), path.c_str()), 0);
    else if (arrow != std::string::npos)
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
    std::vector<ItemReason> reasons;  // NotAnItem: refused before the run
    Names after;
    bool planner = false;  // named to the planner as they are, as no command line can
};

const std::string kNfd = "Re\xCC\x81sume\xCC\x81_2020.pdf";

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
     {R::Done, R::Done, R::Again, R::SameItem, R::Taken}, {"c", "x_c", "x_d/", "x_d/x_f"}, true},
    // Through a link to a folder the run renamed, and through a link it renamed.
    {{"d/", "d/a", "dl -> d"}, L"x_", {L"d", L"dl/a"}, {R::Done, R::FolderMoved}, {"dl ->", "x_d/", "x_d/a"}},
    // A path names what the kernel finds by it when the run begins.
    {{"dl -> d", "d/", "d/a"}, L"x_", {L"dl", L"dl/a"}, {R::Done, R::Done}, {"d/", "d/x_a", "x_dl ->"}},
    {{"a/", "a/f", "o/", "o/deep/", "o/f", "a/l -> ../o/deep"}, L"x_", {L"a/l/../f"}, {R::Done},
     {"a/", "a/f", "a/l ->", "o/", "o/deep/", "o/x_f"}},
    {{"p/", "p/2020/", "p/2020/a", "cur -> p/2020"}, L"x_", {L"p", L"cur/a"}, {R::Done, R::FolderMoved},
     {"cur ->", "x_p/", "x_p/2020/", "x_p/2020/a"}},
    {{"P/", "o1 -> P"}, L"o1\\", {L"P"}, {R::InsideItself}, {"P/", "o1 ->"}},
    {{"d/", "d/l -> .", "d/sub/"}, L"x_", {L"d/l/l", L"d/l/sub"}, {R::Done, R::Done}, {"d/", "d/x_l ->", "d/x_sub/"}},
    {{"a/", "a\\b/", "a\\b/f"}, L"x_", {L"a", L"a\\b/f"}, {R::Done, R::Done}, {"a\\b/", "a\\b/x_f", "x_a/"}},
    // Two names of one file are two entries; an affix spelt in another form
    // is not taken off (it would come back with other bytes).
    {{"h", "g => h"}, L"x_", {L"h", L"g", L"h"}, {R::Done, R::Done, R::Again}, {"x_g", "x_h"}},
    {{kNfd}, L"R\u00E9sum\u00E9_", {L"Re\u0301sume\u0301_2020.pdf"}, {R::OneWay}, {kNfd}},
    // "." and "..", and a link with a slash, name no item of their own:
    // nothing is renamed.
    {{"d/", "d/f", "l -> d"}, L"x_", {L"d/f", L"d/.."}, {R::NotAnItem, R::NotAnItem}, {"d/", "d/f", "l ->"}},
    {{"d/", "l -> d"}, L"x_", {L"l/"}, {R::NotAnItem}, {"d/", "l ->"}},
};

// The names of a row renamed as the command line renames them, from root:
// each found first, then renamed by the path the kernel found it by.
std::vector<ItemResult> RunAsCommandLine(const std::string& root, const Row& row, bool dry)
{
    std::vector<ItemResult> results;
    char here[4096];
    if (!getcwd(here, sizeof here) || chdir(root.c_str()) != 0)
        return results;
    CNamedItems named;
    std::vector<std::string> given;
    bool refused = false;
    for (const std::wstring& name : row.named) {
        given.push_back(SystemBytes(name));
        int error = 0;
        refused = (named.Add(given.back().c_str(), error) != CNamedItems::Fault::None && !row.planner) || refused;
    }
    CAffixRule rule(row.affix, TagTime{2011, 2, 27, 9, 5, 3}, AffixPosition::Head, ComposeCanonically);
    rule.KeepOtherForms(true);
    CPosixItemStore store(FolderText(root));
    store.UseFirstLooks(&named);
    // The real run as the command line makes it: keeping no results.
    CRenameRun run(rule, store, RunOptions{dry, dry});
    for (std::size_t i = 0; i < given.size(); ++i) {
        std::wstring path;
        if (row.planner) {
            results.push_back(run.Rename(row.named[i]));
            continue;
        }
        if (refused || !named.Path(i, given[i].c_str(), path)) {
            results.push_back(KeptItem(CItemPath(), ItemReason::NotAnItem));
            continue;
        }
        results.push_back(run.Rename(path));
    }
    EXPECT_EQ(run.Results().size(), refused ? 0u : dry ? row.named.size() : 0u);
    EXPECT_EQ(chdir(here), 0);
    return results;
}

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
            runs[dry ? 0 : 1] = RunAsCommandLine(root, row, dry);
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

// Mounts and a second user: what Linux decides beyond the names. Each case's
// set-up runs in its tree's folder; the runs are made as the user given.
TEST(PosixRename, ADryRunForetellsWhatMountsAndOtherUsersRefuse)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "mounts and a second user need root";
    struct Case {
        const char* setUp;  // shell, in the tree's folder
        const char* tearDown;
        uid_t user;
        Row row;
    };
    const uid_t nobody = 65534;
    const Case cases[] = {
        // Another user's file in a sticky folder; one's own there.
        {"chmod 1777 st && chown 65534 st/mine", "true", nobody,
         {{"st/", "st/root", "st/mine"}, L"x_", {L"st/root", L"st/mine"}, {R::Denied, R::Done}, {}}},
        // One's own folder without write permission, moved into another:
        // its ".." would change.
        {"chown -R 65534 own && chmod 555 own/sub", "chmod 755 own/sub", nobody,
         {{"own/", "own/sub/", "own/dest/"}, L"dest\\", {L"own/sub"}, {R::Denied}, {}}},
        {"mount --bind src ro && mount -o remount,bind,ro ro", "umount ro", 0,
         {{"src/", "src/f", "ro/"}, L"x_", {L"ro/f"}, {R::ReadOnly}, {}}},
        // Two mounts of one folder: the second's items are plain items.
        {"mount --bind src alias", "umount alias", 0,
         {{"src/", "src/a", "src/b", "alias/"}, L"x_", {L"src/a", L"alias/b"}, {R::Done, R::Done}, {}}},
        // An overlay moves no folder of its lower layer (it would copy).
        {"mount -t overlay overlay -o lowerdir=$PWD/l,upperdir=$PWD/u,workdir=$PWD/w m && mkdir m/new",
         "umount m", 0,
         {{"l/", "l/old/", "u/", "w/", "m/"}, L"x_", {L"m/old", L"m/new"}, {R::NotInPlace, R::Done}, {}}},
        // A FUSE daemon without rename's flags.
        {"bindfs src fm", "umount fm", 0, {{"src/", "src/f", "fm/"}, L"x_", {L"fm/f"}, {R::NoSafeRename}, {}}},
    };
    char place[] = "/tmp/brindle-mounts-XXXXXX";
    ASSERT_NE(mkdtemp(place), nullptr);
    ASSERT_EQ(chmod(place, 0755), 0);
    for (const Case& test : cases) {
        std::vector<ItemResult> runs[2];
        bool made = true;
        for (const bool dry : {true, false}) {
            const std::string root = std::string(place) + "/tree";
            ASSERT_EQ(mkdir(root.c_str(), 0755), 0);
            for (const std::string& entry : test.row.tree)
                Make(root, entry);
            made = std::system(("cd '" + root + "' && (" + test.setUp + ") 2>/dev/null").c_str()) == 0;
            if (made) {
                ASSERT_EQ(seteuid(test.user), 0);
                runs[dry ? 0 : 1] = RunAsCommandLine(root, test.row, dry);
                ASSERT_EQ(seteuid(0), 0);
            }
            std::system(("cd '" + root + "' && (" + test.tearDown + ") 2>/dev/null").c_str());
            ASSERT_EQ(std::system(("rm -rf '" + root + "'").c_str()), 0);
            if (!made)
                break;
        }
        if (!made) {
            std::printf("[  SKIPPED ] %s: this machine cannot make it\n", test.setUp);
            continue;
        }
        for (std::size_t i = 0; i < test.row.reasons.size(); ++i) {
            EXPECT_EQ(runs[0][i].reason, test.row.reasons[i]) << test.setUp << " " << i;
            EXPECT_EQ(runs[1][i].reason, test.row.reasons[i]) << test.setUp << " " << i;
        }
    }
    rmdir(place);
}

// Moved away by another program between the first look and the move: said
// of the item, not of the folder its new name leads into.
TEST(PosixRename, AnItemGoneSinceTheRunBeganIsMissing)
{
    char place[] = "/tmp/brindle-gone-XXXXXX";
    ASSERT_NE(mkdtemp(place), nullptr);
    Make(place, "victim.txt");
    Make(place, "kept.txt");
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(place), 0);
    CNamedItems named;
    int error = 0;
    ASSERT_EQ(named.Add("victim.txt", error), CNamedItems::Fault::None);
    ASSERT_EQ(named.Add("kept.txt", error), CNamedItems::Fault::None);
    ASSERT_EQ(std::rename("victim.txt", "elsewhere.txt"), 0);
    const CAffixRule rule(L"x_", TagTime{2011, 2, 27, 9, 5, 3}, AffixPosition::Head, nullptr);
    CPosixItemStore store(L"/");
    store.UseFirstLooks(&named);
    CRenameRun run(rule, store);
    const std::vector<std::string> given = {"victim.txt", "kept.txt"};
    const ItemReason expected[] = {R::Missing, R::Done};
    for (std::size_t i = 0; i < given.size(); ++i) {
        std::wstring path;
        ASSERT_TRUE(named.Path(i, given[i].c_str(), path));
        EXPECT_EQ(run.Rename(path).reason, expected[i]) << given[i];
    }
    EXPECT_EQ(chdir(here), 0);
    ASSERT_EQ(std::system(("rm -rf '" + std::string(place) + "'").c_str()), 0);
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
