#pragma once
// The player's time source. The player thread waits on it, so a test can drive playback with a
// clock it advances by hand instead of waiting in real time.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <mutex>
#include <vector>

namespace qv::seq {

constexpr std::int64_t kForever = std::numeric_limits<std::int64_t>::max();

// Told when a clock moves other than by the passing of time.
class IClockListener {
public:
    virtual ~IClockListener() = default;
    // Called after the clock moved; answers once the listener has caught up with the new time.
    virtual void OnClockMoved() = 0;
};

class IClock {
public:
    virtual ~IClock() = default;
    // Monotonic microseconds.
    virtual std::int64_t NowUs() const = 0;
    // Waits, with lock held on entry and exit, until deadlineUs (kForever: no deadline) or until
    // cv is notified; may return early, so callers check again.
    virtual void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                           std::int64_t deadlineUs) = 0;
    virtual void Subscribe(IClockListener*) {}
    virtual void Unsubscribe(IClockListener*) {}
};

// The real monotonic clock: waits against absolute deadlines, so waits never add up to drift.
class SteadyClock final : public IClock {
public:
    std::int64_t NowUs() const override;
    void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                   std::int64_t deadlineUs) override;
};

// A clock that moves only when told to. Advance returns once every listener (every player on
// this clock) has dispatched what fell due, which keeps tests deterministic.
class ManualClock final : public IClock {
public:
    std::int64_t NowUs() const override;
    void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                   std::int64_t deadlineUs) override;
    void Subscribe(IClockListener* listener) override;
    void Unsubscribe(IClockListener* listener) override;

    void AdvanceUs(std::int64_t us);
    void AdvanceMs(std::int64_t ms) { AdvanceUs(ms * 1000); }
    // Lets every listener catch up without moving the clock.
    void Settle() { AdvanceUs(0); }

private:
    std::mutex m_mutex;  // guards the listeners; taken before a listener's own lock, never after
    std::atomic<std::int64_t> m_nowUs{0};
    std::vector<IClockListener*> m_listeners;
};

}  // namespace qv::seq
