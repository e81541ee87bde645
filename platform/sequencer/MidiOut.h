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
};

// Keeps time and makes no sound: the player does all the timing, this just drops the messages.
class NullMidiOut final : public IMidiOut {
public:
    void Send(std::span<const std::uint8_t>) override {}
};

}  // namespace qv::seq
