#include "PlainDialog.h"
#include "window/Dialog.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

namespace {

const wchar_t kClassName[] = L"BrindleTestWindow";

// Records what reaches the handlers.
class RecordingWindow : public CWindow {
public:
    LRESULT OnCreate(WPARAM, LPARAM) override
    {
        createdBound = m_hWnd != nullptr &&
                       GetWindowLongPtrW(m_hWnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this);
        return 0;
    }
    LRESULT OnDestroy(WPARAM, LPARAM) override
    {
        ++destroyCount;
        unlinkedDuringDestroy = m_unlinked;
        return 42;
    }
    LRESULT OnUser(WPARAM, LPARAM) override
    {
        ++userCount;
        return 0;
    }
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        defaulted.push_back(message);
        return CWindow::DefaultProc(message, wParam, lParam);
    }

    bool createdBound = false;
    int destroyCount = 0;
    bool unlinkedDuringDestroy = true;
    int userCount = 0;
    std::vector<UINT> defaulted;
};

bool Defaulted(const RecordingWindow& window, UINT message)
{
    for (UINT m : window.defaulted)
        if (m == message)
            return true;
    return false;
}

TEST(WindowDispatch, CreateBindsAtNcCreateSoCreateAlreadyReachesTheObject)
{
    RecordingWindow window;
    ASSERT_TRUE(window.Create(kClassName, L"one", WS_OVERLAPPEDWINDOW));
    EXPECT_TRUE(window.createdBound);
    EXPECT_TRUE(Defaulted(window, WM_NCCREATE));
    EXPECT_EQ(GetWindowLongPtrW(window.m_hWnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&window));
}

TEST(WindowDispatch, ASecondWindowOfARegisteredClassIsCreated)
{
    RecordingWindow first, second;
    ASSERT_TRUE(first.Create(kClassName, L"one", WS_OVERLAPPEDWINDOW));
    ASSERT_TRUE(second.Create(kClassName, L"two", WS_OVERLAPPEDWINDOW));
    EXPECT_NE(first.m_hWnd, second.m_hWnd);
    EXPECT_TRUE(second.createdBound);
}

TEST(WindowDispatch, MdiChildCreationBindsTheObjectInTheMdiRecord)
{
    // A window of the platform's own class stands in for the MDI child; the
    // framework's procedure is called with the creation records by hand.
    HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(plain, nullptr);
    RecordingWindow window;
    MDICREATESTRUCTW mdi = {};
    mdi.lParam = reinterpret_cast<LPARAM>(&window);
    CREATESTRUCTW create = {};
    create.dwExStyle = WS_EX_MDICHILD;
    create.lpCreateParams = &mdi;
    CWindow::WndProc(plain, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create));
    EXPECT_EQ(window.m_hWnd, plain);
    EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&window));
    // Hand the window back to nobody before it goes.
    SetWindowLongPtrW(plain, GWLP_USERDATA, 0);
    window.m_hWnd = nullptr;
    DestroyWindow(plain);
}

TEST(WindowDispatch, UnboundWindowGetsDefaultProcessingAndNoHandler)
{
    HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(CWindow::WndProc(plain, WM_USER, 0, 0), DefWindowProcW(plain, WM_USER, 0, 0));
    EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_USERDATA), 0);
    DestroyWindow(plain);
}

TEST(WindowDispatch, DestroyRunsOnDestroyBeforeUnlinkAndReturnsItsResult)
{
    RecordingWindow window;
    ASSERT_TRUE(window.Create(kClassName, L"one", WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(window.WindowProc(window.m_hWnd, WM_DESTROY, 0, 0), 42);
    EXPECT_FALSE(window.unlinkedDuringDestroy);
    EXPECT_TRUE(window.m_unlinked);
}

TEST(WindowDispatch, DestroyTwiceDestroysTheWindowOnce)
{
    RecordingWindow window;
    window.Destroy();  // no window yet: nothing happens
    ASSERT_TRUE(window.Create(kClassName, L"one", WS_OVERLAPPEDWINDOW));
    const HWND handle = window.m_hWnd;
    window.Destroy();
    window.Destroy();
    EXPECT_EQ(window.destroyCount, 1);
    EXPECT_EQ(window.m_hWnd, nullptr);
    EXPECT_FALSE(IsWindow(handle));
}

TEST(WindowDispatch, OnlyWmUserItselfReachesOnUser)
{
    RecordingWindow window;
    ASSERT_TRUE(window.Create(kClassName, L"one", WS_OVERLAPPEDWINDOW));
    SendMessageW(window.m_hWnd, WM_USER, 0, 0);
    SendMessageW(window.m_hWnd, WM_USER + 1, 0, 0);
    EXPECT_EQ(window.userCount, 1);
    EXPECT_TRUE(Defaulted(window, WM_USER + 1));
}

TEST(WindowDispatch, UnlinkCutsChildrenOnceAndLeavesTheSetAlone)
{
    RecordingWindow parent;
    ASSERT_TRUE(parent.Create(kClassName, L"parent", WS_OVERLAPPEDWINDOW));
    auto* child = new RecordingWindow;
    ASSERT_TRUE(child->Create(parent, kClassName, L"child", WS_CHILD));
    EXPECT_EQ(child->m_parent, &parent);
    EXPECT_EQ(parent.m_children.count(child), 1u);

    parent.Destroy();  // WM_DESTROY unlinks the parent (and destroys the child window)
    EXPECT_TRUE(parent.m_unlinked);
    EXPECT_EQ(child->m_parent, nullptr);
    parent.Unlink();  // a second time changes nothing
    EXPECT_EQ(parent.m_children.count(child), 1u);

    delete child;  // its parent is gone: the parent's set is not touched
    EXPECT_EQ(parent.m_children.size(), 1u);
    parent.m_children.clear();
}

// Throws from a handler and from its subclass procedure.
class ThrowingWindow : public CWindow {
public:
    LRESULT OnUser(WPARAM, LPARAM) override { throw std::runtime_error("handler"); }
    LRESULT SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_USER + 2)
            throw std::bad_alloc();
        return CWindow::SubclassProc(hWnd, message, wParam, lParam);
    }
};

