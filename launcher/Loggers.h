// The launcher's log sinks: the debugger output and the standard error stream, behind level
// filters, dispatched by one process-wide composite logger. There is no log file.
#pragma once
#include "LogData.h"

#include <boost/any.hpp>

#include <list>
#include <ostream>

namespace cpplog {

class outputdebug_stream;

class BaseLogger {
public:
    // True when the caller may delete the message data.
    virtual bool Deliver(LogData* data) = 0;
    virtual ~BaseLogger() = default;
};

class OstreamLogger : public BaseLogger {
public:
    explicit OstreamLogger(std::ostream* stream) : stream_(stream) {}
    bool Deliver(LogData* data) override;

protected:
    std::ostream* stream_;
};

class StdErrLogger : public OstreamLogger {
public:
    StdErrLogger();
};

class OutputDebugStringLogger : public OstreamLogger {
public:
    OutputDebugStringLogger();
    ~OutputDebugStringLogger() override;

private:
    outputdebug_stream* debugStream_;
};

class FilteringLogger : public BaseLogger {
public:
    FilteringLogger(int lowestLevel, BaseLogger* target, bool ownsTarget)
        : lowestLevel_(lowestLevel), target_(target), ownsTarget_(ownsTarget) {}
    ~FilteringLogger() override;
    FilteringLogger(const FilteringLogger&) = delete;
    FilteringLogger& operator=(const FilteringLogger&) = delete;
    bool Deliver(LogData* data) override;

private:
    int lowestLevel_;
    BaseLogger* target_;
    bool ownsTarget_;
};

class ZmFilteringLogger : public FilteringLogger {
public:
    using FilteringLogger::FilteringLogger;
};

// Both filters keep their target for the life of the process (they are never destroyed before
// it ends), so a line logged during shutdown still has somewhere to go.
class ZmStdLogger : public ZmFilteringLogger {
public:
    ZmStdLogger() : ZmFilteringLogger(LL_TRACE, new StdErrLogger, false) {}
};

class ZmDbgLogger : public ZmFilteringLogger {
public:
    ZmDbgLogger() : ZmFilteringLogger(LL_TRACE, new OutputDebugStringLogger, false) {}
};

// Named by the dispatch so a file sink could be registered; the launcher never creates one.
class ZmFileLogger : public BaseLogger {
public:
    bool Deliver(LogData*) override { return true; }
};

class ZmLogger : public BaseLogger {
public:
    ZmLogger() = default;
    ZmLogger(const ZmLogger&) = delete;
    ZmLogger& operator=(const ZmLogger&) = delete;

    void Register(ZmStdLogger* logger);
    void Register(ZmDbgLogger* logger);
    void Register(ZmFileLogger* logger);
    bool Deliver(LogData* data) override;

    bool useStd = true;
    bool useDebug = true;
    bool useFile = true;

private:
    ZmStdLogger* stdLogger_ = nullptr;
    ZmDbgLogger* dbgLogger_ = nullptr;
    ZmFileLogger* fileLogger_ = nullptr;
    std::list<boost::any> loggers_;
};

// The process-wide composite logger, built before wWinMain with the debugger sink first and the
// standard error sink second.
ZmLogger& GlobalLogger();

}  // namespace cpplog
