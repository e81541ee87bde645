#include <fluidsynth.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/sequencer/Outputs.h"
#include "platform/sequencer/SysexJoiner.h"
#include "platform/sequencer/alsa/AlsaSeqOut.h"
#include "res/resource.h"

namespace qv::seq {
namespace {

// Where Debian and its neighbours put General MIDI soundfonts, in order of preference.
constexpr const char* kSoundfonts[] = {
    "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",   "/usr/share/soundfonts/FluidR3_GM.sf2",
    "/usr/share/soundfonts/default.sf2",    "/usr/share/soundfonts/default-GM.sf2",
    "/usr/share/sounds/sf3/default-GM.sf3", "/usr/share/sounds/sf3/MuseScore_General.sf3",
};

// Audio drivers to try after FluidSynth's own default, in order of preference: the desktop's
// sound servers before the bare sound card.
constexpr const char* kAudioDrivers[] = {"pulseaudio", "pipewire", "alsa"};

constexpr double kGain = 0.4;  // the synthesizer's default is quiet next to other players

// The file driver renders one period per tick of a timer that counts whole milliseconds, and
// writes each period with a system call of its own. Its default of 64 frames makes that a wake and
// a write every 1.5 ms, a quarter of the CPU of a dense song. A period of 10 ms (rounded up to
// whole frames) cuts that to a hundred a second; a period shorter than its tick would let the
// file fall behind the song, as one at 256 frames (5.8 ms, a 6 ms tick) does. Events then land
// within 10 ms of their time in the file.
constexpr double kFilePeriodSeconds = 0.010;

template <class T, void (*Delete)(T*)>
struct FluidDeleter {
    void operator()(T* p) const { Delete(p); }
};
using SettingsPtr =
    std::unique_ptr<fluid_settings_t, FluidDeleter<fluid_settings_t, delete_fluid_settings>>;
using SynthPtr = std::unique_ptr<fluid_synth_t, FluidDeleter<fluid_synth_t, delete_fluid_synth>>;
using DriverPtr = std::unique_ptr<fluid_audio_driver_t,
                                  FluidDeleter<fluid_audio_driver_t, delete_fluid_audio_driver>>;

// The library logs to standard error by itself; keep its last error for our own one-line report.
// Per thread: the soundfont loads while the sound device opens, and each failure must be told
// with its own reason. The library logs on the thread of the call that failed.
thread_local std::string t_lastError;

void KeepLastError(int level, const char* message, void*) {
    if (level > FLUID_ERR || !message) return;
    t_lastError = message;
}

std::string TakeLastError() {
    std::string error;
    error.swap(t_lastError);
    return error;
}

void QuietLibraryLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
            fluid_set_log_function(level, KeepLastError, nullptr);
        }
    });
}

const char* UserSoundfont() {
    const char* chosen = std::getenv("QUAVEL_SOUNDFONT");
    return chosen && *chosen ? chosen : nullptr;
}

// The soundfont this build of the library loads when told nothing; read from settings that nobody
// has changed.
std::string SynthDefaultSoundfont(fluid_settings_t* settings) {
    char* value = nullptr;
    if (!settings ||
        fluid_settings_getstr_default(settings, "synth.default-soundfont", &value) != FLUID_OK ||
        !value) {
        return {};
    }
    return value;  // the settings own it
}

std::string WithReason(std::string text) {
    const std::string reason = TakeLastError();
    if (!reason.empty()) text += " (" + reason + ")";
    return text;
}

class FluidSynthOut final : public IMidiOut {
public:
    // The synthesizer, without a soundfont yet: it can be heard once one is loaded.
    bool MakeSynth(OutputFailure& failure) {
        QuietLibraryLog();
        m_settings.reset(new_fluid_settings());
        if (!m_settings) return Fail(failure, "cannot create synthesizer settings");
        m_synthDefault = SynthDefaultSoundfont(m_settings.get());
        fluid_settings_setnum(m_settings.get(), "synth.gain", kGain);
        // Samples load with the first use of their instrument: a 148 MB soundfont otherwise takes
        // seconds of reading before the first note can sound, for instruments no song may use.
        fluid_settings_setint(m_settings.get(), "synth.dynamic-sample-loading", 1);
        m_synth.reset(new_fluid_synth(m_settings.get()));
        if (!m_synth) return Fail(failure, WithReason("cannot create the synthesizer"));
        return true;
    }

