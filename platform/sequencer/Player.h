#pragma once
// Plays one song: a thread sends each message at its deadline on the clock, and the commands of
// the device move it between stopped, playing and paused.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/sequencer/Clock.h"
#include "platform/sequencer/MidiOut.h"
#include "platform/sequencer/Song.h"

namespace qv::seq {

enum class PlayMode { Stopped, Playing, Paused };

class Player final : private IClockListener {
public:
    // Posts a notification code to the window whose handle is callback; called from any thread.
    using Notify = std::function<void(std::uintptr_t callback, std::uint32_t code)>;

    Player(Song song, IMidiOut& out, IClock& clock, Notify notify);
    // Aborts a pending notification, silences the output and joins the thread.
    ~Player() override;
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    std::int64_t LengthUs() const { return m_song.lengthUs; }
    std::int64_t PositionUs() const;
    PlayMode Mode() const;

    // Plays from fromUs (none: from the current position) up to toUs, both within the song.
    // A callback asks for a notification when toUs is reached; it replaces a pending one.
    void Play(std::optional<std::int64_t> fromUs, std::int64_t toUs,
              std::optional<std::uintptr_t> callback);
    // Continues a paused play towards its old end; answers false when not paused.
    bool Resume(std::optional<std::uintptr_t> callback);
    void Pause();
    void Stop();
    void Seek(std::int64_t toUs);
    // Blocks until a play has ended or been interrupted.
    void WaitWhilePlaying();

private:
    void OnClockMoved() override;
    void Run();
    bool HoldUntilOutputReady(std::unique_lock<std::mutex>& lock);
    void Park(std::unique_lock<std::mutex>& lock, std::int64_t deadlineUs);
    void DispatchUntil(std::int64_t songUs);
    void FinishLocked();
    void StartLocked(std::int64_t fromUs);
    void HaltLocked(PlayMode mode);
    std::int64_t PositionLocked() const;
    void SettleNotification(std::optional<std::uintptr_t> replacement, std::uint32_t code);
    void Wake();

    const Song m_song;
    IMidiOut& m_out;
    IClock& m_clock;
    const Notify m_notify;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;     // commands and clock moves for the thread
    std::condition_variable m_changed;  // a play ended
    // The thread parked: only a manual clock's move waits for it, so a waiter for the end of a
    // play is not woken at every deadline.
    std::condition_variable m_parkedCv;
    PlayMode m_mode = PlayMode::Stopped;
    std::size_t m_cursor = 0;        // the first event not yet sent
    std::int64_t m_positionUs = 0;   // while not playing
    std::int64_t m_startSongUs = 0;  // while playing: song time at m_startClockUs
    std::int64_t m_startClockUs = 0;
    std::int64_t m_toUs = 0;
    std::optional<std::uintptr_t> m_pending;  // the callback of a pending notification
    bool m_dirty = false;       // something changed that the thread has not looked at yet
    bool m_parked = false;      // the thread waits for its next deadline
    bool m_heldForOut = false;  // a start waited for the output, so its set-up was not heard
    bool m_quit = false;
    std::thread m_thread;  // last: started once everything above is ready
};

}  // namespace qv::seq
