#include "app/PlayerDlg.h"

#include "framework/WinApp.h"
#include "platform/mci.h"
#include "res/resource.h"

// clang-format off
BEGIN_MESSAGE_MAP(CPlayerDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_PLAY, &CPlayerDlg::OnPlay)
    ON_BN_CLICKED(IDC_STOP, &CPlayerDlg::OnStop)
    ON_WM_DROPFILES()
    ON_BN_CLICKED(IDC_PREV, &CPlayerDlg::OnPrev)
    ON_BN_CLICKED(IDC_NEXT, &CPlayerDlg::OnNext)
    ON_BN_CLICKED(IDC_REMOVE, &CPlayerDlg::OnRemove)
    ON_CBN_SELCHANGE(IDC_DISPLAYMODE, &CPlayerDlg::OnSelchangeDisplayMode)
    ON_WM_SIZE()
    ON_BN_CLICKED(IDC_OPEN, &CPlayerDlg::OnOpen)
    ON_BN_CLICKED(IDC_SAVE, &CPlayerDlg::OnSave)
    ON_LBN_SELCHANGE(IDC_PLAYLIST, &CPlayerDlg::OnSelChangeList)
    ON_BN_CLICKED(IDC_QUIT, &CPlayerDlg::OnQuit)
    ON_BN_CLICKED(IDC_DOWN, &CPlayerDlg::OnDown)
    ON_BN_CLICKED(IDC_UP, &CPlayerDlg::OnUp)
    ON_BN_CLICKED(IDC_CLEAR, &CPlayerDlg::OnClear)
    ON_BN_CLICKED(IDC_OPTIONS, &CPlayerDlg::OnOptions)
    ON_BN_CLICKED(IDC_LOOP, &CPlayerDlg::OnLoop)
    ON_BN_CLICKED(IDC_RANDOM, &CPlayerDlg::OnRandom)
    ON_BN_CLICKED(IDC_EDIT, &CPlayerDlg::OnEdit)
    ON_BN_CLICKED(IDC_DOCUMENT, &CPlayerDlg::OnDocument)
    ON_WM_NCRBUTTONDOWN()
    ON_BN_CLICKED(IDC_SHUFFLE, &CPlayerDlg::OnShuffle)
    ON_WM_TIMER()
    ON_MESSAGE(MM_MCINOTIFY, &CPlayerDlg::OnMciNotify)
    ON_MESSAGE(QV_MM_SOUNDPROBLEM, &CPlayerDlg::OnSoundProblem)
    ON_MESSAGE(CPlayerDlg::WM_QV_ADDDROPPED, &CPlayerDlg::OnAddDropped)
END_MESSAGE_MAP()
// clang-format on

CPlayerDlg::CPlayerDlg(CWnd* pParent)
    : CDialog(IDD_PLAYER, pParent), m_hIcon(qv::LoadAppIcon(IDR_MAINFRAME)) {}

// Destroying the device member closes a device that is still open, which stops the music.
CPlayerDlg::~CPlayerDlg() = default;

// The sequencer says, once a run, why it plays silently. The box is shown from here, the window's
// own thread, after the song has started: the song keeps time and the list goes on behind it.
LRESULT CPlayerDlg::OnSoundProblem(WPARAM wParam, LPARAM) {
    CString strText, strCaption;
    if (strText.Load(static_cast<UINT>(wParam)) && strCaption.Load(IDS_PRODUCTNAME))
        MessageBoxA(strText, strCaption, MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

BOOL CPlayerDlg::OnCmdMsg(UINT nID, int nCode) {
    return CDialog::OnCmdMsg(nID, nCode);
}

void CPlayerDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SHUFFLE, m_btnShuffle);
    DDX_Control(pDX, IDC_EDIT, m_btnEdit);
    DDX_Control(pDX, IDC_DOCUMENT, m_btnDocument);
    DDX_Control(pDX, IDC_CLEAR, m_btnClear);
    DDX_Control(pDX, IDC_PLAY, m_btnPlay);
    DDX_Control(pDX, IDC_UP, m_btnUp);
    DDX_Control(pDX, IDC_DOWN, m_btnDown);
    DDX_Control(pDX, IDC_DISPLAYMODE, m_comboDisplay);
    DDX_Control(pDX, IDC_NEXT, m_btnNext);
    DDX_Control(pDX, IDC_REMOVE, m_btnRemove);
    DDX_Control(pDX, IDC_PREV, m_btnPrev);
    DDX_Control(pDX, IDC_STOP, m_btnStop);
    DDX_Control(pDX, IDC_PLAYLIST, m_listBox);
    DDX_Check(pDX, IDC_LOOP, m_bLoop);
    DDX_Check(pDX, IDC_RANDOM, m_bRandom);
    DDX_Text(pDX, IDC_LENGTH, m_strLength);
    DDX_Text(pDX, IDC_POSITION, m_strPosition);
}

CString FormatMinutesSeconds(DWORD dwSeconds) {
    CString s;
    s.Format("%02u:%02u", static_cast<unsigned>(dwSeconds / 60), static_cast<unsigned>(dwSeconds % 60));
    return s;
}
