// The owned thread's idle event: a waiter started right after Start must always be released,
// however quickly the run ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>

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
    EXPECT_FALSE(h.Start());    // one run per object: a second start changes nothing
    EXPECT_FALSE(h.Join(200));  // the owner learns that it still runs ...
    EXPECT_EQ(WaitForSingleObject(h.IdleEvent(), 0), WAIT_TIMEOUT);
    SetEvent(h.release.get());
    EXPECT_TRUE(h.Join(5000));  // ... and the run is still whole: it reaches its end
    EXPECT_TRUE(h.finished.load());
    EXPECT_FALSE(h.Start());  // nor after the run: the object stays idle for every waiter
    EXPECT_EQ(WaitForSingleObject(h.IdleEvent(), 0), WAIT_OBJECT_0);
}

namespace {

// A run that goes on well past the destructor's bound, using nothing of its object meanwhile.
kesh::UniqueHandle g_slowStarted{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
std::atomic<bool> g_slowFinished{false};
class Slow : public ThreadBase {
public:
    Slow() { reportAfterMs_ = 100; }
    void Run() override {
        SetEvent(g_slowStarted.get());
        Sleep(600);
        g_slowFinished = true;
    }
};

TEST(ThreadBase, DestroyedWhileItsRunGoesPastTheBound) {
    auto s = std::make_unique<Slow>();
    ASSERT_TRUE(s->Start());
    ASSERT_EQ(WaitForSingleObject(g_slowStarted.get(), 5000), WAIT_OBJECT_0);
    s.reset();
    EXPECT_TRUE(g_slowFinished.load());  // the destructor waited for the whole run
}

// Deletes itself from its run. Its memory is a fixed store that the deletion fills with a trap
// event's handle, which a thread still reading the object finds where the idle event was.
alignas(16) unsigned char g_store[256];
HANDLE g_trap = nullptr;
class SelfDeleting : public ThreadBase {
public:
    static void* operator new(size_t) { return g_store; }
    static void operator delete(void* p, size_t size) {
        std::fill_n(static_cast<HANDLE*>(p), size / sizeof(HANDLE), g_trap);
    }
    void Run() override { delete this; }
};
static_assert(sizeof(SelfDeleting) <= sizeof g_store, "store too small");

TEST(ThreadBase, ARunThatDeletesItsObjectLeavesTheMemoryAlone) {
    kesh::UniqueHandle trap(CreateEventW(nullptr, TRUE, FALSE, nullptr)), idle;
    g_trap = trap.get();
    SelfDeleting* s = new SelfDeleting;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), s->IdleEvent(), GetCurrentProcess(), idle.put(), 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    ASSERT_TRUE(s->Start());
    const HANDLE both[] = {idle.get(), trap.get()};
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 5000), WAIT_OBJECT_0);  // idle, and only that
    EXPECT_EQ(WaitForSingleObject(trap.get(), 200), WAIT_TIMEOUT);
}

}  // namespace
