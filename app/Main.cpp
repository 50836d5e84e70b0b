#include "app/Brindle.h"
#include "app/CommandLine.h"
#include "app/InstanceRecord.h"
#include "app/stores/WindowsItemStore.h"
#include "app/core/PathList.h"
#include "app/core/RunReport.h"
#include "settings/File.h"
#include "shell/Path.h"

namespace {

const wchar_t kInstanceRecordName[] = L"Cobbold - Brindle";
// Far more than any list of paths a caller writes; a larger file is not read.
const std::uint64_t kMaxListFileSize = 64u << 20;
// Far more than any name holds.
const std::uint64_t kMaxAffixFileSize = 1u << 20;

// A start without paths while a dialog of an earlier instance is alive only
// brings that dialog to the front, restored if it was minimised.
bool ActivateRunningInstance(const CInstanceRecord& record)
{
    const HWND running = record.Read();
    if (running && !IsWindow(running))
        return false;  // that instance is gone: start afresh
    if (running && IsIconic(running))
        ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(running);
    return true;
}

// Adds the paths a list file names to files; false when any of its lines, or
// the file itself, could not be read exactly.
bool ReadPathList(const std::wstring& listFile, std::vector<std::wstring>& files)
{
    std::string bytes;
    if (!ReadWholeFile(ExtendedPath(GetFullPath(listFile)), kMaxListFileSize, bytes))
        return false;
    PathList list = ParsePathList(bytes);
    files.insert(files.end(), list.paths.begin(), list.paths.end());
    return list.unreadable == 0;
}

// The affix an affix file holds: its UTF-8 text exactly, after an optional
// byte-order mark. False when it cannot be read exactly.
bool ReadAffixFile(const std::wstring& affixFile, std::wstring& affix)
{
    std::string bytes;
    if (!ReadWholeFile(ResolveItemPath(affixFile).Literal(), kMaxAffixFileSize, bytes) ||
        bytes.find('\0') != std::string::npos)
        return false;
    const std::size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    affix.clear();
    return AppendUtf8(bytes.data() + start, bytes.data() + bytes.size(), affix);
}

// A command-line run: 0 when every path named got its new name (or would,
// in a dry run) and what became of each could be written where asked; 1
// otherwise; 2, renaming nothing, when the affix file is empty or a file the
// run reads or writes is one of its items.
int RenameFromCommandLine(CommandLine& commandLine, const std::shared_ptr<CItemStore>& store)
{
    bool everyListRead = true;
    for (const std::wstring& list : commandLine.lists)
        everyListRead = ReadPathList(list, commandLine.files) && everyListRead;

    std::vector<ItemResult> results;
    bool allRenamed = true;
    const bool affixRead = commandLine.affixFile.empty() || ReadAffixFile(commandLine.affixFile, commandLine.affix);
    if (affixRead && !commandLine.affixFile.empty() && commandLine.affix.empty())
        return 2;  // an empty affix file is a caller's fault, never the dialog's affix
    if (!affixRead) {
        for (const std::wstring& file : commandLine.files)
            results.push_back(KeptItem(file, ItemReason::NoAffix));
        allRenamed = false;
    } else if (!commandLine.files.empty()) {
        CBrindle brindle(commandLine.files, commandLine.affix, commandLine.position, store);
        brindle.commandRun = CommandRun{commandLine.stopFile, commandLine.dryRun, commandLine.lists};
        for (const std::wstring* own : {&commandLine.affixFile, &commandLine.resultFile, &commandLine.stopFile})
            if (!own->empty())
                brindle.commandRun.ownFiles.push_back(*own);
        allRenamed = brindle.CreateFromTemplate(CBrindle::TemplateId) && brindle.lastRun.allRenamed;
        if (brindle.lastRun.ownFileNamed)
            return 2;
        results = brindle.lastRun.results;
    }
    // A run that ended before it reached them (no dialog could be made) left
    // the rest as they were.
    for (std::size_t i = results.size(); i < commandLine.files.size(); ++i)
        results.push_back(KeptItem(commandLine.files[i], ItemReason::Failed));
    bool reported = true;
    if (!commandLine.resultFile.empty()) {
        // Never over an item of the run, whatever path led there.
        const std::string text = ResultText(results);
        reported = !IsAnItemOf(*store, results, commandLine.resultFile) &&
                   ReplaceFileWith(ResolveItemPath(commandLine.resultFile).Literal(), text.data(), text.size());
    }
    return everyListRead && allRenamed && reported ? 0 : 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLineText, int)
{
    // A portable program runs from Downloads, where anything may lie beside it.
    LoadOnlySystemDlls();
    try {
        CommandLine commandLine = ParseCommandLine(commandLineText);
        const std::shared_ptr<CItemStore> store = MakeItemStore();
        const bool interactive = commandLine.files.empty() && commandLine.lists.empty();
        // A command-line run has no window worth finding: it neither makes nor
        // holds the record, so a start without paths meanwhile opens the dialog.
        if (!interactive)
            return RenameFromCommandLine(commandLine, store);

        CInstanceRecord record(kInstanceRecordName);
        if (record.Existed() && ActivateRunningInstance(record))
            return 0;

        CBrindle brindle(commandLine.files, commandLine.affix, commandLine.position, store);
        const HWND dialog = brindle.CreateFromTemplate(CBrindle::TemplateId);
        // A set-up that failed half way leaves a window nobody can see: never
        // keep it, or every later start would bring forward nothing.
        if (!dialog || !IsWindowVisible(dialog))
            return 1;  // no dialog to show (no display, say): a failure, for whoever started it
        record.Write(dialog);
        RunMessageLoop();
    } catch (...) {
        // Nothing to report to: the program has no console and shows no
        // messages. A command-line run cut short has not renamed everything,
        // and a dialog that could not be made is a failure too.
        return 1;
    }
    return 0;
}
