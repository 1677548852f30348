// The layout builder: loading the document, the resource pass over the root's children, the
// root window settings and the control pass.
#include "LayoutBuilder.h"

#include <cwchar>
#include <string>
#include <vector>

#include "AttrValue.h"
#include "ContainerUI.h"
#include "ControlFactory.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

bool NameIs(const wchar_t* name, const wchar_t* expected) {
    return name != nullptr && _wcsicmp(name, expected) == 0;
}

bool IsTrueText(const wchar_t* value) { return _wcsicmp(value, L"true") == 0; }

int ReadNumber(const wchar_t* value) { return static_cast<int>(wcstol(value, nullptr, 10)); }

SIZE ReadSize(const wchar_t* value) {
    int v[2];
    ReadIntList(value, v, 2);
    return SIZE{v[0], v[1]};
}

TTreeNodeHooks& TreeNodeHooks() {
    static TTreeNodeHooks hooks;
    return hooks;
}

bool IsResourceElement(const wchar_t* name) {
    return NameIs(name, L"Image") || NameIs(name, L"Font") || NameIs(name, L"Default") ||
           NameIs(name, L"MultiLanguage");
}

// An element's attributes by name, compared ignoring case; the first of a name wins.
class Attributes {
public:
    explicit Attributes(CXmlNode& node) : m_node(node), m_count(node.GetAttributeCount()) {}
    const wchar_t* Get(const wchar_t* name, const wchar_t* fallback = nullptr) {
        for (int i = 0; i < m_count; ++i)
            if (NameIs(m_node.GetAttributeName(i), name)) return m_node.GetAttributeValue(i);
        return fallback;
    }
    int Number(const wchar_t* name, int fallback) {
        const wchar_t* v = Get(name);
        return v ? ReadNumber(v) : fallback;
    }
    bool Flag(const wchar_t* name) {
        const wchar_t* v = Get(name);
        return v != nullptr && IsTrueText(v);
    }

private:
    CXmlNode& m_node;
    int m_count;
};

void RegisterResource(CXmlNode& node, CWindowManagerUI* manager) {
    const wchar_t* name = node.GetName();
    Attributes a(node);
    if (NameIs(name, L"Image")) {
        const wchar_t* image = a.Get(L"name");
        if (image == nullptr) return;
        const wchar_t* mask = a.Get(L"mask");
        manager->AddImage(image, a.Get(L"restype"), mask ? ReadHexColor(mask) : 0,
                          a.Flag(L"shared"), false);
    } else if (NameIs(name, L"Font")) {
        const int id = a.Number(L"id", -1);
        const wchar_t* face = a.Get(L"name");
        if (id < 0 || face == nullptr) return;
        const int size = a.Number(L"size", 12);
        const bool bold = a.Flag(L"bold");
        const bool underline = a.Flag(L"underline");
        const bool italic = a.Flag(L"italic");
        const bool shared = a.Flag(L"shared");
        manager->AddFont(id, face, size, bold, underline, italic, shared);
        if (a.Flag(L"default")) manager->SetDefaultFont(face, size, bold, underline, italic, shared);
    } else if (NameIs(name, L"Default")) {
        const wchar_t* element = a.Get(L"name");
        if (element == nullptr) return;
        manager->AddClassDefaults(element, a.Get(L"value", L""), a.Flag(L"shared"));
    } else if (NameIs(name, L"MultiLanguage")) {
        const int id = a.Number(L"id", -1);
        const wchar_t* value = a.Get(L"value");
        if (id >= 0 && value != nullptr) CWindowManagerUI::AddLanguageText(id, value);
    }
}

void ApplyWindowSettings(CXmlNode& root, CWindowManagerUI* manager) {
    const int count = root.GetAttributeCount();
    for (int i = 0; i < count; ++i) {
        const wchar_t* name = root.GetAttributeName(i);
        const wchar_t* value = root.GetAttributeValue(i);
        if (NameIs(name, L"size")) {
            const SIZE s = ReadSize(value);
            manager->SetStartSize(s.cx, s.cy);
        } else if (NameIs(name, L"sizebox")) {
            manager->SetSizeBox(ReadRect(value));
        } else if (NameIs(name, L"caption")) {
            manager->SetCaptionRect(ReadRect(value));
        } else if (NameIs(name, L"roundcorner")) {
            const SIZE s = ReadSize(value);
            manager->SetRoundCorner(s.cx, s.cy);
        } else if (NameIs(name, L"mininfo")) {
            const SIZE s = ReadSize(value);
            manager->SetMinInfo(s.cx, s.cy);
        } else if (NameIs(name, L"maxinfo")) {
            const SIZE s = ReadSize(value);
            manager->SetMaxInfo(s.cx, s.cy);
        } else if (NameIs(name, L"showdirty")) {
            manager->SetShowDirty(IsTrueText(value));
        } else if (NameIs(name, L"alpha")) {
            manager->SetWindowAlpha(ReadNumber(value));
        } else if (NameIs(name, L"bktrans")) {
            manager->SetBkTransparent(IsTrueText(value));
        } else if (NameIs(name, L"disabledfontcolor")) {
            manager->SetDisabledFontColor(ReadHexColor(value));
        } else if (NameIs(name, L"defaultfontcolor")) {
            manager->SetDefaultFontColor(ReadHexColor(value));
        } else if (NameIs(name, L"linkfontcolor")) {
            manager->SetLinkFontColor(ReadHexColor(value));
        } else if (NameIs(name, L"linkhoverfontcolor")) {
            manager->SetLinkHoverFontColor(ReadHexColor(value));
        } else if (NameIs(name, L"selectedcolor")) {
            manager->SetSelectedColor(ReadHexColor(value));
        }
    }
}

}  // namespace

