// One log line of the launcher's logger, collected in a fixed buffer that never grows: the
// launcher must not allocate its way into trouble while reporting one.
#pragma once
#include <cstddef>
#include <ctime>
#include <ostream>
#include <streambuf>
#include <string>

namespace cpplog {

enum LogLevel { LL_TRACE = 0, LL_DEBUG = 1, LL_INFO = 2, LL_WARN = 3, LL_ERROR = 4, LL_FATAL = 5 };

const char* LevelLetter(int level);  // "T", "D", "I", "W", "E", "F", else "O"
const char* LevelName(int level);    // "TRACE" ... "FATAL", else "OTHER"

namespace helpers {

// A stream buffer over caller-owned memory; text beyond its end is dropped.
class fixed_streambuf : public std::streambuf {
public:
    fixed_streambuf(char* begin, std::size_t size) { setp(begin, begin + size); }
    char* begin() const { return pbase(); }
    char* writePos() const { return pptr(); }
    char* end() const { return epptr(); }
    std::size_t length() const { return static_cast<std::size_t>(pptr() - pbase()); }
};

}  // namespace helpers

struct LogData {
    static const std::size_t kBufferSize = 20000;

    LogData();
    LogData(const LogData&) = delete;
    LogData& operator=(const LogData&) = delete;

    // The spare slot after the buffer takes the terminator when the buffer is full.
    char text[kBufferSize + 1];
    helpers::fixed_streambuf streamBuf;
    std::ostream stream;
    int prefixLength = 0;
    int level = LL_INFO;
    int line = 0;
    std::string sourcePath;
    std::string fileName;
    __time64_t time = 0;
    struct tm utc {};
};

}  // namespace cpplog
