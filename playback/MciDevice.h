#pragma once
#include <memory>

#include "framework/Object.h"
#include "framework/Types.h"
#include "framework/Wnd.h"
#include "platform/mci.h"

// One device of the media control interface: at most one open device, one operation per command.
// Each operation answers the MCI error code, or -1 (-2 for Play) when the call is refused without
// sending anything: wrong open state, or no memory for the parameter block.
class CMciDevice : public CObject {
public:
    CMciDevice();
    ~CMciDevice() override;
    CMciDevice(const CMciDevice&) = delete;
    CMciDevice& operator=(const CMciDevice&) = delete;

    virtual LONG OpenByTypeId(UINT nTypeId, DWORD dwFlags, CWnd* pWnd);
    virtual LONG OpenByTypeName(LPCSTR lpszType, DWORD dwFlags, CWnd* pWnd);
    virtual LONG OpenElementByTypeId(UINT nTypeId, LPCSTR lpszElement, DWORD dwFlags, CWnd* pWnd);
    virtual LONG OpenElementByTypeName(LPCSTR lpszType, LPCSTR lpszElement, DWORD dwFlags,
                                       CWnd* pWnd);
    virtual LONG Close(DWORD dwFlags, CWnd* pWnd);
    virtual LONG Play(DWORD dwFrom, DWORD dwTo, DWORD dwFlags, CWnd* pWnd);
    virtual LONG Set(DWORD dwTimeFormat, DWORD dwAudio, DWORD dwFlags, CWnd* pWnd);
    virtual LONG Status(DWORD& dwReturn, DWORD dwItem, DWORD dwFlags, CWnd* pWnd, DWORD dwTrack);
    virtual LONG Seek(DWORD dwTo, DWORD dwFlags, CWnd* pWnd);
    virtual LONG Stop(DWORD dwFlags, CWnd* pWnd);
    virtual LONG Pause(CWnd* pWnd, DWORD dwFlags);
    virtual LONG Resume(CWnd* pWnd, DWORD dwFlags);

    BOOL IsOpen() const { return m_pOpenParms != nullptr; }
    // The device id that commands go to; 0 when closed or when the open failed.
    DWORD GetDeviceId() const { return m_pOpenParms ? m_pOpenParms->wDeviceID : 0; }

protected:
    // Sends MCI_SET with a zeroed block of the given type; derived devices choose their block.
    template <class TSetParms>
    LONG SendSet(DWORD dwTimeFormat, DWORD dwAudio, DWORD dwFlags, CWnd* pWnd);

    // Flags and callback for the open operations, Close and Play: a usable window adds
    // MCI_NOTIFY before masking, so a caller's own MCI_NOTIFY survives without a window.
    static DWORD NotifyFlagsFirst(DWORD dwFlags, DWORD dwMask, CWnd* pWnd, UINT_PTR& dwCallback);
    // Flags and callback for every other operation: only a usable window gets MCI_NOTIFY.
    static DWORD NotifyFlagsSecond(DWORD dwFlags, CWnd* pWnd, UINT_PTR& dwCallback);

    LONG Send(UINT uMsg, DWORD dwFlags, const void* pParms);

    std::unique_ptr<qv::MCI_OPEN_PARMS> m_pOpenParms;
    std::unique_ptr<qv::MCI_PLAY_PARMS> m_pPlayParms;
    DWORD m_dwLastError = 0;

private:
    LONG Open(LPCSTR lpszType, LPCSTR lpszElement, DWORD dwFlags, DWORD dwMask, DWORD dwAdd,
              CWnd* pWnd);
    LONG SendGeneric(UINT uMsg, DWORD dwFlags, CWnd* pWnd);
};

// The MIDI sequencer: the same device, with the sequencer's own MCI_SET block.
class CMidiDevice : public CMciDevice {
public:
    LONG Set(DWORD dwTimeFormat, DWORD dwAudio, DWORD dwFlags, CWnd* pWnd) override;
};
