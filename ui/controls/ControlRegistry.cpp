#include "ControlRegistry.h"

#include "ControlFactory.h"

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
        {nullptr, nullptr},  // (placeholder: each control family adds its rows)
    };
    for (const auto& row : kControls)
        if (row.element != nullptr) CControlFactory::Register(row.element, row.creator);
}

}  // namespace Veneer
