// Code-page conversions used by the configuration readers.
#pragma once
#include <cstddef>
#include <string>

// Converts code-page-936 text to UTF-16 into out (capacity characters with the terminator).
// False for null text, for text that does not fit (out is then empty) and for an empty result.
bool MbcsToWide936(const char* text, wchar_t* out, size_t capacity);

// Converts UTF-8 text to the narrow code page (kesh::NarrowCodePage) into a 512-byte buffer.
// False for null text, for text whose converted form needs more than 511 bytes (out is then
// empty) and for an empty result.
bool Utf8ToAnsi(const char* text, char out[512]);

namespace kesh {
// UTF-16 to narrow text in the given code page, and back.
std::string WideToCodePage(const std::wstring& text, unsigned codePage);
std::wstring CodePageToWide(const std::string& text, unsigned codePage);

// The code page of most of the updater's narrow texts (job fields, configuration values, the
// texts written to the client's pipe and the name of that pipe, log texts): the system's ANSI code
// page, which its narrow functions use too. Three configuration values are read as code page 936
// instead (MbcsToWide936): the program name in the language's registry key, the launch name in
// the client program's path and the cache name in the updater's own pipe name. File names never
// pass through it: a folder name it cannot hold would come back as another name.
unsigned NarrowCodePage();

// Conversions through the narrow code page.
std::wstring StringToWString(const std::string& text);
std::string WStringToString(const std::wstring& text);
}  // namespace kesh
