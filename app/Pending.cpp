// Handlers whose behaviour lands with the work that is under way. Each block shrinks as its
// handlers are written in their own subsystem's file; this file goes when both blocks are empty.
#include "app/PlayerDlg.h"

// ---- Playing, companion programs, start-up and quit, options -----------------------------------
void CPlayerDlg::OnPlay() {}
void CPlayerDlg::OnStop() {}
void CPlayerDlg::OnPrev() {}
void CPlayerDlg::OnNext() {}
LRESULT CPlayerDlg::OnMciNotify(WPARAM, LPARAM) { return 0; }
void CPlayerDlg::OnSelChangeList() {}
void CPlayerDlg::OnLoop() {}
void CPlayerDlg::OnRandom() {}
void CPlayerDlg::OnNcRButtonDown(UINT, CPoint) {}
void CPlayerDlg::OnTimer(UINT_PTR) {}
void CPlayerDlg::PlayCurrent() {}
void CPlayerDlg::StartEntry() {}
void CPlayerDlg::ReleaseDevice() {}
void CPlayerDlg::Advance(BOOL) {}
BOOL CPlayerDlg::FindCompanionDocument(const CString&, CString*) { return FALSE; }
void CPlayerDlg::AutoOpenDocument(const CString&) {}
void CPlayerDlg::RunDocumentCommand(const CString&) {}
void CPlayerDlg::StartCommand(const CString&) {}
void CPlayerDlg::OnDocument() {}
void CPlayerDlg::OnEdit() {}
BOOL CPlayerDlg::OnInitDialog() { return CDialog::OnInitDialog(); }
void CPlayerDlg::OnSysCommand(UINT, LPARAM) {}
void CPlayerDlg::OnCancel() { CDialog::OnCancel(); }
void CPlayerDlg::OnQuit() {}
void CPlayerDlg::OnOptions() {}
// ---- end of the playing block ------------------------------------------------------------------
