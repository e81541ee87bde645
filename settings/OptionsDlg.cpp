#include "settings/OptionsDlg.h"

#include "app/PlayerDlg.h"
#include "framework/FileDialog.h"
#include "res/resource.h"
#include "settings/Settings.h"

namespace {

CString LoadText(UINT nID) {
    CString s;
    s.Load(nID);
    return s;
}

}  // namespace

// clang-format off
BEGIN_MESSAGE_MAP(COptionsDlg, CDialog)
    ON_BN_CLICKED(IDC_BROWSE_DOCCMD, &COptionsDlg::OnBrowseDocCmd)
    ON_BN_CLICKED(IDC_BROWSE_EDITCMD, &COptionsDlg::OnBrowseEditCmd)
END_MESSAGE_MAP()
// clang-format on

COptionsDlg::COptionsDlg(CWnd* pParent) : CDialog(IDD_OPTIONS, pParent) {}

void COptionsDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_ASKQUIT, m_bAskQuit);
    DDX_Check(pDX, IDC_AUTODOC, m_bAutoDoc);
    DDX_Text(pDX, IDC_EDITCMD, m_strEditCmd);
    DDX_Text(pDX, IDC_DOCCMD, m_strDocCmd);
    DDX_Check(pDX, IDC_SAVETITLE, m_bSaveTitle);
}

BOOL COptionsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    UpdateData(FALSE);
    return TRUE;
}

void COptionsDlg::OnOK() {
    UpdateData(TRUE);
    CDialog::OnOK();
}

BOOL COptionsDlg::BrowseForProgram(CString& strTarget) {
    CFileDialog dlgFile(TRUE, nullptr, nullptr,
                        OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
                        LoadText(IDS_PROGRAM_FILTER), this);
    dlgFile.m_ofn.Flags &= ~static_cast<std::uint32_t>(OFN_SHOWHELP);
    const CString strTitle = LoadText(IDS_BROWSE);
    dlgFile.m_ofn.lpstrTitle = strTitle;
    if (dlgFile.DoModal() != IDOK) return FALSE;
    strTarget = dlgFile.GetPathName();
    return TRUE;
}

// A successful browse shows the fields again, so what was changed in the dialog before it (and
// not yet taken by OK) returns to the fields' values.
void COptionsDlg::OnBrowseDocCmd() {
    if (BrowseForProgram(m_strDocCmd)) UpdateData(FALSE);
}

void COptionsDlg::OnBrowseEditCmd() {
    if (BrowseForProgram(m_strEditCmd)) UpdateData(FALSE);
}

void CPlayerDlg::OnOptions() {
    COptionsDlg dlgOptions(this);
    // Reading inserts a missing value with its default, so even a cancelled dialog leaves all
    // five settings in the store.
    dlgOptions.m_bAskQuit =
        static_cast<int>(m_settings.Value(LoadText(IDS_YESASKQUIT), kDefaultYesAskQuit).GetDword());
    dlgOptions.m_bAutoDoc = static_cast<int>(m_settings.Value(IDS_YESAUTODOC).GetDword());
    dlgOptions.m_bSaveTitle = static_cast<int>(m_settings.Value(IDS_YESSAVETITLE).GetDword());
    dlgOptions.m_strDocCmd = m_settings.Value(IDS_AUTODOCCMD).GetString();
    dlgOptions.m_strEditCmd = m_settings.Value(IDS_RIGHTEDITCMD).GetString();
    if (dlgOptions.DoModal() != IDOK) return;
    m_settings.Value(IDS_YESASKQUIT).SetDword(static_cast<DWORD>(dlgOptions.m_bAskQuit));
    m_settings.Value(IDS_YESAUTODOC).SetDword(static_cast<DWORD>(dlgOptions.m_bAutoDoc));
    m_settings.Value(IDS_YESSAVETITLE).SetDword(static_cast<DWORD>(dlgOptions.m_bSaveTitle));
    m_settings.Value(IDS_AUTODOCCMD).SetString(dlgOptions.m_strDocCmd);
    m_settings.Value(IDS_RIGHTEDITCMD).SetString(dlgOptions.m_strEditCmd);
}
