// Turns a zip entry's name into a path that is safe to write under the client's folder.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace lumora {

// root: the extraction folder with its trailing backslash. On success, relative is the entry's
// path under root with backslashes (a folder entry without its trailing one). Refused: empty,
// "." / ".." / dots-only parts, ':' (drives and streams), control characters, <>"|?*, device
// names, and paths that would not fit MAX_PATH with `reserve` characters appended.
bool SafeEntryPath(const std::wstring& root, const std::wstring& name, bool directory, std::size_t reserve,
                   std::wstring& relative);

// A path under the root, from SafeEntryPath, and whether it names a folder.
struct EntryTarget {
    std::wstring relative;
    bool directory = false;
};

// True when two of the targets may be the same file or folder, or one file is another's folder:
// such entries must be written one after another, in their order.
bool EntryTargetsOverlap(const std::vector<EntryTarget>& targets);

}  // namespace lumora
