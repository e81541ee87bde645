// Sequencing the play list through the device: start, pause and continue, stop, previous and
// next, advancing when a piece ends, and the two time read-outs.
#include "app/PlayerDlg.h"
#include "platform/mci.h"
#include "res/resource.h"

namespace {

constexpr DWORD kFromCurrent = static_cast<DWORD>(-1);
constexpr DWORD kToEnd = static_cast<DWORD>(-1);
constexpr DWORD kNoAudio = static_cast<DWORD>(-1);
const char kZeroTime[] = "00:00";

// The whole second last written into the position read-out; the timer rewrites the text only
// when this changes.
DWORD s_nShownSeconds = 0;

}  // namespace

BOOL CPlayerDlg::StartEntry() {
    UpdateTitle(TRUE);
    if (m_bPlaying) {
        m_device.Stop(0, nullptr);
        m_device.Close(0, nullptr);
    }
    const CString strPath = m_list.GetText(m_nCurrent, CPlayList::DISPLAY_FULLPATH);
    const BOOL bOpened =
        m_device.OpenElementByTypeId(MCI_DEVTYPE_SEQUENCER, strPath, 0, nullptr) == 0;
    m_device.Set(MCI_FORMAT_MILLISECONDS, kNoAudio, 0, nullptr);
    DWORD dwLengthMs = 0;
    m_device.Status(dwLengthMs, MCI_STATUS_LENGTH, 0, nullptr, 0);
    m_nLength = dwLengthMs / 1000;
    m_strLength = FormatMinutesSeconds(m_nLength);
    m_strPosition = kZeroTime;
    UpdateData(FALSE);
    // A file that cannot be opened never completes, and a song that lasts no time would complete
    // at once, over and over under Loop: neither plays, and the caller moves on from it as if it
    // had ended, without opening its document.
    BOOL bPlays = bOpened && dwLengthMs > 0;
    if (bPlays) {
        AutoOpenDocument(strPath);
        bPlays = m_device.Play(0, kToEnd, 0, this) == 0;
    }
    m_bPlaying = 1;
    // A new entry plays even when the old one was paused, so the pause mark goes with it: the
    // PLAY caption must say what the device does.
    if (m_bPaused) SetPaused(FALSE);
    UpdateTitle(FALSE);
    return bPlays;
}

void CPlayerDlg::PlayCurrent() {
    if (m_nCurrent >= m_list.GetSize()) m_nCurrent = 0;
    SelectListEntry(m_nCurrent);
    if (!StartEntry()) Advance(TRUE, 1);
}

void CPlayerDlg::ReleaseDevice() {
    m_nLength = 0;
    m_device.Stop(0, nullptr);
    m_device.Close(0, nullptr);
    m_bPlaying = 0;
    m_strLength = kZeroTime;
    m_strPosition = kZeroTime;
    UpdateData(FALSE);
}

void CPlayerDlg::Advance(BOOL bForward, int nFailedStarts) {
    if (!m_bPlaying) return;
    const int nCount = m_list.GetSize();
    for (;;) {
        ReleaseDevice();
        int nCandidate = bForward ? m_nCurrent + 1 : m_nCurrent - 1;
        // A whole round of entries that could not start ends playback rather than cycling
        // through them for ever.
        BOOL bEnd = nFailedStarts >= nCount;
        if (!bEnd && (nCandidate >= nCount || nCandidate < 0)) {
            bEnd = !m_bLoop || nCount == 0;
            nCandidate = bForward ? 0 : nCount - 1;
        }
        if (bEnd) {
            // Past either end without Loop: the entry just left stays current and selected.
            EnableTransport(TRUE, FALSE, TRUE, TRUE);
            EnableListButtons(TRUE);
            SetPaused(FALSE);
            return;
        }
        m_nCurrent = nCandidate;
        SelectListEntry(m_nCurrent);
        if (StartEntry()) return;
        // A start that fails counts as the end of that entry: on to the next, as on completion.
        ++nFailedStarts;
        bForward = TRUE;
    }
}

