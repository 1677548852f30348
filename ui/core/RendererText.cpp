// Plain text and text with inline markup (colours, fonts, styles, images, links, paragraph
// spacing, selection), laid out line by line with word breaking and an end ellipsis.
#include "Renderer.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "AttrValue.h"
#include "ClipScope.h"
#include "GdiHandle.h"
#include "UIPtrArray.h"
#include "WindowManagerUI.h"

namespace Veneer {

void CRenderer::DrawText(HDC dc, CWindowManagerUI* manager, RECT& rc, const wchar_t* text,
                         uint32_t color, int fontId, UINT format) {
    if (text == nullptr || manager == nullptr) return;
    CUIString expanded(text);
    CWindowManagerUI::ExpandLanguageTokens(expanded);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(color));
    const kesh::SelectScope font(dc, manager->GetFont(fontId));
    ::DrawTextW(dc, expanded.GetData(), -1, &rc, format | DT_NOPREFIX);
}

namespace {

// Fonts made by markup tags get ids from here, far above the ids layouts use.
int g_nextMarkupFontId = 30000;

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool IsDelimiter(wchar_t c) { return c == L'<' || c == L'{'; }
bool IsCloser(wchar_t c) { return c == L'>' || c == L'}'; }

// What the start of a tag looks like; literal escapes are checked before this.
bool IsOpeningTag(const wchar_t* p) {
    return IsDelimiter(p[0]) && p[1] >= L'a' && p[1] <= L'z' &&
           (p[2] == L' ' || IsCloser(p[2]));
}
bool IsClosingTag(const wchar_t* p) {
    return IsDelimiter(p[0]) && p[1] == L'/' && p[2] >= L'a' && p[2] <= L'z';
}

// Everything a line's layout changes and a second pass over the same line must start from.
struct LineState {
    const wchar_t* p = nullptr;
    CUIPtrArray fonts{10};
    CUIPtrArray colors{10};
    CUIPtrArray spacings{10};
    bool raw = false;
    bool selected = false;
    bool inLink = false;
};

class MarkupLayout {
public:
    MarkupLayout(HDC dc, CWindowManagerUI* manager, const RECT& rc, uint32_t color,
                 RECT* linkRects, CUIString* linkTexts, int linkRoom, UINT format,
                 const CUIString& hovered)
        : dc_(dc), mgr_(manager), rc_(rc), color_(color), linkRects_(linkRects),
          linkTexts_(linkTexts), linkRoom_(linkRects && linkTexts ? std::max(linkRoom, 0) : 0),
          format_(format), hovered_(hovered) {}

    // Lays out (and unless measuring only, draws) the text; answers the bottom of the last line.
    int Run(const wchar_t* text) {
        const bool calcOnly = (format_ & DT_CALCRECT) != 0;
        st_.p = text;
        x_ = rc_.left;
        y_ = rc_.top;
        widest_ = rc_.left;
        imageBottom_ = rc_.top;
        int bottom = rc_.top;
        linkStart_ = {rc_.left, rc_.top};
        if (rc_.right <= rc_.left) return bottom;
        while (*st_.p != L'\0') {
            if (y_ >= rc_.bottom && y_ != rc_.top) break;
            LineState saved;
            Copy(st_, saved);
            const int startLinks = linkIndex_;
            lineHeight_ = StartHeight();
            Line(false);
            // Every line takes at least one character, so no text can stall the layout.
            if (st_.p == saved.p) {
                ++st_.p;
                if (st_.raw) st_.raw = false;
            }
            FinishMeasuredLine(startLinks);
            if (!calcOnly) {
                const wchar_t* end = st_.p;
                LineState after;
                Copy(st_, after);
                Copy(saved, st_);
                SelectCurrentFont();
                SetTextColor(dc_, ToColorRef(CurrentColor()));
                x_ = rc_.left;
                Line(true);
                Copy(after, st_);
                st_.p = end;
                SelectCurrentFont();
                SetTextColor(dc_, ToColorRef(CurrentColor()));
            }
            bottom = y_ + lineHeight_;
            y_ += lineHeight_;
            x_ = rc_.left;
            if (format_ & DT_SINGLELINE) break;
        }
        return bottom;
    }

