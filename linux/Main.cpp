// brindle on Linux: renames files and folders by the same rule as the Windows
// program, natively, with Linux's own rules for names.
#include "linux/Messages.h"
#include "linux/NamedItems.h"
#include "linux/Output.h"
#include "linux/PosixItemStore.h"
#include "linux/SettingsPlace.h"
#include "linux/Text.h"
#include "app/core/RenameRun.h"
#include "settings/SettingsFile.h"

#include <fcntl.h>
#include <getopt.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <string>
#include <vector>

namespace {

// Marked for the catalogue; shown through gettext.
const char kUsage[] = N_(
    "Usage: brindle [-a AFFIX] [-p|-s] [--add|--remove] [-n] [-v] [-0] [-l LIST]... [--] PATH...\n"
    "\n"
    "Adds AFFIX to the start or the end of each path's name, or takes it off where\n"
    "the name carries it already, so a second run gives the old names back.\n"
    "\n"
    "Options:\n"
    "  -a AFFIX       the text to add or take off; \\y \\e \\m \\d \\h \\i \\s stand for\n"
    "                 the year (2 or 4 digits), month, day, hour, minute and\n"
    "                 second; after \\f they show when the item itself was last\n"
    "                 written instead of now; any other backslash leads into a\n"
    "                 folder. Without -a: the dialog's affix.\n"
    "  -p             at the start of the name\n"
    "  -s             at the end of the name, before its extension\n"
    "                 (without -p or -s: the dialog's choice)\n"
    "      --add      only add the affix: a name that carries it keeps its name\n"
    "      --remove   only take the affix off: a name without it keeps its name\n"
    "  -n, --dry-run  check everything and rename nothing; say what would be\n"
    "                 renamed (also --no-act)\n"
    "  -v, --verbose  say what was renamed: renamed 'OLD' -> 'NEW' (affix added)\n"
    "  -l LIST        more paths, one a line, from the file LIST ('-': standard\n"
    "                 input); may be given more than once\n"
    "  -0, --null     a LIST's paths end with NUL, not a line break (find -print0)\n"
    "  --             ends the options: every argument after it is a path\n"
    "  -h, --help     this text\n"
    "      --version  the version\n"
    "      --install  add the file managers' \"send to\" entries for this user\n"
    "      --uninstall  take them away again\n"
    "\n"
    "Affix:\n"
    "  The rule toggles: a name that carries the affix loses it. A tagged affix\n"
    "  matches any digits of its tags' widths: '_\\e\\m\\d' at the end takes a\n"
    "  date off a name that already ends in one (IMG_20240312.jpg becomes\n"
    "  IMG.jpg). Use --add to be sure a run only adds.\n"
    "\n"
    "Linux's rules:\n"
    "  Names are bytes, case matters, a symbolic link is renamed as itself, a name\n"
    "  may hold anything but / and NUL and at most 255 bytes; a name that is not\n"
    "  UTF-8, or that holds a backslash, keeps it. A path names the item the\n"
    "  kernel finds by it when the run begins (links and '..' in its folders\n"
    "  followed); a path ending in '.' or '..' names no item of its own. Nothing\n"
    "  is ever replaced: a name that is taken, even by a link that points\n"
    "  nowhere, stays taken. Every path that keeps its name is named on standard\n"
    "  error, with the reason. Ctrl-C (or SIGTERM, SIGHUP) stops the run between\n"
    "  two items; a second one stops it at once.\n"
    "\n"
    "Exit status:\n"
    "  0              every path has (with -n: would have) its new name\n"
    "  1              some path kept its name\n"
    "  2              bad arguments: nothing is renamed\n"
    "  3              the report could not be written: the run stopped there\n"
    "  141            standard output was closed: the run stopped there\n"
    "  130, 143, 129  the run was stopped by SIGINT, SIGTERM, SIGHUP\n"
    "  A stopped run leaves every item at its old name or its new one.\n");

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void OnSignal(int signal)
{
    if (stopSignal)
        _exit(128 + signal);  // a second one: at once
    stopSignal = signal;
}

// What the run said on standard error, for a desktop notification.
std::vector<std::string> said;

// The lines of the run; what it printed before a message goes first, so the
// two read in order where they meet.
COutput* output = nullptr;

void Tell(const std::string& message)
{
    if (output)
        output->Flush();
    std::fprintf(stderr, "brindle: %s\n", message.c_str());
    said.push_back(message);
}

// The text as a notification shows it: notify-send reads backslash escapes.
std::string ForNotification(const std::string& text)
{
    std::string out;
    for (const char c : text)
        out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

// Started from a file manager there is no terminal to read the messages in:
// they go to the desktop's notifications too, where it has them.
void NotifyUnseen()
{
    if (said.empty() || isatty(STDERR_FILENO))
        return;
    std::string body;
    for (std::size_t i = 0; i < said.size() && i < 8; ++i)
        body += (i ? "\n" : "") + ForNotification(said[i]);
    if (said.size() > 8)
        body += "\n... (" + std::to_string(said.size() - 8) + " more)";
    const char* const arguments[] = {"notify-send", "--app-name=Brindle", "--icon=brindle", "Brindle", body.c_str(),
                                     nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t ignored;
    sigemptyset(&ignored);
    sigaddset(&ignored, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &ignored);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t child;
    if (posix_spawnp(&child, "notify-send", &quiet, &attributes, const_cast<char* const*>(arguments), environ) == 0)
        waitpid(child, nullptr, 0);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&quiet);
}

int UsageError(const std::string& message)
{
    Tell(message);
    std::fprintf(stderr, "%s\n", _("Try 'brindle --help'."));
    return 2;
}

// What the command line asks for.
struct Options {
    std::string affix;
    bool affixGiven = false, dryRun = false, verbose = false, nul = false;
    AffixPosition position = AffixPosition::FromDialog;
    AffixWay way = AffixWay::Toggle;
    std::vector<std::string> lists;
};

// --install and --uninstall: this user's file managers' entries for the
// installed command, written by the installation's own script.
int DesktopEntries(const char* what)
{
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    self[length > 0 ? length : 0] = '\0';
    const std::string program = self;
    const std::string script = program.substr(0, program.rfind('/') + 1) + BRINDLE_LIBEXEC "/desktop-entries";
    if (program.empty() || access(script.c_str(), X_OK) != 0) {
        Tell(Formatted(_("%s is for an installed brindle (%s is missing); in a checkout, run ./brindle %s"), what,
                       Shown(script).c_str(), what));
        return 2;
    }
    setenv("BRINDLE_COMMAND", self, 1);
    execl(script.c_str(), script.c_str(), what, static_cast<char*>(nullptr));
    Tell(std::string(what) + ": " + Shown(script) + ": " + std::strerror(errno));
    return 2;
}

// -1 to go on, else the status to end with.
int ParseOptions(int argc, char** argv, Options& options)
{
    enum { kVersion = 256, kAdd, kRemove, kInstall, kUninstall };
    const option longOptions[] = {{"help", no_argument, nullptr, 'h'},    {"version", no_argument, nullptr, kVersion},
                                  {"dry-run", no_argument, nullptr, 'n'}, {"no-act", no_argument, nullptr, 'n'},
                                  {"verbose", no_argument, nullptr, 'v'}, {"null", no_argument, nullptr, '0'},
                                  {"add", no_argument, nullptr, kAdd},    {"remove", no_argument, nullptr, kRemove},
                                  {"install", no_argument, nullptr, kInstall},
                                  {"uninstall", no_argument, nullptr, kUninstall},
                                  {nullptr, 0, nullptr, 0}};
    opterr = 0;
    // Options anywhere before "--", as GNU programs take them.
    for (int letter; (letter = getopt_long(argc, argv, ":a:psnvl:0h", longOptions, nullptr)) != -1;) {
        const std::string token = optind > 0 && optind <= argc ? argv[optind - 1] : "";
        const std::string named = token.compare(0, 2, "--") == 0 ? token.substr(0, token.find('=')) : token;
        switch (letter) {
        case 'a':
            options.affix = optarg;
            options.affixGiven = true;
            break;
        case 'p':
            options.position = AffixPosition::Head;
            break;
        case 's':
            options.position = AffixPosition::End;
            break;
        case kAdd:
        case kRemove:
            if (options.way != AffixWay::Toggle && options.way != (letter == kAdd ? AffixWay::AddOnly : AffixWay::RemoveOnly))
                return UsageError(_("--add and --remove exclude each other"));
            options.way = letter == kAdd ? AffixWay::AddOnly : AffixWay::RemoveOnly;
            break;
        case 'n':
            options.dryRun = true;
            break;
        case 'v':
            options.verbose = true;
            break;
        case '0':
            options.nul = true;
            break;
        case 'l':
            options.lists.push_back(optarg);
            break;
        case 'h':
            std::fputs(_(kUsage), stdout);
            return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 3;
        case kInstall:
        case kUninstall:
            if (argc != 2)
                return UsageError(Formatted(_("%s takes nothing else"), named.c_str()));
            return DesktopEntries(named.c_str());
        case kVersion:
            std::printf("brindle %s\n", BRINDLE_VERSION);
            return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 3;
        case ':':
            return UsageError(Formatted(
                _("option %s needs a value"),
                Shown(named.compare(0, 2, "--") == 0 ? named : std::string("-") + static_cast<char>(optopt)).c_str()));
        default:
            if (named.compare(0, 2, "--") == 0)
                return UsageError(Formatted(token.find('=') != std::string::npos && optopt
                                                ? _("option %s takes no value")
                                                : _("unknown option %s"),
                                            Shown(named).c_str()));
            return UsageError(Formatted(_("unknown option %s (a path that starts with '-' goes after '--')"),
                                        Shown(std::string("-") + static_cast<char>(optopt)).c_str()));
        }
    }
    return -1;
}

// A whole file, or standard input for "-"; false with errno.
bool ReadAll(const std::string& name, std::string& bytes)
{
    const int file = name == "-" ? STDIN_FILENO : open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return false;
    char block[65536];
    ssize_t got;
    while ((got = read(file, block, sizeof block)) != 0) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            break;
        bytes.append(block, static_cast<std::size_t>(got));
    }
    const int error = errno;
    if (file != STDIN_FILENO)
        close(file);
    errno = error;
    return got == 0;
}

// Every list's paths after the arguments, in the order given; each list's
// bytes kept once, its separators made the ends of its paths.
int ReadLists(const Options& options, std::deque<std::string>& storage, std::vector<const char*>& paths)
{
    for (const std::string& list : options.lists) {
        std::string& bytes = storage.emplace_back();
        if (!ReadAll(list, bytes))
            return UsageError(Formatted(_("cannot read the list %s: %s"), Shown(list).c_str(), std::strerror(errno)));
        const char separator = options.nul ? '\0' : '\n';
        if (!options.nul && bytes.find('\0') != std::string::npos)
            return UsageError("the list " + Shown(list) +
                              " holds a NUL byte: a list of NUL-separated paths is read with -0");
        if (!bytes.empty() && bytes.back() != separator)
            bytes += separator;
        paths.reserve(paths.size() + static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), separator)));
        for (std::size_t from = 0; from < bytes.size();) {
            const std::size_t end = bytes.find(separator, from);
            bytes[end] = '\0';
            if (end > from)
                paths.push_back(bytes.data() + from);
            from = end + 1;
        }
    }
    return -1;
}

