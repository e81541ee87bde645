#pragma once
// The media control seam: one call that sends a command to a multimedia device, with the
// command numbers, flags, parameter blocks, error codes and notification codes of the Win32
// multimedia library, so that a Win32 backend can pass the calls straight through.
#include <cstdint>

#include "platform/types.h"

#ifndef MM_MCINOTIFY
#define MM_MCINOTIFY 0x3B9
#endif

// Commands.
#ifndef MCI_OPEN
#define MCI_OPEN 0x0803
#define MCI_CLOSE 0x0804
#define MCI_PLAY 0x0806
#define MCI_SEEK 0x0807
#define MCI_STOP 0x0808
#define MCI_PAUSE 0x0809
#define MCI_SET 0x080D
#define MCI_STATUS 0x0814
#define MCI_RESUME 0x0855
#endif

// Flags common to every command.
#ifndef MCI_NOTIFY
#define MCI_NOTIFY 0x00000001L
#define MCI_WAIT 0x00000002L
#define MCI_FROM 0x00000004L
#define MCI_TO 0x00000008L
#define MCI_TRACK 0x00000010L
#endif

// MCI_OPEN flags.
#ifndef MCI_OPEN_SHAREABLE
#define MCI_OPEN_SHAREABLE 0x00000100L
#define MCI_OPEN_ELEMENT 0x00000200L
#define MCI_OPEN_ALIAS 0x00000400L
#define MCI_OPEN_ELEMENT_ID 0x00000800L
#define MCI_OPEN_TYPE_ID 0x00001000L
#define MCI_OPEN_TYPE 0x00002000L
#endif

// MCI_SEEK flags.
#ifndef MCI_SEEK_TO_START
#define MCI_SEEK_TO_START 0x00000100L
#define MCI_SEEK_TO_END 0x00000200L
#endif

// MCI_SET flags and values.
#ifndef MCI_SET_TIME_FORMAT
#define MCI_SET_DOOR_OPEN 0x00000100L
#define MCI_SET_DOOR_CLOSED 0x00000200L
#define MCI_SET_TIME_FORMAT 0x00000400L
#define MCI_SET_AUDIO 0x00000800L
#define MCI_SET_VIDEO 0x00001000L
#define MCI_SET_ON 0x00002000L
#define MCI_SET_OFF 0x00004000L
#endif

// MCI_STATUS flags and items.
#ifndef MCI_STATUS_ITEM
#define MCI_STATUS_ITEM 0x00000100L
#define MCI_STATUS_START 0x00000200L
#define MCI_STATUS_LENGTH 0x00000001L
#define MCI_STATUS_POSITION 0x00000002L
#define MCI_STATUS_NUMBER_OF_TRACKS 0x00000003L
#define MCI_STATUS_MODE 0x00000004L
#define MCI_STATUS_MEDIA_PRESENT 0x00000005L
#define MCI_STATUS_TIME_FORMAT 0x00000006L
#define MCI_STATUS_READY 0x00000007L
#define MCI_STATUS_CURRENT_TRACK 0x00000008L
#endif

// Modes answered by MCI_STATUS_MODE.
#ifndef MCI_MODE_NOT_READY
#define MCI_MODE_NOT_READY 524
#define MCI_MODE_STOP 525
#define MCI_MODE_PLAY 526
#define MCI_MODE_RECORD 527
#define MCI_MODE_SEEK 528
#define MCI_MODE_PAUSE 529
#define MCI_MODE_OPEN 530
#endif

// Time formats.
#ifndef MCI_FORMAT_MILLISECONDS
#define MCI_FORMAT_MILLISECONDS 0
#define MCI_FORMAT_HMS 1
#define MCI_FORMAT_MSF 2
#define MCI_FORMAT_FRAMES 3
#define MCI_FORMAT_SMPTE_24 4
#define MCI_FORMAT_SMPTE_25 5
#define MCI_FORMAT_SMPTE_30 6
#define MCI_FORMAT_SMPTE_30DROP 7
#define MCI_FORMAT_BYTES 8
#define MCI_FORMAT_SAMPLES 9
#define MCI_FORMAT_TMSF 10
#endif

#ifndef MCI_DEVTYPE_SEQUENCER
#define MCI_DEVTYPE_SEQUENCER 523
#endif

// Notification codes, the first parameter of MM_MCINOTIFY.
#ifndef MCI_NOTIFY_SUCCESSFUL
#define MCI_NOTIFY_SUCCESSFUL 0x0001
#define MCI_NOTIFY_SUPERSEDED 0x0002
#define MCI_NOTIFY_ABORTED 0x0004
#define MCI_NOTIFY_FAILURE 0x0008
#endif

