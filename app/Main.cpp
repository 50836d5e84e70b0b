#include "Brindle.h"
#include "CommandLine.h"
#include "InstanceRecord.h"

namespace {

const wchar_t kInstanceRecordName[] = L"Cobbold - Brindle";

// A start without paths while a dialog of an earlier instance is alive only
// brings that dialog to the front.
bool ActivateRunningInstance(const InstanceRecord& record)
{
    const HWND running = record.Read();
    if (running && !IsWindow(running))
        return false;  // that instance is gone: start afresh
    SetForegroundWindow(running);
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLineText, int)
{
    try {
        const CommandLine commandLine = ParseCommandLine(commandLineText);
        const bool interactive = commandLine.files.empty();

        InstanceRecord record(kInstanceRecordName);
        if (interactive && record.Existed() && ActivateRunningInstance(record))
            return 0;

        CBrindle brindle(commandLine.files, commandLine.affix, commandLine.position);
        const HWND dialog = brindle.CreateFromTemplate(CBrindle::TemplateId);
        // Only the interactive dialog is worth finding: a command-line run's
        // hidden window is gone within moments.
        if (interactive && dialog) {
            record.Write(dialog);
            RunMessageLoop();
        }
    } catch (...) {
        // Nothing to report to: the program has no console and shows no messages.
    }
    return 0;
}