    bool LoadSoundfont(OutputFailure& failure) {
        const char* user = UserSoundfont();
        std::string tried;
        for (const std::string& path : SoundfontCandidates(user, m_synthDefault)) {
            tried += (tried.empty() ? "" : ", ") + path;
            if (::access(path.c_str(), R_OK) != 0) continue;
            if (fluid_synth_sfload(m_synth.get(), path.c_str(), 1) != FLUID_FAILED) return true;
        }
        if (user) {
            return Fail(failure,
                        WithReason("QUAVEL_SOUNDFONT=" + std::string(user) +
                                   " cannot be loaded as a soundfont"),
                        IDS_SOUND_BADSOUNDFONT);
        }
        return Fail(failure,
                    WithReason("no General MIDI soundfont could be loaded; tried " + tried),
                    IDS_SOUND_NOSOUNDFONT);
    }

    bool StartAudio(OutputFailure& failure) {
        const std::string standard = DriverSetting();
        if (TryDriver()) return true;
        std::string tried = standard;
        const std::vector<std::string> built = BuiltDrivers();
        for (const char* driver : kAudioDrivers) {
            if (driver == standard ||
                std::find(built.begin(), built.end(), driver) == built.end()) {
                continue;
            }
            tried += std::string(", ") + driver;
            if (fluid_settings_setstr(m_settings.get(), "audio.driver", driver) == FLUID_OK &&
                TryDriver()) {
                return true;
            }
        }
        return Fail(failure, WithReason("no audio output could be opened; tried " + tried),
                    IDS_SOUND_NOAUDIO);
    }

    bool StartFile(const std::string& path, OutputFailure& failure) {
        fluid_settings_setstr(m_settings.get(), "audio.driver", "file");
        fluid_settings_setstr(m_settings.get(), "audio.file.name", path.c_str());
        fluid_settings_setstr(m_settings.get(), "audio.file.type", "wav");
        fluid_settings_setstr(m_settings.get(), "audio.file.format", "s16");
        double rate = 0;
        if (fluid_settings_getnum(m_settings.get(), "synth.sample-rate", &rate) == FLUID_OK) {
            fluid_settings_setint(m_settings.get(), "audio.period-size",
                                  static_cast<int>(std::ceil(rate * kFilePeriodSeconds)));
        }
        if (TryDriver()) return true;
        return Fail(failure, WithReason("cannot write the WAV file " + path), IDS_SOUND_BADOUTPUT);
    }

    void Send(std::span<const std::uint8_t> m) override {
        if (IsSysexPacket(m)) return SendSysex(m);
        if (m.size() < 2 || m[0] > 0xF0) return;
        fluid_synth_t* synth = m_synth.get();
        const int channel = m[0] & 0x0F;
        const int data2 = m.size() > 2 ? m[2] : 0;
        switch (m[0] & 0xF0) {
            case 0x80:
                fluid_synth_noteoff(synth, channel, m[1]);
                break;
            case 0x90:
                fluid_synth_noteon(synth, channel, m[1], data2);
                break;
            case 0xA0:
                fluid_synth_key_pressure(synth, channel, m[1], data2);
                break;
            case 0xB0:
                fluid_synth_cc(synth, channel, m[1], data2);
                break;
            case 0xC0:
                fluid_synth_program_change(synth, channel, m[1]);
                break;
            case 0xD0:
                fluid_synth_channel_pressure(synth, channel, m[1]);
                break;
            case 0xE0:
                fluid_synth_pitch_bend(synth, channel, m[1] | (data2 << 7));
                break;
            default:
                break;
        }
    }

private:
    static bool Fail(OutputFailure& failure, std::string reason,
                     std::uint32_t messageId = IDS_SOUND_BADOUTPUT) {
        failure = {messageId, std::move(reason)};
        return false;
    }

    // The audio drivers this build of the library has.
    std::vector<std::string> BuiltDrivers() const {
        std::vector<std::string> names;
        fluid_settings_foreach_option(
            m_settings.get(), "audio.driver", &names,
            [](void* data, const char*, const char* option) {
                static_cast<std::vector<std::string>*>(data)->emplace_back(option);
            });
        return names;
    }

