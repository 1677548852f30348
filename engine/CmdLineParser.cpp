#include "CmdLineParser.h"

#include <windows.h>

CCmdLineParser::CCmdLineParser(const wchar_t* cmdLine) {
    if (cmdLine != nullptr) Parse(cmdLine);
}

std::wstring CCmdLineParser::Fold(std::wstring key) const {
    if (!caseSensitive && !key.empty()) CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

void CCmdLineParser::Insert(std::wstring key, std::wstring value) {
    if (key.empty()) return;
    // emplace keeps an existing entry: the first value of a repeated key wins.
    values_.emplace(Fold(std::move(key)), std::move(value));
}

void CCmdLineParser::Parse(const wchar_t* text) {
    if (text == nullptr) return;
    cmdLine_ = text;
    values_.clear();
    const std::wstring& s = cmdLine_;
    const size_t npos = std::wstring::npos;

    size_t p = 0;
    while (p < s.size()) {
        const size_t dash = s.find(L'-', p);
        if (dash == npos || dash + 1 == s.size()) return;
        // The '=' search runs across blanks and further dashes on purpose: "-a -b=1" is one key.
        const size_t eq = s.find(L'=', dash + 1);
        if (eq == npos) {
            Insert(s.substr(dash + 1), std::wstring());
            return;
        }
        std::wstring key = s.substr(dash + 1, eq - dash - 1);
        if (eq + 1 == s.size()) {
            Insert(std::move(key), std::wstring());
            return;
        }
        size_t start = eq + 1;
        wchar_t stop = L' ';
        if (s[start] == L'"') {
            ++start;
            stop = L'"';
        }
        const size_t end = s.find(stop, start);
        if (end == npos) {
            Insert(std::move(key), s.substr(start));
            return;
        }
        Insert(std::move(key), s.substr(start, end - start));
        p = end + 1;
    }
}

CCmdLineParser::ValueMap::const_iterator CCmdLineParser::GetVal(const std::wstring& key) const {
    return values_.find(Fold(key));
}

std::wstring CCmdLineParser::Value(const std::wstring& key) const {
    const auto it = GetVal(key);
    return it == values_.end() ? std::wstring() : it->second;
}
