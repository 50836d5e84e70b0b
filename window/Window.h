#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

class CMapData;
class CWindow;

// A rule that makes another window follow this window's state.
struct StateLink {
    CWindow* target;  // not owned
    int action;
    int value;
};

// One platform window. The object is found from its window through the
// window's user-data slot; each known message becomes a virtual handler call,
// and every handler that is not overridden ends in DefaultProc.
class CWindow {
public:
    CWindow();
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;
    virtual ~CWindow();

    // Turns a message into a handler call.
    virtual LRESULT WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Messages of a subclassed control; passes them on by default.
    virtual LRESULT SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Reserved hook; nothing calls it.
    virtual void HookProc();

    // Registers the class (if new) and makes a window bound to this object.
    virtual bool Create(CWindow* parent, const std::wstring& className,
                        const std::wstring& title, DWORD style);
    virtual bool Create(CWindow& parent, const std::wstring& className,
                        const std::wstring& title, DWORD style);
    virtual bool Create(const std::wstring& className, const std::wstring& title, DWORD style);
    // Takes the parent's dialog item without binding to it.
    virtual bool Attach(CWindow* parent, int itemId);
    virtual bool Attach(CWindow& parent, int itemId);

    // Control state in the settings; nothing to save for a plain window.
    virtual void SaveState(CMapData& map);
    virtual void LoadState(CMapData& map);
    // As LoadState, with fallback standing in for a state the map lacks.
    virtual void LoadStateOrDefault(CMapData& map, int fallback);

    virtual void SetHandle(HWND hWnd);
    virtual int ApplyLink(CWindow* target, int action, int value);
    // What a handler does when a class does not override it.
    virtual LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    virtual LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnClose(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnHScroll(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnVScroll(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnUser(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnKeyUp(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnSysKeyDown(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnSysKeyUp(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnRButtonDown(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnRButtonUp(WPARAM wParam, LPARAM lParam);

    // The one window procedure of the framework's windows (dialogs have
    // CDialog::DialogProc).
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Destroys the window, if any; its WM_DESTROY runs before this returns.
    void Destroy();
    // Cuts the ties to parent and children, once.
    void Unlink();

    // The window's text; for a combo box, its edit field's.
    std::wstring GetText() const;
    // Gives the window a tooltip over its client area as it is now.
    void CreateToolTip(const std::wstring& text);
    // Routes the window's messages through SubclassProc; installs once.
    void Subclass();
    static LRESULT CALLBACK SubclassThunk(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR hookId, DWORD_PTR object);
    // Remembers a link and applies it at once.
    void AddLink(CWindow* target, int action, int value);
    // Applies every link, in the order they were added.
    void ApplyLinks();

    HWND m_hWnd;
    CWindow* m_parent;              // not owned
    std::set<CWindow*> m_children;  // not owned
    HWND m_hToolTip;
    bool m_subclassed;
    bool m_unlinked;
    std::vector<StateLink> m_links;

    enum { SubclassHookId = 1 };

protected:
    // Ties the object and the window together until the window's last
    // message, WM_NCDESTROY, unties them.
    void Bind(HWND hWnd);

private:
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void AdoptParent(CWindow* parent);
};
