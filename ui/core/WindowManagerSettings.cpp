// The window manager's settings: the process-wide ones (instance, skin folder and zip, HSL)
// and the window's own (sizes, alpha, text colours).
#include "WindowManagerUI.h"

#include "WindowManagerState.h"

namespace Veneer {

using namespace manager_detail;

namespace {

void SetColor(uint32_t TResourceSet::*field, uint32_t& own, uint32_t color, bool shared) {
    if (shared) {
        uint32_t& sharedValue = State().shared.*field;
        if (own == sharedValue) own = color;
        sharedValue = color;
    } else {
        own = color;
    }
}

}  // namespace

void CWindowManagerUI::SetInstance(HINSTANCE instance) { State().instance = instance; }
HINSTANCE CWindowManagerUI::GetInstance() { return State().instance; }
void CWindowManagerUI::SetResourceDll(HINSTANCE module) { State().resourceModule = module; }
HINSTANCE CWindowManagerUI::GetResourceModule() {
    return State().resourceModule ? State().resourceModule : State().instance;
}

CUIString CWindowManagerUI::GetExeFolder() {
    if (State().instance == nullptr) return CUIString();
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameW(State().instance, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return CUIString();
    path[n] = L'\0';
    wchar_t* slash = wcsrchr(path, L'\\');
    if (slash == nullptr) return CUIString();
    slash[1] = L'\0';
    return CUIString(path);
}

void CWindowManagerUI::SetSkinRoot(const wchar_t* path) {
    CUIString& root = State().skinRoot;
    root = path;
    int n = root.GetLength();
    if (n > 0 && root.GetAt(n - 1) != L'\\' && root.GetAt(n - 1) != L'/') root += L'\\';
}

const CUIString& CWindowManagerUI::GetSkinRoot() { return State().skinRoot; }

void CWindowManagerUI::SetSkinZip(const wchar_t* path, bool keepOpen) {
    ProcessState& st = State();
    if (st.skinZipName == (path ? path : L"") && st.zipKeptOpen == keepOpen) return;
    if (st.zipKeptOpen && st.zip) {
        CloseZipArchive(st.zip);
        st.zip = nullptr;
    }
    st.skinZipName = path;
    st.zipKeptOpen = keepOpen;
    if (keepOpen) {
        CUIString full = st.skinRoot;
        full += st.skinZipName.GetData();
        st.zip = OpenZipArchive(full.GetData(), 0, kZipFromFile);
    }
}

void CWindowManagerUI::SetSkinZip(const void* buffer, unsigned length) {
    ProcessState& st = State();
    // Every window hands over the same resource block: the first one opened stays in force, so
    // the process holds one open archive, not one per window.
    if (st.skinZipName == L"membuffer") return;
    if (st.zipKeptOpen && st.zip) {
        CloseZipArchive(st.zip);
        st.zip = nullptr;
    }
    st.skinZipName = L"membuffer";
    if (st.zipKeptOpen) st.zip = OpenZipArchive(buffer, length, kZipFromMemory);
}

const CUIString& CWindowManagerUI::GetSkinZipName() { return State().skinZipName; }
TZipArchive* CWindowManagerUI::GetZipHandle() { return State().zip; }
bool CWindowManagerUI::IsZipKeptOpen() { return State().zipKeptOpen; }
CUIPtrArray* CWindowManagerUI::GetPlugins() { return &State().plugins; }
const CUIPtrArray& CWindowManagerUI::GetAllManagers() { return State().managers; }

bool CWindowManagerUI::GetHSL(short* hue, short* saturation, short* lightness) {
    ProcessState& st = State();
    if (hue) *hue = st.hue;
    if (saturation) *saturation = st.saturation;
    if (lightness) *lightness = st.lightness;
    return st.hslEnabled;
}

void CWindowManagerUI::SetStartSize(int cx, int cy) {
    m_startSize = {cx, cy};
    if (m_window && m_root == nullptr)
        SetWindowPos(m_window, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowManagerUI::SetWindowAlpha(int alpha) {
    m_opacity = static_cast<uint32_t>(alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha));
    if (m_window == nullptr) return;
    using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    HMODULE user = GetModuleHandleW(L"User32.dll");
    auto setLayered = user ? reinterpret_cast<SetLayeredFn>(
                                 reinterpret_cast<void*>(GetProcAddress(user, "SetLayeredWindowAttributes")))
                           : nullptr;
    if (setLayered == nullptr) return;
    LONG_PTR ex = GetWindowLongPtrW(m_window, GWL_EXSTYLE);
    if (static_cast<unsigned>(alpha) <= 255u)
        ex |= WS_EX_LAYERED;
    else
        ex &= ~static_cast<LONG_PTR>(WS_EX_LAYERED);
    SetWindowLongPtrW(m_window, GWL_EXSTYLE, ex);
    setLayered(m_window, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

void CWindowManagerUI::SetDisabledFontColor(uint32_t color, bool shared) {
    SetColor(&TResourceSet::disabledTextColor, m_resources.disabledTextColor, color, shared);
}
void CWindowManagerUI::SetDefaultFontColor(uint32_t color, bool shared) {
    SetColor(&TResourceSet::defaultTextColor, m_resources.defaultTextColor, color, shared);
}
void CWindowManagerUI::SetLinkFontColor(uint32_t color, bool shared) {
    SetColor(&TResourceSet::linkTextColor, m_resources.linkTextColor, color, shared);
}
void CWindowManagerUI::SetLinkHoverFontColor(uint32_t color, bool shared) {
    SetColor(&TResourceSet::linkHoverTextColor, m_resources.linkHoverTextColor, color, shared);
}
void CWindowManagerUI::SetSelectedColor(uint32_t color, bool shared) {
    SetColor(&TResourceSet::selectedBkColor, m_resources.selectedBkColor, color, shared);
}

}  // namespace Veneer
