// Switching the display mode re-fills the list control from the model; the current entry and a
// running playback are not touched.
#include "app/PlayerDlg.h"

void CPlayerDlg::OnSelchangeDisplayMode() {
    FinishDrop();
    m_listBox.SetRedraw(FALSE);
    int nMode = m_comboDisplay.GetCurSel();
    if (nMode < 0) {
        m_listBox.SetRedraw(TRUE);
        return;
    }
    int nSelected = m_listBox.GetCurSel();
    while (m_listBox.DeleteString(0) > 0) {
    }
    m_list.SetDisplayMode(nMode);
    for (int i = 0; i < m_list.GetSize(); ++i) m_listBox.AddString(m_list.GetText(i));
    m_listBox.SetCurSel(nSelected);
    m_listBox.SetRedraw(TRUE);
    m_listBox.InvalidateRect(nullptr, TRUE);
}
