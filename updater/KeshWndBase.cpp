#include "KeshWndBase.h"

UINT CKeshWndBase::GetRegisteredClassStyle() const { return CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS; }

Veneer::CUIString CKeshWndBase::GetLayoutFolder() const { return Veneer::CUIString(L""); }

int CKeshWndBase::GetSkinSourceKind() const { return 4; }

const wchar_t* CKeshWndBase::GetSkinResourceId() const { return MAKEINTRESOURCEW(102); }

LRESULT CKeshWndBase::ProcessMessage(UINT message, WPARAM wParam, LPARAM, bool&) {
    // The key still goes on to the rest of the framework (handled stays as it is).
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        CloseWnd(2);
        return 1;
    }
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        CloseWnd(1);
        return 1;
    }
    return 0;
}

void CKeshWndBase::DestroyNativeWindow() {
    if (IsWindow(GetHWND())) DestroyWindow(GetHWND());
}
