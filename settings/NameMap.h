#pragma once
// A map from a name to an element, for the values and sub-keys of one key. Names match without
// regard to ASCII letter case, as the registry matches them; an entry keeps the spelling it was
// first inserted under. Entries live in blocks and never move, so a reference to an element stays
// valid until the map is emptied; they are only ever removed all at once.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Object.h"
#include "framework/String.h"
#include "framework/Types.h"
#include "settings/RegistryValue.h"

inline char FoldNameChar(char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

// The hash of the name's bytes, with ASCII letters folded to lower case when bFold is set.
inline UINT HashKey(const CString& key, bool bFold = false) {
    UINT nHash = 0;
    for (char ch : key.View())
        nHash = (nHash << 5) + nHash + static_cast<unsigned char>(bFold ? FoldNameChar(ch) : ch);
    return nHash;
}

inline bool SameName(const CString& a, const CString& b) {
    return a.View().size() == b.View().size() &&
           std::equal(a.View().begin(), a.View().end(), b.View().begin(),
                      [](char x, char y) { return FoldNameChar(x) == FoldNameChar(y); });
}

template <class TElement>
class CNameMap : public CObject {
public:
    // Entries are visited in the order a table of this many buckets gives (the order the
    // program has always written its values in); the table that finds them grows with them.
    static constexpr UINT kOrderBuckets = 17;
    static constexpr int kBlockSize = 10;

    CNameMap() = default;
    CNameMap(const CNameMap&) = delete;
    CNameMap& operator=(const CNameMap&) = delete;

    int GetCount() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    // The element of that name, or null.
    TElement* Lookup(const CString& key) const {
        CAssoc* pAssoc = Find(key);
        return pAssoc ? &pAssoc->element : nullptr;
    }

    // The element of that name, inserted as a default element when absent.
    TElement& operator[](const CString& key) {
        if (CAssoc* pAssoc = Find(key)) return pAssoc->element;
        return Insert(key)->element;
    }

    // Inserts a copy of the element, or replaces the element of that name by assignment.
    void SetAt(const CString& key, const TElement& element) { (*this)[key] = element; }

    void RemoveAll() {
        for (UINT n = 0; m_pHashTable && n < m_nHashTableSize; ++n) {
            while (CAssoc* pAssoc = m_pHashTable[n]) {
                m_pHashTable[n] = pAssoc->pNext;
                pAssoc->key.Empty();
                pAssoc->element = TElement();
                pAssoc->pNext = m_pFreeList;
                m_pFreeList = pAssoc;
            }
        }
        m_pHashTable.reset();
        m_nHashTableSize = 0;
        m_nCount = 0;
        m_nInserted = 0;
    }

    // Calls f(name, element) for every entry, in the order of a 17-bucket table (bucket by bucket,
    // the newest first within one), until f answers FALSE; answers whether every call answered
    // TRUE.
    template <class F>
    BOOL ForEach(F f) {
        std::vector<CAssoc*> order;
        order.reserve(static_cast<size_t>(m_nCount));
        for (UINT n = 0; m_pHashTable && n < m_nHashTableSize; ++n)
            for (CAssoc* pAssoc = m_pHashTable[n]; pAssoc; pAssoc = pAssoc->pNext)
                order.push_back(pAssoc);
        std::sort(order.begin(), order.end(), [](const CAssoc* a, const CAssoc* b) {
            return a->nOrderBucket != b->nOrderBucket ? a->nOrderBucket < b->nOrderBucket
                                                      : a->nInserted > b->nInserted;
        });
        for (CAssoc* pAssoc : order)
            if (!f(static_cast<const CString&>(pAssoc->key), pAssoc->element)) return FALSE;
        return TRUE;
    }

private:
    struct CAssoc {
        CAssoc* pNext = nullptr;
        CString key;
        UINT nOrderBucket = 0;
        UINT nInserted = 0;
        TElement element{};
    };

    CAssoc* Find(const CString& key) const {
        if (!m_pHashTable) return nullptr;
        for (CAssoc* pAssoc = m_pHashTable[HashKey(key, true) % m_nHashTableSize]; pAssoc;
             pAssoc = pAssoc->pNext)
            if (SameName(pAssoc->key, key)) return pAssoc;
        return nullptr;
    }

    void Link(CAssoc* pAssoc) {
        UINT nBucket = HashKey(pAssoc->key, true) % m_nHashTableSize;
        pAssoc->pNext = m_pHashTable[nBucket];
        m_pHashTable[nBucket] = pAssoc;
    }

    // Relinks every entry into a table of about twice the size; the entries stay where they are.
    void Grow() {
        std::vector<CAssoc*> all;
        all.reserve(static_cast<size_t>(m_nCount));
        for (UINT n = 0; n < m_nHashTableSize; ++n)
            for (CAssoc* pAssoc = m_pHashTable[n]; pAssoc; pAssoc = pAssoc->pNext)
                all.push_back(pAssoc);
        m_nHashTableSize = m_nHashTableSize * 2 + 1;
        m_pHashTable.reset(new CAssoc*[m_nHashTableSize]());
        for (CAssoc* pAssoc : all) Link(pAssoc);
    }

    CAssoc* Insert(const CString& key) {
        if (!m_pHashTable) {
            m_nHashTableSize = kOrderBuckets;
            m_pHashTable.reset(new CAssoc*[m_nHashTableSize]());
        }
        if (static_cast<UINT>(m_nCount) >= m_nHashTableSize * 2) Grow();
        if (!m_pFreeList) {
            m_blocks.emplace_back(new CAssoc[kBlockSize]);
            for (int i = kBlockSize - 1; i >= 0; --i) {
                m_blocks.back()[i].pNext = m_pFreeList;
                m_pFreeList = &m_blocks.back()[i];
            }
        }
        CAssoc* pAssoc = m_pFreeList;
        m_pFreeList = pAssoc->pNext;
        pAssoc->key = key;
        pAssoc->nOrderBucket = HashKey(key) % kOrderBuckets;
        pAssoc->nInserted = m_nInserted++;
        Link(pAssoc);
        ++m_nCount;
        return pAssoc;
    }

    std::unique_ptr<CAssoc*[]> m_pHashTable;
    UINT m_nHashTableSize = 0;
    std::vector<std::unique_ptr<CAssoc[]>> m_blocks;  // the blocks never move or shrink
    CAssoc* m_pFreeList = nullptr;
    int m_nCount = 0;
    UINT m_nInserted = 0;  // counts insertions, for the order of ForEach
};

// The values of a cached key, and its sub-keys as indices into the store's children.
using CRegistryValueMap = CNameMap<CRegistryValue>;
using CSubKeyMap = CNameMap<std::int32_t>;
