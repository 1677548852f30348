// Hosts a COM control with in-place activation inside a skinned window. A windowless object
// shares the skinned window: it is painted through its view object and fed raw messages through
// the manager's window filter. A windowed object gets a child window of its own.
#pragma once
#include <windows.h>
#include <ole2.h>

#include "ControlUI.h"
#include "UIInterfaces.h"

namespace Veneer {

class CActiveXCtrl;

class CActiveXUI : public CControlUI, public IMessageFilterUI {
    friend class CActiveXCtrl;
    friend class CActiveXWnd;

public:
    CActiveXUI();
    ~CActiveXUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    void Move(SIZE offset, bool needInvalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetInheritedVisible(bool visible = true) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void Render(HDC dc, const RECT& paint) override;
    void SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init = true) override;

    // Lets go of the hosted object and its site; the control can make a new one afterwards.
    virtual void ReleaseHostedControl();
    // Makes, names and activates the object; false when any step fails.
    virtual bool InstantiateControl();

    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // GUID_NULL is refused.
    bool SetClsid(const CLSID& clsid);
    // "{...}" is read as a class id, any other text as a program id.
    bool SetClsidText(const wchar_t* text);
    const CLSID& GetClsid() const { return m_clsid; }
    void SetModuleName(const wchar_t* name);
    const CUIString& GetModuleName() const { return m_moduleName; }
    void SetDelayCreate(bool delay);
    bool IsDelayCreate() const { return m_delayCreate; }
    bool IsCreated() const { return m_created; }
    // E_POINTER for a null out pointer, E_PENDING while there is no object.
    HRESULT QueryHostedControl(REFIID iid, void** out);
    // The window the object draws into: the manager's when windowless, its own when windowed.
    HWND GetHostWindow() const { return m_hostWindow; }
    CActiveXCtrl* GetSite() const { return m_site; }

protected:
    // Derived hosts preset their object's class without creating it.
    void PresetClsid(const CLSID& clsid) { m_clsid = clsid; }

private:
    bool AddFilterOnce();
    void RemoveFilter();
    void SendExtentAndRects();

    CLSID m_clsid = GUID_NULL;
    CUIString m_moduleName;
    bool m_created = false;
    bool m_delayCreate = true;
    IOleObject* m_object = nullptr;
    CActiveXCtrl* m_site = nullptr;
    HWND m_hostWindow = nullptr;
    // The manager the window filter went to, so it leaves that same list once.
    CWindowManagerUI* m_filterManager = nullptr;
};

}  // namespace Veneer
