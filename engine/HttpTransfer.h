// One TCP exchange of the download (the size probe or one part): resolve, connect, write and
// read with optional deadlines, and a Stop that another thread may call at any time to end the
// exchange as if its connection had failed.
#pragma once
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

class HttpTransfer {
public:
    using Clock = std::chrono::steady_clock;

    HttpTransfer();
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    // host is "name" or "name:port" (port 80 when absent). An empty name is refused before
    // anything is resolved: the resolver would otherwise pick this machine.
    boost::system::error_code Connect(const std::string& host, Clock::time_point deadline);
    boost::system::error_code WriteAll(const std::string& bytes, Clock::time_point deadline);
    // Reads at least one byte (got > 0) unless it fails; the end of the stream is asio's eof.
    boost::system::error_code ReadSome(char* buffer, size_t capacity, size_t& got, Clock::time_point deadline);

    // Thread-safe: cancels what the owning thread is waiting for and refuses every later step.
    void Stop();
    bool Stopped() const { return stopped_.load(); }

    static Clock::time_point NoDeadline() { return Clock::time_point::max(); }

private:
    template <typename Start>
    boost::system::error_code Run(Start start, Clock::time_point deadline);

    boost::asio::io_context ioc_;  // first member: destroyed last, after the socket
    boost::asio::ip::tcp::resolver resolver_;
    boost::asio::ip::tcp::socket socket_;
    std::atomic<bool> stopped_{false};
};
