#pragma once
// A small map from a name to an element, for the handful of values and sub-keys of one key.
// Names are compared byte for byte (letter case matters). Entries live in blocks and never move,
// so a reference to an element stays valid until the map is emptied; they are only ever removed
// all at once.
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Object.h"
#include "framework/String.h"
#include "framework/Types.h"
#include "settings/RegistryValue.h"

// Any hash of the name's bytes serves: nothing depends on the order it gives.
inline UINT HashKey(const CString& key) {
    UINT nHash = 0;
    for (char ch : key.View()) nHash = (nHash << 5) + nHash + static_cast<unsigned char>(ch);
    return nHash;
}

template <class TElement>
class CNameMap : public CObject {
public:
    static constexpr UINT kHashTableSize = 17;
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
        for (UINT n = 0; m_pHashTable && n < kHashTableSize; ++n) {
            while (CAssoc* pAssoc = m_pHashTable[n]) {
                m_pHashTable[n] = pAssoc->pNext;
                pAssoc->key.Empty();
                pAssoc->element = TElement();
                pAssoc->pNext = m_pFreeList;
                m_pFreeList = pAssoc;
            }
        }
        m_pHashTable.reset();
        m_nCount = 0;
    }

    // Calls f(name, element) for every entry, bucket by bucket and the newest first within one,
    // until f answers FALSE; answers whether every call answered TRUE.
    template <class F>
    BOOL ForEach(F f) {
        for (UINT n = 0; m_pHashTable && n < kHashTableSize; ++n)
            for (CAssoc* pAssoc = m_pHashTable[n]; pAssoc; pAssoc = pAssoc->pNext)
                if (!f(static_cast<const CString&>(pAssoc->key), pAssoc->element)) return FALSE;
        return TRUE;
    }

private:
    struct CAssoc {
        CAssoc* pNext = nullptr;
        CString key;
        TElement element{};
    };

    CAssoc* Find(const CString& key) const {
        if (!m_pHashTable) return nullptr;
        for (CAssoc* pAssoc = m_pHashTable[HashKey(key) % kHashTableSize]; pAssoc;
             pAssoc = pAssoc->pNext)
            if (pAssoc->key.View() == key.View()) return pAssoc;
        return nullptr;
    }

    CAssoc* Insert(const CString& key) {
        if (!m_pHashTable) m_pHashTable.reset(new CAssoc*[kHashTableSize]());
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
        UINT nBucket = HashKey(key) % kHashTableSize;
        pAssoc->pNext = m_pHashTable[nBucket];
        m_pHashTable[nBucket] = pAssoc;
        ++m_nCount;
        return pAssoc;
    }

    std::unique_ptr<CAssoc*[]> m_pHashTable;
    std::vector<std::unique_ptr<CAssoc[]>> m_blocks;  // the blocks never move or shrink
    CAssoc* m_pFreeList = nullptr;
    int m_nCount = 0;
};

// The values of a cached key, and its sub-keys as indices into the store's children.
using CRegistryValueMap = CNameMap<CRegistryValue>;
using CSubKeyMap = CNameMap<std::int32_t>;
