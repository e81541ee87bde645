#pragma once
#include <cstdint>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include "framework/String.h"
#include "framework/Types.h"

// The files of a folder tree whose names end in one of a list of extensions, collected into the
// finder itself: depth first in the file system's enumeration order, each sub-folder's files
// placed where the sub-folder was met among its siblings.
class CFileFinder : public CStringArray {
public:
    CFileFinder();
    ~CFileFinder() override;
    CFileFinder(const CFileFinder&) = delete;
    CFileFinder& operator=(const CFileFinder&) = delete;

    // Extensions are given without the dot and compared ignoring case. FALSE only for an empty
    // folder text; a folder that cannot be enumerated adds nothing.
    BOOL Find(const CString& strFolder, const CStringArray& aExtensions, BOOL bRecursive);

    class CScope;
    // The same scan in steps, for a caller that hands the window back in between: Begin, then
    // Continue until it answers TRUE; each step adds what it found to the finder. The scope
    // must outlive the scan.
    BOOL Begin(const CString& strFolder, const CStringArray& aExtensions, BOOL bRecursive,
               CScope& scope);
    // Looks at up to nItems more items; TRUE when the scan is done.
    BOOL Continue(int nItems);

    // Nesting beyond this is not followed: a guard for folders whose identity cannot be read.
    static constexpr int kMaxDepth = 128;
    // No more folders than this are entered by one scope (or one Find outside any scope).
    static constexpr int kMaxFolders = 100000;

    // The folders entered by every Find while it lives (one drop, one command line): each real
    // folder is entered once, so links cannot multiply a tree, and the whole is bounded. Scopes
    // belong to the user-interface thread; an inner scope joins the outer one.
    class CScope {
    public:
        CScope();
        ~CScope();
        CScope(const CScope&) = delete;
        CScope& operator=(const CScope&) = delete;

    private:
        friend class CFileFinder;
        // Volume and file index of each folder entered.
        std::set<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>> m_entered;
        int m_nFolders = 0;
        CScope* m_pOuter;
    };

private:
    struct CLevel;
    // Starts enumerating a folder, unless it was entered before or a bound is reached.
    void Open(const CString& strFolder, int nDepth);
    // FALSE when the folder was entered before in this scope (a link to it, or back to an
    // ancestor), or the depth or the number of folders reached its bound.
    BOOL EnterFolder(const CString& strBase, int nDepth);
    void AddMatch(const CString& strBase, const char* pszName, const CStringArray& aExtensions);

    // Receives the paths found; the top-level scan points it at the finder's own array.
    CStringArray* m_pResult = this;
    CScope* m_pScope = nullptr;
    CStringArray m_aExtensions;
    BOOL m_bRecursive = FALSE;
    // The folders being enumerated, innermost last: a sub-folder is enumerated whole, where it
    // was met, before its parent goes on.
    std::vector<std::unique_ptr<CLevel>> m_levels;
};
