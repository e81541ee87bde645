// Switching the display mode of the real player window with 10,000 entries, on the Qt window
// system (offscreen unless QT_QPA_PLATFORM says otherwise): the time from choosing a combo item
// to the list refilled, then to the list painted again; and, on the same list box, what the two
// halves of the refill cost alone (deleting line 0 until it is empty, adding every line), each
// with redrawing off as the program does it.
//
//   display_mode_qt [ENTRIES]     (default 10000)
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QListView>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/QvApp.h"
#include "bench/BenchSongs.h"
#include "platform/Installed.h"
#include "platform/files.h"
#include "platform/mci.h"
#include "platform/posix/RegistryFile.h"
#include "platform/posix/files_posix.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/registry.h"
#include "platform/sequencer/SequencerMci.h"
#include "platform/sequencer/SmfWriter.h"
#include "platform/sequencer/WindowPoster.h"
#include "platform/window.h"
#include "res/resource.h"

namespace {

using qv::Installed;

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 5;

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Figures {
    std::vector<double> refilled, painted, deletes, adds;
    int lines = 0;
};

// What a user's choice of a combo item does: the combo changes, then says it was activated.
void Choose(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void Measure(qv::qtui::QtWindowSystem& windows, qv::HWND hDlg, Figures& f) {
    auto* combo = static_cast<QComboBox*>(windows.WidgetOf(qv::GetDlgItem(hDlg, IDC_DISPLAYMODE)));
    qv::HWND hList = qv::GetDlgItem(hDlg, IDC_PLAYLIST);
    auto* list = static_cast<QListView*>(windows.WidgetOf(hList));
    QCoreApplication::processEvents();
    f.lines = list->model()->rowCount();
    for (int round = 0; round < kRounds; ++round) {
        for (int mode : {1, 2, 0}) {
            const auto start = Clock::now();
            Choose(combo, mode);
            const auto refilled = Clock::now();
            list->repaint();
            QCoreApplication::processEvents();
            f.refilled.push_back(Ms(start, refilled));
            f.painted.push_back(Ms(start, Clock::now()));
        }
    }
    // The two halves of a refill, sent to the same list box as the program sends them.
    std::vector<std::string> lines(static_cast<std::size_t>(f.lines));
    for (int i = 0; i < f.lines; ++i) {
        char buffer[1024] = {};
        qv::SendMessageA(hList, LB_GETTEXT, static_cast<std::uintptr_t>(i),
                         reinterpret_cast<std::intptr_t>(buffer));
        lines[static_cast<std::size_t>(i)] = buffer;
    }
    for (int round = 0; round < kRounds; ++round) {
        qv::SendMessageA(hList, WM_SETREDRAW, 0, 0);
        auto start = Clock::now();
        while (qv::SendMessageA(hList, LB_DELETESTRING, 0, 0) > 0) {
        }
        f.deletes.push_back(Ms(start, Clock::now()));
        start = Clock::now();
        for (const std::string& line : lines)
            qv::SendMessageA(hList, LB_ADDSTRING, 0, reinterpret_cast<std::intptr_t>(line.c_str()));
        f.adds.push_back(Ms(start, Clock::now()));
        qv::SendMessageA(hList, WM_SETREDRAW, 1, 0);
        QCoreApplication::processEvents();
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int entries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const auto dir = std::filesystem::temp_directory_path() /
                     ("quavel-bench-modes-" + std::to_string(::getpid()));
    qvbench::WriteSongs(dir / "songs", entries);
    const std::string songs = (dir / "songs").string();

    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    qv::qtui::QtWindowSystem windows;
    Installed<qv::IWindowSystem, qv::InstallWindowSystem> installWindows(windows);
    qv::PosixFileSystem files;
    Installed<qv::IFileSystem, qv::InstallFileSystem> installFiles(files);
    qv::posix::RegistryFile registry((dir / "registry.reg").string());
    Installed<qv::IRegistry, qv::InstallRegistry> installRegistry(registry);
    qv::seq::SequencerOptions options;
    options.poster = qv::seq::MakeWindowPoster();
    options.makeOutput = [] { return std::make_unique<qv::seq::NullMidiOut>(); };
    qv::seq::SequencerMci sequencer(std::move(options));
    Installed<qv::IMci, qv::InstallMci> installMci(sequencer);

    Figures f;
    windows.SetDialogShownHook([&](qv::HWND hDlg, std::uint32_t templateId) {
        if (templateId != IDD_PLAYER) return;
        QTimer::singleShot(0, [&, hDlg] {
            Measure(windows, hDlg, f);
            // The quit question, while a song plays, is answered as the user would.
            auto* answer = new QTimer(&application);
            QObject::connect(answer, &QTimer::timeout, [] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    box->accept();
            });
            answer->start(50);
            qv::SendMessageA(hDlg, WM_COMMAND, IDOK, 0);
        });
    });
    const char* pieces[] = {songs.c_str()};
    theApp.SetCommandLinePieces(1, pieces);
    AfxWinMain();
    std::filesystem::remove_all(dir);

    std::printf("display mode switch, Qt list box with %d lines (%s), median of %zu:\n", f.lines,
                qPrintable(QGuiApplication::platformName()), f.refilled.size());
    std::printf("  choice to list refilled   %9.1f ms\n", Median(f.refilled));
    std::printf("  choice to list painted    %9.1f ms\n", Median(f.painted));
    std::printf("  delete line 0 until empty %9.1f ms   (redraw off)\n", Median(f.deletes));
    std::printf("  add every line            %9.1f ms   (redraw off)\n", Median(f.adds));
    return f.lines == entries ? 0 : 1;
}
