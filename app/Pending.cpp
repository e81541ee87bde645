// Handlers whose behaviour lands with the work that is under way. Each block shrinks as its
// handlers are written in their own subsystem's file; this file goes when both blocks are empty.
#include "app/PlayerDlg.h"

// ---- The list: adding, files, editing, display mode --------------------------------------------
int CPlayerDlg::AddPath(const CString&) { return 0; }
void CPlayerDlg::ExpandPath(const CString&, CStringArray&) {}
BOOL CPlayerDlg::IsDirectory(const CString&) { return FALSE; }
void CPlayerDlg::SplitString(const CString&, const CString&, CStringArray&) {}
BOOL CPlayerDlg::GetSelectedPaths(CStringArray&, const CString&) { return TRUE; }
int CPlayerDlg::SplitAtSpaces(CStringArray&, const CString&) { return 0; }
void CPlayerDlg::OnDropFiles(HDROP) {}
void CPlayerDlg::OnOpen() {}
BOOL CPlayerDlg::ReadListFile(const CString&, const CString*, CStringArray&) { return FALSE; }
BOOL CPlayerDlg::IsTitleFileCurrent(const CString&, const CString&) { return FALSE; }
void CPlayerDlg::OnSave() {}
BOOL CPlayerDlg::CopyFileTimes(const CString&, const CString&) { return FALSE; }
void CPlayerDlg::SwapEntries(int, int, int) {}
void CPlayerDlg::OnUp() {}
void CPlayerDlg::OnDown() {}
void CPlayerDlg::OnRemove() {}
void CPlayerDlg::OnClear() {}
void CPlayerDlg::OnShuffle() {}
void CPlayerDlg::OnSelchangeDisplayMode() {}
// ---- end of the list block ---------------------------------------------------------------------



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
