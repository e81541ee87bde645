#include "platform/sequencer/alsa/AlsaSeqOut.h"

#include <climits>

namespace qv::seq {
namespace {

constexpr unsigned int kWritable = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
// The kernel's "Midi Through" client: a loop back that sounds nowhere.
constexpr int kThroughClient = 14;
constexpr unsigned int kSynthTypes =
    SND_SEQ_PORT_TYPE_SYNTHESIZER | SND_SEQ_PORT_TYPE_SYNTH | SND_SEQ_PORT_TYPE_MIDI_GENERIC;

// The library prints its own errors on standard error (a machine without a sequencer gets a line
// at every open); the caller reports what failed in its own words.
void QuietAlsaError(const char*, int, const char*, int, const char*, ...) {}

std::shared_ptr<snd_seq_t> OpenSequencer(std::string& failure) {
    snd_lib_error_set_handler(QuietAlsaError);
    snd_seq_t* seq = nullptr;
    if (const int error = snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, 0); error < 0) {
        failure = std::string("cannot open the ALSA sequencer: ") + snd_strerror(error);
        return nullptr;
    }
    return std::shared_ptr<snd_seq_t>(seq, snd_seq_close);
}

std::vector<AlsaPort> WritablePorts(snd_seq_t* seq) {
    std::vector<AlsaPort> ports;
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    const int self = snd_seq_client_id(seq);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq, client) >= 0) {
        const int id = snd_seq_client_info_get_client(client);
        if (id == self || id == SND_SEQ_CLIENT_SYSTEM) continue;
        snd_seq_port_info_set_client(port, id);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq, port) >= 0) {
            const unsigned int caps = snd_seq_port_info_get_capability(port);
            if ((caps & kWritable) != kWritable || (caps & SND_SEQ_PORT_CAP_NO_EXPORT)) continue;
            ports.push_back({id, snd_seq_port_info_get_port(port),
                             snd_seq_client_info_get_name(client), snd_seq_port_info_get_name(port),
                             snd_seq_port_info_get_type(port)});
        }
    }
    return ports;
}

}  // namespace

bool ToSeqEvent(std::span<const std::uint8_t> m, snd_seq_event_t& event) {
    snd_seq_ev_clear(&event);
    snd_seq_ev_set_subs(&event);
    snd_seq_ev_set_direct(&event);
    if (m.empty()) return false;
    if (m[0] == 0xF0) {
        if (m.back() != 0xF7 || m.size() > UINT_MAX) return false;
        snd_seq_ev_set_sysex(&event, static_cast<unsigned int>(m.size()),
                             const_cast<std::uint8_t*>(m.data()));
        return true;
    }
    if (m[0] < 0x80 || m[0] >= 0xF0) return false;
    const int kind = m[0] & 0xF0;
    const std::size_t length = kind == 0xC0 || kind == 0xD0 ? 2 : 3;
    if (m.size() < length) return false;
    const int channel = m[0] & 0x0F;
    const int data1 = m[1] & 0x7F;
    const int data2 = length == 3 ? m[2] & 0x7F : 0;
    switch (kind) {
        case 0x80:
            snd_seq_ev_set_noteoff(&event, channel, data1, data2);
            break;
        case 0x90:
            snd_seq_ev_set_noteon(&event, channel, data1, data2);
            break;
        case 0xA0:
            snd_seq_ev_set_keypress(&event, channel, data1, data2);
            break;
        case 0xB0:
            snd_seq_ev_set_controller(&event, channel, data1, data2);
            break;
        case 0xC0:
            snd_seq_ev_set_pgmchange(&event, channel, data1);
            break;
        case 0xD0:
            snd_seq_ev_set_chanpress(&event, channel, data1);
            break;
        default:  // 0xE0: the sequencer counts the bend from the centre
            snd_seq_ev_set_pitchbend(&event, channel, (data1 | (data2 << 7)) - 8192);
            break;
    }
    return true;
}

void AlsaSeqOut::Send(std::span<const std::uint8_t> message) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (IsSysexPacket(message)) message = m_sysex.Add(message);
    snd_seq_event_t event;
    if (ToSeqEvent(message, event)) m_sink(event);
}

const AlsaPort* FirstSynthPort(const std::vector<AlsaPort>& ports, int ownClient) {
    for (const AlsaPort& port : ports) {
        if (port.client == ownClient || port.client == SND_SEQ_CLIENT_SYSTEM ||
            port.client == kThroughClient) {
            continue;
        }
        if (port.type & kSynthTypes) return &port;
    }
    return nullptr;
}

std::vector<AlsaPort> ListAlsaPorts(std::string& failure) {
    const std::shared_ptr<snd_seq_t> seq = OpenSequencer(failure);
    return seq ? WritablePorts(seq.get()) : std::vector<AlsaPort>{};
}

std::unique_ptr<IMidiOut> MakeAlsaOutput(std::string_view address, std::string& failure) {
    const std::shared_ptr<snd_seq_t> seq = OpenSequencer(failure);
    if (!seq) return nullptr;
    snd_seq_set_client_name(seq.get(), "Quavel");
    const int port = snd_seq_create_simple_port(
        seq.get(), "Quavel", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
        SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (port < 0) {
        failure = std::string("cannot make a port on the ALSA sequencer: ") + snd_strerror(port);
        return nullptr;
    }
    snd_seq_addr_t to{};
    if (address.empty()) {
        const std::vector<AlsaPort> ports = WritablePorts(seq.get());
        const AlsaPort* first = FirstSynthPort(ports, snd_seq_client_id(seq.get()));
        if (!first) {
            failure = "no synthesizer port on the ALSA sequencer";
            return nullptr;
        }
        to.client = static_cast<unsigned char>(first->client);
        to.port = static_cast<unsigned char>(first->port);
    } else if (snd_seq_parse_address(seq.get(), &to, std::string(address).c_str()) < 0) {
        failure = "no ALSA sequencer port " + std::string(address);
        return nullptr;
    }
    if (const int error = snd_seq_connect_to(seq.get(), port, to.client, to.port); error < 0) {
        failure = "cannot connect to the ALSA sequencer port " + std::to_string(to.client) + ":" +
                  std::to_string(to.port) + ": " + snd_strerror(error);
        return nullptr;
    }
    return std::make_unique<AlsaSeqOut>([seq, port](const snd_seq_event_t& event) {
        snd_seq_event_t out = event;
        snd_seq_ev_set_source(&out, port);
        snd_seq_event_output_direct(seq.get(), &out);
    });
}

}  // namespace qv::seq
