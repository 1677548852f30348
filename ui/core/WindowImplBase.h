// The base of every skinned top-level window: a native window with its own manager that loads
// the skin and layout when the window is created, draws no frame of its own but hit-tests a
// caption and size box from the layout, and routes control notifications through message maps.
#pragma once
#include <windows.h>

#include "LayoutBuilder.h"
#include "NotifyPump.h"
#include "UIInterfaces.h"
#include "UIString.h"
#include "WindowManagerUI.h"
#include "WindowWnd.h"

namespace Veneer {

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    // Where the skin comes from.
    enum SkinSourceKind {
        kSkinFolder = 1,    // files in the skin folder
        kSkinZipFile = 2,   // a zip file in the skin folder
        kSkinXmlResource = 3,  // the layout is a resource of type "xml"
        kSkinZipResource = 4,  // a zip archive in a resource of type "ZIPRES"
    };

    WindowImplBase();
    ~WindowImplBase() override;

    CWindowManagerUI& GetManager() { return m_manager; }

    const TNotifyMap* GetNotifyMap() const override;
    static const TNotifyMap* GetThisNotifyMap();

    // The window's listener: notifications go through the message maps.
    void Notify(TNotification& msg) override;
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    CControlUI* CreateControl(const wchar_t* elementName) override;

    // The map's "click" handler: the caption buttons by name.
    virtual void OnClick(TNotification& msg);

protected:
    const wchar_t* GetSuperclassSource() const override;
    UINT GetRegisteredClassStyle() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowDestroyed(HWND hwnd) override;

    virtual void OnLayoutReady();
    virtual CUIString GetLayoutFolder() const = 0;
    virtual CUIString GetLayoutFile() const = 0;
    virtual LRESULT OnDefaultKey(WPARAM key);
    virtual int GetSkinSourceKind() const;
    virtual CUIString GetSkinZipName() const;
    virtual const wchar_t* GetSkinResourceId() const;

    virtual LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcActivate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseHover(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnChar(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSetFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                       bool& handled);

    // The window's style without the caption bits.
    LONG_PTR GetStyle() const;

    CWindowManagerUI m_manager;

private:
    // Loads the skin zip held in the program's resources; false when there is none.
    bool LoadSkinZipResource();
};

}  // namespace Veneer
