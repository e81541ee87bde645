#include "playback/MciDevice.h"

#include <new>

namespace {

constexpr DWORD kNone = static_cast<DWORD>(-1);
constexpr DWORD kOpenMask = MCI_NOTIFY | MCI_WAIT | MCI_OPEN_SHAREABLE;
constexpr DWORD kOpenElementMask = kOpenMask | MCI_OPEN_ELEMENT_ID;
constexpr DWORD kNotifyWaitMask = MCI_NOTIFY | MCI_WAIT;

bool IsUsable(const CWnd* pWnd) {
    return CWnd::SafeHandle(pWnd) != nullptr;
}

UINT_PTR HandleValue(const CWnd* pWnd) {
    return reinterpret_cast<UINT_PTR>(CWnd::SafeHandle(pWnd));
}

// A type id travels in the open block's type-name pointer, as the MCI_OPEN_TYPE_ID flag expects.
LPCSTR TypeIdAsName(UINT nTypeId) {
    return reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(nTypeId & 0xFFFF));
}

}  // namespace

CMciDevice::CMciDevice() = default;

CMciDevice::~CMciDevice() {
    m_pPlayParms.reset();
    if (m_pOpenParms) CMciDevice::Close(0, nullptr);
}

DWORD CMciDevice::NotifyFlagsFirst(DWORD dwFlags, DWORD dwMask, CWnd* pWnd, UINT_PTR& dwCallback) {
    if (IsUsable(pWnd)) dwFlags |= MCI_NOTIFY;
    dwFlags &= dwMask;
    dwCallback = (dwFlags & MCI_NOTIFY) && pWnd ? HandleValue(pWnd) : 0;
    return dwFlags;
}

DWORD CMciDevice::NotifyFlagsSecond(DWORD dwFlags, CWnd* pWnd, UINT_PTR& dwCallback) {
    dwFlags &= ~static_cast<DWORD>(MCI_NOTIFY);
    dwCallback = 0;
    if (IsUsable(pWnd)) {
        dwFlags |= MCI_NOTIFY;
        dwCallback = HandleValue(pWnd);
    }
    return dwFlags;
}

// Every command except MCI_OPEN goes to the open block's device id; MCI_OPEN goes to device 0,
// which is what the open block holds until the open succeeds.
LONG CMciDevice::Send(UINT uMsg, DWORD dwFlags, const void* pParms) {
    const DWORD deviceId = uMsg == MCI_OPEN ? 0 : GetDeviceId();
    m_dwLastError =
        qv::mciSendCommandA(deviceId, uMsg, dwFlags, reinterpret_cast<UINT_PTR>(pParms));
    return static_cast<LONG>(m_dwLastError);
}

LONG CMciDevice::Open(LPCSTR lpszType, LPCSTR lpszElement, DWORD dwFlags, DWORD dwMask, DWORD dwAdd,
                      CWnd* pWnd) {
    if (m_pOpenParms) return -1;
    std::unique_ptr<qv::MCI_OPEN_PARMS> pParms(new (std::nothrow) qv::MCI_OPEN_PARMS{});
    if (!pParms) return -1;
    UINT_PTR dwCallback = 0;
    const DWORD dwSend = NotifyFlagsFirst(dwFlags, dwMask, pWnd, dwCallback) | dwAdd;
    pParms->dwCallback = dwCallback;
    pParms->wDeviceID = 0;
    pParms->lpstrDeviceType = lpszType;
    pParms->lpstrElementName = lpszElement;
    pParms->lpstrAlias = nullptr;
    // Open from here on, even if the device refuses: Close is then still the way back.
    m_pOpenParms = std::move(pParms);
    return Send(MCI_OPEN, dwSend, m_pOpenParms.get());
}

LONG CMciDevice::OpenByTypeId(UINT nTypeId, DWORD dwFlags, CWnd* pWnd) {
    return Open(TypeIdAsName(nTypeId), nullptr, dwFlags, kOpenMask, MCI_OPEN_TYPE_ID, pWnd);
}

LONG CMciDevice::OpenByTypeName(LPCSTR lpszType, DWORD dwFlags, CWnd* pWnd) {
    return Open(lpszType, nullptr, dwFlags, kOpenMask, MCI_OPEN_TYPE, pWnd);
}

LONG CMciDevice::OpenElementByTypeId(UINT nTypeId, LPCSTR lpszElement, DWORD dwFlags, CWnd* pWnd) {
    return Open(TypeIdAsName(nTypeId), lpszElement, dwFlags, kOpenElementMask,
                MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT, pWnd);
}

LONG CMciDevice::OpenElementByTypeName(LPCSTR lpszType, LPCSTR lpszElement, DWORD dwFlags,
                                       CWnd* pWnd) {
    return Open(lpszType, lpszElement, dwFlags, kOpenElementMask, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                pWnd);
}

