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