void CPlayerDlg::OnPlay() {
    UpdateData(TRUE);
    if (m_bPaused) {
        UpdateTitle(TRUE);
        m_device.Play(kFromCurrent, kToEnd, 0, this);
        SetPaused(FALSE);
        UpdateTitle(FALSE);
    } else if (m_bPlaying) {
        UpdateTitle(TRUE);
        m_device.Pause(nullptr, 0);
        SetPaused(TRUE);
        UpdateTitle(FALSE);
    } else {
        if (m_listBox.GetCount() == 0) return;
        EnableTransport(TRUE, TRUE, TRUE, TRUE);
        EnableListButtons(FALSE);
        const int nSelection = m_listBox.GetCurSel();
        m_nCurrent = nSelection >= 0 ? nSelection : 0;
        m_bPlaying = 1;
        SetPaused(FALSE);
        PlayCurrent();
    }
}

void CPlayerDlg::OnStop() {
    if (!m_bPlaying) return;
    UpdateTitle(TRUE);
    m_device.Stop(0, nullptr);
    m_device.Close(0, nullptr);
    m_strPosition = kZeroTime;
    m_strLength = kZeroTime;
    m_nLength = 0;
    UpdateData(FALSE);
    UpdateTitle(FALSE);
    EnableTransport(TRUE, FALSE, TRUE, TRUE);
    EnableListButtons(TRUE);
    m_bPlaying = 0;
    SetPaused(FALSE);
}

// The selection moves once per step; the list repaints once afterwards.
static void StepWithoutRedraw(CPlayerDlg& dlg, BOOL bForward) {
    dlg.m_listBox.SetRedraw(FALSE);
    dlg.Advance(bForward);
    dlg.m_listBox.SetRedraw(TRUE);
    dlg.m_listBox.InvalidateRect(nullptr, TRUE);
}

void CPlayerDlg::OnPrev() {
    StepWithoutRedraw(*this, FALSE);
}

void CPlayerDlg::OnNext() {
    StepWithoutRedraw(*this, TRUE);
}

LRESULT CPlayerDlg::OnMciNotify(WPARAM wParam, LPARAM lParam) {
    // A completion is posted, so it may arrive after the user already moved on to another entry;
    // only the device that is open now may advance the list.
    const BOOL bFromOpenDevice =
        m_device.IsOpen() && static_cast<DWORD>(lParam) == m_device.GetDeviceId();
    if (wParam == MCI_NOTIFY_SUCCESSFUL && bFromOpenDevice) Advance(TRUE);
    return 0;
}

void CPlayerDlg::OnSelChangeList() {
    const int nSelection = m_listBox.GetCurSel();
    if (!m_bPlaying) {
        m_nCurrent = nSelection;
        UpdateMoveButtons(nSelection);
        m_btnRemove.EnableWindow(nSelection >= 0);
        m_btnClear.EnableWindow(nSelection >= 0);
        const CString strPath = m_list.GetText(nSelection, CPlayList::DISPLAY_FULLPATH);
        m_btnDocument.EnableWindow(nSelection >= 0 && FindCompanionDocument(strPath, nullptr));
        return;
    }
    if (nSelection >= 0 && nSelection != m_nCurrent) {
        m_nCurrent = nSelection;
        if (!StartEntry()) Advance(TRUE, 1);
    }
}

// Stores a check box's new state under the value name with that string id.
static void StoreSwitch(CSettingsStore& settings, UINT nNameId, int nState) {
    CString strName;
    strName.Load(nNameId);
    settings.Value(strName).SetDword(static_cast<DWORD>(nState));
}

void CPlayerDlg::OnLoop() {
    UpdateData(TRUE);
    StoreSwitch(m_settings, IDS_YESLOOP, m_bLoop);
}

void CPlayerDlg::OnRandom() {
    UpdateData(TRUE);
    StoreSwitch(m_settings, IDS_YESRANDOMIZE, m_bRandom);
}

void CPlayerDlg::OnNcRButtonDown(UINT /*nHitTest*/, CPoint /*point*/) {
    // On the open window the right button is left entirely alone, not even default handling.
    if (!IsIconic()) return;
    OnPlay();
    Default();
}

void CPlayerDlg::OnTimer(UINT_PTR /*nIDEvent*/) {
    if (m_nLength != 0) {
        DWORD dwPositionMs = 0;
        m_device.Status(dwPositionMs, MCI_STATUS_POSITION, 0, nullptr, 0);
        const DWORD dwSeconds = dwPositionMs / 1000;
        if (dwSeconds != s_nShownSeconds) {
            s_nShownSeconds = dwSeconds;
            m_strPosition = FormatMinutesSeconds(dwSeconds);
            UpdateData(FALSE);
        }
    } else if (s_nShownSeconds != 0) {
        s_nShownSeconds = 0;
    }
    Default();
}