TEST(WindowDispatch, NoExceptionLeavesAWindowOrSubclassProcedure)
{
    ThrowingWindow window;
    ASSERT_TRUE(window.Create(kClassName, L"throws", WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(SendMessageW(window.m_hWnd, WM_USER, 1, 2), 0);
    window.Subclass();
    EXPECT_EQ(SendMessageW(window.m_hWnd, WM_USER + 2, 0, 0), 0);
    EXPECT_TRUE(IsWindow(window.m_hWnd));
}

TEST(WindowDispatch, ChildUnlinksItselfFromALiveParent)
{
    RecordingWindow parent;
    ASSERT_TRUE(parent.Create(kClassName, L"parent", WS_OVERLAPPEDWINDOW));
    {
        RecordingWindow child;
        ASSERT_TRUE(child.Create(parent, kClassName, L"child", WS_CHILD));
        ASSERT_EQ(parent.m_children.size(), 1u);
        child.Destroy();
        EXPECT_TRUE(parent.m_children.empty());
    }
    EXPECT_TRUE(parent.m_children.empty());
}


class InitRecordingDialog : public CDialog {
public:
    LRESULT OnInitDialog(WPARAM, LPARAM lParam) override
    {
        initParam = lParam;
        handleAtInit = m_hWnd;
        return 0;
    }
    LPARAM initParam = 0;
    HWND handleAtInit = nullptr;
};

TEST(DialogDispatch, InitDialogBindsTheObjectAndPassesItsAddress)
{
    InitRecordingDialog dialog;
    const HWND handle = dialog.CreateFromTemplate(200);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(dialog.m_hWnd, handle);
    EXPECT_EQ(dialog.handleAtInit, handle);
    EXPECT_EQ(dialog.initParam, reinterpret_cast<LPARAM>(&dialog));
    EXPECT_EQ(GetWindowLongPtrW(handle, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&dialog));
}

TEST(DialogDispatch, DefaultHandlersOfADialogAnswerZero)
{
    PlainDialog dialog;
    ASSERT_NE(dialog.CreateFromTemplate(200), nullptr);
    EXPECT_EQ(dialog.WindowProc(dialog.m_hWnd, WM_USER + 5, 0, 0), 0);
    EXPECT_EQ(dialog.WindowProc(dialog.m_hWnd, WM_NCHITTEST, 0, 0), 0);
}

TEST(DialogDispatch, DestroyingTheObjectDestroysItsWindow)
{
    HWND handle;
    {
        PlainDialog dialog;
        handle = dialog.CreateFromTemplate(200);
        ASSERT_TRUE(IsWindow(handle));
    }
    EXPECT_FALSE(IsWindow(handle));
}

// Before its object is bound the dialog procedure leaves everything to the
// dialog manager; at a window's last message the object lets go of it, and a
// subclassed control's hook goes with the control, whichever goes first.
TEST(DialogDispatch, NoObjectBeforeBindingOrAfterTheWindowsLastMessage)
{
    const HWND unbound = CreateWindowW(L"STATIC", L"abc", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(unbound, nullptr);
    EXPECT_EQ(CDialog::DialogProc(unbound, WM_GETTEXTLENGTH, 0, 0), FALSE);  // DefWindowProcW: 3

    CWindow control;
    control.SetHandle(unbound);
    control.Subclass();
    PlainDialog dialog;
    const HWND handle = dialog.CreateFromTemplate(200);
    ASSERT_NE(handle, nullptr);
    DestroyWindow(handle);
    DestroyWindow(unbound);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(GetWindowLongPtrW(handle, GWLP_USERDATA), 0);
    EXPECT_EQ(control.m_hWnd, nullptr);
    EXPECT_FALSE(control.m_subclassed);
}

}  // namespace
