// The platform's web browser hosted as an ActiveX object: it navigates to a configured home
// page, listens to the browser's events, answers the document host's questions and sees its
// shortcut keys through the window manager's accelerator hook.
#pragma once
#include <windows.h>
#include <exdisp.h>

#include "ActiveXUI.h"
#include "WebBrowserCom.h"

namespace Veneer {

class CWindowManagerUI;

class CWebBrowserUI : public CActiveXUI, public CWebBrowserCom {
public:
    CWebBrowserUI();
    ~CWebBrowserUI() override;

    const wchar_t* GetTypeName() const override;
    void* QueryPart(const wchar_t* name) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void ReleaseHostedControl() override;
    bool InstantiateControl() override;

    // Does nothing without a url or without a browser.
    void Navigate(const wchar_t* url);
    // Connects or disconnects the control as the browser's event sink; the first failure.
    HRESULT ConnectBrowserEvents(bool connect);

    void SetHomePage(const wchar_t* url) { m_homePage = url ? url : L""; }
    const CUIString& GetHomePage() const { return m_homePage; }
    void SetAutoNavigate(bool navigate) { m_autoNavigate = navigate; }
    bool IsAutoNavigate() const { return m_autoNavigate; }
    IWebBrowser2* GetWebBrowser2() const { return m_browser; }

protected:
    IWebBrowser2* HostedBrowser() const override { return m_browser; }
    HWND BrowserHostWindow() const override { return GetHostWindow(); }

private:
    // Lets go of everything the control took from the browser; the host keeps the object.
    void DetachBrowser();

    IWebBrowser2* m_browser = nullptr;
    DWORD m_eventCookie = 0;
    CUIString m_homePage;
    bool m_autoNavigate = false;
    // The manager the accelerator hook went to, so it is added once and leaves that same list.
    CWindowManagerUI* m_acceleratorManager = nullptr;
};

}  // namespace Veneer
