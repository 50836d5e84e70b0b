#include "window/Window.h"

#include <commctrl.h>

CWindow::CWindow()
    : m_hWnd(nullptr),
      m_parent(nullptr),
      m_hToolTip(nullptr),
      m_subclassed(false),
      m_unlinked(false)
{
}

CWindow::~CWindow()
{
    // A dialog item's window may have gone with its dialog, and its handle
    // may since name another window: touch it only while it is a window.
    const bool alive = m_hWnd && IsWindow(m_hWnd);
    if (m_subclassed) {
        m_subclassed = false;
        if (alive)
            RemoveWindowSubclass(m_hWnd, SubclassThunk, SubclassHookId);
    }
    // By now the subclasses are gone: messages that DestroyWindow produces
    // reach only this class's defaults.
    if (alive)
        DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    Unlink();
}

LRESULT CALLBACK CWindow::WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // No exception may unwind through the platform's frames.
    try {
        auto* object = reinterpret_cast<CWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (object)
            return object->WindowProc(hWnd, message, wParam, lParam);

        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            void* param = create->lpCreateParams;
            if (create->dwExStyle & WS_EX_MDICHILD)
                param = reinterpret_cast<void*>(
                    reinterpret_cast<const MDICREATESTRUCTW*>(param)->lParam);
            object = static_cast<CWindow*>(param);
        } else if (message == WM_INITDIALOG) {
            object = reinterpret_cast<CWindow*>(lParam);
        }
        if (!object)
            return DefWindowProcW(hWnd, message, wParam, lParam);

        object->Bind(hWnd);
        return object->WindowProc(hWnd, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

void CWindow::Bind(HWND hWnd)
{
    SetHandle(hWnd);
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

LRESULT CWindow::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCDESTROY) {
        // The window's last message: it no longer leads to this object, and
        // the object no longer names it, whichever of the two goes first.
        const LRESULT result = Dispatch(message, wParam, lParam);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        m_hWnd = nullptr;
        return result;
    }
    if (message == WM_DESTROY) {
        const LRESULT result = OnDestroy(wParam, lParam);
        Unlink();
        if (m_hToolTip) {
            DestroyWindow(m_hToolTip);  // it has no owner to go with
            m_hToolTip = nullptr;
        }
        return result;
    }
    return Dispatch(message, wParam, lParam);
}

LRESULT CWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:        return OnCreate(wParam, lParam);
    case WM_INITDIALOG:    return OnInitDialog(wParam, lParam);
    case WM_COMMAND:       return OnCommand(wParam, lParam);
    case WM_NOTIFY:        return OnNotify(wParam, lParam);
    case WM_CLOSE:         return OnClose(wParam, lParam);
    case WM_DROPFILES:     return OnDropFiles(wParam, lParam);
    case WM_HSCROLL:       return OnHScroll(wParam, lParam);
    case WM_VSCROLL:       return OnVScroll(wParam, lParam);
    case WM_SIZE:          return OnSize(wParam, lParam);
    case WM_TIMER:         return OnTimer(wParam, lParam);
    case WM_PAINT:         return OnPaint(wParam, lParam);
    case WM_USER:          return OnUser(wParam, lParam);
    case WM_KEYDOWN:       return OnKeyDown(wParam, lParam);
    case WM_KEYUP:         return OnKeyUp(wParam, lParam);
    case WM_SYSKEYDOWN:    return OnSysKeyDown(wParam, lParam);
    case WM_SYSKEYUP:      return OnSysKeyUp(wParam, lParam);
    case WM_LBUTTONDOWN:   return OnLButtonDown(wParam, lParam);
    case WM_LBUTTONUP:     return OnLButtonUp(wParam, lParam);
    case WM_RBUTTONDOWN:   return OnRButtonDown(wParam, lParam);
    case WM_RBUTTONUP:     return OnRButtonUp(wParam, lParam);
    default:               return DefaultProc(message, wParam, lParam);
    }
}

LRESULT CWindow::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefSubclassProc(hWnd, message, wParam, lParam);
}

void CWindow::HookProc() {}

void CWindow::AdoptParent(CWindow* parent)
{
    m_parent = parent;
    parent->m_children.insert(this);
}

bool CWindow::Create(CWindow* parent, const std::wstring& className,
                     const std::wstring& title, DWORD style)
{
    HWND parentWindow = nullptr;
    if (parent) {
        AdoptParent(parent);
        parentWindow = parent->m_hWnd;
    }

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = className.c_str();
    RegisterClassW(&windowClass);  // fails harmlessly when the class exists

    m_hWnd = CreateWindowExW(0, className.c_str(), title.c_str(), style,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             parentWindow, nullptr, instance, this);
    return m_hWnd != nullptr;
}

bool CWindow::Create(CWindow& parent, const std::wstring& className,
                     const std::wstring& title, DWORD style)
{
    return Create(&parent, className, title, style);
}

bool CWindow::Create(const std::wstring& className, const std::wstring& title, DWORD style)
{
    return Create(static_cast<CWindow*>(nullptr), className, title, style);
}

bool CWindow::Attach(CWindow* parent, int itemId)
{
    AdoptParent(parent);
    m_hWnd = GetDlgItem(parent->m_hWnd, itemId);
    return m_hWnd != nullptr;
}

