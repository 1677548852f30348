// Every element name the layout builder knows makes its own control, with the further controls
// registered as the updater registers them at start-up.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ControlRegistry.h"
#include "LayoutBuilder.h"
#include "TestUtil.h"

using namespace Veneer;

TEST(ElementNames, EveryNameMakesItsControl) {
    RegisterFurtherControls();
    const wchar_t* const names[] = {
        L"Edit", L"List", L"Text", L"Combo", L"Label", L"Button", L"Option", L"Slider",
        L"Control", L"ActiveX", L"Progress", L"RichEdit", L"CheckBox", L"DateTime", L"TreeView",
        L"Container", L"TabLayout", L"ScrollBar", L"ListHeader", L"TileLayout", L"WebBrowser",
        L"ChildLayout", L"VerticalLayout", L"ListHeaderItem", L"ListTextElement",
        L"HorizontalLayout", L"ListLabelElement", L"ListContainerElement"};
    for (const wchar_t* name : names) {
        SCOPED_TRACE(testutil::Narrow(name));
        const std::wstring xml = L"<Window><" + std::wstring(name) + L"/></Window>";
        CLayoutBuilder builder;
        std::unique_ptr<CControlUI> control(builder.Create(xml.c_str(), nullptr, nullptr, nullptr));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(std::wstring(control->GetTypeName()), std::wstring(name) + L"UI");
        EXPECT_NE(control->QueryPart(name), nullptr);
    }
}
