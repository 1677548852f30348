#include "ThreadBase.h"

#include "Log.h"

namespace {

// How long a destructor waits before it says that it is still waiting.
const DWORD kReportAfterMs = 30000;

}  // namespace

ThreadBase::ThreadBase() : idle_(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

ThreadBase::~ThreadBase() {
    // Destroyed from its own run: nothing to wait for, the handle is all there is to release.
    if (!thread_ || GetCurrentThreadId() == threadId_) return;
    if (!Join(kReportAfterMs)) {
        LOG(ERROR) << "thread " << threadId_ << " has not stopped after " << kReportAfterMs << " ms; waiting for it";
        Join(INFINITE);
    }
}

bool ThreadBase::Start() {
    if (idle_) ResetEvent(idle_.get());
    if (thread_) return true;
    DWORD id = 0;
    thread_.reset(CreateThread(nullptr, 0, ThreadProc, this, 0, &id));
    if (!thread_) {
        if (idle_) SetEvent(idle_.get());
        return false;
    }
    threadId_ = id;
    return true;
}

DWORD WINAPI ThreadBase::ThreadProc(LPVOID self) {
    ThreadBase* t = static_cast<ThreadBase*>(self);
    t->Run();
    if (t->idle_) SetEvent(t->idle_.get());
    return 0;
}

bool ThreadBase::Join(DWORD ms) const {
    if (!thread_) return true;
    if (GetCurrentThreadId() == threadId_) return false;
    return WaitForSingleObject(thread_.get(), ms) == WAIT_OBJECT_0;
}
