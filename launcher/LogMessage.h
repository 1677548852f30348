// One log statement of the launcher: a message object collects one line and hands it to the
// composite logger when the statement ends.
//   CPPLOG_INFO << "par: " ...;            narrow text
//   cpplog::WriteWideToLog(CPPLOG_INFO << "par: ", wide.c_str());
#pragma once
#include "LogData.h"

#include <ostream>
#include <string>

namespace cpplog {

class BaseLogger;

// "ZQV": the tag that starts every line.
extern const std::string g_lineTag;
// Adds "file:line" to the prefix; off in the launcher.
extern bool g_prefixSourcePosition;
// Set once a FATAL line has been delivered.
extern bool g_fatalFlushed;

class LogMessage {
public:
    LogMessage(const char* sourcePath, int line);
    virtual ~LogMessage();
    LogMessage(const LogMessage&) = delete;
    LogMessage& operator=(const LogMessage&) = delete;

    virtual void WritePrefix();
    std::ostream& getStream() { return data_->stream; }
    // Writes the prefix and returns the stream for the message text.
    std::ostream& Start() {
        WritePrefix();
        return getStream();
    }

protected:
    void Flush();

    BaseLogger* logger_;
    bool flushed_ = false;
    bool deletable_ = false;
    LogData* data_;
};

// Narrow text of a wide one in the Chinese (simplified) ANSI code page.
std::string NarrowString(const std::wstring& text);
std::ostream& WriteWideToLog(std::ostream& stream, const wchar_t* text);

}  // namespace cpplog

namespace n_log {

class CustomLogMessage : public cpplog::LogMessage {
public:
    CustomLogMessage(const char* sourcePath, int line, const char* function)
        : cpplog::LogMessage(sourcePath, line), function_(function ? function : "") {}
    // "[ZQV][I][2026-1-5 9:3:7] ": tag, level letter and the UTC time, numbers unpadded.
    void WritePrefix() override;

private:
    std::string function_;
};

}  // namespace n_log

#define CPPLOG_INFO (n_log::CustomLogMessage(__FILE__, __LINE__, __func__).Start())
