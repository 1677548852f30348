#include "HttpTransfer.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>

namespace asio = boost::asio;
using boost::system::error_code;
using tcp = asio::ip::tcp;

HttpTransfer::HttpTransfer() : resolver_(ioc_), socket_(ioc_) {}

HttpTransfer::~HttpTransfer() {
    error_code ignored;
    socket_.close(ignored);
}

void HttpTransfer::Stop() {
    stopped_ = true;
    // The socket belongs to the owning thread: it is closed there, by a handler that wakes the
    // wait of Run, so no socket call ever races another.
    asio::post(ioc_, [this] {
        error_code ignored;
        resolver_.cancel();
        socket_.close(ignored);
    });
}

template <typename Start>
error_code HttpTransfer::Run(Start start, Clock::time_point deadline) {
    if (stopped_) return asio::error::operation_aborted;
    ioc_.restart();
    bool done = false;
    error_code result;
    start([&](const error_code& ec) {
        result = ec;
        done = true;
    });
    bool timedOut = false;
    while (!done) {
        if (stopped_ || Clock::now() >= deadline) {
            timedOut = !stopped_;
            error_code ignored;
            resolver_.cancel();
            socket_.close(ignored);
            // Closing completes the pending operation with "aborted"; run until it has.
            while (!done && ioc_.run_one() > 0) {
            }
            break;
        }
        if (deadline == NoDeadline())
            ioc_.run_one();
        else
            ioc_.run_one_until(deadline);
    }
    if (timedOut) return asio::error::timed_out;
    if (stopped_ && result) return asio::error::operation_aborted;
    return result;
}

error_code HttpTransfer::Connect(const std::string& host, Clock::time_point deadline) {
    const size_t colon = host.find(':');
    const std::string name = host.substr(0, colon);
    const std::string service = colon == std::string::npos ? "80" : host.substr(colon + 1);
    if (name.empty()) return asio::error::host_not_found;

    tcp::resolver::results_type endpoints;
    error_code ec = Run(
        [&](auto done) {
            resolver_.async_resolve(name, service,
                                    [&, done](const error_code& e, tcp::resolver::results_type r) {
                                        endpoints = std::move(r);
                                        done(e);
                                    });
        },
        deadline);
    if (ec) return ec;
    return Run(
        [&](auto done) {
            asio::async_connect(socket_, endpoints,
                                [done](const error_code& e, const tcp::endpoint&) { done(e); });
        },
        deadline);
}

error_code HttpTransfer::WriteAll(const std::string& bytes, Clock::time_point deadline) {
    return Run(
        [&](auto done) {
            asio::async_write(socket_, asio::buffer(bytes), [done](const error_code& e, size_t) { done(e); });
        },
        deadline);
}

error_code HttpTransfer::ReadSome(char* buffer, size_t capacity, size_t& got, Clock::time_point deadline) {
    got = 0;
    return Run(
        [&](auto done) {
            socket_.async_read_some(asio::buffer(buffer, capacity), [&got, done](const error_code& e, size_t n) {
                got = n;
                done(e);
            });
        },
        deadline);
}
