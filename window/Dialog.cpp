#include "window/Dialog.h"

std::set<CDialog*> CDialog::s_dialogs;

CDialog::CDialog()
{
    s_dialogs.insert(this);
}

CDialog::~CDialog()
{
    s_dialogs.erase(this);
}

HWND CDialog::CreateFromTemplate(int templateId, HWND owner)
{
    const HWND window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner,
                                           DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = window;
    return window;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // No exception may unwind through the platform's frames.
    try {
        auto* object = reinterpret_cast<CWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (!object && message == WM_INITDIALOG && lParam) {
            auto* dialog = reinterpret_cast<CDialog*>(lParam);
            dialog->Bind(hWnd);
            object = dialog;
        }
        return object ? object->WindowProc(hWnd, message, wParam, lParam) : FALSE;
    } catch (...) {
        return FALSE;
    }
}

LRESULT CDialog::DefaultProc(UINT, WPARAM, LPARAM)
{
    return 0;
}

bool CDialog::PreTranslateMessage(const MSG&)
{
    return false;
}

namespace {

// A dialog's own shortcut runs inside the loop as a handler runs inside the
// window procedure: what it throws ends there, and the loop goes on.
bool PreTranslate(CDialog& dialog, const MSG& message)
{
    try {
        return dialog.PreTranslateMessage(message);
    } catch (...) {
        return true;
    }
}

}  // namespace

void RunMessageLoop()
{
    MSG message;
    for (;;) {
        // 0 is the quit message; -1 a failure that would repeat forever.
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1)
            return;

        bool taken = false;
        for (CDialog* dialog : CDialog::s_dialogs) {
            if (PreTranslate(*dialog, message) || IsDialogMessageW(dialog->m_hWnd, &message)) {
                taken = true;
                break;
            }
        }
        if (!taken) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}
