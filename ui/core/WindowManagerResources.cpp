// The window manager's resource half: construction, process-wide skin settings, fonts, images,
// default attributes, language texts, option groups, registration lists and timers.
#include "WindowManagerUI.h"

#include <cwchar>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "GdiHandle.h"
#include "ZipReader.h"

namespace Veneer {

namespace {

// Everything that lives for the whole process, shared by every window of the UI thread.
struct ProcessState {
    HINSTANCE instance = nullptr;
    HINSTANCE resourceModule = nullptr;
    CUIString skinRoot;
    CUIString skinZipName;
    TZipArchive* zip = nullptr;
    bool zipKeptOpen = true;
    TResourceSet shared;
    CUIPtrArray managers;
    CUIPtrArray plugins;
    short hue = 180, saturation = 100, lightness = 100;
    bool hslEnabled = false;
    HPEN updatePen = nullptr;
    CUIPtrArray retiredSharedImages;  // never freed, like the shared images themselves
};

ProcessState& State() {
    // Deliberately never destroyed: shared fonts and images live until the process ends, and
    // nothing may run their clean-up after the C runtime has begun tearing down.
    static ProcessState* state = new ProcessState;
    return *state;
}

CUIString DecimalKey(int id) {
    wchar_t buf[16];
    swprintf(buf, 16, L"%d", id);
    return CUIString(buf);
}

// The LOGFONT of the default GUI font with the asked face, size and styles.
LOGFONTW MakeLogFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) {
    LOGFONTW lf = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    // Keep room for the terminator: a 32-character face would leave the name unterminated
    // and CreateFontIndirect would read past it.
    wcsncpy(lf.lfFaceName, face ? face : L"", LF_FACESIZE - 1);
    lf.lfFaceName[LF_FACESIZE - 1] = L'\0';
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -size;
    if (bold) lf.lfWeight += FW_BOLD;
    if (underline) lf.lfUnderline = TRUE;
    if (italic) lf.lfItalic = TRUE;
    return lf;
}

// A record owns its font: the handle is taken back into a wrapper, which frees it on return.
void FreeRecordFont(TFontRecord& record) {
    const kesh::UniqueFont owned(std::exchange(record.font, nullptr));
}

void DeleteFontRecord(TFontRecord* record) {
    if (record == nullptr) return;
    FreeRecordFont(*record);
    delete record;
}

bool SameFont(const TFontRecord* r, const wchar_t* face, int size, bool bold, bool underline,
              bool italic) {
    return r->face == face && r->size == size && r->bold == bold && r->underline == underline &&
           r->italic == italic;
}

HFONT FindFontIn(CUIStringMap& map, const wchar_t* face, int size, bool bold, bool underline,
                 bool italic) {
    for (int i = 0; i < map.GetSize(); ++i) {
        const wchar_t* key = map.GetAt(i);
        if (key == nullptr) continue;
        auto* r = static_cast<TFontRecord*>(map.Find(key, false));
        if (r && SameFont(r, face, size, bold, underline, italic)) return r->font;
    }
    return nullptr;
}

TFontRecord* FindFontByHandle(CUIStringMap& map, HFONT font) {
    for (int i = 0; i < map.GetSize(); ++i) {
        const wchar_t* key = map.GetAt(i);
        if (key == nullptr) continue;
        auto* r = static_cast<TFontRecord*>(map.Find(key, false));
        if (r && r->font == font) return r;
    }
    return nullptr;
}

// Frees every value of a map with `release` and empties it. Look-ups during the walk must not
// reorder the chains, or entries would be visited twice and others never.
template <typename T, typename Release>
void ClearMap(CUIStringMap& map, Release release) {
    for (int i = 0; i < map.GetSize(); ++i) {
        const wchar_t* key = map.GetAt(i);
        if (key == nullptr) continue;
        release(static_cast<T*>(map.Find(key, false)));
    }
    map.RemoveAll();
}

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

// ---- construction ------------------------------------------------------------------------

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

// ---- process-wide settings ---------------------------------------------------------------

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

// ---- window settings ---------------------------------------------------------------------

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

// ---- fonts -------------------------------------------------------------------------------

void CWindowManagerUI::MeasureFont(TFontRecord* record) {
    if (record == nullptr || record->metrics.tmHeight != 0 || record->font == nullptr) return;
    // Without a window yet, a screen-compatible context measures the same font.
    kesh::UniqueMemoryDC scratch;
    HDC dc = m_paintDc.get();
    if (dc == nullptr) {
        scratch.reset(CreateCompatibleDC(nullptr));
        dc = scratch.get();
    }
    if (dc == nullptr) return;
    const kesh::SelectScope font(dc, record->font);
    GetTextMetricsW(dc, &record->metrics);
}

void CWindowManagerUI::SetDefaultFont(const wchar_t* face, int size, bool bold, bool underline,
                                      bool italic, bool shared) {
    LOGFONTW lf = MakeLogFont(face, size, bold, underline, italic);
    kesh::UniqueFont font(CreateFontIndirectW(&lf));
    if (!font) return;
    TFontRecord& rec = shared ? State().shared.defaultFont : m_resources.defaultFont;
    FreeRecordFont(rec);
    rec.font = font.release();  // the record owns it from here
    rec.face = lf.lfFaceName;
    rec.size = size;
    rec.bold = bold;
    rec.underline = underline;
    rec.italic = italic;
    rec.metrics = {};
    if (m_paintDc) MeasureFont(&rec);
}

HFONT CWindowManagerUI::AddFont(int id, const wchar_t* face, int size, bool bold, bool underline,
                                bool italic, bool shared) {
    LOGFONTW lf = MakeLogFont(face, size, bold, underline, italic);
    kesh::UniqueFont made(CreateFontIndirectW(&lf));
    if (!made) return nullptr;
    auto* rec = new TFontRecord;
    rec->font = made.release();  // the record owns it from here; DeleteFontRecord frees it
    rec->face = lf.lfFaceName;
    rec->size = size;
    rec->bold = bold;
    rec->underline = underline;
    rec->italic = italic;
    if (m_paintDc) MeasureFont(rec);
    CUIStringMap& map = shared ? State().shared.fonts : m_resources.fonts;
    CUIString key = DecimalKey(id);
    if (auto* old = static_cast<TFontRecord*>(map.Find(key.GetData(), true))) {
        DeleteFontRecord(old);
        map.Remove(key.GetData());
    }
    if (!map.Insert(key.GetData(), rec)) {
        DeleteFontRecord(rec);
        return nullptr;
    }
    return rec->font;
}

HFONT CWindowManagerUI::GetFont(int id) {
    return GetFontRecord(id)->font;
}

TFontRecord* CWindowManagerUI::GetFontRecord(int id) {
    TFontRecord* rec = nullptr;
    if (id >= 0) {
        CUIString key = DecimalKey(id);
        rec = static_cast<TFontRecord*>(m_resources.fonts.Find(key.GetData(), true));
        if (rec == nullptr) rec = static_cast<TFontRecord*>(State().shared.fonts.Find(key.GetData(), true));
    }
    if (rec == nullptr) return GetDefaultFontRecord();
    MeasureFont(rec);
    return rec;
}

TFontRecord* CWindowManagerUI::GetFontRecord(HFONT font) {
    TFontRecord* rec = FindFontByHandle(m_resources.fonts, font);
    if (rec == nullptr) rec = FindFontByHandle(State().shared.fonts, font);
    if (rec == nullptr) return GetDefaultFontRecord();
    MeasureFont(rec);
    return rec;
}

TFontRecord* CWindowManagerUI::GetDefaultFontRecord() {
    TFontRecord* rec = m_resources.defaultFont.face.IsEmpty() ? &State().shared.defaultFont
                                                              : &m_resources.defaultFont;
    MeasureFont(rec);
    return rec;
}

HFONT CWindowManagerUI::FindFont(const wchar_t* face, int size, bool bold, bool underline,
                                 bool italic) {
    if (HFONT f = FindFontIn(m_resources.fonts, face, size, bold, underline, italic)) return f;
    return FindFontIn(State().shared.fonts, face, size, bold, underline, italic);
}

void CWindowManagerUI::RemoveAllFonts(bool shared) {
    ClearMap<TFontRecord>(shared ? State().shared.fonts : m_resources.fonts, DeleteFontRecord);
}

// ---- images ------------------------------------------------------------------------------

TImageData* CWindowManagerUI::AddImage(const wchar_t* name, const wchar_t* type, uint32_t mask,
                                       bool keepPixelCopy, bool shared) {
    if (name == nullptr || *name == L'\0') return nullptr;
    TImageData* image = nullptr;
    if (type != nullptr) {
        if (!iswdigit(*name)) return nullptr;
        UINT id = static_cast<UINT>(wcstoul(name, nullptr, 10));
        image = CRenderer::LoadImage(id, type, mask);
    } else {
        image = CRenderer::LoadImage(name, nullptr, mask);
    }
    if (image == nullptr) return nullptr;
    image->adjustable = keepPixelCopy;
    image->resourceType = type;
    image->mask = mask;
    if (keepPixelCopy) {
        size_t bytes = static_cast<size_t>(image->width) * static_cast<size_t>(image->height) * 4u;
        image->unadjustedPixels = static_cast<uint32_t*>(malloc(bytes));
        if (image->unadjustedPixels)
            memcpy(image->unadjustedPixels, image->pixels, bytes);
        else
            image->adjustable = false;
    }
    short h, s, l;
    if (GetHSL(&h, &s, &l)) CRenderer::AdjustImageHsl(true, image, h, s, l);

    CUIStringMap& map = shared ? State().shared.images : m_resources.images;
    if (auto* old = static_cast<TImageData*>(map.Find(name, true))) {
        // Controls drawn from the old image still hold its address; keep it alive.
        map.Remove(name);
        (shared ? State().retiredSharedImages : m_retiredImages).Add(old);
    }
    if (!map.Insert(name, image)) {
        CRenderer::ReleaseImage(image, true);
        return nullptr;
    }
    return image;
}

TImageData* CWindowManagerUI::GetImage(const wchar_t* name) {
    if (name == nullptr) return nullptr;
    auto* image = static_cast<TImageData*>(m_resources.images.Find(name, true));
    if (image == nullptr) image = static_cast<TImageData*>(State().shared.images.Find(name, true));
    return image;
}

TImageData* CWindowManagerUI::GetOrLoadImage(const wchar_t* name, const wchar_t* type,
                                             uint32_t mask, bool keepPixelCopy) {
    if (TImageData* image = GetImage(name)) return image;
    if (AddImage(name, type, mask, keepPixelCopy, false) == nullptr) return nullptr;
    return static_cast<TImageData*>(m_resources.images.Find(name, true));
}

void CWindowManagerUI::RemoveAllImages(bool shared) {
    ClearMap<TImageData>(shared ? State().shared.images : m_resources.images,
                         [](TImageData* image) { CRenderer::ReleaseImage(image, true); });
}

// ---- default attribute lists -------------------------------------------------------------

void CWindowManagerUI::AddClassDefaults(const wchar_t* elementName, const wchar_t* attributes,
                                        bool shared) {
    if (elementName == nullptr) return;
    CUIStringMap& map = shared ? State().shared.classDefaults : m_resources.classDefaults;
    auto* text = new CUIString(attributes);
    delete static_cast<CUIString*>(map.Set(elementName, text));
}

const wchar_t* CWindowManagerUI::GetClassDefaults(const wchar_t* elementName) {
    if (elementName == nullptr) return nullptr;
    auto* text = static_cast<CUIString*>(m_resources.classDefaults.Find(elementName, true));
    if (text == nullptr)
        text = static_cast<CUIString*>(State().shared.classDefaults.Find(elementName, true));
    return text ? text->GetData() : nullptr;
}

void CWindowManagerUI::RemoveAllClassDefaults(bool shared) {
    ClearMap<CUIString>(shared ? State().shared.classDefaults : m_resources.classDefaults,
                        [](CUIString* text) { delete text; });
}

// ---- language texts ----------------------------------------------------------------------

void CWindowManagerUI::AddLanguageText(int id, const wchar_t* text) {
    CUIString key = DecimalKey(id);
    delete static_cast<CUIString*>(State().shared.languageTexts.Set(key.GetData(), new CUIString(text)));
}

const wchar_t* CWindowManagerUI::GetLanguageText(int id) {
    CUIString key = DecimalKey(id);
    auto* text = static_cast<CUIString*>(State().shared.languageTexts.Find(key.GetData(), true));
    return text ? text->GetData() : nullptr;
}

void CWindowManagerUI::ExpandLanguageTokens(CUIString& text) {
    const wchar_t* src = text.GetData();
    if (wcschr(src, L'%') == nullptr) return;
    // One pass over the original text: a language text that itself holds a token is inserted
    // as it stands and never scanned again, so no text can make the string grow without end.
    CUIString out;
    const wchar_t* p = src;
    const wchar_t* copied = src;
    while ((p = wcschr(p, L'%')) != nullptr) {
        const wchar_t* q = p + 1;
        if (*q != L'{') {
            p = q;
            continue;
        }
        ++q;
        const wchar_t* digits = q;
        while (*q >= L'0' && *q <= L'9') ++q;
        if (*q != L'}') {
            p = p + 1;
            continue;
        }
        int id = static_cast<int>(wcstol(digits, nullptr, 10));
        const wchar_t* value = GetLanguageText(id);
        if (value == nullptr) {
            p = p + 1;
            continue;
        }
        out.Append(CUIString(copied, static_cast<int>(p - copied)).GetData());
        out.Append(value);
        p = q + 1;
        copied = p;
    }
    if (copied == src) return;
    out.Append(copied);
    text = out;
}

// ---- option groups -----------------------------------------------------------------------

bool CWindowManagerUI::JoinOptionGroup(const wchar_t* group, CControlUI* control) {
    if (group == nullptr) return false;
    auto* members = static_cast<CUIPtrArray*>(m_optionGroups.Find(group, true));
    if (members == nullptr) {
        members = new CUIPtrArray(6);
        if (!m_optionGroups.Insert(group, members)) {
            delete members;
            return false;
        }
    }
    if (members->Find(control) >= 0) return false;
    return members->Add(control);
}

CUIPtrArray* CWindowManagerUI::GetOptionGroupMembers(const wchar_t* group) {
    if (group == nullptr) return nullptr;
    return static_cast<CUIPtrArray*>(m_optionGroups.Find(group, true));
}

bool CWindowManagerUI::LeaveOptionGroup(const wchar_t* group, CControlUI* control) {
    CUIPtrArray* members = GetOptionGroupMembers(group);
    if (members == nullptr) return false;
    int at = members->Find(control);
    if (at >= 0) members->Remove(at);
    if (!members->IsEmpty()) return false;
    delete members;
    m_optionGroups.Remove(group);
    return true;
}

void CWindowManagerUI::RemoveAllOptionGroups() {
    ClearMap<CUIPtrArray>(m_optionGroups, [](CUIPtrArray* members) { delete members; });
}

// ---- registration lists ------------------------------------------------------------------

void CWindowManagerUI::RemoveRegistered(CUIPtrArray& list, void* entry, bool& found) {
    int at = list.Find(entry);
    found = at >= 0;
    if (found) list.Remove(at);
}

bool CWindowManagerUI::AddNotifyListener(INotifyUI* l) { return m_notifiers.Add(l); }
bool CWindowManagerUI::RemoveNotifyListener(INotifyUI* l) {
    bool found;
    RemoveRegistered(m_notifiers, l, found);
    return found;
}
bool CWindowManagerUI::AddPreFilter(IMessageFilterUI* f) { return m_preFilters.Add(f); }
bool CWindowManagerUI::RemovePreFilter(IMessageFilterUI* f) {
    bool found;
    RemoveRegistered(m_preFilters, f, found);
    return found;
}
bool CWindowManagerUI::AddWindowFilter(IMessageFilterUI* f) { return m_windowFilters.Add(f); }
bool CWindowManagerUI::RemoveWindowFilter(IMessageFilterUI* f) {
    bool found;
    RemoveRegistered(m_windowFilters, f, found);
    return found;
}
bool CWindowManagerUI::AddOverlayControl(CControlUI* c) { return m_overlays.Add(c); }
bool CWindowManagerUI::RemoveOverlayControl(CControlUI* c) {
    bool found;
    RemoveRegistered(m_overlays, c, found);
    return found;
}
bool CWindowManagerUI::AddAcceleratorHandler(ITranslateAccelerator* h) {
    return m_accelerators.Add(h);
}
bool CWindowManagerUI::RemoveAcceleratorHandler(ITranslateAccelerator* h) {
    bool found;
    RemoveRegistered(m_accelerators, h, found);
    return found;
}

// ---- names and repaint -------------------------------------------------------------------

CControlUI* CWindowManagerUI::LocateControl(const wchar_t* name) {
    if (name == nullptr) return nullptr;
    return static_cast<CControlUI*>(m_names.Find(name, true));
}

void CWindowManagerUI::Invalidate(const RECT& rc) {
    // A null window would invalidate every window on the desktop.
    if (m_window == nullptr) return;
    InvalidateRect(m_window, &rc, FALSE);
}

// ---- timers ------------------------------------------------------------------------------

bool CWindowManagerUI::SetTimer(CControlUI* control, UINT localId, UINT elapse) {
    // Without a window the system would make a thread timer under an id of its own choosing,
    // which could never be routed back to the control.
    if (m_window == nullptr) return false;
    for (int i = 0; i < m_timers.GetSize(); ++i) {
        auto* t = static_cast<TTimerRecord*>(m_timers[i]);
        if (t->control != control || t->window != m_window || t->localId != localId) continue;
        if (!t->killed) return false;
        if (::SetTimer(m_window, t->windowId, elapse, nullptr) == 0) return false;
        t->killed = false;
        return true;
    }
    // Ids cycle through 0..254; one still held by a record (live, or killed and able to be
    // re-armed) is skipped, or two controls would share one window timer.
    bool free = false;
    for (int tries = 0; tries < 255 && !free; ++tries) {
        m_timerCounter = (m_timerCounter + 1) % 255u;
        free = true;
        for (int i = 0; i < m_timers.GetSize() && free; ++i) {
            auto* t = static_cast<TTimerRecord*>(m_timers[i]);
            if (t->window == m_window && t->windowId == m_timerCounter) free = false;
        }
    }
    if (!free) return false;
    UINT windowId = m_timerCounter;
    if (::SetTimer(m_window, windowId, elapse, nullptr) == 0) return false;
    auto* t = new TTimerRecord{control, localId, m_window, windowId, false};
    if (!m_timers.Add(t)) {
        ::KillTimer(m_window, windowId);
        delete t;
        return false;
    }
    return true;
}

bool CWindowManagerUI::KillTimer(CControlUI* control, UINT localId) {
    for (int i = 0; i < m_timers.GetSize(); ++i) {
        auto* t = static_cast<TTimerRecord*>(m_timers[i]);
        if (t->control != control || t->window != m_window || t->localId != localId || t->killed)
            continue;
        if (IsWindow(m_window)) ::KillTimer(t->window, t->windowId);
        t->killed = true;
        return true;
    }
    return false;
}

void CWindowManagerUI::KillTimer(CControlUI* control) {
    for (int i = m_timers.GetSize() - 1; i >= 0; --i) {
        auto* t = static_cast<TTimerRecord*>(m_timers[i]);
        if (t->control != control || t->window != m_window) continue;
        if (!t->killed) ::KillTimer(t->window, t->windowId);
        delete t;
        m_timers.Remove(i);
    }
}

void CWindowManagerUI::KillTimers() {
    for (int i = 0; i < m_timers.GetSize(); ++i) {
        auto* t = static_cast<TTimerRecord*>(m_timers[i]);
        if (t->window == m_window && !t->killed && IsWindow(m_window))
            ::KillTimer(t->window, t->windowId);
        delete t;
    }
    m_timers.Empty();
}

}  // namespace Veneer
