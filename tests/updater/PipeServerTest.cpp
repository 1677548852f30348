// The updater's own pipe, served on its second thread: what a client writes replaces the
// page-call parameter, and shutdown wakes the server without becoming a parameter itself.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "Downloader.h"
#include "TestUtil.h"
#include "UpdaterApp.h"
#include "WinHandle.h"

namespace {

using Clock = std::chrono::steady_clock;

// Connects to the server's pipe, waiting for a free instance.
HANDLE Connect() {
    const std::wstring name = CUpdaterApp::PipeName();
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
        HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) return h;
        WaitNamedPipeW(name.c_str(), 100);
        Sleep(10);
    }
    return INVALID_HANDLE_VALUE;
}

// Writes bytes in one write, as a client does. A write that fails (the server was between two
// instances) is made again on a new connection.
bool WriteToServer(const std::string& bytes) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        HANDLE h = Connect();
        if (h == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const bool ok = bytes.empty() ? PeekNamedPipe(h, nullptr, 0, nullptr, nullptr, nullptr) != 0
                                      : WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0;
        CloseHandle(h);
        if (ok) return true;
        Sleep(20);
    }
    return false;
}

// Waits until the parameter differs from before (bounded).
std::string ParamAfterChange(const std::string& before) {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline && GetPageCallParam() == before) Sleep(10);
    return GetPageCallParam();
}

class PipeServer : public testing::Test {
protected:
    void SetUp() override {
        SetPageCallParam("from-command-line");
        ASSERT_TRUE(app.StartPipeServer());
    }
    void TearDown() override {
        if (app.readerThread.get() != nullptr) app.Exit();
    }
    CUpdaterApp app;
};

TEST_F(PipeServer, TextsReplaceTheParameterAndTheLastOneWins) {
    ASSERT_TRUE(WriteToServer("page=2 user=7"));
    EXPECT_EQ(ParamAfterChange("from-command-line"), "page=2 user=7");

    // Nothing, or a text that begins with NUL, leaves the parameter as it is.
    ASSERT_TRUE(WriteToServer(""));
    ASSERT_TRUE(WriteToServer(std::string("\0ignored", 8)));
    // A marker written after them shows they were handled first.
    ASSERT_TRUE(WriteToServer("first"));
    EXPECT_EQ(ParamAfterChange("page=2 user=7"), "first");
    ASSERT_TRUE(WriteToServer(std::string("second\0tail", 11)));
    EXPECT_EQ(ParamAfterChange("first"), "second");

    // More than the server reads at once: the first 10240 bytes, no crash, server still serving.
    // (The writer's one write fails once the server has read its share and closed, so success
    // shows only in the parameter.)
    for (int attempt = 0; attempt < 20 && GetPageCallParam() == "second"; ++attempt) {
        HANDLE h = Connect();
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        const std::string big(12000, 'x');
        DWORD written = 0;
        WriteFile(h, big.data(), static_cast<DWORD>(big.size()), &written, nullptr);
        CloseHandle(h);
        Sleep(50);
    }
    EXPECT_EQ(ParamAfterChange("second"), std::string(10240, 'x'));
    ASSERT_TRUE(WriteToServer("after the long one"));
    EXPECT_EQ(ParamAfterChange(std::string(10240, 'x')), "after the long one");
}

TEST_F(PipeServer, ExitWakesTheServerWithoutChangingTheParameter) {
    ASSERT_TRUE(WriteToServer("kept"));
    ASSERT_EQ(ParamAfterChange("from-command-line"), "kept");
    const auto start = Clock::now();
    EXPECT_TRUE(app.Exit());
    // The server ends as soon as it is woken; nothing waits out a whole second after that.
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(900));
    EXPECT_EQ(app.readerThread.get(), nullptr);
    EXPECT_EQ(GetPageCallParam(), "kept");
}

TEST_F(PipeServer, ExitGivesUpOnAWriterThatNeverWrites) {
    // Connect until the connection stays up, so the server sits in its read.
    HANDLE idle = INVALID_HANDLE_VALUE;
    for (int i = 0; i < 20; ++i) {
        idle = Connect();
        ASSERT_NE(idle, INVALID_HANDLE_VALUE);
        Sleep(300);
        DWORD avail = 0;
        if (PeekNamedPipe(idle, nullptr, 0, nullptr, &avail, nullptr)) break;
        CloseHandle(idle);
        idle = INVALID_HANDLE_VALUE;
    }
    ASSERT_NE(idle, INVALID_HANDLE_VALUE);
    app.exitWakeTries = 2;
    const auto start = Clock::now();
    EXPECT_FALSE(app.Exit());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    // Once the writer goes, the server sees the stop flag and ends by itself.
    CloseHandle(idle);
    EXPECT_EQ(WaitForSingleObject(app.readerThread.get(), 5000), WAIT_OBJECT_0);
    app.readerThread.reset();
    EXPECT_EQ(GetPageCallParam(), "from-command-line");
}

// A writer can connect after the server made its instance but before it waits (a quick client,
// or one that comes while the last text is being handled): it is read like any other.
TEST(PipeServerWait, WriterThatConnectedBeforeTheWaitIsRead) {
    SetPageCallParam("from-command-line");
    CUpdaterApp app;
    kesh::UniqueFile instance(CUpdaterApp::CreateInstance());
    ASSERT_TRUE(instance);
    kesh::UniqueFile writer(
        CreateFileW(CUpdaterApp::PipeName().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);
    // The pipe keeps no bytes of its own: the write returns once the server has read them, or
    // fails once the server's end is closed.
    std::thread write([&writer] {
        DWORD written = 0;
        WriteFile(writer.get(), "page=9", 6, &written, nullptr);
    });
    EXPECT_TRUE(app.ServeInstance(instance.get()));
    instance.reset();
    write.join();
    EXPECT_EQ(GetPageCallParam(), "page=9");
}

}  // namespace
