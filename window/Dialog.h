#pragma once

#include "window/Window.h"

#include <set>

// A modeless dialog made from a dialog template. Every dialog object that
// exists is listed, so the message loop can give it the dialog keyboard
// interface (Tab, arrows, Enter, Esc).
class CDialog : public CWindow {
public:
    CDialog();
    ~CDialog() override;

    // Makes the window from a template of this program, bound to this object
    // through WM_INITDIALOG; returns the handle, null on failure.
    HWND CreateFromTemplate(int templateId, HWND owner = nullptr);

    // Every dialog's procedure: binds the object at WM_INITDIALOG, then hands
    // each message to it. A message before that, or after WM_NCDESTROY, is
    // left to the dialog manager (FALSE); it never calls DefWindowProcW.
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Unhandled: the dialog manager does its own default processing.
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Sees each message of the loop before the dialog manager does; true
    // when it took the message (a keyboard shortcut of the dialog's own).
    virtual bool PreTranslateMessage(const MSG& message);

    static std::set<CDialog*> s_dialogs;  // not owned; the live dialog objects
};

// Runs until the thread's quit message (or until GetMessageW fails).
void RunMessageLoop();
