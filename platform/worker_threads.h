// A few worker threads that live as long as their owner and run one job at a time on every
// thread at once. POSIX threads natively, Win32 threads in the Windows builds
// (posix/worker_threads_posix.cpp, win/worker_threads_win.cpp).
#pragma once

#include <cstdint>

namespace rx::platform {

// Processors the system offers to this process; at least 1.
int32_t processorCount();

class WorkerThreads {
public:
    using Job = void (*)(void* context);

    // Starts up to `count` threads (fewer when the system refuses some; none for 0).
    explicit WorkerThreads(int32_t count);
    ~WorkerThreads();  // ends the threads and waits for them
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    // Threads actually running.
    int32_t threadCount() const;

    // Calls job(context) on every thread and on the calling thread, and returns when every
    // call has returned. The job shares out its work itself.
    void run(Job job, void* context);

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace rx::platform