// The affix and position the dialog saved; false when there is none: from
// $BRINDLE_SETTINGS where it is set, else the dialog's own file, else the
// one the Windows dialog saved. A file read from a place anyone may name is
// read only when it is a plain file of a settings file's size.
bool DialogAffix(std::wstring& affix, AffixPosition& position)
{
    const char* given = std::getenv("BRINDLE_SETTINGS");
    std::string path = given && *given ? given : DialogSettingsPath();
    int file = path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0 && !(given && *given)) {
        path = FallbackSettingsPath();
        file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
    const std::size_t kLargest = 1 << 20;
    std::vector<unsigned char> image;
    struct stat info;
    if (file >= 0 && fstat(file, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<unsigned long long>(info.st_size) <= kLargest) {
        image.resize(static_cast<std::size_t>(info.st_size));
        const ssize_t got = read(file, image.data(), image.size());
        image.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    } else if (file >= 0) {
        Tell(Formatted(_("the saved settings %s are not a settings file: ignored"), Shown(path).c_str()));
    }
    if (file >= 0)
        close(file);
    CMapData settings;
    LoadMapImage(image, settings);
    affix = settings.Map(L"Affix").String(L"Text");
    const bool end = settings.Map(L"Suffix").Integer(L"Check") == 1 && settings.Map(L"Prefix").Integer(L"Check") != 1;
    if (position == AffixPosition::FromDialog)
        position = end ? AffixPosition::End : AffixPosition::Head;
    return !affix.empty();
}

// One run over the items looked at, and how it ends.
class CRun {
public:
    CRun(const Options& options, const std::vector<const char*>& paths, const CNamedItems& named, CRenameRun& run)
        : options_(options), paths_(paths), named_(named), run_(run)
    {
        output = &output_;
        output_.GiveUpOn(&stopSignal);
    }
    ~CRun() { output = nullptr; }
    CRun(const CRun&) = delete;
    CRun& operator=(const CRun&) = delete;

    int Go()
    {
        std::size_t next = 0;
        for (; next < paths_.size() && !stopSignal && !output_.Error(); ++next)
            Rename(next);
        output_.Flush();
        const std::size_t left = paths_.size() - next;
        if (left)
            Stopped(next);
        if (output_.Error()) {
            Tell(left ? Formatted(_("standard output: %s; the run stopped there, %zu of %zu paths not reached (they "
                                    "keep their names)"),
                                  std::strerror(output_.Error()), left, paths_.size())
                      : Formatted(_("standard output: %s; every path was reached, but not every line was written"),
                                  std::strerror(output_.Error())));
            return output_.Error() == EPIPE ? 141 : 3;
        }
        if (stopSignal)
            return 128 + stopSignal;
        return everyRenamed_ ? 0 : 1;
    }

private:
    void Rename(std::size_t i)
    {
        const char* given = paths_[i];
        std::wstring path;
        if (!named_.Path(i, given, path)) {
            Tell(kept_(Shown(given), _("its name is not valid UTF-8")));
            everyRenamed_ = false;
            return;
        }
        const ItemResult& result = run_.Rename(path);
        Say(result, i);
        everyRenamed_ = everyRenamed_ && result.Succeeded();
    }

    // Where the item is now, or would be.
    std::string ShownNew(std::size_t i, const ItemResult& result) const
    {
        if (result.to.Folder() != result.from.Folder() || !named_.AsWritten(i))
            return named_.FromHere(result.to.Full());
        std::string given = paths_[i];
        while (given.size() > 1 && given.back() == '/')
            given.pop_back();
        const std::size_t slash = given.rfind('/');
        return (slash == std::string::npos ? std::string() : given.substr(0, slash + 1)) +
               SystemBytes(result.to.Name());
    }

    void Say(const ItemResult& result, std::size_t i)
    {
        const std::string given = paths_[i];
        if (result.status != ItemStatus::Kept) {
            if (result.reason == ItemReason::Done && (options_.verbose || options_.dryRun))
                output_.Line((result.affixRemoved ? takenOff_ : added_)(Shown(given), Shown(ShownNew(i, result))));
            return;
        }
        const std::string newName = result.to.HasName() ? Shown(ShownNew(i, result)) : std::string();
        char why[4096];
        std::snprintf(why, sizeof why, _(ReasonSaid(result.reason, options_.dryRun)), newName.c_str());
        Tell(kept_(Shown(given), why));
    }

    // One line for what a stop left, and each path with -v.
    void Stopped(std::size_t next)
    {
        everyRenamed_ = false;
        if (options_.verbose)
            for (std::size_t i = next; i < paths_.size(); ++i)
                std::fprintf(stderr, "brindle: %s\n", Formatted(_("not reached: %s"), Shown(paths_[i]).c_str()).c_str());
        if (stopSignal)
            Tell(Formatted(_("stopped by %s: %zu of %zu paths not reached; they keep their names"),
                           strsignal(stopSignal), paths_.size() - next, paths_.size()));
    }

    const Options& options_;
    const std::vector<const char*>& paths_;
    const CNamedItems& named_;
    CRenameRun& run_;
    COutput output_;
    // The lines of a run, in the user's language: looked up once.
    const CLineFormat added_{options_.dryRun ? _("would rename %s -> %s (affix added)")
                                             : _("renamed %s -> %s (affix added)")};
    const CLineFormat takenOff_{options_.dryRun ? _("would rename %s -> %s (affix taken off)")
                                                : _("renamed %s -> %s (affix taken off)")};
    const CLineFormat kept_{options_.dryRun ? _("would keep %s: %s") : _("kept %s: %s")};
    bool everyRenamed_ = true;
};

// The affix the run uses: the one given, else the dialog's; false, having
// said why, when there is none to use.
bool ChooseAffix(Options& options, std::wstring& affix)
{
    if (options.affixGiven && (!FromSystemBytes(options.affix, affix) || affix.empty())) {
        Tell(Formatted(affix.empty() && !options.affix.empty() ? _("the affix %s is not valid UTF-8")
                                                                : _("the affix %s is empty"),
                       Shown(options.affix).c_str()));
        return false;
    }
    if (!options.affixGiven && !DialogAffix(affix, options.position)) {
        Tell(_("no affix: give one with -a AFFIX, or set one in Brindle's dialog; nothing was renamed"));
        return false;
    }
    if (options.position == AffixPosition::FromDialog) {
        std::wstring saved;
        DialogAffix(saved, options.position);
    }
    return true;
}

// Every item found before anything is renamed; false, having said of each
// path why, when one names none.
bool FindItems(const std::vector<const char*>& paths, CNamedItems& named)
{
    bool found = true;
    named.Reserve(paths.size());
    for (const char* path : paths) {
        int error = 0;
        const CNamedItems::Fault fault = named.Add(path, error);
        if (fault != CNamedItems::Fault::None) {
            Tell(Shown(path) + ": " + _(CNamedItems::Said(fault, error).c_str()));
            found = false;
        }
    }
    return found;
}

// How many folders the finding and the run may each hold open: a run over
// many folders looks at and renames each item by its name in a folder held
// open. As many as the system lets this user open, less some to spare.
std::size_t FoldersToHold()
{
    static const std::size_t folders = [] {
        struct rlimit limit;
        if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
            return std::size_t(256);
        if (limit.rlim_cur < limit.rlim_max) {
            limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 65536);
            setrlimit(RLIMIT_NOFILE, &limit);
            getrlimit(RLIMIT_NOFILE, &limit);
        }
        const rlim_t spare = 64, each = limit.rlim_cur > 2 * spare ? (limit.rlim_cur - spare) / 2 : 16;
        return static_cast<std::size_t>(std::min<rlim_t>(each, 16384));
    }();
    return folders;
}

