#include "Brindle.h"

CBrindle::CBrindle(const std::vector<std::wstring>& files, const std::wstring& affix,
                   AffixPosition position)
    : pendingFiles(files), commandAffix(affix), commandPosition(position), insertPos(0)
{
}

CBrindle::~CBrindle() = default;

LRESULT CBrindle::OnInitDialog(WPARAM, LPARAM)
{
    // A command-line run keeps its window hidden from start to end.
    if (pendingFiles.empty())
        ShowWindow(m_hWnd, SW_SHOW);
    return 0;
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

LRESULT CBrindle::OnDropFiles(WPARAM wParam, LPARAM lParam)
{
    return DefaultProc(WM_DROPFILES, wParam, lParam);
}
