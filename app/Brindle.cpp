#include "app/Brindle.h"

#include "app/DropFile.h"
#include "resource.h"
#include "settings/SettingsFile.h"
#include "shell/Path.h"
#include "shell/SendTo.h"

#include <boost/lexical_cast.hpp>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <utility>
#include <iterator>

namespace {

const wchar_t* const kHistoryCounts[] = {L"0", L"3", L"5", L"10", L"20"};
static_assert(IDM_TAG_FIRST + kDateTagCount <= IDM_TAG_END, "the tag menu's ids run into other commands");

// The controls whose state outlives a run, in the order of the settings
// file's keys: restored and saved by walking this one table.
struct PersistedControl {
    const wchar_t* key;
    CWindow& (*control)(CBrindle& dialog);
    int fallback;  // the state when the settings have none; kOwnDefault: the control's own
};
const int kOwnDefault = -1;
const PersistedControl kPersistedControls[] = {
    {L"Affix", [](CBrindle& d) -> CWindow& { return *d.affixBox; }, kOwnDefault},
    {L"History", [](CBrindle& d) -> CWindow& { return *d.historyCountBox; }, 2},  // "5"
    {L"TopMostWindow", [](CBrindle& d) -> CWindow& { return *d.topMostBox; }, kOwnDefault},
    {L"SendTo", [](CBrindle& d) -> CWindow& { return *d.sendToBox; }, kOwnDefault},
    {L"Prefix", [](CBrindle& d) -> CWindow& { return *d.headButton; }, BST_CHECKED},
    {L"Suffix", [](CBrindle& d) -> CWindow& { return *d.endButton; }, kOwnDefault},
};

// A text of the string table in the user interface's language.
std::wstring LoadText(UINT id)
{
    const wchar_t* text = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

// A placement whose normal rectangle shows on no monitor any more (a screen
// since unplugged) is moved into the nearest monitor's work area.
void KeepOnScreen(WINDOWPLACEMENT& placement)
{
    RECT& rect = placement.rcNormalPosition;
    if (MonitorFromRect(&rect, MONITOR_DEFAULTTONULL))
        return;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT& work = monitor.rcWork;
    const LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
    const LONG left = std::max(work.left, std::min(rect.left, work.right - width));
    const LONG top = std::max(work.top, std::min(rect.top, work.bottom - height));
    rect = RECT{left, top, left + width, top + height};
}

}  // namespace

CBrindle::CBrindle(const std::vector<std::wstring>& files, const std::wstring& affix, AffixPosition position,
                   std::shared_ptr<CItemStore> store)
    : pendingFiles(files), commandAffix(affix), commandPosition(position), insertPos(0), itemStore(std::move(store))
{
}

CBrindle::~CBrindle() = default;

LRESULT CBrindle::OnInitDialog(WPARAM, LPARAM)
{
    SetIcons(GetDpiForWindow(m_hWnd));

    affixBox = CreateControl<CComboBox>(this, IDC_AFFIX);
    // Adding and resetting leaves both the list and the edit field empty.
    affixBox->AddString(L"");
    affixBox->ResetContent();

    historyCountBox = CreateControl<CComboBox>(this, IDC_HISTORY_COUNT);
    for (const wchar_t* count : kHistoryCounts)
        historyCountBox->AddString(count);

    topMostBox = CreateControl<CCheckBox>(this, IDC_TOPMOST);
    sendToBox = CreateControl<CCheckBox>(this, IDC_SENDTO);
    topMostBox->Subclass();
    topMostBox->AddLink(this, TopMostIfEqual, BST_CHECKED);

    headButton = CreateControl<CRadioButton>(this, IDC_HEAD);
    endButton = CreateControl<CRadioButton>(this, IDC_END);
    tagButton = CreateControl<CButton>(this, IDC_TAG_BUTTON);
    tagMenu = CMenu::FromResource(IDM_TAGS);

    WINDOWPLACEMENT placement = {};
    const bool placed = RestoreSettings(placement);

    if (pendingFiles.empty()) {
        const HMENU system = GetSystemMenu(m_hWnd, FALSE);
        AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(system, MF_STRING | MF_GRAYED, IDM_UNDO, LoadText(IDS_UNDO).c_str());
        // The hint covers the client area as it is before a restored
        // placement may minimise the window (and leave no client area).
        CreateToolTip(LoadText(IDS_DROP_HINT));
        if (placed)
            SetWindowPlacement(m_hWnd, &placement);  // a minimised one stays so through SW_SHOW
        ShowWindow(m_hWnd, SW_SHOW);
    } else {
        // A command-line run keeps its window hidden from start to end.
        if (placed) {
            placement.showCmd = SW_HIDE;
            SetWindowPlacement(m_hWnd, &placement);
        }
        RenameFiles(commandAffix, commandPosition);
    }
    return 0;
}

std::wstring CBrindle::SettingsPath() const
{
    return RenameExtension(GetModulePath(), L".dat");
}

bool CBrindle::RestoreSettings(WINDOWPLACEMENT& placement)
{
    try {
        CMapData settings(0);
        LoadMapFile(SettingsPath(), settings);
        return ApplySettings(settings, placement);
    } catch (...) {
        // Out of memory, say: the dialog still comes up, as on a first start,
        // without the history a half-done restore may have added.
    }
    affixBox->ResetContent();
    CMapData defaults(0);
    return ApplySettings(defaults, placement);
}

bool CBrindle::ApplySettings(CMapData& settings, WINDOWPLACEMENT& placement)
{
    for (const PersistedControl& row : kPersistedControls) {
        CWindow& control = row.control(*this);
        if (row.fallback == kOwnDefault)
            control.LoadState(settings.Map(row.key));
        else
            control.LoadStateOrDefault(settings.Map(row.key), row.fallback);
    }

    // Damaged settings may store both positions, or neither: exactly one
    // button is checked, Start when unclear (the system may already have
    // unchecked one of two).
    CMapData &head = settings.Map(L"Prefix"), &end = settings.Map(L"Suffix");
    const bool unclear = head.HasInteger(L"Check") && end.HasInteger(L"Check") &&
                         (head.Integer(L"Check") == BST_CHECKED) == (end.Integer(L"Check") == BST_CHECKED);
    if (unclear || headButton->IsChecked() == endButton->IsChecked()) {
        headButton->SetCheck(BST_CHECKED);
        endButton->SetCheck(BST_UNCHECKED);
    }

    // The box shows what the shell has, whatever was stored.
    sendToBox->SetCheck(IsRegisteredInSendTo() ? BST_CHECKED : BST_UNCHECKED);

    if (!settings.GetRecord(L"WindowPlacement", placement))
        return false;
    // Only the stored corner counts: the window keeps its own size.
    RECT window;
    GetWindowRect(m_hWnd, &window);
    RECT& normal = placement.rcNormalPosition;
    // A damaged corner far out of any screen's range must not overflow below.
    const LONG kFarAway = 0x1000000;
    normal.left = std::max(-kFarAway, std::min(normal.left, kFarAway));
    normal.top = std::max(-kFarAway, std::min(normal.top, kFarAway));
    normal.right = normal.left + (window.right - window.left);
    normal.bottom = normal.top + (window.bottom - window.top);
    placement.length = sizeof placement;
    KeepOnScreen(placement);
    return true;
}

void CBrindle::SaveSettings()
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(m_hWnd, &placement);

