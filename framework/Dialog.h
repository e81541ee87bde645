#pragma once
#include <vector>

#include "framework/Wnd.h"

class CDialog;

// One exchange between a dialog's fields and its controls: to the controls (show) or from them
// (take, m_bSaveAndValidate TRUE).
class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    // The control's handle, or null when the dialog has no such control.
    qv::HWND PrepareCtrl(int nIDC) const;

    BOOL m_bSaveAndValidate;
    CDialog* m_pDlgWnd;
};

// Binds a control object to control nIDC on the first exchange only; later exchanges leave an
// existing binding as it is.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// A check box as 0 (clear) or 1 (ticked); any non-zero field shows as ticked.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// The text of a control.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);

// A dialog made from a template and run modally.
class CDialog : public CWnd {
public:
    // Without a parent the application's main window owns the dialog (unless it is that window).
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Answers IDOK or IDCANCEL (what EndDialog was given), or -1 when the dialog could not run.
    virtual INT_PTR DoModal();
    // FALSE shows the fields in the controls; TRUE takes the controls into the fields.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    void EndDialog(int nResult);

    // First exchange (binding the controls) and TRUE: the focus goes to the first control.
    virtual BOOL OnInitDialog();

    // Called by DDX_Control so that the binding is undone when the dialog ends.
    void AddBoundControl(CWnd* pControl) { m_boundControls.push_back(pControl); }

protected:
    // Enter: takes the controls into the fields and ends with IDOK.
    virtual void OnOK();
    // Esc, the close box: ends with IDCANCEL without taking anything.
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    static std::int32_t DialogProc(qv::HWND hDlg, std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam, std::intptr_t* pResult);
    void DetachAll();

    std::vector<CWnd*> m_boundControls;
};
