#include "platform/sequencer/SequencerMci.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files.h"
#include "platform/sequencer/Outputs.h"

namespace qv::seq {
namespace {

constexpr off_t kMaxFileBytes = off_t{64} << 20;
#ifdef _WIN32
// Binary, or the C library would turn CR LF pairs in the song into LF.
constexpr int kOpenFlags = O_RDONLY | O_BINARY;
#else
// Non-blocking, so that a named pipe given as a song cannot hang the caller.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
#endif

class ScopedFd {
public:
    explicit ScopedFd(int fd) : m_fd(fd) {}
    ~ScopedFd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

MCIERROR ReadWholeFile(const char* path, std::vector<std::uint8_t>& bytes) {
    ScopedFd fd(::open(path, kOpenFlags));
    if (fd.Get() < 0)
        return errno == ENOENT || errno == ENOTDIR ? MCIERR_FILE_NOT_FOUND : MCIERR_FILE_READ;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) return MCIERR_FILE_READ;
    if (!S_ISREG(st.st_mode)) return MCIERR_INVALID_FILE;
    if (st.st_size > kMaxFileBytes) return MCIERR_OUT_OF_MEMORY;
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd.Get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return MCIERR_FILE_READ;
        if (n == 0) break;  // the file shrank since fstat
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return 0;
}

bool IsSequencerType(std::uintptr_t flags, const char* type) {
    if (flags & MCI_OPEN_TYPE_ID) {
        return (reinterpret_cast<std::uintptr_t>(type) & 0xFFFF) == MCI_DEVTYPE_SEQUENCER;
    }
    return type && ::strcasecmp(type, "sequencer") == 0;
}

std::uintptr_t CallbackOf(std::uintptr_t parms) {
    return parms ? reinterpret_cast<const MCI_GENERIC_PARMS*>(parms)->dwCallback : 0;
}

template <class T>
T* Block(std::uintptr_t parms) {
    return reinterpret_cast<T*>(parms);
}

std::int64_t LengthMs(const Player& player) {
    return player.LengthUs() / 1000;
}

// The song's own end for its last millisecond, so that playing "to the length" plays it all.
std::int64_t SongUs(const Player& player, std::uint32_t ms) {
    return ms >= LengthMs(player) ? player.LengthUs() : std::int64_t{ms} * 1000;
}

std::uint32_t ModeValue(PlayMode mode) {
    switch (mode) {
        case PlayMode::Playing:
            return MCI_MODE_PLAY;
        case PlayMode::Paused:
            return MCI_MODE_PAUSE;
        case PlayMode::Stopped:
            break;
    }
    return MCI_MODE_STOP;
}

}  // namespace

MCIERROR LoadSong(const char* path, Song& song) {
    std::vector<std::uint8_t> bytes;
    // The play list accepts names whose letter case differs from the disk's, as the file
    // functions do; the song must open under the same name.
    const std::string onDisk = qv::GetDiskPath(path);
    if (const MCIERROR error = ReadWholeFile(onDisk.c_str(), bytes)) return error;
    switch (ReadSmf(bytes, song)) {
        case SmfStatus::Ok:
            return 0;
        case SmfStatus::TooLarge:
            return MCIERR_OUT_OF_MEMORY;
        case SmfStatus::Damaged:
            break;
    }
    return MCIERR_INVALID_FILE;
}

const SequencerMci::CommandRow SequencerMci::kCommands[] = {
    {MCI_PLAY, &SequencerMci::Play, false},     {MCI_PAUSE, &SequencerMci::Pause, true},
    {MCI_RESUME, &SequencerMci::Resume, false}, {MCI_STOP, &SequencerMci::Stop, true},
    {MCI_SEEK, &SequencerMci::Seek, true},      {MCI_SET, &SequencerMci::Set, true},
    {MCI_STATUS, &SequencerMci::Status, true},
};

SequencerMci::SequencerMci(SequencerOptions options)
    : m_options(std::move(options)), m_clock(m_options.clock ? *m_options.clock : m_steadyClock) {
    if (m_options.outputInMaking) {
        m_options.outputInMaking->WhenMade([this](std::uint32_t problem) { OutputMade(problem); });
        m_out = std::move(m_options.outputInMaking);
    }
}

SequencerMci::~SequencerMci() {
    std::map<MCIDEVICEID, std::shared_ptr<Player>> devices;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        devices.swap(m_devices);
    }
    devices.clear();  // each player stops, silences and joins its thread
}

MCIERROR SequencerMci::SendCommand(MCIDEVICEID deviceId, std::uint32_t msg, std::uintptr_t flags,
                                   std::uintptr_t parms) {
    if (msg == MCI_OPEN) return Open(flags, parms);
    if (msg == MCI_CLOSE) return Close(deviceId, flags, parms);
    for (const CommandRow& row : kCommands) {
        if (row.msg != msg) continue;
        const std::shared_ptr<Player> player = Find(deviceId);
        if (!player) return MCIERR_INVALID_DEVICE_ID;
        if ((flags & MCI_NOTIFY) && !parms) return MCIERR_NULL_PARAMETER_BLOCK;
        const MCIERROR result = (this->*row.handler)(deviceId, *player, flags, parms);
        if (result == 0 && row.notifiesAtOnce) PostSuccess(flags, parms, deviceId);
        return result;
    }
    return MCIERR_UNRECOGNIZED_COMMAND;
}

