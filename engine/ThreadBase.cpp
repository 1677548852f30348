#include "ThreadBase.h"

#include "Log.h"

ThreadBase::ThreadBase() : idle_(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

ThreadBase::~ThreadBase() { StopThread(30000); }

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

void ThreadBase::StopThread(DWORD ms) {
    if (!thread_) return;
    if (GetCurrentThreadId() == threadId_) {
        // Destroyed from its own run: nothing to wait for, the handle is all there is to release.
        thread_.reset();
        return;
    }
    if (WaitForSingleObject(thread_.get(), ms) == WAIT_TIMEOUT) {
        LOG(ERROR) << "thread " << threadId_ << " did not stop within " << ms << " ms; ending it";
        TerminateThread(thread_.get(), 1);
        WaitForSingleObject(thread_.get(), 5000);
    }
    thread_.reset();
}
