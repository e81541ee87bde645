// quavel: the player on Linux. A Qt window, the sequencer with its FluidSynth output, the POSIX
// file system, the registry file, processes and the version resource, each installed for the
// program's whole run and taken down in reverse order.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/QvApp.h"
#include "app/linux/CommandLine.h"
#include "app/linux/DesktopBus.h"
#include "app/linux/RealTime.h"
#include "platform/Installed.h"
#include "platform/files.h"
#include "platform/mci.h"
#include "platform/posix/Process.h"
#include "platform/posix/RegistryFile.h"
#include "platform/posix/Version.h"
#include "platform/posix/files_posix.h"
#include "platform/process.h"
#include "platform/qt/QtLanguage.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/registry.h"
#include "platform/sequencer/DeferredOut.h"
#include "platform/sequencer/Outputs.h"
#include "platform/sequencer/SequencerMci.h"
#include "platform/sequencer/ThreadPriority.h"
#include "platform/sequencer/WindowPoster.h"
#include "platform/version.h"
#include "platform/window.h"

namespace {

using qv::Installed;

constexpr int kExitNoDisplay = 2;

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Qt would abort without a display; say so plainly instead.
bool HasDisplay() {
    return IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
}

// Everything but the window system, which outlives it: the sequencer's player threads are
// joined when this returns, so none can post to a window system that is gone.
int RunPlayer(int argc, char** argv, std::unique_ptr<qv::seq::DeferredMidiOut> output) {
    qv::PosixFileSystem files;
    Installed<qv::IFileSystem, qv::InstallFileSystem> installFiles(files);
    qv::posix::RegistryFile registry(qv::posix::RegistryFile::DefaultPath());
    Installed<qv::IRegistry, qv::InstallRegistry> installRegistry(registry);
    qv::PosixProcess process;
    Installed<qv::IProcess, qv::InstallProcess> installProcess(process);
    qv::PosixVersion version;
    Installed<qv::IVersion, qv::InstallVersion> installVersion(version);

    // Where the limit does not grant the player's thread real time, the desktop's service may.
    qv::seq::SetRealTimeService(qv::desktop::AskDesktopForRealTime);
    qv::seq::SequencerOptions options;
    options.poster = qv::seq::MakeWindowPoster();
    options.outputInMaking = std::move(output);
    options.tellProblem = qv::seq::MakeProblemPoster();
    qv::seq::SequencerMci sequencer(std::move(options));
    Installed<qv::IMci, qv::InstallMci> installMci(sequencer);

    // Each argument is one piece, so a path with blanks stays whole.
    theApp.SetCommandLinePieces(argc - 1, argv + 1);
    return AfxWinMain();
}

}  // namespace

int main(int argc, char** argv) {
    qv::cli::CommandLine commandLine(argc, argv);
    if (commandLine.Done()) return commandLine.Answer(stdout, stderr);
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "quavel: no display to show the player window on (set DISPLAY or "
                     "WAYLAND_DISPLAY, or QT_QPA_PLATFORM)\n");
        return kExitNoDisplay;
    }
    // The synthesizer and its soundfont load while Qt starts and the window comes up; the sound
    // device opens once this start knows it is the player.
    auto output = std::make_unique<qv::seq::DeferredMidiOut>(
        [](const qv::seq::MayOpen& mayOpen) { return qv::seq::MakeOutputFromEnvironment(mayOpen); },
        false);
    // Qt takes its own options (such as -platform) out of argv; what is left are the files.
    QApplication application(commandLine.QtArgc(), commandLine.QtArgv());
    QApplication::setQuitOnLastWindowClosed(false);
    // A player already running in this session takes the files, and this start is done.
    qv::desktop::DesktopBus desktop(commandLine.NewInstance());
    if (desktop.HandOver(commandLine.PlayerArgc(), commandLine.PlayerArgv())) {
        // The running player has the files. The soundfont still loading here opened nothing and
        // is of no use: end now rather than wait for it, so that the start returns at once.
        output->Open(false);
        std::fflush(nullptr);
        std::_Exit(0);
    }
    output->Open(true);
    qv::qtui::InstallQtTranslations(application);
    qv::qtui::QtWindowSystem windows;
    Installed<qv::IWindowSystem, qv::InstallWindowSystem> installWindows(windows);
    // Media controllers are served once the window is up: the bus's answers need not delay it.
    QTimer::singleShot(0, &application, [&desktop, &windows] { desktop.Serve(windows); });
    return RunPlayer(commandLine.PlayerArgc(), commandLine.PlayerArgv(), std::move(output));
}
