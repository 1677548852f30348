// Binds one object to one native window: class registration (own class or superclass),
// creation with the object as parameter, message routing to HandleMessage, and the small
// window services the framework needs.
#pragma once
#include <windows.h>

#include "WinHandle.h"

namespace Veneer {

class CWindowWnd {
public:
    CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    bool RegisterWndClass();
    bool RegisterSuperclassWnd();

    HWND CreateWnd(HWND parent, const wchar_t* windowName, DWORD style, DWORD exStyle, int x = 0,
                   int y = 0, int width = 0, int height = 0, HMENU menu = nullptr);
    HWND CreateWnd(HWND parent, const wchar_t* windowName, DWORD style, DWORD exStyle,
                   const RECT& rc, HMENU menu = nullptr);

    void ShowWnd(bool show = true, bool takeFocus = true);
    UINT RunModal();
    void CloseWnd(UINT code = 0);
    void CenterOverOwner();
    void SetWndIcon(UINT resourceId);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void RestoreWndProc();

protected:
    virtual const wchar_t* GetRegisteredClassName() const = 0;
    virtual const wchar_t* GetSuperclassSource() const;
    virtual UINT GetRegisteredClassStyle() const;
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnWindowDestroyed(HWND hwnd);

    static LRESULT CALLBACK UserDataWndProc(HWND hwnd, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    static LRESULT CALLBACK PropWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    WNDPROC m_prevWndProc;
    bool m_subclassed = false;

private:
    // Runs the shared tail of both procedures once the object is known.
    static LRESULT Route(CWindowWnd* self, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                         bool viaProperty);

    // Icons made by SetWndIcon; the window only borrows them, so they go with the binding.
    kesh::UniqueIcon m_bigIcon;
    kesh::UniqueIcon m_smallIcon;
};

}  // namespace Veneer
