#include "ControlRegistry.h"

#include "ChildLayoutUI.h"
#include "ControlFactory.h"
#include "TabLayoutUI.h"
#include "TileLayoutUI.h"

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
    };
    for (const auto& row : kControls)
        if (row.element != nullptr) CControlFactory::Register(row.element, row.creator);
}

}  // namespace Veneer
