#include "UIString.h"

#include <shlwapi.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace Veneer {

namespace {

int TextLength(const wchar_t* text, int length) {
    if (text == nullptr) return 0;
    return length < 0 ? static_cast<int>(wcslen(text)) : length;
}

wchar_t* AllocChars(int length) {
    return static_cast<wchar_t*>(malloc(static_cast<size_t>(length) * sizeof(wchar_t) + sizeof(wchar_t)));
}

}  // namespace

CUIString::CUIString() : m_pstr(m_szBuffer) { m_szBuffer[0] = L'\0'; }

CUIString::CUIString(const wchar_t* text, int length) : CUIString() { Assign(text, length); }

CUIString::CUIString(const CUIString& src) : CUIString() { Assign(src.m_pstr); }

CUIString::CUIString(wchar_t ch) : CUIString() {
    m_szBuffer[0] = ch;
    m_szBuffer[1] = L'\0';
}

CUIString::~CUIString() {
    if (!IsInline()) free(m_pstr);
}

bool CUIString::PointsIntoSelf(const wchar_t* text) const {
    // Compared as addresses so that a slice of this very string is recognised before the
    // buffer under it is freed or moved.
    const auto p = reinterpret_cast<ULONG_PTR>(text);
    const auto lo = reinterpret_cast<ULONG_PTR>(m_pstr);
    return text != nullptr && p >= lo && p <= lo + static_cast<ULONG_PTR>(GetLength()) * sizeof(wchar_t);
}

void CUIString::Assign(const wchar_t* text, int length) {
    length = TextLength(text, length);
    if (length > 0 && PointsIntoSelf(text)) {
        // The source lives in the buffer that is about to change: work from a copy.
        CUIString copy;
        copy.AppendN(text, length);
        Assign(copy.m_pstr, length);
        return;
    }
    if (length <= kMaxInline) {
        if (!IsInline()) {
            free(m_pstr);
            m_pstr = m_szBuffer;
        }
    } else if (IsInline() || GetLength() < length) {
        wchar_t* block = IsInline() ? AllocChars(length)
                                    : static_cast<wchar_t*>(realloc(m_pstr, static_cast<size_t>(length) * sizeof(wchar_t) + sizeof(wchar_t)));
        m_pstr = block;
    }
    if (length > 0) memcpy(m_pstr, text, static_cast<size_t>(length) * sizeof(wchar_t));
    m_pstr[length] = L'\0';
}

CUIString& CUIString::operator=(const CUIString& src) {
    if (this != &src) Assign(src.m_pstr);
    return *this;
}

CUIString& CUIString::operator=(const wchar_t* text) {
    Assign(text);
    return *this;
}

void CUIString::AppendN(const wchar_t* text, int length) {
    if (text == nullptr || length <= 0) return;
    if (PointsIntoSelf(text)) {
        CUIString copy;
        copy.AppendN(text, length);
        AppendN(copy.m_pstr, length);
        return;
    }
    const int old = GetLength();
    const int total = old + length;
    if (total > kMaxInline) {
        const size_t bytes = static_cast<size_t>(total) * sizeof(wchar_t) + sizeof(wchar_t);
        if (IsInline()) {
            wchar_t* block = static_cast<wchar_t*>(malloc(bytes));
            memcpy(block, m_szBuffer, static_cast<size_t>(old) * sizeof(wchar_t));
            m_pstr = block;
        } else {
            m_pstr = static_cast<wchar_t*>(realloc(m_pstr, bytes));
        }
    }
    memcpy(m_pstr + old, text, static_cast<size_t>(length) * sizeof(wchar_t));
    m_pstr[total] = L'\0';
}

void CUIString::Append(const wchar_t* text) {
    if (text != nullptr) AppendN(text, static_cast<int>(wcslen(text)));
}

CUIString& CUIString::operator+=(const wchar_t* text) {
    Append(text);
    return *this;
}

CUIString& CUIString::operator+=(const CUIString& src) {
    AppendN(src.m_pstr, src.GetLength());
    return *this;
}

CUIString& CUIString::operator+=(wchar_t ch) {
    const wchar_t one[2] = {ch, L'\0'};
    AppendN(one, 1);
    return *this;
}

void CUIString::Empty() {
    if (!IsInline()) free(m_pstr);
    m_pstr = m_szBuffer;
    m_szBuffer[0] = L'\0';
}

int CUIString::GetLength() const { return static_cast<int>(wcslen(m_pstr)); }

int CUIString::Compare(const wchar_t* text) const { return wcscmp(m_pstr, text ? text : L""); }

CUIString CUIString::Left(int count) const {
    const int length = GetLength();
    if (count < 0) count = 0;
    if (count > length) count = length;
    return CUIString(m_pstr, count);
}

CUIString CUIString::Mid(int start, int count) const {
    const int length = GetLength();
    // A start outside the text would read before or behind it: clamp it to the text.
    if (start < 0) start = 0;
    if (start > length) start = length;
    if (count < 0 || count > length - start) count = length - start;
    if (count <= 0) return CUIString();
    return CUIString(m_pstr + start, count);
}

int CUIString::Find(const wchar_t* text, int start) const {
    if (text == nullptr || start < 0 || start > GetLength()) return -1;
    // The empty text is found where the search starts (the runtime's wcsstr may say "nowhere").
    if (text[0] == L'\0') return start;
    const wchar_t* hit = wcsstr(m_pstr + start, text);
    return hit ? static_cast<int>(hit - m_pstr) : -1;
}

int CUIString::Find(wchar_t ch, int start) const {
    if (start < 0 || start >= GetLength()) return -1;
    const wchar_t* hit = wcschr(m_pstr + start, ch);
    return hit ? static_cast<int>(hit - m_pstr) : -1;
}

int CUIString::ReverseFind(wchar_t ch) const {
    const wchar_t* hit = wcsrchr(m_pstr, ch);
    return hit ? static_cast<int>(hit - m_pstr) : -1;
}

int CUIString::Replace(const wchar_t* from, const wchar_t* to) {
    // An empty pattern matches everywhere and would never advance.
    if (from == nullptr || from[0] == L'\0') return 0;
    if (to == nullptr) to = L"";
    const int fromLen = static_cast<int>(wcslen(from));
    // Built in a separate string so that patterns taken from this string stay readable.
    CUIString result;
    int count = 0;
    const wchar_t* rest = m_pstr;
    for (const wchar_t* hit = wcsstr(rest, from); hit != nullptr; hit = wcsstr(rest, from)) {
        result.AppendN(rest, static_cast<int>(hit - rest));
        result.Append(to);
        rest = hit + fromLen;
        ++count;
    }
    if (count == 0) return 0;
    result.Append(rest);
    Assign(result.m_pstr, result.GetLength());
    return count;
}

void CUIString::MakeLower() { _wcslwr(m_pstr); }

int CUIString::Format(const wchar_t* format, ...) {
    // Formatting is for short texts; a longer result is cut rather than written past the
    // work buffer.
    wchar_t work[kMaxInline + 2] = {};
    va_list args;
    va_start(args, format);
    wvnsprintfW(work, kMaxInline + 2, format ? format : L"", args);
    va_end(args);
    work[kMaxInline + 1] = L'\0';
    Assign(work);
    return GetLength();
}

}  // namespace Veneer
