// ui_core_bench xml BYTES | zip ENTRIES: prints the milliseconds that parsing a layout document
// of BYTES bytes (and visiting every element's attributes) or 1,000 look-ups with extraction in
// a skin zip of ENTRIES entries take.
#include <windows.h>

#include <zlib.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "XmlReader.h"
#include "ZipReader.h"

using namespace Veneer;

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

std::string Layout(size_t bytes) {
    std::string s = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window size=\"640,480\">\n<VerticalLayout>\n";
    for (int i = 0; s.size() + 300 < bytes; ++i) {
        s += " <HorizontalLayout height=\"24\" padding=\"1,2,3,4\"><Label name=\"l" + std::to_string(i) +
             "\" text=\"row &amp; &lt;" + std::to_string(i) +
             "&gt;\" textcolor=\"#FF102030\"/><Button text=\"go\" bkimage=\"file='b.png' corner='2,2,2,2'\" /></HorizontalLayout>\n";
    }
    s += "</VerticalLayout>\n</Window>\n";
    s.resize(bytes, ' ');
    return s;
}

int Visit(CXmlNode node) {
    int count = 0;
    for (; node.IsValid(); node = node.GetSibling()) {
        count += 1 + node.GetAttributeCount();
        if (node.HasChildren()) count += Visit(node.GetChild());
    }
    return count;
}

void Add16(std::string& s, unsigned v) { s += static_cast<char>(v & 0xFF), s += static_cast<char>(v >> 8); }
void Add32(std::string& s, unsigned v) { Add16(s, v & 0xFFFF), Add16(s, v >> 16); }

// A skin-like archive: ENTRIES small stored entries.
std::string SkinZip(int entries) {
    std::string body, dir;
    for (int i = 0; i < entries; ++i) {
        char name[64];
        snprintf(name, sizeof(name), "skin/images/item_%05d.png", i);
        const std::string data(64 + i % 64, static_cast<char>('a' + i % 26));
        const unsigned crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
        const unsigned offset = static_cast<unsigned>(body.size());
        const unsigned n = static_cast<unsigned>(strlen(name)), size = static_cast<unsigned>(data.size());
        Add32(body, 0x04034B50), Add16(body, 10), Add16(body, 0), Add16(body, 0), Add32(body, 0), Add32(body, crc);
        Add32(body, size), Add32(body, size), Add16(body, n), Add16(body, 0);
        body += name + data;
        Add32(dir, 0x02014B50), Add16(dir, 10), Add16(dir, 10), Add16(dir, 0), Add16(dir, 0), Add32(dir, 0);
        Add32(dir, crc), Add32(dir, size), Add32(dir, size), Add16(dir, n), Add16(dir, 0), Add16(dir, 0);
        Add16(dir, 0), Add16(dir, 0), Add32(dir, 0x01800000), Add32(dir, offset);
        dir += name;
    }
    std::string zip = body + dir;
    Add32(zip, 0x06054B50), Add16(zip, 0), Add16(zip, 0), Add16(zip, entries), Add16(zip, entries);
    Add32(zip, static_cast<unsigned>(dir.size())), Add32(zip, static_cast<unsigned>(body.size())), Add16(zip, 0);
    return zip;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: ui_core_bench xml BYTES | zip ENTRIES\n");
        return 2;
    }
    const long n = wcstol(argv[2], nullptr, 10);
    if (wcscmp(argv[1], L"xml") == 0) {
        const std::string doc = Layout(static_cast<size_t>(n));
        const double start = Now();
        CXmlReader reader;
        if (!reader.LoadXmlBuffer(reinterpret_cast<const BYTE*>(doc.data()), static_cast<DWORD>(doc.size()))) return 1;
        const int visited = Visit(reader.GetRoot());
        printf("%.1f\n", Now() - start);
        return visited > 0 ? 0 : 1;
    }
    if (wcscmp(argv[1], L"zip") == 0) {
        const std::string zip = SkinZip(static_cast<int>(n));
        const double start = Now();
        TZipArchive* archive = OpenZipArchive(zip.data(), static_cast<DWORD>(zip.size()), kZipFromMemory);
        if (archive == nullptr) return 1;
        char buffer[256];
        int found = 0;
        for (int i = 0; i < 1000; ++i) {
            wchar_t name[64];
            // Spread over the whole archive, in an order unlike the stored one.
            swprintf(name, 64, L"Skin\\Images\\ITEM_%05d.png", static_cast<int>((i * 7919L) % n));
            int index = -1;
            TZipEntryInfo info;
            if (FindZipEntry(archive, name, true, &index, &info) != kZipOk) continue;
            const int rc = ExtractZipEntry(archive, index, buffer, info.uncompressedSize, kZipToMemory);
            if (rc == kZipOk || rc == kZipMoreData) ++found;
        }
        CloseZipArchive(archive);
        printf("%.1f\n", Now() - start);
        return found == 1000 ? 0 : 1;
    }
    return 2;
}
