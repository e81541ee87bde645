#include "app/QvApp.h"

#include "app/PlayerDlg.h"
#include "res/resource.h"

IMPLEMENT_DYNAMIC(CQvApp, CWinApp)

// clang-format off
BEGIN_MESSAGE_MAP(CQvApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()
// clang-format on

BOOL CQvApp::InitInstance() {
    Enable3dControls();
    CPlayerDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    // No message loop of our own: the program ends with the dialog.
    return FALSE;
}
