#pragma once
// An output made on a thread of its own: loading a large soundfont takes seconds, and nothing the
// window needs should wait for it. Until the output is made it is not ready and drops what it is
// sent; the player holds a song at its start point meanwhile, so nothing is skipped.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/sequencer/MidiOut.h"

namespace qv::seq {

// Asked by the making before it opens anything others can see (a sound device, a file, a port):
// waits until the process knows whether it is the player, and answers whether it is.
using MayOpen = std::function<bool()>;
using GatedOutputFactory = std::function<std::unique_ptr<IMidiOut>(const MayOpen& mayOpen)>;

class DeferredMidiOut final : public IMidiOut {
public:
    // Starts make at once; a null result stands for the silent output. With openAtOnce false the
    // making may prepare but opens nothing until Open(true); Open(false) or the destructor tells
    // it to stop there.
    explicit DeferredMidiOut(GatedOutputFactory make, bool openAtOnce = true);
    // Waits for the making to end: a soundfont load cannot be cut short.
    ~DeferredMidiOut() override;
    DeferredMidiOut(const DeferredMidiOut&) = delete;
    DeferredMidiOut& operator=(const DeferredMidiOut&) = delete;

    // Answers the making's question; only the first answer counts.
    void Open(bool mayOpen);
    // Hears the made output's problem (0 for none) once: at once when it is made already, else on
    // the making thread when it is.
    void WhenMade(std::function<void(std::uint32_t problem)> made);

    void Send(std::span<const std::uint8_t> message) override;
    bool IsReady() const override { return m_ready.load(std::memory_order_acquire); }
    std::uint32_t Problem() const override { return IsReady() ? m_out->Problem() : 0; }

private:
    bool WaitForOpen();

    std::mutex m_mutex;
    std::condition_variable m_answered;
    std::optional<bool> m_mayOpen;              // under m_mutex
    std::function<void(std::uint32_t)> m_made;  // under m_mutex
    std::unique_ptr<IMidiOut> m_out;            // written once, before m_ready
    std::atomic<bool> m_ready{false};
    std::thread m_thread;  // last: started once everything above is ready
};

}  // namespace qv::seq