std::shared_ptr<Player> SequencerMci::Find(MCIDEVICEID id) {
    std::lock_guard<std::mutex> guard(m_mutex);
    const auto it = m_devices.find(id);
    return it == m_devices.end() ? nullptr : it->second;
}

IMidiOut& SequencerMci::Output() {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (!m_out) {
        m_out = MakeOutput()();
        if (!m_out) m_out = std::make_unique<NullMidiOut>();
        m_outProblem = m_out->Problem();
    }
    return *m_out;
}

void SequencerMci::OutputMade(std::uint32_t problem) {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_outProblem = problem;
    }
    TellProblemOnce(0);
}

// Whichever comes second, the made output or the first play, tells the window; never twice.
void SequencerMci::TellProblemOnce(std::uintptr_t window) {
    std::uint32_t problem = 0;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (!m_tellWindow) m_tellWindow = window;
        if (m_told || !m_tellWindow || !m_outProblem) return;
        m_told = true;
        problem = *m_outProblem;
        window = m_tellWindow;
    }
    if (problem && m_options.tellProblem) m_options.tellProblem(window, problem);
}

OutputFactory SequencerMci::MakeOutput() const {
    if (m_options.makeOutput) return m_options.makeOutput;
    return [] { return MakeOutputFromEnvironment(); };
}

void SequencerMci::PostSuccess(std::uintptr_t flags, std::uintptr_t parms, MCIDEVICEID id) {
    if ((flags & MCI_NOTIFY) && parms && m_options.poster) {
        m_options.poster(CallbackOf(parms), MCI_NOTIFY_SUCCESSFUL, id);
    }
}

MCIERROR SequencerMci::Open(std::uintptr_t flags, std::uintptr_t parms) {
    auto* open = Block<MCI_OPEN_PARMS>(parms);
    if (!open) return MCIERR_NULL_PARAMETER_BLOCK;
    if (flags & MCI_OPEN_ELEMENT_ID) return MCIERR_UNSUPPORTED_FUNCTION;
    const bool typed = flags & (MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID);
    const bool hasElement = flags & MCI_OPEN_ELEMENT;
    if (!typed && !hasElement) return MCIERR_MISSING_PARAMETER;
    // A file without a type can only be for us: MIDI files are all this device opens.
    if (typed && !IsSequencerType(flags, open->lpstrDeviceType)) return MCIERR_INVALID_DEVICE_NAME;
    Song song;
    if (hasElement) {
        if (!open->lpstrElementName) return MCIERR_MISSING_PARAMETER;
        if (const MCIERROR error = LoadSong(open->lpstrElementName, song)) return error;
    }
    IMidiOut& out = Output();
    std::lock_guard<std::mutex> guard(m_mutex);
    const MCIDEVICEID id = m_nextId++;
    if (m_nextId == 0) m_nextId = 1;  // 0 means "no device"
    auto notify = [this, id](std::uintptr_t callback, std::uint32_t code) {
        if (m_options.poster) m_options.poster(callback, code, id);
    };
    m_devices[id] = std::make_shared<Player>(std::move(song), out, m_clock, notify);
    open->wDeviceID = id;
    if ((flags & MCI_NOTIFY) && m_options.poster) {
        m_options.poster(open->dwCallback, MCI_NOTIFY_SUCCESSFUL, id);
    }
    return 0;
}

MCIERROR SequencerMci::Close(MCIDEVICEID id, std::uintptr_t flags, std::uintptr_t parms) {
    std::shared_ptr<Player> player;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        const auto it = m_devices.find(id);
        if (it == m_devices.end()) return MCIERR_INVALID_DEVICE_ID;
        player = std::move(it->second);
        m_devices.erase(it);
    }
    player.reset();  // aborts a pending notification, silences, joins the thread
    PostSuccess(flags, parms, id);
    return 0;
}

MCIERROR SequencerMci::Play(MCIDEVICEID, Player& player, std::uintptr_t flags,
                            std::uintptr_t parms) {
    const auto* play = Block<const MCI_PLAY_PARMS>(parms);
    if ((flags & (MCI_FROM | MCI_TO)) && !play) return MCIERR_NULL_PARAMETER_BLOCK;
    std::optional<std::int64_t> fromUs;
    std::int64_t toUs = player.LengthUs();
    if (flags & MCI_FROM) {
        if (play->dwFrom > LengthMs(player)) return MCIERR_OUTOFRANGE;
        fromUs = SongUs(player, play->dwFrom);
    }
    if (flags & MCI_TO) {
        if (play->dwTo > LengthMs(player)) return MCIERR_OUTOFRANGE;
        toUs = SongUs(player, play->dwTo);
    }
    if (toUs < (fromUs ? *fromUs : player.PositionUs())) return MCIERR_OUTOFRANGE;
    std::optional<std::uintptr_t> callback;
    if (flags & MCI_NOTIFY) callback = play->dwCallback;
    player.Play(fromUs, toUs, callback);
    if (callback) TellProblemOnce(*callback);
    if (flags & MCI_WAIT) player.WaitWhilePlaying();
    return 0;
}

