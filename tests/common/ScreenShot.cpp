#include "ScreenShot.h"

#include "GdiHandle.h"
#include "TestUtil.h"
#include "WinHandle.h"

namespace testutil {

Shot CaptureWhen(HWND h, DWORD ms, const std::function<bool(const Shot&)>& ready) {
    Shot shot;
    const bool seen = testutil::WaitUntil(
        [&] {
            if (!testutil::IsPainted(h)) return false;
            shot = Capture(h);
            return ready(shot);
        },
        ms);
    return seen ? shot : Capture(h);
}

int Shot::Count(uint32_t c, RECT r) const {
    int n = 0;
    for (int y = r.top; y < r.bottom && y < height; ++y)
        for (int x = r.left; x < r.right && x < width; ++x)
            if (At(x, y) == c) ++n;
    return n;
}

Shot Capture(HWND h) {
    Shot shot;
    RECT rc{};
    GetWindowRect(h, &rc);
    shot.width = rc.right - rc.left;
    shot.height = rc.bottom - rc.top;
    if (shot.width <= 0 || shot.height <= 0) return shot;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = shot.width;
    bi.bmiHeader.biHeight = -shot.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    kesh::UniqueWindowDC screen(nullptr, GetDC(nullptr));
    kesh::UniqueMemoryDC mem(CreateCompatibleDC(screen.get()));
    kesh::UniqueBitmap dib(CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!mem || !dib || bits == nullptr) return Shot{};
    {
        kesh::SelectScope select(mem.get(), dib.get());
        BitBlt(mem.get(), 0, 0, shot.width, shot.height, screen.get(), rc.left, rc.top, SRCCOPY);
        GdiFlush();
    }
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    shot.pixels.assign(p, p + static_cast<size_t>(shot.width) * shot.height);
    for (uint32_t& px : shot.pixels) px &= 0x00FFFFFF;
    return shot;
}

bool SaveBmp(const Shot& shot, const std::wstring& path) {
    const int stride = (shot.width * 3 + 3) & ~3;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof(ih);
    ih.biWidth = shot.width;
    ih.biHeight = shot.height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + stride * shot.height;
    std::string out(reinterpret_cast<const char*>(&fh), sizeof(fh));
    out.append(reinterpret_cast<const char*>(&ih), sizeof(ih));
    for (int y = shot.height - 1; y >= 0; --y) {
        std::string row(stride, '\0');
        for (int x = 0; x < shot.width; ++x) {
            const uint32_t c = shot.At(x, y);
            row[x * 3] = static_cast<char>(c & 0xFF);
            row[x * 3 + 1] = static_cast<char>((c >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<char>((c >> 16) & 0xFF);
        }
        out += row;
    }
    kesh::UniqueFile f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!f) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(f.get(), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    return ok && written == out.size();
}

}  // namespace testutil
