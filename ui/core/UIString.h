// The UI framework's wide-character string: short texts (names, attribute values, notification
// types) live in an inline buffer, longer ones on the heap.
#pragma once
#include <windows.h>

namespace Veneer {

class CUIString {
public:
    // Texts of up to this many characters stay in the inline buffer.
    static constexpr int kMaxInline = 62;

    CUIString();
    CUIString(const wchar_t* text, int length = -1);
    CUIString(const CUIString& src);
    CUIString(wchar_t ch);
    ~CUIString();

    void Assign(const wchar_t* text, int length = -1);
    CUIString& operator=(const CUIString& src);
    CUIString& operator=(const wchar_t* text);

    void Append(const wchar_t* text);
    CUIString& operator+=(const wchar_t* text);
    CUIString& operator+=(const CUIString& src);
    CUIString& operator+=(wchar_t ch);

    void Empty();
    bool IsEmpty() const { return m_pstr[0] == L'\0'; }
    int GetLength() const;
    const wchar_t* GetData() const { return m_pstr; }
    wchar_t GetAt(int index) const { return m_pstr[index]; }

    int Compare(const wchar_t* text) const;
    bool operator==(const wchar_t* text) const { return Compare(text) == 0; }

    CUIString Left(int count) const;
    CUIString Mid(int start, int count = -1) const;
    int Find(const wchar_t* text, int start = 0) const;
    int Find(wchar_t ch, int start = 0) const;
    int ReverseFind(wchar_t ch) const;
    int Replace(const wchar_t* from, const wchar_t* to);
    void MakeLower();
    int Format(const wchar_t* format, ...);

private:
    bool IsInline() const { return m_pstr == m_szBuffer; }
    bool PointsIntoSelf(const wchar_t* text) const;
    void AppendN(const wchar_t* text, int length);

    wchar_t* m_pstr;
    wchar_t m_szBuffer[kMaxInline + 2];
};

}  // namespace Veneer
