#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "framework/FileDialog.h"
#include "platform/files.h"
#include "tests/support/WindowTestFixture.h"

using ::testing::ElementsAre;

class FileDialogTest : public WindowTestFixture {
protected:
    std::vector<std::string> PathsOf(const std::string& answer, DWORD dwFlags) {
        windows.AnswerFileDialog(answer);
        CFileDialog dialog(TRUE, nullptr, nullptr, dwFlags, "MIDI|*.mid||");
        EXPECT_EQ(dialog.DoModal(), IDOK);
        CStringArray aPaths;
        std::vector<std::string> paths;
        if (!dialog.GetPathNames(aPaths)) return {"(not that form)"};
        for (const CString& path : aPaths) paths.push_back(path.Str());
        return paths;
    }
};

TEST_F(FileDialogTest, ExplorerFormAnswersEveryPathWholeWithItsBlanks) {
    const std::string sep(1, qv::GetPathSeparator());
    const DWORD dwMulti = OFN_ALLOWMULTISELECT | OFN_EXPLORER;
    EXPECT_THAT(PathsOf(std::string("/m\0a b.mid\0c.mid\0", 17), dwMulti),
                ElementsAre("/m" + sep + "a b.mid", "/m" + sep + "c.mid"));
    EXPECT_THAT(PathsOf(std::string("/my music/a b.mid\0", 18), dwMulti),
                ElementsAre("/my music/a b.mid"));
    EXPECT_THAT(PathsOf(sep + std::string("\0a.mid\0b.mid\0", 13), dwMulti),
                ElementsAre(sep + "a.mid", sep + "b.mid"));  // a root keeps one separator
    // The text form is the program's to parse.
    EXPECT_THAT(PathsOf("/m a.mid b.mid", OFN_ALLOWMULTISELECT), ElementsAre("(not that form)"));
}