    std::string DriverSetting() const {
        char* value = nullptr;
        std::string driver;
        if (fluid_settings_dupstr(m_settings.get(), "audio.driver", &value) == FLUID_OK && value) {
            driver = value;
        }
        fluid_free(value);
        return driver;
    }

    bool TryDriver() {
        m_driver.reset(new_fluid_audio_driver(m_settings.get(), m_synth.get()));
        return m_driver != nullptr;
    }

    void SendSysex(std::span<const std::uint8_t> m) {
        std::lock_guard<std::mutex> guard(m_sysexMutex);
        const std::span<const std::uint8_t> whole = m_sysex.Add(m);
        // The synthesizer wants the message without its first and last bytes.
        if (whole.size() >= 3 && whole.size() - 2 <= static_cast<std::size_t>(INT_MAX)) {
            fluid_synth_sysex(m_synth.get(), reinterpret_cast<const char*>(whole.data() + 1),
                              static_cast<int>(whole.size() - 2), nullptr, nullptr, nullptr, 0);
        }
    }

    std::string m_synthDefault;
    // Declared so that the driver goes first, then the synthesizer, then the settings.
    SettingsPtr m_settings;
    SynthPtr m_synth;
    DriverPtr m_driver;
    std::mutex m_sysexMutex;  // players send from their own threads
    SysexJoiner m_sysex;
};

std::unique_ptr<IMidiOut> MakeNull(std::string_view, OutputFailure&, const MayOpen&) {
    return std::make_unique<NullMidiOut>();
}

std::unique_ptr<IMidiOut> MakeFluid(std::string_view, OutputFailure& failure,
                                    const MayOpen& mayOpen) {
    return MakeFluidSynthOutput(failure, mayOpen);
}

std::unique_ptr<IMidiOut> MakeWav(std::string_view path, OutputFailure& failure,
                                  const MayOpen& mayOpen) {
    if (path.empty()) {
        failure = {IDS_SOUND_BADOUTPUT, "QUAVEL_MIDI_OUT=wav: needs a file name after the colon"};
        return nullptr;
    }
    return MakeWavOutput(std::string(path), failure, mayOpen);
}

std::unique_ptr<IMidiOut> MakeAlsa(std::string_view address, OutputFailure& failure,
                                   const MayOpen& mayOpen) {
    if (mayOpen && !mayOpen()) return nullptr;
    auto out = MakeAlsaOutput(address, failure.reason);
    if (!out) failure.messageId = IDS_SOUND_NOALSAPORT;
    return out;
}

struct OutputKind {
    std::string_view prefix;  // the value of QUAVEL_MIDI_OUT, or its start up to the path
    bool takesPath;
    std::unique_ptr<IMidiOut> (*make)(std::string_view path, OutputFailure& failure,
                                      const MayOpen& mayOpen);
    std::string_view shown;  // as --list-outputs shows it; empty: not listed
    std::string_view about;
};

// In order of preference: the first is the default.
constexpr OutputKind kOutputs[] = {
    {"fluidsynth", false, MakeFluid, "fluidsynth",
     "the system's General MIDI soundfont, through the desktop's sound server (the default)"},
    {"wav:", true, MakeWav, "wav:FILE", "the same synthesizer, rendered into a WAV file"},
    {"null", false, MakeNull, "null", "silent; the player keeps time"},
    {"alsa", false, MakeAlsa, "alsa", "the first synthesizer port on the ALSA sequencer"},
    {"alsa:", true, MakeAlsa, "", ""},
};

using Start = std::function<bool(FluidSynthOut&, OutputFailure&)>;

// Loading a soundfont is seconds of work that nobody watches; the window coming up at the same
// time is what the user waits for, so on a busy machine it goes first.
void YieldToTheWindow() {
    constexpr int kLoadNice = 10;
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kLoadNice);
}

// The synthesizer with its soundfont, heard through what start opens. A sound device opens while
// the soundfont loads, so that it is running when the soundfont is in and the first note sounds
// at once; a file is made only once the soundfont is in, so that a failed load leaves none.
std::unique_ptr<IMidiOut> MakeSynthOutput(OutputFailure& failure, const MayOpen& mayOpen,
                                          const Start& start, bool openWhileLoading) {
    auto out = std::make_unique<FluidSynthOut>();
    if (!out->MakeSynth(failure)) return nullptr;
    // On a thread of its own, as the sound device's threads must not share its lower priority.
    bool loaded = false;
    std::thread loader([&] {
        YieldToTheWindow();
        loaded = out->LoadSoundfont(failure);
    });
    OutputFailure openFailure;
    bool opened = false;
    const auto open = [&] { opened = (!mayOpen || mayOpen()) && start(*out, openFailure); };
    if (openWhileLoading) open();
    loader.join();
    if (!loaded) return nullptr;
    if (!openWhileLoading) open();
    if (!opened) {
        failure = std::move(openFailure);
        return nullptr;
    }
    return out;
}

