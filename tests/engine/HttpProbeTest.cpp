// The size probe and the response header parser against the test server's answers (real
// sockets on 127.0.0.1), and the request bytes as the server received them.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "HttpDownload.h"
#include "NetTestUtil.h"

namespace {

const char* const kServer = TOLU_HTTPSERVER_DIR;

struct ProbeCase {
    const char* query;
    int64_t size;  // expected result
};

TEST(HttpProbe, SizeFromEachKindOfAnswer) {
    const std::string host = nettest::ServerHost(kServer);
    ASSERT_FALSE(host.empty()) << "test server not running";
    const ProbeCase cases[] = {
        {"size=100", 100},                   // 206 with Content-Range
        {"size=100&norange=1", 100},         // 200 with Content-Length only
        {"size=100&lower=1", 100},           // header names in lower case
        {"size=100&v10=1", 100},             // HTTP/1.0 status line
        {"size=100&trickle=1", 100},         // header one byte at a time
        {"size=100&onewrite=1", 100},        // header and body in one write
        {"size=100&nolen=1", 0},             // no length at all (X-Content-Length is not one)
        {"size=100&norange=1&nolen=1", 0},
        {"size=100&badstatus=1", 0},         // not an HTTP status line
        {"status=404", 0},
        {"status=500", 0},
        {"failfirst=1", 0},                  // 503
        {"endless=1", 0},                    // header never ends: capped
    };
    for (const ProbeCase& c : cases) {
        std::string h = host;
        std::string path = "/u.zip?id=" + nettest::TestId() + "&" + c.query;
        const std::string originalPath = path;
        DownloadState state;
        EXPECT_EQ(CHttpDownload().GetRemoteSize(h, path, state), c.size) << c.query;
        EXPECT_EQ(state.total, c.size) << c.query;
        EXPECT_EQ(h, host) << c.query;
        EXPECT_EQ(path, originalPath) << c.query;
    }
}

struct RedirectCase {
    const char* kind;
    int64_t result;
    bool moves;  // host and path rewritten
};

TEST(HttpProbe, Redirects) {
    const std::string host = nettest::ServerHost(kServer);
    ASSERT_FALSE(host.empty());
    const RedirectCase cases[] = {
        {"abs", -302, true},       // "http://127.0.0.1:<port>/u.zip?..."
        {"rel", -302, true},       // "/u.zip?...": same host
        {"chain3", -302, true},
        {"noloc", 0, false},       // no Location: a failed probe, nothing rewritten
        {"hostonly", 0, false},    // no path in the target
        {"other", 0, false},       // a scheme this client cannot speak
    };
    for (const RedirectCase& c : cases) {
        const std::string id = nettest::TestId();
        std::string h = "localhost:" + host.substr(host.find(':') + 1);
        const std::string originalHost = h;
        std::string path = "/u.zip?id=" + id + "&size=10&redir=" + c.kind;
        const std::string originalPath = path;
        DownloadState state;
        EXPECT_EQ(CHttpDownload().GetRemoteSize(h, path, state), c.result) << c.kind;
        if (!c.moves) {
            EXPECT_EQ(h, originalHost) << c.kind;
            EXPECT_EQ(path, originalPath) << c.kind;
            continue;
        }
        EXPECT_EQ(h, std::string(c.kind) == "rel" ? originalHost : host) << c.kind;
        EXPECT_EQ(path.find("/u.zip?id=" + id), 0u) << path;
        EXPECT_EQ(path.find("redir=abs"), std::string::npos) << path;
        EXPECT_EQ(path.find('\r'), std::string::npos);
    }
}

TEST(HttpProbe, SendsExactlyTheseBytes) {
    std::string host = nettest::ServerHost(kServer);
    const std::string id = nettest::TestId();
    std::string path = "/u.zip?id=" + id + "&size=5";
    DownloadState state;
    ASSERT_EQ(CHttpDownload().GetRemoteSize(host, path, state), 5);
    const auto log = nettest::ServerLog(kServer, id);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].raw, "GET " + path + " HTTP/1.1\r\nHost: " + host +
                              "\r\nAccept: */*\r\nPragma: no-cache\r\nCache-Control: no-cache\r\n"
                              "Connection: close\r\nRange: bytes=0- \r\n\r\n");
}

