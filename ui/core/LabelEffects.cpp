// The label's GDI+ side: start-up and shut-down per label, and the effect text with gradient
// colours, a four-way stroke and a drop shadow.
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "LabelUI.h"
#include "WindowManagerUI.h"

namespace Veneer {

namespace {

Gdiplus::Color Compose(int alpha, uint32_t color) {
    return Gdiplus::Color(static_cast<Gdiplus::ARGB>((static_cast<uint32_t>(alpha & 0xFF) << 24) |
                                                     (color & 0xFFFFFF)));
}

// Some GDI+ builds leave a dangling font behind when creation fails, which the wrapper would
// then use and delete; so creation is tried on the bare handle first, and the wrapper is only
// made for a font that can be made.
bool CanMakeFont(HDC dc, const LOGFONTA* lf) {
    Gdiplus::GpFont* probe = nullptr;
    const Gdiplus::Status status =
        lf ? Gdiplus::DllExports::GdipCreateFontFromLogfontA(dc, lf, &probe)
           : Gdiplus::DllExports::GdipCreateFontFromDC(dc, &probe);
    if (status != Gdiplus::Ok) return false;
    Gdiplus::DllExports::GdipDeleteFont(probe);
    return true;
}

}  // namespace

CLabelUI::CLabelUI() {
    Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, nothing suppressed
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr);
}

CLabelUI::~CLabelUI() {
    if (m_gdiplusToken) Gdiplus::GdiplusShutdown(m_gdiplusToken);
}

void CLabelUI::RenderEffectText(HDC dc, const RECT& box) {
    using namespace Gdiplus;
    LOGFONTA lf = {};
    HFONT hfont = m_manager ? m_manager->GetFont(m_font) : nullptr;
    const bool haveLogFont = hfont && GetObjectA(hfont, sizeof(lf), &lf) != 0;
    std::unique_ptr<Font> font;
    if (haveLogFont && CanMakeFont(dc, &lf))
        font.reset(new Font(dc, &lf));
    else if (!haveLogFont && CanMakeFont(dc, nullptr))
        font.reset(new Font(dc));
    // A face GDI+ cannot use (not TrueType, or unknown) draws nothing.
    if (!font) return;
    {
        Graphics graphics(dc);
        graphics.SetTextRenderingHint(static_cast<TextRenderingHint>(m_renderingHint));
        StringFormat format;
        format.SetAlignment((m_textStyle & kTextCenter)  ? StringAlignmentCenter
                            : (m_textStyle & kTextRight) ? StringAlignmentFar
                                                         : StringAlignmentNear);
        format.SetLineAlignment((m_textStyle & kTextVCenter)  ? StringAlignmentCenter
                                : (m_textStyle & kTextBottom) ? StringAlignmentFar
                                                              : StringAlignmentNear);

        const RectF layout(static_cast<REAL>(box.left), static_cast<REAL>(box.top),
                           static_cast<REAL>(box.right - box.left),
                           static_cast<REAL>(box.bottom - box.top));
        RectF shadow = layout;
        shadow.Offset(m_shadowOffsetX, m_shadowOffsetY);

        const int length = m_gradientLength != 0 ? m_gradientLength : (box.bottom - box.top);
        const Point from(m_gradientAngle, 0);
        const Point to(0, length);
        const wchar_t* text = m_effectText.GetData();

        LinearGradientBrush shadowBrush(
            from, to, Compose(m_shadowAlpha1, m_shadowColorA),
            Compose(m_shadowAlpha2, m_shadowColorB == 0xFFFFFFFF ? m_shadowColorA
                                                                  : m_shadowColorB));
        shadowBrush.SetWrapMode(WrapModeTile);
        LinearGradientBrush textBrush(
            from, to, Compose(m_textAlpha1, m_textColor),
            Compose(m_textAlpha2, m_textColor1 == 0xFFFFFFFF ? m_textColor : m_textColor1));
        textBrush.SetWrapMode(WrapModeTile);

        if (m_strokeEnabled && m_strokeColor != 0) {
            LinearGradientBrush strokeBrush(from, Point(0, box.bottom - box.top + 2),
                                            Compose(m_strokeAlpha, m_strokeColor),
                                            Compose(m_strokeAlpha, m_strokeColor));
            strokeBrush.SetWrapMode(WrapModeTile);
            const REAL offsets[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
            for (const auto& o : offsets) {
                RectF moved = layout;
                moved.Offset(o[0], o[1]);
                graphics.DrawString(text, -1, font.get(), moved, &format, &strokeBrush);
            }
        }
        if (m_shadowEnabled && (m_shadowColorA != 0 || m_shadowColorB != 0))
            graphics.DrawString(text, -1, font.get(), shadow, &format, &shadowBrush);
        graphics.DrawString(text, -1, font.get(), layout, &format, &textBrush);
    }
}

}  // namespace Veneer
