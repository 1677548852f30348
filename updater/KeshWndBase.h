// The common base of the updater's three windows: the skin comes from the program's own
// "ZIPRES" resource 102 (layouts at the archive's root), and Return/Escape close the window.
#pragma once
#include "WindowImplBase.h"

class CKeshWndBase : public Veneer::WindowImplBase {
public:
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

protected:
    UINT GetRegisteredClassStyle() const override;
    Veneer::CUIString GetLayoutFolder() const override;
    int GetSkinSourceKind() const override;
    const wchar_t* GetSkinResourceId() const override;

    // Destroys the native window while the derived object is still whole, so no message reaches
    // a half-destroyed object; every derived destructor calls it.
    void DestroyNativeWindow();
};
