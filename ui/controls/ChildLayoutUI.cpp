// The child layout: building its document on Init, with the builder's caps on nesting carried
// across child layouts that load each other.
#include "ChildLayoutUI.h"

#include <cwchar>
#include <string>
#include <vector>

#include "AttrTable.h"
#include "LayoutBuilder.h"

namespace Veneer {

namespace {

// The documents that child layouts are building right now, outermost first, and how many
// such builds the outermost one has led to. A child layout inside a loaded document is
// initialised only when that document is added here, after its builder has finished, so the
// builder cannot see the chain itself. The UI runs on one thread.
struct TOpenDocuments {
    std::vector<std::wstring> chain;
    int built = 0;
};

TOpenDocuments& OpenDocuments() {
    static TOpenDocuments open;
    return open;
}

// One document in the chain for as long as it is being built and added. Refused when it is
// open already (a document that loads itself, directly or through others), when the chain is
// as deep as the builder lets includes nest, or when one outermost build has made as many
// documents as the builder expands includes in one build.
class CDocumentInChain {
public:
    explicit CDocumentInChain(const wchar_t* source) {
        TOpenDocuments& open = OpenDocuments();
        if (open.chain.empty()) open.built = 0;
        if (open.chain.size() >= static_cast<size_t>(CLayoutBuilder::kMaxIncludeDepth) ||
            open.built >= CLayoutBuilder::kMaxIncludes)
            return;
        for (const std::wstring& name : open.chain)
            if (_wcsicmp(name.c_str(), source) == 0) return;
        open.chain.emplace_back(source);
        ++open.built;
        m_entered = true;
    }
    ~CDocumentInChain() {
        if (m_entered) OpenDocuments().chain.pop_back();
    }
    CDocumentInChain(const CDocumentInChain&) = delete;
    CDocumentInChain& operator=(const CDocumentInChain&) = delete;

    bool Entered() const { return m_entered; }

private:
    bool m_entered = false;
};

}  // namespace

CChildLayoutUI::~CChildLayoutUI() = default;

const wchar_t* CChildLayoutUI::GetTypeName() const { return L"ChildLayoutUI"; }

void* CChildLayoutUI::QueryPart(const wchar_t* name) {
    if (name && wcscmp(name, L"ChildLayout") == 0) return this;
    return CContainerUI::QueryPart(name);
}

void CChildLayoutUI::SetChildLayoutXML(const wchar_t* name) { m_xmlFile = name ? name : L""; }

void CChildLayoutUI::Init() {
    if (m_xmlFile.IsEmpty()) return;
    // The document stays in the chain while it is added: that is when the child layouts in
    // it are initialised.
    CDocumentInChain open(m_xmlFile.GetData());
    if (!open.Entered()) return;
    CLayoutBuilder builder;
    CControlUI* root = builder.Create(m_xmlFile.GetData(), nullptr, nullptr, m_manager, nullptr);
    // A document that cannot be built adds nothing and leaves the children already here.
    if (root != nullptr) Add(root);
}

void CChildLayoutUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) return;
    using C = CChildLayoutUI;
    static constexpr TAttrRow<C> kRows[] = {
        {L"xmlfile", [](C& c, const wchar_t* v) { c.SetChildLayoutXML(v); }},
    };
    if (!ApplyAttrRow(kRows, *this, name, value)) CContainerUI::ApplyAttribute(name, value);
}

}  // namespace Veneer
