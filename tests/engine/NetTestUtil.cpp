#include "NetTestUtil.h"

#include <gtest/gtest.h>

#include "Md5.h"
#include "ModuleDir.h"
#include "TestUtil.h"

namespace nettest {

namespace {

// The decoded text of a JSON string field ("name": "..."), or the raw number of a number field.
std::string JsonField(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\": ";
    size_t at = line.find(key);
    if (at == std::string::npos) return std::string();
    at += key.size();
    std::string out;
    if (line[at] != '"') {
        while (at < line.size() && line[at] != ',' && line[at] != '}') out += line[at++];
        return out;
    }
    for (++at; at < line.size() && line[at] != '"'; ++at) {
        if (line[at] != '\\' || at + 1 >= line.size()) {
            out += line[at];
            continue;
        }
        const char e = line[++at];
        if (e == 'r') out += '\r';
        else if (e == 'n') out += '\n';
        else if (e == 't') out += '\t';
        else if (e == 'u' && at + 4 < line.size()) {
            out += static_cast<char>(std::stoi(line.substr(at + 1, 4), nullptr, 16));
            at += 4;
        } else out += e;
    }
    return out;
}

}  // namespace

std::wstring UnixToWindows(const std::string& unixPath) {
    std::wstring w = L"Z:" + testutil::Widen(unixPath);
    for (wchar_t& c : w)
        if (c == L'/') c = L'\\';
    return w;
}

std::string FixtureText(const char* unixDir, const char* name) {
    std::string text;
    if (!testutil::ReadBytes(UnixToWindows(std::string(unixDir) + "/" + name), text)) return std::string();
    const size_t end = text.find_first_of("\r\n");
    return end == std::string::npos ? text : text.substr(0, end);
}

std::string ServerHost(const char* unixDir) {
    const std::string port = FixtureText(unixDir, "port");
    return port.empty() ? std::string() : "127.0.0.1:" + port;
}

std::string TestId() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "-" + info->name() + "-" + std::to_string(GetCurrentProcessId()) +
           "-" + std::to_string(GetTickCount());
}

std::vector<LoggedRequest> ServerLog(const char* unixDir, const std::string& id) {
    std::vector<LoggedRequest> out;
    std::string text;
    if (!testutil::ReadBytes(UnixToWindows(std::string(unixDir) + "/log/" + id + ".log"), text)) return out;
    size_t at = 0;
    while (at < text.size()) {
        size_t nl = text.find('\n', at);
        if (nl == std::string::npos) nl = text.size();
        const std::string line = text.substr(at, nl - at);
        at = nl + 1;
        if (line.empty()) continue;
        LoggedRequest r;
        r.conn = std::atoi(JsonField(line, "conn").c_str());
        r.status = std::atoi(JsonField(line, "status").c_str());
        r.sent = std::atoll(JsonField(line, "sent").c_str());
        r.request = JsonField(line, "request");
        r.range = JsonField(line, "range");
        r.raw = JsonField(line, "raw");
        r.end = JsonField(line, "end");
        out.push_back(r);
    }
    return out;
}

std::vector<LoggedRequest> WaitServerLog(const char* unixDir, const std::string& id, size_t count,
                                         DWORD timeoutMs) {
    const DWORD t0 = GetTickCount();
    for (;;) {
        std::vector<LoggedRequest> log = ServerLog(unixDir, id);
        if (log.size() >= count || GetTickCount() - t0 > timeoutMs) return log;
        Sleep(50);
    }
}

std::wstring UpdaterFile(const wchar_t* name) { return GetModuleDir() + name; }

void RemoveDownloadFiles() {
    for (const wchar_t* name : {L"update.td0", L"update.td1", L"update.td2", L"update.td3", L"update.td",
                                L"update.zip"})
        DeleteFileW(UpdaterFile(name).c_str());
}

std::string Md5Hex(const std::string& bytes) {
    MD5_CTX ctx;
    ctx.MD5Update(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
    unsigned char d[16];
    ctx.MD5Final(d);
    char hex[33];
    MD5_CTX::ToHex(d, hex);
    return hex;
}

}  // namespace nettest