    int LinksFound() const { return linkIndex_; }
    int WidestX() const { return widest_; }
    int ImageBottom() const { return imageBottom_; }

private:
    static void Copy(const LineState& from, LineState& to) {
        to.p = from.p;
        to.fonts = from.fonts;
        to.colors = from.colors;
        to.spacings = from.spacings;
        to.raw = from.raw;
        to.selected = from.selected;
        to.inLink = from.inLink;
    }

    TFontRecord* CurrentFont() {
        int n = st_.fonts.GetSize();
        return n > 0 ? static_cast<TFontRecord*>(st_.fonts[n - 1]) : mgr_->GetDefaultFontRecord();
    }
    uint32_t CurrentColor() const {
        int n = st_.colors.GetSize();
        return n > 0 ? static_cast<uint32_t>(reinterpret_cast<uintptr_t>(st_.colors[n - 1]))
                     : color_;
    }
    int CurrentSpacing() const {
        int n = st_.spacings.GetSize();
        return n > 0 ? static_cast<int>(reinterpret_cast<intptr_t>(st_.spacings[n - 1])) : 0;
    }
    int FontHeight() {
        const TEXTMETRICW& tm = CurrentFont()->metrics;
        return tm.tmHeight + tm.tmExternalLeading;
    }
    int StartHeight() { return std::max(1, CurrentSpacing() + FontHeight()); }
    void Grow(int height) {
        if (!drawing_) lineHeight_ = std::max(lineHeight_, height);
    }
    void SelectCurrentFont() { SelectObject(dc_, CurrentFont()->font); }

    void PushFont(TFontRecord* rec) {
        if (rec == nullptr) return;
        st_.fonts.Add(rec);
        SelectObject(dc_, rec->font);
        Grow(FontHeight());
    }

    // The current font with one more style, made once and found again by the manager.
    void PushForm(bool bold, bool underline, bool italic) {
        TFontRecord* cur = CurrentFont();
        if ((bold && cur->bold) || (underline && cur->underline) || (italic && cur->italic)) return;
        const bool b = cur->bold || bold, u = cur->underline || underline, i = cur->italic || italic;
        HFONT font = mgr_->FindFont(cur->face.GetData(), cur->size, b, u, i);
        if (font == nullptr)
            font = mgr_->AddFont(g_nextMarkupFontId++, cur->face.GetData(), cur->size, b, u, i);
        if (font == nullptr) return;
        PushFont(mgr_->GetFontRecord(font));
    }

    void PopFont() {
        int n = st_.fonts.GetSize();
        if (n == 0) return;
        const bool wasItalic = CurrentFont()->italic;
        st_.fonts.Remove(n - 1);
        SelectCurrentFont();
        if (wasItalic && !CurrentFont()->italic) {
            // Italic glyphs lean into the next upright character; leave it a little room.
            ABC abc = {};
            if (GetCharABCWidthsW(dc_, L' ', L' ', &abc)) x_ += abc.abcC / 2;
        }
        Grow(FontHeight());
    }

    void PushColor(uint32_t c) {
        st_.colors.Add(reinterpret_cast<void*>(static_cast<uintptr_t>(c)));
        SetTextColor(dc_, ToColorRef(c));
    }
    void PopColor() {
        int n = st_.colors.GetSize();
        if (n > 0) st_.colors.Remove(n - 1);
        SetTextColor(dc_, ToColorRef(CurrentColor()));
    }

    void ToggleSelected() {
        st_.selected = !st_.selected;
        if (drawing_) SetBkMode(dc_, st_.selected ? OPAQUE : TRANSPARENT);
    }

    bool AtLeftEdge() const { return x_ == rc_.left; }

