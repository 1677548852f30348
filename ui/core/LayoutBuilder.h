// Turns a layout document into a control tree for one window: registers the document's images,
// fonts, default attribute lists and language texts with the window's manager, applies the
// root "Window" settings and creates one control per element.
#pragma once
#include <windows.h>

#include <memory>

#include "ControlUI.h"
#include "XmlReader.h"

namespace Veneer {

class CWindowManagerUI;

// Asked for element names that neither the factory nor a plug-in knows.
class IDialogBuilderCallback {
public:
    virtual CControlUI* CreateControl(const wchar_t* elementName) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

// How the builder makes and places the tree's nodes ("TreeNode" elements). The tree classes
// live outside the core, so their family registers these at start-up; until then the element
// is skipped like any unknown name.
struct TTreeNodeHooks {
    // A new node with no parent.
    CControlUI* (*createNode)() = nullptr;
    // Adds a control to the row layout that `node` keeps for its content.
    bool (*addToRow)(CControlUI* node, CControlUI* control) = nullptr;
    // Adds a top-level node to `view`, the part a control answered for "TreeView".
    bool (*addToView)(void* view, CControlUI* node) = nullptr;
};

class CLayoutBuilder {
public:
    static void SetTreeNodeHooks(const TTreeNodeHooks& hooks);

    // "Include" elements nest no deeper than this, and one build expands no more than
    // kMaxIncludes of them in all: a document that includes itself, directly or through
    // others, stops there instead of exhausting the stack or memory.
    static constexpr int kMaxIncludeDepth = 16;
    static constexpr int kMaxIncludes = 1000;

    CLayoutBuilder();
    ~CLayoutBuilder();
    CLayoutBuilder(const CLayoutBuilder&) = delete;
    CLayoutBuilder& operator=(const CLayoutBuilder&) = delete;

    // `source` is an integer resource id (of `resourceType`), a document text starting with
    // "<", or a skin file name. Answers the first control created under the root, or null.
    CControlUI* Create(const wchar_t* source, const wchar_t* resourceType = nullptr,
                       IDialogBuilderCallback* callback = nullptr,
                       CWindowManagerUI* manager = nullptr, CControlUI* parent = nullptr);
    // Builds from the document already loaded.
    CControlUI* Create(IDialogBuilderCallback* callback, CWindowManagerUI* manager,
                       CControlUI* parent);

    CXmlReader& GetReader() { return m_reader; }

private:
    struct TIncludeState;

    bool Load(const wchar_t* source, const wchar_t* resourceType);
    CControlUI* ParseElements(CXmlNode& node, CControlUI* parent, CWindowManagerUI* manager);
    void ParseInclude(CXmlNode& node, CControlUI* parent, CWindowManagerUI* manager);
    // Builds one "TreeNode" element under `parent`; false when the walk is to be abandoned.
    bool ParseTreeNode(CXmlNode& node, CControlUI* parent, CWindowManagerUI* manager);
    CControlUI* CreateControl(const wchar_t* elementName);

    CXmlReader m_reader;
    IDialogBuilderCallback* m_callback = nullptr;
    const wchar_t* m_resourceType = nullptr;
    // Shared with the builders of nested "Include" documents of one build.
    std::shared_ptr<TIncludeState> m_includes;
};

}  // namespace Veneer
