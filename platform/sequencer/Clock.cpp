#include "platform/sequencer/Clock.h"

#include <algorithm>
#include <chrono>

namespace qv::seq {

std::int64_t SteadyClock::NowUs() const {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(now).count();
}

void SteadyClock::WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                            std::int64_t deadlineUs) {
    if (deadlineUs == kForever) {
        cv.wait(lock);
        return;
    }
    const std::chrono::steady_clock::time_point deadline{std::chrono::microseconds(deadlineUs)};
    cv.wait_until(lock, deadline);
}

std::int64_t ManualClock::NowUs() const {
    return m_nowUs.load();
}

// Time moves only in AdvanceUs, which wakes the waiters itself.
void ManualClock::WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                            std::int64_t) {
    cv.wait(lock);
}

void ManualClock::Subscribe(IClockListener* listener) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_listeners.push_back(listener);
}

void ManualClock::Unsubscribe(IClockListener* listener) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener),
                      m_listeners.end());
}

void ManualClock::AdvanceUs(std::int64_t us) {
    // Held throughout, so that a listener cannot unsubscribe and vanish while it is being told.
    std::lock_guard<std::mutex> guard(m_mutex);
    m_nowUs += us;
    for (IClockListener* listener : m_listeners) listener->OnClockMoved();
}

}  // namespace qv::seq
