// The UI framework's string, pointer array, string map and rectangle types.
#include <gtest/gtest.h>

#include <malloc.h>

#include <string>

#include "UIPtrArray.h"
#include "UIRect.h"
#include "UIString.h"
#include "UIStringMap.h"

using Veneer::CUIPtrArray;
using Veneer::CUIRect;
using Veneer::CUIString;
using Veneer::CUIStringMap;

namespace {

bool IsInline(const CUIString& s) {
    const char* p = reinterpret_cast<const char*>(s.GetData());
    const char* self = reinterpret_cast<const char*>(&s);
    return p >= self && p < self + sizeof(s);
}

std::wstring Str(const CUIString& s) { return s.GetData(); }

void* P(INT_PTR v) { return reinterpret_cast<void*>(v); }

TEST(UIString, InlineUpTo62CharactersHeapFrom63) {
    const std::wstring t62(62, L'x'), t63(63, L'y');
    CUIString s(t62.c_str());
    EXPECT_TRUE(IsInline(s));
    s += L'z';
    EXPECT_FALSE(IsInline(s));
    EXPECT_EQ(Str(s), t62 + L"z");
    s = t63.c_str();
    EXPECT_FALSE(IsInline(s));
    EXPECT_EQ(s.GetLength(), 63);
    s = L"short";
    EXPECT_TRUE(IsInline(s));
    EXPECT_EQ(Str(s), L"short");
    s.Assign(t63.c_str(), 10);
    EXPECT_EQ(Str(s), t63.substr(0, 10));
    CUIString big(std::wstring(1000, L'q').c_str());
    big.Empty();
    EXPECT_TRUE(big.IsEmpty());
    EXPECT_TRUE(IsInline(big));
}

TEST(UIString, NullTextsAreEmpty) {
    CUIString s(static_cast<const wchar_t*>(nullptr));
    EXPECT_TRUE(s.IsEmpty());
    s = L"abc";
    s += static_cast<const wchar_t*>(nullptr);
    EXPECT_EQ(Str(s), L"abc");
    s = static_cast<const wchar_t*>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(CUIString(L'k').GetLength(), 1);
    EXPECT_EQ(s.Compare(nullptr), 0);
}

// Sources taken from the string itself, across the inline/heap boundary in both directions.
TEST(UIString, AssignAndAppendFromItself) {
    for (int len : {5, 40, 62, 63, 100, 300}) {
        std::wstring text;
        for (int i = 0; i < len; ++i) text += static_cast<wchar_t>(L'a' + i % 26);

        CUIString s(text.c_str());
        s.Assign(s.GetData() + 1);
        EXPECT_EQ(Str(s), text.substr(1)) << len;

        s = text.c_str();
        s.Assign(s.GetData(), len / 2);
        EXPECT_EQ(Str(s), text.substr(0, len / 2)) << len;

        s = text.c_str();
        s = s;
        EXPECT_EQ(Str(s), text) << len;

        s += s;
        EXPECT_EQ(Str(s), text + text) << len;

        s = text.c_str();
        s += s.GetData() + len / 2;
        EXPECT_EQ(Str(s), text + text.substr(len / 2)) << len;

        CUIString copy(s);
        EXPECT_EQ(Str(copy), Str(s));
        EXPECT_NE(copy.GetData(), s.GetData());
    }
}

TEST(UIString, LeftAndMidClamp) {
    const CUIString s(L"abcdef");
    struct Case {
        int start, count;
        const wchar_t* want;
    } cases[] = {
        {2, 100, L"cdef"}, {7, -1, L""}, {0, -1, L"abcdef"}, {6, 3, L""}, {3, 0, L""},
        {-5, 2, L"ab"},    {1, 2, L"bc"}, {100, 100, L""},    {5, -7, L"f"},
    };
    for (const Case& c : cases) EXPECT_EQ(Str(s.Mid(c.start, c.count)), c.want) << c.start << "," << c.count;
    EXPECT_EQ(Str(s.Left(3)), L"abc");
    EXPECT_EQ(Str(s.Left(-1)), L"");
    EXPECT_EQ(Str(s.Left(99)), L"abcdef");
    const std::wstring longText(200, L'm');
    EXPECT_EQ(CUIString(longText.c_str()).Mid(190, 50).GetLength(), 10);
}

TEST(UIString, FindForms) {
    const CUIString s(L"abcabc");
    EXPECT_EQ(s.Find(L"bc"), 1);
    EXPECT_EQ(s.Find(L"bc", 2), 4);
    EXPECT_EQ(s.Find(L"zz"), -1);
    EXPECT_EQ(s.Find(L"a", -1), -1);
    EXPECT_EQ(s.Find(L"a", 7), -1);
    // At the length the text form still finds the empty text, the character form finds nothing.
    EXPECT_EQ(s.Find(L"", 6), 6);
    EXPECT_EQ(s.Find(L'c', 6), -1);
    EXPECT_EQ(s.Find(L'c', 3), 5);
    EXPECT_EQ(s.Find(L'c', -1), -1);
    EXPECT_EQ(s.ReverseFind(L'a'), 3);
    EXPECT_EQ(s.ReverseFind(L'z'), -1);
}

TEST(UIString, Replace) {
    struct Case {
        const wchar_t* text;
        const wchar_t* from;
        const wchar_t* to;
        const wchar_t* want;
        int count;
    } cases[] = {
        {L"aaa", L"a", L"aa", L"aaaaaa", 3},
        {L"abcabc", L"b", L"", L"acac", 2},
        {L"abc", L"", L"x", L"abc", 0},
        {L"abc", nullptr, L"x", L"abc", 0},
        {L"abc", L"c", nullptr, L"ab", 1},
        {L"%a%%a%", L"%a%", L"%a%%a%", L"%a%%a%%a%%a%", 2},
        {L"none", L"zz", L"y", L"none", 0},
    };
    for (const Case& c : cases) {
        CUIString s(c.text);
        EXPECT_EQ(s.Replace(c.from, c.to), c.count);
        EXPECT_EQ(Str(s), c.want);
    }
    // Pattern and replacement taken from the string itself.
    const std::wstring longText = std::wstring(70, L'a') + L"b";
    CUIString s(longText.c_str());
    EXPECT_EQ(s.Replace(s.GetData() + 70, s.GetData() + 69), 1);
    EXPECT_EQ(Str(s), std::wstring(71, L'a') + L"b");
}

TEST(UIString, FormatIsBoundedAndCompareIsOrdinal) {
    CUIString s;
    EXPECT_EQ(s.Format(L"%4d-%02d-%02d", 2026, 3, 7), 10);
    EXPECT_EQ(Str(s), L"2026-03-07");
    const std::wstring longArg(500, L'w');
    EXPECT_EQ(s.Format(L"<%s>", longArg.c_str()), 63);
    EXPECT_EQ(Str(s), L"<" + std::wstring(62, L'w'));

    EXPECT_LT(CUIString(L"B").Compare(L"a"), 0);
    EXPECT_GT(CUIString(L"b").Compare(L"a"), 0);
    EXPECT_TRUE(CUIString(L"x") == L"x");
    CUIString mixed(L"MiXeD 42");
    mixed.MakeLower();
    EXPECT_EQ(Str(mixed), L"mixed 42");
}

TEST(UIPtrArray, InsertRemoveAndBounds) {
    CUIPtrArray a;
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_FALSE(a.InsertAt(1, P(1)));
    EXPECT_FALSE(a.InsertAt(-1, P(1)));
    for (int i = 1; i <= 30; ++i) ASSERT_TRUE(a.Add(P(i)));
    EXPECT_TRUE(a.InsertAt(0, P(100)));
    EXPECT_TRUE(a.InsertAt(31, P(200)));
    EXPECT_FALSE(a.InsertAt(33, P(300)));
    EXPECT_TRUE(a.InsertAt(5, P(500)));
    ASSERT_EQ(a.GetSize(), 33);
    EXPECT_EQ(a[0], P(100));
    EXPECT_EQ(a[5], P(500));
    EXPECT_EQ(a[6], P(5));
    EXPECT_EQ(a[32], P(200));
    EXPECT_EQ(a.Find(P(500)), 5);
    EXPECT_EQ(a.Find(P(999)), -1);
    EXPECT_EQ(a.GetAt(33), nullptr);
    EXPECT_EQ(a.GetAt(-1), nullptr);
    EXPECT_FALSE(a.Remove(33));
    EXPECT_TRUE(a.Remove(5));
    EXPECT_EQ(a[5], P(5));
    CUIPtrArray copy(a);
    ASSERT_EQ(copy.GetSize(), 32);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(copy[i], a[i]);
    a.Empty();
    EXPECT_EQ(a.GetSize(), 0);
    EXPECT_EQ(a.GetAt(0), nullptr);
}

// After Resize the block is exactly full; growing from there must reallocate first.
TEST(UIPtrArray, GrowsAfterResize) {
    for (int n : {1, 2, 8, 11, 64}) {
        CUIPtrArray a;
        a.Resize(n);
        ASSERT_EQ(a.GetSize(), n);
        for (int i = 0; i < n; ++i) EXPECT_EQ(a[i], nullptr);
        ASSERT_TRUE(a.Add(P(7)));
        ASSERT_TRUE(a.InsertAt(0, P(9)));
        for (int i = 0; i < 3 * n; ++i) ASSERT_TRUE(a.Add(P(i + 1)));
        EXPECT_EQ(a[0], P(9));
        EXPECT_EQ(a[n + 1], P(7));
        EXPECT_EQ(a[a.GetSize() - 1], P(3 * n));
        EXPECT_EQ(_heapchk(), _HEAPOK) << n;
    }
    CUIPtrArray a(4);
    a.Resize(0);
    EXPECT_TRUE(a.Add(P(1)));
    EXPECT_EQ(a.GetSize(), 1);
}

std::wstring KeysInOrder(const CUIStringMap& m) {
    std::wstring out;
    for (int i = 0; i < m.GetSize(); ++i) out += std::wstring(m.GetAt(i)) + L" ";
    return out;
}

// Hash: the last character first, h * 33 + c. With 16 buckets "ab" = 3331 lands with "c" in
// bucket 3, "b" in 2, "a" in 1; iteration walks buckets from the last, each chain from its head.
TEST(UIStringMap, HashAndIterationOrder) {
    CUIStringMap m(0);
    for (const wchar_t* k : {L"a", L"b", L"ab", L"c"}) EXPECT_TRUE(m.Insert(k, P(k[0])));
    EXPECT_EQ(KeysInOrder(m), L"c ab b a ");
    EXPECT_EQ(m.Find(L"ab"), P(L'a'));
    EXPECT_EQ(KeysInOrder(m), L"ab c b a ");
    EXPECT_EQ(m.Find(L"c", false), P(L'c'));
    EXPECT_EQ(KeysInOrder(m), L"ab c b a ");

    CUIStringMap big(83);  // 3331 % 83 = 11, 'a'..'c' in 14..16
    for (const wchar_t* k : {L"a", L"b", L"ab", L"c"}) big.Insert(k, P(1));
    EXPECT_EQ(KeysInOrder(big), L"c b a ab ");
    EXPECT_EQ(big.GetAt(4), nullptr);
    EXPECT_EQ(big.GetAt(-1), nullptr);
}

TEST(UIStringMap, InsertSetRemove) {
    CUIStringMap m(16);
    EXPECT_EQ(m.Find(L"x"), nullptr);
    EXPECT_TRUE(m.Insert(L"Key", P(1)));
    EXPECT_FALSE(m.Insert(L"Key", P(2)));
    EXPECT_EQ(m.Find(L"Key"), P(1));
    EXPECT_EQ(m.Find(L"key"), nullptr);
    EXPECT_EQ(m.Set(L"Key", P(3)), P(1));
    EXPECT_EQ(m.Set(L"Other", P(4)), nullptr);
    EXPECT_EQ(m.GetSize(), 2);
    // Chains longer than one node: a heads-and-middles removal check.
    for (int i = 0; i < 200; ++i) m.Insert((L"k" + std::to_wstring(i)).c_str(), P(i + 10));
    for (int i = 0; i < 200; i += 3) EXPECT_TRUE(m.Remove((L"k" + std::to_wstring(i)).c_str()));
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(m.Find((L"k" + std::to_wstring(i)).c_str()), i % 3 ? P(i + 10) : nullptr) << i;
    }
    EXPECT_FALSE(m.Remove(L"k0"));
    EXPECT_EQ(m.GetSize(), 2 + 200 - 67);
    m.RemoveAll();
    EXPECT_EQ(m.GetSize(), 0);
    EXPECT_TRUE(m.Insert(L"again", P(5)));

