#pragma once
// The dialog the window-seam contract (and the headless window system's own tests) run on: one
// control of every kind the program uses, each handler writing one line into m_log.
#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "res/DialogTemplate.h"

inline constexpr std::uint32_t IDD_CONTRACT = 9100;
inline constexpr std::uint32_t IDD_CONTRACT_CHILD = 9101;
inline constexpr int IDC_C_GO = 100;
inline constexpr int IDC_C_FLAG = 101;
inline constexpr int IDC_C_LIST = 102;
inline constexpr int IDC_C_COMBO = 103;
inline constexpr int IDC_C_LABEL = 104;
inline constexpr int IDC_C_OFF = 105;     // starts disabled
inline constexpr int IDC_C_HIDDEN = 106;  // starts hidden
inline constexpr int IDC_C_CHILD = 107;   // opens the child dialog
inline constexpr int IDC_C_END42 = 108;   // ends the dialog with 42
inline constexpr UINT IDM_C_PLAY = 0x0020;

const qv::res::DialogTemplate& ContractTemplate();
const qv::res::DialogTemplate& ContractChildTemplate();

class CContractDlg : public CDialog {
public:
    explicit CContractDlg(CWnd* pParent = nullptr) : CDialog(IDD_CONTRACT, pParent) {}

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (CMenu* pMenu = GetSystemMenu(FALSE)) {
            pMenu->AppendMenuA(MF_SEPARATOR);
            pMenu->AppendMenuA(MF_STRING, IDM_C_PLAY, "&PLAY");
        }
        DragAcceptFiles(TRUE);
        if (m_onInit) m_onInit(*this);
        return TRUE;
    }

    CListBox m_list;
    CComboBox m_combo;
    int m_bFlag = 0;

    std::vector<std::string> m_log;
    HDROP m_hLastDrop = nullptr;
    std::thread::id m_uiThread = std::this_thread::get_id();
    // Runs at the end of OnInitDialog (timers, lines, ...).
    std::function<void(CContractDlg&)> m_onInit;

    void Log(const std::string& line) { m_log.push_back(line); }
    size_t Count(const std::string& line) const {
        return static_cast<size_t>(std::count(m_log.begin(), m_log.end(), line));
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_C_LIST, m_list);
        DDX_Control(pDX, IDC_C_COMBO, m_combo);
        DDX_Check(pDX, IDC_C_FLAG, m_bFlag);
    }
    void OnOK() override { Log("ok"), CDialog::OnOK(); }
    void OnCancel() override { Log("cancel"), CDialog::OnCancel(); }

    void OnGo() { Log("go"); }
    void OnFlag() { Log("flag"); }
    void OnSelList() { Log("list " + std::to_string(m_list.GetCurSel())); }
    void OnSelCombo() { Log("combo " + std::to_string(m_combo.GetCurSel())); }
    void OnOpenChild() {
        Log("child " + std::to_string(CDialog(IDD_CONTRACT_CHILD, this).DoModal()));
    }
    void OnEnd42() { EndDialog(42); }
    void OnSysCommand(UINT nID, LPARAM) {
        if ((nID & 0xFFF0) != IDM_C_PLAY) return void(Default());
        Log("sys play");
    }
    void OnTimer(UINT_PTR nIDEvent) { Log("timer " + std::to_string(nIDEvent)); }
    void OnSize(UINT nType, int, int) {
        Default();
        Log("size " + std::to_string(nType));
    }
    // A small buffer on purpose: a path that does not fit comes back cut, with its full length.
    void OnDropFiles(HDROP hDropInfo) {
        m_hLastDrop = hDropInfo;
        UINT nCount = qv::DragQueryFileA(hDropInfo, qv::kDragQueryCount, nullptr, 0);
        std::string line = "drop";
        for (UINT i = 0; i < nCount; ++i) {
            char buffer[16];
            UINT nFull = qv::DragQueryFileA(hDropInfo, i, nullptr, 0);
            UINT nCopied = qv::DragQueryFileA(hDropInfo, i, buffer, sizeof buffer);
            line += "|" + std::string(buffer);
            if (nCopied != nFull) line += " (" + std::to_string(nFull) + ")";
        }
        Log(line);
        Default();
    }
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam) {
        const bool onUiThread = std::this_thread::get_id() == m_uiThread;
        Log("notify " + std::to_string(wParam) + " " + std::to_string(lParam) +
            (onUiThread ? "" : " on another thread"));
        return 0;
    }

    DECLARE_MESSAGE_MAP()
};
