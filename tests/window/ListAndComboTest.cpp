#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/WindowTestFixture.h"
#include "tests/window/TestDialog.h"

using qv::headless::DialogDriver;
using ::testing::ElementsAre;

class ListAndComboTest : public WindowTestFixture {
protected:
    void SetUp() override {
        WindowTestFixture::SetUp();
        windows.AddTemplate(TestTemplate());
    }

    // Runs the checks with the test dialog open; its list and combo are bound.
    void Run(const std::function<void(DialogDriver&, CListBox&, CComboBox&)>& checks) {
        windows.OnDialog(IDD_TEST, [&](DialogDriver& user) {
            checks(user, dlg.m_list, dlg.m_combo);
            ASSERT_TRUE(user.PressEscape());
        });
        dlg.DoModal();
    }

    CTestDlg dlg;
};

TEST_F(ListAndComboTest, LinesStayInInsertionOrderAndInsertAtMinusOneAppends) {
    Run([](DialogDriver& user, CListBox& list, CComboBox&) {
        EXPECT_EQ(list.AddString("b"), 0);
        EXPECT_EQ(list.AddString("a"), 1);
        EXPECT_EQ(list.InsertString(-1, "c"), 2);
        EXPECT_EQ(list.InsertString(0, "z"), 0);
        EXPECT_EQ(list.InsertString(5, "beyond"), LB_ERR);
        EXPECT_THAT(user.Lines(IDC_T_LIST), ElementsAre("z", "b", "a", "c"));
        EXPECT_EQ(list.GetCount(), 4);
    });
}

TEST_F(ListAndComboTest, DeleteAnswersTheLinesLeftOrAnErrorForABadIndex) {
    Run([](DialogDriver& user, CListBox& list, CComboBox&) {
        list.AddString("a");
        list.AddString("b");
        EXPECT_EQ(list.DeleteString(0), 1);
        EXPECT_EQ(list.DeleteString(1), LB_ERR);
        EXPECT_EQ(list.DeleteString(static_cast<UINT>(-1)), LB_ERR);
        EXPECT_EQ(list.DeleteString(0), 0);
        EXPECT_EQ(list.DeleteString(0), LB_ERR);
        EXPECT_TRUE(user.Lines(IDC_T_LIST).empty());
    });
}

TEST_F(ListAndComboTest, SelectionReadsMinusOneWhenNoneAndFollowsItsLine) {
    Run([](DialogDriver&, CListBox& list, CComboBox&) {
        for (const char* s : {"a", "b", "c", "d"}) list.AddString(s);
        EXPECT_EQ(list.GetCurSel(), LB_ERR);
        EXPECT_EQ(list.SetCurSel(2), 2);
        EXPECT_EQ(list.SetCurSel(9), LB_ERR);  // a bad index keeps the selection
        EXPECT_EQ(list.GetCurSel(), 2);
        list.InsertString(0, "new");  // the selected line moves down and stays selected
        EXPECT_EQ(list.GetCurSel(), 3);
        list.DeleteString(0);
        EXPECT_EQ(list.GetCurSel(), 2);
        list.DeleteString(2);  // deleting the selected line leaves none
        EXPECT_EQ(list.GetCurSel(), LB_ERR);
        list.SetCurSel(1);
        EXPECT_EQ(list.SetCurSel(-1), LB_ERR);  // clears, and says LB_ERR even so
        EXPECT_EQ(list.GetCurSel(), LB_ERR);
        list.SetCurSel(0);
        list.ResetContent();
        EXPECT_EQ(list.GetCurSel(), LB_ERR);
        EXPECT_EQ(list.GetCount(), 0);
    });
}

TEST_F(ListAndComboTest, TextIsReadWholeIncludingBytesThatAreNotValidText) {
    const std::string line = "\x83\x5C" + std::string(1000, 'x');
    Run([&](DialogDriver&, CListBox& list, CComboBox&) {
        list.AddString(line.c_str());
        CString text;
        EXPECT_EQ(list.GetText(0, text), static_cast<int>(line.size()));
        EXPECT_EQ(text, CString(line));
        EXPECT_EQ(list.GetText(1, text), LB_ERR);
        EXPECT_TRUE(text.IsEmpty());
        EXPECT_EQ(list.GetTextLen(-1), LB_ERR);
    });
}

TEST_F(ListAndComboTest, ComboStartsWithItsTemplateItemsAndABadIndexClearsItsSelection) {
    Run([](DialogDriver& user, CListBox&, CComboBox& combo) {
        EXPECT_THAT(user.Lines(IDC_T_COMBO), ElementsAre("zero", "one", "two"));
        EXPECT_EQ(combo.GetCurSel(), CB_ERR);
        EXPECT_EQ(combo.SetCurSel(1), 1);
        EXPECT_EQ(user.Text(IDC_T_COMBO), "one");
        EXPECT_EQ(combo.SetCurSel(3), CB_ERR);
        EXPECT_EQ(combo.GetCurSel(), CB_ERR);
        EXPECT_EQ(combo.AddString("three"), 3);
        EXPECT_EQ(combo.GetCount(), 4);
    });
}

TEST_F(ListAndComboTest, RedrawCanBeSwitchedOffAndRepaintsAreCounted) {
    Run([](DialogDriver& user, CListBox& list, CComboBox&) {
        list.SetRedraw(FALSE);
        EXPECT_FALSE(user.Redraws(IDC_T_LIST));
        list.SetRedraw(TRUE);
        list.InvalidateRect(nullptr, TRUE);
        EXPECT_TRUE(user.Redraws(IDC_T_LIST));
        EXPECT_EQ(user.Invalidations(IDC_T_LIST), 1);
    });
}