    CMapData settings(1);
    for (const PersistedControl& row : kPersistedControls)
        row.control(*this).SaveState(settings.Map(row.key));
    settings.PutRecord(L"WindowPlacement", placement);
    SaveMapCompressed(SettingsPath(), settings);
}

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
    lastRun.results.clear();
    const std::wstring raw = affix.empty() ? affixBox->GetText() : affix;
    if (raw.empty()) {
        for (const std::wstring& file : files)
            lastRun.results.push_back(KeptItem(file, ItemReason::NoAffix));
        lastRun.allRenamed = files.empty();
        return;
    }
    if (position == AffixPosition::FromDialog)
        position = headButton->IsChecked() ? AffixPosition::Head : AffixPosition::End;
    affixBox->AddToHistory(raw, HistoryLimit());

    const CAffixRule rule(raw, Now(), position, ComposeCanonically);
    if (!commandRun.ownFiles.empty() && IsAnItemOf(*itemStore, rule, files, commandRun.ownFiles)) {
        lastRun.ownFileNamed = true;
        lastRun.allRenamed = false;
        return;
    }
    CRenameRun run(rule, *itemStore, RunOptions{commandRun.dryRun, true});
    const std::wstring stop =
        commandRun.stopFile.empty() ? std::wstring() : ResolveItemPath(commandRun.stopFile).Literal();
    bool stopped = false;
    ULONGLONG nextLook = 0;
    for (const std::wstring& file : files) {
        // Asked to stop: the items not reached keep their names. A look costs
        // about as much as a rename under Wine: one every 50 ms answers soon
        // enough.
        if (!stopped && !stop.empty() && GetTickCount64() >= nextLook) {
            stopped = GetFileAttributesW(stop.c_str()) != INVALID_FILE_ATTRIBUTES;
            nextLook = GetTickCount64() + 50;
        }
        if (stopped)
            run.Keep(file, ItemReason::Stopped);
        else
            run.Rename(file);
    }
    lastRun.results = run.Results();
    lastRun.allRenamed = run.AllRenamed();
}

