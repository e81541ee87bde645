#pragma once
#include "framework/CmdTarget.h"
#include "framework/String.h"

class CWnd;

// The application object. Exactly one exists while the program runs: constructing it makes it the
// one that AfxGetApp answers; destroying it clears that again.
class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)

public:
    // A null name gives the product name from the string table.
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Runs the program; FALSE ends it without a message loop of the application's own.
    virtual BOOL InitInstance();

    // The program's icon resource, or null.
    HICON LoadIconA(UINT nIDResource) const;
    // The dialog controls' three-dimensional look: a matter of appearance on every platform here.
    BOOL Enable3dControls() { return TRUE; }

    // The help command: the program ships no help file, so there is nothing to show.
    void OnHelp() {}

    // The command line as the platform hands it over. A platform that gives one text sets
    // m_lpCmdLine to what follows the program name; a platform whose shell has already split it
    // (argv) gives the pieces with SetCommandLinePieces, and each piece then stands as it is, so a
    // quoted path with blanks stays one piece.
    void SetCommandLinePieces(int argc, const char* const* argv);
    BOOL HasCommandLinePieces() const { return m_bCmdLinePieces; }
    const CStringArray& GetCommandLinePieces() const { return m_aCmdLinePieces; }

    CWnd* m_pMainWnd = nullptr;
    LPCSTR m_pszAppName = nullptr;
    LPCSTR m_lpCmdLine = "";

    DECLARE_MESSAGE_MAP()

private:
    CString m_strAppName;
    CStringArray m_aCmdLinePieces;
    BOOL m_bCmdLinePieces = FALSE;
};

// The application object, or null when none exists.
CWinApp* AfxGetApp();

// Runs the application object's start-up routine; answers the process exit code.
int AfxWinMain();

// A message box owned by the main window with the application's name as caption.
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The same with a string-table text; an absent id shows an empty text.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));
