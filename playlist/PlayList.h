#pragma once
#include "framework/Object.h"
#include "framework/String.h"
#include "framework/Types.h"

class CFileInput;

// The play list: for every entry its full path, file name and title side by side, in play order.
// Entry i is element i of each array; whoever changes one array changes all three.
class CPlayList : public CObject {
public:
    enum { DISPLAY_FULLPATH = 0, DISPLAY_FILENAME = 1, DISPLAY_TITLE = 2 };

    // Appends an entry. Without a title the file is read for one, and a file that cannot be
    // opened or is not a Standard MIDI File is refused (FALSE, nothing changed); so is an empty
    // path or one holding a line break or the byte 0x01, whatever its title.
    virtual BOOL Add(const CString& strPath, const char* pszTitle = nullptr);

    // The text of an entry in a display mode (-1: the current one). A mode outside 0 to 2, or an
    // index outside the list, gives the empty text.
    const CString& GetText(int nIndex, int nMode = -1) const;
    // Stored as given: a damaged mode shows every entry empty until a sound one is set.
    void SetDisplayMode(int nMode) { m_nDisplayMode = nMode; }
    int GetSize() const { return m_aPaths.GetSize(); }
    // Exchanges two entries; an index outside the list changes nothing.
    void Swap(int nA, int nB);
    // Five exchanges with a drawn position for every position: 5 * n draws of qv::Rand(), so the
    // order depends only on the list and on the draws made before.
    void Shuffle();

    // Base name plus extension of a path.
    static void MakeFileName(const CString& strPath, CString& strName);
    // -1: cannot be opened or not a Standard MIDI File (strTitle untouched). Otherwise the byte
    // length of the sequence name of the first track's leading meta events, or 0 when strTitle
    // got the file name instead.
    static int ReadTitle(const CString& strPath, CString& strTitle);
    // A variable-length quantity of at most four bytes, or -1 when the input ends inside it or it
    // runs longer. *pnBytes (when given) receives the bytes consumed.
    static int ReadVarLen(CFileInput& input, DWORD* pnBytes = nullptr);
    static DWORD ReadBigEndian(const BYTE* pBytes, int nCount);

    int m_nDisplayMode = DISPLAY_FULLPATH;

private:
    CString m_strEmpty;

public:
    CStringArray m_aPaths;
    CStringArray m_aNames;
    CStringArray m_aTitles;
};
