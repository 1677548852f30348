// Reads a layout document into a flat element table. The text is converted to UTF-16 once and
// parsed in place: names and values are handed out as pointers into that one buffer.
#pragma once
#include <windows.h>

namespace Veneer {

class CXmlReader;

// A handle on one element; valid only while its reader keeps the document loaded.
class CXmlNode {
public:
    static constexpr int kMaxAttributes = 64;

    CXmlNode();
    CXmlNode(CXmlReader* reader, int element);

    bool IsValid() const { return m_pOwner != nullptr; }
    const wchar_t* GetName() const;
    CXmlNode GetChild() const;
    CXmlNode GetSibling() const;
    bool HasChildren() const;
    bool HasAttributes();
    int GetAttributeCount();
    const wchar_t* GetAttributeName(int index);
    const wchar_t* GetAttributeValue(int index);
    // Copies the value of the first attribute called `name` (case-sensitive). At most max - 1
    // characters are copied and the rest of the buffer is filled with terminators, so the
    // result is always terminated.
    bool GetAttributeValue(const wchar_t* name, wchar_t* buffer, int max);

private:
    void MapAttributes();

    int m_iPos;
    int m_nAttributes;
    int m_aAttributes[kMaxAttributes * 2];  // name and value offsets
    CXmlReader* m_pOwner;
};

class CXmlReader {
public:
    enum Encoding { kUtf8 = 0, kUtf16 = 1, kAnsi = 2 };
    // Larger documents are refused before anything is read.
    static constexpr DWORD kMaxDocumentBytes = 0x400000;
    // Deeper nesting is refused instead of exhausting the stack.
    static constexpr int kMaxDepth = 256;

    explicit CXmlReader(const wchar_t* text = nullptr);
    ~CXmlReader();
    CXmlReader(const CXmlReader&) = delete;
    CXmlReader& operator=(const CXmlReader&) = delete;

    bool LoadXmlText(const wchar_t* text);
    bool LoadXmlBuffer(const BYTE* bytes, DWORD size, int encoding = kUtf8);
    // A skin file: from the skin folder, or from the skin zip when the window manager has one.
    bool LoadXmlFile(const wchar_t* name, int encoding = kUtf8);
    void Release();
    CXmlNode GetRoot();

    const wchar_t* GetLastErrorMessage() const { return m_szErrorMsg; }
    const wchar_t* GetLastErrorLocation() const { return m_szErrorXml; }

private:
    friend class CXmlNode;
    struct TXmlElement {
        int name;
        int firstChild;
        int nextSibling;
        int parent;
        int data;
    };

    bool Parse();
    bool ParseElements(wchar_t*& p, int parent, int depth);
    bool ParseAttributes(wchar_t*& p);
    void ParseData(wchar_t*& p, wchar_t*& write, wchar_t delimiter);
    int AddElement();
    void SkipWhitespace(wchar_t*& p) const;
    bool Fail(const wchar_t* message, const wchar_t* location);

    wchar_t* m_pstrXml;
    TXmlElement* m_pElements;
    int m_nElements;
    int m_nReservedElements;
    wchar_t m_szErrorMsg[100];
    wchar_t m_szErrorXml[50];
    bool m_bPreserveWhitespace;
};

}  // namespace Veneer
