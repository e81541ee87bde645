#pragma once
#include <memory>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "playback/MciDevice.h"
#include "playlist/FileFinder.h"
#include "playlist/PlayList.h"
#include "playlist/PlayListBox.h"
#include "settings/SettingsStore.h"

// The player window: owns every piece of the player's state for the whole run. Its member
// functions live with the subsystem they belong to: presentation, start-up and quit in app/,
// play control in playback/, adding and editing entries in playlist/, companion documents in
// companion/, the options in settings/.
class CPlayerDlg : public CDialog {
public:
    explicit CPlayerDlg(CWnd* pParent = nullptr);
    ~CPlayerDlg() override;

    // The 200 ms timer that refreshes the position read-out.
    static constexpr UINT_PTR TIMER_POSITION = 10;

    // System-menu commands appended below the platform's own items.
    static constexpr UINT IDM_SYS_ABOUT = 0x0010;
    static constexpr UINT IDM_SYS_PLAY = 0x0020;
    static constexpr UINT IDM_SYS_STOP = 0x0030;
    static constexpr UINT IDM_SYS_PREV = 0x0040;
    static constexpr UINT IDM_SYS_NEXT = 0x0050;

    // Presentation: buttons, captions and the system menu follow the player state.
    void SelectListEntry(int nIndex);
    void EnableListButtons(BOOL bEnable);
    void UpdateMoveButtons(int nIndex);
    void EnableTransport(BOOL bPlay, BOOL bStop, BOOL bPrev, BOOL bNext);
    void SetPaused(BOOL bPaused);
    void UpdateTitle(BOOL bWorking);

    // Adding entries: a MIDI file, a folder or a play-list file; answers the entries added.
    int AddPath(const CString& strPath);
    void ExpandPath(const CString& strPath, CStringArray& aOut);
    // One expanded path offered to the model; TRUE when it became an entry (and a line).
    BOOL AddExpanded(const CString& strItem);
    // A drop is added a slice at a time, each slice handing the window back to its user, so
    // that it keeps answering while thousands of songs are listed; the list draws once, when
    // the drop is done. Another handler that works on the list first finishes (or, clearing,
    // forgets) what a drop still holds, so entries keep their order.
    static constexpr UINT WM_QV_ADDDROPPED = 0x8002;  // WM_APP + 2: the next slice of a drop
    BOOL IsDropping() const;
    void AddDroppedSlice(BOOL bWhole);
    void StartDropItem(const CString& strPath);
    void FinishDrop();
    void ForgetDrop();
    static BOOL IsDirectory(const CString& strPath);
    // Splits text at every occurrence of the delimiter; empty pieces are dropped.
    static void SplitString(const CString& strText, const CString& strDelimiter,
                            CStringArray& aOut);
    BOOL GetSelectedPaths(CStringArray& aOut, const CString& strSelection);
    static int SplitAtSpaces(CStringArray& aOut, const CString& strText);

    // Play-list and title files.
    BOOL ReadListFile(const CString& strListPath, const CString* pstrTitlePath, CStringArray& aOut);
    static BOOL IsTitleFileCurrent(const CString& strListPath, const CString& strTitlePath);
    static BOOL CopyFileTimes(const CString& strSource, const CString& strTarget);

    // List editing.
    void SwapEntries(int nCount, int nA, int nB);

    // Play control.
    void PlayCurrent();
    // FALSE when the entry has nothing to play: it could not be opened or played, or it lasts no
    // time.
    BOOL StartEntry();
    void ReleaseDevice();
    // nFailedStarts: entries in a row that could not start before this step.
    void Advance(BOOL bForward, int nFailedStarts = 0);

    // Companion documents and commands.
    BOOL FindCompanionDocument(const CString& strPath, CString* pstrDocument);
    void AutoOpenDocument(const CString& strPath);
    void RunDocumentCommand(const CString& strPath);
    // Starts a command with a path as its last argument, without waiting; a command that cannot
    // start is reported once a run.
    void StartCommand(const CString& strCommand, const CString& strPath);

    // Message handlers (the dispatch table is in PlayerDlg.cpp).
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HICON OnQueryDragIcon();
    void OnPlay();
    void OnStop();
    void OnDropFiles(HDROP hDropInfo);
    void OnPrev();
    void OnNext();
    void OnRemove();
    void OnSelchangeDisplayMode();
    void OnSize(UINT nType, int cx, int cy);
    void OnOpen();
    void OnSave();
    void OnSelChangeList();
    void OnQuit();
    void OnDown();
    void OnUp();
    void OnClear();
    void OnOptions();
    void OnLoop();
    void OnRandom();
    void OnEdit();
    void OnDocument();
    void OnNcRButtonDown(UINT nHitTest, CPoint point);
    void OnShuffle();
    void OnTimer(UINT_PTR nIDEvent);
    LRESULT OnMciNotify(WPARAM wParam, LPARAM lParam);
    LRESULT OnSoundProblem(WPARAM wParam, LPARAM lParam);
    LRESULT OnAddDropped(WPARAM wParam, LPARAM lParam);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCmdMsg(UINT nID, int nCode) override;

    // Members in declaration order: construction runs top to bottom, destruction bottom to top.
    CButton m_btnShuffle;
    CButton m_btnEdit;
    CButton m_btnDocument;
    CButton m_btnClear;
    CButton m_btnPlay;
    CButton m_btnUp;
    CButton m_btnDown;
    CComboBox m_comboDisplay;
    CButton m_btnNext;
    CButton m_btnRemove;
    CButton m_btnPrev;
    CButton m_btnStop;
    CPlayListBox m_listBox;
    int m_bLoop = 0;
    int m_bRandom = 0;
    CString m_strLength;
    CString m_strPosition;
    CMidiDevice m_device;
    DWORD m_nLength = 0;  // length of the current piece in whole seconds; 0: nothing loaded
    CPlayList m_list;
    LONG m_nCurrent = -1;  // the current entry, -1 for none
    int m_bPlaying = 0;    // playing or paused
    CSettingsStore m_settings;
    HICON m_hIcon = nullptr;
    int m_bPaused = 0;

    // The drop being added: the dropped paths (an empty one starts another drop), the folder
    // being scanned in the scope of its drop, the expanded paths, the entries added so far.
    CStringArray m_aDropItems;
    int m_nDropItemNext = 0;
    std::unique_ptr<CFileFinder::CScope> m_pDropScope;
    std::unique_ptr<CFileFinder> m_pDropScan;
    CStringArray m_aDropped;
    int m_nDroppedNext = 0;
    int m_nDroppedAdded = 0;
    BOOL m_bSlicePosted = FALSE;
    // A slice takes at least m_nSliceSteps steps (an entry, a dropped path, or a few items of a
    // folder), then goes on until it has taken m_nSliceMs: a small drop is added at once.
    int m_nSliceSteps = 64;
    int m_nSliceMs = 30;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    DECLARE_MESSAGE_MAP()
};

// "%02d:%02d" of whole minutes and the remaining seconds.
CString FormatMinutesSeconds(DWORD dwSeconds);
