// The player's two ends and its system menu: the initialisation sequence, the system-menu
// commands and the quit sequence that writes the settings back.
#include <climits>
#include <vector>

#include "app/PlayerDlg.h"
#include "companion/AboutDlg.h"
#include "framework/WinApp.h"
#include "platform/files.h"
#include "platform/rand.h"
#include "playlist/FileFinder.h"
#include "res/resource.h"
#include "settings/Settings.h"

namespace {

CString LoadText(UINT nID) {
    CString s;
    s.Load(nID);
    return s;
}

// The transport items of the system menu, appended below the platform's own in this order.
struct SystemMenuRow {
    UINT nCommand;
    UINT nTextId;
    BOOL bSeparatorFirst;
};
constexpr SystemMenuRow kTransportItems[] = {
    {CPlayerDlg::IDM_SYS_PLAY, IDS_PLAY, TRUE},      {CPlayerDlg::IDM_SYS_STOP, IDS_STOP, FALSE},
    {CPlayerDlg::IDM_SYS_PREV, IDS_PREV, FALSE},     {CPlayerDlg::IDM_SYS_NEXT, IDS_NEXT, FALSE},
    {CPlayerDlg::IDM_SYS_ABOUT, IDS_ABOUTBOX, TRUE},
};

void ShowAboutBox(CPlayerDlg&) {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
}

// The system-menu commands of our own, by command id.
struct SysCommandRow {
    UINT nCommand;
    void (*pfnHandler)(CPlayerDlg&);
};
constexpr SysCommandRow kSysCommands[] = {
    {CPlayerDlg::IDM_SYS_PLAY, [](CPlayerDlg& dlg) { dlg.OnPlay(); }},
    {CPlayerDlg::IDM_SYS_STOP, [](CPlayerDlg& dlg) { dlg.OnStop(); }},
    {CPlayerDlg::IDM_SYS_PREV, [](CPlayerDlg& dlg) { dlg.OnPrev(); }},
    {CPlayerDlg::IDM_SYS_NEXT, [](CPlayerDlg& dlg) { dlg.OnNext(); }},
    {CPlayerDlg::IDM_SYS_ABOUT, ShowAboutBox},
};

void AppendSystemMenu(CPlayerDlg& dlg) {
    CMenu* pMenu = dlg.GetSystemMenu(FALSE);
    if (!pMenu) return;
    for (const SystemMenuRow& row : kTransportItems) {
        const CString strText = LoadText(row.nTextId);
        // An item whose text is missing is left out rather than shown blank.
        if (strText.IsEmpty()) continue;
        if (row.bSeparatorFirst) pMenu->AppendMenuA(MF_SEPARATOR);
        pMenu->AppendMenuA(MF_STRING, row.nCommand, strText);
    }
}

// Display mode, Loop, Random and the window's place, as the last run left them.
void RestoreSettings(CPlayerDlg& dlg) {
    CSettingsStore& settings = dlg.m_settings;
    // A mode the selector does not offer is taken as it is: the lines show empty and the selector
    // shows no choice until the user picks a mode.
    int nMode = static_cast<int>(settings.Value(IDS_DISPLAYMODE).GetDword());
    dlg.m_comboDisplay.SetCurSel(nMode);
    dlg.m_list.SetDisplayMode(nMode);
    dlg.m_bLoop = static_cast<int>(settings.Value(IDS_YESLOOP).GetDword());
    dlg.m_bRandom = static_cast<int>(settings.Value(IDS_YESRANDOMIZE).GetDword());
    // Read only so that a missing value is created as 1: the question is on until turned off.
    settings.Value(LoadText(IDS_YESASKQUIT), kDefaultYesAskQuit);
    const DWORD dwX = settings.Value(LoadText(IDS_WINDOWPOSX), kNoWindowPos).GetDword();
    if (dwX == kNoWindowPos) {
        dlg.CenterWindow();
    } else {
        const DWORD dwY = settings.Value(IDS_WINDOWPOSY).GetDword();
        dlg.SetWindowPos(nullptr, static_cast<int>(dwX), static_cast<int>(dwY), 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    }
}

// The command-line pieces in order: as the platform split them, or the one text split at blanks.
void GetCommandLinePieces(CStringArray& aPieces) {
    const CWinApp* pApp = AfxGetApp();
    if (!pApp) return;
    if (pApp->HasCommandLinePieces()) {
        for (const CString& strPiece : pApp->GetCommandLinePieces()) {
            if (!strPiece.IsEmpty()) aPieces.Add(strPiece);
        }
    } else if (pApp->m_lpCmdLine && *pApp->m_lpCmdLine) {
        CPlayerDlg::SplitString(pApp->m_lpCmdLine, " ", aPieces);
    }
}

// Adds every usable piece; answers the number of entries added.
int AddCommandLine(CPlayerDlg& dlg) {
    CStringArray aPieces;
    GetCommandLinePieces(aPieces);
    CFileFinder::CScope scope;
    int nAdded = 0;
    for (const CString& strPiece : aPieces) {
        // A piece whose absolute path cannot be formed within the system's own path limit is
        // skipped; the piece itself, not its absolute form, is what gets added.
        std::vector<char> full(qv::GetMaxPath());
        if (qv::_fullpath(full.data(), strPiece, full.size())) nAdded += dlg.AddPath(strPiece);
    }
    return nAdded;
}

}  // namespace

BOOL CPlayerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Once a session, so that the first shuffle differs from one start to the next.
    qv::SeedRand(qv::ClockSeed());
    AppendSystemMenu(*this);
    DragAcceptFiles(TRUE);
    m_bPaused = 0;
    m_settings.Load(IDS_REGKEY, HKEY_CURRENT_USER);
    RestoreSettings(*this);
    const int nAdded = AddCommandLine(*this);
    m_strLength = "00:00";
    m_strPosition = "00:00";
    UpdateData(FALSE);
    SetTimer(TIMER_POSITION, 200);
    if (nAdded > 0) {
        OnPlay();
    } else {
        EnableListButtons(FALSE);
        EnableTransport(FALSE, FALSE, FALSE, FALSE);
        m_btnEdit.EnableWindow(FALSE);
        m_btnDocument.EnableWindow(FALSE);
    }
    return TRUE;
}

