// The window manager's fonts: the default font, the window's and the shared font tables, and
// text metrics measured on first use.
#include "WindowManagerUI.h"

#include <cwchar>

#include "WindowManagerState.h"

namespace Veneer {

using namespace manager_detail;

namespace {

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

}  // namespace

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

}  // namespace Veneer
