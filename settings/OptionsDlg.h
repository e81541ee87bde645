#pragma once
#include "framework/Dialog.h"

// The options dialog: the quit question, title files, automatic documents and the two commands.
// OnOptions of the player fills the fields from the settings and stores them back on OK.
class COptionsDlg : public CDialog {
public:
    explicit COptionsDlg(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;

    // Lets the user pick a program; on OK strTarget becomes its full path and TRUE is answered.
    BOOL BrowseForProgram(CString& strTarget);

    void OnBrowseDocCmd();
    void OnBrowseEditCmd();

    int m_bAskQuit = 0;
    int m_bAutoDoc = 0;
    CString m_strEditCmd;
    CString m_strDocCmd;
    int m_bSaveTitle = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

    DECLARE_MESSAGE_MAP()
};
