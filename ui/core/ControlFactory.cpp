#include "ControlFactory.h"

#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "ButtonUI.h"
#include "ContainerUI.h"
#include "HorizontalLayoutUI.h"
#include "LabelUI.h"
#include "ProgressUI.h"
#include "ScrollBarUI.h"
#include "VerticalLayoutUI.h"

namespace Veneer {

namespace {

template <class T>
CControlUI* Make() {
    return new T;
}

using Table = std::vector<std::pair<std::wstring, ControlCreator>>;

// The UI runs on one thread, so the table needs no lock.
Table& Creators() {
    static Table table = {
        {L"Control", &Make<CControlUI>},
        {L"Label", &Make<CLabelUI>},
        {L"Button", &Make<CButtonUI>},
        {L"Progress", &Make<CProgressUI>},
        {L"Container", &Make<CContainerUI>},
        {L"ScrollBar", &Make<CScrollBarUI>},
        {L"VerticalLayout", &Make<CVerticalLayoutUI>},
        {L"HorizontalLayout", &Make<CHorizontalLayoutUI>},
    };
    return table;
}

}  // namespace

bool CControlFactory::Register(const wchar_t* elementName, ControlCreator creator) {
    if (elementName == nullptr || *elementName == L'\0' || creator == nullptr) return false;
    for (auto& entry : Creators()) {
        if (_wcsicmp(entry.first.c_str(), elementName) == 0) {
            entry.second = creator;
            return true;
        }
    }
    Creators().emplace_back(elementName, creator);
    return true;
}

CControlUI* CControlFactory::Create(const wchar_t* elementName) {
    if (elementName == nullptr) return nullptr;
    for (const auto& entry : Creators())
        if (_wcsicmp(entry.first.c_str(), elementName) == 0) return entry.second();
    return nullptr;
}

}  // namespace Veneer
