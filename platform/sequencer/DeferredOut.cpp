#include "platform/sequencer/DeferredOut.h"

namespace qv::seq {

DeferredMidiOut::DeferredMidiOut(std::function<std::unique_ptr<IMidiOut>()> make,
                                 std::function<void(std::uint32_t problem)> made) {
    m_thread = std::thread([this, make = std::move(make), made = std::move(made)] {
        m_out = make ? make() : nullptr;
        if (!m_out) m_out = std::make_unique<NullMidiOut>();
        m_ready.store(true, std::memory_order_release);
        if (made) made(m_out->Problem());
    });
}

DeferredMidiOut::~DeferredMidiOut() {
    m_thread.join();
}

void DeferredMidiOut::Send(std::span<const std::uint8_t> message) {
    if (IsReady()) m_out->Send(message);
}

}  // namespace qv::seq
