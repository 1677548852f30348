// A narrow stream whose text goes to the debugger output (OutputDebugStringA) in pieces of at
// most 256 bytes, so a debugger's fixed-size receive buffer never cuts a line.
#pragma once
#include <ostream>
#include <streambuf>

namespace cpplog {

class OutputDebugStringBuf : public std::streambuf {
public:
    static const int kAreaSize = 256;
    OutputDebugStringBuf();

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    char area_[kAreaSize];
};

class outputdebug_buf : public OutputDebugStringBuf {};

class outputdebug_stream : public std::ostream {
public:
    outputdebug_stream();
    ~outputdebug_stream() override;

private:
    outputdebug_buf* buf_;
};

}  // namespace cpplog
