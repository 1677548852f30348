#include "XmlReader.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwctype>

namespace Veneer {

namespace {

bool IsNameChar(wchar_t c) { return c == L'_' || c == L':' || iswalnum(c); }

void CopyBounded(wchar_t* out, size_t room, const wchar_t* text) {
    size_t i = 0;
    if (text != nullptr) {
        for (; i + 1 < room && text[i] != L'\0'; ++i) out[i] = text[i];
    }
    out[i] = L'\0';
}

struct TEntity {
    const wchar_t* text;
    size_t length;
    wchar_t value;
};
const TEntity kEntities[] = {
    {L"&amp;", 5, L'&'}, {L"&lt;", 4, L'<'}, {L"&gt;", 4, L'>'}, {L"&quot;", 6, L'"'}, {L"&apos;", 6, L'\''},
};

}  // namespace

// ---- CXmlNode ----

CXmlNode::CXmlNode() : m_iPos(0), m_nAttributes(0), m_pOwner(nullptr) {}

CXmlNode::CXmlNode(CXmlReader* reader, int element) : m_iPos(element), m_nAttributes(0), m_pOwner(reader) {}

const wchar_t* CXmlNode::GetName() const {
    if (m_pOwner == nullptr) return nullptr;
    return m_pOwner->m_pstrXml + m_pOwner->m_pElements[m_iPos].name;
}

CXmlNode CXmlNode::GetChild() const {
    if (m_pOwner == nullptr) return CXmlNode();
    const int child = m_pOwner->m_pElements[m_iPos].firstChild;
    return child == 0 ? CXmlNode() : CXmlNode(m_pOwner, child);
}

CXmlNode CXmlNode::GetSibling() const {
    if (m_pOwner == nullptr) return CXmlNode();
    const int next = m_pOwner->m_pElements[m_iPos].nextSibling;
    return next == 0 ? CXmlNode() : CXmlNode(m_pOwner, next);
}

bool CXmlNode::HasChildren() const {
    return m_pOwner != nullptr && m_pOwner->m_pElements[m_iPos].firstChild != 0;
}

bool CXmlNode::HasAttributes() { return GetAttributeCount() > 0; }

int CXmlNode::GetAttributeCount() {
    if (m_pOwner == nullptr) return 0;
    if (m_nAttributes == 0) MapAttributes();
    return m_nAttributes;
}

const wchar_t* CXmlNode::GetAttributeName(int index) {
    if (m_pOwner == nullptr) return nullptr;
    if (m_nAttributes == 0) MapAttributes();
    if (index < 0 || index >= m_nAttributes) return L"";
    return m_pOwner->m_pstrXml + m_aAttributes[index * 2];
}

const wchar_t* CXmlNode::GetAttributeValue(int index) {
    if (m_pOwner == nullptr) return nullptr;
    if (m_nAttributes == 0) MapAttributes();
    if (index < 0 || index >= m_nAttributes) return L"";
    return m_pOwner->m_pstrXml + m_aAttributes[index * 2 + 1];
}

bool CXmlNode::GetAttributeValue(const wchar_t* name, wchar_t* buffer, int max) {
    if (m_pOwner == nullptr || name == nullptr) return false;
    if (m_nAttributes == 0) MapAttributes();
    for (int i = 0; i < m_nAttributes; ++i) {
        if (wcscmp(m_pOwner->m_pstrXml + m_aAttributes[i * 2], name) != 0) continue;
        if (buffer != nullptr && max > 0) {
            const wchar_t* value = m_pOwner->m_pstrXml + m_aAttributes[i * 2 + 1];
            int n = 0;
            for (; n < max - 1 && value[n] != L'\0'; ++n) buffer[n] = value[n];
            for (; n < max; ++n) buffer[n] = L'\0';
        }
        return true;
    }
    return false;
}

void CXmlNode::MapAttributes() {
    // The attributes lie between the element name's terminator and the element's data; every
    // step stays inside that span, since what follows belongs to other elements.
    const wchar_t* text = m_pOwner->m_pstrXml;
    const CXmlReader::TXmlElement& e = m_pOwner->m_pElements[m_iPos];
    const int end = e.data;
    int pos = e.name + static_cast<int>(wcslen(text + e.name)) + 1;
    auto skip = [&] {
        while (pos < end && text[pos] != L'\0' && text[pos] <= L' ') ++pos;
    };
    auto pastTerminator = [&] {
        while (pos < end && text[pos] != L'\0') ++pos;
        if (pos >= end) return false;
        ++pos;
        return true;
    };
    while (pos < end && m_nAttributes < kMaxAttributes) {
        skip();
        if (pos >= end || text[pos] == L'\0') break;
        const int name = pos;
        if (!pastTerminator()) break;
        skip();
        if (pos >= end || text[pos] != L'"') break;
        const int value = ++pos;
        if (!pastTerminator()) break;
        m_aAttributes[m_nAttributes * 2] = name;
        m_aAttributes[m_nAttributes * 2 + 1] = value;
        ++m_nAttributes;
    }
}

// ---- CXmlReader ----

CXmlReader::CXmlReader(const wchar_t* text)
    : m_pstrXml(nullptr), m_pElements(nullptr), m_nElements(0), m_nReservedElements(0), m_bPreserveWhitespace(true) {
    m_szErrorMsg[0] = L'\0';
    m_szErrorXml[0] = L'\0';
    if (text != nullptr) LoadXmlText(text);
}

CXmlReader::~CXmlReader() { Release(); }

void CXmlReader::Release() {
    free(m_pstrXml);
    free(m_pElements);
    m_pstrXml = nullptr;
    m_pElements = nullptr;
    m_nElements = 0;
    m_nReservedElements = 0;
}

CXmlNode CXmlReader::GetRoot() {
    // Element 0 is the placeholder every parse adds; a document without elements has no root.
    if (m_nElements < 2) return CXmlNode();
    return CXmlNode(this, 1);
}

bool CXmlReader::Fail(const wchar_t* message, const wchar_t* location) {
    CopyBounded(m_szErrorMsg, 100, message);
    CopyBounded(m_szErrorXml, 50, location);
    return false;
}

bool CXmlReader::LoadXmlText(const wchar_t* text) {
    Release();
    const size_t length = text ? wcslen(text) : 0;
    m_pstrXml = static_cast<wchar_t*>(malloc((length + 1) * sizeof(wchar_t)));
    if (m_pstrXml == nullptr) return Fail(L"Out of memory", nullptr);
    if (length) memcpy(m_pstrXml, text, length * sizeof(wchar_t));
    m_pstrXml[length] = L'\0';
    if (Parse()) return true;
    Release();
    return false;
}

bool CXmlReader::LoadXmlBuffer(const BYTE* bytes, DWORD size, int encoding) {
    Release();
    if (bytes == nullptr) size = 0;
    if (size > static_cast<DWORD>(INT_MAX)) return Fail(L"File too large", nullptr);
    if (encoding == kUtf8 || encoding == kAnsi) {
        const UINT codePage = encoding == kUtf8 ? CP_UTF8 : CP_ACP;
        if (encoding == kUtf8 && size > 2 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
            bytes += 3;
            size -= 3;
        }
        const char* src = reinterpret_cast<const char*>(bytes);
        const int n = size ? MultiByteToWideChar(codePage, 0, src, static_cast<int>(size), nullptr, 0) : 0;
        m_pstrXml = static_cast<wchar_t*>(malloc((static_cast<size_t>(n) + 1) * sizeof(wchar_t)));
        if (m_pstrXml == nullptr) return Fail(L"Out of memory", nullptr);
        if (n > 0) MultiByteToWideChar(codePage, 0, src, static_cast<int>(size), m_pstrXml, n);
        m_pstrXml[n] = L'\0';
    } else if (encoding == kUtf16) {
        const bool little = size > 1 && bytes[0] == 0xFF && bytes[1] == 0xFE;
        const bool big = size > 1 && bytes[0] == 0xFE && bytes[1] == 0xFF;
        if (!little && !big) return Fail(L"Missing byte-order mark", nullptr);
        const size_t count = size / 2 - 1;
        m_pstrXml = static_cast<wchar_t*>(malloc((count + 1) * sizeof(wchar_t)));
        if (m_pstrXml == nullptr) return Fail(L"Out of memory", nullptr);
        // Byte pairs are put together here, so big-endian text is turned while copying and the
        // caller's bytes (possibly read-only) stay as they are.
        const BYTE* src = bytes + 2;
        for (size_t i = 0; i < count; ++i) {
            const BYTE first = src[i * 2], second = src[i * 2 + 1];
            m_pstrXml[i] = static_cast<wchar_t>(little ? first | (second << 8) : second | (first << 8));
        }
        m_pstrXml[count] = L'\0';
    } else {
        return Fail(L"Unknown text encoding", nullptr);
    }
    if (Parse()) return true;
    Release();
    return false;
}

int CXmlReader::AddElement() {
    if (m_nElements == 0) m_nReservedElements = 0;
    if (m_nElements >= m_nReservedElements) {
        if (m_nReservedElements > INT_MAX / 2) return -1;
        const int reserve = m_nReservedElements + m_nReservedElements / 2 + 500;
        void* table = realloc(m_pElements, static_cast<size_t>(reserve) * sizeof(TXmlElement));
        if (table == nullptr) return -1;
        m_pElements = static_cast<TXmlElement*>(table);
        m_nReservedElements = reserve;
    }
    m_pElements[m_nElements] = TXmlElement{0, 0, 0, 0, 0};
    return m_nElements++;
}

void CXmlReader::SkipWhitespace(wchar_t*& p) const {
    while (*p != L'\0' && *p <= L' ') ++p;
}

bool CXmlReader::Parse() {
    m_nElements = 0;
    AddElement();
    m_szErrorMsg[0] = L'\0';
    m_szErrorXml[0] = L'\0';
    wchar_t* p = m_pstrXml;
    return ParseElements(p, 0, 0);
}

bool CXmlReader::ParseElements(wchar_t*& p, int parent, int depth) {
    if (depth >= kMaxDepth) return Fail(L"Elements nested too deeply", p);
    int previous = 0;
    for (;;) {
        SkipWhitespace(p);
        // The end of the text stands in for the closing tags of the root and its children.
        if (*p == L'\0' && parent <= 1) return true;
        if (*p != L'<') return Fail(L"Expected start tag", p);
        if (p[1] == L'/') return true;
        *p++ = L'\0';
        SkipWhitespace(p);
        if (*p == L'!' || *p == L'?') {
            const wchar_t close = *p == L'!' ? L'-' : L'?';
            while (*p != L'\0' && !(p[0] == close && p[1] == L'>')) ++p;
            if (*p != L'\0') p += 2;
            continue;
        }

        const int index = AddElement();
        if (index < 0) return Fail(L"Out of memory", nullptr);
        m_pElements[index].name = static_cast<int>(p - m_pstrXml);
        m_pElements[index].parent = parent;
        if (previous != 0) m_pElements[previous].nextSibling = index;
        else if (parent != 0) m_pElements[parent].firstChild = index;

        wchar_t* name = p;
        while (IsNameChar(*p)) ++p;
        if (*p == L'\0') return Fail(L"Error parsing element name", name);
        const size_t nameLength = static_cast<size_t>(p - name);
        wchar_t* nameEnd = p;
        if (!ParseAttributes(p)) return false;
        SkipWhitespace(p);

        if (p[0] == L'/' && p[1] == L'>') {
            m_pElements[index].data = static_cast<int>(p - m_pstrXml);
            *p = L'\0';
            p += 2;
        } else {
            if (*p != L'>') return Fail(L"Expected start-tag closing", p);
            ++p;
            m_pElements[index].data = static_cast<int>(p - m_pstrXml);
            wchar_t* write = p;
            ParseData(p, write, L'<');
            if (*p == L'\0' && parent <= 1) {
                *nameEnd = L'\0';
                return true;
            }
            if (*p != L'<') return Fail(L"Expected end-tag start", p);
            if (p[1] != L'/' && !ParseElements(p, index, depth + 1)) return false;
            if (p[0] == L'<' && p[1] == L'/') {
                *write = L'\0';
                *p = L'\0';
                p += 2;
                SkipWhitespace(p);
                if (wcsncmp(p, name, nameLength) != 0) return Fail(L"Unmatched closing tag", p);
                p += nameLength;
                SkipWhitespace(p);
                if (*p != L'>') return Fail(L"Unmatched closing tag", p);
                ++p;
            }
        }
        *nameEnd = L'\0';
        SkipWhitespace(p);
        previous = index;
    }
}

bool CXmlReader::ParseAttributes(wchar_t*& p) {
    // "/" right behind the name is the empty-element tag, left for the caller to see.
    if (*p == L'>' || *p == L'/') return true;
    *p++ = L'\0';
    for (;;) {
        SkipWhitespace(p);
        if (*p == L'\0' || *p == L'>' || *p == L'/') return true;
        wchar_t* nameEnd = p;
        while (IsNameChar(*nameEnd)) ++nameEnd;
        p = nameEnd;
        SkipWhitespace(p);
        if (*p != L'=') return Fail(L"Error while parsing attributes", p);
        *p = L' ';
        *nameEnd = L'\0';
        ++p;
        SkipWhitespace(p);
        if (*p != L'"') return Fail(L"Expected attribute value", p);
        ++p;
        wchar_t* write = p;
        ParseData(p, write, L'"');
        if (*p == L'\0') return Fail(L"Error while parsing attribute string", p);
        *write = L'\0';
        if (write != p) *p = L' ';
        ++p;
    }
}

void CXmlReader::ParseData(wchar_t*& p, wchar_t*& write, wchar_t delimiter) {
    while (*p != L'\0' && *p != delimiter) {
        if (*p == L'&') {
            const TEntity* hit = nullptr;
            for (const TEntity& e : kEntities) {
                if (wcsncmp(p, e.text, e.length) == 0) hit = &e;
            }
            if (hit != nullptr) {
                *write++ = hit->value;
                p += hit->length;
                continue;
            }
        }
        if (*p == L' ') {
            *write++ = *p++;
            if (!m_bPreserveWhitespace) SkipWhitespace(p);
            continue;
        }
        if (IS_HIGH_SURROGATE(p[0]) && IS_LOW_SURROGATE(p[1])) *write++ = *p++;
        *write++ = *p++;
    }
    // Decoding shortened the text: blank the rest so the attribute mapping can still walk it.
    for (wchar_t* q = write; q < p; ++q) *q = L' ';
}

}  // namespace Veneer
