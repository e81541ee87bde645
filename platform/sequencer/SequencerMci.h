#pragma once
// The MIDI sequencer behind the media control seam: each MCI_OPEN of a MIDI file gives a new
// device id with a player of its own; all devices share one output.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/mci.h"
#include "platform/sequencer/Clock.h"
#include "platform/sequencer/DeferredOut.h"
#include "platform/sequencer/MidiOut.h"
#include "platform/sequencer/Player.h"

namespace qv::seq {

// Delivers MM_MCINOTIFY (notification code, device id) to the window callbackWindow.
using Poster = std::function<void(std::uintptr_t callbackWindow, std::uint32_t notifyCode,
                                  std::uint32_t deviceId)>;
using OutputFactory = std::function<std::unique_ptr<IMidiOut>()>;
// Delivers to the window a string id that says why the output makes no sound.
using ProblemPoster = std::function<void(std::uintptr_t window, std::uint32_t messageId)>;

struct SequencerOptions {
    Poster poster;
    IClock* clock = nullptr;   // null: the real monotonic clock
    OutputFactory makeOutput;  // empty: the output the environment asks for
    // An output already being made on a thread of its own, used instead of making one at the
    // first open: the program starts it first thing, so that a soundfont that takes seconds to
    // load holds up neither the window nor the first song's open. The sequencer takes it over and
    // must be its only owner, as it hears from it until it is gone.
    std::shared_ptr<DeferredMidiOut> outputInMaking;
    // Told once a run, when the output has a problem, the window of the first play with a
    // notification: the song has started by then and keeps time silently behind the message.
    ProblemPoster tellProblem;
};

class SequencerMci final : public IMci {
public:
    explicit SequencerMci(SequencerOptions options);
    ~SequencerMci() override;
    SequencerMci(const SequencerMci&) = delete;
    SequencerMci& operator=(const SequencerMci&) = delete;

    MCIERROR SendCommand(MCIDEVICEID deviceId, std::uint32_t msg, std::uintptr_t flags,
                         std::uintptr_t parms) override;

private:
    using Handler = MCIERROR (SequencerMci::*)(MCIDEVICEID, Player&, std::uintptr_t,
                                               std::uintptr_t);
    struct CommandRow {
        std::uint32_t msg;
        Handler handler;
        bool notifiesAtOnce;  // the command is complete on return, so MCI_NOTIFY is answered then
    };
    static const CommandRow kCommands[];

    MCIERROR Open(std::uintptr_t flags, std::uintptr_t parms);
    MCIERROR Close(MCIDEVICEID id, std::uintptr_t flags, std::uintptr_t parms);
    MCIERROR Play(MCIDEVICEID id, Player& player, std::uintptr_t flags, std::uintptr_t parms);
    MCIERROR Pause(MCIDEVICEID id, Player& player, std::uintptr_t flags, std::uintptr_t parms);
    MCIERROR Resume(MCIDEVICEID id, Player& player, std::uintptr_t flags, std::uintptr_t parms);
    MCIERROR Stop(MCIDEVICEID id, Player& player, std::uintptr_t flags, std::uintptr_t parms);
    MCIERROR Seek(MCIDEVICEID id, Player& player, std::uintptr_t flags, std::uintptr_t parms);
    MCIERROR Set(MCIDEVICEID id, Player& player, std::uintptr_t flags, std::uintptr_t parms);
    MCIERROR Status(MCIDEVICEID id, Player& player, std::uintptr_t flags, std::uintptr_t parms);

    std::shared_ptr<Player> Find(MCIDEVICEID id);
    IMidiOut& Output();
    OutputFactory MakeOutput() const;
    void PostSuccess(std::uintptr_t flags, std::uintptr_t parms, MCIDEVICEID id);
    void OutputMade(std::uint32_t problem);
    void TellProblemOnce(std::uintptr_t window);

    SequencerOptions m_options;
    SteadyClock m_steadyClock;
    IClock& m_clock;
    std::mutex m_mutex;
    // Under m_mutex; before the output, whose making thread reports here until it is joined.
    std::optional<std::uint32_t> m_outProblem;  // known once the output is made
    std::uintptr_t m_tellWindow = 0;
    bool m_told = false;
    std::shared_ptr<IMidiOut> m_out;  // before the devices, which use it until they are gone
    std::map<MCIDEVICEID, std::shared_ptr<Player>> m_devices;
    MCIDEVICEID m_nextId = 1;
};

// Reads a whole MIDI file into a song; answers 0 or the MCI error that describes the failure.
MCIERROR LoadSong(const char* path, Song& song);

}  // namespace qv::seq
