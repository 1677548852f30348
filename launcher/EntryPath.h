// Turns a zip entry's name into a path that is safe to write under the client's folder.
#pragma once
#include <cstddef>
#include <string>
#include <unordered_set>
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

// One spelling for the names the system takes as the same: letters in either case, and parts
// whose trailing dots and blanks it drops.
std::wstring SameFileKey(const std::wstring& relative);

// The paths an archive's entries write, each spelt as SameFileKey spells it.
class ArchiveNames {
public:
    explicit ArchiveNames(const std::vector<EntryTarget>& targets);

    // True when two of the targets may be the same file or folder, or one file is another's
    // folder: such entries must be written one after another, in their order.
    bool overlap() const { return overlap_; }
    // True when the archive makes this path a folder: a folder entry, or the folder of an entry.
    bool MakesFolder(const std::wstring& relative) const;
    // The name under which a file's replacement is written before it takes the file's place:
    // relative + suffix, with a number after it when the archive writes that name itself or an
    // earlier call gave it out. The same archive always gets the same names.
    std::wstring CopyName(const std::wstring& relative, const std::wstring& suffix);

private:
    std::unordered_set<std::wstring> taken_;    // every target, every folder on the way, every copy
    std::unordered_set<std::wstring> folders_;  // folder entries and every folder on the way
    bool overlap_ = false;
};

}  // namespace lumora
