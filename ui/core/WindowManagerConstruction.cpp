// The window manager's construction and tear-down, and its hold on the window's paint DC.
#include "WindowManagerUI.h"

#include "WindowManagerState.h"

namespace Veneer {

using namespace manager_detail;

CWindowManagerUI::CWindowManagerUI() {
    ProcessState& st = State();
    if (st.shared.defaultFont.face.IsEmpty()) {
        st.shared.disabledTextColor = 0xFFA7A6AA;
        st.shared.defaultTextColor = 0xFF000000;
        st.shared.linkTextColor = 0xFF0000FF;
        st.shared.linkHoverTextColor = 0xFFD3215F;
        st.shared.selectedBkColor = 0xFFBAE4FF;
        LOGFONTW lf = {};
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
        lf.lfCharSet = DEFAULT_CHARSET;
        HFONT font = CreateFontIndirectW(&lf);
        TFontRecord& def = st.shared.defaultFont;
        def.font = font;
        def.face = lf.lfFaceName;
        def.size = -lf.lfHeight;
        def.bold = lf.lfWeight >= FW_BOLD;
        def.underline = lf.lfUnderline == 1;
        def.italic = lf.lfItalic == 1;
        def.metrics = {};
    }
    // The short record form that every comctl32 version accepts; its size differs between the
    // 32- and 64-bit builds, so it is never written as a number.
    m_toolInfo.cbSize = TTTOOLINFOW_V2_SIZE;
    m_resources.disabledTextColor = st.shared.disabledTextColor;
    m_resources.defaultTextColor = st.shared.defaultTextColor;
    m_resources.linkTextColor = st.shared.linkTextColor;
    m_resources.linkHoverTextColor = st.shared.linkHoverTextColor;
    m_resources.selectedBkColor = st.shared.selectedBkColor;
    if (st.updatePen == nullptr) {
        st.updatePen = CreatePen(PS_SOLID, 1, RGB(220, 0, 0));
        InitCommonControls();
        LoadLibraryW(L"msimg32.dll");
    }
}

CWindowManagerUI::~CWindowManagerUI() {
    // Controls go first: their destructors still talk to this manager.
    DeleteControls();
    m_names.Resize(0);
    FreeRecordFont(m_resources.defaultFont);
    RemoveAllFonts(false);
    RemoveAllImages(false);
    RemoveAllClassDefaults(false);
    RemoveAllOptionGroups();
    KillTimers();
    if (m_toolTip) DestroyWindow(m_toolTip);
    DeleteOffscreen();
    m_paintDc.reset();
    for (int i = 0; i < m_retiredImages.GetSize(); ++i)
        CRenderer::ReleaseImage(static_cast<TImageData*>(m_retiredImages[i]), true);
    m_retiredImages.Empty();
    CUIPtrArray& all = State().managers;
    int self = all.Find(this);
    if (self >= 0) all.Remove(self);
}

HPEN CWindowManagerUI::UpdatePen() { return State().updatePen; }

void CWindowManagerUI::Init(HWND window) {
    m_paintDc.reset();
    m_window = window;
    m_paintDc.reset(window, GetDC(window));
    // Once per manager: a second entry would outlive the first removal.
    CUIPtrArray& all = State().managers;
    if (all.Find(this) < 0) all.Add(this);
}

void CWindowManagerUI::ForgetWindow() {
    // The handle may soon name another window: nothing may reach this manager through it, and
    // what was made for the window goes with it. The tool tip went with its owner already.
    CUIPtrArray& all = State().managers;
    const int self = all.Find(this);
    if (self >= 0) all.Remove(self);
    KillTimers();
    m_toolTip = nullptr;
    DeleteOffscreen();
    m_paintDc.reset();
    m_window = nullptr;
    m_mouseTracking = false;
    m_mouseCaptured = false;
}

}  // namespace Veneer
