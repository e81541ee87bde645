// Plays MIDI files one after another through the sequencer, as the player would, and prints
// each length. QUAVEL_MIDI_OUT and QUAVEL_SOUNDFONT choose the output (wav:PATH records one).
// Usage: seq-play FILE...
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "platform/sequencer/SequencerMci.h"

int main(int argc, char** argv) {
    std::mutex mutex;
    std::condition_variable cv;
    std::uint32_t code = 0;
    qv::seq::SequencerOptions options;
    options.poster = [&](std::uintptr_t, std::uint32_t c, std::uint32_t) {
        std::lock_guard<std::mutex> guard(mutex);
        code = c;
        cv.notify_all();
    };
    qv::seq::SequencerMci mci(options);
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        qv::MCI_OPEN_PARMS open{};
        open.lpstrDeviceType = "sequencer";
        open.lpstrElementName = argv[i];
        if (const auto error = mci.SendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                                               reinterpret_cast<std::uintptr_t>(&open))) {
            std::fprintf(stderr, "%s: MCI error %u\n", argv[i], error);
            ++failures;
            continue;
        }
        qv::MCI_STATUS_PARMS status{};
        status.dwItem = MCI_STATUS_LENGTH;
        mci.SendCommand(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM,
                        reinterpret_cast<std::uintptr_t>(&status));
        std::printf("%s: %lu ms\n", argv[i], static_cast<unsigned long>(status.dwReturn));
        std::fflush(stdout);
        qv::MCI_PLAY_PARMS play{};
        code = 0;
        mci.SendCommand(open.wDeviceID, MCI_PLAY, MCI_FROM | MCI_NOTIFY,
                        reinterpret_cast<std::uintptr_t>(&play));
        {
            std::unique_lock<std::mutex> lock(mutex);
            cv.wait(lock, [&] { return code != 0; });
        }
        qv::MCI_GENERIC_PARMS generic{};
        mci.SendCommand(open.wDeviceID, MCI_CLOSE, 0, reinterpret_cast<std::uintptr_t>(&generic));
    }
    return failures ? 1 : 0;
}
