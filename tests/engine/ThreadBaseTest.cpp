// The owned thread's idle event: a waiter started right after Start must always be released,
// however quickly the run ends.
#include <gtest/gtest.h>

#include <atomic>

#include "ThreadBase.h"
#include "WinHandle.h"

namespace {

class Quick : public ThreadBase {
public:
    void Run() override { ++runs; }
    std::atomic<int> runs{0};
};

TEST(ThreadBase, IdleEventFollowsEveryRun) {
    for (int i = 0; i < 200; ++i) {
        Quick q;
        EXPECT_EQ(WaitForSingleObject(q.IdleEvent(), 0), WAIT_OBJECT_0);  // idle before any start
        ASSERT_TRUE(q.Start());
        ASSERT_EQ(WaitForSingleObject(q.IdleEvent(), 5000), WAIT_OBJECT_0) << "start " << i;
        EXPECT_EQ(q.runs.load(), 1);
    }
}

}  // namespace

// A run that holds on until the test lets it go, then records that it reached its end.
class Held : public ThreadBase {
public:
    ~Held() override {
        SetEvent(release.get());
        Join(INFINITE);
    }
    void Run() override {
        WaitForSingleObject(release.get(), INFINITE);
        finished = true;
    }
    kesh::UniqueHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> finished{false};
};

TEST(ThreadBase, ARunPastItsBoundIsNeverEndedByForce) {
    Held h;
    EXPECT_TRUE(h.Join(0));  // never started
    ASSERT_TRUE(h.Start());
    EXPECT_FALSE(h.Join(200));  // the owner learns that it still runs ...
    SetEvent(h.release.get());
    EXPECT_TRUE(h.Join(5000));  // ... and the run is still whole: it reaches its end
    EXPECT_TRUE(h.finished.load());
}