    // Lays out one line from st_.p; stops after its last token. Answers nothing: the caller
    // sees how far st_.p went.
    void Line(bool drawing) {
        drawing_ = drawing;
        SetBkMode(dc_, drawing && st_.selected ? OPAQUE : TRANSPARENT);
        const wchar_t*& p = st_.p;
        while (*p != L'\0') {
            if (st_.raw) {
                if (!TextRun()) return;
                continue;
            }
            const wchar_t c = *p;
            if (c == L'\n') {
                ++p;
                return;
            }
            if (c == L' ') {
                DrawPiece(p, 1);
                ++p;
                continue;
            }
            if (c == L'<' && (p[1] == L'{' || p[1] == L'}') && p[2] == L'>') {
                DrawPiece(p + 1, 1);
                p += 3;
                continue;
            }
            if (c == L'{' && (p[1] == L'<' || p[1] == L'>') && p[2] == L'}') {
                DrawPiece(p + 1, 1);
                p += 3;
                continue;
            }
            if (IsOpeningTag(p)) {
                if (!OpeningTag()) return;
                continue;
            }
            if (IsClosingTag(p)) {
                if (!ClosingTag()) return;
                continue;
            }
            if (!TextRun()) return;
        }
    }

    // A literal piece that takes no part in line breaking (spaces, escaped delimiters).
    void DrawPiece(const wchar_t* s, int n) {
        SIZE size = {0, 0};
        GetTextExtentPoint32W(dc_, s, n, &size);
        if (drawing_) {
            const TEXTMETRICW& tm = CurrentFont()->metrics;
            TextOutW(dc_, x_, y_ + lineHeight_ - tm.tmHeight - tm.tmExternalLeading, s, n);
        }
        x_ += size.cx;
        widest_ = std::max(widest_, x_);
    }

    // Answers false when the line ends after this run.
    bool TextRun() {
        const wchar_t* start = st_.p;
        const wchar_t* end = start;
        const wchar_t* resume = nullptr;
        const int avail = rc_.right - x_;
        // No line holds more characters than it has pixels: looking further for the end of the
        // run would make every line of a long paragraph scan all the rest of it again.
        const int lookAhead = std::max(avail, 0) + 2;
        if (st_.raw) {
            while (*end != L'\0' && end - start < lookAhead &&
                   !(IsDelimiter(end[0]) && end[1] == L'/' && end[2] == L'r' && IsCloser(end[3])))
                ++end;
            if (*end != L'\0' && end - start < lookAhead) resume = end + 4;
        } else {
            ++end;  // a delimiter that opened no tag belongs to the text
            while (*end != L'\0' && *end != L'\n' && !IsDelimiter(*end) && end - start < lookAhead)
                ++end;
        }
        int n = static_cast<int>(end - start);
        const TEXTMETRICW& tm = CurrentFont()->metrics;
        SIZE size = {0, 0};
        bool lineEnds = false;
        bool ellipsis = false;
        // Only a run that may reach the right edge is measured character by character, and
        // never more characters than could fit in the room left.
        if (n > 0 && static_cast<long long>(n) * std::max<LONG>(tm.tmMaxCharWidth, 1) >= avail) {
            const int probe = std::min(n, std::max(avail, 0) + 1);
            int fit = 0;
            GetTextExtentExPointW(dc_, start, probe, std::max(avail, 0), &fit, nullptr, &size);
            if (probe < n || size.cx > avail) {
                int count = std::min(fit, probe);
                if (count == 0 && AtLeftEdge()) count = 1;
                if (format_ & DT_WORDBREAK) {
                    int lastBreak = 0;
                    for (int i = 0; i < count; ++i)
                        if (!IsAsciiLetter(start[i])) lastBreak = i + 1;
                    if (lastBreak > 0)
                        count = lastBreak;
                    else if (!AtLeftEdge())
                        count = 0;
                }
                if (format_ & DT_END_ELLIPSIS) {
                    count -= count >= 2 ? 2 : 1;
                    if (count < 0) count = 0;
                    ellipsis = true;
                }
                n = count;
                lineEnds = true;
                resume = nullptr;
            }
        }
        GetTextExtentPoint32W(dc_, start, n, &size);
        if (drawing_ && n > 0) {
            int drawX = x_;
            if (!(format_ & DT_SINGLELINE)) {
                const int width = rc_.right - rc_.left;
                if (format_ & DT_CENTER)
                    drawX = x_ + (width - size.cx) / 2;
                else if (format_ & DT_RIGHT)
                    drawX = x_ + width - size.cx;
            }
            TextOutW(dc_, drawX, y_ + lineHeight_ - tm.tmHeight - tm.tmExternalLeading, start, n);
        }
        if (drawing_ && ellipsis) TextOutW(dc_, x_ + size.cx, y_, L"...", 3);
        x_ += size.cx;
        widest_ = std::max(widest_, x_);
        if (ellipsis) x_ = rc_.right;
        st_.p = start + n;
        if (lineEnds) return false;
        if (resume != nullptr) {
            st_.p = resume;
            st_.raw = false;
        }
        return true;
    }