struct CLayoutBuilder::TIncludeState {
    int depth = 0;
    int expanded = 0;
    std::vector<std::wstring> chain;  // sources being built, outermost first
};

CLayoutBuilder::CLayoutBuilder() : m_includes(std::make_shared<TIncludeState>()) {}

CLayoutBuilder::~CLayoutBuilder() = default;

bool CLayoutBuilder::Load(const wchar_t* source, const wchar_t* resourceType) {
    if (source == nullptr) return false;
    if (IS_INTRESOURCE(source)) {
        HMODULE module = CWindowManagerUI::GetResourceModule();
        HRSRC res = ::FindResourceW(module, source, resourceType);
        if (res == nullptr) return false;
        HGLOBAL loaded = ::LoadResource(module, res);
        if (loaded == nullptr) return false;
        const void* bytes = ::LockResource(loaded);
        const DWORD size = ::SizeofResource(module, res);
        if (bytes == nullptr) return false;
        if (!m_reader.LoadXmlBuffer(static_cast<const BYTE*>(bytes), size, CXmlReader::kUtf8))
            return false;
        m_resourceType = resourceType;
        return true;
    }
    if (*source == L'<') return m_reader.LoadXmlText(source);
    return m_reader.LoadXmlFile(source, CXmlReader::kUtf8);
}

CControlUI* CLayoutBuilder::Create(const wchar_t* source, const wchar_t* resourceType,
                                   IDialogBuilderCallback* callback, CWindowManagerUI* manager,
                                   CControlUI* parent) {
    if (!Load(source, resourceType)) return nullptr;
    return Create(callback, manager, parent);
}

CControlUI* CLayoutBuilder::Create(IDialogBuilderCallback* callback, CWindowManagerUI* manager,
                                   CControlUI* parent) {
    m_callback = callback;
    CXmlNode root = m_reader.GetRoot();
    if (!root.IsValid()) return nullptr;
    if (manager) {
        for (CXmlNode node = root.GetChild(); node.IsValid(); node = node.GetSibling())
            if (IsResourceElement(node.GetName())) RegisterResource(node, manager);
        if (NameIs(root.GetName(), L"Window") && manager->GetPaintWindow() != nullptr)
            ApplyWindowSettings(root, manager);
    }
    return ParseElements(root, parent, manager);
}

CControlUI* CLayoutBuilder::CreateControl(const wchar_t* elementName) {
    if (CControlUI* control = CControlFactory::Create(elementName)) return control;
    const CUIPtrArray* plugins = CWindowManagerUI::GetPlugins();
    for (int i = 0; plugins && i < plugins->GetSize(); ++i) {
        auto creator = reinterpret_cast<PluginControlCreator>((*plugins)[i]);
        if (CControlUI* control = creator ? creator(elementName) : nullptr) return control;
    }
    return m_callback ? m_callback->CreateControl(elementName) : nullptr;
}

void CLayoutBuilder::SetTreeNodeHooks(const TTreeNodeHooks& hooks) { TreeNodeHooks() = hooks; }

bool CLayoutBuilder::ParseTreeNode(CXmlNode& node, CControlUI* parent,
                                   CWindowManagerUI* manager) {
    const TTreeNodeHooks& hooks = TreeNodeHooks();
    CControlUI* treeNode = hooks.createNode();
    if (treeNode == nullptr) return true;
    const bool underNode = parent != nullptr && parent->QueryPart(L"TreeNode") != nullptr;
    if (underNode) {
        auto* container = static_cast<IContainerUI*>(parent->QueryPart(L"IContainer"));
        if (container == nullptr || !container->Add(treeNode)) {
            delete treeNode;
            return true;
        }
    }
    // A node that its parent placed in a shown window keeps the binding it got there.
    const bool bound = treeNode->GetManager() != nullptr;
    if (manager) {
        if (!bound) treeNode->SetManager(manager, nullptr, false);
        if (const wchar_t* defaults = manager->GetClassDefaults(node.GetName()))
            treeNode->ApplyAttributeString(defaults);
    }
    const int count = node.GetAttributeCount();
    for (int i = 0; i < count; ++i)
        treeNode->ApplyAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
    if (manager && !bound) treeNode->SetManager(nullptr, nullptr, false);
    if (node.HasChildren()) ParseElements(node, treeNode, manager);
    if (underNode) return true;
    void* view = parent ? parent->QueryPart(L"TreeView") : nullptr;
    if (view == nullptr) {
        // Nothing would own the node.
        delete treeNode;
        return false;
    }
    if (hooks.addToView == nullptr || !hooks.addToView(view, treeNode)) delete treeNode;
    return true;
}

