// The player dialog's list with 10,000 MIDI files, on the headless window system and the real
// file system: dropping the folder against CPlayList::Add alone over the same files in the same
// run (target: at most 15% more time), switching the display mode, and saving and loading the
// list with its title file (target: loading opens no MIDI file). Exit status 1 when a target is
// missed.
//
//   dialog_list [FILES]     (default 10000)
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/PlayerDlg.h"
#include "bench/BenchSongs.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/posix/files_posix.h"
#include "res/resource.h"

namespace {

constexpr int kRounds = 7;
constexpr double kMaxOverhead = 0.15;

using Clock = std::chrono::steady_clock;
using qv::headless::DialogDriver;

// Counts the MIDI files opened, to show that a list with a current title file opens none.
class CountingFileSystem : public qv::PosixFileSystem {
public:
    qv::HANDLE CreateFileA(const char* name, std::uint32_t access, std::uint32_t shareMode,
                           std::uint32_t disposition, std::uint32_t flags) override {
        std::string_view n(name ? name : "");
        if (n.size() > 4 && n.substr(n.size() - 4) == ".mid") ++midiOpens;
        return PosixFileSystem::CreateFileA(name, access, shareMode, disposition, flags);
    }
    int midiOpens = 0;
};

template <typename Action>
double Seconds(Action action) {
    auto start = Clock::now();
    action();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A big drop goes on in posted slices: it is done when nothing more is posted.
void DropAll(DialogDriver& d, const std::string& path) {
    (void)d.Drop({path});
    while (d.Pump() > 0) {
    }
}

struct Figures {
    std::vector<double> drop, add, ratio, modes;
    double save = 0, load = 0;
    int dropped = 0, loaded = 0, loadOpens = -1;
};

void Measure(CPlayerDlg& dlg, DialogDriver& d, qv::headless::HeadlessWindowSystem& windows,
             CountingFileSystem& files, const std::string& folder, Figures& f) {
    dlg.DragAcceptFiles(TRUE);
    for (int round = 0; round < kRounds; ++round) {
        dlg.OnClear();
        double drop = Seconds([&] { DropAll(d, folder); });
        f.dropped = dlg.m_list.GetSize();
        // The same files in the same order, offered to the model alone.
        CStringArray paths = dlg.m_list.m_aPaths;
        auto list = std::make_unique<CPlayList>();
        double add = Seconds([&] {
            for (const CString& path : paths) list->Add(path);
        });
        f.drop.push_back(drop);
        f.add.push_back(add);
        f.ratio.push_back(drop / add);
    }
    for (int mode : {1, 2, 0, 2, 1, 0}) {
        f.modes.push_back(Seconds([&] { (void)d.ChooseItem(IDC_DISPLAYMODE, mode); }));
    }
    dlg.m_settings.Value(IDS_YESSAVETITLE).SetDword(1);
    std::string list = folder + "/../bench.qvl";
    windows.AnswerFileDialog(list);
    f.save = Seconds([&] { (void)d.Click(IDC_SAVE); });
    dlg.OnClear();
    files.midiOpens = 0;
    f.load = Seconds([&] { DropAll(d, list); });
    f.loadOpens = files.midiOpens;
    f.loaded = dlg.m_list.GetSize();
    qv::EndDialog(d.Handle(), IDOK);  // without the quit sequence
}

}  // namespace

int main(int argc, char** argv) {
    const int entries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    std::string root = (std::filesystem::temp_directory_path() / "quavel-bench-XXXXXX").string();
    if (!::mkdtemp(root.data())) {
        std::perror("mkdtemp");
        return 2;
    }
    std::string folder = root + "/songs";
    qvbench::WriteSongs(folder, entries);

    CountingFileSystem files;
    qv::InstallFileSystem(&files);
    qv::headless::HeadlessWindowSystem windows;
    qv::InstallWindowSystem(&windows);
    Figures f;
    {
        CPlayerDlg dlg;
        windows.OnDialog(IDD_PLAYER,
                         [&](DialogDriver& d) { Measure(dlg, d, windows, files, folder, f); });
        dlg.DoModal();
    }
    qv::InstallWindowSystem(nullptr);
    qv::InstallFileSystem(nullptr);
    std::filesystem::remove_all(root);

    double overhead = Median(f.ratio) - 1.0;
    std::printf("files: %d, dropped: %d, rounds: %d\n", entries, f.dropped, kRounds);
    std::printf("drop on the dialog:  %.1f ms (median)\n", Median(f.drop) * 1e3);
    std::printf("CPlayList::Add only: %.1f ms (median)\n", Median(f.add) * 1e3);
    std::printf("dialog overhead: %.1f%% median, %.1f%% to %.1f%% (target < %.0f%%)\n",
                overhead * 100, (*std::min_element(f.ratio.begin(), f.ratio.end()) - 1) * 100,
                (*std::max_element(f.ratio.begin(), f.ratio.end()) - 1) * 100, kMaxOverhead * 100);
    std::printf("display mode switch: %.2f ms (median of %zu)\n", Median(f.modes) * 1e3,
                f.modes.size());
    std::printf(
        "save with titles: %.1f ms; load with current titles: %.1f ms, %d entries, "
        "%d MIDI files opened\n",
        f.save * 1e3, f.load * 1e3, f.loaded, f.loadOpens);
    bool ok =
        overhead < kMaxOverhead && f.dropped == entries && f.loaded == entries && f.loadOpens == 0;
    return ok ? 0 : 1;
}