TEST(HttpProbe, NoHostOrNoAnswerFailsWithinTheDeadline) {
    const std::string server = nettest::ServerHost(kServer);
    CHttpDownload http;
    HttpTimings t;
    t.headerDeadlineMs = 1000;
    http.SetTimings(t);
    const std::string id = nettest::TestId();
    const std::string silent = "/u.zip?id=" + id + "&silence=20";
    // An empty name must not fall back to this machine, where the test server listens.
    for (const std::string& host : {std::string(), ":" + server.substr(server.find(':') + 1), server}) {
        std::string h = host, path = silent;
        DownloadState state;
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(http.GetRemoteSize(h, path, state), 0) << host;
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5)) << host;
    }
    // Only the last one reached the server.
    EXPECT_EQ(nettest::WaitServerLog(kServer, id, 1).size(), 1u);
}

struct HeaderCase {
    const char* header;
    bool accepted;
    int32_t status, total, rangeStart;
    const char* location;
};

TEST(HttpHeader, Parsing) {
    const HeaderCase cases[] = {
        {"HTTP/1.1 206 Partial\r\nContent-Range: bytes 0-99/100", true, 206, 100, 0, ""},
        {"HTTP/1.1 206 Partial\r\ncontent-range: BYTES 350-999/1000\r\nContent-Length: 650", true, 206, 650, 350, ""},
        {"HTTP/1.1 206 P\r\nContent-Length: 650\r\nContent-Range: bytes 350-999/1000", true, 206, 1000, 350, ""},
        {"HTTP/1.0 200 OK\r\nCONTENT-LENGTH:   100", true, 200, 100, 0, ""},
        {"HTTP/1.1 200 OK\r\nX-Content-Length: 100", true, 200, 0, 0, ""},
        {"HTTP/1.1 200 OK\r\n Content-Length: 100", true, 200, 0, 0, ""},  // not at the line start
        // Numbers that do not fit a size are unusable, never wrapped.
        {"HTTP/1.1 200 OK\r\nContent-Length: 2147483647", true, 200, 2147483647, 0, ""},
        {"HTTP/1.1 200 OK\r\nContent-Length: 2147483648", true, 200, -1, 0, ""},
        {"HTTP/1.1 200 OK\r\nContent-Length: 18446744073709551617", true, 200, -1, 0, ""},
        {"HTTP/1.1 206 P\r\nContent-Range: bytes 0-1/4294967396", true, 206, -1, 0, ""},
        {"HTTP/1.1 200 OK\r\nContent-Length: -5", true, 200, 0, 0, ""},
        {"HTTP/1.1 302 Found\r\nLocation: http://h:8080/a/b.zip\r\nContent-Length: 0", false, 302, 0, 0,
         "http://h:8080/a/b.zip"},
        {"HTTP/1.1 416 No\r\nContent-Range: bytes */1000", false, 416, 1000, 0, ""},
        {"HTTP/1.1 404 Not Found", false, 404, 0, 0, ""},
        {"HTPP/1.1 200 OK\r\nContent-Length: 5", false, 200, 5, 0, ""},
        {"garbage", false, -1, 0, 0, ""},
        {"", false, -1, 0, 0, ""},
        // Lines after an empty one are not header lines.
        {"HTTP/1.1 200 OK\n\nContent-Length: 5", true, 200, 0, 0, ""},
    };
    for (const HeaderCase& c : cases) {
        std::string text = std::string(c.header) + "\r\n\r\nBODY";
        HttpResponseInfo r;
        EXPECT_EQ(CHttpDownload::ParseResponseHeader(r, text, text.size() - 8), c.accepted) << c.header;
        EXPECT_EQ(r.status, c.status) << c.header;
        EXPECT_EQ(r.total, c.total) << c.header;
        EXPECT_EQ(r.rangeStart, c.rangeStart) << c.header;
        EXPECT_EQ(r.location, c.location) << c.header;
        EXPECT_EQ(text, c.accepted ? "BODY" : std::string(c.header) + "\r\n\r\nBODY") << c.header;
    }
}

}  // namespace