void CLayoutBuilder::ParseInclude(CXmlNode& node, CControlUI* parent, CWindowManagerUI* manager) {
    if (!node.HasAttributes()) return;
    Attributes a(node);
    const int count = a.Number(L"count", 1);
    const wchar_t* found = a.Get(L"source");
    if (found == nullptr || count <= 0) return;
    // Values are limited as they always were; the copy also outlives this document.
    std::wstring source(found, wcsnlen(found, 499));

    TIncludeState& state = *m_includes;
    if (state.depth >= kMaxIncludeDepth) return;
    for (const std::wstring& open : state.chain)
        if (_wcsicmp(open.c_str(), source.c_str()) == 0) return;  // includes itself

    state.chain.push_back(source);
    ++state.depth;
    for (int i = 0; i < count && state.expanded < kMaxIncludes; ++i) {
        ++state.expanded;
        CLayoutBuilder nested;
        nested.m_includes = m_includes;
        CControlUI* top = nullptr;
        if (m_resourceType != nullptr) {
            const int id = ReadNumber(source.c_str());
            top = nested.Create(MAKEINTRESOURCEW(id), m_resourceType, m_callback, manager, parent);
        } else {
            top = nested.Create(source.c_str(), nullptr, m_callback, manager, parent);
        }
        // Without a parent nobody would own what the included document built.
        if (parent == nullptr) delete top;
    }
    --state.depth;
    state.chain.pop_back();
}

CControlUI* CLayoutBuilder::ParseElements(CXmlNode& node, CControlUI* parent,
                                          CWindowManagerUI* manager) {
    IContainerUI* container = nullptr;
    // A parent that already belongs to a window (an Include or a child layout built into a
    // shown window) binds what it gets at once; so the controls are complete before that.
    const bool parentInWindow = parent != nullptr && parent->GetManager() != nullptr;
    enum class Placed { kAdded, kDeleted, kNoContainer };
    auto addToParent = [&](CControlUI* control) {
        const TTreeNodeHooks& hooks = TreeNodeHooks();
        if (hooks.addToRow && parent->QueryPart(L"TreeNode")) {
            if (hooks.addToRow(parent, control)) return Placed::kAdded;
            delete control;
            return Placed::kDeleted;
        }
        if (container == nullptr)
            container = static_cast<IContainerUI*>(parent->QueryPart(L"IContainer"));
        if (container == nullptr) {
            // A control cannot hold children: what was built for it has no owner.
            delete control;
            return Placed::kNoContainer;
        }
        if (!container->Add(control)) {
            delete control;
            return Placed::kDeleted;
        }
        return Placed::kAdded;
    };
    CControlUI* first = nullptr;
    for (CXmlNode child = node.GetChild(); child.IsValid(); child = child.GetSibling()) {
        const wchar_t* name = child.GetName();
        if (IsResourceElement(name)) continue;
        if (NameIs(name, L"Include")) {
            ParseInclude(child, parent, manager);
            continue;
        }
        if (NameIs(name, L"TreeNode") && TreeNodeHooks().createNode) {
            if (!ParseTreeNode(child, parent, manager)) return nullptr;
            continue;
        }
        CControlUI* control = CreateControl(name);
        if (control == nullptr) continue;

        if (child.HasChildren()) ParseElements(child, control, manager);
        if (parent != nullptr && !parentInWindow) {
            const Placed placed = addToParent(control);
            if (placed == Placed::kNoContainer) return nullptr;
            if (placed == Placed::kDeleted) continue;
        }
        if (manager) {
            control->SetManager(manager, nullptr, false);
            if (const wchar_t* defaults = manager->GetClassDefaults(name))
                control->ApplyAttributeString(defaults);
        }
        const int count = child.GetAttributeCount();
        for (int i = 0; i < count; ++i)
            control->ApplyAttribute(child.GetAttributeName(i), child.GetAttributeValue(i));
        if (manager) control->SetManager(nullptr, nullptr, false);
        if (parentInWindow) {
            // The container hands down its window and itself, initialises and enters names.
            const Placed placed = addToParent(control);
            if (placed == Placed::kNoContainer) return nullptr;
            if (placed == Placed::kDeleted) continue;
        }

        if (first == nullptr) {
            first = control;
        } else if (parent == nullptr) {
            // Only the first top-level control goes to the caller; later ones would be lost.
            delete control;
        }
    }
    return first;
}

}  // namespace Veneer
