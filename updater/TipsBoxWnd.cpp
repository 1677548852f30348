#include "TipsBoxWnd.h"

#include "ConfigParser.h"

CTipsBoxWnd::CTipsBoxWnd(HWND parent, const std::wstring& text, int type) : type_(type), text_(text) {
    CreateWnd(parent, L"Glimtower提示", 0x96C80000, 0x88, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
              CW_USEDEFAULT);
}

CTipsBoxWnd::~CTipsBoxWnd() { DestroyNativeWindow(); }

const wchar_t* CTipsBoxWnd::GetRegisteredClassName() const { return L"kesh_updater_tips_wnd_class_name"; }

Veneer::CUIString CTipsBoxWnd::GetLayoutFile() const {
    return Veneer::CUIString(ConfigParser::Instance().chineseUi ? L"TipsBoxWnd.xml" : L"TipsBoxWnd_en.xml");
}

LRESULT CTipsBoxWnd::OnCreate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    const LRESULT result = CKeshWndBase::OnCreate(message, wParam, lParam, handled);
    CenterOverOwner();
    return result;
}

void CTipsBoxWnd::OnLayoutReady() {
    tipsLabel = static_cast<Veneer::CLabelUI*>(m_manager.LocateControl(L"tipsLabel"));
    cancelButton = static_cast<Veneer::CButtonUI*>(m_manager.LocateControl(L"cancelButton"));
    confirmButton = static_cast<Veneer::CButtonUI*>(m_manager.LocateControl(L"confirmButton"));
    if (confirmButton != nullptr) {
        confirmButton->SetText(type_ == 2 ? L"" : L"确定");
        // 0 paints the text in the window's default colour.
        confirmButton->SetTextColor(0);
        confirmButton->SetHotTextColor(0x00FFFFFF);
        confirmButton->SetPushedTextColor(0x00B2C3CC);
    }
    if (cancelButton != nullptr) cancelButton->SetVisible((type_ & 1) != 0);
    if (tipsLabel != nullptr) tipsLabel->SetText(text_.c_str());
}

void CTipsBoxWnd::Notify(Veneer::TNotification& msg) {
    if (!(msg.type == L"click") || msg.sender == nullptr) return;
    const Veneer::CUIString name = msg.sender->GetName();
    if (name == L"closeButton" || name == L"cancelButton") {
        CloseWnd(2);
    } else if (name == L"confirmButton") {
        CloseWnd(1);
    }
}
