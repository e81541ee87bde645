#include "platform/sequencer/ChannelState.h"

#include <algorithm>

namespace qv::seq {
namespace {

constexpr int kChannels = 16;
constexpr int kDrumChannel = 9;

enum Controller : int {
    kBankMsb = 0,
    kModulation = 1,
    kDataEntryMsb = 6,
    kVolume = 7,
    kPan = 10,
    kExpression = 11,
    kBankLsb = 32,
    kDataEntryLsb = 38,
    kSustain = 64,
    kSoft = 67,
    kReverb = 91,
    kChorus = 93,
    kDataIncrement = 96,
    kDataDecrement = 97,
    kNrpnLsb = 98,
    kNrpnMsb = 99,
    kRpnLsb = 100,
    kRpnMsb = 101,
    kAllSoundOff = 120,
    kResetControllers = 121,
    kAllNotesOff = 123,
};

void Control(IMidiOut& out, int channel, int controller, int value) {
    const std::uint8_t msg[3] = {static_cast<std::uint8_t>(0xB0 | channel),
                                 static_cast<std::uint8_t>(controller),
                                 static_cast<std::uint8_t>(value & 0x7F)};
    out.Send(msg);
}

void Program(IMidiOut& out, int channel, int program) {
    const std::uint8_t msg[2] = {static_cast<std::uint8_t>(0xC0 | channel),
                                 static_cast<std::uint8_t>(program)};
    out.Send(msg);
}

void Bend(IMidiOut& out, int channel, int value) {
    const std::uint8_t msg[3] = {static_cast<std::uint8_t>(0xE0 | channel),
                                 static_cast<std::uint8_t>(value & 0x7F),
                                 static_cast<std::uint8_t>((value >> 7) & 0x7F)};
    out.Send(msg);
}

void Pressure(IMidiOut& out, int channel, int value) {
    const std::uint8_t msg[2] = {static_cast<std::uint8_t>(0xD0 | channel),
                                 static_cast<std::uint8_t>(value)};
    out.Send(msg);
}

void Rpn(IMidiOut& out, int channel, int msb, int lsb, int dataMsb, int dataLsb) {
    Control(out, channel, kRpnMsb, msb);
    Control(out, channel, kRpnLsb, lsb);
    Control(out, channel, kDataEntryMsb, dataMsb);
    Control(out, channel, kDataEntryLsb, dataLsb);
}

// Controllers that ChaseState::Send handles apart from the plain ones.
bool IsSpecial(int controller) {
    return controller == kBankMsb || controller == kBankLsb || controller == kDataEntryMsb ||
           controller == kDataEntryLsb || (controller >= kDataIncrement && controller <= kRpnMsb) ||
           controller >= kAllSoundOff;
}

}  // namespace

void SendNotesOff(IMidiOut& out) {
    // The pedal first, or a held pedal would keep the released notes sounding.
    for (int c = 0; c < kChannels; ++c) {
        Control(out, c, kSustain, 0);
        Control(out, c, kAllNotesOff, 0);
    }
}

void SendSilence(IMidiOut& out) {
    SendNotesOff(out);
    for (int c = 0; c < kChannels; ++c) Control(out, c, kAllSoundOff, 0);
}

void SendDefaults(IMidiOut& out) {
    for (int c = 0; c < kChannels; ++c) {
        Control(out, c, kResetControllers, 0);
        Control(out, c, kVolume, 100);
        Control(out, c, kPan, 64);
        Control(out, c, kExpression, 127);
        Control(out, c, kReverb, 40);
        Control(out, c, kChorus, 0);
        if (c != kDrumChannel) {  // the drum channel keeps its drum bank
            Control(out, c, kBankMsb, 0);
            Control(out, c, kBankLsb, 0);
        }
        Program(out, c, 0);
        Bend(out, c, 0x2000);
        Rpn(out, c, 0, 0, 2, 0);        // pitch-bend range: two semitones
        Rpn(out, c, 0, 1, 64, 0);       // fine tuning: centre
        Rpn(out, c, 0, 2, 64, 0);       // coarse tuning: centre
        Control(out, c, kRpnMsb, 127);  // no parameter selected, so stray data entry does nothing
        Control(out, c, kRpnLsb, 127);
    }
}

void ChaseState::Apply(std::span<const std::uint8_t> message) {
    if (IsSysexPacket(message)) {
        ApplySysex(m_joiner.Add(message));
        return;
    }
    if (message.size() < 2 || message[0] < 0x80 || message[0] >= 0xF0) return;
    Channel& ch = m_channels[message[0] & 0x0F];
    const int data1 = message[1];
    const int data2 = message.size() > 2 ? message[2] : 0;
    switch (message[0] & 0xF0) {
        case 0xB0:
            ApplyControl(ch, data1, data2);
            break;
        case 0xC0:
            ch.program = data1;
            break;
        case 0xD0:
            ch.pressure = data1;
            break;
        case 0xE0:
            ch.bend = data1 | (data2 << 7);
            break;
        default:
            break;
    }
}

void ChaseState::ApplyControl(Channel& ch, int controller, int value) {
    switch (controller) {
        case kRpnMsb:
            ch.rpnMsb = value;
            ch.nrpnSelected = false;
            break;
        case kRpnLsb:
            ch.rpnLsb = value;
            ch.nrpnSelected = false;
            break;
        case kNrpnMsb:
            ch.nrpnMsb = value;
            ch.nrpnSelected = true;
            break;
        case kNrpnLsb:
            ch.nrpnLsb = value;
            ch.nrpnSelected = true;
            break;
        case kDataEntryMsb:
        case kDataEntryLsb:
            ApplyDataEntry(ch, controller, value);
            break;
        case kResetControllers:
            ResetControllers(ch);
            break;
        default:
            if (controller < kAllSoundOff) ch.controllers[controller] = value;
            break;
    }
}

void ChaseState::ApplyDataEntry(Channel& ch, int controller, int value) {
    const int msb = ch.nrpnSelected ? ch.nrpnMsb : ch.rpnMsb;
    const int lsb = ch.nrpnSelected ? ch.nrpnLsb : ch.rpnLsb;
    if (msb == kUnset || lsb == kUnset) return;
    if (!ch.nrpnSelected && msb == 127 && lsb == 127) return;  // the null parameter
    auto it = std::find_if(ch.parameters.begin(), ch.parameters.end(), [&](const Parameter& p) {
        return p.nrpn == ch.nrpnSelected && p.msb == msb && p.lsb == lsb;
    });
    if (it == ch.parameters.end()) {
        if (ch.parameters.size() >= kMaxParameters) return;
        ch.parameters.push_back({ch.nrpnSelected, static_cast<std::uint8_t>(msb),
                                 static_cast<std::uint8_t>(lsb), kUnset, kUnset});
        it = ch.parameters.end() - 1;
    }
    (controller == kDataEntryMsb ? it->dataMsb : it->dataLsb) = value;
}

// What a reset-all-controllers message puts back; the defaults sent before chasing cover it.
void ChaseState::ResetControllers(Channel& ch) {
    ch.controllers[kModulation] = kUnset;
    ch.controllers[kExpression] = kUnset;
    for (int c = kSustain; c <= kSoft; ++c) ch.controllers[c] = kUnset;
    ch.bend = kUnset;
    ch.pressure = kUnset;
    ch.rpnMsb = ch.rpnLsb = ch.nrpnMsb = ch.nrpnLsb = kUnset;
}

// A song that resets the synthesizer (General MIDI on or off, GM2, or the two makers' own resets)
// starts from defaults there: what it set before no longer counts.
static bool IsReset(std::span<const std::uint8_t> m) {
    static constexpr std::uint8_t kGmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    static constexpr std::uint8_t kGmOff[] = {0xF0, 0x7E, 0x7F, 0x09, 0x02, 0xF7};
    static constexpr std::uint8_t kGm2On[] = {0xF0, 0x7E, 0x7F, 0x09, 0x03, 0xF7};
    static constexpr std::uint8_t kGsReset[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40,
                                                0x00, 0x7F, 0x00, 0x41, 0xF7};
    static constexpr std::uint8_t kXgOn[] = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
    // Byte 2 names the device: any, for a universal message; any of the sixteen, for the others.
    auto same = [&](std::span<const std::uint8_t> r) {
        if (m.size() != r.size()) return false;
        for (std::size_t i = 0; i < r.size(); ++i)
            if (i != 2 && m[i] != r[i]) return false;
        return r[1] == 0x7E ? m[2] <= 0x7F : (m[2] & 0xF0) == 0x10;
    };
    return same(kGmOn) || same(kGmOff) || same(kGm2On) || same(kGsReset) || same(kXgOn);
}

void ChaseState::ApplySysex(std::span<const std::uint8_t> whole) {
    if (whole.empty()) return;
    if (IsReset(whole)) {
        m_channels = {};
        m_sysex.clear();
        m_nSysexBytes = 0;
    }
    // A song full of bulk dumps is chased by its first megabyte's worth; the rest is dropped.
    constexpr std::size_t kMaxSysexBytes = 1 << 20;
    if (m_nSysexBytes + whole.size() > kMaxSysexBytes) return;
    m_sysex.emplace_back(whole.begin(), whole.end());
    m_nSysexBytes += whole.size();
}

void ChaseState::Send(IMidiOut& out) const {
    for (const std::vector<std::uint8_t>& m : m_sysex) out.Send(m);
    for (int c = 0; c < kChannels; ++c) SendChannel(out, c, m_channels[c]);
}

void ChaseState::SendChannel(IMidiOut& out, int channel, const Channel& ch) {
    // The bank before the program change that it qualifies.
    if (ch.controllers[kBankMsb] != kUnset)
        Control(out, channel, kBankMsb, ch.controllers[kBankMsb]);
    if (ch.controllers[kBankLsb] != kUnset)
        Control(out, channel, kBankLsb, ch.controllers[kBankLsb]);
    if (ch.program != kUnset) Program(out, channel, ch.program);
    for (int c = 0; c < kAllSoundOff; ++c) {
        if (!IsSpecial(c) && ch.controllers[c] != kUnset)
            Control(out, channel, c, ch.controllers[c]);
    }
    for (const Parameter& p : ch.parameters) {
        Control(out, channel, p.nrpn ? kNrpnMsb : kRpnMsb, p.msb);
        Control(out, channel, p.nrpn ? kNrpnLsb : kRpnLsb, p.lsb);
        if (p.dataMsb != kUnset) Control(out, channel, kDataEntryMsb, p.dataMsb);
        if (p.dataLsb != kUnset) Control(out, channel, kDataEntryLsb, p.dataLsb);
    }
    // Leave the selection as the song left it, for data entry that follows.
    const int selMsb = ch.nrpnSelected ? ch.nrpnMsb : ch.rpnMsb;
    const int selLsb = ch.nrpnSelected ? ch.nrpnLsb : ch.rpnLsb;
    if (selMsb != kUnset && selLsb != kUnset) {
        Control(out, channel, ch.nrpnSelected ? kNrpnMsb : kRpnMsb, selMsb);
        Control(out, channel, ch.nrpnSelected ? kNrpnLsb : kRpnLsb, selLsb);
    } else if (!ch.parameters.empty()) {
        Control(out, channel, kRpnMsb, 127);
        Control(out, channel, kRpnLsb, 127);
    }
    if (ch.bend != kUnset) Bend(out, channel, ch.bend);
    if (ch.pressure != kUnset) Pressure(out, channel, ch.pressure);
}

}  // namespace qv::seq