void SaySilentOnce(const std::string& reason) {
    static std::atomic<bool> said{false};
    if (said.exchange(true)) return;
    std::fprintf(stderr, "quavel: playing silently: %s\n", reason.c_str());
}

}  // namespace

std::vector<std::string> SoundfontCandidates(const char* userChoice,
                                             const std::string& synthDefault) {
    if (userChoice && *userChoice) return {userChoice};
    std::vector<std::string> candidates;
    if (!synthDefault.empty()) candidates.push_back(synthDefault);
    for (const char* place : kSoundfonts) {
        if (place != synthDefault) candidates.emplace_back(place);
    }
    return candidates;
}

std::string FindSoundfont(std::string& tried) {
    tried.clear();
    const SettingsPtr settings(new_fluid_settings());
    for (const std::string& path :
         SoundfontCandidates(UserSoundfont(), SynthDefaultSoundfont(settings.get()))) {
        if (::access(path.c_str(), R_OK) == 0) return path;
        tried += (tried.empty() ? "" : ", ") + path;
    }
    return {};
}

std::unique_ptr<IMidiOut> MakeFluidSynthOutput(OutputFailure& failure, const MayOpen& mayOpen) {
    const Start audio = [](FluidSynthOut& out, OutputFailure& f) { return out.StartAudio(f); };
    return MakeSynthOutput(failure, mayOpen, audio, true);
}

std::unique_ptr<IMidiOut> MakeWavOutput(const std::string& path, OutputFailure& failure,
                                        const MayOpen& mayOpen) {
    const Start file = [&path](FluidSynthOut& out, OutputFailure& f) {
        return out.StartFile(path, f);
    };
    return MakeSynthOutput(failure, mayOpen, file, false);
}

std::unique_ptr<IMidiOut> MakeOutputFromEnvironment() {
    return MakeOutputFromEnvironment(MayOpen());
}

std::unique_ptr<IMidiOut> MakeOutputFromEnvironment(const MayOpen& mayOpen) {
    const char* env = std::getenv("QUAVEL_MIDI_OUT");
    const std::string_view wanted = env && *env ? env : kOutputs[0].prefix;
    OutputFailure failure;
    for (const OutputKind& kind : kOutputs) {
        const bool matches =
            kind.takesPath ? wanted.starts_with(kind.prefix) : wanted == kind.prefix;
        if (!matches) continue;
        if (auto out = kind.make(wanted.substr(kind.prefix.size()), failure, mayOpen)) return out;
        // Another player has the files: this start ends, and what it lacked does not matter.
        if (mayOpen && !mayOpen()) return std::make_unique<NullMidiOut>();
        SaySilentOnce(failure.reason);
        return std::make_unique<NullMidiOut>(failure.messageId);
    }
    SaySilentOnce("QUAVEL_MIDI_OUT=" + std::string(wanted) +
                  " is not one of the outputs that quavel --list-outputs shows");
    return std::make_unique<NullMidiOut>(IDS_SOUND_BADOUTPUT);
}

std::string ListOutputs() {
    std::string text;
    const auto line = [&text](std::string_view shown, std::string_view about) {
        text += std::string(shown) + std::string(shown.size() < 16 ? 16 - shown.size() : 1, ' ') +
                std::string(about) + "\n";
    };
    for (const OutputKind& kind : kOutputs) {
        if (!kind.shown.empty()) line(kind.shown, kind.about);
    }
    std::string failure;
    for (const AlsaPort& port : ListAlsaPorts(failure)) {
        line("alsa:" + std::to_string(port.client) + ":" + std::to_string(port.port),
             port.clientName + ": " + port.portName);
    }
    if (!failure.empty()) text += "(no ALSA sequencer ports: " + failure + ")\n";
    return text;
}

}  // namespace qv::seq
