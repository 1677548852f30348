#include "UIStringMap.h"

#include <cstdlib>
#include <cwchar>

namespace Veneer {

namespace {

// The last character enters first; callers only rely on keys spreading over the buckets.
UINT HashKey(const wchar_t* key) {
    UINT h = 0;
    for (size_t i = wcslen(key); i > 0; --i) h = h * 33u + static_cast<UINT>(key[i - 1]);
    return h;
}

}  // namespace

CUIStringMap::CUIStringMap(int buckets) : m_aT(nullptr), m_nBuckets(0), m_nCount(0) {
    Resize(buckets < 16 ? 16 : buckets);
}

CUIStringMap::~CUIStringMap() { FreeAll(); }

void CUIStringMap::FreeAll() {
    for (int b = m_nBuckets - 1; b >= 0; --b) {
        TItem* item = m_aT[b];
        while (item != nullptr) {
            TItem* next = item->next;
            delete item;
            item = next;
        }
    }
    free(m_aT);
    m_aT = nullptr;
    m_nBuckets = 0;
    m_nCount = 0;
}

UINT CUIStringMap::BucketOf(const wchar_t* key) const {
    return HashKey(key) % static_cast<UINT>(m_nBuckets);
}

void* CUIStringMap::Find(const wchar_t* key, bool moveToFront) const {
    if (m_nBuckets == 0 || m_nCount == 0 || key == nullptr) return nullptr;
    const UINT slot = BucketOf(key);
    for (TItem* item = m_aT[slot]; item != nullptr; item = item->next) {
        if (item->key.Compare(key) != 0) continue;
        if (moveToFront && item->prev != nullptr) {
            // Frequently used keys drift to the head of their chain and are found sooner.
            item->prev->next = item->next;
            if (item->next != nullptr) item->next->prev = item->prev;
            item->prev = nullptr;
            item->next = m_aT[slot];
            m_aT[slot]->prev = item;
            m_aT[slot] = item;
        }
        return item->value;
    }
    return nullptr;
}

bool CUIStringMap::Insert(const wchar_t* key, void* value) {
    if (m_nBuckets == 0 || key == nullptr) return false;
    if (Find(key)) return false;
    const UINT slot = BucketOf(key);
    TItem* item = new TItem{CUIString(key), value, nullptr, m_aT[slot]};
    if (m_aT[slot] != nullptr) m_aT[slot]->prev = item;
    m_aT[slot] = item;
    ++m_nCount;
    return true;
}

void* CUIStringMap::Set(const wchar_t* key, void* value) {
    if (m_nBuckets == 0 || key == nullptr) return value;
    if (m_nCount > 0) {
        for (TItem* item = m_aT[BucketOf(key)]; item != nullptr; item = item->next) {
            if (item->key == key) {
                void* old = item->value;
                item->value = value;
                return old;
            }
        }
    }
    Insert(key, value);
    return nullptr;
}

bool CUIStringMap::Remove(const wchar_t* key) {
    if (m_nBuckets == 0 || m_nCount == 0 || key == nullptr) return false;
    const UINT slot = BucketOf(key);
    for (TItem* item = m_aT[slot]; item != nullptr; item = item->next) {
        if (item->key.Compare(key) != 0) continue;
        if (item->prev != nullptr) item->prev->next = item->next;
        else m_aT[slot] = item->next;
        if (item->next != nullptr) item->next->prev = item->prev;
        delete item;
        --m_nCount;
        return true;
    }
    return false;
}

const wchar_t* CUIStringMap::GetAt(int index) const {
    if (index < 0 || index >= m_nCount) return nullptr;
    int pos = 0;
    for (int b = m_nBuckets - 1; b >= 0; --b) {
        for (TItem* item = m_aT[b]; item != nullptr; item = item->next) {
            if (pos++ == index) return item->key.GetData();
        }
    }
    return nullptr;
}

void CUIStringMap::Resize(int buckets) {
    FreeAll();
    if (buckets <= 0) return;
    m_aT = static_cast<TItem**>(calloc(static_cast<size_t>(buckets), sizeof(TItem*)));
    if (m_aT != nullptr) m_nBuckets = buckets;
}

void CUIStringMap::RemoveAll() { Resize(m_nBuckets); }

}  // namespace Veneer
