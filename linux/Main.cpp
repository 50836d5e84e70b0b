// brindle on Linux: renames files and folders by the same rule as the Windows
// program, natively, with Linux's own rules for names.
#include "PosixItemStore.h"
#include "Text.h"
#include "app/RenameRun.h"
#include "settings/SettingsFile.h"

#include <fcntl.h>
#include <getopt.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: brindle [-a AFFIX] [-p|-s] [-n] [-v] [-l LIST] [--] PATH...\n"
    "\n"
    "Adds AFFIX to the start or the end of each path's name, or takes it off where\n"
    "the name carries it already, so a second run gives the old names back.\n"
    "\n"
    "  -a AFFIX       the text to add or take off; \\y \\e \\m \\d \\h \\i \\s stand for\n"
    "                 the year (2 or 4 digits), month, day, hour, minute and\n"
    "                 second; after \\f they show when the item itself was last\n"
    "                 written instead of now; any other backslash leads into a\n"
    "                 folder. Without -a: the dialog's affix.\n"
    "  -p             at the start of the name\n"
    "  -s             at the end of the name, before its extension\n"
    "                 (without -p or -s: the dialog's choice)\n"
    "  -n, --dry-run  check everything and rename nothing; say what would be\n"
    "                 renamed (also --no-act)\n"
    "  -v, --verbose  say what was renamed: renamed 'OLD' -> 'NEW'\n"
    "  -l LIST        more paths, one a line, from the file LIST\n"
    "  --             ends the options: every argument after it is a path\n"
    "  -h, --help     this text\n"
    "  --version      the version\n"
    "\n"
    "Linux's rules: names are bytes, case matters, a symbolic link is renamed as\n"
    "itself, a name may hold anything but / and NUL and at most 255 bytes; a name\n"
    "that is not UTF-8, or that holds a backslash, keeps it. Nothing is ever\n"
    "replaced: a name that is taken, even by a link that points nowhere, stays\n"
    "taken. Every path that keeps its name is named on standard error, with the\n"
    "reason. Ctrl-C (or SIGTERM, SIGHUP) stops the run between two items; a second\n"
    "one stops it at once. Exit status: 0 every path has (with -n: would have) its\n"
    "new name; 1 some path kept its name; 2 bad arguments (nothing is renamed);\n"
    "130, 143, 129 the run was stopped by SIGINT, SIGTERM, SIGHUP.\n";

volatile std::sig_atomic_t stopSignal = 0;

// What the run said on standard error, for a desktop notification.
std::vector<std::string> said;

void Tell(const std::string& message)
{
    std::fprintf(stderr, "brindle: %s\n", message.c_str());
    said.push_back(message);
}

// Started from a file manager there is no terminal to read the messages in:
// they go to the desktop's notifications too, where it has them.
void NotifyUnseen()
{
    if (said.empty() || isatty(STDERR_FILENO))
        return;
    std::string body;
    for (std::size_t i = 0; i < said.size() && i < 8; ++i)
        body += (i ? "\n" : "") + said[i];
    if (said.size() > 8)
        body += "\n... (" + std::to_string(said.size() - 8) + " more)";
    const char* const arguments[] = {"notify-send", "--app-name=Brindle", "--icon=brindle", "Brindle", body.c_str(),
                                     nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child;
    if (posix_spawnp(&child, "notify-send", &quiet, nullptr, const_cast<char* const*>(arguments), environ) == 0)
        waitpid(child, nullptr, 0);
    posix_spawn_file_actions_destroy(&quiet);
}

extern "C" void OnSignal(int signal)
{
    if (stopSignal)
        _exit(128 + signal);  // a second one: at once
    stopSignal = signal;
}

int UsageError(const std::string& message)
{
    Tell(message);
    std::fputs("Try 'brindle --help'.\n", stderr);
    return 2;
}

// The affix and position the dialog saved; false when there is none.
bool DialogAffix(std::wstring& affix, AffixPosition& position)
{
    const char* given = std::getenv("BRINDLE_SETTINGS");
    std::ifstream file(given && *given ? given : BRINDLE_DEFAULT_SETTINGS, std::ios::binary);
    std::vector<unsigned char> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    CMapData settings;
    LoadMapImage(image, settings);
    affix = settings.Map(L"Affix").String(L"Text");
    const bool end = settings.Map(L"Suffix").Integer(L"Check") == 1 && settings.Map(L"Prefix").Integer(L"Check") != 1;
    if (position == AffixPosition::FromDialog)
        position = end ? AffixPosition::End : AffixPosition::Head;
    return !affix.empty();
}

// The new path as the user would write it: beside the path as given when it
// stays in the same folder.
std::string ShownNew(const std::string& given, const ItemResult& result)
{
    const std::string to = SystemBytes(result.to.Full());
    if (result.to.Folder() != result.from.Folder())
        return to;
    std::string trimmed = given;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const std::size_t slash = trimmed.rfind('/');
    return (slash == std::string::npos ? std::string() : trimmed.substr(0, slash + 1)) +
           SystemBytes(result.to.Name());
}

void Say(const ItemResult& result, const std::string& given, bool dryRun, bool verbose)
{
    if (result.status != ItemStatus::Kept) {
        if (result.reason == ItemReason::Done && (verbose || dryRun))
            std::printf("%s %s -> %s\n", dryRun ? "would rename" : "renamed", Shown(given).c_str(),
                        Shown(ShownNew(given, result)).c_str());
        return;
    }
    const std::string newName = result.to.HasName() ? Shown(ShownNew(given, result)) : std::string();
    char why[4096];
    std::snprintf(why, sizeof why, ReasonSaid(result.reason, dryRun), newName.c_str());
    Tell(std::string(dryRun ? "would keep " : "kept ") + Shown(given) + ": " + why);
}

}  // namespace

