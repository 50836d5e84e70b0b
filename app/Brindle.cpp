#include "Brindle.h"

#include "DropFile.h"
#include "ItemRename.h"
#include "resource.h"

#include <boost/lexical_cast.hpp>

namespace {

const wchar_t* const kHistoryCounts[] = {L"0", L"3", L"5", L"10", L"20"};
const wchar_t kDropHint[] = L"ファイルをD&Dするとファイル名が変更されます";

}  // namespace

CBrindle::CBrindle(const std::vector<std::wstring>& files, const std::wstring& affix,
                   AffixPosition position)
    : pendingFiles(files), commandAffix(affix), commandPosition(position), insertPos(0)
{
}

CBrindle::~CBrindle() = default;

LRESULT CBrindle::OnInitDialog(WPARAM, LPARAM)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadIconW(instance, MAKEINTRESOURCEW(IDI_BRINDLE))));

    affixBox = CreateControl<CComboBox>(this, IDC_AFFIX);
    // Adding and resetting leaves both the list and the edit field empty.
    SendMessageW(affixBox->m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L""));
    SendMessageW(affixBox->m_hWnd, CB_RESETCONTENT, 0, 0);

    historyCountBox = CreateControl<CComboBox>(this, IDC_HISTORY_COUNT);
    for (const wchar_t* count : kHistoryCounts)
        SendMessageW(historyCountBox->m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(count));

    topMostBox = CreateControl<CCheckBox>(this, IDC_TOPMOST);
    sendToBox = CreateControl<CCheckBox>(this, IDC_SENDTO);
    topMostBox->Subclass();
    topMostBox->AddLink(this, TopMostIfEqual, BST_CHECKED);

    headButton = CreateControl<CRadioButton>(this, IDC_HEAD);
    endButton = CreateControl<CRadioButton>(this, IDC_END);
    tagButton = CreateControl<CButton>(this, IDC_TAG_BUTTON);
    tagMenu = CMenu::FromResource(IDM_TAGS);

    RestoreSettings();

    if (pendingFiles.empty()) {
        CreateToolTip(kDropHint);
        ShowWindow(m_hWnd, SW_SHOW);
    } else {
        // A command-line run keeps its window hidden from start to end.
        RenameFiles(commandAffix, commandPosition);
    }
    return 0;
}

void CBrindle::RestoreSettings() {}

TagTime CBrindle::Now() const
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return TagTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

int CBrindle::HistoryLimit() const
{
    try {
        return boost::lexical_cast<int>(historyCountBox->GetText());
    } catch (const boost::bad_lexical_cast&) {
        return -1;
    }
}

void CBrindle::RenameFiles(const std::wstring& affix, AffixPosition position)
{
    std::vector<std::wstring> files;
    files.swap(pendingFiles);  // a run that stops early forgets its paths too
    const std::wstring raw = affix.empty() ? affixBox->GetText() : affix;
    if (raw.empty())
        return;
    if (position == FromDialog)
        position = SendMessageW(headButton->m_hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? Head : End;
    affixBox->AddToHistory(raw, HistoryLimit());

    const CAffixRule rule(raw, Now(), position);
    for (const std::wstring& file : files)
        RenameItem(file, rule);
}

LRESULT CBrindle::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDCANCEL:  // Esc, or the caption's close box through WM_CLOSE
        Destroy();
        return 0;
    default:
        return DefaultProc(WM_COMMAND, wParam, lParam);
    }
}

LRESULT CBrindle::OnDestroy(WPARAM, LPARAM)
{
    PostQuitMessage(0);
    return 0;
}

LRESULT CBrindle::OnDropFiles(WPARAM wParam, LPARAM)
{
    CDropFile drop(reinterpret_cast<HDROP>(wParam));
    for (std::wstring path = drop.Next(); !path.empty(); path = drop.Next())
        pendingFiles.push_back(path);
    RenameFiles(std::wstring(), FromDialog);
    return 0;
}
