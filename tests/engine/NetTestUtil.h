// Helpers of the download tests: the test server's content and the file names of a download.
#pragma once
#include <cstddef>
#include <string>

namespace nettest {

// The bytes the test server sends for a resource of this size and seed; the same formula lives
// in tools/httpserver/server.py. The slow term (i >> 9) makes every 512-byte stretch differ, so
// bytes joined at a wrong offset never pass for the right ones.
inline std::string Pattern(size_t size, unsigned seed) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + seed + (i >> 9)) & 0xff);
    return s;
}

}  // namespace nettest
