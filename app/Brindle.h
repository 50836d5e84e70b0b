#pragma once

#include "app/core/AffixPosition.h"
#include "app/core/AffixRule.h"
#include "app/core/RenameRun.h"
#include "app/stores/WindowsItemStore.h"
#include "resource.h"
#include "window/Controls.h"
#include "window/Dialog.h"
#include "window/Menu.h"

#include <boost/shared_ptr.hpp>

#include <memory>
#include <string>
#include <vector>

// What a command-line run asks of the dialog's rename runs besides the
// affix and position. (A drop leaves all of it at its default.)
struct CommandRun {
    // A file that, once it exists, stops a rename run between two items.
    std::wstring stopFile;
    // Rename runs check everything and move nothing.
    bool dryRun = false;
    // Files the run reads or writes besides its items (lists, the affix file,
    // the result and stop files): a run whose items include one of them
    // renames nothing.
    std::vector<std::wstring> ownFiles;
};

// How the last rename run ended.
struct RunOutcome {
    // Every item got its new name; false before any run and after a run cut
    // short.
    bool allRenamed = false;
    // The run renamed nothing: one of its items was one of its own files.
    bool ownFileNamed = false;
    // What became of each item.
    std::vector<ItemResult> results;
};

// The main dialog: files dropped on it, or named on the command line, get the
// affix added to or taken off their names.
class CBrindle : public CDialog {
public:
    enum { TemplateId = IDD_BRINDLE };

    // The store is the file system the renames go through: the one of the
    // system the program runs on, unless a caller brings its own.
    CBrindle(const std::vector<std::wstring>& files, const std::wstring& affix, AffixPosition position,
             std::shared_ptr<CItemStore> store = MakeItemStore());
    ~CBrindle() override;

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam) override;
    // The undo item of the system menu.
    LRESULT WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    // Ctrl+Z anywhere but in the affix text undoes the last drop.
    bool PreTranslateMessage(const MSG& message) override;
    // Renames the items of the last drop back, where that is safe; once.
    void UndoLastDrop();

    // Renames pendingFiles: an empty affix means the affix box's text, and
    // FromDialog the head/end buttons. Ends with pendingFiles empty, and
    // lastRun.allRenamed true only when every one of them got its new name.
    void RenameFiles(const std::wstring& affix, AffixPosition position);
    // Puts a tag into the affix text at insertPos (at the end when the text
    // is shorter) and moves insertPos past it.
    void InsertTag(const std::wstring& tag);

    std::vector<std::wstring> pendingFiles;
    boost::shared_ptr<CComboBox> affixBox, historyCountBox;
    boost::shared_ptr<CCheckBox> topMostBox, sendToBox;
    boost::shared_ptr<CRadioButton> headButton, endButton;
    boost::shared_ptr<CButton> tagButton;
    boost::shared_ptr<CMenu> tagMenu;
    std::wstring commandAffix;
    AffixPosition commandPosition;
    CommandRun commandRun;
    int insertPos;
    RunOutcome lastRun;
    std::shared_ptr<CItemStore> itemStore;
    // What the last drop that renamed anything renamed: the undo history, in
    // memory only.
    std::vector<ItemResult> lastDrop;

protected:
    // The local time the tags of one run are filled from.
    virtual TagTime Now() const;
    // The settings file: beside the program, named after it, ending in ".dat".
    virtual std::wstring SettingsPath() const;
    // Asks the shell to open a document with its default verb.
    virtual void OpenDocument(const std::wstring& path);

private:
    // Takes back the controls' state from the settings; true, with the
    // placement to apply, when they held one. Settings that cannot be read or
    // applied leave every control at its default.
    bool RestoreSettings(WINDOWPLACEMENT& placement);
    bool ApplySettings(CMapData& settings, WINDOWPLACEMENT& placement);
    void SaveSettings();
    void ShowTagMenu();
    // Gives the window its large and small icon for a DPI.
    void SetIcons(UINT dpi);
    void OpenManual();
    // The history count box's number; -1 (keep all) when it shows none.
    int HistoryLimit() const;
};
