#include "LaunchWnd.h"

#include "ConfigParser.h"

CLaunchWnd::CLaunchWnd() {
    CreateWnd(nullptr, ConfigParser::Instance().chineseUi ? L"升级程序" : L"Update Program", 0x10CF0000, 0x100,
              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
    SetWndIcon(101);
}

CLaunchWnd::~CLaunchWnd() { DestroyNativeWindow(); }

const wchar_t* CLaunchWnd::GetRegisteredClassName() const { return L"kesh_updater_launch_wnd_class_name"; }

Veneer::CUIString CLaunchWnd::GetLayoutFile() const {
    return Veneer::CUIString(ConfigParser::Instance().chineseUi ? L"LaunchWnd.xml" : L"LaunchWnd_en.xml");
}

void CLaunchWnd::Notify(Veneer::TNotification& msg) {
    // Only a click closes it: a focus or hover notification of the close button must not.
    if (msg.type == L"click" && msg.sender != nullptr && msg.sender->GetName() == L"closeButton") CloseWnd(1);
}
