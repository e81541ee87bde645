#pragma once
// A small dialog of the tests' own, with one control of every kind the program uses and a
// handler of every shape, each of which writes a line into m_log.
#include <functional>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "res/DialogTemplate.h"

inline constexpr std::uint32_t IDD_TEST = 9000;
inline constexpr std::uint32_t IDD_TEST_CHILD = 9001;
inline constexpr int IDC_T_GO = 100;
inline constexpr int IDC_T_FLAG = 101;
inline constexpr int IDC_T_LIST = 102;
inline constexpr int IDC_T_COMBO = 103;
inline constexpr int IDC_T_LABEL = 104;
inline constexpr int IDC_T_EDIT = 105;
inline constexpr int IDC_T_OFF = 106;     // disabled button
inline constexpr int IDC_T_HIDDEN = 107;  // hidden button
inline constexpr int IDC_T_CHILD = 108;   // opens the child dialog
inline constexpr UINT IDM_T_PLAY = 0x0020;

const qv::res::DialogTemplate& TestTemplate();
const qv::res::DialogTemplate& TestChildTemplate();

class CTestDlg : public CDialog {
public:
    explicit CTestDlg(CWnd* pParent = nullptr) : CDialog(IDD_TEST, pParent) {}

    BOOL OnInitDialog() override;

    CButton m_btnGo;
    CListBox m_list;
    CComboBox m_combo;
    int m_bFlag = 0;
    CString m_strLabel;
    CString m_strEdit;

    int m_nExchanges = 0;
    std::vector<std::string> m_log;
    LRESULT m_lNotifyResult = 7;
    HICON m_hIcon = nullptr;
    HDROP m_hLastDrop = nullptr;
    // Runs at the end of OnInitDialog, so a test can prepare the window (timers, lines, ...).
    std::function<void(CTestDlg&)> m_onInit;

    void Log(const std::string& line) { m_log.push_back(line); }
    using CDialog::Default;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnCancel() override;

    void OnGo();
    void OnFlag();
    void OnSelList();
    void OnSelCombo();
    void OnOpenChild();
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnTimer(UINT_PTR nIDEvent);
    void OnSize(UINT nType, int cx, int cy);
    void OnDropFiles(HDROP hDropInfo);
    void OnPaint();
    HICON OnQueryDragIcon();
    void OnNcRButtonDown(UINT nHitTest, CPoint point);
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};

// The child: a plain dialog with OK and Cancel, opened by IDC_T_CHILD.
class CTestChildDlg : public CDialog {
public:
    explicit CTestChildDlg(CWnd* pParent = nullptr) : CDialog(IDD_TEST_CHILD, pParent) {}
};