LRESULT CBrindle::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    switch (id) {
    case IDCANCEL:  // Esc, or the caption's close box through WM_CLOSE
    case IDC_EXIT:
        Destroy();
        return 0;
    case IDC_HELP_BUTTON:
        OpenManual();
        return 0;
    case IDC_TAG_BUTTON:
        ShowTagMenu();
        return 0;
    case IDC_SENDTO:
        RegisterInSendTo(sendToBox->IsChecked());
        return 0;
    case IDC_AFFIX:
        // The affix box reports a lost focus this way too, so the caret's
        // place is known when the ">" button is pressed.
        if (HIWORD(wParam) == CBN_SELENDOK || HIWORD(wParam) == CBN_SELENDCANCEL)
            insertPos = affixBox->GetEditSelStart();
        return 0;
    case IDC_HISTORY_COUNT: {
        const int limit = HistoryLimit();
        if (limit >= 0)
            affixBox->TrimItems(limit);
        return 0;
    }
    default:
        if (id >= IDM_TAG_FIRST && id < IDM_TAG_FIRST + static_cast<int>(kDateTagCount)) {
            InsertTag(kDateTags[id - IDM_TAG_FIRST].tag);
            return 0;
        }
        return DefaultProc(WM_COMMAND, wParam, lParam);
    }
}

void CBrindle::InsertTag(const std::wstring& tag)
{
    std::wstring text = affixBox->GetText();
    const std::size_t at = std::min(static_cast<std::size_t>(std::max(insertPos, 0)), text.size());
    text.insert(at, tag);
    SetWindowTextW(affixBox->m_hWnd, text.c_str());
    insertPos = static_cast<int>(at + tag.size());
}

void CBrindle::ShowTagMenu()
{
    RECT button;
    GetWindowRect(tagButton->m_hWnd, &button);
    const boost::shared_ptr<CMenu> tags = tagMenu->SubMenu(0);
    TrackPopupMenu(tags->m_hMenu, 0, button.left, button.top, 0, m_hWnd, nullptr);
}

void CBrindle::OpenManual()
{
    // Relative to the current folder, as a start from the program's own folder
    // finds it; from anywhere else, the manual beside the program.
    // The page in the language of the dialog: the string table says which.
    const std::wstring page = L"Manual\\" + LoadText(IDS_MANUAL_PAGE);
    std::wstring manual = page;
    if (!PathFileExistsW(manual.c_str()))
        manual = RemoveFileSpec(GetModulePath()) + L"\\" + page;
    OpenDocument(manual);
}

