#pragma once
#include "framework/Dialog.h"

// The About box: product name, product version and legal notice from the program's own version
// resource.
class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;

    CString m_strProductName;
    CString m_strVersion;
    CString m_strLegalNotice;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