MCIERROR SequencerMci::Pause(MCIDEVICEID, Player& player, std::uintptr_t, std::uintptr_t) {
    player.Pause();
    return 0;
}

MCIERROR SequencerMci::Resume(MCIDEVICEID id, Player& player, std::uintptr_t flags,
                              std::uintptr_t parms) {
    std::optional<std::uintptr_t> callback;
    if (flags & MCI_NOTIFY) callback = CallbackOf(parms);
    // Not paused: nothing to resume, so the command is complete at once.
    if (!player.Resume(callback)) PostSuccess(flags, parms, id);
    if ((flags & MCI_WAIT)) player.WaitWhilePlaying();
    return 0;
}

MCIERROR SequencerMci::Stop(MCIDEVICEID, Player& player, std::uintptr_t, std::uintptr_t) {
    player.Stop();
    return 0;
}

MCIERROR SequencerMci::Seek(MCIDEVICEID, Player& player, std::uintptr_t flags,
                            std::uintptr_t parms) {
    const int targets = ((flags & MCI_TO) ? 1 : 0) + ((flags & MCI_SEEK_TO_START) ? 1 : 0) +
                        ((flags & MCI_SEEK_TO_END) ? 1 : 0);
    if (targets == 0) return MCIERR_MISSING_PARAMETER;
    if (targets > 1) return MCIERR_FLAGS_NOT_COMPATIBLE;
    std::int64_t toUs = 0;
    if (flags & MCI_SEEK_TO_END) toUs = player.LengthUs();
    if (flags & MCI_TO) {
        const auto* seek = Block<const MCI_SEEK_PARMS>(parms);
        if (!seek) return MCIERR_NULL_PARAMETER_BLOCK;
        if (seek->dwTo > LengthMs(player)) return MCIERR_OUTOFRANGE;
        toUs = SongUs(player, seek->dwTo);
    }
    player.Seek(toUs);
    return 0;
}

// Milliseconds are the only time format; audio switches are accepted and have no effect.
MCIERROR SequencerMci::Set(MCIDEVICEID, Player&, std::uintptr_t flags, std::uintptr_t parms) {
    constexpr std::uintptr_t kKnown =
        MCI_NOTIFY | MCI_WAIT | MCI_SET_TIME_FORMAT | MCI_SET_AUDIO | MCI_SET_ON | MCI_SET_OFF;
    if (flags & ~kKnown) return MCIERR_UNSUPPORTED_FUNCTION;
    // Only the members that the generic and the sequencer's block share are read.
    const auto* set = Block<const MCI_SET_PARMS>(parms);
    if (flags & MCI_SET_TIME_FORMAT) {
        if (!set) return MCIERR_NULL_PARAMETER_BLOCK;
        if (set->dwTimeFormat != MCI_FORMAT_MILLISECONDS) return MCIERR_BAD_TIME_FORMAT;
    }
    return 0;
}

MCIERROR SequencerMci::Status(MCIDEVICEID, Player& player, std::uintptr_t flags,
                              std::uintptr_t parms) {
    auto* status = Block<MCI_STATUS_PARMS>(parms);
    if (!status) return MCIERR_NULL_PARAMETER_BLOCK;
    if (!(flags & MCI_STATUS_ITEM)) return MCIERR_MISSING_PARAMETER;
    // The whole song is one track.
    if ((flags & MCI_TRACK) && status->dwTrack != 1) return MCIERR_OUTOFRANGE;
    switch (status->dwItem) {
        case MCI_STATUS_LENGTH:
            status->dwReturn = static_cast<std::uintptr_t>(LengthMs(player));
            break;
        case MCI_STATUS_POSITION:
            status->dwReturn = (flags & MCI_STATUS_START)
                                   ? 0
                                   : static_cast<std::uintptr_t>(player.PositionUs() / 1000);
            break;
        case MCI_STATUS_MODE:
            status->dwReturn = ModeValue(player.Mode());
            break;
        case MCI_STATUS_TIME_FORMAT:
            status->dwReturn = MCI_FORMAT_MILLISECONDS;
            break;
        case MCI_STATUS_NUMBER_OF_TRACKS:
        case MCI_STATUS_CURRENT_TRACK:
        case MCI_STATUS_READY:
        case MCI_STATUS_MEDIA_PRESENT:
            status->dwReturn = 1;
            break;
        default:
            return MCIERR_UNSUPPORTED_FUNCTION;
    }
    return 0;
}

}  // namespace qv::seq
