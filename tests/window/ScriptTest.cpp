#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "framework/FileDialog.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "tests/support/WindowTestFixture.h"

using ::testing::HasSubstr;

using ScriptTest = WindowTestFixture;

namespace {
constexpr DWORD kOpenFlags =
    OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
constexpr const char* kOpenFilter =
    "MIDIファイル(*.MID)|*.MID|リストファイル(*.qvl)|*.qvl|すべてのファイル(*.*)|*.*||";
}  // namespace

TEST_F(ScriptTest, MessageBoxesRecordWhatTheyAskedAndTakeTheQueuedAnswers) {
    windows.AnswerMessageBox(IDCANCEL);
    windows.AnswerMessageBox(IDOK);
    windows.AnswerMessageBox(IDOK);
    EXPECT_EQ(AfxMessageBox("終了しますか?", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(AfxMessageBox(IDS_READ_FAILED, MB_OK | MB_ICONEXCLAMATION), IDOK);
    {
        CWinApp app("Other name");
        AfxMessageBox("named");
    }
    const auto& asked = windows.MessageBoxes();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].caption, "Quavel");  // no application object: the product name
    EXPECT_EQ(asked[0].type, static_cast<std::uint32_t>(MB_OKCANCEL));
    EXPECT_EQ(asked[1].text, "読み込みに失敗しました");
    EXPECT_EQ(asked[1].type, static_cast<std::uint32_t>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(asked[2].caption, "Other name");
}

TEST_F(ScriptTest, AnUnansweredOrImpossibleMessageBoxAnswerFailsAndIsTakenAsTheSafeButton) {
    std::vector<std::string> failures;
    windows.SetFailureHandler([&](const std::string& what) { failures.push_back(what); });
    EXPECT_EQ(AfxMessageBox("quit?", MB_OKCANCEL), IDCANCEL);
    windows.AnswerMessageBox(IDCANCEL);  // an OK-only box has no Cancel
    EXPECT_EQ(AfxMessageBox("failed", MB_OK), IDOK);
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_THAT(failures[0], HasSubstr("\"quit?\" appeared without a scripted answer"));
    EXPECT_THAT(failures[1], HasSubstr("not a button"));
}

TEST_F(ScriptTest, OpenDialogIsAskedWithFilterFlagsAndTitleAndAnswersTheSelection) {
    windows.AnswerFileDialog("/music a.mid b.mid c.mid");
    CFileDialog dlg(TRUE, nullptr, nullptr, kOpenFlags, kOpenFilter);
    dlg.m_ofn.lpstrTitle = "参照";
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.GetSelectionText(), "/music a.mid b.mid c.mid");
    ASSERT_EQ(windows.FileDialogs().size(), 1u);
    const qv::headless::FileDialogCall& asked = windows.FileDialogs()[0];
    EXPECT_FALSE(asked.save);
    EXPECT_EQ(asked.filter, kOpenFilter);
    EXPECT_EQ(asked.flags, 0x1A04u);
    EXPECT_EQ(asked.title, "参照");
    EXPECT_EQ(asked.defExt, "");
}

TEST_F(ScriptTest, SaveDialogAddsTheDefaultExtensionOnlyWhenTheNameHasNone) {
    const char* filter = "リストファイル(*.qvl)|*.qvl|すべてのファイル(*.*)|*.*||";
    struct Case {
        const char* typed;
        const char* path;
        const char* ext;
    } cases[] = {
        {"/tmp/list", "/tmp/list.qvl", "qvl"},
        {"/tmp/list.txt", "/tmp/list.txt", "txt"},
        {"/tmp/v1.2/list", "/tmp/v1.2/list.qvl", "qvl"},  // a dot in a folder is no extension
        {"/tmp/list.", "/tmp/list.", ""},
    };
    for (const Case& c : cases) {
        windows.AnswerFileDialog(c.typed);
        CFileDialog dlg(FALSE, "qvl", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter);
        ASSERT_EQ(dlg.DoModal(), IDOK) << c.typed;
        EXPECT_EQ(dlg.GetPathName(), c.path);
        EXPECT_EQ(dlg.GetFileExt(), c.ext) << c.typed;
    }
    EXPECT_TRUE(windows.FileDialogs().back().save);
    EXPECT_EQ(windows.FileDialogs().back().defExt, "qvl");
}

TEST_F(ScriptTest, AChoiceThatDoesNotFitIsRefusedRatherThanCut) {
    std::string longPath = "/" + std::string(300, 'd') + "/song.mid";
    windows.AnswerFileDialog(longPath);
    CFileDialog single(TRUE, nullptr, "initial.mid", OFN_HIDEREADONLY, kOpenFilter);
    EXPECT_EQ(single.DoModal(), IDCANCEL);
    EXPECT_EQ(single.GetPathName(), "initial.mid");
    EXPECT_FALSE(windows.FileDialogs().back().confirmed);
    EXPECT_EQ(windows.FileDialogs().back().initialFile, "initial.mid");

    // A multiple selection has room for many long names.
    std::string many = "/music";
    for (int i = 0; i < 40; ++i) many += " " + std::string(100, 'n') + std::to_string(i) + ".mid";
    windows.AnswerFileDialog(many);
    CFileDialog multiple(TRUE, nullptr, nullptr, kOpenFlags, kOpenFilter);
    ASSERT_EQ(multiple.DoModal(), IDOK);
    EXPECT_EQ(multiple.GetSelectionText(), CString(many));
}

TEST_F(ScriptTest, CancelledOrUnscriptedFileDialogsAnswerCancel) {
    windows.CancelFileDialog();
    CFileDialog cancelled(TRUE);
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);

    std::vector<std::string> failures;
    windows.SetFailureHandler([&](const std::string& what) { failures.push_back(what); });
    CFileDialog unscripted(FALSE, "qvl");
    EXPECT_EQ(unscripted.DoModal(), IDCANCEL);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_THAT(failures[0], HasSubstr("save dialog appeared without a scripted answer"));
}
