#include "ControlRegistry.h"

#include "ControlFactory.h"
#include "ListContainerElementUI.h"
#include "ListHeaderItemUI.h"
#include "ListHeaderUI.h"
#include "ListLabelElementUI.h"
#include "ListTextElementUI.h"
#include "ListUI.h"

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
        {L"List", &Make<CListUI>},
        {L"ListHeader", &Make<CListHeaderUI>},
        {L"ListHeaderItem", &Make<CListHeaderItemUI>},
        {L"ListLabelElement", &Make<CListLabelElementUI>},
        {L"ListTextElement", &Make<CListTextElementUI>},
        {L"ListContainerElement", &Make<CListContainerElementUI>},
    };
    for (const auto& row : kControls)
        if (row.element != nullptr) CControlFactory::Register(row.element, row.creator);
}

}  // namespace Veneer
