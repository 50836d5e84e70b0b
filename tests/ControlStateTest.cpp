#include "settings/MapData.h"
#include "window/Controls.h"
#include "window/Dialog.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// Saving and restoring controls through a settings map, on real controls.
class ControlStateTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(dialog.CreateFromTemplate(200), nullptr);
        dropDown = CreateControl<CComboBox>(&dialog, 301);
        box = CreateControl<CCheckBox>(&dialog, 302);
        simple = CreateControl<CComboBox>(&dialog, 304);
        list = CreateControl<CComboBox>(&dialog, 305);
        for (const wchar_t* item : {L"0", L"3", L"5", L"10", L"20"})
            list->AddString(item);
    }

    static LRESULT Send(const boost::shared_ptr<CComboBox>& combo, UINT message, WPARAM w = 0, LPARAM l = 0)
    {
        return SendMessageW(combo->m_hWnd, message, w, l);
    }
    LRESULT Check() { return box->GetCheck(); }

    CDialog dialog;
    boost::shared_ptr<CComboBox> dropDown, simple, list;
    boost::shared_ptr<CCheckBox> box;
};

TEST_F(ControlStateTest, CheckStatesRoundTripAndDefaultsApplyOnlyWhenAbsent)
{
    for (WPARAM state : {BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE}) {
        CMapData map;
        box->SetCheck(state);
        box->SaveState(map);
        EXPECT_EQ(map.Integer(L"Check"), static_cast<int>(state));
        box->SetCheck(state == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
        box->LoadState(map);
        EXPECT_EQ(Check(), static_cast<LRESULT>(state));
    }

    CMapData empty;
    box->SetCheck(BST_CHECKED);
    box->LoadState(empty);  // absent reads as 0: unchecked
    EXPECT_EQ(Check(), BST_UNCHECKED);

    CMapData absent;
    box->LoadStateOrDefault(absent, 1);
    EXPECT_EQ(Check(), BST_CHECKED);
    EXPECT_EQ(absent.Integer(L"Check"), 1);

    CMapData storedZero;
    storedZero.Integer(L"Check") = 0;
    box->LoadStateOrDefault(storedZero, 1);  // a stored 0 is honoured
    EXPECT_EQ(Check(), BST_UNCHECKED);
}

TEST_F(ControlStateTest, DropDownKeepsTextAndItemsInOrder)
{
    for (const wchar_t* item : {L"b_", L"\\y\\m\\d_"})
        Send(dropDown, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SetWindowTextW(dropDown->m_hWnd, L"編集中");
    CMapData map;
    dropDown->SaveContents(map);
    EXPECT_EQ(map.String(L"Text"), L"編集中");
    EXPECT_EQ(map.Integer(L"Size"), 2);
    EXPECT_EQ(map.Map(L"0").String(L"Text"), L"b_");
    EXPECT_EQ(map.Map(L"1").String(L"Text"), L"\\y\\m\\d_");
    EXPECT_FALSE(map.HasInteger(L"Index"));

    Send(dropDown, CB_RESETCONTENT);
    SetWindowTextW(dropDown->m_hWnd, L"");
    dropDown->LoadContents(map);
    EXPECT_EQ(dropDown->GetText(), L"編集中");
    ASSERT_EQ(Send(dropDown, CB_GETCOUNT), 2);
    EXPECT_EQ(dropDown->GetItemText(0), L"b_");
    EXPECT_EQ(dropDown->GetItemText(1), L"\\y\\m\\d_");
}

TEST_F(ControlStateTest, DropDownSizeBeyondItsItemsAddsEmptiesUpToTheCap)
{
    CMapData map;
    map.Integer(L"Size") = 3;
    map.Map(L"0").String(L"Text") = L"a";
    dropDown->LoadContents(map);
    ASSERT_EQ(Send(dropDown, CB_GETCOUNT), 3);
    EXPECT_EQ(dropDown->GetItemText(2), L"");

    Send(dropDown, CB_RESETCONTENT);
    map.Integer(L"Size") = -4;
    dropDown->LoadContents(map);
    EXPECT_EQ(Send(dropDown, CB_GETCOUNT), 0);

    map.Integer(L"Size") = 0x7FFFFFFF;  // a damaged file
    dropDown->LoadContents(map);
    EXPECT_EQ(Send(dropDown, CB_GETCOUNT), CComboBox::kMaxRestoredItems);
}

TEST_F(ControlStateTest, DropDownListKeepsItsSelection)
{
    CMapData none;
    list->SaveContents(none);  // nothing selected yet
    EXPECT_EQ(none.Integer(L"Index"), -1);
    EXPECT_FALSE(none.HasInteger(L"Size"));

    CMapData absent;
    list->LoadContentsOrDefault(absent, 2);
    EXPECT_EQ(list->GetText(), L"5");
    list->LoadContents(none);
    EXPECT_EQ(Send(list, CB_GETCURSEL), CB_ERR);

    CMapData beyond;
    beyond.Integer(L"Index") = 9;
    list->LoadContentsOrDefault(beyond, 2);
    EXPECT_EQ(Send(list, CB_GETCURSEL), CB_ERR);

    CMapData empty;
    list->LoadContents(empty);  // absent reads as 0: the first item
    EXPECT_EQ(Send(list, CB_GETCURSEL), 0);
}

TEST_F(ControlStateTest, SimpleComboSavesAndRestoresNothing)
{
    Send(simple, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"kept"));
    CMapData map;
    simple->SaveContents(map);
    EXPECT_EQ(map.Header(), 0);
    EXPECT_FALSE(map.HasInteger(L"Size"));
    EXPECT_FALSE(map.HasInteger(L"Index"));
    map.Integer(L"Size") = 2;
    map.String(L"Text") = L"x";
    simple->LoadContentsOrDefault(map, 1);
    EXPECT_EQ(Send(simple, CB_GETCOUNT), 1);
    EXPECT_FALSE(map.HasInteger(L"Index"));
}

}  // namespace
