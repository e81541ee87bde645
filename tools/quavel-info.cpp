// quavel-info FILE...: what the player makes of each file, one line per file:
//   path TAB answer TAB title
// The answer is ReadTitle's: -1 refused (the title column is then empty), 0 the file name stands
// in as title, otherwise the title's byte length. The title is printed byte for byte as read.
#include <cstdio>
#include <vector>

#include "framework/String.h"
#include "platform/files.h"
#include "platform/posix/files_posix.h"
#include "playlist/PlayList.h"

namespace {

std::vector<CString> InfoColumns(const char* pszPath) {
    CString strTitle;
    int nAnswer = CPlayList::ReadTitle(pszPath, strTitle);
    CString strAnswer;
    strAnswer.Format("%d", nAnswer);
    return {CString(pszPath), strAnswer, strTitle};
}

void PrintLine(const std::vector<CString>& columns) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0) std::fputc('\t', stdout);
        std::fwrite(columns[i].GetString(), 1, static_cast<std::size_t>(columns[i].GetLength()),
                    stdout);
    }
    std::fputc('\n', stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quavel-info FILE...\n");
        return 2;
    }
    qv::PosixFileSystem fileSystem;
    qv::InstallFileSystem(&fileSystem);
    for (int i = 1; i < argc; ++i) PrintLine(InfoColumns(argv[i]));
    qv::InstallFileSystem(nullptr);
    return 0;
}
