// Splits the updater's command line, a run of -key=value items, into a key -> value map.
#pragma once
#include <map>
#include <string>

class CCmdLineParser {
public:
    using ValueMap = std::map<std::wstring, std::wstring>;

    explicit CCmdLineParser(const wchar_t* cmdLine = nullptr);
    virtual ~CCmdLineParser() = default;

    // Stores text and fills the map anew; null text leaves everything as it is.
    void Parse(const wchar_t* text);

    // The entry of key, or End() when the key is absent.
    ValueMap::const_iterator GetVal(const std::wstring& key) const;
    ValueMap::const_iterator End() const { return values_.end(); }

    // The value of key, or an empty text when it is absent.
    std::wstring Value(const std::wstring& key) const;

private:
    void Insert(std::wstring key, std::wstring value);
    std::wstring Fold(std::wstring key) const;

    std::wstring cmdLine_;
    ValueMap values_;
    bool caseSensitive = false;
};
