#pragma once

#include "AffixPosition.h"
#include "window/Dialog.h"

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

    std::vector<std::wstring> pendingFiles;
    std::wstring commandAffix;
    AffixPosition commandPosition;
    int insertPos;
};
