// <windows.h> first, so that the seam headers leave its names alone.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include "platform/win32/Win32Mci.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/sequencer/Outputs.h"
#include "res/resource.h"

namespace qv::win32 {
namespace {

// The system's blocks are byte-packed. Every block but MCI_OPEN's has its members where the
// seam's has them (only the seam's trailing padding differs), so those pass as they are.
static_assert(offsetof(qv::MCI_PLAY_PARMS, dwTo) == offsetof(::MCI_PLAY_PARMS, dwTo));
static_assert(offsetof(qv::MCI_STATUS_PARMS, dwTrack) == offsetof(::MCI_STATUS_PARMS, dwTrack));
static_assert(offsetof(qv::MCI_SEQ_SET_PARMS, dwOffset) == offsetof(::MCI_SEQ_SET_PARMS, dwOffset));
static_assert(offsetof(qv::MCI_SEEK_PARMS, dwTo) == offsetof(::MCI_SEEK_PARMS, dwTo));

constexpr DWORD kSysExWaitMs = 2000;

std::string_view Requested() {
    const char* value = std::getenv("QUAVEL_MIDI_OUT");
    return value ? std::string_view(value) : std::string_view();
}

// A MIDI output device, opened for as long as this lives. Short messages go out as they are;
// SysEx is handed over in a prepared header and waited for, since the buffer is ours.
class MidiOutDevice final : public seq::IMidiOut {
public:
    explicit MidiOutDevice(HMIDIOUT handle) : m_handle(handle) {}
    ~MidiOutDevice() override {
        ::midiOutReset(m_handle);
        ::midiOutClose(m_handle);
    }
    MidiOutDevice(const MidiOutDevice&) = delete;
    MidiOutDevice& operator=(const MidiOutDevice&) = delete;

    void Send(std::span<const std::uint8_t> message) override {
        if (message.empty()) return;
        std::lock_guard<std::mutex> guard(m_mutex);
        if (message[0] == 0xF0 || message[0] == 0xF7) {
            SendLong(message);
            return;
        }
        if (message.size() > 3) return;
        DWORD packed = 0;
        for (std::size_t i = 0; i < message.size(); ++i) packed |= DWORD{message[i]} << (8 * i);
        ::midiOutShortMsg(m_handle, packed);
    }

private:
    void SendLong(std::span<const std::uint8_t> message) {
        // The song may hold SysEx without its F0; the device wants the whole message.
        std::vector<char> bytes;
        if (message[0] != 0xF0) bytes.push_back(static_cast<char>(0xF0));
        bytes.insert(bytes.end(), message.begin() + (message[0] == 0xF7 ? 1 : 0), message.end());
        MIDIHDR header{};
        header.lpData = bytes.data();
        header.dwBufferLength = static_cast<DWORD>(bytes.size());
        if (::midiOutPrepareHeader(m_handle, &header, sizeof header) != MMSYSERR_NOERROR) return;
        if (::midiOutLongMsg(m_handle, &header, sizeof header) == MMSYSERR_NOERROR) {
            for (DWORD waited = 0; !(header.dwFlags & MHDR_DONE) && waited < kSysExWaitMs; ++waited)
                ::Sleep(1);
        }
        ::midiOutUnprepareHeader(m_handle, &header, sizeof header);
    }

    HMIDIOUT m_handle;
    std::mutex m_mutex;
};

// The device named (its product name, or its number), or the MIDI mapper for "midiout".
bool FindDevice(std::string_view name, UINT& id) {
    if (name.empty() || name == "midiout") {
        id = MIDI_MAPPER;
        return true;
    }
    const UINT count = ::midiOutGetNumDevs();
    for (UINT i = 0; i < count; ++i) {
        MIDIOUTCAPSA caps{};
        if (::midiOutGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR &&
            name == std::string_view(caps.szPname)) {
            id = i;
            return true;
        }
    }
    char* end = nullptr;
    const std::string text(name);
    const unsigned long number = std::strtoul(text.c_str(), &end, 10);
    if (end && *end == '\0' && number < count) {
        id = static_cast<UINT>(number);
        return true;
    }
    return false;
}

}  // namespace

MCIERROR Win32Mci::SendCommand(MCIDEVICEID deviceId, std::uint32_t msg, std::uintptr_t flags,
                               std::uintptr_t parms) {
    if (msg != MCI_OPEN || !parms) return ::mciSendCommandA(deviceId, msg, flags, parms);
    // In a 64-bit process the packed MCI_OPEN block has its pointers four bytes earlier.
    auto* open = reinterpret_cast<qv::MCI_OPEN_PARMS*>(parms);
    ::MCI_OPEN_PARMSA system{};
    system.dwCallback = open->dwCallback;
    system.wDeviceID = open->wDeviceID;
    system.lpstrDeviceType = open->lpstrDeviceType;
    system.lpstrElementName = open->lpstrElementName;
    system.lpstrAlias = open->lpstrAlias;
    const MCIERROR result =
        ::mciSendCommandA(deviceId, msg, flags, reinterpret_cast<DWORD_PTR>(&system));
    open->wDeviceID = system.wDeviceID;
    return result;
}

bool WantsSystemMci() {
    return Requested() == "mci";
}

std::unique_ptr<seq::IMidiOut> MakeMidiOutput(std::string& failure, std::uint32_t& problem) {
    const std::string_view wanted = Requested();
    if (wanted == "null") return std::make_unique<seq::NullMidiOut>();
    UINT id = 0;
    if (!FindDevice(wanted, id)) {
        failure = "QUAVEL_MIDI_OUT=" + std::string(wanted) + ": no MIDI output of that name";
        problem = IDS_SOUND_BADOUTPUT;
        return nullptr;
    }
    problem = IDS_SOUND_NOAUDIO;
    HMIDIOUT handle = nullptr;
    const MMRESULT result = ::midiOutOpen(&handle, id, 0, 0, CALLBACK_NULL);
    if (result != MMSYSERR_NOERROR) {
        char text[MAXERRORLENGTH] = {};
        ::midiOutGetErrorTextA(result, text, sizeof text);
        failure = "the MIDI output cannot be opened: " + std::string(text);
        return nullptr;
    }
    return std::make_unique<MidiOutDevice>(handle);
}

}  // namespace qv::win32

namespace qv::seq {

// The sequencer's own choice of output on Windows: the MIDI output, or silence (and one line on
// standard error) when it cannot be opened, so that the player still keeps time.
std::unique_ptr<IMidiOut> MakeOutputFromEnvironment() {
    std::string failure;
    std::uint32_t problem = 0;
    if (auto out = win32::MakeMidiOutput(failure, problem)) return out;
    std::fprintf(stderr, "quavel: %s; playing silently\n", failure.c_str());
    return std::make_unique<NullMidiOut>(problem);
}

}  // namespace qv::seq
