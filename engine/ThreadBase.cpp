#include "ThreadBase.h"

#include <memory>
#include <new>

#include "Log.h"

namespace {

// What a run's thread holds of its own: the object to run and its own handle to the idle event,
// so that signalling the end needs nothing of the object.
struct RunStart {
    ThreadBase* self;
    HANDLE idle;  // null when the object has no idle event
};

}  // namespace

ThreadBase::ThreadBase() : idle_(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

ThreadBase::~ThreadBase() {
    // Destroyed from its own run: nothing to wait for, the handle is all there is to release.
    if (!thread_ || GetCurrentThreadId() == threadId_) return;
    if (!Join(reportAfterMs_)) {
        LOG(ERROR) << "thread " << threadId_ << " has not stopped after " << reportAfterMs_ << " ms; waiting for it";
        Join(INFINITE);
    }
}

bool ThreadBase::Start() {
    if (thread_) return false;
    std::unique_ptr<RunStart> start(new (std::nothrow) RunStart{this, nullptr});
    if (!start) return false;
    if (idle_ && !DuplicateHandle(GetCurrentProcess(), idle_.get(), GetCurrentProcess(), &start->idle, 0, FALSE,
                                  DUPLICATE_SAME_ACCESS))
        return false;
    if (idle_) ResetEvent(idle_.get());
    // Made suspended, so the handle and id are in place before the run can look at them.
    DWORD id = 0;
    thread_.reset(CreateThread(nullptr, 0, ThreadProc, start.get(), CREATE_SUSPENDED, &id));
    if (!thread_) {
        if (start->idle) CloseHandle(start->idle);
        if (idle_) SetEvent(idle_.get());
        return false;
    }
    threadId_ = id;
    start.release();
    ResumeThread(thread_.get());
    return true;
}

DWORD WINAPI ThreadBase::ThreadProc(LPVOID arg) {
    const RunStart start = *static_cast<RunStart*>(arg);
    delete static_cast<RunStart*>(arg);
    start.self->Run();
    if (start.idle) {
        SetEvent(start.idle);
        CloseHandle(start.idle);
    }
    return 0;
}

bool ThreadBase::Join(DWORD ms) const {
    if (!thread_) return true;
    if (GetCurrentThreadId() == threadId_) return false;
    return WaitForSingleObject(thread_.get(), ms) == WAIT_OBJECT_0;
}