    // The tag's parameter text: after the letter and blanks, up to the closing delimiter.
    static CUIString TagParam(const wchar_t* letterAt, const wchar_t** after) {
        const wchar_t* q = letterAt + 1;
        while (*q == L' ') ++q;
        const wchar_t* start = q;
        while (*q != L'\0' && !IsCloser(*q)) ++q;
        *after = *q != L'\0' ? q + 1 : q;
        return CUIString(start, static_cast<int>(q - start));
    }

    // Answers false when the line ends before this tag (the tag is then read again on the next
    // line).
    bool OpeningTag() {
        const wchar_t letter = st_.p[1];
        const wchar_t* after = nullptr;
        CUIString param = TagParam(st_.p + 1, &after);
        const wchar_t* v = param.GetData();
        switch (letter) {
        case L'a': {
            if (!drawing_ && linkIndex_ < linkRoom_) linkTexts_[linkIndex_] = param;
            const bool hot = !hovered_.IsEmpty() && hovered_ == v;
            PushColor(hot ? mgr_->GetLinkHoverFontColor() : mgr_->GetLinkFontColor());
            PushForm(false, true, false);
            if (!drawing_) linkStart_ = {x_, y_};
            st_.inLink = true;
            break;
        }
        case L'b': PushForm(true, false, false); break;
        case L'c': PushColor(ReadHexColor(v)); break;
        case L'f': FontTag(param); break;
        case L'i':
            if (param.IsEmpty()) {
                PushForm(false, false, true);
            } else if (!ImageTag(param)) {
                return false;
            }
            break;
        case L'n':
            if (!(format_ & DT_SINGLELINE)) {
                st_.p = after;
                return false;
            }
            break;
        case L'p': {
            if (!AtLeftEdge()) return false;
            const int spacing = static_cast<int>(wcstol(v, nullptr, 10));
            st_.spacings.Add(reinterpret_cast<void*>(static_cast<intptr_t>(spacing)));
            Grow(spacing + FontHeight());
            break;
        }
        case L'r': st_.raw = true; break;
        case L's': ToggleSelected(); break;
        case L'u': PushForm(false, true, false); break;
        case L'x': x_ += static_cast<int>(wcstol(v, nullptr, 10)); break;
        case L'y':
            if (!drawing_) lineHeight_ = std::max(1, static_cast<int>(wcstol(v, nullptr, 10)));
            break;
        default: break;
        }
        st_.p = after;
        return true;
    }

    bool ClosingTag() {
        const wchar_t letter = st_.p[2];
        const wchar_t* after = nullptr;
        TagParam(st_.p + 2, &after);
        switch (letter) {
        case L'a':
            if (!drawing_ && linkIndex_ < linkRoom_) {
                linkRects_[linkIndex_] = {linkStart_.x, linkStart_.y, x_, y_ + FontHeight()};
                ++linkIndex_;
            }
            st_.inLink = false;
            PopColor();
            PopFont();
            break;
        case L'b':
        case L'f':
        case L'i':
        case L'u': PopFont(); break;
        case L'c': PopColor(); break;
        case L'p': {
            if (!AtLeftEdge()) return false;
            int n = st_.spacings.GetSize();
            if (n > 0) st_.spacings.Remove(n - 1);
            Grow(CurrentSpacing() + FontHeight());
            break;
        }
        case L's': ToggleSelected(); break;
        default: break;
        }
        st_.p = after;
        return true;
    }

