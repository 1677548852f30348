#include "EntryPath.h"

#include <windows.h>

#include <cwctype>
#include <unordered_set>
#include <vector>

namespace lumora {

namespace {

// Names the system opens as devices in any folder, with or without an extension.
bool IsDeviceName(const std::wstring& part) {
    std::wstring stem = part.substr(0, part.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    for (wchar_t& c : stem) c = static_cast<wchar_t>(std::towupper(c));
    static const wchar_t* const kPlain[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* d : kPlain) {
        if (stem == d) return true;
    }
    if (stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0)) {
        const wchar_t digit = stem[3];
        if ((digit >= L'0' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3) return true;
    }
    return false;
}

bool IsSafePart(const std::wstring& part) {
    if (part.empty()) return false;
    // The system drops trailing dots and blanks, so ". ." would still climb.
    if (part.find_first_not_of(L". ") == std::wstring::npos) return false;
    for (wchar_t c : part) {
        if (c < 0x20 || c == 0x7F) return false;
        if (c == L':' || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*') return false;
    }
    return !IsDeviceName(part);
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() &&
           CompareStringOrdinal(text.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring SameFileKey(const std::wstring& relative) {
    std::wstring key;
    size_t start = 0;
    for (;;) {
        const size_t sep = relative.find(L'\\', start);
        std::wstring part = relative.substr(start, sep == std::wstring::npos ? std::wstring::npos : sep - start);
        while (!part.empty() && (part.back() == L'.' || part.back() == L' ')) part.pop_back();
        if (start > 0) key += L'\\';
        key += part;
        if (sep == std::wstring::npos) break;
        start = sep + 1;
    }
    if (!key.empty()) CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

ArchiveNames::ArchiveNames(const std::vector<EntryTarget>& targets) {
    std::vector<std::wstring> files;
    for (const EntryTarget& t : targets) {
        // A short name (PROGRA~1) may stand for any long one: no spelling shows which.
        if (t.relative.find(L'~') != std::wstring::npos) overlap_ = true;
        std::wstring key = SameFileKey(t.relative);
        for (size_t cut = key.find(L'\\'); cut != std::wstring::npos; cut = key.find(L'\\', cut + 1))
            folders_.insert(key.substr(0, cut));
        if (!taken_.insert(key).second) overlap_ = true;
        if (t.directory)
            folders_.insert(std::move(key));
        else
            files.push_back(std::move(key));
    }
    for (const std::wstring& file : files) {
        if (folders_.count(file) != 0) overlap_ = true;
    }
    taken_.insert(folders_.begin(), folders_.end());
}

bool ArchiveNames::MakesFolder(const std::wstring& relative) const {
    return folders_.count(SameFileKey(relative)) != 0;
}

std::wstring ArchiveNames::CopyName(const std::wstring& relative, const std::wstring& suffix) {
    std::wstring name = relative + suffix;
    std::wstring key = SameFileKey(name);
    for (unsigned n = 2; taken_.count(key) != 0; ++n) {
        name = relative + suffix + std::to_wstring(n);
        key = SameFileKey(name);
    }
    taken_.insert(std::move(key));
    return name;
}

bool SafeEntryPath(const std::wstring& root, const std::wstring& name, bool directory, std::size_t reserve,
                   std::wstring& relative) {
    std::wstring rest = name;
    if (directory && !rest.empty() && (rest.back() == L'/' || rest.back() == L'\\')) rest.pop_back();

    std::wstring joined;
    size_t start = 0;
    for (;;) {
        const size_t sep = rest.find_first_of(L"/\\", start);
        const std::wstring part = rest.substr(start, sep == std::wstring::npos ? std::wstring::npos : sep - start);
        if (!IsSafePart(part)) return false;
        if (!joined.empty()) joined += L'\\';
        joined += part;
        if (sep == std::wstring::npos) break;
        start = sep + 1;
    }
    if (root.empty() || root.size() + joined.size() + reserve >= MAX_PATH) return false;

    // Last line of defence: the system's own reading of the path must stay under the root.
    const std::wstring full = root + joined;
    wchar_t resolved[MAX_PATH];
    const DWORD n = GetFullPathNameW(full.c_str(), MAX_PATH, resolved, nullptr);
    if (n == 0 || n >= MAX_PATH) return false;
    const std::wstring resolvedPath(resolved, n);
    if (!StartsWithNoCase(resolvedPath, root) || resolvedPath.size() <= root.size()) return false;
    relative = joined;
    return true;
}

}  // namespace lumora
