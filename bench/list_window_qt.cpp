// Lists of 1,000, 10,000 and 100,000 songs in the real player window on the Qt window system
// (offscreen unless QT_QPA_PLATFORM says otherwise), each step timed from the user's act to the
// window done with it:
// - dropping a folder, with the longest single step of the window thread while it is added (a
//   heartbeat timer that fires on every turn of the event loop records the longest gap), against
//   the floor of the same files offered to CPlayList::Add alone and a bare open/read-512/close
//   loop over them;
// - switching the display mode, shuffling, saving the list with its title file, and loading it
//   again by dropping it (titles from the title file, so no MIDI file is opened);
// - the resident memory per entry above the empty window;
// - what the file system alone takes to start enumerating the folder (FindFirstFileA), which
//   lies in the drop's first step.
// Each figure's growth from 10,000 to 100,000 is printed as an exponent: log(t100k/t10k)/log 10.
//
//   list_window_qt [ROUNDS] [LARGEST]     (default 3 rounds, 100000)
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/PlayerDlg.h"
#include "bench/BenchSongs.h"
#include "platform/Installed.h"
#include "platform/files.h"
#include "platform/mci.h"
#include "platform/posix/RegistryFile.h"
#include "platform/posix/files_posix.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/registry.h"
#include "platform/sequencer/SequencerMci.h"
#include "platform/sequencer/WindowPoster.h"
#include "platform/window.h"
#include "res/resource.h"

namespace {

using qv::Installed;
using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double ResidentKb() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1024.0;
}

// The longest time between two turns of the event loop while armed.
class Heartbeat {
public:
    Heartbeat() {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            m_longest = std::max(m_longest, Ms(m_last, now));
            m_last = now;
            if (m_onBeat) m_onBeat();
        });
    }
    // Runs the event loop until done() holds (checked on every turn); answers the time taken.
    template <typename Done>
    double RunUntil(Done done) {
        QEventLoop loop;
        const auto start = Clock::now();
        m_last = start;
        m_longest = 0;
        m_onBeat = [&] {
            if (done() || Ms(start, Clock::now()) > 600000) loop.quit();
        };
        m_timer.start();
        loop.exec();
        m_timer.stop();
        m_onBeat = nullptr;
        return Ms(start, Clock::now());
    }
    double Longest() const { return m_longest; }

private:
    QTimer m_timer;
    Clock::time_point m_last;
    double m_longest = 0;
    std::function<void()> m_onBeat;
};

double BareLoop(const CStringArray& paths) {
    char buffer[512];
    const auto start = Clock::now();
    for (const CString& path : paths) {
        int fd = ::open(path.GetString(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        if (::read(fd, buffer, sizeof buffer) < 0) std::fputs("read failed\n", stderr);
        ::close(fd);
    }
    return Ms(start, Clock::now());
}

double ModelAlone(const CStringArray& paths) {
    auto list = std::make_unique<CPlayList>();
    const auto start = Clock::now();
    for (const CString& path : paths) list->Add(path);
    return Ms(start, Clock::now());
}

struct Sample {
    std::vector<double> drop, dropStep, listing, model, bare, modes, shuffle, save, load, loadStep;
    double residentKbPerEntry = 0;
    int dropped = 0, loaded = 0;
};

class Bench {
public:
    Bench(qv::qtui::QtWindowSystem& windows, CPlayerDlg& dlg, qv::HWND hDlg)
        : m_windows(windows),
          m_dlg(dlg),
          m_hDlg(hDlg),
          m_hList(qv::GetDlgItem(hDlg, IDC_PLAYLIST)) {}

    void Round(int entries, const std::string& folder, const std::string& listFile, Sample& s) {
        m_dlg.OnClear();
        QCoreApplication::processEvents();
        s.drop.push_back(Drop(folder, entries));
        s.dropStep.push_back(m_beat.Longest());
        s.dropped = m_dlg.m_list.GetSize();
        s.listing.push_back(Listing(folder));
        // After the first drop, as a user who drops a folder on the new window has it.
        if (s.drop.size() == 1) s.residentKbPerEntry = (ResidentKb() - m_emptyKb) / entries;
        // The same files in the same order, alone, side by side with the drop.
        const CStringArray paths = m_dlg.m_list.m_aPaths;
        s.model.push_back(ModelAlone(paths));
        s.bare.push_back(BareLoop(paths));
        s.modes.push_back(SwitchModes());
        s.shuffle.push_back(Timed([&] { Click(IDC_SHUFFLE); }));
        s.save.push_back(Save(listFile));
        m_dlg.OnClear();
        QCoreApplication::processEvents();
        s.load.push_back(Drop(listFile, entries));
        s.loadStep.push_back(m_beat.Longest());
        s.loaded = m_dlg.m_list.GetSize();
    }
    void NoteEmpty() { m_emptyKb = ResidentKb(); }

private:
    // What the file system takes to start enumerating the folder: the part of the drop's first
    // step that is not the program's.
    static double Listing(const std::string& folder) {
        qv::WIN32_FIND_DATAA data;
        const auto start = Clock::now();
        qv::HANDLE find = qv::FindFirstFileA((folder + "/*.*").c_str(), &data);
        const double ms = Ms(start, Clock::now());
        if (find != INVALID_HANDLE_VALUE) qv::FindClose(find);
        return ms;
    }
    // From the drop to the window done with it: every entry listed and the list drawn again.
    double Drop(const std::string& path, int entries) {
        m_windows.DropPaths(m_hDlg, {path});
        return m_beat.RunUntil(
            [&] { return m_dlg.m_list.GetSize() >= entries && m_windows.Redraws(m_hList); });
    }
    template <typename Act>
    double Timed(Act act) {
        const auto start = Clock::now();
        act();
        m_windows.WidgetOf(m_hList)->repaint();
        QCoreApplication::processEvents();
        return Ms(start, Clock::now());
    }
    void Click(int id) {
        qv::SendMessageA(m_hDlg, WM_COMMAND, static_cast<std::uintptr_t>(id),
                         reinterpret_cast<std::intptr_t>(qv::GetDlgItem(m_hDlg, id)));
    }
    // One switch through each mode, as a user's choice of a combo item; the median of the three.
    double SwitchModes() {
        auto* combo =
            static_cast<QComboBox*>(m_windows.WidgetOf(qv::GetDlgItem(m_hDlg, IDC_DISPLAYMODE)));
        std::vector<double> times;
        for (int mode : {1, 2, 0}) {
            times.push_back(Timed([&] {
                combo->setCurrentIndex(mode);
                emit combo->activated(mode);
            }));
        }
        return Median(times);
    }
    // From the save dialog's OK to the files written: the dialog's own time is not the list's.
    double Save(const std::string& listFile) {
        m_dlg.m_settings.Value(IDS_YESSAVETITLE).SetDword(1);
        std::filesystem::remove(listFile);
        Clock::time_point accepted;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                // The name as typed: selectFile of a name in the folder shown picks the folder.
                if (auto* name = box->findChild<QLineEdit*>("fileNameEdit"))
                    name->setText(QString::fromStdString(listFile));
                accepted = Clock::now();
                static_cast<QDialog*>(box)->done(QDialog::Accepted);
            }
        });
        answer.start(20);
        Click(IDC_SAVE);
        answer.stop();
        const auto done = Clock::now();
        QCoreApplication::processEvents();
        return Ms(accepted, done);
    }

    qv::qtui::QtWindowSystem& m_windows;
    CPlayerDlg& m_dlg;
    qv::HWND m_hDlg;
    qv::HWND m_hList;
    Heartbeat m_beat;
    double m_emptyKb = 0;
};

