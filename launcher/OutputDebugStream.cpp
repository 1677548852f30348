#include "OutputDebugStream.h"

#include <windows.h>

#include <string>

namespace cpplog {

OutputDebugStringBuf::OutputDebugStringBuf() { setp(area_, area_ + kAreaSize); }

OutputDebugStringBuf::int_type OutputDebugStringBuf::overflow(int_type c) {
    // The area is full: send it first, then the character starts the next piece.
    if (sync() == -1) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int OutputDebugStringBuf::sync() {
    try {
        if (pptr() > pbase()) {
            const std::string piece(pbase(), pptr());
            OutputDebugStringA(piece.c_str());
        }
        setp(area_, area_ + kAreaSize);
        return 0;
    } catch (...) {
        return -1;
    }
}

outputdebug_stream::outputdebug_stream() : std::ostream(nullptr), buf_(new outputdebug_buf) { rdbuf(buf_); }

outputdebug_stream::~outputdebug_stream() {
    flush();
    rdbuf(nullptr);
    delete buf_;
}

}  // namespace cpplog
