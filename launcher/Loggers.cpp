#include "Loggers.h"

#include "OutputDebugStream.h"

#include <iostream>

namespace cpplog {

bool OstreamLogger::Deliver(LogData* data) {
    char* end = data->streamBuf.writePos();
    *end = '\0';
    stream_->write(data->text, end - data->text);
    stream_->flush();
    return true;
}

StdErrLogger::StdErrLogger() : OstreamLogger(&std::cerr) {}

OutputDebugStringLogger::OutputDebugStringLogger() : OstreamLogger(nullptr), debugStream_(new outputdebug_stream) {
    stream_ = debugStream_;
}

OutputDebugStringLogger::~OutputDebugStringLogger() { delete debugStream_; }

FilteringLogger::~FilteringLogger() {
    if (ownsTarget_) delete target_;
}

bool FilteringLogger::Deliver(LogData* data) {
    if (data->level < lowestLevel_) return true;
    if (target_ == nullptr) return false;
    return target_->Deliver(data);
}

void ZmLogger::Register(ZmStdLogger* logger) {
    stdLogger_ = logger;
    loggers_.push_back(logger);
}

void ZmLogger::Register(ZmDbgLogger* logger) {
    dbgLogger_ = logger;
    loggers_.push_back(logger);
}

void ZmLogger::Register(ZmFileLogger* logger) {
    fileLogger_ = logger;
    loggers_.push_back(logger);
}

bool ZmLogger::Deliver(LogData* data) {
    bool result = true;
    try {
        for (const boost::any& entry : loggers_) {
            BaseLogger* target = nullptr;
            if (useStd && entry.type() == typeid(ZmStdLogger*)) {
                target = boost::any_cast<ZmStdLogger*>(entry);
            } else if (useDebug && entry.type() == typeid(ZmDbgLogger*)) {
                target = boost::any_cast<ZmDbgLogger*>(entry);
            } else if (useFile && entry.type() == typeid(ZmFileLogger*)) {
                target = boost::any_cast<ZmFileLogger*>(entry);
            }
            // Once a sink refuses a line, the later ones are not bothered with it.
            if (target != nullptr && result && !target->Deliver(data)) result = false;
        }
    } catch (...) {
    }
    return result;
}

namespace {

// Built during static initialisation so every log statement, whenever it runs, finds its sinks.
ZmLogger& BuildGlobalLogger() {
    static ZmLogger logger;
    logger.Register(new ZmDbgLogger);
    logger.Register(new ZmStdLogger);
    return logger;
}

}  // namespace

ZmLogger& GlobalLogger() {
    static ZmLogger& logger = BuildGlobalLogger();
    return logger;
}

namespace {
// Touch it once during start-up, before wWinMain, as the sinks are meant to exist from the start.
ZmLogger& g_startupLogger = GlobalLogger();
}  // namespace

}  // namespace cpplog