// Ctrl-C, SIGTERM and SIGHUP stop the run between two items.
void StopBetweenItems()
{
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

// Renames the items found, as the options say; the status to end with.
int Rename(const Options& options, const std::wstring& affix, const std::vector<const char*>& paths,
           const CNamedItems& named)
{
    CAffixRule rule(affix, LocalNow(), options.position, ComposeCanonically);
    rule.SetWay(options.way);
    rule.KeepOtherForms(true);
    // Never freed: the process ends with the run, and freeing its record of
    // every item one by one (or closing each folder held) would cost a
    // tenth of the run.
    static CPosixItemStore& store = *new CPosixItemStore(L"/");
    store.UseFirstLooks(&named);
    store.HoldAtMost(FoldersToHold());
    static CRenameRun& run = *new CRenameRun(rule, store, RunOptions{options.dryRun, false});
    run.Reserve(paths.size());
    return CRun(options, paths, named, run).Go();
}

}  // namespace

int main(int argc, char** argv)
{
    // A closed output is a failed write, said and acted on, not a death.
    std::signal(SIGPIPE, SIG_IGN);
    UseTheUsersLanguage();
    Options options;
    if (const int status = ParseOptions(argc, argv, options); status >= 0)
        return status;
    // The paths as given: the arguments where they are, the lists' in
    // storage of their own.
    std::vector<const char*> paths(argv + optind, argv + argc);
    std::deque<std::string> listed;
    if (const int status = ReadLists(options, listed, paths); status >= 0)
        return status;
    if (paths.empty())
        return UsageError(_("no path to rename"));
    // Every argument is checked before anything is renamed. (Never freed,
    // as the run.)
    static CNamedItems& named = *new CNamedItems;
    named.HoldAtMost(FoldersToHold());
    std::wstring affix;
    const bool found = FindItems(paths, named);
    // A bad affix is said beside bad paths; a missing one only when the
    // paths are good.
    const bool affixChosen = (found || options.affixGiven) && ChooseAffix(options, affix);
    if (!found || !affixChosen) {
        NotifyUnseen();
        return 2;
    }
    StopBetweenItems();
    const int status = Rename(options, affix, paths, named);
    NotifyUnseen();
    return status;
}
