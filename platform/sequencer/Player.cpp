#include "platform/sequencer/Player.h"

#include <algorithm>

#include "platform/mci.h"
#include "platform/sequencer/ChannelState.h"
#include "platform/sequencer/ThreadPriority.h"

namespace qv::seq {
namespace {

// How often a play that waits for its output looks again.
constexpr std::int64_t kReadyPollUs = 2000;

}  // namespace

Player::Player(Song song, IMidiOut& out, IClock& clock, Notify notify)
    : m_song(std::move(song)), m_out(out), m_clock(clock), m_notify(std::move(notify)) {
    m_clock.Subscribe(this);
    m_thread = std::thread([this] {
        AskForRealTimePriority();
        Run();
    });
}

Player::~Player() {
    m_clock.Unsubscribe(this);
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        SettleNotification(std::nullopt, MCI_NOTIFY_ABORTED);
        m_quit = true;
        Wake();
    }
    m_thread.join();
    SendSilence(m_out);
}

std::int64_t Player::PositionUs() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return PositionLocked();
}

PlayMode Player::Mode() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_mode;
}

std::int64_t Player::PositionLocked() const {
    if (m_mode != PlayMode::Playing) return m_positionUs;
    if (m_heldForOut || !m_out.IsReady()) return m_startSongUs;
    const std::int64_t songNow = m_startSongUs + (m_clock.NowUs() - m_startClockUs);
    return std::clamp(songNow, m_startSongUs, m_toUs);
}

void Player::Play(std::optional<std::int64_t> fromUs, std::int64_t toUs,
                  std::optional<std::uintptr_t> callback) {
    std::lock_guard<std::mutex> guard(m_mutex);
    SettleNotification(callback, callback ? MCI_NOTIFY_SUPERSEDED : MCI_NOTIFY_ABORTED);
    if (fromUs) {
        if (m_mode == PlayMode::Playing) SendSilence(m_out);
        m_cursor = m_song.FirstAtOrAfter(*fromUs);
        m_positionUs = *fromUs;
        StartLocked(*fromUs);
    } else if (m_mode == PlayMode::Playing) {
        // Already playing: carry on from here towards the new end.
        m_startSongUs = PositionLocked();
        m_startClockUs = m_clock.NowUs();
    } else {
        StartLocked(m_positionUs);
    }
    m_toUs = toUs;
    m_mode = PlayMode::Playing;
    Wake();
}

bool Player::Resume(std::optional<std::uintptr_t> callback) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_mode != PlayMode::Paused) return false;
    SettleNotification(callback, MCI_NOTIFY_SUPERSEDED);
    StartLocked(m_positionUs);
    m_mode = PlayMode::Playing;
    Wake();
    return true;
}

void Player::Pause() {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_mode == PlayMode::Playing) HaltLocked(PlayMode::Paused);
}

void Player::Stop() {
    std::lock_guard<std::mutex> guard(m_mutex);
    HaltLocked(PlayMode::Stopped);
}

void Player::Seek(std::int64_t toUs) {
    std::lock_guard<std::mutex> guard(m_mutex);
    HaltLocked(PlayMode::Stopped);
    m_positionUs = toUs;
    m_cursor = m_song.FirstAtOrAfter(toUs);
}

void Player::WaitWhilePlaying() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_mode != PlayMode::Playing || m_quit; });
}

// Every start begins from defaults, so nothing of an earlier song or position carries over,
// then restores what the song itself set up before the starting point.
void Player::StartLocked(std::int64_t fromUs) {
    SendDefaults(m_out);
    ChaseState chase;
    for (std::size_t i = 0; i < m_cursor; ++i) {
        chase.Apply(m_song.Message(m_song.events[i]));
    }
    chase.Send(m_out);
    m_startSongUs = fromUs;
    m_startClockUs = m_clock.NowUs();
}

void Player::HaltLocked(PlayMode mode) {
    if (m_mode == PlayMode::Playing) {
        // Stop where the sent events end, so a later resume sends nothing twice and skips nothing.
        std::int64_t position = PositionLocked();
        if (m_cursor < m_song.events.size()) {
            position = std::min(position, m_song.events[m_cursor].timeUs);
        }
        m_positionUs = position;
    }
    m_mode = mode;
    SendSilence(m_out);
    SettleNotification(std::nullopt, MCI_NOTIFY_ABORTED);
    Wake();
    m_changed.notify_all();
}

void Player::SettleNotification(std::optional<std::uintptr_t> replacement, std::uint32_t code) {
    if (m_pending) m_notify(*m_pending, code);
    m_pending = replacement;
}

void Player::Wake() {
    m_dirty = true;
    m_wake.notify_all();
}

void Player::OnClockMoved() {
    std::unique_lock<std::mutex> lock(m_mutex);
    Wake();
    m_parkedCv.wait(lock, [this] { return m_quit || (m_parked && !m_dirty); });
}

void Player::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_quit) {
        m_dirty = false;
        if (m_mode != PlayMode::Playing) {
            Park(lock, kForever);
            continue;
        }
        if (HoldUntilOutputReady(lock)) continue;
        const std::int64_t songNow =
            std::min(m_startSongUs + (m_clock.NowUs() - m_startClockUs), m_toUs);
        DispatchUntil(songNow);
        if (songNow >= m_toUs) {
            FinishLocked();
            continue;
        }
        const std::int64_t next = m_cursor < m_song.events.size()
                                      ? std::min(m_song.events[m_cursor].timeUs, m_toUs)
                                      : m_toUs;
        Park(lock, m_startClockUs + (next - m_startSongUs));
    }
    m_changed.notify_all();
    m_parkedCv.notify_all();
}

// Until the output can sound, the song stays at its start point; once it can, the start is made
// again, as what it sent was lost. Answers true while holding.
bool Player::HoldUntilOutputReady(std::unique_lock<std::mutex>& lock) {
    if (!m_out.IsReady()) {
        m_heldForOut = true;
        Park(lock, m_clock.NowUs() + kReadyPollUs);
        return true;
    }
    if (m_heldForOut) {
        m_heldForOut = false;
        StartLocked(m_startSongUs);
    }
    return false;
}

void Player::Park(std::unique_lock<std::mutex>& lock, std::int64_t deadlineUs) {
    m_parked = true;
    m_parkedCv.notify_all();
    m_clock.WaitUntil(lock, m_wake, deadlineUs);
    m_parked = false;
}

void Player::DispatchUntil(std::int64_t songUs) {
    while (m_cursor < m_song.events.size() && m_song.events[m_cursor].timeUs <= songUs) {
        m_out.Send(m_song.Message(m_song.events[m_cursor]));
        ++m_cursor;
    }
}

// The end of a play: notes end but may ring out, and the caller hears of it.
void Player::FinishLocked() {
    m_mode = PlayMode::Stopped;
    m_positionUs = m_toUs;
    SendNotesOff(m_out);
    SettleNotification(std::nullopt, MCI_NOTIFY_SUCCESSFUL);
    m_changed.notify_all();
}

}  // namespace qv::seq
