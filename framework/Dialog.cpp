#include "framework/Dialog.h"

#include "framework/WinApp.h"

qv::HWND CDataExchange::PrepareCtrl(int nIDC) const {
    return qv::GetDlgItem(CWnd::SafeHandle(m_pDlgWnd), nIDC);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd) return;
    qv::HWND hCtl = pDX->PrepareCtrl(nIDC);
    if (hCtl && rControl.Attach(hCtl)) pDX->m_pDlgWnd->AddBoundControl(&rControl);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    qv::HWND hCtl = pDX->PrepareCtrl(nIDC);
    if (!hCtl) return;
    if (pDX->m_bSaveAndValidate) {
        value = qv::SendMessageA(hCtl, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    } else {
        qv::SendMessageA(hCtl, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    qv::HWND hCtl = pDX->PrepareCtrl(nIDC);
    if (!hCtl) return;
    if (pDX->m_bSaveAndValidate) {
        CWnd control;
        control.m_hWnd = hCtl;
        control.GetWindowTextA(value);
        control.m_hWnd = nullptr;
    } else {
        qv::SetWindowTextA(hCtl, value);
    }
}

// clang-format off
BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()
// clang-format on

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

// Bindings never outlive DoModal, so the control members (destroyed before this base) are not
// touched here.
CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    if (m_hWnd) return -1;  // already running
    CWnd* pParent = m_pParentWnd;
    if (!pParent) {
        CWinApp* pApp = AfxGetApp();
        if (pApp && pApp->m_pMainWnd != this) pParent = pApp->m_pMainWnd;
    }
    INT_PTR nResult = qv::DialogBoxParamA(m_nIDTemplate, SafeHandle(pParent), &CDialog::DialogProc,
                                          reinterpret_cast<std::intptr_t>(this));
    DetachAll();
    return nResult;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::EndDialog(int nResult) {
    qv::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::DetachAll() {
    for (CWnd* pControl : m_boundControls) pControl->Detach();
    m_boundControls.clear();
    if (m_hWnd) Detach();
}

std::int32_t CDialog::DialogProc(qv::HWND hDlg, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam, std::intptr_t* pResult) {
    // No exception may leave through the window system: a failing handler ends the dialog
    // with -1, the result of a dialog that could not run.
    try {
        if (message == WM_INITDIALOG) {
            auto* pDlg = reinterpret_cast<CDialog*>(lParam);
            if (!pDlg || !pDlg->Attach(hDlg)) return FALSE;
            *pResult = pDlg->OnInitDialog();
            return TRUE;
        }
        CWnd* pWnd = CWnd::FromHandlePermanent(hDlg);
        if (!pWnd) return FALSE;
        LRESULT lResult = 0;
        BOOL bHandled = pWnd->OnWndMsg(message, wParam, lParam, &lResult);
        *pResult = lResult;
        return bHandled;
    } catch (...) {
        qv::EndDialog(hDlg, -1);
        return TRUE;
    }
}