// Error codes.
#ifndef MCIERR_BASE
#define MCIERR_BASE 256
#endif
#ifndef MCIERR_INVALID_DEVICE_ID
#define MCIERR_INVALID_DEVICE_ID (MCIERR_BASE + 1)
#define MCIERR_UNRECOGNIZED_COMMAND (MCIERR_BASE + 5)
#define MCIERR_HARDWARE (MCIERR_BASE + 6)
#define MCIERR_INVALID_DEVICE_NAME (MCIERR_BASE + 7)
#define MCIERR_OUT_OF_MEMORY (MCIERR_BASE + 8)
#define MCIERR_MISSING_PARAMETER (MCIERR_BASE + 17)
#define MCIERR_UNSUPPORTED_FUNCTION (MCIERR_BASE + 18)
#define MCIERR_FILE_NOT_FOUND (MCIERR_BASE + 19)
#define MCIERR_INTERNAL (MCIERR_BASE + 21)
#define MCIERR_OUTOFRANGE (MCIERR_BASE + 26)
#define MCIERR_FLAGS_NOT_COMPATIBLE (MCIERR_BASE + 28)
#define MCIERR_BAD_TIME_FORMAT (MCIERR_BASE + 37)
#define MCIERR_INVALID_FILE (MCIERR_BASE + 40)
#define MCIERR_NULL_PARAMETER_BLOCK (MCIERR_BASE + 41)
#define MCIERR_DEVICE_NOT_INSTALLED (MCIERR_BASE + 50)
#define MCIERR_FILE_READ (MCIERR_BASE + 92)
#endif

namespace qv {

using MCIDEVICEID = std::uint32_t;
using MCIERROR = std::uint32_t;

struct MCI_GENERIC_PARMS {
    std::uintptr_t dwCallback;
};

struct MCI_OPEN_PARMS {
    std::uintptr_t dwCallback;
    MCIDEVICEID wDeviceID;
    // A type name, or with MCI_OPEN_TYPE_ID a type id carried in the pointer's value.
    const char* lpstrDeviceType;
    const char* lpstrElementName;
    const char* lpstrAlias;
};

struct MCI_PLAY_PARMS {
    std::uintptr_t dwCallback;
    std::uint32_t dwFrom;
    std::uint32_t dwTo;
};

struct MCI_SET_PARMS {
    std::uintptr_t dwCallback;
    std::uint32_t dwTimeFormat;
    std::uint32_t dwAudio;
};

// The sequencer's MCI_SET block: the generic block followed by the sequencer's own members.
struct MCI_SEQ_SET_PARMS {
    std::uintptr_t dwCallback;
    std::uint32_t dwTimeFormat;
    std::uint32_t dwAudio;
    std::uint32_t dwTempo;
    std::uint32_t dwPort;
    std::uint32_t dwSlave;
    std::uint32_t dwMaster;
    std::uint32_t dwOffset;
};

struct MCI_STATUS_PARMS {
    std::uintptr_t dwCallback;
    std::uintptr_t dwReturn;
    std::uint32_t dwItem;
    std::uint32_t dwTrack;
};

struct MCI_SEEK_PARMS {
    std::uintptr_t dwCallback;
    std::uint32_t dwTo;
};

// Posted by the sequencer, once a run, to the window of the first play with a notification when
// its output cannot sound: wParam is the string id of the text that tells the user why and what to
// install or set. Playing goes on silently, keeping time. (WM_APP + 1.)
#ifndef QV_MM_SOUNDPROBLEM
#define QV_MM_SOUNDPROBLEM 0x8001
#endif

// Sends one command to a device; answers 0 or an MCIERR_ code. With MCI_NOTIFY the device later
// posts MM_MCINOTIFY (notification code, device id) to the window whose handle is dwCallback.
MCIERROR mciSendCommandA(MCIDEVICEID deviceId, std::uint32_t msg, std::uintptr_t flags,
                         std::uintptr_t parms);

class IMci {
public:
    virtual ~IMci() = default;
    virtual MCIERROR SendCommand(MCIDEVICEID deviceId, std::uint32_t msg, std::uintptr_t flags,
                                 std::uintptr_t parms) = 0;
};

// Installs the backend that mciSendCommandA forwards to (not owned; null removes it) and answers
// the one installed before. Without a backend every command answers MCIERR_DEVICE_NOT_INSTALLED.
IMci* InstallMci(IMci* backend);

}  // namespace qv
