#include "companion/AboutDlg.h"

#include "companion/VersionInfo.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg(CWnd* pParent) : CDialog(IDD_ABOUTBOX, pParent) {}

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PRODUCTNAME, m_strProductName);
    DDX_Text(pDX, IDC_VERSION, m_strVersion);
    DDX_Text(pDX, IDC_LEGALNOTICE, m_strLegalNotice);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CVersionInfo info;
    info.QueryString("ProductName", m_strProductName);
    info.QueryString("LegalCopyright", m_strLegalNotice);
    // Major version and a two-digit minor version; the third and fourth numbers are not shown.
    m_strVersion = "Version " + info.FormatProductVersion(1, 2, 0, 0);
    UpdateData(FALSE);
    return TRUE;
}
