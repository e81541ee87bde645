#include "platform/sequencer/DeferredOut.h"

namespace qv::seq {

DeferredMidiOut::DeferredMidiOut(GatedOutputFactory make, bool openAtOnce) {
    if (openAtOnce) m_mayOpen = true;
    m_thread = std::thread([this, make = std::move(make)] {
        std::unique_ptr<IMidiOut> out = make ? make([this] { return WaitForOpen(); }) : nullptr;
        m_out = out ? std::move(out) : std::make_unique<NullMidiOut>();
        std::function<void(std::uint32_t)> made;
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_ready.store(true, std::memory_order_release);
            made.swap(m_made);
        }
        if (made) made(m_out->Problem());
    });
}

DeferredMidiOut::~DeferredMidiOut() {
    Open(false);
    m_thread.join();
}

void DeferredMidiOut::Open(bool mayOpen) {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_mayOpen) return;
        m_mayOpen = mayOpen;
    }
    m_answered.notify_all();
}

bool DeferredMidiOut::WaitForOpen() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_answered.wait(lock, [this] { return m_mayOpen.has_value(); });
    return *m_mayOpen;
}

void DeferredMidiOut::WhenMade(std::function<void(std::uint32_t problem)> made) {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (!IsReady()) {
            m_made = std::move(made);
            return;
        }
    }
    if (made) made(m_out->Problem());
}

void DeferredMidiOut::Send(std::span<const std::uint8_t> message) {
    if (IsReady()) m_out->Send(message);
}

}  // namespace qv::seq
