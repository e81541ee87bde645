// Companion documents, the document and edit commands, and the About box.
#include "res/resource.h"
#include "tests/support/PlayerFixture.h"

using qv::headless::DialogDriver;

namespace {

// Records the commands the player starts, as "command|argument", and answers as told. Every
// command's window is shown without taking the focus from the player.
class RecordingProcess final : public qv::IProcess {
public:
    std::int32_t Start(const char* pszCommandLine, const char* pszArgument,
                       std::uint16_t wShowWindow) override {
        commandLines.push_back(std::string(pszCommandLine) + "|" +
                               (pszArgument ? pszArgument : ""));
        EXPECT_EQ(wShowWindow, SW_SHOWNA);
        return result;
    }

    std::vector<std::string> commandLines;
    std::int32_t result = 1;
};

class CompanionTest : public PlayerFixture {
protected:
    RecordingProcess process;
    qv::Installed<qv::IProcess, qv::InstallProcess> m_installed{process};
};

TEST_F(CompanionTest, TheDocumentIsTheDocFileElseTheTxtFileOfTheSameBaseName) {
    const std::string both = Song("both.mid", 1000), txt = Song("txt.mid", 1000);
    const std::string none = Song("none.mid", 1000), lower = dir.Write("Sub/lower.txt", "t");
    for (const char* name : {"both.DOC", "both.TXT", "txt.TXT", "bare.DOC"}) dir.Write(name, "d");

    CPlayerDlg dlg;
    CString doc = "untouched";
    EXPECT_FALSE(dlg.FindCompanionDocument(none.c_str(), &doc));
    EXPECT_EQ(doc, "untouched");
    EXPECT_FALSE(dlg.FindCompanionDocument("", &doc));
    // A file without extension, and a document whose folder and name the disk spells otherwise:
    // the program that opens it must be given names that exist.
    std::vector<std::pair<std::string, std::string>> found = {
        {both, dir / "both.DOC"}, {txt, dir / "txt.TXT"}, {dir / "bare", dir / "bare.DOC"}};
#ifndef _WIN32  // a disk without letter case takes any spelling
    found.emplace_back(dir / "SUB/lower.mid", lower);
#endif
    for (const auto& [song, expected] : found) {
        EXPECT_TRUE(dlg.FindCompanionDocument(song.c_str(), &doc)) << song;
        EXPECT_EQ(doc.Str(), expected);
    }
}

// A name with blanks and a dash reaches the command as one argument of its own. The button
// follows the entry looked at or started last; with YesAutoDoc the document also opens by itself
// for every entry that starts, on an advance and a Loop wrap-around too.
TEST_F(CompanionTest, TheDocumentOpensWholeOnTheButtonAndByItselfForEveryEntryThatStartsWhenAsked) {
    const std::string spaced = Song("evil -rf x.mid", 1000), plain = Song("plain.mid", 1000);
    const std::string last = Song("last.mid", 1000);
    dir.Write("evil -rf x.TXT", "t");
    dir.Write("last.DOC", "d");
    const std::string spacedDoc = "VIEWER.EXE|" + (dir / "evil -rf x.TXT");
    RunPlayer([&](CPlayerDlg& dlg, DialogDriver& d) {
        AddEntries(dlg, {spaced, plain, last});
        dlg.m_settings.Value(IDS_AUTODOCCMD).SetString("VIEWER.EXE");
        ASSERT_TRUE(d.ChooseLine(IDC_PLAYLIST, 1));
        EXPECT_FALSE(d.IsEnabled(IDC_DOCUMENT));
        ASSERT_TRUE(d.ChooseLine(IDC_PLAYLIST, 0));
        ASSERT_TRUE(d.IsEnabled(IDC_DOCUMENT));
        ASSERT_TRUE(d.Click(IDC_DOCUMENT));
        EXPECT_EQ(process.commandLines, std::vector<std::string>{spacedDoc});

        // Entries that start set the button too, and it works while playing. YesAutoDoc is off by
        // default.
        ASSERT_TRUE(d.Click(IDC_PLAY));
        EXPECT_TRUE(d.IsEnabled(IDC_DOCUMENT));
        ASSERT_TRUE(d.Click(IDC_NEXT));
        EXPECT_FALSE(d.IsEnabled(IDC_DOCUMENT));
        ASSERT_TRUE(d.Click(IDC_PREV));
        ASSERT_TRUE(d.Click(IDC_DOCUMENT));
        ASSERT_TRUE(d.Click(IDC_STOP));
        EXPECT_EQ(process.commandLines.size(), 2u);

        dlg.m_settings.Value(IDS_YESAUTODOC).SetDword(1);
        ASSERT_TRUE(d.Click(IDC_LOOP));
        ASSERT_TRUE(d.Click(IDC_PLAY));
        for (int song = 0; song < 3; ++song) Run(1000);  // advances, then the wrap-around
        ASSERT_TRUE(d.Click(IDC_PLAY));
        ASSERT_TRUE(d.Click(IDC_PLAY));  // pausing and continuing start nothing
        EXPECT_EQ(process.commandLines,
                  (std::vector<std::string>{spacedDoc, spacedDoc, spacedDoc,
                                            "VIEWER.EXE|" + (dir / "last.DOC"), spacedDoc}));

        // Without a command nothing starts.
        dlg.m_settings.Value(IDS_AUTODOCCMD).SetString("");
        ASSERT_TRUE(d.Click(IDC_DOCUMENT));
        EXPECT_EQ(process.commandLines.size(), 5u);
    });
}

// The command is handed over whole, however long, with the entry's path as the disk spells it. A
// command that cannot start is reported once per command text and run: a document command that
// cannot start must not stop every song.
TEST_F(CompanionTest, EditRunsOnTheSelectedEntryOnlyWhileStoppedAndFailsOnce) {
    const std::string a = Song(std::string(200, 'n') + ".mid", 5000);
    std::string b = Song("Sub/b.mid", 5000);
#ifdef _WIN32
    b = dir / "SUB/B.MID";  // a disk without letter case takes the entry's own spelling
#endif
    const std::string editor = "/opt/editors/" + std::string(100, 'e') + " --new";
    windows.AnswerMessageBox(IDOK);
    windows.AnswerMessageBox(IDOK);
    RunPlayer([&](CPlayerDlg& dlg, DialogDriver& d) {
        AddEntries(dlg, {a, dir / "SUB/B.MID"});
        dlg.OnEdit();  // no command yet
        dlg.m_settings.Value(IDS_RIGHTEDITCMD).SetString(editor.c_str());
        dlg.OnEdit();  // no selection
        EXPECT_TRUE(process.commandLines.empty());

        // Edit follows the list buttons, not the selection: a drop or STOP with an entry selected
        // enables it.
        for (int line : {1, 0}) {
            ASSERT_TRUE(d.ChooseLine(IDC_PLAYLIST, line));
            dlg.EnableListButtons(TRUE);
            ASSERT_TRUE(d.Click(IDC_EDIT));
        }
        EXPECT_EQ(process.commandLines,
                  (std::vector<std::string>{editor + "|" + b, editor + "|" + a}));

        process.result = 0;
        for (const char* command : {"no-such-editor", "no-such-editor", "no-such-editor -x"}) {
            dlg.m_settings.Value(IDS_RIGHTEDITCMD).SetString(command);
            ASSERT_TRUE(d.Click(IDC_EDIT));
        }
        ASSERT_EQ(windows.MessageBoxes().size(), 2u);
        EXPECT_EQ(windows.MessageBoxes()[1].owner, d.Handle());
        EXPECT_EQ(windows.MessageBoxes()[1].text, "コマンドの起動に失敗しました");
        EXPECT_EQ(windows.MessageBoxes()[1].type,
                  static_cast<std::uint32_t>(MB_OK | MB_ICONEXCLAMATION));

        ASSERT_TRUE(d.Click(IDC_PLAY));
        EXPECT_FALSE(d.Click(IDC_EDIT));
        dlg.OnEdit();
        ASSERT_TRUE(d.Click(IDC_PLAY));  // paused
        dlg.OnEdit();
        EXPECT_EQ(process.commandLines.size(), 5u);
    });
}

TEST_F(CompanionTest, TheAboutBoxShowsTheProgramsOwnVersionData) {
    RunPlayer([&](CPlayerDlg&, DialogDriver& d) {
        windows.OnDialog(IDD_ABOUTBOX, [](DialogDriver& about) {
            EXPECT_EQ(about.Caption(), "バージョン情報");
            EXPECT_EQ(about.Text(IDC_PRODUCTNAME), "Quavel");
            EXPECT_EQ(about.Text(IDC_VERSION), "Version 1.00");
            EXPECT_EQ(about.Text(IDC_LEGALNOTICE), "Copyright (C) 2026 Quavel developers");
            EXPECT_TRUE(about.PressEnter());
        });
        ASSERT_TRUE(d.ChooseSystemMenuItem(CPlayerDlg::IDM_SYS_ABOUT));
    });
}

}  // namespace
