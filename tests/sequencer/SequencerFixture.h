#pragma once
// A sequencer on a hand-driven clock, with a recording output and a recording notification poster.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/sequencer/SequencerMci.h"
#include "tests/support/FilesTempDir.h"

using Bytes = std::vector<std::uint8_t>;

// What every output the sequencer made has sent, in order.
struct SentLog {
    std::mutex mutex;
    std::vector<Bytes> messages;
    std::atomic<bool> ready{true};  // what the outputs answer when asked whether they can sound
    std::uint32_t problem = 0;      // and why they cannot
    std::vector<Bytes> Take() {
        std::lock_guard<std::mutex> guard(mutex);
        return std::exchange(messages, {});
    }
};

class RecordingOut final : public qv::seq::IMidiOut {
public:
    explicit RecordingOut(SentLog& log) : m_log(log) {}
    void Send(std::span<const std::uint8_t> message) override {
        std::lock_guard<std::mutex> guard(m_log.mutex);
        m_log.messages.emplace_back(message.begin(), message.end());
    }
    bool IsReady() const override { return m_log.ready; }
    std::uint32_t Problem() const override { return m_log.problem; }

private:
    SentLog& m_log;
};

struct Posted {
    std::uintptr_t callback;
    std::uint32_t code;
    std::uint32_t deviceId;
    bool operator==(const Posted&) const = default;
};

class SequencerFixture : public ::testing::Test {
protected:
    SequencerFixture() {
        qv::seq::SequencerOptions options;
        options.clock = &m_clock;
        options.poster = [this](std::uintptr_t callback, std::uint32_t code, std::uint32_t id) {
            std::lock_guard<std::mutex> guard(m_postMutex);
            m_posted.push_back({callback, code, id});
        };
        options.makeOutput = [this] { return std::make_unique<RecordingOut>(m_out); };
        options.tellProblem = [this](std::uintptr_t window, std::uint32_t messageId) {
            m_told.push_back({window, messageId, 0});
        };
        m_mci.emplace(options);
    }

    qv::MCIERROR Send(std::uint32_t id, std::uint32_t msg, std::uintptr_t flags,
                      const void* parms) {
        return m_mci->SendCommand(id, msg, flags, reinterpret_cast<std::uintptr_t>(parms));
    }

    qv::MCIERROR Open(const std::string& path, std::uint32_t& id) {
        qv::MCI_OPEN_PARMS open{};
        open.lpstrDeviceType = reinterpret_cast<const char*>(std::uintptr_t{MCI_DEVTYPE_SEQUENCER});
        open.lpstrElementName = path.c_str();
        const qv::MCIERROR result = Send(0, MCI_OPEN, MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT, &open);
        id = open.wDeviceID;
        return result;
    }

    std::uint32_t OpenSong(const Bytes& song, const std::string& name = "song.mid") {
        std::uint32_t id = 0;
        EXPECT_EQ(Open(m_dir.Write(name, song), id), 0u);
        return id;
    }

    qv::MCIERROR Play(std::uint32_t id, std::optional<std::uint32_t> from = 0,
                      std::optional<std::uint32_t> to = std::nullopt,
                      std::optional<std::uintptr_t> callback = std::nullopt) {
        qv::MCI_PLAY_PARMS play{};
        play.dwFrom = from.value_or(0);
        play.dwTo = to.value_or(0);
        play.dwCallback = callback.value_or(0);
        const std::uintptr_t flags =
            (from ? MCI_FROM : 0) | (to ? MCI_TO : 0) | (callback ? MCI_NOTIFY : 0);
        const qv::MCIERROR result = Send(id, MCI_PLAY, flags, &play);
        m_clock.Settle();
        return result;
    }

    qv::MCIERROR Command(std::uint32_t id, std::uint32_t msg) {
        qv::MCI_GENERIC_PARMS parms{};
        const qv::MCIERROR result = Send(id, msg, 0, &parms);
        m_clock.Settle();
        return result;
    }

    std::uint32_t Status(std::uint32_t id, std::uint32_t item) {
        qv::MCI_STATUS_PARMS status{};
        status.dwItem = item;
        EXPECT_EQ(Send(id, MCI_STATUS, MCI_STATUS_ITEM, &status), 0u);
        return static_cast<std::uint32_t>(status.dwReturn);
    }

    std::vector<Posted> TakePosted() {
        std::lock_guard<std::mutex> guard(m_postMutex);
        return std::exchange(m_posted, {});
    }

    qvtest::TempDir m_dir;
    qv::seq::ManualClock m_clock;
    SentLog m_out;
    std::mutex m_postMutex;
    std::vector<Posted> m_posted;
    std::vector<Posted> m_told;                  // the problems told, as {window, string id, 0}
    std::optional<qv::seq::SequencerMci> m_mci;  // last, so its players go before what they use
};

inline bool IsNoteOn(const Bytes& m) {
    return m.size() == 3 && (m[0] & 0xF0) == 0x90 && m[2] > 0;
}

// True when every channel got sustain off, all notes off and all sound off: nothing can be left
// sounding.
inline ::testing::AssertionResult Silenced(const std::vector<Bytes>& messages) {
    for (int channel = 0; channel < 16; ++channel) {
        for (std::uint8_t controller : {64, 123, 120}) {
            const Bytes off = {static_cast<std::uint8_t>(0xB0 | channel), controller, 0};
            if (std::find(messages.begin(), messages.end(), off) == messages.end()) {
                return ::testing::AssertionFailure()
                       << "channel " << channel << " lacks controller " << int(controller)
                       << " = 0";
            }
        }
    }
    return ::testing::AssertionSuccess();
}
