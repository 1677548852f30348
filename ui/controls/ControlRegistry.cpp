#include "ControlRegistry.h"

#include "ActiveXUI.h"
#include "CheckBoxUI.h"
#include "ChildLayoutUI.h"
#include "ComboUI.h"
#include "ControlFactory.h"
#include "DateTimeUI.h"
#include "EditUI.h"
#include "ListContainerElementUI.h"
#include "ListHeaderItemUI.h"
#include "ListHeaderUI.h"
#include "ListLabelElementUI.h"
#include "ListTextElementUI.h"
#include "ListUI.h"
#include "OptionUI.h"
#include "RichEditUI.h"
#include "SliderUI.h"
#include "TabLayoutUI.h"
#include "TextUI.h"
#include "TileLayoutUI.h"
#include "TreeViewUI.h"
#include "WebBrowserUI.h"

namespace Veneer {

namespace {

template <class T>
CControlUI* Make() {
    return new T;
}

}  // namespace

void RegisterFurtherControls() {
    static const struct {
        const wchar_t* element;
        ControlCreator creator;
    } kControls[] = {
        {L"TileLayout", &Make<CTileLayoutUI>},
        {L"TabLayout", &Make<CTabLayoutUI>},
        {L"ChildLayout", &Make<CChildLayoutUI>},
        {L"List", &Make<CListUI>},
        {L"ListHeader", &Make<CListHeaderUI>},
        {L"ListHeaderItem", &Make<CListHeaderItemUI>},
        {L"ListLabelElement", &Make<CListLabelElementUI>},
        {L"ListTextElement", &Make<CListTextElementUI>},
        {L"ListContainerElement", &Make<CListContainerElementUI>},
        {L"Combo", &Make<CComboUI>},
        {L"Option", &Make<COptionUI>},
        {L"CheckBox", &Make<CCheckBoxUI>},
        {L"Slider", &Make<CSliderUI>},
        {L"TreeView", &Make<CTreeViewUI>},
        {L"DateTime", &Make<CDateTimeUI>},
        {L"Text", &Make<CTextUI>},
        {L"Edit", &Make<CEditUI>},
        {L"RichEdit", &Make<CRichEditUI>},
        {L"ActiveX", &Make<CActiveXUI>},
        {L"WebBrowser", &Make<CWebBrowserUI>},
    };
    for (const auto& row : kControls)
        CControlFactory::Register(row.element, row.creator);
    RegisterTreeNodeElement();
}

}  // namespace Veneer
