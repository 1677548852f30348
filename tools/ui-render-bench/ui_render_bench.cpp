// ui_render_bench png N | markup N | plain N: prints the milliseconds that N images (decoded
// from PNG files and drawn nine-grid) or a paragraph of N marked-up or plain phrases (laid out
// and drawn) take.
#include <windows.h>

#include <zlib.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "Renderer.h"
#include "WindowManagerUI.h"

using Veneer::CRenderer;
using Veneer::CWindowManagerUI;

namespace {

void Put32(std::string& s, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>(v >> shift);
}

void Chunk(std::string& png, const char* type, const std::string& data) {
    Put32(png, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    png += body;
    Put32(png, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                           static_cast<uInt>(body.size()))));
}

// A 96 x 96 translucent gradient, different for every seed.
std::string MakePng(int seed) {
    const int w = 96, h = 96;
    std::string raw;
    for (int y = 0; y < h; ++y) {
        raw += '\0';
        for (int x = 0; x < w; ++x) {
            raw += static_cast<char>(x * 2 + seed);
            raw += static_cast<char>(y * 2);
            raw += static_cast<char>((x + y + seed) & 0xFF);
            raw += static_cast<char>(128 + ((x * y) & 127));
        }
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    packed.resize(size);
    std::string png("\x89PNG\r\n\x1a\n", 8), ihdr;
    Put32(ihdr, w);
    Put32(ihdr, h);
    ihdr += std::string("\x08\x06\x00\x00\x00", 5);
    Chunk(png, "IHDR", ihdr);
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", "");
    return png;
}

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

struct Surface {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = nullptr;
    explicit Surface(int w, int h) {
        uint32_t* bits = nullptr;
        bmp = Veneer::CreateTopDownDib(w, h, &bits);
        SelectObject(dc, bmp);
    }
    ~Surface() {
        DeleteDC(dc);
        DeleteObject(bmp);
    }
};

int BenchPng(int n) {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    std::wstring dir = std::wstring(tmp) + L"ui-render-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    std::vector<std::wstring> files;
    for (int i = 0; i < n; ++i) {
        std::wstring path = dir + L"\\img" + std::to_wstring(i) + L".png";
        std::string bytes = MakePng(i);
        HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(f);
        files.push_back(path);
    }
    Surface s(300, 200);
    const RECT dest = {0, 0, 300, 200}, source = {0, 0, 96, 96}, corner = {8, 8, 8, 8};
    const double start = Now();
    for (const std::wstring& path : files) {
        Veneer::TImageData* img = CRenderer::LoadImage(path.c_str());
        if (img == nullptr) return 1;
        CRenderer::DrawImage(s.dc, img->bitmap, dest, dest, source, corner, img->alpha);
        CRenderer::ReleaseImage(img, true);
    }
    GdiFlush();
    const double ms = Now() - start;
    for (const std::wstring& path : files) DeleteFileW(path.c_str());
    RemoveDirectoryW(dir.c_str());
    std::printf("%.3f\n", ms);
    return 0;
}

// A paragraph of n phrases, marked up or (plain) one long run of words without a tag.
int BenchMarkup(int n, bool plain) {
    CWindowManagerUI mgr;
    mgr.SetDefaultFont(L"Tahoma", 13, false, false, false);
    std::wstring text;
    for (int i = 0; i < n; ++i)
        text += plain ? L"Plain words that run on and on without a single tag among them "
                      : L"Plain words <b>bold</b> {c #FF2040}coloured{/c} <i>leaning</i> {a page}a link{/a} ";
    Surface s(400, 300);
    RECT rc = {0, 0, 400, 0x3FFFFFFF};
    Veneer::CUIString texts[8];
    RECT links[8] = {};
    int count = 8;
    const double start = Now();
    CRenderer::DrawMarkupText(s.dc, &mgr, rc, text.c_str(), 0xFF000000, links, texts, count,
                              DT_WORDBREAK | DT_CALCRECT);
    RECT drawRc = {0, 0, 400, 0x3FFFFFFF};
    count = 8;
    CRenderer::DrawMarkupText(s.dc, &mgr, drawRc, text.c_str(), 0xFF000000, links, texts, count,
                              DT_WORDBREAK);
    GdiFlush();
    const double ms = Now() - start;
    if (rc.bottom <= 0) return 1;
    std::printf("%.3f\n", ms);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ui_render_bench png|markup|plain N\n");
        return 2;
    }
    const int n = _wtoi(argv[2]);
    if (wcscmp(argv[1], L"png") == 0) return BenchPng(n);
    if (wcscmp(argv[1], L"markup") == 0) return BenchMarkup(n, false);
    if (wcscmp(argv[1], L"plain") == 0) return BenchMarkup(n, true);
    return 2;
}
