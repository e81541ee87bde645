#pragma once
// Where the player's messages go: a synthesizer, a file, or nowhere.
#include <cstdint>
#include <span>

namespace qv::seq {

class IMidiOut {
public:
    virtual ~IMidiOut() = default;
    // One complete channel message (two or three bytes), or SysEx bytes as the song holds them.
    // Called from more than one thread; implementations are thread-safe.
    virtual void Send(std::span<const std::uint8_t> message) = 0;
    // False while the output is still being made; what it is sent meanwhile is lost.
    virtual bool IsReady() const { return true; }
    // The string id of the message that tells the user why this output makes no sound and what to
    // do about it; 0 when nothing is wrong.
    virtual std::uint32_t Problem() const { return 0; }
};

// Keeps time and makes no sound: the player does all the timing, this just drops the messages.
// It stands in for an output that could not be made, and then carries the reason.
class NullMidiOut final : public IMidiOut {
public:
    explicit NullMidiOut(std::uint32_t problem = 0) : m_problem(problem) {}
    void Send(std::span<const std::uint8_t>) override {}
    std::uint32_t Problem() const override { return m_problem; }

private:
    std::uint32_t m_problem;
};

}  // namespace qv::seq