void CBrindle::OpenDocument(const std::wstring& path)
{
    ShellExecuteW(m_hWnd, nullptr, path.c_str(), L"", L"", SW_SHOWNORMAL);
}

LRESULT CBrindle::OnDestroy(WPARAM, LPARAM)
{
    // The program must end whatever the save did: a quit message lost to an
    // exception would leave it running with no window.
    try {
        SaveSettings();
    } catch (...) {
    }
    PostQuitMessage(0);
    return 0;
}

LRESULT CBrindle::OnDropFiles(WPARAM wParam, LPARAM)
{
    CDropFile drop(reinterpret_cast<HDROP>(wParam));
    for (std::wstring path = drop.Next(); !path.empty(); path = drop.Next())
        pendingFiles.push_back(path);
    RenameFiles(std::wstring(), AffixPosition::FromDialog);
    // A drop that renamed nothing leaves the undo of the one before.
    std::vector<ItemResult> moved;
    std::copy_if(lastRun.results.begin(), lastRun.results.end(), std::back_inserter(moved),
                 [](const ItemResult& result) { return result.Moved(); });
    if (!moved.empty()) {
        lastDrop.swap(moved);
        EnableMenuItem(GetSystemMenu(m_hWnd, FALSE), IDM_UNDO, MF_BYCOMMAND | MF_ENABLED);
    }
    return 0;
}

void CBrindle::UndoLastDrop()
{
    std::vector<ItemResult> renamed;
    renamed.swap(lastDrop);
    EnableMenuItem(GetSystemMenu(m_hWnd, FALSE), IDM_UNDO, MF_BYCOMMAND | MF_GRAYED);
    // Last first: an item renamed into a folder renamed after it comes back too.
    for (auto item = renamed.rbegin(); item != renamed.rend(); ++item)
        RenameBack(*itemStore, *item);
}

void CBrindle::SetIcons(UINT dpi)
{
    // Each drawn for its size at this DPI, never scaled from another.
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const auto& icon : {std::make_pair(ICON_BIG, SM_CXICON), std::make_pair(ICON_SMALL, SM_CXSMICON)}) {
        const int size = GetSystemMetricsForDpi(icon.second, dpi ? dpi : USER_DEFAULT_SCREEN_DPI);
        const HANDLE image = LoadImageW(instance, MAKEINTRESOURCEW(IDI_BRINDLE), IMAGE_ICON, size, size, 0);
        const LRESULT before =
            SendMessageW(m_hWnd, WM_SETICON, static_cast<WPARAM>(icon.first), reinterpret_cast<LPARAM>(image));
        if (before)
            DestroyIcon(reinterpret_cast<HICON>(before));
    }
}

LRESULT CBrindle::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Moved to a monitor of another DPI (Windows only): the dialog manager
    // scales the dialog and its controls; the icons are chosen again.
    if (message == WM_DPICHANGED)
        SetIcons(HIWORD(wParam));
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == IDM_UNDO) {
        UndoLastDrop();
        return TRUE;
    }
    return CDialog::WindowProc(hWnd, message, wParam, lParam);
}

bool CBrindle::PreTranslateMessage(const MSG& message)
{
    if (message.message != WM_KEYDOWN || message.wParam != 'Z' || GetKeyState(VK_CONTROL) >= 0 ||
        lastDrop.empty() || !m_hWnd || (message.hwnd != m_hWnd && !IsChild(m_hWnd, message.hwnd)))
        return false;
    // In the affix text, Ctrl+Z undoes typing.
    if (affixBox && (message.hwnd == affixBox->m_hWnd || IsChild(affixBox->m_hWnd, message.hwnd)))
        return false;
    UndoLastDrop();
    return true;
}
