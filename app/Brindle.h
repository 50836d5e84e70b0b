#pragma once

#include "AffixPosition.h"
#include "AffixRule.h"
#include "window/Controls.h"
#include "window/Dialog.h"
#include "window/Menu.h"

#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

// The main dialog: files dropped on it, or named on the command line, get the
// affix added to or taken off their names.
class CBrindle : public CDialog {
public:
    enum { TemplateId = 101 };

    CBrindle(const std::vector<std::wstring>& files, const std::wstring& affix,
             AffixPosition position);
    ~CBrindle() override;

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam) override;

    // Renames pendingFiles: an empty affix means the affix box's text, and
    // FromDialog the head/end buttons. Ends with pendingFiles empty.
    void RenameFiles(const std::wstring& affix, AffixPosition position);

    std::vector<std::wstring> pendingFiles;
    boost::shared_ptr<CComboBox> affixBox, historyCountBox;
    boost::shared_ptr<CCheckBox> topMostBox, sendToBox;
    boost::shared_ptr<CRadioButton> headButton, endButton;
    boost::shared_ptr<CButton> tagButton;
    boost::shared_ptr<CMenu> tagMenu;
    std::wstring commandAffix;
    AffixPosition commandPosition;
    int insertPos;

protected:
    // The local time the tags of one run are filled from.
    virtual TagTime Now() const;

private:
    // Takes back the controls' state and the window placement from the settings.
    void RestoreSettings();
    // The history count box's number; -1 (keep all) when it shows none.
    int HistoryLimit() const;
};
