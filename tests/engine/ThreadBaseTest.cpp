// The owned thread's idle event: a waiter started right after Start must always be released,
// however quickly the run ends.
#include <gtest/gtest.h>

#include <atomic>

#include "ThreadBase.h"

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
