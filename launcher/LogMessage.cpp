#include "LogMessage.h"

#include "Loggers.h"

#include <clocale>
#include <cstdlib>
#include <iomanip>
#include <sstream>
#include <vector>

namespace cpplog {

const std::string g_lineTag = "ZQV";
bool g_prefixSourcePosition = false;
bool g_fatalFlushed = false;

const char* LevelLetter(int level) {
    static const char* const kLetters[] = {"T", "D", "I", "W", "E", "F"};
    return level >= LL_TRACE && level <= LL_FATAL ? kLetters[level] : "O";
}

const char* LevelName(int level) {
    static const char* const kNames[] = {"TRACE", "DEBUG", "INFO", "WARN", "ERROR", "FATAL"};
    return level >= LL_TRACE && level <= LL_FATAL ? kNames[level] : "OTHER";
}

LogData::LogData() : streamBuf(text, kBufferSize), stream(&streamBuf) { text[0] = text[kBufferSize] = '\0'; }

LogMessage::LogMessage(const char* sourcePath, int line) : logger_(&GlobalLogger()), data_(new LogData) {
    data_->sourcePath = sourcePath ? sourcePath : "";
    const std::string& path = data_->sourcePath;
    size_t cut = path.rfind('/');
    if (cut == std::string::npos) cut = path.rfind('\\');
    data_->fileName = cut == std::string::npos ? path : path.substr(cut + 1);
    data_->line = line;
    data_->time = _time64(nullptr);
    _gmtime64_s(&data_->utc, &data_->time);
}

LogMessage::~LogMessage() {
    Flush();
    if (deletable_) delete data_;
}

void LogMessage::WritePrefix() {
    std::ostringstream prefix;
    prefix << std::left << std::setw(5) << LevelName(data_->level) << " - " << data_->fileName << "(" << data_->line
           << "): ";
    const std::string text = prefix.str();
    data_->stream << text;
    data_->prefixLength = static_cast<int>(text.size());
}

void LogMessage::Flush() {
    if (flushed_) return;
    // Every line ends in a newline; a full buffer gives up its last byte for it.
    const size_t length = data_->streamBuf.length();
    if (length == 0 || data_->text[length - 1] != '\n') {
        if (length < LogData::kBufferSize) {
            data_->stream.put('\n');
        } else {
            data_->text[LogData::kBufferSize - 1] = '\n';
        }
    }
    deletable_ = logger_->Deliver(data_);
    flushed_ = true;
    if (data_->level == LL_FATAL) g_fatalFlushed = true;
}

std::string NarrowString(const std::wstring& text) {
    const char* current = setlocale(LC_ALL, nullptr);
    const std::string previous = current ? current : "C";
    setlocale(LC_ALL, "chs");
    std::vector<char> buffer(2 * text.size() + 1, '\0');
    size_t converted = 0;
    wcstombs_s(&converted, buffer.data(), buffer.size(), text.c_str(), buffer.size() - 1);
    setlocale(LC_ALL, previous.c_str());
    return std::string(buffer.data());
}

std::ostream& WriteWideToLog(std::ostream& stream, const wchar_t* text) {
    return stream << NarrowString(text ? text : L"");
}

}  // namespace cpplog

namespace n_log {

void CustomLogMessage::WritePrefix() {
    std::ostringstream prefix;
    prefix << "[" << cpplog::g_lineTag;
    if (cpplog::g_prefixSourcePosition) prefix << "][" << data_->fileName << ":" << data_->line;
    const struct tm& t = data_->utc;
    prefix << "][" << cpplog::LevelLetter(data_->level) << "][" << (t.tm_year + 1900) << "-" << (t.tm_mon + 1) << "-"
           << t.tm_mday << " " << t.tm_hour << ":" << t.tm_min << ":" << t.tm_sec << "] ";
    const std::string text = prefix.str();
    data_->stream << text;
    data_->prefixLength = static_cast<int>(text.size());
}

}  // namespace n_log
