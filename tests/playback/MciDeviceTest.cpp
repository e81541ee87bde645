#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "playback/MciDevice.h"

namespace {

// What one mciSendCommandA call carried, with a copy of its parameter block.
struct SentCommand {
    DWORD deviceId = 0;
    UINT msg = 0;
    UINT_PTR flags = 0;
    UINT_PTR callback = 0;  // every block starts with it
    qv::MCI_OPEN_PARMS open{};
    qv::MCI_PLAY_PARMS play{};
    qv::MCI_SEQ_SET_PARMS seqSet{};
};

template <class T>
T& At(std::uintptr_t parms) {
    return *reinterpret_cast<T*>(parms);
}

// Records every command and answers with a result chosen per command. A successful open gets
// device id 7.
class RecordingMci : public qv::IMci {
public:
    std::vector<SentCommand> sent;
    std::map<UINT, qv::MCIERROR> results;

    qv::MCIERROR SendCommand(qv::MCIDEVICEID deviceId, std::uint32_t msg, std::uintptr_t flags,
                             std::uintptr_t parms) override {
        const qv::MCIERROR result = results.count(msg) ? results[msg] : 0;
        SentCommand c{deviceId, msg, flags, At<qv::MCI_GENERIC_PARMS>(parms).dwCallback};
        if (msg == MCI_OPEN && result == 0) At<qv::MCI_OPEN_PARMS>(parms).wDeviceID = 7;
        if (msg == MCI_OPEN) c.open = At<qv::MCI_OPEN_PARMS>(parms);
        if (msg == MCI_PLAY) c.play = At<qv::MCI_PLAY_PARMS>(parms);
        // Reading the whole sequencer block catches a short block under the address sanitizer.
        if (msg == MCI_SET) c.seqSet = At<qv::MCI_SEQ_SET_PARMS>(parms);
        sent.push_back(c);
        return result;
    }
};

class TestDevice : public CMidiDevice {
public:
    using CMciDevice::m_dwLastError;
};

const DWORD kNone = static_cast<DWORD>(-1);
const UINT_PTR kHwnd = 0x1234;

class MciDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = qv::InstallMci(&m_mci);
        m_wnd.m_hWnd = reinterpret_cast<qv::HWND>(kHwnd);
    }
    void TearDown() override { qv::InstallMci(m_previous); }

    // Opens the way the player does and forgets the open command.
    void OpenAsPlayer(CMciDevice& device) {
        ASSERT_EQ(device.OpenElementByTypeId(MCI_DEVTYPE_SEQUENCER, "/songs/a.mid", 0, nullptr), 0);
        m_mci.sent.clear();
    }
    // The one command sent since the last call.
    SentCommand Only() {
        EXPECT_EQ(m_mci.sent.size(), 1u);
        SentCommand c = m_mci.sent.empty() ? SentCommand{} : m_mci.sent.back();
        m_mci.sent.clear();
        return c;
    }

    RecordingMci m_mci;
    qv::IMci* m_previous = nullptr;
    CWnd m_wnd;
};

TEST_F(MciDeviceTest, OpenAsksDeviceZeroAndAFailedOpenLeavesTheObjectOpenOnItUntilClose) {
    TestDevice device;
    m_mci.results[MCI_OPEN] = MCIERR_FILE_NOT_FOUND;
    EXPECT_EQ(device.OpenElementByTypeId(0x1020B, "gone.mid", 0, nullptr), MCIERR_FILE_NOT_FOUND);
    // Device zero is asked, by the type's low word; a successful open plays in the play-control
    // tests.
    const SentCommand open = Only();
    EXPECT_EQ(open.deviceId, 0u);
    EXPECT_EQ(open.flags, static_cast<UINT_PTR>(MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT));
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(open.open.lpstrDeviceType), 0x20Bu);
    EXPECT_STREQ(open.open.lpstrElementName, "gone.mid");
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(device.OpenByTypeId(MCI_DEVTYPE_SEQUENCER, 0, nullptr), -1);
    EXPECT_EQ(device.OpenByTypeName("sequencer", 0, nullptr), -1);
    EXPECT_EQ(device.OpenElementByTypeName("sequencer", "b.mid", 0, nullptr), -1);
    EXPECT_TRUE(m_mci.sent.empty());
    EXPECT_EQ(device.m_dwLastError, static_cast<DWORD>(MCIERR_FILE_NOT_FOUND));

    m_mci.results[MCI_STATUS] = MCIERR_INVALID_DEVICE_ID;
    DWORD length = 555;
    EXPECT_EQ(device.Status(length, MCI_STATUS_LENGTH, 0, nullptr, 0), MCIERR_INVALID_DEVICE_ID);
    EXPECT_EQ(length, 0u) << "a failed query reads as 0";
    EXPECT_EQ(Only().deviceId, 0u);

    m_mci.results[MCI_CLOSE] = MCIERR_INVALID_DEVICE_ID;
    EXPECT_EQ(device.Close(0, nullptr), MCIERR_INVALID_DEVICE_ID);
    EXPECT_FALSE(device.IsOpen()) << "a refused close still closes the object";
}

