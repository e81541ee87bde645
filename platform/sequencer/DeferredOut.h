#pragma once
// An output made on a thread of its own: loading a large soundfont takes seconds, and nothing the
// window needs should wait for it. Until the output is made it is not ready and drops what it is
// sent; the player holds a song at its start point meanwhile, so nothing is skipped.
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "platform/sequencer/MidiOut.h"

namespace qv::seq {

class DeferredMidiOut final : public IMidiOut {
public:
    // Starts make at once; a null result stands for the silent output. made, when given, hears
    // the finished output's problem (0 for none) on the making thread.
    explicit DeferredMidiOut(std::function<std::unique_ptr<IMidiOut>()> make,
                             std::function<void(std::uint32_t problem)> made = {});
    // Waits for the making to end: a soundfont load cannot be cut short.
    ~DeferredMidiOut() override;
    DeferredMidiOut(const DeferredMidiOut&) = delete;
    DeferredMidiOut& operator=(const DeferredMidiOut&) = delete;

    void Send(std::span<const std::uint8_t> message) override;
    bool IsReady() const override { return m_ready.load(std::memory_order_acquire); }
    std::uint32_t Problem() const override { return IsReady() ? m_out->Problem() : 0; }

private:
    std::unique_ptr<IMidiOut> m_out;  // written once, before m_ready
    std::atomic<bool> m_ready{false};
    std::thread m_thread;  // last: started once everything above is ready
};

}  // namespace qv::seq