int main(int argc, char** argv)
{
    // Each line as it comes, so renamed and kept lines keep their order.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string affixBytes, list;
    bool affixGiven = false, dryRun = false, verbose = false;
    AffixPosition position = AffixPosition::FromDialog;
    const option longOptions[] = {{"help", no_argument, nullptr, 'h'},      {"version", no_argument, nullptr, 'V'},
                                  {"dry-run", no_argument, nullptr, 'n'},   {"no-act", no_argument, nullptr, 'n'},
                                  {"verbose", no_argument, nullptr, 'v'},   {nullptr, 0, nullptr, 0}};
    opterr = 0;
    for (int letter; (letter = getopt_long(argc, argv, "+:a:psnvl:h", longOptions, nullptr)) != -1;) {
        switch (letter) {
        case 'a':
            affixBytes = optarg;
            affixGiven = true;
            break;
        case 'p':
            position = AffixPosition::Head;
            break;
        case 's':
            position = AffixPosition::End;
            break;
        case 'n':
            dryRun = true;
            break;
        case 'v':
            verbose = true;
            break;
        case 'l':
            list = optarg;
            break;
        case 'h':
            std::fputs(kUsage, stdout);
            return 0;
        case 'V':
            std::printf("brindle %s\n", BRINDLE_VERSION);
            return 0;
        case ':':
            return UsageError(std::string("option '-") + static_cast<char>(optopt) + "' needs a value");
        default:
            return UsageError(optopt ? std::string("unknown option '-") + static_cast<char>(optopt) +
                                           "' (a path that starts with '-' goes after '--')"
                                     : std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    // The paths as given: the arguments where they are, a list's lines in
    // storage that never moves.
    std::vector<const char*> paths(argv + optind, argv + argc);
    std::deque<std::string> listed;
    if (!list.empty()) {
        std::ifstream lines(list, std::ios::binary);
        if (!lines)
            return UsageError("cannot read the list " + Shown(list));
        for (std::string line; std::getline(lines, line);)
            if (!line.empty())
                paths.push_back(listed.emplace_back(std::move(line)).c_str());
    }
    if (paths.empty())
        return UsageError("no path to rename");

    // Every argument is checked before anything is renamed.
    std::wstring affix;
    bool bad = false;
    if (affixGiven && (!FromSystemBytes(affixBytes, affix) || affix.empty())) {
        Tell("the affix " + Shown(affixBytes) + " is " +
             (affix.empty() && !affixBytes.empty() ? "not valid UTF-8" : "empty"));
        bad = true;
    }
    // The run's first look at each item, kept: it need not look again.
    std::vector<CPosixItemStore::Look> looks(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!*paths[i] || !CPosixItemStore::LookAt(paths[i], looks[i])) {
            Tell(Shown(paths[i]) + ": no such file or folder");
            bad = true;
        }
    }
    if (bad) {
        NotifyUnseen();
        return 2;
    }

    std::vector<char> here(PATH_MAX + 1, '\0');
    std::wstring current;
    const bool currentKnown = getcwd(here.data(), here.size()) && FromSystemBytes(here.data(), current);
    if (!affixGiven && !DialogAffix(affix, position)) {
        for (const std::string path : paths)
            Tell("kept " + Shown(path) + ": " + ReasonSaid(ItemReason::NoAffix, dryRun));
        NotifyUnseen();
        return 1;
    }
    if (position == AffixPosition::FromDialog) {
        std::wstring saved;
        DialogAffix(saved, position);
    }

    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);

    const std::time_t now = std::time(nullptr);
    std::tm local = {};
    localtime_r(&now, &local);
    const TagTime clock{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
    const CAffixRule rule(affix, clock, position, ComposeCanonically);
    CPosixItemStore store(current);
    // Never freed: the process ends with the run, and freeing its record of
    // every item one by one would cost a tenth of the run.
    static CRenameRun& run = *new CRenameRun(rule, store, dryRun, false);
    run.Reserve(paths.size());
    bool everyRenamed = true;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string path = paths[i];
        std::wstring text;
        if (!FromSystemBytes(path, text) || (path[0] != '/' && !currentKnown)) {
            Tell(std::string(dryRun ? "would keep " : "kept ") + Shown(path) + ": its name is not valid UTF-8");
            everyRenamed = false;
            continue;
        }
        store.Expect(CPosixItemStore::LooksAsRun(path) ? &looks[i] : nullptr);
        const ItemResult& result = stopSignal ? run.Keep(text, ItemReason::Stopped) : run.Rename(text);
        store.Expect(nullptr);
        Say(result, path, dryRun, verbose);
        everyRenamed = everyRenamed && result.Succeeded();
    }
    std::fflush(stdout);
    NotifyUnseen();
    if (stopSignal)
        return 128 + stopSignal;
    return everyRenamed ? 0 : 1;
}