    m.Resize(0);
    EXPECT_FALSE(m.Insert(L"a", P(1)));
    EXPECT_EQ(m.Set(L"a", P(6)), P(6));
    EXPECT_EQ(m.Find(L"a"), nullptr);
    EXPECT_FALSE(m.Remove(L"a"));
    m.Resize(-3);
    EXPECT_EQ(m.GetSize(), 0);
}

TEST(UIRect, GeometryWithoutClamping) {
    CUIRect r(10, 20, 5, 60);
    EXPECT_EQ(r.GetWidth(), -5);
    EXPECT_EQ(r.GetHeight(), 40);
    r.Offset(3, -4);
    EXPECT_EQ(CUIRect(r).left, 13);
    EXPECT_EQ(r.top, 16);
    r.MoveToOrigin();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, -5);
    EXPECT_EQ(r.bottom, 40);
    CUIRect j(5, 5, 10, 10);
    j.Join(CUIRect());  // an empty rectangle at the origin still pulls the corner
    EXPECT_EQ(j.left, 0);
    EXPECT_EQ(j.top, 0);
    EXPECT_EQ(j.right, 10);
    j.Join(RECT{-1, 2, 30, 40});
    EXPECT_EQ(j.left, -1);
    EXPECT_EQ(j.bottom, 40);
    j.Empty();
    EXPECT_EQ(j.GetWidth() + j.GetHeight() + j.left + j.top, 0);
}

}  // namespace
