// The player on Windows: the Win32 window system, files, registry, processes and version
// information, and our sequencer on the Windows MIDI output (or, with QUAVEL_MIDI_OUT=mci, the
// system's own MCI sequencer), installed for the program's whole run.
#include <string>
#include <vector>

#include "app/QvApp.h"
#include "platform/Installed.h"
#include "platform/sequencer/SequencerMci.h"
#include "platform/sequencer/WindowPoster.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Language.h"
#include "platform/win32/Win32Mci.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Version.h"
#include "platform/win32/Win32WindowSystem.h"

namespace {

using qv::Installed;

// The sequencer's player threads are joined before the caller's backends go, so none can post to
// a window system that is gone.
int RunPlayer(qv::IMci& mci, const std::vector<std::string>& arguments) {
    Installed<qv::IMci, qv::InstallMci> installMci(mci);
    std::vector<const char*> pieces;
    for (const std::string& a : arguments) pieces.push_back(a.c_str());
    theApp.SetCommandLinePieces(static_cast<int>(pieces.size()), pieces.data());
    return AfxWinMain();
}

}  // namespace

int RunQuavel(void* instance, const std::vector<std::string>& arguments) {
    qv::SetUiLanguage(qv::win32::UserUiLanguage());
    qv::win32::Win32WindowSystem windows(instance);
    Installed<qv::IWindowSystem, qv::InstallWindowSystem> installWindows(windows);
    qv::win32::Win32FileSystem files;
    Installed<qv::IFileSystem, qv::InstallFileSystem> installFiles(files);
    qv::win32::Win32Registry registry;
    Installed<qv::IRegistry, qv::InstallRegistry> installRegistry(registry);
    qv::win32::Win32Process process;
    Installed<qv::IProcess, qv::InstallProcess> installProcess(process);
    qv::win32::Win32Version version;
    Installed<qv::IVersion, qv::InstallVersion> installVersion(version);

    if (qv::win32::WantsSystemMci()) {
        qv::win32::Win32Mci mci;
        return RunPlayer(mci, arguments);
    }
    qv::seq::SequencerOptions options;
    options.poster = qv::seq::MakeWindowPoster();
    options.tellProblem = qv::seq::MakeProblemPoster();
    qv::seq::SequencerMci sequencer(std::move(options));
    return RunPlayer(sequencer, arguments);
}