bool CWindow::Attach(CWindow& parent, int itemId)
{
    return Attach(&parent, itemId);
}

void CWindow::SaveState(CMapData&) {}
void CWindow::LoadState(CMapData&) {}
void CWindow::LoadStateOrDefault(CMapData& map, int)
{
    LoadState(map);
}

void CWindow::SetHandle(HWND hWnd)
{
    m_hWnd = hWnd;
}

int CWindow::ApplyLink(CWindow*, int, int)
{
    return 0;
}

LRESULT CWindow::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

void CWindow::Destroy()
{
    if (m_hWnd)
        DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

void CWindow::Unlink()
{
    if (m_unlinked)
        return;
    m_unlinked = true;
    for (CWindow* child : m_children) {
        child->m_parent = nullptr;
        // A child window goes with this one, and its handle may later name
        // another window: the wrapper forgets it now.
        if (m_hWnd && child->m_hWnd && IsChild(m_hWnd, child->m_hWnd))
            child->m_hWnd = nullptr;
    }
    if (m_parent)
        m_parent->m_children.erase(this);
}

std::wstring CWindow::GetText() const
{
    const int length = GetWindowTextLengthW(m_hWnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(m_hWnd, &text[0], length + 1);
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

void CWindow::CreateToolTip(const std::wstring& text)
{
    // Unowned, and destroyed with the window by hand: Wine makes no window
    // top-most while it owns a tooltip. A tooltip is top-most itself, so it
    // still shows over the window either way.
    m_hToolTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = m_hWnd;
    GetClientRect(m_hWnd, &tool.rect);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());  // the tooltip keeps a copy
    SendMessageW(m_hToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CWindow::Subclass()
{
    if (m_subclassed)
        return;
    m_subclassed = true;
    SetWindowSubclass(m_hWnd, SubclassThunk, SubclassHookId, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK CWindow::SubclassThunk(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR object)
{
    auto* window = reinterpret_cast<CWindow*>(object);
    try {
        if (message == WM_NCDESTROY) {
            // The control goes before its wrapper: the hook goes with it.
            RemoveWindowSubclass(hWnd, SubclassThunk, SubclassHookId);
            window->m_subclassed = false;
            window->m_hWnd = nullptr;
            return DefSubclassProc(hWnd, message, wParam, lParam);
        }
        return window->SubclassProc(hWnd, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

void CWindow::AddLink(CWindow* target, int action, int value)
{
    m_links.push_back(StateLink{target, action, value});
    ApplyLink(target, action, value);
}

void CWindow::ApplyLinks()
{
    // Indexed: a link may add links while it is applied.
    for (std::size_t i = 0; i < m_links.size(); ++i) {
        const StateLink link = m_links[i];
        ApplyLink(link.target, link.action, link.value);
    }
}

#define BRINDLE_DEFAULT_HANDLER(Name, Message)                  \
    LRESULT CWindow::Name(WPARAM wParam, LPARAM lParam)         \
    {                                                           \
        return DefaultProc(Message, wParam, lParam);            \
    }

BRINDLE_DEFAULT_HANDLER(OnCreate, WM_CREATE)
BRINDLE_DEFAULT_HANDLER(OnInitDialog, WM_INITDIALOG)
BRINDLE_DEFAULT_HANDLER(OnCommand, WM_COMMAND)
BRINDLE_DEFAULT_HANDLER(OnNotify, WM_NOTIFY)
BRINDLE_DEFAULT_HANDLER(OnClose, WM_CLOSE)
BRINDLE_DEFAULT_HANDLER(OnDestroy, WM_DESTROY)
BRINDLE_DEFAULT_HANDLER(OnDropFiles, WM_DROPFILES)
BRINDLE_DEFAULT_HANDLER(OnHScroll, WM_HSCROLL)
BRINDLE_DEFAULT_HANDLER(OnVScroll, WM_VSCROLL)
BRINDLE_DEFAULT_HANDLER(OnSize, WM_SIZE)
BRINDLE_DEFAULT_HANDLER(OnTimer, WM_TIMER)
BRINDLE_DEFAULT_HANDLER(OnPaint, WM_PAINT)
BRINDLE_DEFAULT_HANDLER(OnUser, WM_USER)
BRINDLE_DEFAULT_HANDLER(OnKeyDown, WM_KEYDOWN)
BRINDLE_DEFAULT_HANDLER(OnKeyUp, WM_KEYUP)
BRINDLE_DEFAULT_HANDLER(OnSysKeyDown, WM_SYSKEYDOWN)
BRINDLE_DEFAULT_HANDLER(OnSysKeyUp, WM_SYSKEYUP)
BRINDLE_DEFAULT_HANDLER(OnLButtonDown, WM_LBUTTONDOWN)
BRINDLE_DEFAULT_HANDLER(OnLButtonUp, WM_LBUTTONUP)
BRINDLE_DEFAULT_HANDLER(OnRButtonDown, WM_RBUTTONDOWN)
BRINDLE_DEFAULT_HANDLER(OnRButtonUp, WM_RBUTTONUP)

#undef BRINDLE_DEFAULT_HANDLER
