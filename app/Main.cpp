#include "Brindle.h"
#include "CommandLine.h"
#include "InstanceRecord.h"
#include "PathList.h"
#include "settings/File.h"
#include "shell/Path.h"

namespace {

const wchar_t kInstanceRecordName[] = L"Cobbold - Brindle";
// Far more than any list of paths a caller writes; a larger file is not read.
const std::uint64_t kMaxListFileSize = 64u << 20;

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
    CFile file;
    if (!file.OpenRead(ExtendedPath(GetFullPath(listFile))) || file.Length() > kMaxListFileSize)
        return false;
    std::string bytes(static_cast<std::size_t>(file.Length()), '\0');
    if (file.Read(&bytes[0], bytes.size()) != bytes.size())
        return false;
    PathList list = ParsePathList(bytes);
    files.insert(files.end(), list.paths.begin(), list.paths.end());
    return list.unreadable == 0;
}

// A command-line run: 0 when every path named got its new name, 1 otherwise.
int RenameFromCommandLine(CommandLine& commandLine)
{
    bool everyListRead = true;
    for (const std::wstring& list : commandLine.lists)
        everyListRead = ReadPathList(list, commandLine.files) && everyListRead;
    if (commandLine.files.empty())
        return everyListRead ? 0 : 1;

    CBrindle brindle(commandLine.files, commandLine.affix, commandLine.position);
    brindle.stopFile = commandLine.stopFile;
    const HWND dialog = brindle.CreateFromTemplate(CBrindle::TemplateId);
    return dialog && everyListRead && brindle.allRenamed ? 0 : 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLineText, int)
{
    try {
        CommandLine commandLine = ParseCommandLine(commandLineText);
        const bool interactive = commandLine.files.empty() && commandLine.lists.empty();
        // A command-line run has no window worth finding: it neither makes nor
        // holds the record, so a start without paths meanwhile opens the dialog.
        if (!interactive)
            return RenameFromCommandLine(commandLine);

        CInstanceRecord record(kInstanceRecordName);
        if (record.Existed() && ActivateRunningInstance(record))
            return 0;

        CBrindle brindle(commandLine.files, commandLine.affix, commandLine.position);
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
