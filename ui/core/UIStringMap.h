// A chained hash map from wide-string keys to untyped pointers. It owns its nodes and keys,
// never the values.
#pragma once
#include <windows.h>

#include "UIString.h"

namespace Veneer {

class CUIStringMap {
public:
    explicit CUIStringMap(int buckets = 83);
    ~CUIStringMap();
    CUIStringMap(const CUIStringMap&) = delete;
    CUIStringMap& operator=(const CUIStringMap&) = delete;

    void* Find(const wchar_t* key, bool moveToFront = true) const;
    bool Insert(const wchar_t* key, void* value);
    void* Set(const wchar_t* key, void* value);
    bool Remove(const wchar_t* key);
    int GetSize() const { return m_nCount; }
    const wchar_t* GetAt(int index) const;
    void Resize(int buckets);
    void RemoveAll();

private:
    struct TItem {
        CUIString key;
        void* value;
        TItem* prev;
        TItem* next;
    };

    void FreeAll();
    UINT BucketOf(const wchar_t* key) const;

    TItem** m_aT;
    int m_nBuckets;
    int m_nCount;
};

}  // namespace Veneer
