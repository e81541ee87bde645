#include "framework/WinApp.h"

#include "framework/Wnd.h"
#include "res/resource.h"

namespace {
CWinApp* g_pApp = nullptr;
}

// clang-format off
BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()
// clang-format on

CWinApp::CWinApp(LPCSTR lpszAppName) {
    if (lpszAppName) {
        m_strAppName = lpszAppName;
    } else {
        m_strAppName.Load(IDS_PRODUCTNAME);
    }
    m_pszAppName = m_strAppName.GetString();
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

void CWinApp::SetCommandLinePieces(int argc, const char* const* argv) {
    m_aCmdLinePieces.RemoveAll();
    for (int i = 0; argv && i < argc; ++i) {
        if (argv[i]) m_aCmdLinePieces.Add(argv[i]);
    }
    m_bCmdLinePieces = TRUE;
}

HICON CWinApp::LoadIconA(UINT nIDResource) const {
    return qv::LoadAppIcon(nIDResource);
}

IMPLEMENT_DYNAMIC(CWinApp, CObject)

CWinApp* AfxGetApp() {
    return g_pApp;
}

int AfxWinMain() {
    CWinApp* pApp = AfxGetApp();
    if (!pApp) return 1;
    pApp->InitInstance();
    return 0;
}

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT) {
    CWinApp* pApp = AfxGetApp();
    qv::HWND hOwner = pApp ? CWnd::SafeHandle(pApp->m_pMainWnd) : nullptr;
    return qv::MessageBoxA(hOwner, lpszText, pApp ? pApp->m_pszAppName : nullptr, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    CString strText;
    strText.Load(nIDPrompt);
    return AfxMessageBox(strText, nType, nIDHelp);
}
