#include "window/Dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

class CountingDialog : public CDialog {
public:
    LRESULT OnUser(WPARAM, LPARAM) override
    {
        ++userCount;
        return 0;
    }
    int userCount = 0;
};

class CountingWindow : public CWindow {
public:
    LRESULT OnUser(WPARAM, LPARAM) override
    {
        ++userCount;
        return 0;
    }
    int userCount = 0;
};

TEST(MessageLoop, AMessageADialogTakesIsNotDispatchedAgain)
{
    CountingDialog dialog;
    ASSERT_NE(dialog.CreateFromTemplate(200), nullptr);
    PostMessageW(dialog.m_hWnd, WM_USER, 0, 0);
    PostQuitMessage(0);
    RunMessageLoop();
    // IsDialogMessageW delivers it itself; a second delivery would count 2.
    EXPECT_EQ(dialog.userCount, 1);
}

TEST(MessageLoop, AMessageNoDialogTakesIsDispatched)
{
    CountingDialog dialog;
    ASSERT_NE(dialog.CreateFromTemplate(200), nullptr);
    CountingWindow window;
    ASSERT_TRUE(window.Create(L"BrindleLoopTest", L"", WS_OVERLAPPEDWINDOW));
    PostMessageW(window.m_hWnd, WM_USER, 0, 0);
    PostQuitMessage(0);
    RunMessageLoop();
    EXPECT_EQ(window.userCount, 1);
    EXPECT_EQ(dialog.userCount, 0);
}

TEST(MessageLoop, WithoutDialogsEveryMessageIsDispatched)
{
    ASSERT_TRUE(CDialog::s_dialogs.empty());
    CountingWindow window;
    ASSERT_TRUE(window.Create(L"BrindleLoopTest", L"", WS_OVERLAPPEDWINDOW));
    PostMessageW(window.m_hWnd, WM_USER, 0, 0);
    PostMessageW(window.m_hWnd, WM_USER, 0, 0);
    PostQuitMessage(0);
    RunMessageLoop();
    EXPECT_EQ(window.userCount, 2);
}

TEST(MessageLoop, ReturnsOnQuitWhileTheDialogStillExists)
{
    CountingDialog dialog;
    ASSERT_NE(dialog.CreateFromTemplate(200), nullptr);
    PostQuitMessage(0);
    RunMessageLoop();
    EXPECT_TRUE(IsWindow(dialog.m_hWnd));
    EXPECT_EQ(CDialog::s_dialogs.count(&dialog), 1u);
}

TEST(DialogList, HoldsExactlyTheLiveDialogObjects)
{
    ASSERT_TRUE(CDialog::s_dialogs.empty());
    {
        CountingDialog first;  // no window: listed all the same
        {
            CountingDialog second;
            ASSERT_NE(second.CreateFromTemplate(200), nullptr);
            EXPECT_EQ(CDialog::s_dialogs, (std::set<CDialog*>{&first, &second}));
            second.Destroy();
            EXPECT_EQ(CDialog::s_dialogs.size(), 2u);  // the window's end is not the object's
        }
        EXPECT_EQ(CDialog::s_dialogs, (std::set<CDialog*>{&first}));
    }
    EXPECT_TRUE(CDialog::s_dialogs.empty());
}

LRESULT CALLBACK WatchDestroy(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                              UINT_PTR, DWORD_PTR data)
{
    if (message == WM_DESTROY) {
        auto* listedAtDestroy = reinterpret_cast<int*>(data);
        *listedAtDestroy = static_cast<int>(CDialog::s_dialogs.size());
    }
    return DefSubclassProc(hWnd, message, wParam, lParam);
}

TEST(DialogList, AnObjectLeavesTheListBeforeItsWindowIsDestroyed)
{
    int listedAtDestroy = -1;
    {
        CountingDialog dialog;
        ASSERT_NE(dialog.CreateFromTemplate(200), nullptr);
        SetWindowSubclass(dialog.m_hWnd, WatchDestroy, 7, reinterpret_cast<DWORD_PTR>(&listedAtDestroy));
    }
    EXPECT_EQ(listedAtDestroy, 0);
}

}  // namespace
