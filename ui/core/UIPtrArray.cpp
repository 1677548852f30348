#include "UIPtrArray.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace Veneer {

CUIPtrArray::CUIPtrArray(int capacity) : m_ppVoid(nullptr), m_nCount(0), m_nAllocated(0) {
    if (capacity > 0) {
        m_ppVoid = static_cast<void**>(malloc(static_cast<size_t>(capacity) * sizeof(void*)));
        if (m_ppVoid != nullptr) m_nAllocated = capacity;
    }
}

CUIPtrArray::CUIPtrArray(const CUIPtrArray& src) : CUIPtrArray(0) {
    for (int i = 0; i < src.m_nCount; ++i) Add(src.m_ppVoid[i]);
}

CUIPtrArray& CUIPtrArray::operator=(const CUIPtrArray& src) {
    if (this != &src) {
        Empty();
        for (int i = 0; i < src.m_nCount; ++i) Add(src.m_ppVoid[i]);
    }
    return *this;
}

CUIPtrArray::~CUIPtrArray() { free(m_ppVoid); }

bool CUIPtrArray::GrowForOneMore() {
    // The block is grown as soon as the new size reaches the capacity. Compared with ">=" and
    // not "==": after Resize the size equals the capacity, and the next element must still
    // get a slot of its own.
    if (m_nCount + 1 < m_nAllocated) return true;
    if (m_nAllocated > INT_MAX / 4) return false;
    int capacity = m_nAllocated == 0 ? 11 : m_nAllocated * 2;
    if (capacity <= m_nCount + 1) capacity *= 2;
    void** block = static_cast<void**>(realloc(m_ppVoid, static_cast<size_t>(capacity) * sizeof(void*)));
    if (block == nullptr) return false;
    m_ppVoid = block;
    m_nAllocated = capacity;
    return true;
}

bool CUIPtrArray::Add(void* p) {
    if (!GrowForOneMore()) return false;
    m_ppVoid[m_nCount++] = p;
    return true;
}

bool CUIPtrArray::InsertAt(int index, void* p) {
    if (index == m_nCount) return Add(p);
    if (index < 0 || index > m_nCount) return false;
    if (!GrowForOneMore()) return false;
    memmove(m_ppVoid + index + 1, m_ppVoid + index, static_cast<size_t>(m_nCount - index) * sizeof(void*));
    m_ppVoid[index] = p;
    ++m_nCount;
    return true;
}

bool CUIPtrArray::Remove(int index) {
    if (index < 0 || index >= m_nCount) return false;
    memmove(m_ppVoid + index, m_ppVoid + index + 1, static_cast<size_t>(m_nCount - index - 1) * sizeof(void*));
    --m_nCount;
    return true;
}

int CUIPtrArray::Find(void* p) const {
    for (int i = 0; i < m_nCount; ++i) {
        if (m_ppVoid[i] == p) return i;
    }
    return -1;
}

void* CUIPtrArray::GetAt(int index) const {
    if (index < 0 || index >= m_nCount) return nullptr;
    return m_ppVoid[index];
}

void CUIPtrArray::Empty() {
    free(m_ppVoid);
    m_ppVoid = nullptr;
    m_nCount = 0;
    m_nAllocated = 0;
}

void CUIPtrArray::Resize(int count) {
    Empty();
    if (count <= 0) return;
    m_ppVoid = static_cast<void**>(calloc(static_cast<size_t>(count), sizeof(void*)));
    if (m_ppVoid == nullptr) return;
    m_nCount = count;
    m_nAllocated = count;
}

}  // namespace Veneer