    void FontTag(const CUIString& param) {
        const wchar_t* v = param.GetData();
        if (*v >= L'0' && *v <= L'9') {
            PushFont(mgr_->GetFontRecord(static_cast<int>(wcstol(v, nullptr, 10))));
            return;
        }
        const wchar_t* q = v;
        while (*q != L'\0' && *q != L' ') ++q;
        CUIString face(v, static_cast<int>(q - v));
        while (*q == L' ') ++q;
        int size = 10;
        if (*q >= L'0' && *q <= L'9') {
            wchar_t* end = nullptr;
            size = static_cast<int>(wcstol(q, &end, 10));
            q = end;
        }
        const bool bold = wcsstr(q, L"bold") != nullptr;
        const bool underline = wcsstr(q, L"underline") != nullptr;
        const bool italic = wcsstr(q, L"italic") != nullptr;
        HFONT font = mgr_->FindFont(face.GetData(), size, bold, underline, italic);
        if (font == nullptr)
            font = mgr_->AddFont(g_nextMarkupFontId++, face.GetData(), size, bold, underline, italic);
        if (font != nullptr) PushFont(mgr_->GetFontRecord(font));
    }

    // Answers false when the image does not fit on this line.
    bool ImageTag(const CUIString& param) {
        const wchar_t* q = param.GetData();
        CUIString name, type;
        bool isResource = false;
        if (wcsncmp(q, L"file=", 5) == 0 || wcsncmp(q, L"res=", 4) == 0) {
            while (*q != L'\0') {
                const wchar_t* key = q;
                while (*q != L'\0' && *q != L'=' && *q != L' ') ++q;
                if (*q != L'=' || q[1] != L'\'') break;
                CUIString k(key, static_cast<int>(q - key));
                q += 2;
                const wchar_t* val = q;
                while (*q != L'\0' && *q != L'\'') ++q;
                CUIString value(val, static_cast<int>(q - val));
                if (*q == L'\'') ++q;
                while (*q == L' ') ++q;
                if (k == L"file") {
                    name = value;
                } else if (k == L"res") {
                    name = value;
                    isResource = true;
                } else if (k == L"restype") {
                    type = value;
                }
            }
        } else {
            const wchar_t* start = q;
            while (*q != L'\0' && *q != L' ') ++q;
            name.Assign(start, static_cast<int>(q - start));
        }
        int frames = 1, index = 0;
        wchar_t* end = nullptr;
        while (*q == L' ') ++q;
        if (*q != L'\0') {
            frames = static_cast<int>(wcstol(q, &end, 10));
            q = end;
            while (*q == L' ') ++q;
            if (*q != L'\0') index = static_cast<int>(wcstol(q, nullptr, 10));
        }
        if (frames < 1) frames = 1;
        if (index < 0 || index >= frames) index = 0;
        TImageData* image = mgr_->GetOrLoadImage(name.GetData(),
                                                 isResource ? type.GetData() : nullptr, 0, false);
        if (image == nullptr) return true;  // skipped
        const int frameWidth = image->width / frames;
        if (x_ + frameWidth > rc_.right && !AtLeftEdge() && !(format_ & DT_SINGLELINE))
            return false;
        Grow(image->height);
        if (drawing_) {
            int top = y_ + (lineHeight_ - image->height) / 2;
            if (image->height > lineHeight_) top = y_ + lineHeight_ - image->height;
            const RECT dest = {x_, top, x_ + frameWidth, top + image->height};
            const RECT source = {index * frameWidth, 0, (index + 1) * frameWidth, image->height};
            CRenderer::DrawImage(dc_, image->bitmap, dest, rc_, source, RECT{0, 0, 0, 0},
                                 image->alpha);
        }
        imageBottom_ = std::max(imageBottom_, y_ + image->height);
        x_ += frameWidth;
        widest_ = std::max(widest_, x_);
        return true;
    }