double Exponent(double small, double big, int ratio) {
    return small > 0 && big > 0 ? std::log(big / small) / std::log(ratio) : 0;
}

void Report(const std::map<int, Sample>& samples) {
    auto figure = [&](const char* name, std::vector<double> Sample::*field) {
        std::printf("%-34s", name);
        std::vector<double> medians;
        for (const auto& [n, s] : samples) {
            medians.push_back(Median(s.*field));
            std::printf(" %10.1f", medians.back());
        }
        const std::size_t k = medians.size();
        const double exponent =
            k >= 2 ? Exponent(medians[k - 2], medians[k - 1],
                              std::prev(samples.end())->first / std::prev(samples.end(), 2)->first)
                   : 0;
        std::printf("   exponent %.2f\n", exponent);
        std::printf("FIGURE %s exponent=%.2f last_ms=%.1f\n", name, exponent,
                    medians.empty() ? 0 : medians.back());
    };
    std::printf("%-34s", "entries (ms, median of rounds)");
    for (const auto& [n, s] : samples) std::printf(" %10d", n);
    std::printf("\n");
    figure("drop", &Sample::drop);
    figure("drop_step", &Sample::dropStep);
    figure("folder_listing", &Sample::listing);
    figure("model_alone", &Sample::model);
    figure("bare_loop", &Sample::bare);
    figure("mode_switch", &Sample::modes);
    figure("shuffle", &Sample::shuffle);
    figure("save", &Sample::save);
    figure("load", &Sample::load);
    figure("load_step", &Sample::loadStep);
    const auto& [largest, last] = *samples.rbegin();
    std::vector<double> overModel, overBare;
    for (std::size_t i = 0; i < last.drop.size(); ++i) {
        overModel.push_back(last.drop[i] / last.model[i]);
        overBare.push_back(last.drop[i] / last.bare[i]);
    }
    std::printf("FIGURE window_over_model entries=%d ratio=%.2f\n", largest, Median(overModel));
    std::printf("FIGURE window_over_bare entries=%d ratio=%.2f\n", largest, Median(overBare));
    std::printf("FIGURE resident entries=%d kb_per_entry=%.3f\n", largest, last.residentKbPerEntry);
    std::printf("FIGURE entries dropped=%d loaded=%d\n", last.dropped, last.loaded);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int largest = argc > 2 ? std::max(100, std::atoi(argv[2])) : 100000;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const auto dir = std::filesystem::temp_directory_path() /
                     ("quavel-bench-lists-" + std::to_string(::getpid()));
    const std::vector<int> sizes = {largest / 100, largest / 10, largest};
    for (int n : sizes) qvbench::WriteSongs(dir / std::to_string(n), n);

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

    std::map<int, Sample> samples;
    {
        CPlayerDlg dlg;
        windows.SetDialogShownHook([&](qv::HWND hDlg, std::uint32_t templateId) {
            if (templateId != IDD_PLAYER) return;
            QTimer::singleShot(0, [&, hDlg] {
                Bench bench(windows, dlg, hDlg);
                QCoreApplication::processEvents();
                bench.NoteEmpty();
                for (int round = 0; round < rounds; ++round) {
                    // Largest last in a round, so that its memory figure counts every entry.
                    for (int n : sizes) {
                        const std::string list = (dir / ("list" + std::to_string(n) + ".qvl"));
                        bench.Round(n, (dir / std::to_string(n)).string(), list, samples[n]);
                    }
                }
                qv::EndDialog(hDlg, IDOK);  // without the quit sequence
            });
        });
        dlg.DoModal();
    }
    std::filesystem::remove_all(dir);
    std::printf("lists in the Qt window (%s), %d rounds\n",
                qPrintable(QGuiApplication::platformName()), rounds);
    Report(samples);
    const Sample& last = samples.rbegin()->second;
    return last.dropped == largest && last.loaded == largest ? 0 : 1;
}
