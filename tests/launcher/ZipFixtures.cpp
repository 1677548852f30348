#include "ZipFixtures.h"

#include "TestUtil.h"

namespace launchertest {

std::wstring ZipPath(const std::wstring& name) {
    // Wine shows the Unix root as drive Z:.
    std::wstring dir = L"Z:" + testutil::Widen(LAUNCHER_ZIPS_DIR);
    for (wchar_t& c : dir) {
        if (c == L'/') c = L'\\';
    }
    return dir + L"\\" + name;
}

std::string Body(const std::string& utf8Name, int repeat) {
    std::string one = "content of " + utf8Name + "\n";
    std::string all;
    for (int i = 0; i < repeat; ++i) all += one;
    return all;
}

std::map<std::wstring, std::string> BasicZipTree() {
    std::string deep;
    for (int r = 0; r < 300; ++r)
        for (int i = 0; i < 256; ++i) deep += static_cast<char>(i);
    return {
        {L"top.txt", Body("top.txt")},
        {L"deflated.txt", Body("deflated.txt", 500)},
        {L"empty.txt", ""},
        {L"empty-stored.txt", ""},
        {L"dir", "<dir>"},
        {L"dir\\sub", "<dir>"},
        {L"dir\\sub\\deep.bin", deep},
        {L"中文目录", "<dir>"},
        {L"中文目录\\文件.txt", Body(testutil::Narrow(L"中文目录/文件.txt"))},
    };
}

FILETIME UnixTime(long long seconds) {
    const unsigned long long ticks = static_cast<unsigned long long>(seconds + 11644473600LL) * 10000000ULL;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

FILETIME DosTime(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    FILETIME local{}, utc{};
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

namespace {
void Walk(const std::wstring& base, const std::wstring& rel, std::map<std::wstring, std::string>& out) {
    WIN32_FIND_DATAW fd;
    const std::wstring here = rel.empty() ? base : base + L"\\" + rel;
    HANDLE h = FindFirstFileW((here + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = rel.empty() ? name : rel + L"\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[child] = "<dir>";
            Walk(base, child, out);
        } else {
            testutil::ReadBytes(base + L"\\" + child, out[child]);
        }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}
}  // namespace

std::map<std::wstring, std::string> ListTree(const std::wstring& folder) {
    std::map<std::wstring, std::string> out;
    Walk(folder, L"", out);
    return out;
}

}  // namespace launchertest