// The flags, callback and block of every operation, under the two notification rules; destroying
// the open device then closes it without notification. The status block's item and answer reach
// the read-outs through the real sequencer in the play-control tests.
TEST_F(MciDeviceTest, SendsTheFlagsAndCallbackOfItsNotificationRule) {
    struct Case {
        const char* label;
        std::function<void(TestDevice&)> call;
        UINT msg;
        UINT_PTR flags;
        UINT_PTR callback;
    };
    CWnd* wnd = &m_wnd;
    DWORD value = 0;
    const Case cases[] = {
        {"play from 1500 to the dialog", [&](TestDevice& d) { d.Play(1500, kNone, 0, wnd); },
         MCI_PLAY, MCI_NOTIFY | MCI_FROM, kHwnd},
        {"play a range, other flags dropped",
         [&](TestDevice& d) { d.Play(1500, 9000, MCI_WAIT | MCI_TRACK, nullptr); }, MCI_PLAY,
         MCI_WAIT | MCI_FROM | MCI_TO, 0},
        {"play on, neither end given", [&](TestDevice& d) { d.Play(kNone, kNone, 0, nullptr); },
         MCI_PLAY, 0, 0},
        {"stop, own notify, no window",
         [&](TestDevice& d) { d.Stop(MCI_NOTIFY | MCI_WAIT | MCI_FROM, nullptr); }, MCI_STOP,
         MCI_WAIT, 0},
        {"status to a window",
         [&](TestDevice& d) { d.Status(value, MCI_STATUS_POSITION, 0, wnd, 0); }, MCI_STATUS,
         MCI_STATUS_ITEM | MCI_NOTIFY, kHwnd},
        {"set the time format",
         [&](TestDevice& d) { d.Set(MCI_FORMAT_MILLISECONDS, kNone, MCI_NOTIFY, nullptr); },
         MCI_SET, MCI_SET_TIME_FORMAT, 0},
        {"set the audio", [&](TestDevice& d) { d.Set(kNone, 3, 0, nullptr); }, MCI_SET,
         MCI_SET_AUDIO, 0},
    };
    {
        TestDevice device;
        OpenAsPlayer(device);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.label);
            c.call(device);
            const SentCommand sent = Only();
            EXPECT_EQ(sent.msg, c.msg);
            EXPECT_EQ(sent.flags, c.flags);
            EXPECT_EQ(sent.callback, c.callback);
            EXPECT_EQ(device.m_dwLastError, 0u);
            // Ends not given are 0; a MIDI device's set sends the whole sequencer block, zeroed
            // but for what is set.
            if (c.msg == MCI_PLAY) {
                EXPECT_EQ(sent.play.dwFrom, c.flags & MCI_FROM ? 1500u : 0u);
                EXPECT_EQ(sent.play.dwTo, c.flags & MCI_TO ? 9000u : 0u);
            }
            const qv::MCI_SEQ_SET_PARMS& b = sent.seqSet;
            EXPECT_EQ(b.dwTimeFormat | b.dwTempo | b.dwPort | b.dwSlave | b.dwMaster | b.dwOffset,
                      0u);
            EXPECT_EQ(b.dwAudio, c.flags & MCI_SET_AUDIO ? 3u : 0u);
        }
    }
    const SentCommand close = Only();
    EXPECT_EQ(close.msg, static_cast<UINT>(MCI_CLOSE));
    EXPECT_EQ(close.deviceId, 7u);
    EXPECT_EQ(close.flags + close.callback, 0u);
}

}  // namespace
