// The owning GDI wrappers: every kind gives its handle back when its scope ends (counted against
// the process's free GDI handles), and a select guard puts the DC's old object back.
#include <gtest/gtest.h>

#include <functional>

#include "GdiHandle.h"
#include "LiveUiUtil.h"

namespace {

// A plain hidden window of a class of its own, so its DCs come from the shared cache.
class PlainWindow {
public:
    PlainWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"GdiHandleTestWindow";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                wc.hInstance, nullptr);
    }
    ~PlainWindow() { DestroyWindow(hwnd_); }
    HWND get() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

struct ScopeCase {
    const char* what;
    // Makes one handle in its wrapper and lets the scope end; false when it could not be made.
    std::function<bool(HWND)> makeAndDrop;
};

TEST(GdiHandles, EveryWrapperGivesItsHandleBackWhenItsScopeEnds) {
    PlainWindow window;
    ASSERT_NE(window.get(), nullptr);
    const ScopeCase cases[] = {
        {"pen", [](HWND) { return !!kesh::UniquePen(CreatePen(PS_SOLID, 1, RGB(1, 2, 3))); }},
        {"brush", [](HWND) { return !!kesh::UniqueBrush(CreateSolidBrush(RGB(1, 2, 3))); }},
        {"font", [](HWND) { return !!kesh::UniqueFont(CreateFontW(
                     -12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma")); }},
        {"bitmap", [](HWND) { return !!kesh::UniqueBitmap(CreateBitmap(8, 8, 1, 32, nullptr)); }},
        {"region", [](HWND) { return !!kesh::UniqueRegion(CreateRectRgn(0, 0, 8, 8)); }},
        {"memory DC", [](HWND) { return !!kesh::UniqueMemoryDC(CreateCompatibleDC(nullptr)); }},
        // A DC the window still holds is never handed out again: each GetDC makes a new one.
        {"window DC", [](HWND w) { return !!kesh::UniqueWindowDC(w, GetDC(w)); }},
        // A bitmap selected under the guard: guard, bitmap and DC all let go at the scope's end.
        {"bitmap selected into a memory DC",
         [](HWND) {
             kesh::UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
             kesh::UniqueBitmap bitmap(CreateBitmap(8, 8, 1, 32, nullptr));
             if (!dc || !bitmap) return false;
             kesh::SelectScope selected(dc.get(), bitmap.get());
             return true;
         }},
    };
    constexpr int kRounds = 64;
    for (const ScopeCase& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.makeAndDrop(window.get()));  // whatever is made once on first use
        const int before = livetest::FreeGdiHandles();
        for (int i = 0; i < kRounds; ++i) ASSERT_TRUE(c.makeAndDrop(window.get()));
        EXPECT_LE(before - livetest::FreeGdiHandles(), 2);
    }
}

TEST(GdiHandles, SelectScopePutsTheOldObjectBack) {
    kesh::UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const HGDIOBJ stockPen = GetCurrentObject(dc.get(), OBJ_PEN);
    const HGDIOBJ stockBitmap = GetCurrentObject(dc.get(), OBJ_BITMAP);
    kesh::UniquePen pen(CreatePen(PS_SOLID, 2, RGB(200, 0, 0)));
    kesh::UniqueBitmap bitmap(CreateBitmap(4, 4, 1, 32, nullptr));
    {
        kesh::SelectScope selectedPen(dc.get(), pen.get());
        kesh::SelectScope selectedBitmap(dc.get(), bitmap.get());
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PEN), pen.get());
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PEN), stockPen);
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), stockBitmap);
}

}  // namespace
