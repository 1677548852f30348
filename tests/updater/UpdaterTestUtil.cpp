#include "UpdaterTestUtil.h"

#include "TestUtil.h"

namespace updatertest {

namespace {
struct FindData {
    const wchar_t* cls;
    DWORD pid;
    HWND found;
};
}  // namespace

DWORD ExitCode(Proc& p, DWORD ms) {
    DWORD code = STILL_ACTIVE;
    return p.WaitExit(ms, &code) ? code : STILL_ACTIVE;
}

HWND WaitWindow(const wchar_t* cls, DWORD pid, DWORD ms, bool visibleOnly) {
    HWND found = nullptr;
    const bool seen = testutil::WaitUntil(
        [&] {
            FindData d{cls, pid, nullptr};
            EnumWindows(
                [](HWND h, LPARAM l) -> BOOL {
                    FindData* d = reinterpret_cast<FindData*>(l);
                    wchar_t name[128] = {};
                    GetClassNameW(h, name, 128);
                    DWORD owner = 0;
                    GetWindowThreadProcessId(h, &owner);
                    if (owner == d->pid && wcscmp(name, d->cls) == 0) {
                        d->found = h;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&d));
            found = d.found;
            return found != nullptr && (!visibleOnly || IsWindowVisible(found));
        },
        ms);
    return seen ? found : nullptr;
}

void Click(HWND h, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(h, WM_MOUSEMOVE, 0, at);
    PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(h, WM_LBUTTONUP, 0, at);
}

void Key(HWND h, WPARAM vk) { PostMessageW(h, WM_KEYDOWN, vk, 0); }

void AltF4(HWND h) {
    const LPARAM altDown = static_cast<LPARAM>(KF_ALTDOWN) << 16;
    PostMessageW(h, WM_SYSKEYDOWN, VK_F4, altDown | 1);
    PostMessageW(h, WM_SYSKEYUP, VK_F4, altDown | 1 | (static_cast<LPARAM>(KF_REPEAT | KF_UP) << 16));
}

bool Drain(HWND h, DWORD ms) {
    const auto seen = [h, ms](bool iconic) {
        return testutil::WaitUntil([h, iconic] { return !IsWindow(h) || (IsIconic(h) != FALSE) == iconic; }, ms) &&
               IsWindow(h);
    };
    PostMessageW(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    if (!seen(true)) return false;
    PostMessageW(h, WM_SYSCOMMAND, SC_RESTORE, 0);
    return seen(false);
}

bool WaitPainted(HWND h, DWORD ms) {
    return testutil::WaitUntil([h] { return testutil::IsPainted(h); }, ms);
}

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
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, shot.width, shot.height, screen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    shot.pixels.assign(p, p + static_cast<size_t>(shot.width) * shot.height);
    for (uint32_t& px : shot.pixels) px &= 0x00FFFFFF;
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
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
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(f, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == out.size();
}

}  // namespace updatertest
