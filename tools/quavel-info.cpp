// quavel-info FILE...: what the player makes of each file, one line per file:
//   path TAB answer TAB title TAB length
// The answer is ReadTitle's: -1 refused (the title column is then empty), 0 the file name stands
// in as title, otherwise the title's byte length. The title is printed byte for byte as read.
// The length is what the sequencer reports in milliseconds, or -1 when it cannot open the file.
#include <cstdio>
#include <memory>
#include <vector>

#include "framework/String.h"
#include "platform/files.h"
#include "platform/mci.h"
#include "platform/posix/files_posix.h"
#include "platform/sequencer/MidiOut.h"
#include "platform/sequencer/SequencerMci.h"
#include "playback/MciDevice.h"
#include "playlist/PlayList.h"

namespace {

// Opened the way the player opens an entry, so the figure is the one its read-out shows.
CString LengthColumn(const char* pszPath) {
    CMidiDevice device;
    CString strLength("-1");
    if (device.OpenElementByTypeId(MCI_DEVTYPE_SEQUENCER, pszPath, 0, nullptr) == 0 &&
        device.Set(MCI_FORMAT_MILLISECONDS, static_cast<DWORD>(-1), 0, nullptr) == 0) {
        DWORD dwLength = 0;
        if (device.Status(dwLength, MCI_STATUS_LENGTH, 0, nullptr, 0) == 0) {
            strLength.Format("%lu", static_cast<unsigned long>(dwLength));
        }
    }
    return strLength;
}

std::vector<CString> InfoColumns(const char* pszPath) {
    CString strTitle;
    int nAnswer = CPlayList::ReadTitle(pszPath, strTitle);
    CString strAnswer;
    strAnswer.Format("%d", nAnswer);
    return {CString(pszPath), strAnswer, strTitle, LengthColumn(pszPath)};
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
    // Lengths need no sound: the silent output keeps the sequencer from loading a soundfont.
    qv::seq::SequencerOptions options;
    options.makeOutput = [] { return std::make_unique<qv::seq::NullMidiOut>(); };
    auto sequencer = std::make_unique<qv::seq::SequencerMci>(std::move(options));
    qv::InstallMci(sequencer.get());
    for (int i = 1; i < argc; ++i) PrintLine(InfoColumns(argv[i]));
    qv::InstallMci(nullptr);
    sequencer.reset();
    qv::InstallFileSystem(nullptr);
    return 0;
}
