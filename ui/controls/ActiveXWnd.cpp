#include "ActiveXWnd.h"

#include <ole2.h>

#include "ActiveXCtrl.h"
#include "ActiveXUI.h"

namespace Veneer {

HWND CActiveXWnd::CreateFor(CActiveXCtrl* site, HWND parent) {
    m_site = site;
    return CreateWnd(parent, L"UIActiveX", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                     0, 0, 0, 0, 0);
}

const wchar_t* CActiveXWnd::GetRegisteredClassName() const { return L"ActiveXWnd"; }

void CActiveXWnd::RunVerb(LONG verb) {
    CActiveXUI* owner = m_site ? m_site->m_owner : nullptr;
    if (owner == nullptr) return;
    IOleObject* object = nullptr;
    if (FAILED(owner->QueryHostedControl(IID_IOleObject, reinterpret_cast<void**>(&object))))
        return;
    IOleClientSite* clientSite = nullptr;
    if (SUCCEEDED(m_site->QueryInterface(IID_IOleClientSite,
                                         reinterpret_cast<void**>(&clientSite)))) {
        RECT rc = owner->GetPos();
        object->DoVerb(verb, nullptr, clientSite, 0, m_hWnd, &rc);
        clientSite->Release();
    }
    object->Release();
}

LRESULT CActiveXWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS:
        if (m_site) {
            m_site->m_focused = true;
            if (!m_site->m_uiActive) RunVerb(OLEIVERB_UIACTIVATE);
        }
        break;
    case WM_KILLFOCUS:
        if (m_site) m_site->m_focused = false;
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(m_hWnd, &ps);
        EndPaint(m_hWnd, &ps);
        return 1;
    }
    case WM_ERASEBKGND:
        if (m_site && m_site->m_viewObject) return 1;
        break;
    case WM_MOUSEACTIVATE: {
        CActiveXUI* owner = m_site ? m_site->m_owner : nullptr;
        IOleObject* object = nullptr;
        if (owner == nullptr ||
            FAILED(owner->QueryHostedControl(IID_IOleObject, reinterpret_cast<void**>(&object))))
            return 0;
        DWORD status = 0;
        object->GetMiscStatus(DVASPECT_CONTENT, &status);
        object->Release();
        if (status & OLEMISC_NOUIACTIVATE) return 0;
        if (!m_site->m_inPlaceActive) RunVerb(OLEIVERB_INPLACEACTIVATE);
        break;
    }
    case WM_MOUSEWHEEL:
        return 0;
    default:
        break;
    }
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

}  // namespace Veneer
