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

TEST(ThreadBase, ASecondStartChangesNothing) {
    Held h;
    ASSERT_TRUE(h.Start());
    EXPECT_FALSE(h.Start());  // while the run goes on ...
    EXPECT_EQ(WaitForSingleObject(h.IdleEvent(), 0), WAIT_TIMEOUT);
    SetEvent(h.release.get());
    ASSERT_TRUE(h.Join(5000));
    EXPECT_FALSE(h.Start());  // ... and after it ended: the object stays idle for every waiter
    EXPECT_EQ(WaitForSingleObject(h.IdleEvent(), 0), WAIT_OBJECT_0);
}

namespace {

// A run that goes on well past the destructor's bound, then records that it reached its end. It
// uses nothing of its object once the test may destroy it.
class Slow : public ThreadBase {
public:
    Slow(std::atomic<bool>* finished, HANDLE started) : finished_(finished), started_(started) { reportAfterMs_ = 100; }
    void Run() override {
        std::atomic<bool>* finished = finished_;
        SetEvent(started_);
        Sleep(600);
        *finished = true;
    }

private:
    std::atomic<bool>* finished_;
    HANDLE started_;
};

TEST(ThreadBase, DestroyedWhileItsRunGoesPastTheBound) {
    std::atomic<bool> finished{false};
    kesh::UniqueHandle started(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const DWORD t0 = GetTickCount();
    {
        Slow s(&finished, started.get());
        ASSERT_TRUE(s.Start());
        ASSERT_EQ(WaitForSingleObject(started.get(), 5000), WAIT_OBJECT_0);
    }
    EXPECT_TRUE(finished.load());  // the destructor waited for the whole run
    EXPECT_GE(GetTickCount() - t0, 550u);
}

// An object that deletes itself from its run. Its memory is a fixed store that the deletion
// fills with the handle of a trap event: a thread that still reads the object after its run
// finds that handle where the idle event was.
alignas(16) unsigned char g_selfDeletingStore[256];
HANDLE g_trap = nullptr;

class SelfDeleting : public ThreadBase {
public:
    static void* operator new(size_t) { return g_selfDeletingStore; }
    static void operator delete(void* p, size_t size) {
        HANDLE* slots = static_cast<HANDLE*>(p);
        for (size_t i = 0; i < size / sizeof(HANDLE); ++i) slots[i] = g_trap;
    }
    void Run() override { delete this; }
};
static_assert(sizeof(SelfDeleting) <= sizeof g_selfDeletingStore, "store too small");

TEST(ThreadBase, ARunThatDeletesItsObjectLeavesTheMemoryAlone) {
    kesh::UniqueHandle trap(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    g_trap = trap.get();
    SelfDeleting* s = new SelfDeleting;
    kesh::UniqueHandle idle;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), s->IdleEvent(), GetCurrentProcess(), idle.put(), 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    ASSERT_TRUE(s->Start());
    const HANDLE both[] = {idle.get(), trap.get()};
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 5000), WAIT_OBJECT_0);  // idle, and only that
    EXPECT_EQ(WaitForSingleObject(trap.get(), 200), WAIT_TIMEOUT);
}

}  // namespace
