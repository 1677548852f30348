// A growable array of untyped pointers; it never owns what the pointers point to.
#pragma once
#include <windows.h>

namespace Veneer {

class CUIPtrArray {
public:
    explicit CUIPtrArray(int capacity = 0);
    CUIPtrArray(const CUIPtrArray& src);
    CUIPtrArray& operator=(const CUIPtrArray& src);
    ~CUIPtrArray();

    bool Add(void* p);
    bool InsertAt(int index, void* p);
    bool Remove(int index);
    int Find(void* p) const;
    void* GetAt(int index) const;
    void* operator[](int index) const { return m_ppVoid[index]; }
    int GetSize() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }
    void Empty();
    void Resize(int count);

private:
    // Makes room for one more element; false (and nothing changed) when memory runs out.
    bool GrowForOneMore();

    void** m_ppVoid;
    int m_nCount;
    int m_nAllocated;
};

}  // namespace Veneer
