#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "framework/String.h"
#include "framework/Types.h"

// The files of a folder tree whose names end in one of a list of extensions, collected into the
// finder itself: depth first in the file system's enumeration order, each sub-folder's files
// placed where the sub-folder was met among its siblings.
class CFileFinder : public CStringArray {
public:
    CFileFinder() = default;
    CFileFinder(const CFileFinder&) = delete;
    CFileFinder& operator=(const CFileFinder&) = delete;

    // Extensions are given without the dot and compared ignoring case. FALSE only for an empty
    // folder text; a folder that cannot be enumerated adds nothing.
    BOOL Find(const CString& strFolder, const CStringArray& aExtensions, BOOL bRecursive);

    // Nesting beyond this is not followed: a guard for folders whose identity cannot be read.
    static constexpr int kMaxDepth = 128;

private:
    struct FolderId {
        std::uint32_t dwVolume;
        std::uint32_t dwIndexHigh;
        std::uint32_t dwIndexLow;
        bool operator==(const FolderId&) const = default;
    };

    BOOL Scan(const CString& strFolder, const CStringArray& aExtensions, BOOL bRecursive);
    // Records the folder as being scanned; FALSE when it already is (a link back to an ancestor)
    // or the tree is too deep.
    BOOL EnterFolder(const CString& strBase);
    void LeaveFolder() { m_aChain.pop_back(); }
    void AddMatch(const CString& strBase, const char* pszName, const CStringArray& aExtensions);

    // Receives the paths found; the top-level scan points it at the finder's own array.
    CStringArray* m_pResult = this;
    // The folders being scanned, outermost first; an unknown identity is never matched.
    std::vector<std::pair<bool, FolderId>> m_aChain;
};