void CPlayerDlg::OnSysCommand(UINT nID, LPARAM /*lParam*/) {
    // The low four bits belong to the platform.
    const UINT nCommand = nID & 0xFFF0;
    for (const SysCommandRow& row : kSysCommands) {
        if (row.nCommand == nCommand) {
            row.pfnHandler(*this);
            return;
        }
    }
    Default();
}

void CPlayerDlg::OnQuit() {
    OnCancel();
}

// Enter (the OK command) quits the way Esc does: asking first, and keeping the display mode, the
// window's place and the options changed during the session.
void CPlayerDlg::OnOK() {
    OnCancel();
}

void CPlayerDlg::OnCancel() {
    const CString strQuestion = LoadText(IDS_ASKQUIT);
    const CString strCaption = LoadText(IDS_PRODUCTNAME);
    if (m_settings.Value(IDS_YESASKQUIT).GetDword() != 0 &&
        MessageBoxA(strQuestion, strCaption, MB_OKCANCEL) != IDOK)
        return;
    m_nLength = 0;
    KillTimer(TIMER_POSITION);
    m_settings.Value(IDS_DISPLAYMODE).SetDword(static_cast<DWORD>(m_comboDisplay.GetCurSel()));
    // A minimised window's rectangle is not where the user left it, so the old place is kept.
    if (!IsIconic()) {
        CRect rect;
        GetWindowRect(&rect);
        m_settings.Value(IDS_WINDOWPOSX).SetDword(static_cast<DWORD>(rect.left));
        m_settings.Value(IDS_WINDOWPOSY).SetDword(static_cast<DWORD>(rect.top));
    }
    m_settings.Save(static_cast<LPCSTR>(nullptr), nullptr);
    CDialog::OnCancel();
}