    // Closes the link pieces of a measured line: a link still open continues on the next line
    // as a piece of its own with the same text, and every piece reaches the line's bottom.
    void FinishMeasuredLine(int firstLink) {
        const int lineBottom = y_ + lineHeight_;
        if (st_.inLink && linkIndex_ < linkRoom_) {
            linkRects_[linkIndex_] = {linkStart_.x, linkStart_.y, std::min<LONG>(x_, rc_.right),
                                      lineBottom};
            ++linkIndex_;
            if (linkIndex_ < linkRoom_) linkTexts_[linkIndex_] = linkTexts_[linkIndex_ - 1];
        }
        if (st_.inLink) linkStart_ = {rc_.left, lineBottom};
        for (int i = firstLink; i < linkIndex_; ++i) linkRects_[i].bottom = lineBottom;
        widest_ = std::max(widest_, x_);
    }

    HDC dc_;
    CWindowManagerUI* mgr_;
    RECT rc_;
    uint32_t color_;
    RECT* linkRects_;
    CUIString* linkTexts_;
    int linkRoom_;
    UINT format_;
    const CUIString& hovered_;

    LineState st_;
    bool drawing_ = false;
    int x_ = 0, y_ = 0;
    int lineHeight_ = 1;
    int widest_ = 0;
    int imageBottom_ = 0;
    int linkIndex_ = 0;
    POINT linkStart_ = {0, 0};
};

}  // namespace

void CRenderer::DrawMarkupText(HDC dc, CWindowManagerUI* manager, RECT& rc, const wchar_t* text,
                               uint32_t color, RECT* linkRects, CUIString* linkTexts,
                               int& linkCount, UINT format) {
    const int linkRoom = linkCount;
    if (text == nullptr || manager == nullptr || IsRectEmpty(&rc)) {
        linkCount = 0;
        return;
    }
    CClipScope clip;
    if (!(format & DT_CALCRECT)) CClipScope::ClipToRect(dc, rc, clip);

    CUIString expanded(text);
    CWindowManagerUI::ExpandLanguageTokens(expanded);

    // Markup selects fonts of its own as it goes; the caller's font is back when this ends.
    const kesh::SelectScope font(dc, manager->GetDefaultFontRecord()->font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(color));
    SetBkColor(dc, ToColorRef(manager->GetSelectedColor()));

    if (!(format & DT_CALCRECT) &&
        (format & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM)) != 0) {
        RECT measured = {0, 0, 9999, 100};
        int noLinks = 0;
        DrawMarkupText(dc, manager, measured, text, color, nullptr, nullptr, noLinks,
                       format | DT_CALCRECT);
        SelectObject(dc, manager->GetDefaultFontRecord()->font);
        SetTextColor(dc, ToColorRef(color));
        const int mw = measured.right - measured.left, mh = measured.bottom - measured.top;
        if (format & DT_SINGLELINE) {
            if (format & DT_CENTER) {
                rc.left += (rc.right - rc.left - mw) / 2;
                rc.right = rc.left + mw;
            }
            if (format & DT_RIGHT) rc.left = rc.right - mw;
        }
        if (format & DT_VCENTER) {
            rc.top += (rc.bottom - rc.top - mh) / 2;
            rc.bottom = rc.top + mh;
        }
        if (format & DT_BOTTOM) rc.top = rc.bottom - mh;
    }

    CUIString hovered;
    if (linkRoom > 0 && linkRects != nullptr && linkTexts != nullptr) {
        const POINT mouse = manager->GetMousePos();
        for (int i = 0; i < linkRoom; ++i)
            if (PtInRect(&linkRects[i], mouse)) {
                hovered = linkTexts[i];
                break;
            }
    }

    MarkupLayout layout(dc, manager, rc, color, linkRects, linkTexts, linkRoom, format, hovered);
    const int bottom = layout.Run(expanded.GetData());
    linkCount = layout.LinksFound();
    if (format & DT_CALCRECT) {
        rc.bottom = std::max(bottom, layout.ImageBottom());
        rc.right = std::min<LONG>(rc.right, layout.WidestX());
    }
}

}  // namespace Veneer
