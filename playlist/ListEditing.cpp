// The five editing buttons beside the list. They are enabled only while the player is stopped,
// and each changes the model and the list control together, so that line i shows entry i.
#include <algorithm>

#include "app/PlayerDlg.h"

void CPlayerDlg::SwapEntries(int nCount, int nA, int nB) {
    int nLast = nCount - 1;
    CString strA, strB;
    m_listBox.GetText(nA, strA);
    m_listBox.GetText(nB, strB);
    m_listBox.DeleteString(static_cast<UINT>(nA));
    m_listBox.InsertString(nA == nLast ? -1 : nA, strB);
    m_listBox.DeleteString(static_cast<UINT>(nB));
    m_listBox.InsertString(nB == nLast ? -1 : nB, strA);
    m_list.Swap(nA, nB);
}

// Moves the selected entry one place; the moved entry stays selected and becomes current. A
// neighbour that does not exist (the buttons may still be enabled after a removal) moves nothing.
static void MoveSelected(CPlayerDlg& dlg, int nStep) {
    dlg.FinishDrop();
    int nSelected = dlg.m_listBox.GetCurSel();
    if (nSelected < 0) return;
    int nCount = dlg.m_listBox.GetCount();
    int nTarget = nSelected + nStep;
    if (nTarget < 0 || nTarget >= nCount) return;
    dlg.m_listBox.SetRedraw(FALSE);
    dlg.SwapEntries(nCount, nSelected, nTarget);
    dlg.m_listBox.SetCurSel(nTarget);
    dlg.m_nCurrent = nTarget;
    dlg.UpdateMoveButtons(nTarget);
    dlg.m_listBox.SetRedraw(TRUE);
    dlg.m_listBox.InvalidateRect(nullptr, TRUE);
}

void CPlayerDlg::OnUp() {
    MoveSelected(*this, -1);
}

void CPlayerDlg::OnDown() {
    MoveSelected(*this, +1);
}

void CPlayerDlg::OnRemove() {
    FinishDrop();
    m_listBox.SetRedraw(FALSE);
    int nSelected = m_listBox.GetCurSel();
    if (nSelected < 0 || nSelected >= m_list.GetSize()) {
        m_listBox.SetRedraw(TRUE);
        return;
    }
    m_list.m_aPaths.RemoveAt(nSelected);
    m_list.m_aNames.RemoveAt(nSelected);
    m_list.m_aTitles.RemoveAt(nSelected);
    m_listBox.DeleteString(static_cast<UINT>(nSelected));
    int nLast = m_list.GetSize() - 1;
    m_listBox.SetCurSel(std::min(nSelected, nLast));
    // The current entry keeps its index, but never one past the list.
    m_nCurrent = std::min<LONG>(m_nCurrent, nLast);
    m_listBox.SetRedraw(TRUE);
    m_listBox.InvalidateRect(nullptr, TRUE);
}

void CPlayerDlg::OnClear() {
    ForgetDrop();  // what a drop had still to add is cleared with the rest
    m_listBox.SetRedraw(FALSE);
    m_list.m_aPaths.SetSize(0);
    m_list.m_aNames.SetSize(0);
    m_list.m_aTitles.SetSize(0);
    m_listBox.ResetContent();
    EnableListButtons(FALSE);
    EnableTransport(FALSE, FALSE, FALSE, FALSE);
    m_nCurrent = -1;  // no entry is left to be current
    m_listBox.SetRedraw(TRUE);
    m_listBox.InvalidateRect(nullptr, TRUE);
}

void CPlayerDlg::OnShuffle() {
    FinishDrop();
    // The refill reaches the control as one change, not one per line; nothing is drawn between
    // the two either way.
    m_listBox.SetRedraw(FALSE);
    m_listBox.ResetContent();
    m_list.Shuffle();
    for (int i = 0; i < m_list.GetSize(); ++i) m_listBox.AddString(m_list.GetText(i));
    // The selection stays at the current index, which now holds another entry.
    m_listBox.SetCurSel(m_nCurrent);
    m_listBox.SetRedraw(TRUE);
    m_listBox.InvalidateRect(nullptr, TRUE);
}
