// A thread owned by an object: started once by the owner, running the object's Run, with an
// event that is signalled while no run is in progress.
#pragma once
#include <windows.h>

#include "WinHandle.h"

class ThreadBase {
public:
    ThreadBase();
    // Waits for a thread that still runs; it is never ended by force, since it may hold a lock
    // or be halfway through a file. A derived class whose run uses its own members asks the run
    // to stop and joins it in its own destructor, before those members go.
    virtual ~ThreadBase();
    ThreadBase(const ThreadBase&) = delete;
    ThreadBase& operator=(const ThreadBase&) = delete;

    virtual void Run() = 0;

    // Starts the object's one run. False when the thread cannot be made, or when the object
    // already has its run (going or ended): that start changes nothing. The idle event is reset
    // before the run can end, so a waiter never sees it signalled from before this start.
    bool Start();
    // Argument: the start's own record (private to the implementation). Once Run returns, the
    // thread touches nothing of the object, which its run may have deleted.
    static DWORD WINAPI ThreadProc(LPVOID start);

    // Waits up to ms for the thread to end. True when it has ended or was never started; false
    // when it still runs (or the caller is the thread itself). After false the object and all
    // its run uses must stay alive: an owner that cannot wait longer ends the process instead of
    // destroying them.
    bool Join(DWORD ms) const;

    HANDLE IdleEvent() const { return idle_.get(); }
    DWORD ThreadId() const { return threadId_; }

protected:
    // How long the destructor waits before it reports that it is still waiting (it goes on).
    DWORD reportAfterMs_ = 30000;

private:
    DWORD threadId_ = 0;
    kesh::UniqueHandle thread_;
    kesh::UniqueHandle idle_;
};
