// A thread owned by an object: started once by the owner, running the object's Run, with an
// event that is signalled while no run is in progress.
#pragma once
#include <windows.h>

#include "WinHandle.h"

class ThreadBase {
public:
    ThreadBase();
    virtual ~ThreadBase();
    ThreadBase(const ThreadBase&) = delete;
    ThreadBase& operator=(const ThreadBase&) = delete;

    virtual void Run() = 0;

    // Starts the thread unless it already has one. The idle event is reset first, so a waiter
    // never sees it signalled from before this start.
    bool Start();
    static DWORD WINAPI ThreadProc(LPVOID self);

    HANDLE IdleEvent() const { return idle_.get(); }
    DWORD ThreadId() const { return threadId_; }

protected:
    // Waits up to ms for the thread to end and releases its handle. A thread that is still
    // running then is ended by force as the very last resort, because the object's memory is
    // about to go; derived classes ask their run to stop before they call this.
    void StopThread(DWORD ms);

private:
    DWORD threadId_ = 0;
    kesh::UniqueHandle thread_;
    kesh::UniqueHandle idle_;
};
