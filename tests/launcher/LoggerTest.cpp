// The launcher's log lines as a debugger and the standard error stream receive them.
#include "LogMessage.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string>* g_debugPieces = nullptr;

// Sees every OutputDebugStringA of this process as the exception the system raises for a
// debugger, then lets the system carry on as without one.
LONG CALLBACK CatchDebugOutput(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    if (r->ExceptionCode == DBG_PRINTEXCEPTION_C && r->NumberParameters >= 2 && g_debugPieces != nullptr) {
        const auto* text = reinterpret_cast<const char*>(r->ExceptionInformation[1]);
        g_debugPieces->emplace_back(text, static_cast<size_t>(r->ExceptionInformation[0]) - 1);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

class LoggerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_debugPieces = &pieces_;
        handler_ = AddVectoredExceptionHandler(1, CatchDebugOutput);
        oldErr_ = std::cerr.rdbuf(err_.rdbuf());
    }
    void TearDown() override {
        std::cerr.rdbuf(oldErr_);
        RemoveVectoredExceptionHandler(handler_);
        g_debugPieces = nullptr;
    }
    std::string Debug() const {
        std::string all;
        for (const auto& p : pieces_) all += p;
        return all;
    }

    std::vector<std::string> pieces_;
    std::ostringstream err_;
    std::streambuf* oldErr_ = nullptr;
    void* handler_ = nullptr;
};

TEST_F(LoggerTest, LinePrefixIsTagLevelAndUtcTimeOnBothOutputs) {
    SYSTEMTIME before;
    GetSystemTime(&before);
    CPPLOG_INFO << "class path: " << "lumora.exe";
    const std::string line = err_.str();
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m,
                                 std::regex(R"(\[ZQV\]\[I\]\[([1-9]\d{3})-([1-9]\d?)-([1-9]\d?) )"
                                            R"((0|[1-9]\d?):(0|[1-9]\d?):(0|[1-9]\d?)\] class path: lumora\.exe\n)")))
        << line;
    EXPECT_EQ(std::stoi(m[1]), before.wYear);
    EXPECT_EQ(std::stoi(m[2]), before.wMonth);
    // UTC, not local time: within a minute of the system's UTC clock.
    const int loggedMinutes = std::stoi(m[4]) * 60 + std::stoi(m[5]);
    const int nowMinutes = before.wHour * 60 + before.wMinute;
    const int apart = std::abs(loggedMinutes - nowMinutes);
    EXPECT_TRUE(apart <= 1 || apart >= 24 * 60 - 1) << apart;
    EXPECT_EQ(Debug(), line);
}

TEST_F(LoggerTest, WideTextIsWrittenNarrow) {
    cpplog::WriteWideToLog(CPPLOG_INFO << "par: ", L"room=12&x=\"y\"");
    const std::string line = err_.str();
    EXPECT_NE(line.find("] par: room=12&x=\"y\"\n"), std::string::npos) << line;
    EXPECT_EQ(line.find('\n'), line.size() - 1);
}

TEST_F(LoggerTest, LongLinesReachTheDebuggerIn256BytePieces) {
    struct Case {
        size_t text;
    };
    for (const Case c : {Case{10}, Case{200}, Case{255}, Case{600}, Case{5000}}) {
        SCOPED_TRACE(c.text);
        pieces_.clear();
        err_.str("");
        CPPLOG_INFO << std::string(c.text, 'x');
        const std::string line = err_.str();
        ASSERT_FALSE(pieces_.empty());
        for (size_t i = 0; i + 1 < pieces_.size(); ++i) EXPECT_EQ(pieces_[i].size(), 256u);
        EXPECT_LE(pieces_.back().size(), 256u);
        EXPECT_EQ(pieces_.size(), (line.size() + 255) / 256);
        EXPECT_EQ(Debug(), line);
    }
}

TEST_F(LoggerTest, TextBeyondTheBufferIsDroppedAndTheLineStillEnds) {
    struct Case {
        const char* what;
        size_t text;  // message characters after the prefix
        bool endsWithNewline;
    };
    const size_t buffer = cpplog::LogData::kBufferSize;
    // The prefix is the first line's length less the one-character message and its newline.
    CPPLOG_INFO << "x";
    const size_t prefix = err_.str().size() - 2;
    for (const Case c : {Case{"one short of full", buffer - prefix - 1, false},
                         Case{"exactly full", buffer - prefix, false},
                         Case{"far beyond", buffer + 5000, false},
                         Case{"full with its own newline", buffer - prefix, true}}) {
        SCOPED_TRACE(c.what);
        err_.str("");
        pieces_.clear();
        std::string text(c.text, 'y');
        if (c.endsWithNewline) text.back() = '\n';
        CPPLOG_INFO << text;
        const std::string line = err_.str();
        ASSERT_EQ(line.size(), std::min(prefix + c.text + 1, buffer));
        EXPECT_EQ(line.back(), '\n');
        EXPECT_EQ(line.find('\n'), line.size() - 1);
        EXPECT_EQ(line[line.size() - 2], 'y');
        EXPECT_EQ(Debug(), line);
    }
}

}  // namespace