LONG CMciDevice::Close(DWORD dwFlags, CWnd* pWnd) {
    if (!m_pOpenParms) return -1;
    qv::MCI_GENERIC_PARMS parms{};
    const DWORD dwSend = NotifyFlagsFirst(dwFlags, kNotifyWaitMask, pWnd, parms.dwCallback);
    const LONG result = Send(MCI_CLOSE, dwSend, &parms);
    m_pOpenParms.reset();
    return result;
}

LONG CMciDevice::Play(DWORD dwFrom, DWORD dwTo, DWORD dwFlags, CWnd* pWnd) {
    if (!m_pOpenParms) return -1;
    if (!m_pPlayParms) {
        m_pPlayParms.reset(new (std::nothrow) qv::MCI_PLAY_PARMS{});
        if (!m_pPlayParms) return -2;
    }
    UINT_PTR dwCallback = 0;
    DWORD dwSend = NotifyFlagsFirst(dwFlags, kNotifyWaitMask, pWnd, dwCallback);
    if (dwFrom != kNone) dwSend |= MCI_FROM;
    if (dwTo != kNone) dwSend |= MCI_TO;
    m_pPlayParms->dwCallback = dwCallback;
    m_pPlayParms->dwFrom = dwFrom != kNone ? dwFrom : 0;
    m_pPlayParms->dwTo = dwTo != kNone ? dwTo : 0;
    return Send(MCI_PLAY, dwSend, m_pPlayParms.get());
}

template <class TSetParms>
LONG CMciDevice::SendSet(DWORD dwTimeFormat, DWORD dwAudio, DWORD dwFlags, CWnd* pWnd) {
    if (!m_pOpenParms) return -1;
    TSetParms parms{};
    DWORD dwSend = NotifyFlagsSecond(dwFlags, pWnd, parms.dwCallback);
    if (dwTimeFormat != kNone) {
        dwSend |= MCI_SET_TIME_FORMAT;
        parms.dwTimeFormat = dwTimeFormat;
    }
    if (dwAudio != kNone) {
        dwSend |= MCI_SET_AUDIO;
        parms.dwAudio = dwAudio;
    }
    return Send(MCI_SET, dwSend, &parms);
}

LONG CMciDevice::Set(DWORD dwTimeFormat, DWORD dwAudio, DWORD dwFlags, CWnd* pWnd) {
    return SendSet<qv::MCI_SET_PARMS>(dwTimeFormat, dwAudio, dwFlags, pWnd);
}

LONG CMidiDevice::Set(DWORD dwTimeFormat, DWORD dwAudio, DWORD dwFlags, CWnd* pWnd) {
    return SendSet<qv::MCI_SEQ_SET_PARMS>(dwTimeFormat, dwAudio, dwFlags, pWnd);
}

LONG CMciDevice::Status(DWORD& dwReturn, DWORD dwItem, DWORD dwFlags, CWnd* pWnd, DWORD dwTrack) {
    if (!m_pOpenParms) return -1;
    qv::MCI_STATUS_PARMS parms{};
    DWORD dwSend = NotifyFlagsSecond(dwFlags, pWnd, parms.dwCallback);
    if (dwItem != 0) dwSend |= MCI_STATUS_ITEM;
    parms.dwReturn = 0;
    parms.dwItem = dwItem;
    parms.dwTrack = dwTrack;
    const LONG result = Send(MCI_STATUS, dwSend, &parms);
    // Whatever the device answered: a failed query reads as 0.
    dwReturn = static_cast<DWORD>(parms.dwReturn);
    return result;
}

LONG CMciDevice::Seek(DWORD dwTo, DWORD dwFlags, CWnd* pWnd) {
    if (!m_pOpenParms) return -1;
    qv::MCI_SEEK_PARMS parms{};
    DWORD dwSend = NotifyFlagsSecond(dwFlags, pWnd, parms.dwCallback);
    if (dwTo != kNone) {
        dwSend |= MCI_TO;
        parms.dwTo = dwTo;
    }
    return Send(MCI_SEEK, dwSend, &parms);
}

LONG CMciDevice::SendGeneric(UINT uMsg, DWORD dwFlags, CWnd* pWnd) {
    if (!m_pOpenParms) return -1;
    qv::MCI_GENERIC_PARMS parms{};
    const DWORD dwSend = NotifyFlagsSecond(dwFlags & MCI_WAIT, pWnd, parms.dwCallback);
    return Send(uMsg, dwSend, &parms);
}

LONG CMciDevice::Stop(DWORD dwFlags, CWnd* pWnd) {
    return SendGeneric(MCI_STOP, dwFlags, pWnd);
}

LONG CMciDevice::Pause(CWnd* pWnd, DWORD dwFlags) {
    return SendGeneric(MCI_PAUSE, dwFlags, pWnd);
}

LONG CMciDevice::Resume(CWnd* pWnd, DWORD dwFlags) {
    return SendGeneric(MCI_RESUME, dwFlags, pWnd);
}
