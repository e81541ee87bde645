#include "tests/window/TestDialog.h"

#include "res/resource.h"

namespace {

using qv::res::Control;
using qv::res::Hidden;
using K = qv::res::ControlKind;
namespace r = qv::res;

constexpr std::string_view kComboItems[] = {"zero", "one", "two"};

constexpr r::ControlTemplate kTestControls[] = {
    Control(IDC_T_GO, K::PushButton, "&Go", 4, 4, 40, 14, r::kTabStop),
    Control(IDC_T_FLAG, K::AutoCheckBox, "&Flag", 4, 22, 40, 10, r::kTabStop),
    Control(IDC_T_LIST, K::ListBox, "", 50, 4, 100, 60, r::kListNotify | r::kTabStop),
    Control(IDC_T_COMBO, K::ComboBox, "", 50, 70, 100, 50, r::kComboDropList | r::kTabStop,
            kComboItems),
    Control(IDC_T_LABEL, K::LText, "99:99", 4, 40, 40, 8, r::kGroup),
    Control(IDC_T_EDIT, K::Edit, "", 4, 90, 40, 12, r::kBorder | r::kTabStop),
    Control(IDC_T_OFF, K::PushButton, "Off", 4, 106, 40, 14, r::kTabStop | r::kDisabled),
    Hidden(Control(IDC_T_HIDDEN, K::PushButton, "Hidden", 4, 122, 40, 14, r::kTabStop)),
    Control(IDC_T_CHILD, K::PushButton, "&Child", 4, 138, 40, 14, r::kTabStop),
};

constexpr r::DialogTemplate kTestTemplate = {
    IDD_TEST,
    "Test",
    "System",
    10,
    0,
    0,
    160,
    160,
    r::kDlgPopup | r::kDlgCaption | r::kDlgSysMenu | r::kDlgMinimizeBox | r::kDlgModalFrame,
    kTestControls};

constexpr r::ControlTemplate kChildControls[] = {
    Control(IDOK, K::DefPushButton, "OK", 10, 40, 40, 14, r::kTabStop),
    Control(IDCANCEL, K::PushButton, "Cancel", 60, 40, 40, 14, r::kTabStop),
};

constexpr r::DialogTemplate kChildTemplate = {
    IDD_TEST_CHILD,
    "Child",
    "System",
    10,
    0,
    0,
    110,
    60,
    r::kDlgPopup | r::kDlgCaption | r::kDlgSysMenu | r::kDlgModalFrame,
    kChildControls};

}  // namespace

const r::DialogTemplate& TestTemplate() {
    return kTestTemplate;
}
const r::DialogTemplate& TestChildTemplate() {
    return kChildTemplate;
}

// clang-format off
BEGIN_MESSAGE_MAP(CTestDlg, CDialog)
    ON_BN_CLICKED(IDC_T_GO, &CTestDlg::OnGo)
    ON_BN_CLICKED(IDC_T_FLAG, &CTestDlg::OnFlag)
    ON_LBN_SELCHANGE(IDC_T_LIST, &CTestDlg::OnSelList)
    ON_CBN_SELCHANGE(IDC_T_COMBO, &CTestDlg::OnSelCombo)
    ON_BN_CLICKED(IDC_T_CHILD, &CTestDlg::OnOpenChild)
    ON_WM_SYSCOMMAND()
    ON_WM_TIMER()
    ON_WM_SIZE()
    ON_WM_DROPFILES()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_NCRBUTTONDOWN()
    ON_MESSAGE(MM_MCINOTIFY, &CTestDlg::OnNotify)
END_MESSAGE_MAP()
// clang-format on

BOOL CTestDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (CMenu* pMenu = GetSystemMenu(FALSE)) {
        pMenu->AppendMenuA(MF_SEPARATOR);
        pMenu->AppendMenuA(MF_STRING, IDM_T_PLAY, "&PLAY");
    }
    DragAcceptFiles(TRUE);
    if (m_onInit) m_onInit(*this);
    return TRUE;
}

void CTestDlg::DoDataExchange(CDataExchange* pDX) {
    ++m_nExchanges;
    DDX_Control(pDX, IDC_T_GO, m_btnGo);
    DDX_Control(pDX, IDC_T_LIST, m_list);
    DDX_Control(pDX, IDC_T_COMBO, m_combo);
    DDX_Check(pDX, IDC_T_FLAG, m_bFlag);
    DDX_Text(pDX, IDC_T_LABEL, m_strLabel);
    DDX_Text(pDX, IDC_T_EDIT, m_strEdit);
}

void CTestDlg::OnCancel() {
    Log("cancel");
    CDialog::OnCancel();
}

void CTestDlg::OnGo() {
    Log("go");
}
void CTestDlg::OnFlag() {
    Log("flag");
}
void CTestDlg::OnSelList() {
    Log("list " + std::to_string(m_list.GetCurSel()));
}
void CTestDlg::OnSelCombo() {
    Log("combo " + std::to_string(m_combo.GetCurSel()));
}

void CTestDlg::OnOpenChild() {
    CTestChildDlg child(this);
    Log("child " + std::to_string(child.DoModal()));
}

void CTestDlg::OnSysCommand(UINT nID, LPARAM) {
    if ((nID & 0xFFF0) == IDM_T_PLAY) {
        Log("sys play");
    } else {
        Default();
    }
}

void CTestDlg::OnTimer(UINT_PTR nIDEvent) {
    Log("timer " + std::to_string(nIDEvent));
}

void CTestDlg::OnSize(UINT nType, int cx, int cy) {
    Default();
    Log("size " + std::to_string(nType) + " " + std::to_string(cx) + "x" + std::to_string(cy));
}

// Asks each path's full length first and says so when its small buffer would cut it.
void CTestDlg::OnDropFiles(HDROP hDropInfo) {
    m_hLastDrop = hDropInfo;
    UINT nCount = qv::DragQueryFileA(hDropInfo, qv::kDragQueryCount, nullptr, 0);
    std::string line = "drop";
    for (UINT i = 0; i < nCount; ++i) {
        char buffer[16];
        UINT nFull = qv::DragQueryFileA(hDropInfo, i, nullptr, 0);
        UINT nCopied = qv::DragQueryFileA(hDropInfo, i, buffer, sizeof buffer);
        if (nCopied == nFull) {
            line += " " + std::string(buffer);
        } else {
            line += " [" + std::to_string(nFull) + " cut to " + std::string(buffer) + "]";
        }
    }
    Log(line);
    Default();
}

void CTestDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessageA(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    CRect rect;
    GetClientRect(&rect);
    int x = (rect.Width() - qv::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rect.Height() - qv::GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HICON CTestDlg::OnQueryDragIcon() {
    return m_hIcon;
}

void CTestDlg::OnNcRButtonDown(UINT nHitTest, CPoint point) {
    Log("ncr " + std::to_string(nHitTest) + " " + std::to_string(point.x) + "," +
        std::to_string(point.y));
}

LRESULT CTestDlg::OnNotify(WPARAM wParam, LPARAM lParam) {
    Log("notify " + std::to_string(wParam) + " " + std::to_string(lParam));
    return m_lNotifyResult;
}
