// What the user sees of the player state: enabled buttons, captions, the title bar, the system
// menu and the minimised window. Nothing here keeps state of its own except SetPaused's mark.
#include "app/PlayerDlg.h"
#include "res/resource.h"

namespace {

CString LoadText(UINT nID) {
    CString s;
    s.Load(nID);
    return s;
}

}  // namespace

void CPlayerDlg::SelectListEntry(int nIndex) {
    m_listBox.SetCurSel(nIndex);
}

void CPlayerDlg::EnableListButtons(BOOL bEnable) {
    m_btnShuffle.EnableWindow(bEnable);
    m_btnClear.EnableWindow(bEnable);
    if (m_listBox.GetCurSel() < 0) bEnable = FALSE;
    m_btnRemove.EnableWindow(bEnable);
    if (bEnable) {
        UpdateMoveButtons(m_nCurrent);
    } else {
        m_btnUp.EnableWindow(FALSE);
        m_btnDown.EnableWindow(FALSE);
    }
    m_btnEdit.EnableWindow(bEnable);
}

void CPlayerDlg::UpdateMoveButtons(int nIndex) {
    m_btnUp.EnableWindow(nIndex != 0);
    m_btnDown.EnableWindow(nIndex < m_listBox.GetCount() - 1);
}

void CPlayerDlg::EnableTransport(BOOL bPlay, BOOL bStop, BOOL bPrev, BOOL bNext) {
    struct Pair {
        CButton& button;
        UINT nCommand;
        BOOL bEnable;
    };
    const Pair pairs[] = {{m_btnPlay, IDM_SYS_PLAY, bPlay},
                          {m_btnStop, IDM_SYS_STOP, bStop},
                          {m_btnPrev, IDM_SYS_PREV, bPrev},
                          {m_btnNext, IDM_SYS_NEXT, bNext}};
    CMenu* pMenu = GetSystemMenu(FALSE);
    for (const Pair& p : pairs) {
        p.button.EnableWindow(p.bEnable);
        if (pMenu) pMenu->EnableMenuItem(p.nCommand, MF_BYCOMMAND | (p.bEnable ? MF_ENABLED : MF_GRAYED));
    }
}

void CPlayerDlg::SetPaused(BOOL bPaused) {
    m_bPaused = bPaused ? 1 : 0;
    CString strCaption = LoadText(!bPaused && m_bPlaying ? IDS_PAUSE : IDS_PLAY);
    m_btnPlay.SetWindowTextA(strCaption);
    if (CMenu* pMenu = GetSystemMenu(FALSE)) {
        pMenu->ModifyMenuA(IDM_SYS_PLAY, MF_BYCOMMAND | MF_STRING, IDM_SYS_PLAY, strCaption);
    }
}

// The text of the current entry in the display mode, with the pause mark appended without a blank.
static CString MinimisedCaption(const CPlayList& list, int nCurrent, BOOL bPaused) {
    CString strCaption = list.GetText(nCurrent, -1);
    if (bPaused) strCaption += LoadText(IDS_PAUSED);
    return strCaption;
}

void CPlayerDlg::UpdateTitle(BOOL bWorking) {
    if (bWorking) {
        SetWindowTextA(LoadText(IDS_WORKING));
    } else if (IsIconic() && m_bPlaying) {
        SetWindowTextA(MinimisedCaption(m_list, m_nCurrent, m_bPaused));
    } else {
        SetWindowTextA(LoadText(IDS_PRODUCTNAME));
    }
}

void CPlayerDlg::OnSize(UINT nType, int /*cx*/, int /*cy*/) {
    Default();
    if (nType == SIZE_MINIMIZED && m_nCurrent >= 0 && m_bPlaying) {
        SetWindowTextA(MinimisedCaption(m_list, m_nCurrent, m_bPaused));
    } else {
        SetWindowTextA(LoadText(IDS_PRODUCTNAME));
    }
}

void CPlayerDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessageA(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    int cxIcon = qv::GetSystemMetrics(SM_CXICON);
    int cyIcon = qv::GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    int x = (rect.Width() - cxIcon + 1) / 2;
    int y = (rect.Height() - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HICON CPlayerDlg::OnQueryDragIcon() {
    return m_hIcon;
}
